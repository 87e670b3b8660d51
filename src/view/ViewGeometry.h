#pragma once
// The arithmetic of the page view and the sorting view, apart from any widget: the sheet in
// screen pixels, the grid of thumbnails, hit testing, the arrow keys and scrolling.

#include "export/PageLayout.h"

#include <cstdint>

// Millimetres to screen pixels at `zoom` per cent and `dpi` pixels per inch:
// Trunc(zoom * (mm / 25.39995 * dpi) / 100), evaluated in extended precision in this order.
int32_t mmToViewPixels(double mm, int32_t zoom, double dpi);

// The sheet of the page view: its size, the margins and the area inside them.
struct SheetGeometry {
    int32_t W = 0;
    int32_t H = 0;
    int32_t mx = 0;
    int32_t my = 0;
    int32_t aw = 0;
    int32_t ah = 0;
};
SheetGeometry sheetGeometry(const ExportSettings& s, int32_t zoom, double dpi);

// The sorting grid: cells of 90 x 110 pixels, thumbnails at most 80 x 80.
inline constexpr int32_t kCellWidth = 90;
inline constexpr int32_t kCellHeight = 110;
inline constexpr int32_t kThumbBox = 80;
// Pixels scrolled per wheel notch.
inline constexpr int32_t kWheelStep = 20;

// A cell of the grid: 90 x 110 with a box of 80 for the thumbnail, unless the user made the
// thumbnails larger or smaller (the frame and the caption room stay as they are).
struct GridCell {
    int32_t width = kCellWidth;
    int32_t height = kCellHeight;
    int32_t thumb = kThumbBox;
};
// The cell around a thumbnail box of `thumb` pixels (kept within 40..400).
GridCell gridCell(int32_t thumb);

// max(1, width div 90).
int32_t gridColumns(int32_t viewWidth, const GridCell& cell = {});
// (count div cols + 1) * 110: one row more than full rows, so a full last row leaves an empty one.
int64_t gridHeight(uint32_t count, int32_t cols, const GridCell& cell = {});
// The 0-based page whose frame (X0+2..X0+88, Y0+2..Y0+108, bounds included) holds (x, y), or -1.
int64_t cellAt(int32_t x, int32_t y, int32_t cols, uint32_t count, const GridCell& cell = {});
// True when the cell of row `row` meets the band [scrollPos, scrollPos + clientHeight].
bool rowVisible(int64_t row, int32_t scrollPos, int32_t clientHeight, const GridCell& cell = {});

// The thumbnail's size and its offset inside the 80 x 80 box for a W x H picture (W, H > 0).
struct ThumbGeometry {
    int32_t tw = 0;
    int32_t th = 0;
    int32_t ox = 0;
    int32_t oy = 0;
};
ThumbGeometry thumbGeometry(int32_t W, int32_t H, const GridCell& cell = {});

enum class ViewKey { Up, Down, Left, Right };
// The selection after an arrow key; step = view width div 90 (0 for a view narrower than a cell,
// so Up and Down change nothing then). No wrap-around: the numbering simply continues.
int32_t selectionAfterKey(ViewKey key, int32_t adib, int32_t step, uint32_t count);
// The scroll position that brings the selected cell into the band, or `scrollPos` when it is.
int32_t scrollForSelection(int32_t adib, int32_t cols, int32_t scrollPos, int32_t clientHeight,
                           const GridCell& cell = {});
