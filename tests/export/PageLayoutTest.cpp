#include "export/PageLayout.h"

#include <gtest/gtest.h>

namespace {

TEST(MmToPoints, DividesBy25Point39995AndTruncates) {
    EXPECT_EQ(mmToPoints(210), 595);
    EXPECT_EQ(mmToPoints(297), 841);
    EXPECT_EQ(mmToPoints(15), 42);
    EXPECT_EQ(mmToPoints(10), 28);
    EXPECT_EQ(mmToPoints(215.9), 612); // 611 with 25.4
    EXPECT_EQ(mmToPoints(279.4), 792); // 791 with 25.4
    EXPECT_EQ(mmToPoints(420), 1190);
    EXPECT_EQ(mmToPoints(1e300), 2147483647);
}

TEST(BatchNames, CounterIsPaddedToFourDigitsAndTheExtensionReplaced) {
    EXPECT_EQ(PadToFourDigits("7"), "0007");
    EXPECT_EQ(PadToFourDigits("12345"), "12345");
    EXPECT_EQ(PadToFourDigits(""), "0000");
    EXPECT_EQ(batchFileName(batchBaseName("/scans/Brief.pdf"), 1), "/scans/Brief0001.pdf");
    EXPECT_EQ(batchFileName(batchBaseName("/scans/Brief.pdf"), 10000), "/scans/Brief10000.pdf");
    // Without an extension the whole name stays, also when a folder has a dot.
    EXPECT_EQ(batchBaseName("/scans/Brief"), "/scans/Brief");
    EXPECT_EQ(batchBaseName("/my.scans/Brief"), "/my.scans/Brief");
    EXPECT_EQ(batchBaseName("a.b.pdf"), "a.b");
}

class Layout : public ::testing::Test {
  protected:
    PagePlacement lay(int W, int H, int Wmax = 1, int Hmax = 1) {
        return layoutPage(s, pw, ph, W, H, Wmax, Hmax);
    }
    ExportSettings s;
    int32_t pw = mmToPoints(210);
    int32_t ph = mmToPoints(297);
};

TEST_F(Layout, A4ScanWithMarginsAndCentring) {
    s.BorderCheck = true;
    s.ZentCheck = true;
    const PagePlacement p = lay(2480, 3508);
    EXPECT_TRUE(p.drawn);
    EXPECT_EQ(p.pageWidth, 595);
    EXPECT_EQ(p.pageHeight, 841);
    EXPECT_EQ(p.w, 511);
    EXPECT_EQ(p.h, 722);
    EXPECT_EQ(p.x, 42);
    EXPECT_EQ(p.y, 59);
}

TEST_F(Layout, LandscapeScanIsWidthLimitedAtTheMargins) {
    s.BorderCheck = true;
    const PagePlacement p = lay(3508, 2480);
    EXPECT_EQ(p.w, 511);
    EXPECT_EQ(p.h, 361);
    EXPECT_EQ(p.x, 42);
    EXPECT_EQ(p.y, 42);
    // A tall narrow picture is limited by the height.
    const PagePlacement tall = lay(1000, 4000);
    EXPECT_EQ(tall.h, 757);
    EXPECT_EQ(tall.w, 1000 * 757 / 4000);
}

TEST_F(Layout, RelativeModeUsesOneScaleFromTheLargestWidthAndHeight) {
    s.BorderCheck = true;
    s.RelSizeCheck = true;
    s.MaxSizeCheck = false;
    const PagePlacement a = lay(1000, 2000, 3000, 2000);
    const PagePlacement b = lay(3000, 1000, 3000, 2000);
    EXPECT_EQ(a.w, 170);
    EXPECT_EQ(a.h, 340);
    EXPECT_EQ(b.w, 511);
    EXPECT_EQ(b.h, 170);
    // Height-limited common scale: very tall largest picture.
    const PagePlacement c = lay(100, 100, 100, 10000);
    EXPECT_EQ(c.h, 7); // 100 * 757 / 10000
}

TEST_F(Layout, PageSizeFollowsThePicture) {
    s.BorderCheck = true;
    s.setpaperheichec = true;
    s.UsePageSizeFromPicChecked = true;
    const PagePlacement p = lay(2480, 3508);
    EXPECT_EQ(p.pageWidth, 595);
    EXPECT_EQ(p.pageHeight, 841);
    EXPECT_EQ(pw, 595);
    EXPECT_EQ(ph, 841);
    // Only the height follows: every page keeps the paper width and fills its page exactly.
    s.UsePageSizeFromPicChecked = false;
    s.BorderCheck = false;
    pw = 595;
    const PagePlacement q = lay(1000, 300);
    EXPECT_EQ(q.pageHeight, 300 * 595 / 1000);
    EXPECT_EQ(q.w, 595);
    EXPECT_EQ(q.h, q.pageHeight);
    EXPECT_EQ(q.x, 0);
    EXPECT_EQ(q.y, 0);
    // Only the width follows: the page height stays for the next page too.
    s.setpaperheichec = false;
    s.UsePageSizeFromPicChecked = true;
    s.ScanResEd = 200;
    ph = 841;
    const PagePlacement r = lay(1700, 2200);
    EXPECT_EQ(r.pageWidth, 1700 * 72 / 200);
    EXPECT_EQ(r.pageHeight, 841);
}

TEST_F(Layout, EqualityGoesToTheWidthLimitedCase) {
    s.BorderCheck = true;
    // (757 * 511) / 511 == 757 == ah: width-limited, the picture fills the area.
    const PagePlacement p = lay(511, 757);
    EXPECT_EQ(p.w, 511);
    EXPECT_EQ(p.h, 757);
}

TEST_F(Layout, NoRoomOrNoPixelsMeansNoPicture) {
    s.BorderCheck = true;
    s.RandHEd = 106; // more than half the paper width
    const PagePlacement p = lay(100, 100);
    EXPECT_FALSE(p.drawn);
    EXPECT_TRUE(p.noRoom);
    s.RandHEd = 15;
    const PagePlacement e = lay(0, 100);
    EXPECT_FALSE(e.drawn);
    EXPECT_TRUE(e.emptyPicture);
    EXPECT_EQ(e.pageWidth, 595);
}

TEST_F(Layout, APageTakenFromATinyPictureHasTheSmallestSizeAndShowsIt) {
    struct Case {
        int W, H;
        double dpi;
        bool widthFollows, heightFollows;
        int pageWidth, pageHeight, w, h;
    };
    const Case cases[] = {
        {4, 4, 300, true, true, 4, 4, 4, 4},          // 0.96 points at 300 dpi
        {1, 1, 10000, true, true, 4, 4, 4, 4},        // a single pixel
        {2, 30, 300, true, true, 4, 60, 4, 60},       // narrow: only the width is raised
        {3000, 20, 300, false, true, 595, 4, 595, 3}, // a strip: the page is 4 points high
        {8, 8, 300, true, false, 4, 841, 4, 4},       // the height stays the paper's
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.W << "x" << c.H << " at " << c.dpi);
        s.ScanResEd = c.dpi;
        s.UsePageSizeFromPicChecked = c.widthFollows;
        s.setpaperheichec = c.heightFollows;
        pw = 595;
        ph = 841;
        const PagePlacement p = lay(c.W, c.H);
        EXPECT_EQ(p.pageWidth, c.pageWidth);
        EXPECT_EQ(p.pageHeight, c.pageHeight);
        EXPECT_EQ(pw, c.pageWidth);
        EXPECT_EQ(ph, c.pageHeight);
        EXPECT_TRUE(p.drawn);
        EXPECT_FALSE(p.noRoom);
        EXPECT_EQ(p.w, c.w);
        EXPECT_EQ(p.h, c.h);
    }
}

TEST_F(Layout, OnlyMarginsCanLeaveNoRoom) {
    // With margins the tiny page has no room, and that is what the export reports.
    s.UsePageSizeFromPicChecked = true;
    s.setpaperheichec = true;
    s.BorderCheck = true;
    const PagePlacement m = lay(4, 4);
    EXPECT_FALSE(m.drawn);
    EXPECT_TRUE(m.noRoom);
    // Without margins a page without area (a size set to nothing by the caller) is not blamed
    // on them.
    s.UsePageSizeFromPicChecked = false;
    s.setpaperheichec = false;
    s.BorderCheck = false;
    pw = 0;
    const PagePlacement z = lay(4, 4);
    EXPECT_FALSE(z.drawn);
    EXPECT_FALSE(z.noRoom);
}

TEST_F(Layout, HugePicturesWithAFollowingPageSizeDoNotOverflow) {
    s.setpaperheichec = true;
    s.UsePageSizeFromPicChecked = true;
    s.ScanResEd = 10;
    const PagePlacement p = lay(65535, 65535);
    EXPECT_EQ(p.pageWidth, 65535 * 72 / 10);
    EXPECT_EQ(p.pageHeight, p.pageWidth);
    EXPECT_EQ(p.w, p.pageWidth);
    EXPECT_EQ(p.h, p.pageHeight);
}

} // namespace
