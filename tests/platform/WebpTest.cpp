#include "common/OutsideTools.h"
#include "common/TestDib.h"
#include "platform/GrafikRW3.h"

#include <gtest/gtest.h>

#include <webp/encode.h>

using qlytest::OwnedDib;
using qlytest::TempDir;

namespace {

// Red, green, blue (and alpha) samples of a test picture, top row first.
std::vector<uint8_t> samples(int w, int h, int channels) {
    std::vector<uint8_t> s(size_t(w) * size_t(h) * size_t(channels));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint8_t* p = s.data() + (size_t(y) * size_t(w) + size_t(x)) * size_t(channels);
            p[0] = uint8_t(x * 9);
            p[1] = uint8_t(y * 17);
            p[2] = uint8_t((x * y) & 255);
            if (channels == 4) {
                p[3] = uint8_t(x < w / 2 ? 255 : y * 20);
            }
        }
    }
    return s;
}

std::vector<uint8_t> takeWebp(uint8_t* out, size_t size) {
    std::vector<uint8_t> v(out, out + size);
    WebPFree(out);
    return v;
}

class Webp : public ::testing::Test {
  protected:
    static void decode(OwnedDib& d, const std::vector<uint8_t>& bytes, int format = DIB_AUTO) {
        d.reset();
        OpenDibFromMemory(*d, bytes.data(), bytes.size(), format);
    }
};

TEST_F(Webp, LosslessPicturesAreExactAndRowsAreTheRightWayUp) {
    const int w = 23;
    const int h = 11;
    const auto rgb = samples(w, h, 3);
    uint8_t* out = nullptr;
    const size_t n = WebPEncodeLosslessRGB(rgb.data(), w, h, w * 3, &out);
    ASSERT_GT(n, 0u);
    OwnedDib d;
    decode(d, takeWebp(out, n));
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(d.bits(), 24);
    EXPECT_EQ(d.width(), w);
    EXPECT_EQ(d.height(), h);
    int wrong = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = rgb.data() + (size_t(y) * w + size_t(x)) * 3;
            wrong += getpixel(*d, x, y) != (uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]);
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(Webp, AlphaIsComposedOntoWhite) {
    const int w = 20;
    const int h = 12;
    const auto rgba = samples(w, h, 4);
    uint8_t* out = nullptr;
    const size_t n = WebPEncodeLosslessRGBA(rgba.data(), w, h, w * 4, &out);
    ASSERT_GT(n, 0u);
    OwnedDib d;
    decode(d, takeWebp(out, n));
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(d.bits(), 24);
    int worst = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = rgba.data() + (size_t(y) * w + size_t(x)) * 4;
            int c[3];
            qlytest::pixelRgb(*d, x, y, c[0], c[1], c[2]);
            for (int k = 0; k < 3; ++k) {
                const int want = (p[k] * p[3] + 255 * (255 - p[3]) + 127) / 255;
                worst = std::max(worst, std::abs(c[k] - want));
            }
        }
    }
    EXPECT_LE(worst, 1); // rounding of libwebp's premultiplication
    // A fully transparent pixel is paper white.
    int r, g, b;
    qlytest::pixelRgb(*d, w - 1, 0, r, g, b);
    EXPECT_EQ(r + g + b, 3 * 255);
}

TEST_F(Webp, LossyPicturesStayWithinThePsnrBound) {
    OwnedDib src;
    qlytest::makeSmooth(src, 97, 61);
    std::vector<uint8_t> rgb(size_t(97) * 61 * 3);
    for (int y = 0; y < 61; ++y) {
        for (int x = 0; x < 97; ++x) {
            int r, g, b;
            qlytest::pixelRgb(*src, x, y, r, g, b);
            uint8_t* p = rgb.data() + (size_t(y) * 97 + size_t(x)) * 3;
            p[0] = uint8_t(r);
            p[1] = uint8_t(g);
            p[2] = uint8_t(b);
        }
    }
    uint8_t* out = nullptr;
    const size_t n = WebPEncodeRGB(rgb.data(), 97, 61, 97 * 3, 90, &out);
    ASSERT_GT(n, 0u);
    OwnedDib d;
    decode(d, takeWebp(out, n));
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_GT(qlytest::psnr(*src, *d), 32.0);
}

TEST_F(Webp, ImageMagicksFilesOpenIncludingTheFirstFrameOfAnAnimation) {
    TempDir dir;
    const std::string lossy = dir.file("l.webp");
    const std::string lossless = dir.file("ll.webp");
    const std::string anim = dir.file("anim.webp");
    const std::string ref = dir.file("ref.ppm");
    const auto made = qlytest::runTool(
        dir, "convert -size 50x30 plasma:fractal -seed 4 -depth 8 '" + ref + "' && convert '" +
                 ref + "' -quality 95 '" + lossy + "' && convert '" + ref +
                 "' -define webp:lossless=true '" + lossless +
                 "' && convert -delay 20 -size 40x20 xc:red xc:blue -loop 0 '" + anim + "'");
    ASSERT_EQ(made.status, 0) << made.output;
    qlytest::NetpbmPicture pic;
    ASSERT_TRUE(qlytest::parseNetpbm(qlytest::readFileBytes(ref), pic));
    OwnedDib d;
    d.reset();
    OpenDib(*d, lossless, DIB_AUTO);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(d.width(), 50);
    EXPECT_GT(qlytest::psnrAgainst(*d, pic), 100.0); // exact
    // The lossy file: what ImageMagick decodes from it (with the same libwebp) is what we show.
    const std::string decoded = dir.file("dec.ppm");
    const auto dec = qlytest::runTool(dir, "convert '" + lossy + "' -depth 8 '" + decoded + "'");
    ASSERT_EQ(dec.status, 0) << dec.output;
    qlytest::NetpbmPicture viaIm;
    ASSERT_TRUE(qlytest::parseNetpbm(qlytest::readFileBytes(decoded), viaIm));
    d.reset();
    OpenDib(*d, lossy, DIB_AUTO);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_GT(qlytest::psnrAgainst(*d, viaIm), 45.0);
    EXPECT_GT(qlytest::psnrAgainst(*d, pic), 25.0);
    const auto id = qlytest::runTool(dir, "identify '" + anim + "'");
    ASSERT_EQ(id.status, 0) << id.output;
    ASSERT_NE(id.output.find("[1]"), std::string::npos) << "not an animation: " << id.output;
    d.reset();
    OpenDib(*d, anim, DIB_AUTO);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(d.width(), 40);
    EXPECT_EQ(d.height(), 20);
    int r, g, b;
    qlytest::pixelRgb(*d, 10, 10, r, g, b);
    EXPECT_GT(r, 240);
    EXPECT_LT(b, 15);
}

TEST_F(Webp, DamagedFilesAreRefusedAndTheFormatIsReadOnly) {
    const auto rgb = samples(30, 20, 3);
    uint8_t* out = nullptr;
    const size_t n = WebPEncodeRGB(rgb.data(), 30, 20, 90, 80, &out);
    const auto good = takeWebp(out, n);
    OwnedDib d;
    for (size_t cut : {size_t{12}, size_t{20}, size_t{40}, good.size() / 2, good.size() - 1}) {
        decode(d, std::vector<uint8_t>(good.begin(), good.begin() + std::ptrdiff_t(cut)));
        EXPECT_EQ(d->poi, nullptr) << cut;
        EXPECT_FALSE(DibErrorText(*d).empty());
    }
    std::mt19937 rng(8);
    for (int round = 0; round < 80; ++round) {
        auto bad = good;
        for (int k = 0; k < 4; ++k) {
            bad[12 + rng() % (bad.size() - 12)] = uint8_t(rng());
        }
        decode(d, bad);
        if (d->poi == nullptr) {
            EXPECT_FALSE(DibErrorText(*d).empty());
        }
    }
    const uint64_t old = SetDibPixelLimit(100);
    decode(d, good);
    SetDibPixelLimit(old);
    EXPECT_EQ(d->poi, nullptr);
    EXPECT_EQ(DibErrorText(*d), "Bild ist zu groß");
    // Reading only: a WebP write is refused with a reason.
    decode(d, good);
    ASSERT_NE(d->poi, nullptr);
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(SaveDibToMemory(*d, DIB_WEBP, bytes));
    EXPECT_EQ(DibLastError(), "Format kann nicht geschrieben werden");
}

} // namespace
