#include "common/TestDib.h"
#include "platform/GrafikRW3.h"

#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>

using qlytest::OwnedDib;

namespace {

using qlytest::decodeBytes;

struct PngSpec {
    PngSpec(int type, int bitDepth, bool adam7 = false, std::vector<png_color> pal = {},
            std::vector<png_byte> alpha = {}, bool transparentZero = false)
        : colorType(type), depth(bitDepth), interlace(adam7), palette(std::move(pal)),
          trnsAlpha(std::move(alpha)), trnsColor(transparentZero) {}
    int colorType;
    int depth;
    bool interlace;
    std::vector<png_color> palette;
    std::vector<png_byte> trnsAlpha; // palette alpha
    bool trnsColor;                  // grey/RGB single transparent colour (value 0)
};

void toVector(png_structp png, png_bytep data, png_size_t n) {
    auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    v->insert(v->end(), data, data + n);
}

// Writes a PNG with libpng itself. `sample(x, y, c)` gives channel c of pixel (x, y) in the
// file's own depth.
template <typename Sample>
std::vector<uint8_t> makePng(const PngSpec& s, int w, int h, Sample sample) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, toVector, nullptr);
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), s.depth, s.colorType,
                 s.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty()) {
        png_set_PLTE(png, info, s.palette.data(), int(s.palette.size()));
    }
    if (!s.trnsAlpha.empty()) {
        png_set_tRNS(png, info, s.trnsAlpha.data(), int(s.trnsAlpha.size()), nullptr);
    }
    if (s.trnsColor) {
        png_color_16 c{};
        png_set_tRNS(png, info, nullptr, 0, &c);
    }
    const int channels = png_get_channels(png, info);
    const int rowBytes = int(png_get_rowbytes(png, info));
    std::vector<std::vector<png_byte>> rows{size_t(h), std::vector<png_byte>(size_t(rowBytes))};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            for (int c = 0; c < channels; ++c) {
                const unsigned v = sample(x, y, c);
                const int bitPos = (x * channels + c) * s.depth;
                if (s.depth == 16) {
                    rows[y][bitPos / 8] = png_byte(v >> 8);
                    rows[y][bitPos / 8 + 1] = png_byte(v);
                } else {
                    rows[y][bitPos / 8] |= png_byte(v << (8 - s.depth - bitPos % 8));
                }
            }
        }
    }
    std::vector<png_bytep> ptrs;
    for (auto& r : rows) {
        ptrs.push_back(r.data());
    }
    png_write_info(png, info);
    png_write_image(png, ptrs.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

void rgbAt(const OwnedDib& d, int x, int y, int& r, int& g, int& b) {
    qlytest::pixelRgb(*d, x, y, r, g, b);
}

TEST(Png, GreyPicturesKeepOneAndFourBitsAndOthersBecomeEightBitGrey) {
    const struct {
        int depth;
        int bits;
    } cases[] = {{1, 1}, {2, 8}, {4, 4}, {8, 8}, {16, 8}};
    for (const auto& c : cases) {
        for (bool interlace : {false, true}) {
            const unsigned max = (1u << c.depth) - 1;
            const auto bytes = makePng({PNG_COLOR_TYPE_GRAY, c.depth, interlace}, 11, 9,
                                       [&](int x, int y, int) { return (x + 3 * y) % (max + 1); });
            OwnedDib d;
            decodeBytes(d, bytes);
            ASSERT_NE(d->poi, nullptr) << c.depth << DibErrorText(*d);
            EXPECT_EQ(d.bits(), c.bits) << c.depth;
            for (int y = 0; y < 9; ++y) {
                for (int x = 0; x < 11; ++x) {
                    int r, g, b;
                    rgbAt(d, x, y, r, g, b);
                    const int expected = int(((x + 3 * y) % (max + 1)) * 255 / max);
                    ASSERT_NEAR(r, expected, 1) << c.depth << " " << x << "," << y;
                    ASSERT_EQ(r, g);
                    ASSERT_EQ(g, b);
                }
            }
        }
    }
}

TEST(Png, BilevelScanStaysOneBitWithBlackAndWhiteTable) {
    const auto bytes = makePng({PNG_COLOR_TYPE_GRAY, 1}, 37, 3,
                               [](int x, int, int) { return x % 3 == 0 ? 0u : 1u; });
    OwnedDib d;
    decodeBytes(d, bytes);
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(d.bits(), 1);
    EXPECT_EQ(getpixel(*d, 0, 0), 0u);
    EXPECT_EQ(getpixel(*d, 1, 0), 1u);
    EXPECT_EQ(d->pal.rgb0[0].peRed, 0);
    EXPECT_EQ(d->pal.rgb0[1].peRed, 255);
}

TEST(Png, PalettePicturesKeepTheirIndicesAndColours) {
    for (int depth : {1, 2, 4, 8}) {
        const int n = 1 << depth;
        std::vector<png_color> pal;
        for (int i = 0; i < n; ++i) {
            pal.push_back(png_color{png_byte(i * 37), png_byte(255 - i), png_byte(i * 11)});
        }
        const auto bytes = makePng({PNG_COLOR_TYPE_PALETTE, depth, false, pal}, 13, 5,
                                   [&](int x, int y, int) { return unsigned(x * 7 + y) % n; });
        OwnedDib d;
        decodeBytes(d, bytes);
        ASSERT_NE(d->poi, nullptr) << depth;
        EXPECT_EQ(d.bits(), depth == 2 ? 8 : depth);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 13; ++x) {
                ASSERT_EQ(getpixel(*d, x, y), unsigned(x * 7 + y) % n);
            }
        }
        const int i = n - 1;
        EXPECT_EQ(d->pal.rgb0[i].peRed, png_byte(i * 37));
        EXPECT_EQ(d->pal.rgb0[i].peGreen, 255 - i);
        EXPECT_EQ(d->pmi->bmiColors[i].rgbBlue, png_byte(i * 11));
    }
}

TEST(Png, TrueColourAndSixteenBitChannelsBecomeTwentyFourBit) {
    for (int depth : {8, 16}) {
        const unsigned max = (1u << depth) - 1;
        const auto bytes = makePng({PNG_COLOR_TYPE_RGB, depth}, 7, 4, [&](int x, int y, int c) {
            return c == 0 ? max : c == 1 ? unsigned(x) * max / 6 : unsigned(y) * max / 3;
        });
        OwnedDib d;
        decodeBytes(d, bytes);
        ASSERT_NE(d->poi, nullptr);
        EXPECT_EQ(d.bits(), 24);
        int r, g, b;
        rgbAt(d, 6, 3, r, g, b);
        EXPECT_EQ(r, 255);
        EXPECT_EQ(g, 255);
        EXPECT_EQ(b, 255);
        rgbAt(d, 0, 0, r, g, b);
        EXPECT_EQ(r, 255);
        EXPECT_EQ(g, 0);
        EXPECT_EQ(b, 0);
    }
}

TEST(Png, AlphaIsComposedOntoWhite) {
    // Fully transparent -> white, opaque -> the colour, half -> halfway.
    for (int depth : {8, 16}) {
        const unsigned max = (1u << depth) - 1;
        const auto rgba = makePng({PNG_COLOR_TYPE_RGB_ALPHA, depth}, 3, 1, [&](int x, int, int c) {
            if (c == 3) {
                return x == 0 ? 0u : x == 1 ? max : (max + 1) / 2;
            }
            return 0u; // black
        });
        OwnedDib d;
        decodeBytes(d, rgba);
        ASSERT_NE(d->poi, nullptr);
        EXPECT_EQ(d.bits(), 24);
        int r, g, b;
        rgbAt(d, 0, 0, r, g, b);
        EXPECT_EQ(r, 255);
        rgbAt(d, 1, 0, r, g, b);
        EXPECT_EQ(r, 0);
        rgbAt(d, 2, 0, r, g, b);
        EXPECT_NEAR(r, 127, 2);

        const auto ga = makePng({PNG_COLOR_TYPE_GRAY_ALPHA, depth}, 2, 1, [&](int x, int, int c) {
            return c == 0 ? 0u : x == 0 ? 0u : max;
        });
        decodeBytes(d, ga);
        ASSERT_NE(d->poi, nullptr);
        EXPECT_EQ(d.bits(), 8);
        rgbAt(d, 0, 0, r, g, b);
        EXPECT_EQ(r, 255);
        rgbAt(d, 1, 0, r, g, b);
        EXPECT_EQ(r, 0);
    }
    // Palette with tRNS and grey with a transparent value.
    const auto palTrns = makePng(
        {PNG_COLOR_TYPE_PALETTE, 8, false, {png_color{0, 0, 0}, png_color{0, 0, 255}}, {0, 255}}, 2,
        1, [](int x, int, int) { return unsigned(x); });
    OwnedDib d;
    decodeBytes(d, palTrns);
    ASSERT_NE(d->poi, nullptr);
    int r, g, b;
    rgbAt(d, 0, 0, r, g, b);
    EXPECT_EQ(r + g + b, 3 * 255);
    rgbAt(d, 1, 0, r, g, b);
    EXPECT_EQ(b, 255);
    EXPECT_EQ(r, 0);
    const auto greyTrns = makePng({PNG_COLOR_TYPE_GRAY, 1, false, {}, {}, true}, 2, 1,
                                  [](int x, int, int) { return unsigned(x); });
    decodeBytes(d, greyTrns);
    ASSERT_NE(d->poi, nullptr);
    rgbAt(d, 0, 0, r, g, b);
    EXPECT_EQ(r, 255); // the transparent black pixel is paper
}

TEST(Png, OurWriterRoundTripsEveryDepthLosslessly) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        OwnedDib src;
        qlytest::makePattern(src, 19, 6, bits, 3);
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(SaveDibToMemory(*src, DIB_PNG, bytes)) << DibLastError();
        OwnedDib back;
        decodeBytes(back, bytes);
        ASSERT_NE(back->poi, nullptr);
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < 19; ++x) {
                int r1, g1, b1, r2, g2, b2;
                qlytest::pixelRgb(*src, x, y, r1, g1, b1);
                qlytest::pixelRgb(*back, x, y, r2, g2, b2);
                ASSERT_EQ(r1, r2) << bits;
                ASSERT_EQ(g1, g2) << bits;
                ASSERT_EQ(b1, b2) << bits;
            }
        }
        if (bits <= 8) {
            EXPECT_EQ(back.bits(), bits);
            EXPECT_EQ(qlytest::pixelDifferences(*src, *back), 0);
        }
    }
}

TEST(Png, DamagedFilesGiveAReason) {
    const auto good = makePng({PNG_COLOR_TYPE_RGB, 8}, 30, 30,
                              [](int x, int y, int c) { return unsigned(x * y + c) & 255; });
    OwnedDib d;
    for (size_t n : {size_t{8}, size_t{20}, size_t{40}, good.size() / 2, good.size() - 13}) {
        OpenDibFromMemory(*d, good.data(), n, DIB_AUTO);
        EXPECT_EQ(d->poi, nullptr) << n;
        EXPECT_EQ(DibErrorText(*d), "Datei ist beschädigt") << n;
    }
    // A flipped bit in the compressed data fails its CRC.
    auto flipped = good;
    flipped[good.size() / 2] ^= 0x10;
    OpenDibFromMemory(*d, flipped.data(), flipped.size(), DIB_AUTO);
    EXPECT_EQ(d->poi, nullptr);
    // A chunk that claims more bytes than the file has: before the image data the file is
    // damaged; after it (garbage appended to a good file) the picture is still read. Neither may
    // make the reader allocate the claimed size.
    std::vector<uint8_t> lying(good.begin(), good.begin() + 33); // signature + IHDR
    const uint8_t hugeText[] = {0x7e, 0x00, 0x00, 0x26, 't', 'E', 'X', 't', 1, 2, 3};
    lying.insert(lying.end(), std::begin(hugeText), std::end(hugeText));
    OpenDibFromMemory(*d, lying.data(), lying.size(), DIB_AUTO);
    EXPECT_EQ(d->poi, nullptr);
    auto trailing = good;
    trailing.resize(trailing.size() - 12); // drop IEND
    trailing.insert(trailing.end(), std::begin(hugeText), std::end(hugeText));
    OpenDibFromMemory(*d, trailing.data(), trailing.size(), DIB_AUTO);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(d.width(), 30);
    d.reset();
    // Absurd size in IHDR (CRC fixed up so only the size is wrong).
    auto absurd = good;
    absurd[16] = 0x00;
    absurd[17] = 0x01;
    absurd[18] = 0x00;
    absurd[19] = 0x00; // width 65536
    const uLong crc = crc32(crc32(0, nullptr, 0), &absurd[12], 17);
    absurd[29] = png_byte(crc >> 24);
    absurd[30] = png_byte(crc >> 16);
    absurd[31] = png_byte(crc >> 8);
    absurd[32] = png_byte(crc);
    OpenDibFromMemory(*d, absurd.data(), absurd.size(), DIB_AUTO);
    EXPECT_EQ(d->poi, nullptr);
    EXPECT_EQ(DibErrorText(*d), "Bild ist zu groß");
}

} // namespace
