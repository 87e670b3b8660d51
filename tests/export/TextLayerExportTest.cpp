// The export with text recognition: pages of known text come out of poppler and mupdf with their
// words in reading order, umlauts included, while the pictures and the rendered pages stay
// exactly what they are without text; without recognition the file is byte for byte what it
// was before recognition existed; a missing language is told and the PDF written without text;
// a page that cannot be recognised keeps its picture; a blank page gets no text.
#include "export/CreateThePDF.h"

#include "common/RenderedText.h"
#include "common/TestDib.h"
#include "document/Dib.h"
#include "document/DynaArray.h"
#include "ocr/TextRecognition.h"
#include "pdf/PdfTestUtil.h"
#include "platform/Messages.h"
#include "platform/Random.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sstream>

using qlytest::TempDir;

namespace {

const std::vector<std::string> kPage1 = {
    "Größere Änderungen über Öffnungszeiten gelten ab März.",
    "Müller fährt täglich zur Bäckerei und kauft süße Brötchen.",
};
const std::vector<std::string> kPage2 = {
    "Die Prüfung der Übersetzung dauert fünf Wochen länger.",
    "Quillory erkennt den Text jeder Seite zuverlässig.",
};

std::vector<std::string> splitWords(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) {
        words.push_back(w);
    }
    return words;
}

class TextLayerExport : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (QCoreApplication::instance() == nullptr) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            app_ = std::make_unique<QGuiApplication>(argc_, argv_);
        }
    }
    static void TearDownTestSuite() { app_.reset(); }
    void SetUp() override {
        previous_ = qly::setMessageSink(&sink_);
        std::filesystem::create_directories(dir_.path() / "tmp");
        setenv("TMPDIR", (dir_.path() / "tmp").c_str(), 1);
        s_.JPEG2000 = false;
        s_.OcrLangEd = qly::kDefaultTextLanguages;
    }
    void TearDown() override {
        releaseAllPages(bilder_);
        qly::setMessageSink(previous_);
        unsetenv("TMPDIR");
    }
    void addDib(const dib& d) {
        ASSERT_NE(d.poi, nullptr);
        std::memcpy(bilder_.Add(), &d, sizeof d);
    }
    // A page of rendered text at the given depth.
    void addText(const std::vector<std::string>& lines, int bits, QColor ink = Qt::black,
                 QColor paper = Qt::white) {
        const qlytest::RenderedText t = qlytest::renderText(lines, 2100, 700, 12, ink, paper);
        dib d{};
        qlytest::renderedToDib(t.image, bits, false, d);
        addDib(d);
    }
    // A white bilevel page.
    void addBlank(int w, int h) {
        dib d{};
        newdib(d, w, h, 1, nullptr, 0);
        ASSERT_NE(d.poi, nullptr);
        d.pmi->bmiColors[1] = RGBQUAD{255, 255, 255, 0};
        std::memset(d.poi, 0xFF, size_t(d.bytew) * size_t(h));
        addDib(d);
    }
    // Exports with the fixed identifier seed; `workers` as the pipeline's (default: per core).
    ExportOutcome exportTo(const std::string& pdf, int workers = -1) {
        qly::RandSeed(1);
        progress_.clear();
        if (workers < 0) {
            return CreateThePDF(bilder_, s_, pdf, false, callbacks_);
        }
        ExportPipeline pipeline(s_, unsigned(workers));
        return CreateThePDF(bilder_, s_, pdf, false, callbacks_, &pipeline);
    }
    static std::string pageText(const std::string& pdf, int page) {
        const auto r = pdftest::run("pdftotext -f " + std::to_string(page) + " -l " +
                                    std::to_string(page) + " " + pdftest::quote(pdf) + " -");
        EXPECT_EQ(r.status, 0) << r.output;
        return r.output;
    }
    static std::vector<std::string> imageStreams(const std::string& pdf) {
        const pdftest::ParsedPdf p = pdftest::parseAndCheck(pdf);
        std::vector<std::string> data;
        for (int n = 1; n < p.size; ++n) {
            if (p.object(n).find("/Subtype /Image") != std::string::npos) {
                data.push_back(p.streamData(n));
            }
        }
        return data;
    }

    std::vector<int> progress_;
    ExportCallbacks callbacks_{[this](int p) { progress_.push_back(p); }, {}};
    pdftest::RecordingSink sink_;
    qly::MessageSink* previous_ = nullptr;
    void* abild_ = nullptr;
    TDynaArray bilder_{sizeof(dib), &abild_};
    TempDir dir_;
    ExportSettings s_;

  private:
    static inline int argc_ = 1;
    static inline char arg0_[] = "export_tests";
    static inline char* argv_[] = {arg0_, nullptr};
    static inline std::unique_ptr<QGuiApplication> app_;
};

TEST_F(TextLayerExport, WordsComeOutInReadingOrderAndPicturesAndPixelsStayTheSame) {
    addText(kPage1, 1);
    addText(kPage2, 24, QColor(20, 30, 110), QColor(250, 240, 200));
    const std::string plain = dir_.file("plain.pdf");
    const std::string text = dir_.file("text.pdf");
    ASSERT_TRUE(exportTo(plain).written);
    s_.OcrCheck = true;
    const ExportOutcome o = exportTo(text);
    ASSERT_TRUE(o.written);
    EXPECT_EQ(o.pagesWithoutText, 0);
    EXPECT_TRUE(sink_.texts.empty());
    // The progress counts the pages.
    EXPECT_EQ(progress_, (std::vector<int>{50, 100, 0}));
    pdftest::expectQpdfClean(text);

    // At least 95 % of each page's words in their order, umlauts and all, in poppler; the same
    // words in mupdf.
    const std::vector<std::string>* lines[] = {&kPage1, &kPage2};
    std::vector<std::string> popplerWords;
    for (int page = 1; page <= 2; ++page) {
        std::vector<std::string> expected;
        for (const std::string& line : *lines[page - 1]) {
            for (const std::string& w : splitWords(line)) {
                expected.push_back(w);
            }
        }
        const std::vector<std::string> got = splitWords(pageText(text, page));
        EXPECT_GE(qlytest::wordsInOrder(expected, got) * 100, expected.size() * 95)
            << "page " << page << ": " << pageText(text, page);
        popplerWords.insert(popplerWords.end(), got.begin(), got.end());
    }
    const auto mu = pdftest::run("mutool draw -q -F txt -o - " + pdftest::quote(text));
    EXPECT_EQ(mu.status, 0) << mu.output;
    EXPECT_EQ(splitWords(pdftest::withoutBuildNotices(mu.output)), popplerWords);

    // The image streams are the same bytes, and every page renders to the same pixels.
    EXPECT_EQ(imageStreams(plain).size(), 2u);
    EXPECT_EQ(imageStreams(plain), imageStreams(text));
    const std::string d = dir_.path().string();
    for (const std::string& tool :
         {std::string("pdftoppm -r 40 {pdf} {dir}/pp{tag}"),
          std::string("mutool draw -q -r 40 -o {dir}/mu{tag}%d.ppm {pdf}")}) {
        for (const std::string& pdf : {plain, text}) {
            std::string command = tool;
            command.replace(command.find("{tag}"), 5, pdf == plain ? "a" : "b");
            command.replace(command.find("{dir}"), 5, d);
            command.replace(command.find("{pdf}"), 5, pdftest::quote(pdf));
            ASSERT_EQ(pdftest::run(command).status, 0) << command;
        }
    }
    for (const char* pair : {"pp%-1.ppm", "pp%-2.ppm", "mu%1.ppm", "mu%2.ppm"}) {
        std::string a = pair;
        std::string b = pair;
        a.replace(a.find('%'), 1, "a");
        b.replace(b.find('%'), 1, "b");
        const std::string pixels = pdftest::readFile(d + "/" + a);
        EXPECT_FALSE(pixels.empty()) << a;
        EXPECT_EQ(pixels, pdftest::readFile(d + "/" + b)) << b;
    }

    // The same file whether the pages are recognised on workers or one after the other.
    const std::string serial = dir_.file("serial.pdf");
    ASSERT_TRUE(exportTo(serial, 0).written);
    EXPECT_EQ(pdftest::readFile(serial), pdftest::readFile(text));
}

TEST_F(TextLayerExport, WithoutRecognitionTheFileIsByteForByteWhatItWas) {
    // Three pages (bilevel, colour, palette) as an export wrote them before recognition existed.
    const int sizes[][3] = {{300, 400, 1}, {240, 180, 24}, {200, 300, 8}};
    for (const auto& size : sizes) {
        dib d{};
        newdib(d, size[0], size[1], size[2], nullptr, 0);
        ASSERT_NE(d.poi, nullptr);
        for (int y = 0; y < size[1]; y += 3) {
            for (int x = 0; x < size[0]; x += 2) {
                setpixel(d, x, y, size[2] == 1 ? 1u : 0x808080u);
            }
        }
        addDib(d);
    }
    s_ = ExportSettings{};
    s_.JPEG2000 = false;
    s_.OcrCheck = false;
    s_.OcrLangEd = "fra"; // not used without recognition, so not asked for either
    const std::string pdf = dir_.file("out.pdf");
    ASSERT_TRUE(exportTo(pdf).written);
    EXPECT_EQ(pdftest::readFile(pdf), pdftest::readFile(std::string(QLY_EXPORT_REFERENCE_DIR) +
                                                        "/three-pages-without-text.pdf"));
    EXPECT_TRUE(sink_.texts.empty());
}

TEST_F(TextLayerExport, AMissingLanguageIsToldAndThePdfWrittenWithoutText) {
    // A language folder with English only.
    const std::filesystem::path folder = dir_.path() / "tessdata";
    std::filesystem::create_directories(folder);
    const std::string system = qly::textLanguageFolder();
    std::filesystem::create_symlink(system + "/eng.traineddata", folder / "eng.traineddata");
    addText(kPage1, 1);
    const std::string plain = dir_.file("plain.pdf");
    ASSERT_TRUE(exportTo(plain).written);
    setenv("TESSDATA_PREFIX", folder.c_str(), 1);
    s_.OcrCheck = true;
    s_.OcrLangEd = "deu+eng";
    const std::string pdf = dir_.file("out.pdf");
    const ExportOutcome o = exportTo(pdf);
    unsetenv("TESSDATA_PREFIX");
    ASSERT_TRUE(o.written);
    ASSERT_EQ(sink_.texts.size(), 1u);
    EXPECT_NE(sink_.texts[0].find("tesseract-ocr-deu"), std::string::npos) << sink_.texts[0];
    EXPECT_NE(sink_.texts[0].find("ohne erkannten Text"), std::string::npos) << sink_.texts[0];
    EXPECT_EQ(pdftest::readFile(pdf), pdftest::readFile(plain));
}

TEST_F(TextLayerExport, APageThatCannotBeRecognisedKeepsItsPictureAndABlankPageGetsNoText) {
    addBlank(33000, 1000); // wider than Tesseract takes
    addText(kPage1, 8);
    addBlank(600, 800);
    s_.OcrCheck = true;
    const std::string pdf = dir_.file("out.pdf");
    const ExportOutcome o = exportTo(pdf);
    ASSERT_TRUE(o.written);
    EXPECT_EQ(o.pagesWithoutText, 1);
    ASSERT_EQ(sink_.texts.size(), 1u);
    EXPECT_NE(sink_.texts[0].find("Auf 1 Seite(n)"), std::string::npos) << sink_.texts[0];
    EXPECT_EQ(pdftest::pdfimagesList(pdf).size(), 3u);
    EXPECT_TRUE(splitWords(pageText(pdf, 1)).empty());
    EXPECT_GE(splitWords(pageText(pdf, 2)).size(), 15u);
    // Only the page with words has a text object.
    const pdftest::ParsedPdf p = pdftest::parseAndCheck(pdf);
    int withText = 0;
    for (int n = 1; n < p.size; ++n) {
        const std::string o2 = p.object(n);
        if (o2.find("/Type /Page\n") == std::string::npos) {
            continue;
        }
        const size_t at = o2.find("/Contents ");
        const std::string content = pdftest::inflate(p.streamData(std::atoi(o2.c_str() + at + 10)));
        withText += content.find("BT\n") != std::string::npos ? 1 : 0;
    }
    EXPECT_EQ(withText, 1);
}

} // namespace
