// jbig2encode: BMP in, two stream files out; polarity from the colour table; clean failures.
#include "platform/jbig2enc.h"

#include "Jbig2TestImages.h"
#include "common/Jbig2Decoder.h"
#include "common/TestDib.h"
#include "platform/jbig2/DibImage.h"

#include <gtest/gtest.h>

#include <filesystem>

using qlytest::OwnedDib;
using qlytest::Picture;
namespace fs = std::filesystem;

namespace {

// A 1-bit picture with the given colour table entries; pixels from `pattern` (the index).
void makeBilevel(OwnedDib& out, const Picture& pattern, RGBQUAD colour0, RGBQUAD colour1) {
    out.reset();
    newdib(*out, static_cast<int32_t>(pattern.width), static_cast<int32_t>(pattern.height), 1,
           nullptr, 0);
    ASSERT_NE(out->poi, nullptr);
    out->pmi->bmiColors[0] = colour0;
    out->pmi->bmiColors[1] = colour1;
    for (uint32_t y = 0; y < pattern.height; ++y) {
        for (uint32_t x = 0; x < pattern.width; ++x) {
            setpixel(*out, static_cast<int32_t>(x), static_cast<int32_t>(y),
                     static_cast<uint32_t>(pattern.pixel(x, y)));
        }
    }
}

constexpr RGBQUAD kBlack{0, 0, 0, 0};
constexpr RGBQUAD kWhite{255, 255, 255, 0};

// The picture a decoder shows for a page stream (1 = black).
Picture decodeFile(const std::string& pageFile) {
    qlytest::DecodedPage page;
    std::string error;
    EXPECT_TRUE(qlytest::decodePageStream(qlytest::readBytes(pageFile), page, error)) << error;
    Picture p;
    p.width = page.width;
    p.height = page.height;
    p.bits = page.bits;
    return p;
}

Picture inverted(const Picture& p) {
    Picture q = p;
    for (uint8_t& b : q.bits) {
        b = static_cast<uint8_t>(~b);
    }
    return q;
}

class Jbig2Encode : public ::testing::Test {
  protected:
    qlytest::TempDir dir;
    std::string in = dir.file("tempim0.bmp");
    std::string globals = dir.file("tempim00.bmp");
    std::string page = dir.file("tempim10.bmp");

    void saveBmp(const dib& d) { ASSERT_EQ(SaveDib(d, in, DIB_BMP), 1) << DibLastError(); }
    void expectNoOutputs() {
        EXPECT_FALSE(fs::exists(globals));
        EXPECT_FALSE(fs::exists(page));
        // No temporary files left beside them either.
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            EXPECT_EQ(entry.path().string().find(".part"), std::string::npos) << entry.path();
        }
    }
};

TEST_F(Jbig2Encode, WritesAnEmptyGlobalsFileAndThePageStreamOfTheBmp) {
    const Picture pattern = qlytest::makePicture(203, 61, qlytest::Pattern::Text, 2);
    OwnedDib d;
    makeBilevel(d, pattern, kWhite, kBlack);
    saveBmp(*d);
    ASSERT_TRUE(jbig2encode(in, globals, page)) << jbig2LastError();
    EXPECT_EQ(jbig2LastError(), "");
    ASSERT_TRUE(fs::exists(globals));
    EXPECT_EQ(fs::file_size(globals), 0u);
    EXPECT_EQ(qlytest::differingPixels(pattern, decodeFile(page)), 0);
    EXPECT_TRUE(fs::exists(in)) << "the input belongs to the caller";
}

TEST_F(Jbig2Encode, ReplacesOutputFilesThatAlreadyExist) {
    qlytest::writeBytes(globals, {1, 2, 3});
    qlytest::writeBytes(page, std::vector<uint8_t>(5000, 7));
    const Picture pattern = qlytest::makePicture(20, 10, qlytest::Pattern::Checker);
    OwnedDib d;
    makeBilevel(d, pattern, kWhite, kBlack);
    saveBmp(*d);
    ASSERT_TRUE(jbig2encode(in, globals, page)) << jbig2LastError();
    EXPECT_EQ(fs::file_size(globals), 0u);
    EXPECT_EQ(qlytest::differingPixels(pattern, decodeFile(page)), 0);
}

TEST_F(Jbig2Encode, BlackIsTheDarkerColourWhicheverIndexHoldsIt) {
    const Picture pattern = qlytest::makePicture(45, 33, qlytest::Pattern::Noise, 3);
    // Index 1 black (as PBM has it) and index 0 black (as many scanners write BMPs).
    OwnedDib oneBlack;
    makeBilevel(oneBlack, pattern, kWhite, kBlack);
    saveBmp(*oneBlack);
    ASSERT_TRUE(jbig2encode(in, globals, page));
    EXPECT_EQ(qlytest::differingPixels(pattern, decodeFile(page)), 0);

    OwnedDib zeroBlack;
    makeBilevel(zeroBlack, pattern, kBlack, kWhite);
    saveBmp(*zeroBlack);
    ASSERT_TRUE(jbig2encode(in, globals, page));
    EXPECT_EQ(qlytest::differingPixels(inverted(pattern), decodeFile(page)), 0);
}

TEST_F(Jbig2Encode, ColouredPalettesUseTheDarkerEntryAsBlack) {
    const Picture pattern = qlytest::makePicture(30, 20, qlytest::Pattern::Text, 4);
    OwnedDib d;
    // Yellow paper (index 0) with dark blue ink (index 1).
    makeBilevel(d, pattern, RGBQUAD{0, 255, 255, 0}, RGBQUAD{120, 0, 0, 0});
    saveBmp(*d);
    ASSERT_TRUE(jbig2encode(in, globals, page));
    EXPECT_EQ(qlytest::differingPixels(pattern, decodeFile(page)), 0);
}

TEST(Jbig2Polarity, TheDarkerEntryIsBlackAndEqualEntriesMakeAFlatPicture) {
    using qly::jbig2::DibPolarity;
    using qly::jbig2::dibPolarity;
    EXPECT_EQ(dibPolarity(kBlack, kWhite), DibPolarity::ZeroIsBlack);
    EXPECT_EQ(dibPolarity(kWhite, kBlack), DibPolarity::OneIsBlack);
    // Luminance decides, not the sum of the channels: pure blue is darker than pure red.
    EXPECT_EQ(dibPolarity(RGBQUAD{0, 0, 255, 0}, RGBQUAD{255, 0, 0, 0}), DibPolarity::OneIsBlack);
    EXPECT_EQ(dibPolarity(RGBQUAD{200, 200, 200, 0}, RGBQUAD{90, 90, 90, 0}),
              DibPolarity::OneIsBlack);
    EXPECT_EQ(dibPolarity(kWhite, kWhite), DibPolarity::AllWhite);
    EXPECT_EQ(dibPolarity(RGBQUAD{10, 20, 30, 0}, RGBQUAD{10, 20, 30, 0}), DibPolarity::AllBlack);
}

TEST_F(Jbig2Encode, APictureWhoseTwoColoursAreEqualIsCodedAsItLooks) {
    const Picture pattern = qlytest::makePicture(40, 12, qlytest::Pattern::Noise, 5);
    OwnedDib d;
    makeBilevel(d, pattern, kWhite, kWhite);
    saveBmp(*d);
    ASSERT_TRUE(jbig2encode(in, globals, page));
    EXPECT_EQ(qlytest::differingPixels(qlytest::makePicture(40, 12, qlytest::Pattern::White),
                                       decodeFile(page)),
              0);
    makeBilevel(d, pattern, kBlack, kBlack);
    saveBmp(*d);
    ASSERT_TRUE(jbig2encode(in, globals, page));
    EXPECT_EQ(qlytest::differingPixels(qlytest::makePicture(40, 12, qlytest::Pattern::Black),
                                       decodeFile(page)),
              0);
}

TEST_F(Jbig2Encode, ThePictureResolutionGoesIntoThePageInformation) {
    OwnedDib d;
    makeBilevel(d, qlytest::makePicture(8, 8, qlytest::Pattern::Checker), kWhite, kBlack);
    d->pmi->bmiHeader.biXPelsPerMeter = 11811; // 300 dpi
    d->pmi->bmiHeader.biYPelsPerMeter = 7874;  // 200 dpi
    saveBmp(*d);
    ASSERT_TRUE(jbig2encode(in, globals, page));
    const auto s = qlytest::readBytes(page);
    ASSERT_GE(s.size(), 30u);
    EXPECT_EQ(qlytest::readU32(s, 11 + 8), 11811u);
    EXPECT_EQ(qlytest::readU32(s, 11 + 12), 7874u);
}

TEST_F(Jbig2Encode, UnreadableOrNonBilevelInputFailsAndLeavesNoOutput) {
    // Stale outputs of an earlier call must not survive a failure either: the caller would
    // embed them.
    auto stale = [&] {
        qlytest::writeBytes(globals, {1});
        qlytest::writeBytes(page, {2});
    };
    stale();
    EXPECT_FALSE(jbig2encode(dir.file("missing.bmp"), globals, page));
    EXPECT_NE(jbig2LastError(), "");
    expectNoOutputs();

    stale();
    qlytest::writeBytes(in, std::vector<uint8_t>(300, 0x42));
    EXPECT_FALSE(jbig2encode(in, globals, page));
    EXPECT_NE(jbig2LastError(), "");
    expectNoOutputs();

    for (int bits : {4, 8, 24}) {
        stale();
        OwnedDib d;
        qlytest::makePattern(d, 16, 16, bits);
        saveBmp(*d);
        EXPECT_FALSE(jbig2encode(in, globals, page)) << bits;
        EXPECT_EQ(jbig2LastError(), "Bild hat nicht 1 Bit pro Pixel");
        expectNoOutputs();
    }
    // A BMP cut short in its pixel rows.
    stale();
    OwnedDib d;
    makeBilevel(d, qlytest::makePicture(64, 64, qlytest::Pattern::Noise), kWhite, kBlack);
    saveBmp(*d);
    auto bytes = qlytest::readBytes(in);
    bytes.resize(bytes.size() / 2);
    qlytest::writeBytes(in, bytes);
    EXPECT_FALSE(jbig2encode(in, globals, page));
    expectNoOutputs();
}

TEST_F(Jbig2Encode, AnOutputThatCannotBeWrittenLeavesNeitherFile) {
    OwnedDib d;
    makeBilevel(d, qlytest::makePicture(16, 16, qlytest::Pattern::Noise), kWhite, kBlack);
    saveBmp(*d);
    EXPECT_FALSE(jbig2encode(in, globals, dir.file("no-such-folder/page.jb2")));
    EXPECT_FALSE(fs::exists(globals));
    EXPECT_FALSE(jbig2encode(in, dir.file("no-such-folder/globals.jb2"), page));
    EXPECT_FALSE(fs::exists(page));
    // A folder standing where a file should go.
    fs::create_directory(page);
    EXPECT_FALSE(jbig2encode(in, globals, page));
    EXPECT_FALSE(fs::exists(globals));
    EXPECT_TRUE(fs::is_directory(page));
    // Both streams under one name would lose one of them.
    fs::remove(page);
    EXPECT_FALSE(jbig2encode(in, page, page));
    EXPECT_FALSE(fs::exists(page));
}

TEST_F(Jbig2Encode, TheInputIsNeverRemovedOnFailure) {
    OwnedDib d;
    qlytest::makePattern(d, 16, 16, 8);
    saveBmp(*d);
    EXPECT_FALSE(jbig2encode(in, in, page));
    EXPECT_TRUE(fs::exists(in));
    EXPECT_FALSE(jbig2encode(in, globals, in));
    EXPECT_TRUE(fs::exists(in));
}

TEST_F(Jbig2Encode, PdfViewersShowBothPolaritiesTheWayTheBmpLooks) {
    // Black text on white paper, stored once with index 0 white and once with index 0 black.
    const Picture ink = qlytest::makePicture(123, 45, qlytest::Pattern::Text, 6);
    std::vector<qlytest::PdfImage> images;
    for (bool zeroIsWhite : {true, false}) {
        OwnedDib d;
        makeBilevel(d, zeroIsWhite ? ink : inverted(ink), zeroIsWhite ? kWhite : kBlack,
                    zeroIsWhite ? kBlack : kWhite);
        saveBmp(*d);
        ASSERT_TRUE(jbig2encode(in, globals, page)) << jbig2LastError();
        images.push_back(
            {ink.width, ink.height, qlytest::readBytes(page), qlytest::readBytes(globals)});
    }
    const std::string pdf = dir.file("two.pdf");
    qlytest::writeBytes(pdf, qlytest::jbig2Pdf(images));
    const std::string log = dir.file("log");
    ASSERT_EQ(qlytest::run("pdfimages '" + pdf + "' '" + dir.file("pi") + "'", log), 0)
        << qlytest::readText(log);
    ASSERT_EQ(
        qlytest::run("mutool draw -q -r 72 -c mono -o '" + dir.file("mu%d.pbm") + "' '" + pdf + "'",
                     log),
        0)
        << qlytest::readText(log);
    ASSERT_EQ(qlytest::run("gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pbmraw -r72 -sOutputFile='" +
                               dir.file("gs%d.pbm") + "' '" + pdf + "'",
                           log),
              0)
        << qlytest::readText(log);
    for (const std::string& shown :
         {dir.file("pi-000.pbm"), dir.file("pi-001.pbm"), dir.file("mu1.pbm"), dir.file("mu2.pbm"),
          dir.file("gs1.pbm"), dir.file("gs2.pbm")}) {
        Picture p;
        ASSERT_TRUE(qlytest::readPbm(shown, p)) << shown;
        EXPECT_EQ(qlytest::differingPixels(ink, p), 0) << shown;
    }
}

} // namespace
