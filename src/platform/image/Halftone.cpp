// Halftoned copies for screens of 256 colours or fewer: a fixed palette (6x6x6 colour cube plus
// 40 extra greys) and Floyd-Steinberg error diffusion, optionally after resampling.
#include "platform/GrafikRW3.h"
#include "platform/image/Codec.h"

#include <algorithm>
#include <array>
#include <vector>

namespace qly::img {
namespace {

constexpr int kCubeLevels = 6;
constexpr int kCubeSize = kCubeLevels * kCubeLevels * kCubeLevels; // 216
constexpr int kGreys = 256 - kCubeSize;                            // 40

struct Rgb {
    int r;
    int g;
    int b;
};

std::array<Rgb, 256> makePalette() {
    std::array<Rgb, 256> p{};
    for (int i = 0; i < kCubeSize; ++i) {
        p[i] = Rgb{(i / 36) * 51, ((i / 6) % 6) * 51, (i % 6) * 51};
    }
    for (int i = 0; i < kGreys; ++i) {
        // Greys between the cube's own grey steps.
        const int v = (i + 1) * 255 / (kGreys + 1);
        p[kCubeSize + i] = Rgb{v, v, v};
    }
    return p;
}

const std::array<Rgb, 256>& palette() {
    static const std::array<Rgb, 256> p = makePalette();
    return p;
}

// Nearest palette entry: the nearest cube colour, or a grey entry when the colour is grey-ish and
// a grey entry is closer.
int nearest(int r, int g, int b) {
    auto level = [](int v) { return std::clamp((v + 25) / 51, 0, 5); };
    const int cube = level(r) * 36 + level(g) * 6 + level(b);
    const Rgb& c = palette()[cube];
    int best = cube;
    int bestDist = (c.r - r) * (c.r - r) + (c.g - g) * (c.g - g) + (c.b - b) * (c.b - b);
    const int grey = (r * 299 + g * 587 + b * 114) / 1000;
    const int gi = std::clamp(grey * (kGreys + 1) / 255 - 1, 0, kGreys - 1);
    for (int k = std::max(gi - 1, 0); k <= std::min(gi + 1, kGreys - 1); ++k) {
        const Rgb& q = palette()[kCubeSize + k];
        const int d = (q.r - r) * (q.r - r) + (q.g - g) * (q.g - g) + (q.b - b) * (q.b - b);
        if (d < bestDist) {
            bestDist = d;
            best = kCubeSize + k;
        }
    }
    return best;
}

// Colour of a pixel of any depth (top-down coordinates).
Rgb pixelRgb(const dib& d, int32_t x, int32_t y) {
    const uint32_t v = getpixel(d, x, y);
    switch (d.pmi->bmiHeader.biBitCount) {
    case 1:
    case 4:
    case 8: {
        const RGBQUAD q = dibColor(d, v);
        return Rgb{q.rgbRed, q.rgbGreen, q.rgbBlue};
    }
    case 16:
        return Rgb{int((v >> 10) & 0x1f) * 255 / 31, int((v >> 5) & 0x1f) * 255 / 31,
                   int(v & 0x1f) * 255 / 31};
    default:
        return Rgb{int((v >> 16) & 0xff), int((v >> 8) & 0xff), int(v & 0xff)};
    }
}

// Resamples to width x height as rows of RGB triples: area averaging along an axis that shrinks,
// nearest pixel along one that grows.
std::vector<int> resample(const dib& src, int32_t width, int32_t height) {
    const int32_t sw = src.pmi->bmiHeader.biWidth;
    const int32_t sh = src.pmi->bmiHeader.biHeight;
    std::vector<int> out(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    for (int32_t y = 0; y < height; ++y) {
        int32_t y0 = static_cast<int32_t>(int64_t{y} * sh / height);
        int32_t y1 = static_cast<int32_t>((int64_t{y} + 1) * sh / height);
        y1 = std::max(y1, y0 + 1);
        for (int32_t x = 0; x < width; ++x) {
            int32_t x0 = static_cast<int32_t>(int64_t{x} * sw / width);
            int32_t x1 = static_cast<int32_t>((int64_t{x} + 1) * sw / width);
            x1 = std::max(x1, x0 + 1);
            int64_t r = 0;
            int64_t g = 0;
            int64_t b = 0;
            for (int32_t yy = y0; yy < y1; ++yy) {
                for (int32_t xx = x0; xx < x1; ++xx) {
                    const Rgb c = pixelRgb(src, xx, yy);
                    r += c.r;
                    g += c.g;
                    b += c.b;
                }
            }
            const int64_t n = int64_t{x1 - x0} * (y1 - y0);
            int* p = &out[(static_cast<size_t>(y) * static_cast<size_t>(width) + x) * 3];
            p[0] = static_cast<int>(r / n);
            p[1] = static_cast<int>(g / n);
            p[2] = static_cast<int>(b / n);
        }
    }
    return out;
}

void halftone(dib& out, const dib& src, int32_t width, int32_t height) {
    out = dib{};
    try {
        if (src.poi == nullptr || src.pmi == nullptr) {
            fail(kErrEmpty);
        }
        checkDimensions(width, height, 8);
        std::vector<int> rgb = resample(src, width, height);
        DibHolder holder;
        holder.create(width, height, 8);
        for (int i = 0; i < 256; ++i) {
            const Rgb& c = palette()[i];
            holder.setColor(i, static_cast<uint8_t>(c.r), static_cast<uint8_t>(c.g),
                            static_cast<uint8_t>(c.b));
        }
        // Floyd-Steinberg: 7/16 right, 3/16 below left, 5/16 below, 1/16 below right.
        const size_t w = static_cast<size_t>(width);
        for (int32_t y = 0; y < height; ++y) {
            uint8_t* row = holder.rowTop(y);
            int* cur = &rgb[static_cast<size_t>(y) * w * 3];
            int* next = y + 1 < height ? cur + w * 3 : nullptr;
            for (size_t x = 0; x < w; ++x) {
                int* p = cur + x * 3;
                const int r = std::clamp(p[0], 0, 255);
                const int g = std::clamp(p[1], 0, 255);
                const int b = std::clamp(p[2], 0, 255);
                const int idx = nearest(r, g, b);
                row[x] = static_cast<uint8_t>(idx);
                const Rgb& c = palette()[idx];
                const int err[3] = {r - c.r, g - c.g, b - c.b};
                for (int k = 0; k < 3; ++k) {
                    if (x + 1 < w) {
                        p[3 + k] += err[k] * 7 / 16;
                    }
                    if (next != nullptr) {
                        int* q = next + x * 3;
                        if (x > 0) {
                            q[k - 3] += err[k] * 3 / 16;
                        }
                        q[k] += err[k] * 5 / 16;
                        if (x + 1 < w) {
                            q[3 + k] += err[k] / 16;
                        }
                    }
                }
            }
        }
        out = holder.release();
    } catch (const DibError& e) {
        out = dib{};
        SetDibErrorText(out, e.reason);
    } catch (const std::bad_alloc&) {
        out = dib{};
        SetDibErrorText(out, reasonText(kErrNoMemory));
    }
}

} // namespace
} // namespace qly::img

void DIBHalftoneDIB(dib& out, const dib& src) {
    if (src.pmi == nullptr) {
        out = dib{};
        return;
    }
    qly::img::halftone(out, src, src.pmi->bmiHeader.biWidth, src.pmi->bmiHeader.biHeight);
}

void DIBHalftoneDIBXY(dib& out, const dib& src, int32_t width, int32_t height) {
    qly::img::halftone(out, src, width, height);
}
