#include "export/PageLayout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

int32_t clamp32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

int32_t truncToInt(double v) {
    if (std::isnan(v)) {
        return 0;
    }
    return clamp32(static_cast<int64_t>(std::clamp(std::trunc(v), -9.0e18, 9.0e18)));
}

} // namespace

int32_t mmToPoints(double mm) {
    return truncToInt(mm / 25.39995 * 72);
}

std::string PadToFourDigits(std::string text) {
    while (text.size() < 4) {
        text.insert(text.begin(), '0');
    }
    return text;
}

std::string batchBaseName(const std::string& fileName) {
    const size_t slash = fileName.find_last_of('/');
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || dot < start) {
        return fileName;
    }
    return fileName.substr(0, dot);
}

std::string batchFileName(const std::string& base, int64_t counter) {
    return base + PadToFourDigits(std::to_string(counter)) + ".pdf";
}

PictureBox placeInArea(const ExportSettings& s, int64_t aw, int64_t ah, int64_t mx, int64_t my,
                       int32_t W, int32_t H, int32_t Wmax, int32_t Hmax) {
    int64_t w = aw;
    int64_t h = ah;
    if (s.RelSizeCheck) {
        const int64_t wmax = std::max(Wmax, 1);
        const int64_t hmax = std::max(Hmax, 1);
        const double scale =
            aw * hmax / wmax > ah ? double(ah) / double(hmax) : double(aw) / double(wmax);
        w = static_cast<int64_t>(std::trunc(W * scale));
        h = static_cast<int64_t>(std::trunc(H * scale));
    } else if (int64_t{H} * aw / W > ah) {
        w = int64_t{W} * ah / H; // limited by the height
    } else {
        h = int64_t{H} * aw / W; // limited by the width (equality included)
    }
    int64_t x = mx;
    int64_t y = my;
    if (s.ZentCheck) {
        x = (aw - w) / 2 + mx;
        y = (ah - h) / 2 + my;
    }
    return {clamp32(x), clamp32(y), clamp32(w), clamp32(h)};
}

PagePlacement layoutPage(const ExportSettings& s, int32_t& pageWidth, int32_t& pageHeight,
                         int32_t W, int32_t H, int32_t Wmax, int32_t Hmax) {
    PagePlacement p;
    if (W <= 0 || H <= 0) {
        // Nothing to lay out; the page keeps the current size.
        p.emptyPicture = true;
        p.pageWidth = pageWidth;
        p.pageHeight = pageHeight;
        return p;
    }
    if (s.UsePageSizeFromPicChecked) {
        const int64_t dpi = std::max<int64_t>(truncToInt(s.ScanResEd), 1);
        pageWidth = clamp32(std::max<int64_t>(int64_t{W} * 72 / dpi, kMinPagePoints));
    }
    if (s.setpaperheichec) {
        pageHeight = clamp32(std::max<int64_t>(int64_t{H} * pageWidth / W, kMinPagePoints));
    }
    const int64_t PW = pageWidth;
    const int64_t PH = pageHeight;
    const int64_t mx = s.BorderCheck ? mmToPoints(s.RandHEd) : 0;
    const int64_t my = s.BorderCheck ? mmToPoints(s.RandVEd) : 0;
    const int64_t aw = PW - 2 * mx;
    const int64_t ah = PH - 2 * my;
    p.pageWidth = pageWidth;
    p.pageHeight = pageHeight;
    if (aw <= 0 || ah <= 0) {
        // Only margins can leave no room on a page of at least the smallest size.
        p.noRoom = s.BorderCheck;
        return p;
    }
    const PictureBox box = placeInArea(s, aw, ah, mx, my, W, H, Wmax, Hmax);
    p.x = box.x;
    p.y = box.y;
    p.w = box.w;
    p.h = box.h;
    p.drawn = true;
    return p;
}
