#include "common/OtherPrograms.h"
#include "common/TestDib.h"
#include "platform/GrafikRW3.h"
#include "platform/image/Codec.h"

#include <gtest/gtest.h>

#include <sstream>

using qlytest::OwnedDib;
using qlytest::TempDir;

namespace {

using qlytest::decodeBytes;
using qlytest::rgbHex;

std::vector<uint8_t> encode(const dib& d, int format = DIB_TGA) {
    return qlytest::encodeAs(d, format);
}

// A hand-made TGA: header fields, colour map bytes and the pixel data as given (already
// run-length coded when the type says so).
struct TgaFile {
    int type = 2;
    int depth = 24;
    int width = 2;
    int height = 2;
    int descriptor = 0;
    int cmFirst = 0;
    int cmEntrySize = 0;
    std::vector<uint8_t> cmap; // colour map bytes; its length gives the entry count
    std::vector<uint8_t> data;
    bool footer = false;

    std::vector<uint8_t> bytes() const {
        std::vector<uint8_t> b = {0, uint8_t(cmap.empty() ? 0 : 1), uint8_t(type)};
        const int entries = cmEntrySize == 0 ? 0 : int(cmap.size()) / ((cmEntrySize + 7) / 8);
        for (int v : {cmFirst, entries}) {
            b.push_back(uint8_t(v));
            b.push_back(uint8_t(v >> 8));
        }
        b.push_back(uint8_t(cmEntrySize));
        for (int v : {0, 0, width, height}) {
            b.push_back(uint8_t(v));
            b.push_back(uint8_t(v >> 8));
        }
        b.push_back(uint8_t(depth));
        b.push_back(uint8_t(descriptor));
        b.insert(b.end(), cmap.begin(), cmap.end());
        b.insert(b.end(), data.begin(), data.end());
        if (footer) {
            b.insert(b.end(), 8, 0);
            const char sig[] = "TRUEVISION-XFILE.";
            b.insert(b.end(), sig, sig + sizeof sig);
        }
        return b;
    }
};

// ---------------------------------------------------------------------------------------------

TEST(TgaRoundTrip, EveryDepthComesBackWithItsColours) {
    struct Case {
        int bits;
        int type;     // expected image type in the file
        int depth;    // expected pixel depth in the file
        int readBits; // depth of the bitmap read back
    };
    for (const Case c : {Case{1, 9, 8, 8}, Case{4, 9, 8, 8}, Case{8, 9, 8, 8}, Case{16, 10, 16, 16},
                         Case{24, 10, 24, 24}, Case{32, 10, 32, 24}}) {
        for (int width : {1, 5, 130, 300}) {
            OwnedDib src;
            qlytest::makePattern(src, width, 7, c.bits, uint32_t(width + c.bits));
            // Runs as well as noise.
            for (int x = 0; x < width; ++x) {
                setpixel(*src, x, 2, getpixel(*src, 0, 2));
            }
            const auto bytes = encode(*src);
            ASSERT_GT(bytes.size(), 18u);
            EXPECT_EQ(bytes[2], c.type);
            EXPECT_EQ(bytes[16], c.depth);
            OwnedDib back;
            decodeBytes(back, bytes);
            ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
            EXPECT_EQ(back.bits(), c.readBits);
            EXPECT_EQ(back.width(), width);
            EXPECT_EQ(qlytest::colourDifferences(*src, *back), 0) << c.bits << " w=" << width;
            if (c.bits == c.readBits) {
                EXPECT_EQ(qlytest::pixelDifferences(*src, *back), 0) << c.bits;
            }
        }
    }
}

TEST(TgaRoundTrip, GreyPicturesAreWrittenAsGreyAndFlatOnesShrink) {
    OwnedDib grey;
    newdib(*grey, 300, 40, 8, nullptr, 0); // newdib's grey ramp
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 300; ++x) {
            setpixel(*grey, x, y, uint32_t(x / 20 * 17));
        }
    }
    const auto bytes = encode(*grey);
    EXPECT_EQ(bytes[2], 11);
    EXPECT_EQ(bytes[1], 0); // no colour map
    EXPECT_LT(bytes.size(), 300u * 40 / 8);
    OwnedDib back;
    decodeBytes(back, bytes);
    ASSERT_NE(back->poi, nullptr);
    EXPECT_EQ(qlytest::pixelDifferences(*grey, *back), 0);
}

// ---------------------------------------------------------------------------------------------

TEST(TgaReading, AllFourOriginsPlaceThePixelsRight) {
    // File order: A B / C D (24-bit, blue green red).
    const std::vector<uint8_t> pixels = {1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0};
    struct Case {
        int descriptor;
        uint32_t topLeft, topRight, bottomLeft, bottomRight;
    };
    for (const Case c : {Case{0x00, 3, 4, 1, 2}, Case{0x10, 4, 3, 2, 1}, Case{0x20, 1, 2, 3, 4},
                         Case{0x30, 2, 1, 4, 3}}) {
        TgaFile f;
        f.descriptor = c.descriptor;
        f.data = pixels;
        OwnedDib d;
        decodeBytes(d, f.bytes());
        ASSERT_NE(d->poi, nullptr) << c.descriptor << DibErrorText(*d);
        EXPECT_EQ(getpixel(*d, 0, 0), c.topLeft) << c.descriptor;
        EXPECT_EQ(getpixel(*d, 1, 0), c.topRight) << c.descriptor;
        EXPECT_EQ(getpixel(*d, 0, 1), c.bottomLeft) << c.descriptor;
        EXPECT_EQ(getpixel(*d, 1, 1), c.bottomRight) << c.descriptor;
    }
}

TEST(TgaReading, RunLengthPacketsMayCrossRowsAndExtraPixelsAreDropped) {
    TgaFile f;
    f.type = 11;
    f.depth = 8;
    f.width = 3;
    f.height = 2;
    f.descriptor = 0x20;
    // A run of 4 (two rows' worth crossing the row end), then 2 raw pixels, then a run of 100
    // beyond the end of the picture.
    f.data = {0x83, 50, 0x01, 60, 70, 0xe3, 90};
    OwnedDib d;
    decodeBytes(d, f.bytes(), DIB_TGA);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(getpixel(*d, 2, 0), 50u);
    EXPECT_EQ(getpixel(*d, 0, 1), 50u);
    EXPECT_EQ(getpixel(*d, 1, 1), 60u);
    EXPECT_EQ(getpixel(*d, 2, 1), 70u);
}

TEST(TgaReading, AlphaIsComposedOntoWhiteOnlyWhenItMeansSomething) {
    TgaFile f;
    f.depth = 32;
    f.width = 3;
    f.height = 1;
    f.descriptor = 8;                                  // 8 alpha bits
    f.data = {0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 0, 128}; // black: clear, opaque, half
    OwnedDib d;
    decodeBytes(d, f.bytes());
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(d.bits(), 24);
    EXPECT_EQ(rgbHex(d, 0, 0), 0xffffffu);
    EXPECT_EQ(rgbHex(d, 1, 0), 0x000000u);
    EXPECT_NEAR(int(rgbHex(d, 2, 0) & 0xff), 127, 1);
    // Alpha zero everywhere, or no alpha bits declared: the fourth byte is not alpha.
    f.data = {10, 20, 30, 0, 40, 50, 60, 0, 70, 80, 90, 0};
    decodeBytes(d, f.bytes());
    EXPECT_EQ(rgbHex(d, 0, 0), 0x1e140au);
    f.descriptor = 0;
    f.data[3] = 0x40;
    decodeBytes(d, f.bytes());
    EXPECT_EQ(rgbHex(d, 0, 0), 0x1e140au);
    // Grey with alpha.
    TgaFile g;
    g.type = 3;
    g.depth = 16;
    g.width = 2;
    g.height = 1;
    g.descriptor = 8;
    g.data = {0, 0, 0, 255};
    decodeBytes(d, g.bytes());
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(d.bits(), 8);
    EXPECT_EQ(rgbHex(d, 0, 0), 0xffffffu);
    EXPECT_EQ(rgbHex(d, 1, 0), 0x000000u);
}

TEST(TgaReading, ColourMapsWithOffsetsSixteenBitEntriesAndIndices) {
    // Map entries 5 and 6 as 16-bit A1R5G5B5: pure red and pure blue; index 0 lies before it.
    TgaFile f;
    f.type = 1;
    f.depth = 8;
    f.width = 3;
    f.height = 1;
    f.cmFirst = 5;
    f.cmEntrySize = 16;
    f.cmap = {0x00, 0x7c, 0x1f, 0x00};
    f.data = {5, 6, 0};
    OwnedDib d;
    decodeBytes(d, f.bytes());
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(d.bits(), 8);
    EXPECT_EQ(rgbHex(d, 0, 0), 0xff0000u);
    EXPECT_EQ(rgbHex(d, 1, 0), 0x0000ffu);
    EXPECT_EQ(rgbHex(d, 2, 0), 0x000000u);
    // 16-bit indices give a true-colour bitmap; an index past the map is black.
    f.depth = 16;
    f.cmFirst = 0;
    f.cmEntrySize = 24;
    f.cmap = {0, 255, 0, 255, 255, 255};
    f.data = {1, 0, 0, 0, 0xff, 0xff};
    decodeBytes(d, f.bytes());
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(d.bits(), 24);
    EXPECT_EQ(rgbHex(d, 0, 0), 0xffffffu);
    EXPECT_EQ(rgbHex(d, 1, 0), 0x00ff00u);
    EXPECT_EQ(rgbHex(d, 2, 0), 0x000000u);
    // 15-bit true colour stays a 16-bit bitmap without the attribute bit.
    TgaFile t;
    t.depth = 15;
    t.width = 1;
    t.height = 1;
    t.data = {0xe0, 0x83};
    decodeBytes(d, t.bytes());
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(d.bits(), 16);
    EXPECT_EQ(getpixel(*d, 0, 0), 0x03e0u);
}

// ---------------------------------------------------------------------------------------------

TEST(TgaDamage, CutOffAndHostileFilesGiveAPartialPictureOrAReason) {
    OwnedDib src;
    qlytest::makePattern(src, 40, 30, 24, 3);
    const auto good = encode(*src);
    OwnedDib d;
    // Half the data: the bottom rows are there (bottom-up file), the rest stays black.
    std::vector<uint8_t> half(good.begin(), good.begin() + long(good.size() / 2));
    decodeBytes(d, half, DIB_TGA);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(getpixel(*d, 5, 29), getpixel(*src, 5, 29));
    EXPECT_EQ(getpixel(*d, 5, 0), 0u);
    // Header only, or cut inside the first row: nothing to show.
    for (size_t n : {size_t{10}, size_t{18}, size_t{40}}) {
        decodeBytes(d, std::vector<uint8_t>(good.begin(), good.begin() + long(n)), DIB_TGA);
        EXPECT_EQ(d->poi, nullptr) << n;
        EXPECT_EQ(DibErrorText(*d), "Datei ist beschädigt") << n;
    }
    // Declared 65535 x 65535: refused before anything is allocated.
    auto huge = good;
    huge[12] = huge[13] = huge[14] = huge[15] = 0xff;
    decodeBytes(d, huge, DIB_TGA);
    EXPECT_EQ(d->poi, nullptr);
    EXPECT_EQ(DibErrorText(*d), "Bild ist zu groß");
    // Types and layouts this reader does not know.
    for (auto patch : {std::pair<int, int>{2, 32}, {2, 0}, {16, 12}, {17, 0x80}, {1, 7}}) {
        auto bad = good;
        bad[size_t(patch.first)] = uint8_t(patch.second);
        decodeBytes(d, bad, DIB_TGA);
        EXPECT_EQ(d->poi, nullptr) << patch.first;
        EXPECT_FALSE(DibErrorText(*d).empty());
    }
}

// ---------------------------------------------------------------------------------------------

TEST(TgaDetection, FindsTgaByContentButNeverTakesOtherFormatsForIt) {
    OwnedDib src;
    qlytest::makePattern(src, 20, 10, 8, 4);
    auto tga = encode(*src);
    OwnedDib d;
    decodeBytes(d, tga);
    ASSERT_NE(d->poi, nullptr);
    // Without the 2.0 footer (a TGA 1.0 file) it is still found, since all its pixels are there.
    tga.resize(tga.size() - 26);
    decodeBytes(d, tga);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(qlytest::colourDifferences(*src, *d), 0);
    // Files of every other format we write are never taken for TGA.
    for (int bits : {1, 8, 24}) {
        OwnedDib p;
        qlytest::makePattern(p, 24, 9, bits, 5);
        for (int format : {DIB_BMP, DIB_GIF, DIB_IFF, DIB_JPG, DIB_PCX, DIB_RLE, DIB_PNG}) {
            const auto bytes = encode(*p, format);
            EXPECT_FALSE(qly::img::sniffTga(bytes.data(), bytes.size())) << format;
            const qly::img::Codec* found = qly::img::detectCodec(bytes.data(), bytes.size());
            ASSERT_NE(found, nullptr);
            EXPECT_NE(found->code, DIB_TGA) << format;
        }
    }
    const std::string text = "Dear reader, this is a plain text file and no picture at all.\n";
    decodeBytes(d, std::vector<uint8_t>(text.begin(), text.end()));
    EXPECT_EQ(d->poi, nullptr);
    EXPECT_EQ(DibErrorText(*d), "Unbekanntes Dateiformat");
}

TEST(TgaDetection, FileNamesNeverDecideTheFormat) {
    TempDir dir;
    OwnedDib src;
    qlytest::makePattern(src, 12, 6, 24, 8);
    ASSERT_EQ(SaveDib(*src, dir.file("really-a-tga.png"), DIB_TGA), 1);
    ASSERT_EQ(SaveDib(*src, dir.file("really-a-png.tga"), DIB_PNG), 1);
    for (const char* name : {"really-a-tga.png", "really-a-png.tga"}) {
        OwnedDib d;
        OpenDib(*d, dir.file(name), DIB_AUTO);
        ASSERT_NE(d->poi, nullptr) << name << DibErrorText(*d);
        EXPECT_EQ(qlytest::pixelDifferences(*src, *d), 0) << name;
    }
    // The filters list TGA in the save order (tenth entry, code 12) and among the readable ones.
    std::string save = GetDIBSaveFilter();
    for (int i = 0; i < 9 * 2; ++i) {
        save = save.substr(save.find('|') + 1);
    }
    EXPECT_EQ(save.substr(0, save.find('|')), "Truevision TGA (*.tga)");
    EXPECT_NE(std::string(GetDIBOpenFilter()).find("*.tga"), std::string::npos);
}

// ---------------------------------------------------------------------------------------------

class TgaOtherPrograms : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* program : {"convert", "identify", "gm", "tgatoppm", "ppmtotga"}) {
            ASSERT_TRUE(qlytest::haveProgram(program));
        }
    }
    // Converts with a shell command whose output is a PNG file, then reads that PNG here.
    void readPngMadeBy(const std::string& command, OwnedDib& out) {
        ASSERT_EQ(qlytest::runCommand(command), 0) << command;
        out.reset();
        OpenDib(*out, dir.file("out.png"), DIB_PNG);
        ASSERT_NE(out->poi, nullptr) << command;
    }
    std::string outPng() const { return qlytest::quoted(dir.file("out.png")); }
    TempDir dir;
};

TEST_F(TgaOtherPrograms, OurFilesOpenInImageMagickGraphicsMagickAndNetpbm) {
    for (int bits : {1, 8, 16, 24, 32}) {
        OwnedDib src;
        qlytest::makePattern(src, 33, 21, bits, uint32_t(bits));
        const std::string tga = dir.file("ours.tga");
        ASSERT_EQ(SaveDib(*src, tga, DIB_TGA), 1);
        const std::string q = qlytest::quoted(tga);
        std::istringstream info(qlytest::commandOutput("identify -format '%m %w %h %z' " + q));
        std::string magick;
        int w = 0, h = 0, depth = 0;
        info >> magick >> w >> h >> depth;
        EXPECT_EQ(magick, "TGA");
        EXPECT_EQ(w, 33);
        EXPECT_EQ(h, 21);
        EXPECT_EQ(depth, bits == 16 ? 5 : 8) << bits; // bits per channel
        OwnedDib seen;
        // ImageMagick keeps a TGA's stored row order unless asked to orient it.
        readPngMadeBy("convert " + q + " -auto-orient png:" + outPng(), seen);
        EXPECT_EQ(qlytest::colourDifferences(*src, *seen), 0) << "ImageMagick " << bits;
        readPngMadeBy("gm convert " + q + " png:" + outPng(), seen);
        if (bits == 16) {
            // GraphicsMagick widens 5-bit channels by repeating their top bits, not by scaling.
            EXPECT_LE(qlytest::maxChannelDifference(*src, *seen), 1) << "GraphicsMagick";
        } else {
            EXPECT_EQ(qlytest::colourDifferences(*src, *seen), 0) << "GraphicsMagick " << bits;
        }
        readPngMadeBy("tgatoppm " + q + " | convert ppm:- png:" + outPng(), seen);
        EXPECT_EQ(qlytest::colourDifferences(*src, *seen), 0) << "Netpbm " << bits;
    }
}

TEST_F(TgaOtherPrograms, TheirFilesOpenHere) {
    OwnedDib src;
    qlytest::makeFewColours(src, 41, 23, 100);
    const std::string png = dir.file("src.png");
    ASSERT_EQ(SaveDib(*src, png, DIB_PNG), 1);
    const std::string q = qlytest::quoted(png);
    const std::string tga = qlytest::quoted(dir.file("theirs.tga"));
    const std::string ppm = "convert " + q + " -depth 8 ppm:- | ";
    for (const std::string& command : {
             "convert " + q + " -orient TopLeft -type TrueColor " + tga,
             "convert " + q + " -orient TopLeft -type TrueColor -compress RLE " + tga,
             "convert " + q + " -orient TopLeft -type Palette -compress RLE " + tga,
             "gm convert " + q + " -type TrueColor " + tga,
             "gm convert " + q + " -type TrueColor -compress RLE " + tga,
             ppm + "ppmtotga -rgb " + " > " + tga,
             ppm + "ppmtotga -cmap -norle > " + tga,
         }) {
        ASSERT_EQ(qlytest::runCommand(command), 0) << command;
        OwnedDib d;
        OpenDib(*d, dir.file("theirs.tga"), DIB_AUTO);
        ASSERT_NE(d->poi, nullptr) << command << ": " << DibErrorText(*d);
        EXPECT_EQ(qlytest::colourDifferences(*src, *d), 0) << command;
    }
    // Grey and 32-bit with alpha from ImageMagick.
    const std::string grey = "convert " + q + " -orient TopLeft -colorspace Gray " + tga;
    ASSERT_EQ(qlytest::runCommand(grey), 0);
    OwnedDib d;
    OpenDib(*d, dir.file("theirs.tga"), DIB_AUTO);
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(d.bits(), 8);
    OwnedDib greyRef; // the same file as GraphicsMagick reads it
    readPngMadeBy("gm convert " + tga + " png:" + outPng(), greyRef);
    EXPECT_EQ(qlytest::colourDifferences(*greyRef, *d), 0);
    ASSERT_EQ(qlytest::runCommand("convert " + q +
                                  " -orient TopLeft -alpha set -channel A -evaluate set 50% "
                                  "+channel -type TrueColorAlpha " +
                                  tga),
              0);
    d.reset();
    OpenDib(*d, dir.file("theirs.tga"), DIB_AUTO);
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(d.bits(), 24);
    for (int x = 0; x < 41; x += 5) {
        int r1, g1, b1, r2, g2, b2;
        qlytest::pixelRgb(*src, x, 9, r1, g1, b1);
        qlytest::pixelRgb(*d, x, 9, r2, g2, b2);
        EXPECT_NEAR(r2, (r1 + 255) / 2, 1); // half transparent over white paper
        EXPECT_NEAR(g2, (g1 + 255) / 2, 1);
        EXPECT_NEAR(b2, (b1 + 255) / 2, 1);
    }
}

} // namespace
