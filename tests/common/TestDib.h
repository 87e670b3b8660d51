#pragma once
// Helpers for tests: owning bitmaps, patterned pictures and pixel comparison.

#include "platform/GrafikRW3.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace qlytest {

// Owns a bitmap and releases it with deldib.
class OwnedDib {
  public:
    OwnedDib() = default;
    explicit OwnedDib(const dib& d) : d_(d) {}
    OwnedDib(const OwnedDib&) = delete;
    OwnedDib& operator=(const OwnedDib&) = delete;
    ~OwnedDib() { reset(); }
    void reset() {
        if (d_.poi != nullptr) {
            deldib(d_);
        }
        d_ = dib{};
    }
    dib& operator*() { return d_; }
    const dib& operator*() const { return d_; }
    dib* operator->() { return &d_; }
    const dib* operator->() const { return &d_; }
    int32_t width() const { return d_.pmi->bmiHeader.biWidth; }
    int32_t height() const { return d_.pmi->bmiHeader.biHeight; }
    int32_t bits() const { return d_.pmi->bmiHeader.biBitCount; }

  private:
    dib d_{};
};

// A picture of the given depth filled with a reproducible pseudo-random pattern; for palette
// depths the colour table is a varied set of colours.
inline void makePattern(OwnedDib& out, int32_t width, int32_t height, int32_t bits,
                        uint32_t seed = 1) {
    out.reset();
    newdib(*out, width, height, bits, nullptr, 0);
    ASSERT_NE(out->poi, nullptr);
    std::mt19937 rng(seed);
    if (bits <= 8) {
        for (int i = 0; i < (1 << bits); ++i) {
            out->pmi->bmiColors[i] =
                RGBQUAD{static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()),
                        static_cast<uint8_t>(rng()), 0};
            out->pal.rgb0[i] =
                PALETTEENTRY{out->pmi->bmiColors[i].rgbRed, out->pmi->bmiColors[i].rgbGreen,
                             out->pmi->bmiColors[i].rgbBlue, 0};
        }
        if (bits == 1) {
            out->pmi->bmiColors[0] = RGBQUAD{0, 0, 0, 0};
            out->pmi->bmiColors[1] = RGBQUAD{255, 255, 255, 0};
            out->pal.rgb0[0] = PALETTEENTRY{0, 0, 0, 0};
            out->pal.rgb0[1] = PALETTEENTRY{255, 255, 255, 0};
        }
    }
    const uint32_t mask = bits == 32 ? 0xffffffffu : (1u << std::min(bits, 31)) - 1;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            uint32_t v = rng() & mask;
            if (bits == 16) {
                v &= 0x7fff;
            }
            if (bits == 32) {
                v &= 0x00ffffff; // the fourth byte is padding in 32-bit pictures
            }
            setpixel(*out, x, y, v);
        }
    }
}

// Number of pixels whose values differ (sizes must match).
inline int64_t pixelDifferences(const dib& a, const dib& b) {
    int64_t n = 0;
    for (int32_t y = 0; y < a.pmi->bmiHeader.biHeight; ++y) {
        for (int32_t x = 0; x < a.pmi->bmiHeader.biWidth; ++x) {
            n += getpixel(a, x, y) != getpixel(b, x, y) ? 1 : 0;
        }
    }
    return n;
}

// Red, green, blue of a pixel of any depth.
inline void pixelRgb(const dib& d, int32_t x, int32_t y, int& r, int& g, int& b) {
    const uint32_t v = getpixel(d, x, y);
    const int bits = d.pmi->bmiHeader.biBitCount;
    if (bits <= 8) {
        const RGBQUAD q = d.pmi->bmiColors[v];
        r = q.rgbRed;
        g = q.rgbGreen;
        b = q.rgbBlue;
    } else if (bits == 16) {
        r = int((v >> 10) & 31) * 255 / 31;
        g = int((v >> 5) & 31) * 255 / 31;
        b = int(v & 31) * 255 / 31;
    } else {
        r = int((v >> 16) & 255);
        g = int((v >> 8) & 255);
        b = int(v & 255);
    }
}

// Encodes with the image library into memory; the calling test fails when that fails.
inline std::vector<uint8_t> encodeAs(const dib& d, int format) {
    std::vector<uint8_t> out;
    EXPECT_TRUE(SaveDibToMemory(d, format, out)) << DibLastError();
    return out;
}

// Reads a picture from bytes into `out`, releasing what it held before.
inline void decodeBytes(OwnedDib& out, const std::vector<uint8_t>& bytes, int format = DIB_AUTO) {
    out.reset();
    OpenDibFromMemory(*out, bytes.data(), bytes.size(), format);
}

// Colour of a pixel as 0xRRGGBB.
inline uint32_t rgbHex(const OwnedDib& d, int x, int y) {
    int r, g, b;
    pixelRgb(*d, x, y, r, g, b);
    return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

// Peak signal-to-noise ratio in dB over the three channels (infinity when equal).
inline double psnr(const dib& a, const dib& b) {
    double se = 0;
    int64_t n = 0;
    for (int32_t y = 0; y < a.pmi->bmiHeader.biHeight; ++y) {
        for (int32_t x = 0; x < a.pmi->bmiHeader.biWidth; ++x) {
            int r1, g1, b1, r2, g2, b2;
            pixelRgb(a, x, y, r1, g1, b1);
            pixelRgb(b, x, y, r2, g2, b2);
            se += double(r1 - r2) * (r1 - r2) + double(g1 - g2) * (g1 - g2) +
                  double(b1 - b2) * (b1 - b2);
            n += 3;
        }
    }
    if (se == 0) {
        return 1e9;
    }
    return 10.0 * std::log10(255.0 * 255.0 / (se / double(n)));
}

// A smooth, photo-like 24-bit picture (JPEG-friendly).
inline void makeSmooth(OwnedDib& out, int32_t width, int32_t height) {
    out.reset();
    newdib(*out, width, height, 24, nullptr, 0);
    ASSERT_NE(out->poi, nullptr);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t r = static_cast<uint32_t>(128 + 100 * std::sin(x * 0.05));
            const uint32_t g = static_cast<uint32_t>(128 + 100 * std::cos(y * 0.07));
            const uint32_t b = static_cast<uint32_t>((x + y) * 255 / (width + height));
            setpixel(*out, x, y, b | g << 8 | r << 16);
        }
    }
}

// A fresh folder for one test's files, removed afterwards.
class TempDir {
  public:
    TempDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                ("qlytest-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

} // namespace qlytest
