// The arithmetic of the picture viewer and of printing.
#include "view/PrintGeometry.h"

#include <gtest/gtest.h>

namespace {

TEST(ViewerGeometry, ZoomTruncatesEachSide) {
    struct Case {
        int32_t W, H, zoom, w, h;
    };
    const Case cases[] = {
        {1000, 700, 100, 1000, 700}, {1000, 700, 5, 50, 35}, {100, 100, 9000, 9000, 9000},
        {333, 101, 15, 49, 15},      {3, 3, 5, 0, 0},        {65535, 65535, 9000, 5898150, 5898150},
        {0, 700, 100, 0, 0},
    };
    for (const Case& c : cases) {
        const ZoomedSize z = zoomedSize(c.W, c.H, c.zoom);
        EXPECT_EQ(z.w, c.w) << c.W << "x" << c.H << " at " << c.zoom;
        EXPECT_EQ(z.h, c.h) << c.W << "x" << c.H << " at " << c.zoom;
    }
}

TEST(ViewerGeometry, DraggingMovesTheScrollPositionAgainstThePointerWithinItsRange) {
    struct Case {
        int32_t position, grabbed, pointer, range, expected;
    };
    const Case cases[] = {
        {100, 200, 230, 601, 70},  // the picture dragged 30 pixels right: 30 back
        {100, 200, 170, 601, 130}, // dragged left
        {10, 0, 50, 601, 0},       // stops at 0
        {580, 300, 200, 601, 600}, // stops at range - 1
        {0, 5, 0, 1, 0},           // a picture that fits has one position
        {0, 5, 0, 0, 0},           // and never a negative one
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dragScrollPosition(c.position, c.grabbed, c.pointer, c.range), c.expected)
            << c.position << " " << c.grabbed << " " << c.pointer << " " << c.range;
    }
}

TEST(PrintGeometry, RoundingHalvesGoToTheEvenNeighbour) {
    struct Case {
        int64_t num, den, expected;
    };
    const Case cases[] = {{240050, 100, 2400}, {240150, 100, 2402}, {240051, 100, 2401},
                          {240049, 100, 2400}, {5, 2, 2},           {7, 2, 4},
                          {0, 100, 0},         {99, 100, 1}};
    for (const Case& c : cases) {
        EXPECT_EQ(roundHalfEven(c.num, c.den), c.expected) << c.num << "/" << c.den;
    }
}

TEST(PrintGeometry, PictureBoxOnThePrinterPage) {
    struct Case {
        const char* what;
        int32_t W, H, PW, PH;
        PrintSizing s;
        PrintBox expected;
    };
    const PrintSizing full{};
    const PrintSizing stretched{true, 50, 50, false, true};
    const PrintSizing topLeft{true, 50, 50, true, false};
    const PrintSizing user{false, 50, 17, true, true};
    const PrintSizing userHalf{false, 50, 50, false, false};
    const Case cases[] = {
        {"wide picture, portrait page", 1000, 500, 4800, 6800, full, {0, 2200, 4800, 2400}},
        {"tall picture, portrait page", 500, 2000, 4800, 6800, full, {1550, 0, 1700, 6800}},
        {"tall picture, landscape page", 500, 2000, 6800, 4800, full, {2800, 0, 1200, 4800}},
        {"aspect off stretches", 1000, 500, 4800, 6800, stretched, {0, 0, 4800, 6800}},
        {"not centred", 1000, 500, 4800, 6800, topLeft, {0, 0, 4800, 2400}},
        {"user-defined, centred", 1000, 500, 4800, 6800, user, {1200, 2822, 2400, 1156}},
        {"halves to even, down", 10, 10, 4801, 4801, userHalf, {0, 0, 2400, 2400}},
        {"halves to even, up", 10, 10, 4803, 4803, userHalf, {0, 0, 2402, 2402}},
        {"no pixels", 0, 500, 4800, 6800, full, {0, 0, 0, 0}},
        {"no page", 1000, 500, 0, 6800, full, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(printBox(c.W, c.H, c.PW, c.PH, c.s), c.expected) << c.what;
    }
}

TEST(PrintGeometry, PreviewSheetAndPicture) {
    EXPECT_EQ(previewSheet(4800, 6800), (PrintBox{28, 0, 134, 190})) << "portrait";
    EXPECT_EQ(previewSheet(6800, 4800), (PrintBox{0, 28, 190, 134})) << "landscape";
    EXPECT_EQ(previewSheet(5000, 5000), (PrintBox{0, 0, 190, 190})) << "square";
    EXPECT_EQ(previewSheet(0, 5000), (PrintBox{})) << "no page";

    // The picture as printed, on the sheet's size, moved onto the sheet.
    EXPECT_EQ(previewPicture(1000, 500, 4800, 6800, PrintSizing{}), (PrintBox{28, 61, 134, 67}));
    const PrintSizing user{false, 50, 17, true, true};
    EXPECT_EQ(previewPicture(1000, 500, 4800, 6800, user), (PrintBox{61, 79, 67, 32}));
    const PrintSizing topLeft{false, 50, 17, true, false};
    EXPECT_EQ(previewPicture(1000, 500, 4800, 6800, topLeft), (PrintBox{28, 0, 67, 32}));
}

TEST(PrintGeometry, PercentagesFollowEachOtherInThePicturesShape) {
    struct Case {
        const char* what;
        bool widthEdited;
        int32_t W, H, PW, PH;
        Percentages before, after;
    };
    const Case cases[] = {
        // Trunc(500 * 50 / 1000 * 4800 / 6800) = Trunc(17.6) = 17.
        {"width 50", true, 1000, 500, 4800, 6800, {50, 50}, {50, 17}},
        // Trunc(1000 * 17 / 500 * 6800 / 4800) = Trunc(48.2) = 48.
        {"height 17", false, 1000, 500, 4800, 6800, {50, 17}, {48, 17}},
        // 283.3 is kept at 100; the width goes back to Trunc(500 * 100 / 2000 * 4800 / 6800).
        {"height past 100", true, 500, 2000, 6800, 4800, {50, 50}, {17, 100}},
        {"width past 100", false, 1000, 500, 4800, 6800, {50, 100}, {100, 35}},
        // Below 1 the height stays 1, and the width that matches it is past 100.
        {"height below 1", true, 10000, 10, 4800, 6800, {1, 50}, {100, 1}},
        {"no pixels", true, 0, 500, 4800, 6800, {50, 50}, {50, 50}},
        {"no page", false, 1000, 500, 4800, 0, {50, 50}, {50, 50}},
    };
    for (const Case& c : cases) {
        const Percentages p = c.widthEdited ? afterBreitEdit(c.W, c.H, c.PW, c.PH, c.before)
                                            : afterHochEdit(c.W, c.H, c.PW, c.PH, c.before);
        EXPECT_EQ(p, c.after) << c.what << ": " << p.breit << " " << p.hoch;
    }
}

} // namespace
