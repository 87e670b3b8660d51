// Saving 1-bit pictures in every format the library writes: a picture whose two colours are not
// black and white reads back in its own two colours, and a black-and-white picture is written
// exactly as before, byte for byte.
#include "common/TestDib.h"
#include "platform/GrafikRW3.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

using qlytest::OwnedDib;

namespace {

struct Colour {
    uint8_t r, g, b;
};

// A 1-bit picture with the colours c0 (pixel value 0) and c1 (value 1), in the colour table and
// the palette copy alike. `blocks` gives 16 x 16 squares (kind to lossy coders), otherwise
// stripes and noise down to single pixels.
void makeTwoColour(OwnedDib& out, int w, int h, Colour c0, Colour c1, bool blocks) {
    out.reset();
    newdib(*out, w, h, 1, nullptr, 0);
    ASSERT_NE(out->poi, nullptr);
    out->pmi->bmiColors[0] = RGBQUAD{c0.b, c0.g, c0.r, 0};
    out->pmi->bmiColors[1] = RGBQUAD{c1.b, c1.g, c1.r, 0};
    out->pal.rgb0[0] = PALETTEENTRY{c0.r, c0.g, c0.b, 0};
    out->pal.rgb0[1] = PALETTEENTRY{c1.r, c1.g, c1.b, 0};
    std::mt19937 rng(7);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool one = blocks ? ((x / 16 + y / 16) % 3 == 0)
                                    : ((y % 9) < 3 && (x / 5) % 3 != 0) || rng() % 11 == 0;
            setpixel(*out, x, y, one ? 1 : 0);
        }
    }
}

struct Format {
    int code;
    const char* name;
    bool lossy;
    // Bits per pixel a two-colour picture reads back with (1 where the file holds the two
    // colours as a 1-bit palette), for a pair of colours and for a pair of greys.
    int bitsBack;
    int bitsBackGrey;
};

const Format kFormats[] = {
    {DIB_BMP, "BMP", false, 1, 1}, {DIB_DIB, "DIB", false, 1, 1},  {DIB_GIF, "GIF", false, 1, 1},
    {DIB_IFF, "IFF", false, 1, 1}, {DIB_JIF, "JIF", true, 24, 24}, {DIB_JPG, "JPG", true, 24, 24},
    {DIB_LBM, "LBM", false, 1, 1}, {DIB_PCX, "PCX", false, 4, 4},  {DIB_RLE, "RLE", false, 1, 1},
    {DIB_TGA, "TGA", false, 8, 8}, {DIB_TIF, "TIF", false, 1, 1},  {DIB_JP2, "JP2", true, 24, 8},
    {DIB_PNG, "PNG", false, 1, 1}, {DIB_PNM, "PNM", false, 24, 8},
};

struct Pair {
    const char* name;
    Colour c0, c1;
};

const Pair kPairs[] = {
    {"red on white", {255, 0, 0}, {255, 255, 255}},
    {"white with dark blue", {255, 255, 255}, {0, 0, 128}},
    {"black and light grey", {0, 0, 0}, {192, 192, 192}},
    {"two greens", {0, 100, 0}, {180, 255, 180}},
    {"orange twice", {255, 140, 0}, {255, 140, 0}},
};

int channelDistance(int r1, int g1, int b1, const Colour& c) {
    return std::max({std::abs(r1 - c.r), std::abs(g1 - c.g), std::abs(b1 - c.b)});
}

TEST(TwoColourPictures, KeepTheirColoursInEveryFormat) {
    // JPEG at its default quality, JPEG 2000 at a quarter of the raw size.
    const int32_t oldJpeg = GetJPEGQual();
    const int32_t oldJp2 = GetJPEG2000Qual();
    SetJPEGQual(75);
    SetJPEG2000Qual(2500);
    for (const Format& f : kFormats) {
        for (const Pair& p : kPairs) {
            SCOPED_TRACE(std::string(f.name) + ", " + p.name);
            OwnedDib pic;
            makeTwoColour(pic, f.lossy ? 64 : 37, f.lossy ? 48 : 23, p.c0, p.c1, f.lossy);
            std::vector<uint8_t> bytes;
            ASSERT_TRUE(SaveDibToMemory(*pic, f.code, bytes)) << DibLastError();
            OwnedDib back;
            qlytest::decodeBytes(back, bytes, f.code);
            ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
            ASSERT_EQ(back.width(), pic.width());
            ASSERT_EQ(back.height(), pic.height());
            const bool flat = p.c0.r == p.c1.r && p.c0.g == p.c1.g && p.c0.b == p.c1.b;
            auto grey = [](const Colour& c) { return c.r == c.g && c.g == c.b; };
            if (!flat) {
                EXPECT_EQ(back.bits(), grey(p.c0) && grey(p.c1) ? f.bitsBackGrey : f.bitsBack);
            }
            int64_t wrong = 0;
            int worstInside = 0;
            for (int y = 0; y < pic.height(); ++y) {
                for (int x = 0; x < pic.width(); ++x) {
                    const Colour& want = getpixel(*pic, x, y) != 0 ? p.c1 : p.c0;
                    const Colour& other = getpixel(*pic, x, y) != 0 ? p.c0 : p.c1;
                    int r, g, b;
                    qlytest::pixelRgb(*back, x, y, r, g, b);
                    const int d = channelDistance(r, g, b, want);
                    // Lossy coders: each pixel nearer its own colour than the other one, and
                    // close to it away from the edges of the squares.
                    if (f.lossy ? !flat && d >= channelDistance(r, g, b, other) : d != 0) {
                        ++wrong;
                    }
                    if (x % 16 >= 3 && x % 16 < 13 && y % 16 >= 3 && y % 16 < 13) {
                        worstInside = std::max(worstInside, d);
                    }
                }
            }
            EXPECT_EQ(wrong, 0);
            if (f.lossy) {
                EXPECT_LE(worstInside, 12);
            }
        }
    }
    SetJPEGQual(oldJpeg);
    SetJPEG2000Qual(oldJp2);
}

// Black-and-white pictures, black first and white first, are written as they were before
// two-colour pictures kept their colours: the CRC-32 and size of each file were recorded with the
// writers of that time. The JPEG, JPEG 2000, PNG and GIF files come from libjpeg-turbo 2.1,
// OpenJPEG 2.5, libpng 1.6 with zlib 1.2 and giflib 5.2 as Debian 12 has them; a new version of
// one of those may code differently, and only its rows then need recording anew.
TEST(TwoColourPictures, BlackAndWhitePicturesAreWrittenAsBefore) {
    struct Pinned {
        int code;
        uint32_t crcBlackFirst;
        size_t sizeBlackFirst;
        uint32_t crcWhiteFirst;
        size_t sizeWhiteFirst;
    };
    const Pinned pinned[] = {
        {DIB_BMP, 0x2c88d798, 246, 0x92229ae8, 246}, {DIB_DIB, 0x2c88d798, 246, 0x92229ae8, 246},
        {DIB_GIF, 0x67869516, 137, 0xec865555, 137}, {DIB_IFF, 0xf6bcb1f2, 230, 0xfd16067a, 230},
        {DIB_JIF, 0x0fbcccfd, 891, 0x2bc3ef8f, 891}, {DIB_JPG, 0x0fbcccfd, 891, 0x2bc3ef8f, 891},
        {DIB_LBM, 0xf6bcb1f2, 230, 0xfd16067a, 230}, {DIB_PCX, 0xc02bebcb, 279, 0x0aecc677, 331},
        {DIB_RLE, 0x2c88d798, 246, 0x92229ae8, 246}, {DIB_TGA, 0xe43a9148, 384, 0x0968fb76, 384},
        {DIB_TIF, 0x9bfca3a8, 326, 0x6cc717fe, 316}, {DIB_JP2, 0x03c85885, 284, 0xfe75309f, 284},
        {DIB_PNG, 0x42f007a2, 179, 0xe51733b3, 197}, {DIB_PNM, 0xb4871ae6, 124, 0xcc534d94, 124},
    };
    const int32_t oldJpeg = GetJPEGQual();
    const int32_t oldJp2 = GetJPEG2000Qual();
    SetJPEGQual(75);
    SetJPEG2000Qual(100);
    const Colour black{0, 0, 0};
    const Colour white{255, 255, 255};
    for (const Pinned& p : pinned) {
        for (bool blackFirst : {true, false}) {
            SCOPED_TRACE(testing::Message()
                         << "format " << p.code << ", black first " << blackFirst);
            OwnedDib pic;
            makeTwoColour(pic, 37, 23, blackFirst ? black : white, blackFirst ? white : black,
                          false);
            pic->pmi->bmiHeader.biXPelsPerMeter = 11811; // 300 dpi
            pic->pmi->bmiHeader.biYPelsPerMeter = 11811;
            std::vector<uint8_t> bytes;
            ASSERT_TRUE(SaveDibToMemory(*pic, p.code, bytes)) << DibLastError();
            const auto crc =
                static_cast<uint32_t>(crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
            EXPECT_EQ(crc, blackFirst ? p.crcBlackFirst : p.crcWhiteFirst);
            EXPECT_EQ(bytes.size(), blackFirst ? p.sizeBlackFirst : p.sizeWhiteFirst);
        }
    }
    SetJPEGQual(oldJpeg);
    SetJPEG2000Qual(oldJp2);
}

} // namespace
