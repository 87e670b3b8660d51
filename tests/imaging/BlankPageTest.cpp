// Blank pages among rendered A4 pages at 300 dpi: only the truly blank ones are found, whatever
// the paper's shade, the scanner's specks or the punch holes in the margin.
#include "imaging/BlankPage.h"
#include "document/Dib.h"

#include "common/Shell.h"
#include "common/TestDib.h"
#include "platform/GrafikRW3.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using qlytest::TempDir;

TEST(BlankPages, OnlyTheTrulyBlankPagesOfABatchAreFound) {
    TempDir dir;
    // ImageMagick draws each page as a scanner would deliver it: 2480 x 3508 pixels.
    const std::string a4 = "-size 2480x3508 -density 300 -units PixelsPerInch ";
    const struct {
        const char* name;
        std::string draw;
        bool blank;
    } pages[] = {
        {"empty", "xc:white", true},
        {"grey paper with specks",
         "xc:'#e8e4dc' -fill '#505050' -draw 'point 900,1200' -draw 'point 1500,2000' "
         "-draw 'rectangle 1800,700 1801,701'",
         true},
        {"punched",
         "xc:white -fill black -draw 'circle 90,1450 150,1450' "
         "-draw 'circle 90,2050 150,2050' -draw 'rectangle 0,0 2479,20'",
         true},
        {"page number only",
         "xc:white -fill black -font DejaVu-Sans -pointsize 10 -draw \"text 1220,3250 '12'\"",
         false},
        {"light text",
         "xc:white -fill '#b0b0b0' -font DejaVu-Sans -pointsize 11 "
         "-draw \"text 300,600 'Ein heller Text auf der Seite, kaum zu sehen, aber da.'\"",
         false},
        {"photo", "gradient:'#203060-#a0c0e0'", false},
    };
    for (const auto& page : pages) {
        SCOPED_TRACE(page.name);
        const std::string file = dir.file("page.png");
        const qlytest::CommandResult r =
            qlytest::run("convert " + a4 + page.draw + " -type TrueColor '" + file + "'");
        ASSERT_EQ(r.status, 0) << r.output;
        qlytest::OwnedDib d;
        OpenDib(*d, file, DIB_AUTO);
        ASSERT_NE(d->poi, nullptr);
        const BlankPageReport report = lookForBlank(*d);
        EXPECT_EQ(report.blank, page.blank) << report.inkedCells << " of " << report.cells
                                            << " cells inked, paper " << report.paperLevel;
    }
}

TEST(BlankPages, EveryDepthIsLookedAtByItsColours) {
    // A white page with a black block, in each depth the pages come in.
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        qlytest::OwnedDib d;
        newdib(*d, 600, 800, bits, nullptr, 0);
        ASSERT_NE(d->poi, nullptr);
        const uint32_t white = bits == 16   ? 0x7fff
                               : bits == 24 ? 0xffffff
                               : bits == 32 ? 0xffffff
                                            : (1u << bits) - 1;
        for (int y = 0; y < 800; ++y) {
            for (int x = 0; x < 600; ++x) {
                setpixel(*d, x, y, white);
            }
        }
        EXPECT_TRUE(lookForBlank(*d).blank);
        for (int y = 300; y < 340; ++y) {
            for (int x = 250; x < 320; ++x) {
                setpixel(*d, x, y, 0);
            }
        }
        EXPECT_FALSE(lookForBlank(*d).blank);
    }
}

} // namespace

namespace {

TEST(BlankPages, AWhitePageHasThePaperSizeAtTheResolutionAndIsBlank) {
    const struct {
        double widthMm, heightMm, dpi;
        int32_t width, height, dotsPerMetre;
    } rows[] = {
        {210, 297, 300, 2480, 3508, 11811}, // A4 at 300 dpi
        {215.9, 279.4, 150, 1275, 1650, 5906},
        {10, 10, 10, 4, 4, 394},              // the smallest the fields allow
        {0.01, 0.01, 72, 1, 1, 2835},         // never below one pixel
        {100, 50, 1e9, 39370, 19685, 393701}, // the resolution is held to 10000 dpi
    };
    for (const auto& r : rows) {
        qlytest::OwnedDib page;
        ASSERT_TRUE(makeWhitePage(*page, r.widthMm, r.heightMm, r.dpi)) << r.widthMm;
        EXPECT_EQ(dibwidth(*page), r.width);
        EXPECT_EQ(dibheight(*page), r.height);
        EXPECT_EQ(dibbits(*page), 1);
        EXPECT_EQ(page->pmi->bmiHeader.biXPelsPerMeter, r.dotsPerMetre);
        EXPECT_EQ(page->pmi->bmiHeader.biYPelsPerMeter, r.dotsPerMetre);
        EXPECT_TRUE(lookForBlank(*page).blank);
        // Every bit set, and colour 1 of the table is white.
        EXPECT_EQ(getpixel(*page, 0, 0), 1u);
        EXPECT_EQ(getpixel(*page, r.width - 1, r.height - 1), 1u);
        const RGBQUAD white = page->pmi->bmiColors[1];
        EXPECT_EQ(white.rgbRed + white.rgbGreen + white.rgbBlue, 3 * 255);
    }
}

} // namespace
