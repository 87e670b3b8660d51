#include "view/PrintGeometry.h"

#include <algorithm>
#include <cmath>

ZoomedSize zoomedSize(int32_t W, int32_t H, int32_t zoom) {
    if (W <= 0 || H <= 0 || zoom <= 0) {
        return {};
    }
    // Exact in integers: the products stay far below 2^63, and the quotient truncates as the
    // floating-point Trunc does for quotients of integers this small.
    return {static_cast<int32_t>(int64_t{W} * zoom / 100),
            static_cast<int32_t>(int64_t{H} * zoom / 100)};
}

int32_t dragScrollPosition(int32_t position, int32_t grabbed, int32_t pointer, int32_t range) {
    int64_t v = int64_t{position} + grabbed - pointer;
    v = std::max<int64_t>(v, 0);
    v = std::min<int64_t>(v, int64_t{range} - 1);
    // A scroll bar without positions (the picture fits) keeps 0, never -1.
    return static_cast<int32_t>(std::max<int64_t>(v, 0));
}

int64_t roundHalfEven(int64_t num, int64_t den) {
    int64_t q = num / den;
    const int64_t twice = 2 * (num % den);
    if (twice > den || (twice == den && q % 2 != 0)) {
        ++q;
    }
    return q;
}

PrintBox printBox(int32_t W, int32_t H, int32_t PW, int32_t PH, const PrintSizing& s) {
    if (W <= 0 || H <= 0 || PW <= 0 || PH <= 0) {
        return {};
    }
    int64_t w = PW;
    int64_t h = PH;
    if (s.useFull) {
        if (s.aspect) {
            if (int64_t{H} * PW / W > PH) {
                w = int64_t{W} * PH / H;
            } else {
                h = int64_t{H} * PW / W;
            }
        }
    } else {
        const int64_t breit = std::clamp(s.breit, kPercentMin, kPercentMax);
        const int64_t hoch = std::clamp(s.hoch, kPercentMin, kPercentMax);
        w = roundHalfEven(PW * breit, 100);
        h = roundHalfEven(PH * hoch, 100);
    }
    PrintBox b;
    b.w = static_cast<int32_t>(w);
    b.h = static_cast<int32_t>(h);
    if (s.centred) {
        b.x = static_cast<int32_t>((PW - w) / 2);
        b.y = static_cast<int32_t>((PH - h) / 2);
    }
    return b;
}

PrintBox previewSheet(int32_t PW, int32_t PH, int32_t boxW, int32_t boxH) {
    if (PW <= 0 || PH <= 0) {
        return {};
    }
    PrintBox sheet;
    if (PH < PW) {
        sheet.w = boxW;
        sheet.h = static_cast<int32_t>(int64_t{boxW} * PH / PW);
    } else {
        sheet.h = boxH;
        sheet.w = static_cast<int32_t>(int64_t{boxH} * PW / PH);
    }
    sheet.x = (boxW - sheet.w) / 2;
    sheet.y = (boxH - sheet.h) / 2;
    return sheet;
}

PrintBox previewPicture(int32_t W, int32_t H, int32_t PW, int32_t PH, const PrintSizing& s,
                        int32_t boxW, int32_t boxH) {
    const PrintBox sheet = previewSheet(PW, PH, boxW, boxH);
    PrintBox b = printBox(W, H, sheet.w, sheet.h, s);
    if (b.w > 0 || b.h > 0) {
        b.x += sheet.x;
        b.y += sheet.y;
    }
    return b;
}

namespace {

// Trunc(v) kept within 1..100.
int32_t percentWithin(long double v, bool* clamped) {
    const long double t = std::trunc(v);
    bool out = false;
    int32_t p = 0;
    if (t > kPercentMax) {
        p = kPercentMax;
        out = true;
    } else if (t < kPercentMin) {
        p = kPercentMin;
        out = true;
    } else {
        p = static_cast<int32_t>(t);
    }
    if (clamped != nullptr) {
        *clamped = out;
    }
    return p;
}

// (along * percent) / across * pageNum / pageDen: the first product in integers, the rest in
// extended precision in this order.
long double derived(int32_t along, int32_t across, int32_t percent, int32_t pageNum,
                    int32_t pageDen) {
    const long double product = static_cast<long double>(int64_t{along} * percent);
    return product / across * pageNum / pageDen;
}

bool measurable(int32_t W, int32_t H, int32_t PW, int32_t PH) {
    return W > 0 && H > 0 && PW > 0 && PH > 0;
}

// The height percentage that prints the picture `breit` per cent of the page wide in its shape.
int32_t hochForBreit(int32_t W, int32_t H, int32_t PW, int32_t PH, int32_t breit, bool* clamped) {
    return percentWithin(derived(H, W, breit, PW, PH), clamped);
}

// The width percentage that prints the picture `hoch` per cent of the page high in its shape.
int32_t breitForHoch(int32_t W, int32_t H, int32_t PW, int32_t PH, int32_t hoch, bool* clamped) {
    return percentWithin(derived(W, H, hoch, PH, PW), clamped);
}

} // namespace

Percentages afterBreitEdit(int32_t W, int32_t H, int32_t PW, int32_t PH, Percentages p) {
    if (!measurable(W, H, PW, PH)) {
        return p;
    }
    bool clamped = false;
    p.hoch = hochForBreit(W, H, PW, PH, p.breit, &clamped);
    if (clamped) {
        p.breit = breitForHoch(W, H, PW, PH, p.hoch, nullptr);
    }
    return p;
}

Percentages afterHochEdit(int32_t W, int32_t H, int32_t PW, int32_t PH, Percentages p) {
    if (!measurable(W, H, PW, PH)) {
        return p;
    }
    bool clamped = false;
    p.breit = breitForHoch(W, H, PW, PH, p.hoch, &clamped);
    if (clamped) {
        p.hoch = hochForBreit(W, H, PW, PH, p.breit, nullptr);
    }
    return p;
}
