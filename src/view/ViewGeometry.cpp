#include "view/ViewGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

int32_t mmToViewPixels(double mm, int32_t zoom, double dpi) {
    const long double v =
        static_cast<long double>(zoom) * (static_cast<long double>(mm) / 25.39995L * dpi) / 100.0L;
    return static_cast<int32_t>(std::clamp<long double>(std::trunc(v), 0, 1 << 30));
}

SheetGeometry sheetGeometry(const ExportSettings& s, int32_t zoom, double dpi) {
    SheetGeometry g;
    g.W = mmToViewPixels(s.BreitEd, zoom, dpi);
    g.H = mmToViewPixels(s.HochEd, zoom, dpi);
    if (s.BorderCheck) {
        g.mx = mmToViewPixels(s.RandHEd, zoom, dpi);
        g.my = mmToViewPixels(s.RandVEd, zoom, dpi);
    }
    g.aw = g.W - 2 * g.mx;
    g.ah = g.H - 2 * g.my;
    return g;
}

GridCell gridCell(int32_t thumb) {
    GridCell c;
    c.thumb = std::clamp(thumb, 40, 400);
    c.width = c.thumb + (kCellWidth - kThumbBox);
    c.height = c.thumb + (kCellHeight - kThumbBox);
    return c;
}

int32_t gridColumns(int32_t viewWidth, const GridCell& cell) {
    return std::max(1, viewWidth / cell.width);
}

int64_t gridHeight(uint32_t count, int32_t cols, const GridCell& cell) {
    return (int64_t{count} / std::max(cols, 1) + 1) * cell.height;
}

int64_t cellAt(int32_t x, int32_t y, int32_t cols, uint32_t count, const GridCell& cell) {
    if (x < 0 || y < 0 || cols < 1) {
        return -1;
    }
    const int64_t col = x / cell.width;
    const int64_t row = y / cell.height;
    const int32_t cx = x % cell.width;
    const int32_t cy = y % cell.height;
    if (col >= cols || cx < 2 || cx > cell.width - 2 || cy < 2 || cy > cell.height - 2) {
        return -1;
    }
    const int64_t i = row * cols + col;
    return i < int64_t{count} ? i : -1;
}

bool rowVisible(int64_t row, int32_t scrollPos, int32_t clientHeight, const GridCell& cell) {
    const int64_t y0 = row * cell.height;
    return y0 + cell.height >= scrollPos && int64_t{scrollPos} + clientHeight >= y0;
}

ThumbGeometry thumbGeometry(int32_t W, int32_t H, const GridCell& cell) {
    const int32_t box = cell.thumb;
    ThumbGeometry t;
    int64_t th = int64_t{H} * box / W;
    int64_t tw = box;
    if (th > box) {
        th = box;
        tw = int64_t{W} * box / H;
    }
    t.tw = static_cast<int32_t>(tw);
    t.th = static_cast<int32_t>(th);
    t.ox = (box - t.tw) / 2;
    t.oy = (box - t.th) / 2;
    return t;
}

int32_t selectionAfterKey(ViewKey key, int32_t adib, int32_t step, uint32_t count) {
    const int64_t a = adib;
    const int64_t n = count;
    switch (key) {
    case ViewKey::Up:
        return a - step >= 1 ? adib - step : adib;
    case ViewKey::Down:
        return a + step <= n ? adib + step : adib;
    case ViewKey::Left:
        return a >= 2 ? adib - 1 : adib;
    case ViewKey::Right:
        return a + 1 <= n ? adib + 1 : adib;
    }
    return adib;
}

int32_t scrollForSelection(int32_t adib, int32_t cols, int32_t scrollPos, int32_t clientHeight,
                           const GridCell& cell) {
    const int64_t b = int64_t{adib} - 1;
    const int64_t row = b / std::max(cols, 1);
    const int64_t top = row * cell.height + 2;
    const int64_t bottom = row * cell.height + cell.height - 2;
    if (top < scrollPos) {
        return static_cast<int32_t>(std::max<int64_t>(top, std::numeric_limits<int32_t>::min()));
    }
    if (int64_t{scrollPos} + clientHeight < bottom) {
        return static_cast<int32_t>(bottom - clientHeight);
    }
    return scrollPos;
}
