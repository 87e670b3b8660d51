#include "document/DrawDib.h"
#include "common/TestDib.h"
#include "document/Dib.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using qlytest::OwnedDib;

namespace {

TEST(RoundQuotient, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundQuotient(5, 2), 2);
    EXPECT_EQ(roundQuotient(7, 2), 4);
    EXPECT_EQ(roundQuotient(-5, 2), -2);
    EXPECT_EQ(roundQuotient(10, 3), 3);
    EXPECT_EQ(roundQuotient(11, 3), 4);
}

TEST(PlanDrawDib, ClipsAllFourEdgesMovingTheDestinationRightAndDown) {
    // 100 x 80 picture, source rectangle 10 left, 20 below, 20 right and 20 above the picture,
    // drawn at twice the size.
    const DrawDibPlan p =
        planDrawDib(0, 0, 260, 240, 100, 80, 24, -10, -20, 130, 120, false, 32, false);
    EXPECT_EQ(p.xSrc, 0);
    EXPECT_EQ(p.ySrc, 0);
    EXPECT_EQ(p.srcW, 100);
    EXPECT_EQ(p.srcH, 80);
    EXPECT_EQ(p.destW, 200);
    EXPECT_EQ(p.destH, 160);
    EXPECT_EQ(p.x, 20); // 10 columns cut at the left, times 2
    EXPECT_EQ(p.y, 40); // 20 rows cut at the top, times 2
    EXPECT_EQ(p.method, DrawMethod::Rows24);
}

TEST(PlanDrawDib, ProportionalShrinkRoundsHalvesToEven) {
    // Right edge: new SrcW 1 of 2 -> DestW [5 / 2] = 2 and [7 / 2] = 4.
    EXPECT_EQ(planDrawDib(0, 0, 5, 10, 3, 10, 24, 2, 0, 2, 10, false, 32, false).destW, 2);
    EXPECT_EQ(planDrawDib(0, 0, 7, 10, 3, 10, 24, 2, 0, 2, 10, false, 32, false).destW, 4);
    // Top edge: the destination moves down by what the rounding took off.
    const DrawDibPlan top = planDrawDib(3, 4, 10, 5, 10, 3, 8, 0, 2, 10, 2, false, 32, false);
    EXPECT_EQ(top.destH, 2); // [5 * 1 / 2] = [2.5] = 2
    EXPECT_EQ(top.y, 7);
    EXPECT_EQ(top.srcH, 1);
    EXPECT_EQ(top.method, DrawMethod::Rows8);
}

TEST(PlanDrawDib, RectanglesOutsideThePictureOrEmptyDrawNothing) {
    EXPECT_EQ(planDrawDib(0, 0, 10, 10, 5, 5, 24, 10, 0, 5, 5, false, 32, false).method,
              DrawMethod::Nothing);
    EXPECT_EQ(planDrawDib(0, 0, 10, 10, 5, 5, 24, 0, 0, 0, 5, false, 32, false).method,
              DrawMethod::Nothing);
    EXPECT_EQ(planDrawDib(0, 0, 10, 10, 5, 5, 24, -7, 0, 5, 5, false, 32, false).method,
              DrawMethod::Nothing);
}

TEST(PlanDrawDib, MethodFollowsDepthScreenHalftoneAndTarget) {
    auto method = [](int bits, int screen, bool halftone, bool printer, int destW = 50) {
        return planDrawDib(0, 0, destW, 50, 100, 100, bits, 0, 0, 100, 100, halftone, screen,
                           printer)
            .method;
    };
    // A 24-bit picture on a 256-colour screen without Halftone goes through the rows routine.
    EXPECT_EQ(method(24, 8, false, false), DrawMethod::Rows24);
    EXPECT_EQ(method(24, 8, true, false), DrawMethod::HalftoneReduced);
    EXPECT_EQ(method(24, 8, true, false, 200), DrawMethod::HalftoneReduced); // height reduced
    EXPECT_EQ(method(24, 32, true, false), DrawMethod::Rows24);
    EXPECT_EQ(method(24, 32, false, true), DrawMethod::Stretch);
    EXPECT_EQ(method(8, 32, false, false), DrawMethod::Rows8);
    EXPECT_EQ(method(8, 32, false, true), DrawMethod::Stretch);
    EXPECT_EQ(method(1, 32, false, false), DrawMethod::Stretch);
    EXPECT_EQ(method(4, 8, true, false), DrawMethod::Stretch);
    const DrawDibPlan same =
        planDrawDib(0, 0, 100, 100, 100, 100, 24, 0, 0, 100, 100, true, 8, false);
    EXPECT_EQ(same.method, DrawMethod::HalftoneStretched);
    const DrawDibPlan reduced =
        planDrawDib(0, 0, 25, 40, 100, 80, 24, 20, 8, 50, 40, true, 8, false);
    EXPECT_EQ(reduced.copyW, 50); // [100 * 25 / 50]
    EXPECT_EQ(reduced.copyH, 80);
    EXPECT_EQ(reduced.copyX, 10);
    EXPECT_EQ(reduced.copyY, 8);
}

TEST(DrawDibRows, SamplesColumnsByIntegerDivisionSoTheLastMayNeverShow) {
    OwnedDib d;
    newdib(*d, 10, 3, 8, nullptr, 0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 10; ++x) {
            setpixel(*d, x, y, uint32_t(x * 10 + y));
        }
    }
    // Source 10 columns onto 4: columns 0, 2, 5, 7; 8 and 9 are never shown.
    const QImage img = drawDibRows(*d, 4, 3, 0, 0, 10, 3);
    ASSERT_EQ(img.format(), QImage::Format_Indexed8);
    const int expected[] = {0, 20, 50, 70};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(img.pixelIndex(i, 0), expected[i]);
        EXPECT_EQ(img.pixelIndex(i, 2), expected[i] + 2);
    }
    // Enlarged: each source row repeats for consecutive destination rows.
    const QImage tall = drawDibRows(*d, 10, 6, 0, 0, 10, 3);
    EXPECT_EQ(tall.pixelIndex(3, 0), 30);
    EXPECT_EQ(tall.pixelIndex(3, 1), 30);
    EXPECT_EQ(tall.pixelIndex(3, 2), 31);
    EXPECT_EQ(tall.pixelIndex(3, 5), 32);
    // Columns and rows outside the picture stay zero.
    const QImage outside = drawDibRows(*d, 4, 4, -2, -1, 4, 4);
    EXPECT_EQ(outside.pixelIndex(0, 1), 0);  // column -2
    EXPECT_EQ(outside.pixelIndex(2, 0), 0);  // row -1
    EXPECT_EQ(outside.pixelIndex(2, 1), 0);  // column 0, row 0: value 0 anyway
    EXPECT_EQ(outside.pixelIndex(3, 2), 11); // column 1, row 1
}

// A part of the rows routine's picture is made on its own, pixel for pixel as the part cut out of
// the whole, for enlargements and reductions, parts at the edges and parts reaching outside.
TEST(DrawDibRows, APartIsTheSameAsThatPartOfTheWhole) {
    struct Case {
        int bits;
        int32_t destW, destH, partX, partY, partW, partH;
    };
    const Case cases[] = {
        {24, 370, 90, 0, 0, 370, 90},    {24, 370, 90, 123, 17, 41, 29},
        {8, 370, 90, 300, 60, 70, 30},   {24, 13, 4, 5, 1, 6, 2},
        {8, 13, 4, 0, 3, 13, 1},         {24, 370, 90, -20, -5, 50, 30},
        {8, 370, 90, 360, 80, 100, 100},
    };
    for (const Case& c : cases) {
        OwnedDib d;
        qlytest::makePattern(d, 37, 9, c.bits, 7);
        const QImage whole = drawDibRows(*d, c.destW, c.destH, 0, 0, 37, 9);
        const QImage part =
            drawDibRowsPart(*d, c.destW, c.destH, 0, 0, 37, 9, c.partX, c.partY, c.partW, c.partH);
        const QRect cut = QRect(c.partX, c.partY, c.partW, c.partH).intersected(whole.rect());
        ASSERT_EQ(part.size(), cut.size()) << c.bits << " " << c.partX << "," << c.partY;
        EXPECT_EQ(part.convertToFormat(QImage::Format_RGB32),
                  whole.copy(cut).convertToFormat(QImage::Format_RGB32))
            << c.bits << " " << c.partX << "," << c.partY;
    }
    OwnedDib d;
    qlytest::makePattern(d, 37, 9, 24, 7);
    EXPECT_TRUE(drawDibRowsPart(*d, 370, 90, 0, 0, 37, 9, 400, 0, 10, 10).isNull())
        << "a part beside the picture is nothing";
}

// Drawing only what is visible paints the visible pixels as drawing everything does, and nothing
// outside.
TEST(DrawDib, VisiblePartPaintsAsTheWholeDoes) {
    int argc = 0;
    static QGuiApplication* app = new QGuiApplication(argc, nullptr);
    (void)app;
    for (int bits : {1, 8, 24}) {
        OwnedDib d;
        qlytest::makePattern(d, 37, 9, bits, 3);
        QImage whole(400, 120, QImage::Format_RGB32);
        whole.fill(qRgb(255, 0, 0));
        {
            QPainter painter(&whole);
            drawdib(painter, 5, 7, 370, 90, *d, 0, 0, 37, 9, true);
        }
        const QRect visible(100, 30, 57, 41);
        QImage part(400, 120, QImage::Format_RGB32);
        part.fill(qRgb(255, 0, 0));
        {
            QPainter painter(&part);
            drawdibVisible(painter, visible, 5, 7, 370, 90, *d, 0, 0, 37, 9, true);
        }
        EXPECT_EQ(part.copy(visible), whole.copy(visible)) << bits;
        EXPECT_EQ(part.pixel(visible.left() - 1, visible.top()), qRgb(255, 0, 0)) << bits;
        EXPECT_EQ(part.pixel(visible.right() + 1, visible.bottom()), qRgb(255, 0, 0)) << bits;
        EXPECT_EQ(part.pixel(visible.left(), visible.bottom() + 1), qRgb(255, 0, 0)) << bits;
    }
}

TEST(DrawDib, PaintsPicturesWherePlannedAtEveryDepth) {
    int argc = 0;
    static QGuiApplication* app = new QGuiApplication(argc, nullptr);
    (void)app;
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        OwnedDib d;
        newdib(*d, 4, 4, bits, nullptr, 0);
        // Top-left quarter white, rest black.
        const uint32_t white = bits == 24 || bits == 32 ? 0xffffffu
                               : bits == 16             ? 0x7fffu
                                                        : (1u << bits) - 1;
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 2; ++x) {
                setpixel(*d, x, y, white);
            }
        }
        QImage target(20, 20, QImage::Format_RGB32);
        target.fill(qRgb(255, 0, 0));
        {
            QPainter painter(&target);
            drawdib(painter, 2, 2, 8, 8, *d, 0, 0, 4, 4, false);
        }
        EXPECT_EQ(target.pixel(0, 0), qRgb(255, 0, 0)) << bits; // untouched
        EXPECT_EQ(target.pixel(2, 2), qRgb(255, 255, 255)) << bits;
        EXPECT_EQ(target.pixel(5, 5), qRgb(255, 255, 255)) << bits;
        EXPECT_EQ(target.pixel(6, 6), qRgb(0, 0, 0)) << bits;
        EXPECT_EQ(target.pixel(9, 9), qRgb(0, 0, 0)) << bits;
        EXPECT_EQ(target.pixel(10, 10), qRgb(255, 0, 0)) << bits;
        // The top-left quarter: YSrc counts rows from the bottom, so rows 2..3 from the bottom.
        target.fill(qRgb(255, 0, 0));
        {
            QPainter painter(&target);
            drawdib(painter, 0, 0, 4, 4, *d, 0, 2, 2, 2, false);
        }
        EXPECT_EQ(target.pixel(1, 1), qRgb(255, 255, 255)) << bits; // top-left quarter
        EXPECT_EQ(target.pixel(4, 4), qRgb(255, 0, 0)) << bits;
    }
}

} // namespace

namespace {

// The picture handed to the painter holds the picture's colours at every depth, whatever the
// source rectangle's alignment.
TEST(DibToQImage, HoldsEveryPixelAtEveryDepthAndOffset) {
    for (int bits : {1, 4, 8, 24}) {
        OwnedDib d;
        qlytest::makePattern(d, 37, 9, bits, uint32_t(bits));
        for (int xSrc : {0, 3, 8}) {
            const QImage img = dibToQImage(*d, xSrc, 2, 37 - xSrc - 1, 5);
            ASSERT_EQ(img.size(), QSize(37 - xSrc - 1, 5)) << bits;
            // Rectangle rows count from the bottom: its top is picture row 9 - 2 - 5 = 2.
            for (int y = 0; y < img.height(); ++y) {
                for (int x = 0; x < img.width(); ++x) {
                    int r = 0, g = 0, b = 0;
                    qlytest::pixelRgb(*d, xSrc + x, 2 + y, r, g, b);
                    ASSERT_EQ(img.pixelColor(x, y), QColor(r, g, b))
                        << bits << " bits, x " << xSrc + x << ", y " << y;
                }
            }
        }
    }
}

} // namespace
