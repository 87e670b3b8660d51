// The image library's texts for the user: failure reasons and file-dialog filters go through the
// text lookup in the context "ImageFormats" and stay German without one.
#include "common/MarkedTexts.h"
#include "platform/GrafikRW3.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

using qlytest::marked;

// A failed read or write, and the German reason it leaves.
struct Failure {
    const char* what;
    std::function<std::string()> reason;
    const char* german;
};

std::string readReason(const std::vector<uint8_t>& bytes) {
    dib d{};
    OpenDibFromMemory(d, bytes.data(), bytes.size(), DIB_AUTO);
    EXPECT_EQ(d.poi, nullptr);
    return DibErrorText(d);
}

const std::vector<Failure>& failures() {
    static const std::vector<Failure> table = {
        {"missing file",
         [] {
             dib d{};
             OpenDib(d, "/nonexistent/quillory-test/picture.png", DIB_AUTO);
             return DibErrorText(d);
         },
         "Datei kann nicht geöffnet werden"},
        {"unknown bytes",
         [] {
             return readReason({'n', 'o', ' ', 'p', 'i', 'c'});
         },
         "Unbekanntes Dateiformat"},
        {"empty file", [] { return readReason({}); }, "Datei ist beschädigt"},
        {"PNG cut after its signature",
         [] {
             return readReason({0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'});
         },
         "Datei ist beschädigt"},
        {"saving no picture",
         [] {
             std::vector<uint8_t> out;
             EXPECT_FALSE(SaveDibToMemory(dib{}, DIB_PNG, out));
             return DibLastError();
         },
         "Bild hat keine Pixel"},
    };
    return table;
}

TEST(ImageTexts, FailureReasonsAreGermanWithoutALookup) {
    for (const Failure& f : failures()) {
        EXPECT_EQ(f.reason(), f.german) << f.what;
    }
}

TEST(ImageTexts, FailureReasonsReachTheUserThroughTheLookup) {
    const qlytest::ScopedMarkedTexts texts;
    for (const Failure& f : failures()) {
        EXPECT_EQ(f.reason(), marked("ImageFormats", f.german)) << f.what;
    }
}

TEST(ImageTexts, FiltersAreTodaysWithoutALookup) {
    const std::string open = GetDIBOpenFilter();
    EXPECT_EQ(open.rfind("Alle Bilder (*.bmp;*.dib;*.gif;*.iff;*.ilbm;", 0), 0u) << open;
    EXPECT_NE(open.find("|Windows Bitmap (*.bmp)|*.bmp|Device Independent Bitmap (*.dib)|*.dib|"),
              std::string::npos)
        << open;
    EXPECT_NE(open.find("|WebP (*.webp)|*.webp|"), std::string::npos) << open;
    EXPECT_EQ(open.substr(open.size() - 24), "|Alle Dateien (*.*)|*.*|");
    EXPECT_STREQ(GetDIBSaveFilter(), "Windows Bitmap (*.bmp)|*.bmp|"
                                     "Device Independent Bitmap (*.dib)|*.dib|"
                                     "CompuServe GIF (*.gif)|*.gif|"
                                     "Amiga IFF (*.iff)|*.iff|"
                                     "JPEG JFIF (*.jif)|*.jif|"
                                     "JPEG (*.jpg)|*.jpg|"
                                     "Deluxe Paint LBM (*.lbm)|*.lbm|"
                                     "ZSoft PCX (*.pcx)|*.pcx|"
                                     "Windows Bitmap RLE (*.rle)|*.rle|"
                                     "Truevision TGA (*.tga)|*.tga|"
                                     "TIFF (*.tif)|*.tif|"
                                     "JPEG 2000 (*.jp2)|*.jp2|"
                                     "Portable Network Graphics (*.png)|*.png|");
}

TEST(ImageTexts, FiltersFollowTheLookupOfTheMomentAndKeepTheirPatterns) {
    const std::string germanOpen = GetDIBOpenFilter();
    const std::string germanSave = GetDIBSaveFilter();
    std::string open;
    std::string save;
    {
        const qlytest::ScopedMarkedTexts texts;
        open = GetDIBOpenFilter();
        save = GetDIBSaveFilter();
    }
    const std::string all = marked("ImageFormats", "Alle Bilder (%1)");
    EXPECT_EQ(open.rfind(all.substr(0, all.size() - 3) + "*.bmp;", 0), 0u) << open;
    for (const char* entry :
         {"|<ImageFormats>Windows Bitmap (*.bmp)|*.bmp|",
          "|<ImageFormats>Truevision TGA (*.tga;*.vda;*.icb;*.vst)|*.tga;*.vda;*.icb;*.vst|",
          "|<ImageFormats>JPEG 2000 Codestream (*.j2k;*.j2c;*.jpc)|*.j2k;*.j2c;*.jpc|",
          "|<ImageFormats>Alle Dateien (*.*)|*.*|"}) {
        EXPECT_NE(open.find(entry), std::string::npos) << entry << "\n" << open;
    }
    EXPECT_EQ(save.rfind("<ImageFormats>Windows Bitmap (*.bmp)|*.bmp|", 0), 0u) << save;
    EXPECT_NE(save.find("|<ImageFormats>Portable Network Graphics (*.png)|*.png|"),
              std::string::npos)
        << save;
    // The same number of entries in both languages: the filter index picks the same format.
    const auto bars = [](const std::string& s) { return std::count(s.begin(), s.end(), '|'); };
    EXPECT_EQ(bars(open), bars(germanOpen));
    EXPECT_EQ(bars(save), bars(germanSave));
    // Without the lookup again, the German texts come back.
    EXPECT_EQ(GetDIBOpenFilter(), germanOpen);
    EXPECT_EQ(GetDIBSaveFilter(), germanSave);
}

} // namespace
