// The content operators of lines, rectangles and text, the state written between them, the font
// table and the font objects, checked on the bytes written with made-up font metrics.
#include "pdf/PDFWriterCanvas.h"

#include "PdfTestUtil.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <sstream>

namespace {

// Metrics proportional to the size: ascent 0.9 em, descent 0.25 em, widest character 1 em, font
// box (-0.1, -0.25) to (1.2, 0.95) em, italic angle -12.5 degrees; a character c is (500 + c)
// thousandths of the em wide, so every width in a font object names the character it came from.
struct FakeMeasure : qly::PdfTextMeasure {
    bool font = true;
    bool outlines = true;
    char16_t first = 32;
    char16_t last = 255;
    double size = 0;
    double em(double v) const { return font ? v * size : 0; }
    void setFont(std::u16string_view, uint8_t, int32_t s) override { size = s; }
    bool hasFont() const override { return font; }
    double ascent() const override { return em(0.9); }
    double descent() const override { return em(0.25); }
    double maxCharWidth() const override { return em(1); }
    double charWidth(char16_t c) const override { return em((500 + c) / 1000.0); }
    bool outline(Outline& o) const override {
        o = {em(-0.1), em(-0.25), em(1.2), em(0.95), -12.5};
        return font && outlines;
    }
    char16_t firstChar() const override { return first; }
    char16_t lastChar() const override { return last; }
};

class PdfContent : public pdftest::PdfTest {
  protected:
    // Writes a document drawn by `draw`, reads it back into `pdf` and returns each page's content.
    std::vector<std::string> write(const std::function<void(TPDFCanvas&)>& draw,
                                   FakeMeasure measure = {}) {
        const std::string name = out(std::to_string(++files_) + ".pdf");
        {
            TPDFCanvas p;
            p.setTextMeasure(std::make_unique<FakeMeasure>(measure));
            EXPECT_TRUE(p.BeginDoc(name));
            draw(p);
            p.EndDoc();
        }
        pdf = pdftest::parseAndCheck(name);
        std::vector<std::string> pages;
        for (int c = 2;
             pdf.bytes.find("/Contents " + std::to_string(c) + " 0 R") != std::string::npos;
             c += 2) {
            pages.push_back(pdftest::inflate(pdf.streamData(c)));
        }
        return pages;
    }
    // The dictionary of object n without its brackets.
    std::string dict(int n) const {
        const std::string o = pdf.object(n);
        return o.substr(o.find("<<\n") + 3, o.rfind(">>\nendobj") - o.find("<<\n") - 3);
    }
    // The numbers of the /Widths array of object n.
    std::vector<int> widths(int n) const {
        const std::string d = dict(n);
        const size_t at = d.find("/Widths [") + 9;
        std::istringstream in(d.substr(at, d.find(']', at) - at));
        std::vector<int> out;
        for (int w; in >> w;) {
            out.push_back(w);
        }
        return out;
    }

    pdftest::ParsedPdf pdf;

  private:
    int files_ = 0;
};

TEST_F(PdfContent, FillsWriteTheBrushOncePerPageAndShrinkTowardsZero) {
    const auto pages = write([](TPDFCanvas& p) {
        p.FillRect(10, 20, 110, 70);        // the default brush: solid white
        p.FillRect(TRect{110, 20, 10, 70}); // the same brush again; x2 < x1
        p.FillRect(10, 70, 110, 20);        // y2 < y1
        p.FillRect(10, 20, 10, 70);         // empty
        p.brush.Style = bsClear;
        p.FillRect(0, 0, 5, 5);
        p.brush = {bsSolid, 0x0080FF};
        p.FillRect(0, 0, 1, 1);
        p.NewPage();
        p.PageHeight = 100;
        p.FillRect(0, 0, 10, 10);
    });
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0], "1 1 1 rg\n10 771 99 49 re\nf\n110 771 -99 49 re\nf\n10 821 99 -49 re\nf\n"
                        "1 0.501960784313725 0 rg\n0 840 0 0 re\nf\n");
    EXPECT_EQ(pages[1], "1 0.501960784313725 0 rg\n0 90 9 9 re\nf\n");
}

TEST_F(PdfContent, LinesAndRectanglesStrokeWithThePenWrittenWhenItChanges) {
    const auto pages = write([](TPDFCanvas& p) {
        p.MoveTo(10, 10);
        p.LineTo(100, 10);
        p.LineTo(100, 100);
        p.pen.Style = psClear;
        p.LineTo(50, 50); // strokes nothing, moves penpos
        p.pen = {psDash, 3, 0x0000FF};
        p.LineTo(60, 50);
        p.brush.Style = bsClear;
        p.Rectangle(10, 20, 110, 70); // the outline alone; penpos ends at (10, 20)
        p.LineTo(0, 0);
        p.brush.Style = bsSolid;
        p.Rectangle(TRect{10, 20, 110, 70});
        p.pen.Style = psClear;
        p.Rectangle(0, 0, 2, 2); // FillRect
        p.brush.Style = bsClear;
        p.Rectangle(0, 0, 2, 2);
    });
    EXPECT_EQ(pages.at(0),
              "[ ] 0 d\n1 w\n0 0 0 RG\n10 830 m\n100 830 l\nS\n100 830 m\n100 740 l\nS\n"
              "[3] 0 d\n3 w\n1 0 0 RG\n50 790 m\n60 790 l\nS\n"
              "10 820 m\n109 820 l\nS\n109 820 m\n109 771 l\nS\n"
              "109 771 m\n10 771 l\nS\n10 771 m\n10 820 l\nS\n10 820 m\n0 840 l\nS\n"
              "1 1 1 rg\n10 771 99 49 re\nB\n0 839 1 1 re\nf\n");
    const std::pair<TPenStyle, std::string> dashes[] = {
        {psDot, "[1] 0 d\n"},
        {psDashDot, "[3 1 1 1] 0 d\n"},
        {psDashDotDot, "[3 1 1 1 1 1] 0 d\n"},
        {psInsideFrame, "[ ] 0 d\n"},
        {TPenStyle(42), ""},
    };
    for (const auto& [style, dash] : dashes) {
        EXPECT_EQ(write([s = style](TPDFCanvas& p) {
                      p.pen.Style = s;
                      p.LineTo(1, 0);
                  }).at(0),
                  dash + "1 w\n0 0 0 RG\n0 840 m\n1 840 l\nS\n");
    }
}

TEST_F(PdfContent, TextIsEscapedWindows1252InTheFillColourWithItsBaselineAtTheCellBottom) {
    // At 8 points the cell is 7.2 + 2 = 9 points tall: text at y 30 has its baseline at
    // 841 - 30 - 9 - 1.
    const auto pages = write([](TPDFCanvas& p) {
        p.TextOut(20, 30, u"a(b)c\\d");
        p.FillRect(0, 0, 2, 2); // white again after black text
        p.font.Color = 0xFFFFFF;
        p.TextOut(0, 0, u"\n\t\x01 Größe € „ja“ \u0416"); // in the brush colour
        p.brush = {bsClear, 0x0000FF};
        p.FillRect(0, 0, 2, 2); // a clear brush writes no colour...
        p.font = {u"Microsoft Sans Serif", 20, fsBold, 0x0000FF, 72};
        p.TextOut(0, 0, u"x"); // ...so text in its colour needs one
    });
    EXPECT_EQ(pages.at(0), "BT\n0 0 0 rg\n/F1 8 Tf\n20 801 Td (a\\(b\\)c\\\\d) Tj\nET\n"
                           "1 1 1 rg\n0 839 1 1 re\nf\n"
                           "BT\n0 831 Td (\\n\\t\\001 Gr\xF6\xDF"
                           "e \x80 \x84ja\x93 ?) Tj\nET\n"
                           "BT\n1 0 0 rg\n/F2 20 Tf\n0 817 Td (x) Tj\nET\n");
    TPDFCanvas idle; // measuring needs no document
    idle.setTextMeasure(std::make_unique<FakeMeasure>());
    idle.font.Size = 10;
    EXPECT_EQ(idle.TextWidth(u"AB€"), 100);                         // 5.65 + 5.66 + 88.64
    EXPECT_EQ(idle.TextWidth(u"\U0001F600"), idle.TextWidth(u"?")); // written as '?'
    EXPECT_EQ(idle.TextHeight(u""), 12);                            // 9 + 2.5
}

TEST_F(PdfContent, FontsAreNumberedByNameAndStyleAndEachGetsAnObject) {
    const auto pages = write([](TPDFCanvas& p) {
        p.TextOut(0, 0, u"a");
        p.font.Style = fsBold;
        p.TextOut(0, 0, u"b");
        p.font.Name = u"microsoft sans serif";
        p.TextOut(0, 0, u"c");
        p.NewPage();
        p.font = TFont{};
        p.TextOut(0, 0, u"d");
        p.font = {u"Courier New", 8, fsItalic | fsUnderline, 0, 72};
        p.TextOut(0, 0, u"e"); // first used on page 2
    });
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(
        std::regex_replace(pages[0] + pages[1], std::regex("BT\n(0 0 0 rg\n)?|Td.*\n|ET\n"), ""),
        "/F1 8 Tf\n0 831 /F2 8 Tf\n0 831 /F3 8 Tf\n0 831 /F1 8 Tf\n0 831 /F4 8 Tf\n0 831 ");
    // Contents 2-5, fonts 6-9, page tree 10, pages 11 and 12.
    ASSERT_EQ(pdf.size, 15);
    const char* names[] = {"Microsoft#20Sans#20Serif", "Microsoft#20Sans#20Serif,Bold",
                           "microsoft#20sans#20serif,Bold", "Courier#20New,Italic"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(dict(6 + i).rfind("/Type /Font\n/Subtype /TrueType\n/Encoding /WinAnsiEncoding\n"
                                    "/BaseFont /" +
                                        std::string(names[i]) + "\n",
                                    0),
                  0u);
    }
    const std::string fonts = "/Font << /F1 6 0 R/F2 7 0 R/F3 8 0 R/F4 9 0 R>> /ProcSet 1 0 R\n";
    EXPECT_NE(pdf.object(11).find(fonts), std::string::npos);
    EXPECT_NE(pdf.object(12).find(fonts), std::string::npos);
}

TEST_F(PdfContent, FontObjectsGiveTheMetricsAtTwelvePointsInThousandthsOfTheEm) {
    auto text = [](TPDFCanvas& p) { p.TextOut(10, 20, u"x"); };
    const std::string font = "/Type /Font\n/Subtype /TrueType\n/Encoding /WinAnsiEncoding\n"
                             "/BaseFont /Microsoft#20Sans#20Serif\n";
    const std::string range = "/FirstChar 32\n/LastChar 255\n/Widths [532 533 ";
    write(text);
    EXPECT_EQ(dict(4).rfind(font +
                                "/FontDescriptor <</Type/FontDescriptor\n/FontBBox[-100 -250 "
                                "1200 950]\n/Flags 32/Ascent 900/Descent -250/ItalicAngle -12>>\n" +
                                range,
                            0),
              0u)
        << dict(4);
    // Code c shows the Windows-1252 character c, whose own width it gets.
    const std::vector<int> w = widths(4);
    ASSERT_EQ(w.size(), 224u);
    const std::pair<int, int> slots[] = {{'A', 'A'},     {0x80, 0x20AC}, {0x81, 0x81},
                                         {0x84, 0x201E}, {0x9F, 0x178},  {0xFF, 0xFF}};
    for (const auto& [code, character] : slots) {
        EXPECT_EQ(w[size_t(code - 32)], 500 + character) << code;
    }
    FakeMeasure plain;
    plain.outlines = false;
    write(text, plain);
    EXPECT_EQ(dict(4).rfind(font +
                                "/FontDescriptor <</Type/FontDescriptor\n/FontBBox[0 -250 1000 "
                                "900]\n/Flags 32/Ascent 900/Descent -250>>\n" +
                                range,
                            0),
              0u)
        << dict(4);
    FakeMeasure none; // no font to measure: the viewer's font gives the widths
    none.font = false;
    EXPECT_EQ(write(text, none).at(0), "BT\n0 0 0 rg\n/F1 8 Tf\n10 820 Td (x) Tj\nET\n");
    EXPECT_EQ(dict(4), font);
}

TEST_F(PdfContent, WidthsRunFromTheFontsFirstCodeToItsLastWithinOneByte) {
    struct Range {
        char16_t first, last;
        int firstChar, lastChar;
    };
    const Range ranges[] = {
        {32, 255, 32, 255},    {9, 0xFFFD, 9, 255},
        {32, 0xFFFC, 32, 255}, // not up to the low byte 252, leaving out three characters
        {32, 0xFB02, 32, 255}, // not an empty list for the low byte 2 before the first code
        {32, 126, 32, 126},    {0xF020, 0xF0FF, 255, 255},
    };
    for (const Range& r : ranges) {
        FakeMeasure m;
        m.first = r.first;
        m.last = r.last;
        write([](TPDFCanvas& p) { p.TextOut(0, 0, u"x"); }, m);
        const std::string at = "/FirstChar " + std::to_string(r.firstChar) + "\n/LastChar " +
                               std::to_string(r.lastChar) + "\n/Widths [" +
                               std::to_string(500 + r.firstChar) + " ";
        EXPECT_NE(dict(4).find(at), std::string::npos) << dict(4);
        EXPECT_EQ(widths(4).size(), size_t(r.lastChar - r.firstChar + 1)) << int(r.last);
    }
}

TEST_F(PdfContent, FontNamesBecomePdfNamesWithTheirStyle) {
    const std::pair<TFont, std::string> names[] = {
        {{u"Arial", 8, fsBold | fsItalic | fsUnderline | fsStrikeOut}, "Arial,BoldItalic"},
        {{u"Arial", 8, fsItalic}, "Arial,Italic"},
        {{u"Arial", 8, fsUnderline | fsStrikeOut}, "Arial"},
        {{u"a%b(c)d<e>f[g]h{i}j/k#l"}, "a#25b#28c#29d#3Ce#3Ef#5Bg#5Dh#7Bi#7Dj#2Fk#23l"},
        {{u"tab\there~\x7F Caf\u00E9"}, "tab#09here~#7F#20Caf#E9"},
        {{u"\u0416\U0001D400"}, "#D0#96#F0#9D#90#80"}, // UTF-8 beyond one byte
        {{std::u16string(u"a\0b", 3)}, "a"},
    };
    for (const auto& [font, pdfName] : names) {
        write([f = font](TPDFCanvas& p) {
            p.font = f;
            p.TextOut(0, 0, u"x");
        });
        EXPECT_NE(dict(4).find("/BaseFont /" + pdfName + "\n"), std::string::npos) << dict(4);
    }
}

} // namespace
