#include "common/TestDib.h"
#include "platform/GrafikRW3.h"

#include <gtest/gtest.h>

using qlytest::OwnedDib;

namespace {

double meanChannel(const dib& d, int channel) {
    double sum = 0;
    for (int y = 0; y < d.pmi->bmiHeader.biHeight; ++y) {
        for (int x = 0; x < d.pmi->bmiHeader.biWidth; ++x) {
            int rgb[3];
            qlytest::pixelRgb(d, x, y, rgb[0], rgb[1], rgb[2]);
            sum += rgb[channel];
        }
    }
    return sum / (double(d.pmi->bmiHeader.biWidth) * d.pmi->bmiHeader.biHeight);
}

TEST(Halftone, CopyHasA256ColourPaletteAndKeepsTheAverageColour) {
    OwnedDib src;
    qlytest::makeSmooth(src, 120, 80);
    OwnedDib ht;
    DIBHalftoneDIB(*ht, *src);
    ASSERT_NE(ht->poi, nullptr);
    EXPECT_EQ(ht.bits(), 8);
    EXPECT_EQ(ht.width(), 120);
    EXPECT_EQ(ht.height(), 80);
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(meanChannel(*ht, c), meanChannel(*src, c), 3.0) << c;
    }
    // A flat mid grey that is in the palette stays exact.
    OwnedDib grey;
    newdib(*grey, 10, 10, 24, nullptr, 0);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            setpixel(*grey, x, y, 0x666666); // 102 = 2 * 51, a cube grey
        }
    }
    OwnedDib g;
    DIBHalftoneDIB(*g, *grey);
    int r, gg, b;
    qlytest::pixelRgb(*g, 5, 5, r, gg, b);
    EXPECT_EQ(r, 102);
}

TEST(Halftone, ResampledCopyHasTheAskedSizeAndAveragesWhenReducing) {
    // Alternating black and white columns reduced by 2 average to mid grey.
    OwnedDib src;
    newdib(*src, 64, 32, 1, nullptr, 0);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 64; x += 2) {
            setpixel(*src, x, y, 1);
        }
    }
    OwnedDib small;
    DIBHalftoneDIBXY(*small, *src, 32, 16);
    ASSERT_NE(small->poi, nullptr);
    EXPECT_EQ(small.width(), 32);
    EXPECT_EQ(small.height(), 16);
    EXPECT_NEAR(meanChannel(*small, 0), 127.5, 4.0);
    OwnedDib big;
    DIBHalftoneDIBXY(*big, *src, 128, 64);
    ASSERT_NE(big->poi, nullptr);
    int r, g, b;
    qlytest::pixelRgb(*big, 0, 0, r, g, b);
    EXPECT_EQ(r, 255);
    qlytest::pixelRgb(*big, 2, 0, r, g, b);
    EXPECT_EQ(r, 0);
    OwnedDib none;
    DIBHalftoneDIBXY(*none, *src, 0, 10);
    EXPECT_EQ(none->poi, nullptr);
}

} // namespace
