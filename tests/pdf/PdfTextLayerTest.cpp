// The invisible text layer: words in any script come back out of poppler and mupdf in their
// order and where their boxes are, the pages render exactly as without the layer, the font is
// written once per file and stays small, and its TrueType program is one a font library reads.
#include "pdf/PDFWriterCanvas.h"

#include "PdfTestUtil.h"
#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <regex>
#include <sstream>

namespace {

using qly::TextLayerWord;
using qlytest::OwnedDib;

// A white 1-bit picture.
void makeWhitePage(OwnedDib& d, int32_t w, int32_t h) {
    d.reset();
    newdib(*d, w, h, 1, nullptr, 0);
    ASSERT_NE(d->poi, nullptr);
    d->pmi->bmiColors[0] = RGBQUAD{0, 0, 0, 0};
    d->pmi->bmiColors[1] = RGBQUAD{255, 255, 255, 0};
    d->pal.rgb0[0] = PALETTEENTRY{0, 0, 0, 0};
    d->pal.rgb0[1] = PALETTEENTRY{255, 255, 255, 0};
    std::memset(d->poi, 0xFF, size_t(d->bytew) * size_t(h));
}

// Three lines of words in several scripts, in reading order, their boxes in the pixels of a
// 1240 x 1754 picture. Some codes need escapes in a literal string: U+0128 and U+0129 end in the
// bytes of '(' and ')', U+010D in a carriage return, U+015C in a backslash.
const std::vector<TextLayerWord> kWords = {
    {100, 100, 260, 140, "Größe"},     {290, 100, 450, 140, "Äpfel"},
    {480, 104, 560, 140, "süß"},       {590, 100, 800, 148, "Übermaß"},
    {100, 200, 330, 245, "Ελληνικά"},  {360, 200, 600, 245, "Кириллица"},
    {630, 200, 750, 245, "日本語"},    {780, 200, 860, 245, "😀x"},
    {100, 300, 300, 348, "(Klammer)"}, {330, 300, 420, 348, "a\\b"},
    {450, 300, 560, 348, "ĨčĩŜ"},      {590, 300, 1100, 348, "Donaudampfschifffahrt"},
};
constexpr int32_t kPicW = 1240;
constexpr int32_t kPicH = 1754;

// Where the writer places the picture on the page, and its size on the page as Placement draws
// it (one unit less than the box).
constexpr int32_t kX1 = 20;
constexpr int32_t kY1 = 30;
constexpr int32_t kBoxW = 556;
constexpr int32_t kBoxH = 786;

struct ExtractedWord {
    std::string text;
    double xMin, yMin, xMax, yMax;
};

std::vector<ExtractedWord> popplerWords(const std::string& pdf, const std::string& html) {
    const auto r =
        pdftest::run("pdftotext -bbox-layout " + pdftest::quote(pdf) + " " + pdftest::quote(html));
    EXPECT_EQ(r.status, 0) << r.output;
    const std::string text = pdftest::readFile(html);
    static const std::regex word(
        R"re(<word xMin="([-0-9.]+)" yMin="([-0-9.]+)" xMax="([-0-9.]+)" yMax="([-0-9.]+)">([^<]*)</word>)re");
    std::vector<ExtractedWord> out;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), word);
         it != std::sregex_iterator(); ++it) {
        std::string t = (*it)[5];
        for (size_t i; (i = t.find("&amp;")) != std::string::npos;) {
            t.replace(i, 5, "&");
        }
        out.push_back({t, std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]),
                       std::stod((*it)[4])});
    }
    return out;
}

std::vector<std::string> splitWords(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) {
        words.push_back(w);
    }
    return words;
}

class PdfTextLayer : public pdftest::PdfTest {
  protected:
    // A document of `pages` pages, each with the picture and, when `words` is set, the words.
    void write(const std::string& name, int pages, const std::vector<TextLayerWord>* words) {
        OwnedDib page;
        makeWhitePage(page, kPicW, kPicH);
        TPDFCanvas pdf;
        pdf.usejbig2 = true;
        ASSERT_TRUE(pdf.BeginDoc(name));
        for (int p = 0; p < pages; ++p) {
            if (p > 0) {
                pdf.NewPage();
            }
            pdf.DrawDIB(kX1, kY1, kBoxW + 1, kBoxH + 1, *page, 0, 0, kPicW, kPicH);
            if (words != nullptr) {
                pdf.DrawTextLayer(kX1, kY1, kBoxW + 1, kBoxH + 1, kPicW, kPicH, *words);
            }
        }
        pdf.EndDoc();
    }
};

TEST_F(PdfTextLayer, WordsComeBackInOrderAndWhereTheyStand) {
    const std::string name = out("words.pdf");
    write(name, 1, &kWords);
    pdftest::parseAndCheck(name);
    pdftest::expectQpdfClean(name);
    pdftest::expectRendersCleanly(name, dir_.path().string());

    const std::vector<ExtractedWord> got = popplerWords(name, out("words.html"));
    ASSERT_EQ(got.size(), kWords.size());
    const double kx = double(kBoxW) / kPicW;
    const double ky = double(kBoxH) / kPicH;
    // pdftotext measures from the top of the media box, which is one unit below the page's top
    // (the writer's media box ends one unit before the page size).
    const double top = kY1 - 1;
    for (size_t i = 0; i < kWords.size(); ++i) {
        const TextLayerWord& w = kWords[i];
        SCOPED_TRACE(w.text);
        EXPECT_EQ(got[i].text, w.text);
        // Each side within a point and a half of the box the word was recognised in.
        EXPECT_NEAR(got[i].xMin, kX1 + w.left * kx, 1.5);
        EXPECT_NEAR(got[i].xMax, kX1 + w.right * kx, 1.5);
        EXPECT_NEAR(got[i].yMin, top + w.top * ky, 1.5);
        EXPECT_NEAR(got[i].yMax, top + w.bottom * ky, 1.5);
    }

    // mupdf gives the same words in the same order.
    const auto mu = pdftest::run("mutool draw -q -F txt -o - " + pdftest::quote(name));
    EXPECT_EQ(mu.status, 0) << mu.output;
    std::vector<std::string> expected;
    for (const TextLayerWord& w : kWords) {
        expected.push_back(w.text);
    }
    EXPECT_EQ(splitWords(pdftest::withoutBuildNotices(mu.output)), expected) << mu.output;
}

TEST_F(PdfTextLayer, PagesAndPicturesStayExactlyAsWithoutText) {
    const std::string plain = out("plain.pdf");
    const std::string text = out("text.pdf");
    write(plain, 2, nullptr);
    write(text, 2, &kWords);
    // The image streams are the same bytes.
    const pdftest::ParsedPdf a = pdftest::parseAndCheck(plain);
    const pdftest::ParsedPdf b = pdftest::parseAndCheck(text);
    auto images = [](const pdftest::ParsedPdf& p) {
        std::vector<std::string> data;
        for (int n = 1; n < p.size; ++n) {
            if (p.object(n).find("/Subtype /Image") != std::string::npos) {
                data.push_back(p.streamData(n));
            }
        }
        return data;
    };
    EXPECT_EQ(images(a).size(), 2u);
    EXPECT_EQ(images(a), images(b));
    // Every page renders to the same pixels in poppler, mupdf and ghostscript.
    const std::string d = dir_.path().string();
    for (const std::string& pdf : {plain, text}) {
        const std::string tag = pdf == plain ? "a" : "b";
        ASSERT_EQ(
            pdftest::run("pdftoppm -r 50 " + pdftest::quote(pdf) + " " + d + "/pp" + tag).status,
            0);
        ASSERT_EQ(pdftest::run("mutool draw -q -r 50 -o " + d + "/mu" + tag + "%d.ppm " +
                               pdftest::quote(pdf))
                      .status,
                  0);
        ASSERT_EQ(pdftest::run("gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=ppmraw -r50 "
                               "-sOutputFile=" +
                               d + "/gs" + tag + "%d.ppm " + pdftest::quote(pdf))
                      .status,
                  0);
    }
    for (const char* pair :
         {"pp%s-1.ppm", "pp%s-2.ppm", "mu%s1.ppm", "mu%s2.ppm", "gs%s1.ppm", "gs%s2.ppm"}) {
        const std::string fa = d + "/" + std::regex_replace(pair, std::regex("%s"), "a");
        const std::string fb = d + "/" + std::regex_replace(pair, std::regex("%s"), "b");
        const std::string ra = pdftest::readFile(fa);
        EXPECT_FALSE(ra.empty()) << fa;
        EXPECT_EQ(ra, pdftest::readFile(fb)) << fb;
    }
}

TEST_F(PdfTextLayer, OneSmallFontPerFile) {
    const std::string one = out("one.pdf");
    const std::string three = out("three.pdf");
    write(one, 1, &kWords);
    write(three, 3, &kWords);
    const pdftest::ParsedPdf p = pdftest::parseAndCheck(three);
    int type0 = -1;
    int fonts = 0;
    for (int n = 1; n < p.size; ++n) {
        if (p.object(n).find("/Subtype /Type0") != std::string::npos) {
            type0 = n;
            ++fonts;
        }
    }
    ASSERT_EQ(fonts, 1);
    // The font's seven objects (Type0, CIDFont, descriptor, font program, ToUnicode,
    // CIDToGIDMap, encoding) lie one after the other; with their table entries they take less
    // than 2 KB.
    ASSERT_NE(p.object(type0 + 6).find("/Type /CMap"), std::string::npos);
    const int64_t bytes = p.offsets[size_t(type0) + 7] - p.offsets[size_t(type0)] + 7 * 20;
    EXPECT_LT(bytes, 2048);
    // Each page names it, and two more pages of the same words cost their content only.
    for (int n = 1; n < p.size; ++n) {
        const std::string o = p.object(n);
        if (o.find("/Type /Page\n") != std::string::npos) {
            EXPECT_NE(o.find("/TL " + std::to_string(type0) + " 0 R"), std::string::npos) << o;
        }
    }
    const auto size = [](const std::string& f) { return int64_t(pdftest::readFile(f).size()); };
    const int64_t plain1 = [&] {
        write(out("plain1.pdf"), 1, nullptr);
        return size(out("plain1.pdf"));
    }();
    const int64_t plain3 = [&] {
        write(out("plain3.pdf"), 3, nullptr);
        return size(out("plain3.pdf"));
    }();
    const int64_t textPerPage = (size(three) - plain3 - (size(one) - plain1)) / 2;
    EXPECT_LT(textPerPage + bytes / 2, size(one) - plain1) << "the font is written more than once";
}

TEST_F(PdfTextLayer, NoWordsNoTextObjectAndNoFont) {
    const std::string plain = out("plain.pdf");
    write(plain, 2, nullptr);
    // Pages whose words are all unusable: no text, an empty or inverted box.
    const std::vector<TextLayerWord> cases[] = {
        {},
        {{10, 10, 50, 40, ""}},
        {{50, 10, 10, 40, "links"}, {10, 40, 50, 10, "oben"}, {10, 10, 10, 40, "schmal"}},
        // Only blanks and control characters: nothing anyone could find.
        {{10, 10, 50, 40, " "}, {60, 10, 90, 40, "\t \n"}},
    };
    for (const std::vector<TextLayerWord>& words : cases) {
        const std::string name = out("none.pdf");
        qly::RandSeed(1234);
        write(name, 2, &words);
        EXPECT_EQ(pdftest::readFile(name), pdftest::readFile(plain));
    }
}

// The bytes of the literal strings shown by Tj in a content stream, escapes undone.
std::vector<std::string> shownStrings(const std::string& content) {
    std::vector<std::string> strings;
    for (size_t i = 0; i < content.size(); ++i) {
        if (content[i] != '(') {
            continue;
        }
        std::string s;
        for (++i; i < content.size() && content[i] != ')'; ++i) {
            if (content[i] == '\\' && i + 1 < content.size()) {
                ++i;
                s += content[i] == 'r' ? '\r' : content[i];
            } else {
                s += content[i];
            }
        }
        strings.push_back(s);
    }
    return strings;
}

// `count` words of `letters` characters each, from consecutive code points starting at `first`,
// in lines of five over the picture.
std::vector<TextLayerWord> runOfCharacters(char16_t first, int count, int letters) {
    std::vector<TextLayerWord> words;
    char16_t c = first;
    for (int i = 0; i < count; ++i) {
        std::u16string text;
        for (int k = 0; k < letters; ++k) {
            text += c++;
        }
        const int32_t left = 60 + (i % 5) * 220 + (i / 5) % 3 * 41; // no columns
        const int32_t top = 80 + (i / 5) * 70;
        words.push_back({left, top, left + 12 * letters, top + 40, qly::utf16ToUtf8(text)});
    }
    return words;
}

TEST_F(PdfTextLayer, LatinTextTakesAByteACharacterAndMoreCharactersTwo) {
    // Printable ASCII and the first 32 other characters of a file are one byte each, every
    // further character two; however many there are, they come back in order from poppler and
    // mupdf. 300 CJK characters take two-byte codes whose second byte is each value once, the
    // delimiters, the backslash and the carriage return among them.
    const std::vector<TextLayerWord> latin = {
        {100, 100, 260, 140, "Größe"},    {290, 100, 450, 140, "Äpfel"},
        {480, 104, 560, 140, "(süß)"},    {590, 100, 800, 148, "a\\b"},
        {100, 200, 330, 245, "Übermaß,"}, {360, 200, 600, 245, "„Anführung“"},
        {630, 200, 750, 245, "–"},        {780, 200, 860, 245, "5€"},
    };
    struct Case {
        const char* name;
        std::vector<TextLayerWord> words;
        size_t oneByte; // characters with one-byte codes
        size_t twoBytes;
    };
    const std::vector<Case> cases = {
        {"German", latin, 40, 0},
        {"Cyrillic", runOfCharacters(0x410, 8, 6), 32, 16},
        {"CJK", runOfCharacters(0x4E00, 30, 10), 32, 268},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = out(std::string(c.name) + ".pdf");
        write(name, 1, &c.words);
        const pdftest::ParsedPdf p = pdftest::parseAndCheck(name);
        pdftest::expectQpdfClean(name);
        const std::string content = pdftest::inflate(p.streamData(2));
        size_t bytes = 0;
        std::vector<std::string> shown = shownStrings(content);
        ASSERT_EQ(shown.size(), c.words.size()) << content;
        for (const std::string& s : shown) {
            bytes += s.size();
        }
        EXPECT_EQ(bytes, c.oneByte + 2 * c.twoBytes);

        // Every word comes back whole (the order of a grid of words is the readers' choice).
        std::vector<std::string> expected;
        for (const TextLayerWord& w : c.words) {
            expected.push_back(w.text);
        }
        std::sort(expected.begin(), expected.end());
        std::vector<std::string> got;
        for (const ExtractedWord& w : popplerWords(name, out("codes.html"))) {
            got.push_back(w.text);
        }
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, expected);
        const auto mu = pdftest::run("mutool draw -q -F txt -o - " + pdftest::quote(name));
        EXPECT_EQ(mu.status, 0) << mu.output;
        got = splitWords(pdftest::withoutBuildNotices(mu.output));
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, expected) << mu.output;
    }
}

TEST_F(PdfTextLayer, FontProgramIsAValidTrueTypeFont) {
    const std::vector<uint8_t> font = qly::textLayerFontProgram();
    EXPECT_LT(font.size(), 400u);
    EXPECT_EQ(font, qly::textLayerFontProgram());
    const std::string file = out("font.ttf");
    pdftest::writeFile(file, std::string(font.begin(), font.end()));
    // fontTools checks every table's checksum and the whole font's (checkChecksums=2 raises on a
    // mismatch) and reads the metrics back.
    const auto r = pdftest::run(
        "/usr/bin/python3 -c \"import sys; from fontTools.ttLib import TTFont; "
        "f = TTFont(sys.argv[1], checkChecksums=2); f.ensureDecompiled(); "
        "print(f['maxp'].numGlyphs, f['head'].unitsPerEm, f['hmtx'][f.getGlyphOrder()[1]][0], "
        "f['hhea'].ascent, f['hhea'].descent, sorted(f.keys()))\" " +
        pdftest::quote(file));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, "2 1000 500 800 -200 ['GlyphOrder', 'glyf', 'head', 'hhea', 'hmtx', "
                        "'loca', 'maxp', 'post']\n");
}

} // namespace
