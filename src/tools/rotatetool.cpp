// qly-rotate: times the quarter turn of pictures against the pixel-by-pixel definition.
//
//   qly-rotate [--turns N] [--depths LIST] PICTURE...
//
// Each picture is read, copied at each depth of LIST (comma-separated, default 1,4,8,16,24,32;
// colours become grey for 1, 4 and 8 bits, 5-5-5 for 16 bits) and turned N times (default 10)
// in each direction, by rotateDib and by rotateDibPixelwise. Prints a Markdown table with the
// median milliseconds per turn of both, their ratio, one turn of rotateDib into memory fresh from
// the system ("cold") and whether both results are byte for byte the same. The exit status is 1
// when any result differs.
//
// The medians are taken with the heap keeping freed blocks (no separate mappings for big blocks,
// no trimming), so that they measure the turn itself: glibc would otherwise map every block over
// 32 MiB (a 32-bit A4 page) afresh at each turn, and the first touch of fresh pages can cost more
// than the turn. The cold figure gives the heap's free memory back first, as for the first turn
// of a page in the program.
#include "document/Dib.h"
#include "imaging/Rotate.h"
#include "imaging/RotatePixelwise.h"
#include "platform/GrafikRW3.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Releases its bitmap at the end of the scope.
struct Picture {
    dib d{};
    Picture() = default;
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    ~Picture() { freedib(d); }
};

// Red, green, blue of a pixel of any depth.
void rgbAt(const dib& d, int32_t x, int32_t y, uint32_t& r, uint32_t& g, uint32_t& b) {
    const uint32_t v = getpixel(d, x, y);
    const int bits = dibbits(d);
    if (bits <= 8) {
        const RGBQUAD q = d.pmi->bmiColors[v];
        r = q.rgbRed;
        g = q.rgbGreen;
        b = q.rgbBlue;
    } else if (bits == 16) {
        r = (v >> 10 & 31) << 3;
        g = (v >> 5 & 31) << 3;
        b = (v & 31) << 3;
    } else {
        r = v >> 16 & 255;
        g = v >> 8 & 255;
        b = v & 255;
    }
}

// A copy of `src` at another depth (grey ramps for 1, 4 and 8 bits, as newdib makes them).
bool copyAtDepth(dib& out, const dib& src, int bits) {
    const int32_t w = dibwidth(src);
    const int32_t h = dibheight(src);
    newdib(out, w, h, bits, nullptr, 0);
    if (out.poi == nullptr) {
        return false;
    }
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            uint32_t r, g, b;
            rgbAt(src, x, y, r, g, b);
            const uint32_t grey = (r * 77 + g * 150 + b * 29) >> 8;
            uint32_t v = b | g << 8 | r << 16;
            if (bits == 1) {
                v = grey >= 128 ? 1 : 0;
            } else if (bits == 4) {
                v = grey >> 4;
            } else if (bits == 8) {
                v = grey;
            } else if (bits == 16) {
                v = (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
            }
            setpixel(out, x, y, v);
        }
    }
    return true;
}

bool sameBitmap(const dib& a, const dib& b) {
    return dibwidth(a) == dibwidth(b) && dibheight(a) == dibheight(b) && a.bytew == b.bytew &&
           std::memcmp(a.poi, b.poi, size_t(a.bytew) * size_t(dibheight(a))) == 0;
}

using TurnFn = bool (*)(dib&, const dib&, RotateDirection, const RotateProgress&);

// Median milliseconds of `turns` turns; the last result stays in `out`.
double timeTurns(TurnFn turn, const dib& src, RotateDirection dir, int turns, dib& out) {
    std::vector<double> ms;
    for (int i = 0; i < turns; ++i) {
        freedib(out);
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = turn(out, src, dir, {});
        const auto t1 = std::chrono::steady_clock::now();
        if (!ok) {
            return -1;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// One rotateDib turn into memory that the process has yet to touch.
double coldTurn(const dib& src, RotateDirection dir) {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
    Picture out;
    const auto t0 = std::chrono::steady_clock::now();
    rotateDib(out.d, src, dir);
    const auto t1 = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

int usage() {
    std::fprintf(stderr, "usage: qly-rotate [--turns N] [--depths 1,4,8,16,24,32] PICTURE...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    int turns = 10;
    std::vector<int> depths{1, 4, 8, 16, 24, 32};
    int i = 1;
    for (; i + 1 < argc && argv[i][0] == '-'; i += 2) {
        if (std::strcmp(argv[i], "--turns") == 0) {
            turns = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--depths") == 0) {
            depths.clear();
            for (const char* p = argv[i + 1]; *p != '\0';) {
                char* end = nullptr;
                depths.push_back(static_cast<int>(std::strtol(p, &end, 10)));
                p = *end == ',' ? end + 1 : end;
                if (end == p && *p != '\0') {
                    return usage();
                }
            }
        } else {
            return usage();
        }
    }
    if (i >= argc) {
        return usage();
    }
#ifdef __GLIBC__
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
    bool allSame = true;
    std::printf(
        "| picture | size | bits | turn | fast ms | pixelwise ms | ratio | cold ms | same |\n");
    std::printf("|---|---|---|---|---:|---:|---:|---:|---|\n");
    for (; i < argc; ++i) {
        Picture pic;
        OpenDib(pic.d, argv[i], DIB_AUTO);
        if (pic.d.poi == nullptr) {
            std::fprintf(stderr, "%s: %s\n", argv[i], DibErrorText(pic.d).c_str());
            return 1;
        }
        const std::string name = argv[i];
        const std::string base = name.substr(name.find_last_of('/') + 1);
        for (int bits : depths) {
            Picture src;
            if (!copyAtDepth(src.d, pic.d, bits)) {
                std::fprintf(stderr, "%s: no %d-bit copy\n", argv[i], bits);
                return 1;
            }
            for (RotateDirection dir : {RotateDirection::Left, RotateDirection::Right}) {
                Picture fast, slow;
                const double fastMs = timeTurns(rotateDib, src.d, dir, turns, fast.d);
                const double slowMs = timeTurns(rotateDibPixelwise, src.d, dir, turns, slow.d);
                if (fastMs < 0 || slowMs < 0) {
                    std::fprintf(stderr, "%s: no memory for the turned picture\n", argv[i]);
                    return 1;
                }
                const bool same = sameBitmap(fast.d, slow.d);
                allSame = allSame && same;
                freedib(fast.d);
                freedib(slow.d);
                const double coldMs = coldTurn(src.d, dir);
                std::printf("| %s | %dx%d | %d | %s | %.1f | %.1f | %.1f | %.1f | %s |\n",
                            base.c_str(), dibwidth(src.d), dibheight(src.d), bits,
                            dir == RotateDirection::Left ? "left" : "right", fastMs, slowMs,
                            fastMs > 0 ? slowMs / fastMs : 0.0, coldMs, same ? "yes" : "NO");
            }
        }
    }
    return allSame ? 0 : 1;
}
