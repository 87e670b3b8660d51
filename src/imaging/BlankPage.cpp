#include "imaging/BlankPage.h"

#include "document/Dib.h"
#include "platform/GrafikRW3.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// The brightness (0..255) of the pixels x0..x1-1 of row y (0 the top row as shown), through the
// colour table for palette depths.
void rowBrightness(const dib& d, int32_t y, int32_t x0, int32_t x1, std::vector<uint8_t>& out) {
    const int bits = d.pmi->bmiHeader.biBitCount;
    const uint8_t* row = DibRowTop(d, y);
    const auto luma = [](int r, int g, int b) {
        return static_cast<uint8_t>((r * 299 + g * 587 + b * 114) / 1000);
    };
    out.resize(size_t(x1 - x0));
    for (int32_t x = x0; x < x1; ++x) {
        uint8_t v = 0;
        if (bits == 24 || bits == 32) {
            const uint8_t* p = row + size_t(x) * size_t(bits / 8);
            v = luma(p[2], p[1], p[0]);
        } else if (bits == 16) {
            const unsigned c = unsigned(row[2 * size_t(x)]) | unsigned(row[2 * size_t(x) + 1]) << 8;
            v = luma(int((c >> 10) & 31) * 255 / 31, int((c >> 5) & 31) * 255 / 31,
                     int(c & 31) * 255 / 31);
        } else {
            const uint32_t index = getpixel(d, x, y) & ((1u << bits) - 1);
            const RGBQUAD& q = d.pmi->bmiColors[index];
            v = luma(q.rgbRed, q.rgbGreen, q.rgbBlue);
        }
        out[size_t(x - x0)] = v;
    }
}

} // namespace

BlankPageReport lookForBlank(const dib& page, const BlankPageOptions& options) {
    BlankPageReport report;
    if (page.poi == nullptr || page.pmi == nullptr) {
        report.blank = true;
        return report;
    }
    const int32_t w = page.pmi->bmiHeader.biWidth;
    const int32_t h = page.pmi->bmiHeader.biHeight;
    // Cells of about 0.7 mm at the page's resolution (300 dpi when it has none).
    const double dpm = page.pmi->bmiHeader.biXPelsPerMeter > 0 ? page.pmi->bmiHeader.biXPelsPerMeter
                                                               : 300 / 0.0254;
    const int32_t cell = std::max<int32_t>(2, static_cast<int32_t>(std::lround(dpm * 0.0007)));
    const double margin = std::clamp(options.margin, 0.0, 0.45);
    const int32_t x0 = static_cast<int32_t>(w * margin);
    const int32_t y0 = static_cast<int32_t>(h * margin);
    const int32_t x1 = w - x0;
    const int32_t y1 = h - y0;
    if (x1 - x0 < cell || y1 - y0 < cell) {
        report.blank = true;
        return report;
    }
    // The paper: the brightness that nine tenths of the inner pixels reach (every second row is
    // enough to find it).
    std::vector<uint8_t> row;
    std::array<int64_t, 256> histogram{};
    int64_t sampled = 0;
    for (int32_t y = y0; y < y1; y += 2) {
        rowBrightness(page, y, x0, x1, row);
        for (uint8_t v : row) {
            ++histogram[v];
        }
        sampled += int64_t(row.size());
    }
    int64_t seen = 0;
    int paper = 255;
    for (int level = 255; level >= 0; --level) {
        seen += histogram[size_t(level)];
        if (seen * 10 >= sampled) {
            paper = level;
            break;
        }
    }
    report.paperLevel = paper;
    // Ink: clearly darker than the paper, whatever the paper's own shade.
    const int ink = std::max(0, paper - 48);
    const int32_t columns = (x1 - x0) / cell;
    std::vector<int> dark(size_t(columns), 0);
    for (int32_t cy = y0; cy + cell <= y1; cy += cell) {
        std::fill(dark.begin(), dark.end(), 0);
        for (int32_t y = cy; y < cy + cell; ++y) {
            rowBrightness(page, y, x0, x0 + columns * cell, row);
            for (size_t x = 0; x < row.size(); ++x) {
                dark[x / size_t(cell)] += row[x] < ink ? 1 : 0;
            }
        }
        for (int d : dark) {
            ++report.cells;
            report.inkedCells += d * 4 >= cell * cell ? 1 : 0;
        }
    }
    report.blank = double(report.inkedCells) * 10000 <= options.inkedCells * double(report.cells);
    return report;
}

bool makeWhitePage(dib& out, double widthMm, double heightMm, double dpi) {
    out = dib{};
    dpi = std::clamp(std::isfinite(dpi) ? dpi : 300.0, 10.0, 10000.0);
    const auto side = [dpi](double mm) {
        const double px = std::isfinite(mm) ? std::round(mm / 25.4 * dpi) : 1.0;
        return static_cast<int32_t>(std::clamp(px, 1.0, 65535.0));
    };
    newdib(out, side(widthMm), side(heightMm), 1, nullptr, 0);
    if (out.poi == nullptr) {
        out = dib{};
        return false;
    }
    // One bit with the table black, white: every bit set is white paper.
    std::memset(out.poi, 0xff, size_t(out.bytew) * size_t(dibheight(out)));
    const auto dpm = static_cast<int32_t>(std::lround(dpi / 0.0254));
    out.pmi->bmiHeader.biXPelsPerMeter = dpm;
    out.pmi->bmiHeader.biYPelsPerMeter = dpm;
    return true;
}
