// The arithmetic of the page view and the sorting view.
#include "view/ViewGeometry.h"

#include <gtest/gtest.h>

namespace {

TEST(ViewGeometry, SheetInScreenPixels) {
    ExportSettings a4;
    SheetGeometry g = sheetGeometry(a4, 25, 96);
    EXPECT_EQ(g.W, 198);
    EXPECT_EQ(g.H, 280);
    EXPECT_EQ(g.aw, 198) << "margins off";
    g = sheetGeometry(a4, 100, 96);
    EXPECT_EQ(g.W, 793);
    EXPECT_EQ(g.H, 1122);
    a4.BorderCheck = true;
    g = sheetGeometry(a4, 25, 96);
    EXPECT_EQ(g.mx, 14);
    EXPECT_EQ(g.my, 14);
    EXPECT_EQ(g.aw, 198 - 28);
    EXPECT_EQ(g.ah, 280 - 28);
}

TEST(ViewGeometry, GridColumnsAndHeight) {
    struct Case {
        int32_t width;
        uint32_t count;
        int32_t cols;
        int64_t height;
    };
    const Case cases[] = {{400, 12, 4, 440}, {400, 11, 4, 330}, {50, 3, 1, 440},
                          {0, 0, 1, 110},    {90, 1, 1, 220},   {179, 5, 1, 660}};
    for (const Case& c : cases) {
        EXPECT_EQ(gridColumns(c.width), c.cols) << c.width;
        EXPECT_EQ(gridHeight(c.count, c.cols), c.height) << c.width << " " << c.count;
    }
}

TEST(ViewGeometry, HitTestTakesFrameBoundsAndLeavesGaps) {
    struct Case {
        int32_t x, y;
        int64_t page;
    };
    // Four columns, six pages: the second row holds pages 4 and 5 (0-based).
    const Case cases[] = {
        {2, 2, 0},
        {88, 108, 0},
        {1, 50, -1},
        {89, 50, -1},
        {91, 50, -1},
        {92, 50, 1},
        {50, 1, -1},
        {50, 109, -1},
        {50, 112, 4},
        {100, 112, 5},
        {182, 112, -1}, // page 7 does
                        // not exist
        {362, 50, -1},  // beyond the last column
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cellAt(c.x, c.y, 4, 6), c.page) << c.x << "," << c.y;
    }
}

TEST(ViewGeometry, ArrowKeysStepWithoutWrapping) {
    struct Case {
        ViewKey key;
        int32_t adib, step;
        uint32_t count;
        int32_t after;
    };
    const Case cases[] = {
        {ViewKey::Right, 4, 4, 12, 5}, {ViewKey::Left, 5, 4, 12, 4}, // across a row end
        {ViewKey::Left, 1, 4, 12, 1},  {ViewKey::Right, 12, 4, 12, 12},
        {ViewKey::Up, 4, 4, 12, 4},    {ViewKey::Up, 5, 4, 12, 1},
        {ViewKey::Down, 9, 4, 12, 9},  {ViewKey::Down, 8, 4, 12, 12},
        {ViewKey::Up, 3, 0, 5, 3},     {ViewKey::Down, 3, 0, 5, 3},  // narrower than a cell
        {ViewKey::Left, 4, 2, 2, 3},   {ViewKey::Right, 3, 2, 2, 3}, // past the end
        {ViewKey::Down, 3, 2, 2, 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(selectionAfterKey(c.key, c.adib, c.step, c.count), c.after)
            << int(c.key) << " from " << c.adib;
    }
}

TEST(ViewGeometry, SelectionIsScrolledIntoSight) {
    // Rows of 110 pixels, a band 300 pixels high.
    EXPECT_EQ(scrollForSelection(1, 4, 0, 300), 0);
    EXPECT_EQ(scrollForSelection(13, 4, 0, 300), 3 * 110 + 108 - 300); // below: bottom aligned
    EXPECT_EQ(scrollForSelection(1, 4, 200, 300), 2);                  // above: top aligned
    EXPECT_EQ(scrollForSelection(6, 4, 50, 300), 50);                  // inside: unchanged
}

TEST(ViewGeometry, ThumbnailsFitTheBox) {
    const ThumbGeometry portrait = thumbGeometry(2480, 3508);
    EXPECT_EQ(portrait.th, 80);
    EXPECT_EQ(portrait.tw, 2480 * 80 / 3508);
    EXPECT_EQ(portrait.ox, (80 - portrait.tw) / 2);
    EXPECT_EQ(portrait.oy, 0);
    const ThumbGeometry landscape = thumbGeometry(300, 100);
    EXPECT_EQ(landscape.tw, 80);
    EXPECT_EQ(landscape.th, 26);
    EXPECT_EQ(landscape.oy, 27);
    EXPECT_TRUE(rowVisible(0, 0, 10));
    EXPECT_FALSE(rowVisible(0, 111, 10));
    EXPECT_FALSE(rowVisible(3, 0, 329));
    EXPECT_TRUE(rowVisible(3, 0, 330));
}

TEST(SortingGrid, LargerThumbnailsScaleTheCellsAndTheirFrames) {
    // The normal size is the classic grid; other sizes keep the frame and caption room.
    const GridCell normal = gridCell(80);
    EXPECT_EQ(normal.width, kCellWidth);
    EXPECT_EQ(normal.height, kCellHeight);
    const GridCell big = gridCell(160);
    EXPECT_EQ(big.width, 170);
    EXPECT_EQ(big.height, 190);
    EXPECT_EQ(gridCell(1).thumb, 40);
    EXPECT_EQ(gridCell(100000).thumb, 400);
    EXPECT_EQ(gridColumns(680, big), 4);
    EXPECT_EQ(gridHeight(8, 4, big), 3 * 190);
    // The frame's inside reaches from 2 to width - 2 and height - 2, bounds included.
    EXPECT_EQ(cellAt(170 + 2, 2, 4, 8, big), 1);
    EXPECT_EQ(cellAt(170 + 168, 188, 4, 8, big), 1);
    EXPECT_EQ(cellAt(170 + 169, 100, 4, 8, big), -1);
    EXPECT_EQ(cellAt(10, 190 + 10, 4, 8, big), 4);
    const ThumbGeometry t = thumbGeometry(300, 100, big);
    EXPECT_EQ(t.tw, 160);
    EXPECT_EQ(t.th, 53);
    EXPECT_EQ(t.oy, 53);
    EXPECT_EQ(scrollForSelection(5, 4, 0, 100, big), 190 + 188 - 100);
}

} // namespace
