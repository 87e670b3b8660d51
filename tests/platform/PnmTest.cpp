#include "common/OutsideTools.h"
#include "common/TestDib.h"
#include "platform/GrafikRW3.h"

#include <gtest/gtest.h>

#include <string>

using qlytest::OwnedDib;
using qlytest::TempDir;

namespace {

class Pnm : public ::testing::Test {
  protected:
    static std::vector<uint8_t> bytesOf(const std::string& s) {
        return std::vector<uint8_t>(s.begin(), s.end());
    }
    static void decode(OwnedDib& d, const std::vector<uint8_t>& bytes, int format = DIB_AUTO) {
        d.reset();
        OpenDibFromMemory(*d, bytes.data(), bytes.size(), format);
    }
    static std::vector<uint8_t> encode(const dib& d) {
        std::vector<uint8_t> out;
        EXPECT_TRUE(SaveDibToMemory(d, DIB_PNM, out)) << DibLastError();
        return out;
    }
    static void rgbAt(const OwnedDib& d, int x, int y, int& r, int& g, int& b) {
        qlytest::pixelRgb(*d, x, y, r, g, b);
    }
    static int64_t colourDifferences(const dib& a, const dib& b) {
        int64_t n = 0;
        for (int y = 0; y < a.pmi->bmiHeader.biHeight; ++y) {
            for (int x = 0; x < a.pmi->bmiHeader.biWidth; ++x) {
                int r1, g1, b1, r2, g2, b2;
                qlytest::pixelRgb(a, x, y, r1, g1, b1);
                qlytest::pixelRgb(b, x, y, r2, g2, b2);
                n += (r1 != r2 || g1 != g2 || b1 != b2) ? 1 : 0;
            }
        }
        return n;
    }
};

TEST_F(Pnm, EveryDepthRoundTripsWithTheMatchingKind) {
    struct Case {
        int bits;
        char magic;
        int backBits;
    };
    for (const Case& c : {Case{1, '4', 1}, Case{4, '6', 24}, Case{8, '6', 24}, Case{16, '6', 24},
                          Case{24, '6', 24}, Case{32, '6', 24}}) {
        OwnedDib src;
        qlytest::makePattern(src, 29, 11, c.bits, 3);
        const auto bytes = encode(*src);
        ASSERT_GE(bytes.size(), 2u);
        EXPECT_EQ(bytes[1], c.magic) << c.bits;
        OwnedDib back;
        decode(back, bytes);
        ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
        EXPECT_EQ(back.bits(), c.backBits);
        EXPECT_EQ(back.width(), 29);
        EXPECT_EQ(back.height(), 11);
        EXPECT_EQ(colourDifferences(*src, *back), 0) << c.bits;
    }
    // Grey pictures of 4 and 8 bits are written as PGM and read as 8-bit grey.
    for (int bits : {4, 8}) {
        OwnedDib grey;
        qlytest::makePattern(grey, 17, 9, bits, 8);
        for (int i = 0; i < (1 << bits); ++i) {
            const auto v = uint8_t(i * 255 / ((1 << bits) - 1));
            grey->pmi->bmiColors[i] = RGBQUAD{v, v, v, 0};
        }
        const auto bytes = encode(*grey);
        EXPECT_EQ(bytes[1], '5');
        OwnedDib back;
        decode(back, bytes);
        ASSERT_NE(back->poi, nullptr);
        EXPECT_EQ(back.bits(), 8);
        EXPECT_EQ(colourDifferences(*grey, *back), 0) << bits;
    }
}

TEST_F(Pnm, BitmapPolarityFollowsTheColourTable) {
    // PBM: 1 is black. Read back: pixel (0,0) black, (1,0) white.
    OwnedDib d;
    decode(d, bytesOf("P1\n# a comment\n3 2\n100\n011\n"));
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(d.bits(), 1);
    int r, g, b;
    rgbAt(d, 0, 0, r, g, b);
    EXPECT_EQ(r, 0);
    rgbAt(d, 1, 0, r, g, b);
    EXPECT_EQ(r, 255);
    rgbAt(d, 2, 1, r, g, b);
    EXPECT_EQ(r, 0);
    // A bitmap whose table says 0 = white is written with its black pixels black.
    OwnedDib inv;
    newdib(*inv, 10, 1, 1, nullptr, 0);
    inv->pmi->bmiColors[0] = RGBQUAD{255, 255, 255, 0};
    inv->pmi->bmiColors[1] = RGBQUAD{0, 0, 0, 0};
    setpixel(*inv, 0, 0, 1); // black
    const auto bytes = encode(*inv);
    const std::string text(bytes.begin(), bytes.end());
    ASSERT_EQ(text.substr(0, 8), "P4\n10 1\n");
    ASSERT_EQ(bytes.size(), 10u);
    EXPECT_EQ(bytes[8], 0x80);
    EXPECT_EQ(bytes[9], 0x00); // the padding bits stay zero
}

TEST_F(Pnm, PlainAndSixteenBitSamplesAreScaledToEightBits) {
    OwnedDib d;
    // Plain PGM with maxval 15 and tokens split by any white space and comments.
    decode(d, bytesOf("P2 4 1 15\n0 5#x\n 10\t15"));
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(d.bits(), 8);
    EXPECT_EQ(getpixel(*d, 0, 0), 0u);
    EXPECT_EQ(getpixel(*d, 1, 0), 85u);
    EXPECT_EQ(getpixel(*d, 3, 0), 255u);
    // Plain PPM; a sample above maxval counts as maxval.
    decode(d, bytesOf("P3\n2 1\n255\n255 0 0  0 0 999\n"));
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(getpixel(*d, 0, 0), 0xff0000u);
    EXPECT_EQ(getpixel(*d, 1, 0), 0x0000ffu);
    // Raw 16-bit PPM, most significant byte first, maxval 1000.
    std::vector<uint8_t> p6 = bytesOf("P6 1 1 1000\n");
    for (uint16_t v : {1000, 500, 0}) {
        p6.push_back(uint8_t(v >> 8));
        p6.push_back(uint8_t(v));
    }
    decode(d, p6);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(getpixel(*d, 0, 0), 0xff8000u);
    // Raw PGM 16 bits.
    std::vector<uint8_t> p5 = bytesOf("P5 2 1 65535 ");
    for (uint8_t v : {0xff, 0xff, 0x80, 0x00}) {
        p5.push_back(v);
    }
    decode(d, p5);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(getpixel(*d, 0, 0), 255u);
    EXPECT_EQ(getpixel(*d, 1, 0), 128u);
}

TEST_F(Pnm, OurFilesOpenInImageMagickAndItsFilesOpenHere) {
    TempDir dir;
    struct Case {
        int bits;
        const char* name;
        const char* type;
    };
    for (const Case& c : {Case{1, "b.pbm", "Bilevel"}, Case{8, "g.pgm", "Grayscale"},
                          Case{24, "c.ppm", "TrueColor"}}) {
        OwnedDib src;
        qlytest::makePattern(src, 33, 21, c.bits, 4);
        if (c.bits == 8) {
            for (int i = 0; i < 256; ++i) {
                src->pmi->bmiColors[i] = RGBQUAD{uint8_t(i), uint8_t(i), uint8_t(i), 0};
            }
        }
        const std::string file = dir.file(c.name);
        ASSERT_EQ(SaveDib(*src, file, DIB_PNM), 1);
        const auto id = qlytest::runTool(dir, "identify -format '%w %h %z %[type]' '" + file + "'");
        ASSERT_EQ(id.status, 0) << id.output;
        EXPECT_EQ(id.output, "33 21 " + std::string(c.bits == 1 ? "1" : "8") + " " + c.type);
        // ImageMagick's own copy as PNG, read back through our PNG reader: same pixels.
        const auto conv =
            qlytest::runTool(dir, "convert '" + file + "' '" + dir.file("im.png") + "'");
        ASSERT_EQ(conv.status, 0) << conv.output;
        OwnedDib viaIm;
        viaIm.reset();
        OpenDib(*viaIm, dir.file("im.png"), DIB_AUTO);
        ASSERT_NE(viaIm->poi, nullptr);
        EXPECT_EQ(colourDifferences(*src, *viaIm), 0) << c.name;
    }
    // ImageMagick writes plain and 16-bit files; they match its 8-bit raw rendering.
    const std::string plain = dir.file("plain.ppm");
    const std::string deep = dir.file("deep.pgm");
    const std::string ref = dir.file("ref.ppm");
    const std::string refGrey = dir.file("ref.pgm");
    const auto make = qlytest::runTool(
        dir, "convert -size 40x30 plasma:fractal -seed 3 -compress none -depth 8 '" + plain +
                 "' && convert '" + plain + "' -depth 8 '" + ref + "' && convert -size 40x30 " +
                 "gradient:black-white -depth 16 '" + deep + "' && convert '" + deep +
                 "' -depth 8 '" + refGrey + "'");
    ASSERT_EQ(make.status, 0) << make.output;
    for (const auto& [file, reference] : {std::pair{plain, ref}, std::pair{deep, refGrey}}) {
        OwnedDib back;
        back.reset();
        OpenDib(*back, file, DIB_AUTO);
        ASSERT_NE(back->poi, nullptr) << file << DibErrorText(*back);
        qlytest::NetpbmPicture pic;
        ASSERT_TRUE(qlytest::parseNetpbm(qlytest::readFileBytes(reference), pic));
        EXPECT_EQ(back.width(), pic.width);
        EXPECT_EQ(back.height(), pic.height);
        EXPECT_EQ(back.bits(), pic.channels == 1 ? 8 : 24);
        // 16 to 8 bits may round one step differently from ImageMagick.
        EXPECT_GT(qlytest::psnrAgainst(*back, pic), 48.0) << file;
    }
}

TEST_F(Pnm, DamagedAndHostileFilesAreRefusedWithAReason) {
    const struct {
        const char* bytes;
        const char* reason;
    } cases[] = {
        {"P5\n4 4\n255\nabc", "Datei ist beschädigt"},         // raw samples missing
        {"P6 70000 2 255\n", "Bild ist zu groß"},              // wider than the cap
        {"P4 99999999999999999999 1\n", "Bild ist zu groß"},   // absurd number
        {"P2 2 2 0\n0 0 0 0", "Datei ist beschädigt"},         // maxval 0
        {"P2 2 2 70000\n0 0 0 0", "Datei ist beschädigt"},     // maxval over 16 bits
        {"P3 1 1 255\n1 x 3", "Datei ist beschädigt"},         // not a number
        {"P1 2 1\n12", "Datei ist beschädigt"},                // not a bit
        {"P2 30000 30000 255\n1 2 3", "Datei ist beschädigt"}, // far too few samples
        {"P5 0 5 255\n", "Bild hat keine Pixel"},              // no pixels
        {"P6 2", "Datei ist beschädigt"},                      // header cut off
    };
    for (const auto& c : cases) {
        OwnedDib d;
        decode(d, bytesOf(c.bytes));
        EXPECT_EQ(d->poi, nullptr) << c.bytes;
        EXPECT_EQ(DibErrorText(*d), c.reason) << c.bytes;
    }
    // Every cut of a valid file fails cleanly or gives the picture.
    OwnedDib src;
    qlytest::makePattern(src, 13, 7, 24, 1);
    const auto good = encode(*src);
    for (size_t n = 0; n < good.size(); n += 7) {
        OwnedDib d;
        decode(d, std::vector<uint8_t>(good.begin(), good.begin() + std::ptrdiff_t(n)), DIB_PNM);
        EXPECT_EQ(d->poi, nullptr) << n;
        EXPECT_FALSE(DibErrorText(*d).empty());
    }
}

} // namespace
