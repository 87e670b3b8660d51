#include "platform/image/Quantize.h"
#include "common/OtherPrograms.h"
#include "common/TestDib.h"

#include <gtest/gtest.h>

#include <set>

using qly::img::DibError;
using qly::img::DibHolder;
using qly::img::IndexedPicture;
using qly::img::quantizeToPalette;
using qlytest::OwnedDib;

namespace {

uint32_t tableColour(const dib& d, uint32_t i) {
    const RGBQUAD& q = d.pmi->bmiColors[i];
    return uint32_t(q.rgbRed) << 16 | uint32_t(q.rgbGreen) << 8 | q.rgbBlue;
}

double meanOfChannel(const dib& d, int channel) {
    double sum = 0;
    for (int y = 0; y < d.pmi->bmiHeader.biHeight; ++y) {
        for (int x = 0; x < d.pmi->bmiHeader.biWidth; ++x) {
            int c[3];
            qlytest::pixelRgb(d, x, y, c[0], c[1], c[2]);
            sum += c[channel];
        }
    }
    return sum / (double(d.pmi->bmiHeader.biWidth) * d.pmi->bmiHeader.biHeight);
}

TEST(Quantize, FewColoursAreKeptExactlyInASortedTable) {
    OwnedDib src;
    qlytest::makeFewColours(src, 70, 30, 37);
    src->pmi->bmiHeader.biXPelsPerMeter = 11811; // 300 dpi
    src->pmi->bmiHeader.biYPelsPerMeter = 11811;
    DibHolder out;
    EXPECT_EQ(quantizeToPalette(*src, out), 37);
    EXPECT_EQ(out.get().pmi->bmiHeader.biBitCount, 8);
    EXPECT_EQ(qlytest::colourDifferences(*src, out.get()), 0);
    for (uint32_t i = 1; i < 37; ++i) {
        EXPECT_LT(tableColour(out.get(), i - 1), tableColour(out.get(), i));
    }
    for (uint32_t i = 37; i < 256; ++i) {
        EXPECT_EQ(tableColour(out.get(), i), 0u);
    }
    EXPECT_EQ(out.get().pmi->bmiHeader.biXPelsPerMeter, 11811);
    EXPECT_EQ(out.get().pmi->bmiHeader.biYPelsPerMeter, 11811);
}

TEST(Quantize, SixteenAndThirtyTwoBitPixelsAreReadAsTheirColours) {
    OwnedDib p16;
    newdib(*p16, 3, 1, 16, nullptr, 0);
    setpixel(*p16, 0, 0, 0x7fff); // white
    setpixel(*p16, 1, 0, 0x001f); // blue
    setpixel(*p16, 2, 0, 0x4210); // 16/31 grey
    DibHolder out;
    EXPECT_EQ(quantizeToPalette(*p16, out), 3);
    EXPECT_EQ(qlytest::colourDifferences(*p16, out.get()), 0);

    OwnedDib p32;
    newdib(*p32, 2, 1, 32, nullptr, 0);
    setpixel(*p32, 0, 0, 0xff123456); // the fourth byte is padding and is ignored
    setpixel(*p32, 1, 0, 0x00123456);
    DibHolder out32;
    EXPECT_EQ(quantizeToPalette(*p32, out32), 1);
    EXPECT_EQ(tableColour(out32.get(), 0), 0x123456u);
}

TEST(Quantize, ManyColoursAreReducedToTheLimitWithDithering) {
    OwnedDib photo;
    qlytest::makeSmooth(photo, 160, 120);
    for (int limit : {256, 16, 2}) {
        DibHolder out;
        const int n = quantizeToPalette(*photo, out, limit);
        EXPECT_LE(n, limit);
        EXPECT_GE(n, limit / 2) << "a rich picture uses most of the palette";
        std::set<uint32_t> used;
        for (int y = 0; y < 120; ++y) {
            for (int x = 0; x < 160; ++x) {
                used.insert(getpixel(out.get(), x, y));
            }
        }
        EXPECT_LT(*used.rbegin(), uint32_t(n));
        // Error diffusion keeps the average colour of the picture.
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(meanOfChannel(out.get(), c), meanOfChannel(*photo, c), limit == 2 ? 12 : 2);
        }
        if (limit == 256) {
            EXPECT_GT(qlytest::psnr(*photo, out.get()), 26.0);
        }
    }
}

TEST(Quantize, PalettePicturesAreRefusedAndIndexedPictureTakesThemAsTheyAre) {
    OwnedDib pal;
    qlytest::makePattern(pal, 13, 3, 4, 2);
    DibHolder out;
    EXPECT_THROW(quantizeToPalette(*pal, out), DibError);

    const IndexedPicture indexed(*pal);
    EXPECT_FALSE(indexed.quantized());
    EXPECT_EQ(indexed.bits(), 4);
    EXPECT_EQ(indexed.colors(), 16);
    std::vector<uint8_t> line(13);
    for (int y = 0; y < 3; ++y) {
        indexed.row(y, line.data());
        for (int x = 0; x < 13; ++x) {
            ASSERT_EQ(line[size_t(x)], getpixel(*pal, x, y));
        }
    }
    OwnedDib mono;
    qlytest::makePattern(mono, 17, 2, 1, 3);
    const IndexedPicture bilevel(*mono);
    std::vector<uint8_t> bits(17);
    bilevel.row(1, bits.data());
    for (int x = 0; x < 17; ++x) {
        ASSERT_EQ(bits[size_t(x)], getpixel(*mono, x, 1));
    }

    OwnedDib rgb;
    qlytest::makeFewColours(rgb, 10, 10, 3);
    const IndexedPicture reduced(*rgb);
    EXPECT_TRUE(reduced.quantized());
    EXPECT_EQ(reduced.bits(), 8);
    EXPECT_EQ(reduced.colors(), 3);
}

} // namespace
