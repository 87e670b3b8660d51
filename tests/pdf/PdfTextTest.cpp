// Text in the fonts Qt finds on the system: the files pass qpdf's check, render in poppler,
// mupdf and ghostscript, give the text back to their text extraction, and carry the widths Qt
// measures, so a viewer lays text out as wide as TextWidth says.
#include "pdf/PDFWriterCanvas.h"

#include "PdfTestUtil.h"
#include "platform/CodePage.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QRawFont>

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>

namespace {

std::string utf8(std::u16string_view s) {
    return qly::utf16ToUtf8(s);
}

class PdfText : public pdftest::PdfTest {
  protected:
    static void SetUpTestSuite() {
        if (QCoreApplication::instance() == nullptr) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            app_ = std::make_unique<QGuiApplication>(argc_, argv_);
        }
    }
    static void TearDownTestSuite() { app_.reset(); }

    // Text extracted by `command`, line by line, without blanks at either end, carriage returns,
    // form feeds, empty lines and notices about the tool's build.
    static std::string extracted(const std::string& command) {
        const auto r = pdftest::run(command);
        EXPECT_EQ(r.status, 0) << command << ": " << r.output;
        std::istringstream in(pdftest::withoutBuildNotices(r.output));
        std::string text;
        for (std::string line; std::getline(in, line);) {
            const size_t b = line.find_first_not_of(" \f\r");
            if (b != std::string::npos) {
                text += line.substr(b, line.find_last_not_of(" \r") + 1 - b) + "\n";
            }
        }
        return text;
    }

  private:
    static inline int argc_ = 1;
    static inline char arg0_[] = "pdf_tests";
    static inline char* argv_[] = {arg0_, nullptr};
    static inline std::unique_ptr<QGuiApplication> app_;
};

TEST_F(PdfText, TextComesBackOutOfPopplerMupdfAndGhostscript) {
    const std::u16string page1[] = {
        u"Größe Äpfel Öl Übermaß süß",
        u"Preis 5 € – „Anführung“ ‚halb‘ ™ ‰ … Œuvre Šárka Ÿ",
        u"Klammern (a(b)c) und \\Backslash",
    };
    const std::string name = out("text.pdf");
    {
        TPDFCanvas pdf;
        ASSERT_TRUE(pdf.BeginDoc(name));
        for (int i = 0; i < 3; ++i) {
            pdf.font.Style = uint8_t(i); // regular, bold, italic
            pdf.font.Size = 10 + 2 * i;
            pdf.TextOut(40, 40 + 30 * i, page1[i]);
        }
        pdf.NewPage();
        pdf.font = {u"DejaVu Serif", 16, 0, 0x0000C0, 72};
        pdf.TextOut(40, 40, u"Zweite Seite");
        pdf.EndDoc();
    }
    pdftest::parseAndCheck(name);
    pdftest::expectRendersCleanly(name, dir_.path().string());
    const std::string f = pdftest::quote(name);
    for (const char* page : {"1", "2"}) {
        const std::string p = page;
        const std::string expected =
            p == "1" ? utf8(page1[0]) + "\n" + utf8(page1[1]) + "\n" + utf8(page1[2]) + "\n"
                     : "Zweite Seite\n";
        EXPECT_EQ(extracted("pdftotext -f " + p + " -l " + p + " " + f + " -"), expected);
        EXPECT_EQ(extracted("mutool draw -q -F txt -o - " + f + " " + p), expected);
        EXPECT_EQ(extracted("gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=txtwrite -dFirstPage=" + p +
                            " -dLastPage=" + p + " -sOutputFile=- " + f),
                  expected);
    }
}

TEST_F(PdfText, FontObjectsCarryTheWidthsQtMeasuresAndPopplerLaysThemOut) {
    const TFont fonts[] = {
        {u"Microsoft Sans Serif", 8},
        {u"Microsoft Sans Serif", 30, fsBold | fsItalic},
        {u"Nimbus Sans", 12}, // Type 1 where fontconfig has it: no outline metrics
    };
    const std::u16string text = u"Wäl€„“";
    for (const TFont& font : fonts) {
        const std::string name = out("font.pdf");
        int32_t width = 0;
        int32_t height = 0;
        {
            TPDFCanvas pdf;
            ASSERT_TRUE(pdf.BeginDoc(name));
            pdf.font = font;
            width = pdf.TextWidth(text);
            height = pdf.TextHeight(text);
            pdf.TextOut(100, 200, text);
            pdf.EndDoc();
        }
        const std::string what = utf8(font.Name) + " " + std::to_string(font.Style);
        const std::string obj = pdftest::parseAndCheck(name).object(4);
        // The same font through Qt's own text measuring, at 1000 pixels: thousandths of the em.
        QFont q(QString::fromStdU16String(font.Name));
        q.setBold((font.Style & fsBold) != 0);
        q.setItalic((font.Style & fsItalic) != 0);
        q.setHintingPreference(QFont::PreferNoHinting);
        q.setPixelSize(1000);
        const QFontMetricsF m(q);
        auto number = [&obj](const std::string& key) {
            const size_t at = obj.find(key);
            return at == std::string::npos ? -9999 : std::atoi(obj.c_str() + at + key.size());
        };
        EXPECT_NEAR(number("/Ascent "), m.ascent(), 1) << what;
        EXPECT_NEAR(number("/Descent "), -m.descent(), 1) << what;
        EXPECT_NEAR(height, (m.ascent() + m.descent()) * font.Size / 1000, 0.5) << what;
        // An italic angle only with outline metrics; italic faces lean to the right.
        const int angle = number("/ItalicAngle ");
        if (QRawFont::fromFont(q).fontTable("head").isEmpty()) {
            EXPECT_EQ(angle, -9999) << what;
        } else if ((font.Style & fsItalic) != 0) {
            EXPECT_LT(angle, -5) << what;
        } else {
            EXPECT_EQ(angle, 0) << what;
        }
        const int first = number("/FirstChar ");
        EXPECT_EQ(number("/LastChar "), 255) << what;
        std::istringstream in(obj.substr(obj.find("/Widths [") + 9));
        std::vector<int> widths;
        for (int w; in >> w;) {
            widths.push_back(w);
        }
        ASSERT_EQ(widths.size(), size_t(256 - first)) << what;
        for (const char code : std::string("AWiz0 \x80\x84\x9F\xC4\xDF\xE4")) {
            const char16_t c = qly::fromAnsi(std::string(1, code))[0];
            EXPECT_NEAR(widths[uint8_t(code) - size_t(first)], m.horizontalAdvance(QChar(c)), 1)
                << what << " code " << int(uint8_t(code));
        }
        // Poppler places the text at x 100 as wide as TextWidth, around a baseline at the cell's
        // bottom (y + height).
        const auto r = pdftest::run("pdftotext -bbox " + pdftest::quote(name) + " -");
        std::smatch box;
        ASSERT_TRUE(std::regex_search(r.output, box,
                                      std::regex(R"re(xMin="([.0-9]+)" yMin="([.0-9]+)" )re"
                                                 R"re(xMax="([.0-9]+)" yMax="([.0-9]+)">)re")))
            << r.output;
        EXPECT_NEAR(std::stod(box[1]), 100, 0.01) << what;
        EXPECT_NEAR(std::stod(box[3]) - 100, width, 1) << what;
        EXPECT_LT(std::stod(box[2]), 200 + height) << what;
        EXPECT_GT(std::stod(box[4]), 200 + height) << what;
    }
}

TEST(PdfTextWithoutGui, TextIsWrittenWithoutWidthsWhenNoFontCanBeHad) {
    // Qt's fonts need a QGuiApplication; the writer must not ask for them without one. The test
    // runs in a process of its own, which has none, and writes to the file this one names.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    qlytest::TempDir dir;
    const char* given = std::getenv("QLY_NOGUI_PDF");
    const std::string name = given != nullptr ? given : dir.file("nogui.pdf");
    ::setenv("QLY_NOGUI_PDF", name.c_str(), 1);
    EXPECT_EXIT(
        {
            TPDFCanvas pdf;
            bool ok = QCoreApplication::instance() == nullptr && pdf.BeginDoc(name);
            ok = ok && pdf.TextWidth(u"abc") == 0 && pdf.TextHeight(u"abc") == 0;
            pdf.TextOut(100, 100, u"Größe €");
            pdf.EndDoc();
            std::_Exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    ::unsetenv("QLY_NOGUI_PDF");
    const pdftest::ParsedPdf p = pdftest::parseAndCheck(name);
    EXPECT_NE(p.bytes.find("/BaseFont /Microsoft#20Sans#20Serif\n>>"), std::string::npos);
    EXPECT_EQ(pdftest::run("pdftotext " + pdftest::quote(name) + " -").output, "Größe €\n\n\f");
}

} // namespace
