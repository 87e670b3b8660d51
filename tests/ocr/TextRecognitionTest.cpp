// Text recognition: known German text drawn at 300 dpi comes back word for word in reading order
// from pages of every depth, with each word's box where it was drawn; blank pages give no words,
// pages Tesseract cannot take fail without harm, and missing language files are named with the
// packages that bring them.
#include "ocr/TextRecognition.h"

#include "common/MarkedTexts.h"
#include "common/RenderedText.h"
#include "common/TestDib.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <QPainter>

#include <filesystem>
#include <random>
#include <thread>

namespace {

using qlytest::OwnedDib;

const std::vector<std::string> kLines = {
    "Größere Änderungen über Öffnungszeiten gelten ab März.",
    "Müller fährt täglich zur Bäckerei und kauft süße Brötchen.",
    "Die Prüfung der Übersetzung dauert fünf Wochen länger.",
    "Quillory erkennt den Text jeder Seite zuverlässig.",
};

bool hasUmlaut(const std::string& w) {
    for (const char* u : {"ä", "ö", "ü", "Ä", "Ö", "Ü", "ß"}) {
        if (w.find(u) != std::string::npos) {
            return true;
        }
    }
    return false;
}

class TextRecognition : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (QCoreApplication::instance() == nullptr) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            app_ = std::make_unique<QGuiApplication>(argc_, argv_);
        }
    }
    static void TearDownTestSuite() { app_.reset(); }

  private:
    static inline int argc_ = 1;
    static inline char arg0_[] = "ocr_tests";
    static inline char* argv_[] = {arg0_, nullptr};
    static inline std::unique_ptr<QGuiApplication> app_;
};

TEST_F(TextRecognition, RenderedGermanComesBackInReadingOrderFromEveryDepth) {
    const qlytest::RenderedText black = qlytest::renderText(kLines, 2100, 800);
    // Dark blue ink on yellowish paper for the colour page.
    const qlytest::RenderedText colour =
        qlytest::renderText(kLines, 2100, 800, 12, QColor(20, 30, 110), QColor(250, 240, 200));
    struct Case {
        const char* name;
        const qlytest::RenderedText* text;
        int bits;
        bool whiteFirst;
    };
    const Case cases[] = {
        {"colour", &colour, 24, false},
        {"grey", &black, 8, false},
        {"16 greys", &black, 4, false},
        {"bilevel", &black, 1, false},
        {"bilevel, white as colour 0", &black, 1, true},
    };
    qly::TextRecognizer recognizer(qly::kDefaultTextLanguages);
    ASSERT_TRUE(recognizer.load());
    // Every depth at once, one thread each, as the export's workers recognise side by side.
    std::vector<qly::RecognizedPage> results(std::size(cases));
    {
        std::vector<OwnedDib> pages(std::size(cases));
        for (size_t i = 0; i < std::size(cases); ++i) {
            qlytest::renderedToDib(cases[i].text->image, cases[i].bits, cases[i].whiteFirst,
                                   *pages[i]);
            ASSERT_NE(pages[i]->poi, nullptr);
        }
        std::vector<std::thread> threads;
        for (size_t i = 0; i < std::size(cases); ++i) {
            threads.emplace_back(
                [&, i] { results[i] = recognizer.recognize(*pages[i], /*fallbackDpi*/ 72); });
        }
        for (std::thread& t : threads) {
            t.join();
        }
    }
    std::vector<std::string> umlautWords;
    for (const std::string& w : black.words) {
        if (hasUmlaut(w)) {
            umlautWords.push_back(w);
        }
    }
    ASSERT_GE(umlautWords.size(), 15u);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        const qly::RecognizedPage& page = results[i];
        ASSERT_TRUE(page.ok);
        std::vector<std::string> got;
        for (const qly::TextLayerWord& w : page.words) {
            got.push_back(w.text);
        }
        std::string all;
        for (const std::string& w : got) {
            all += w + " ";
        }
        // At least 95 % of the words in their order, and of the words with umlauts too.
        EXPECT_GE(qlytest::wordsInOrder(black.words, got) * 100, black.words.size() * 95) << all;
        EXPECT_GE(qlytest::wordsInOrder(umlautWords, got) * 100, umlautWords.size() * 95) << all;
        // Each word found stands in the box it was drawn in (top row 0), give or take a few
        // pixels for the glyphs' side bearings.
        for (const qly::TextLayerWord& w : page.words) {
            for (size_t k = 0; k < black.words.size(); ++k) {
                if (black.words[k] != w.text) {
                    continue;
                }
                const QRect drawn = black.boxes[k].adjusted(-8, -8, 8, 8);
                const QRect found(QPoint(w.left, w.top), QPoint(w.right - 1, w.bottom - 1));
                if (drawn.intersects(found)) {
                    EXPECT_TRUE(drawn.contains(found)) << w.text;
                }
            }
        }
        int placed = 0;
        for (const qly::TextLayerWord& w : page.words) {
            for (size_t k = 0; k < black.words.size(); ++k) {
                const QRect found(QPoint(w.left, w.top), QPoint(w.right - 1, w.bottom - 1));
                placed += black.words[k] == w.text &&
                          black.boxes[k].adjusted(-8, -8, 8, 8).contains(found);
            }
        }
        EXPECT_GE(placed * 100, int(black.words.size()) * 95);
    }
}

TEST_F(TextRecognition, APictureOnThePageIsNoText) {
    // Text above a photograph-like patch: the page's layout is found first, so the patch is
    // taken for a picture and gives no words, while the text still comes back.
    qlytest::RenderedText text = qlytest::renderText(kLines, 2100, 1800);
    {
        QPainter p(&text.image);
        std::mt19937 rng(7);
        for (int y = 900; y < 1700; y += 4) {
            for (int x = 300; x < 1800; x += 4) {
                const int v = int(rng() % 256);
                p.fillRect(x, y, 4, 4, QColor(v, (v * 3) % 256, 255 - v));
            }
        }
    }
    OwnedDib page;
    qlytest::renderedToDib(text.image, 24, false, *page);
    qly::TextRecognizer recognizer(qly::kDefaultTextLanguages);
    const qly::RecognizedPage r = recognizer.recognize(*page, 300);
    ASSERT_TRUE(r.ok);
    std::vector<std::string> got;
    for (const qly::TextLayerWord& w : r.words) {
        EXPECT_LT(w.top, 900) << w.text << " at " << w.left << "," << w.top;
        got.push_back(w.text);
    }
    EXPECT_GE(qlytest::wordsInOrder(text.words, got) * 100, text.words.size() * 95);
}

TEST_F(TextRecognition, BlankPagesHaveNoWordsAndPagesTesseractCannotTakeFail) {
    qly::TextRecognizer recognizer("eng");
    struct Case {
        const char* name;
        int width, height, bits;
        bool ok;
    };
    const Case cases[] = {
        {"blank colour page", 600, 400, 24, true},
        {"blank bilevel page", 600, 400, 1, true},
        {"wider than 32767 pixels", 40000, 16, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OwnedDib page;
        newdib(*page, c.width, c.height, c.bits, nullptr, 0);
        ASSERT_NE(page->poi, nullptr);
        if (c.bits == 1) {
            page->pmi->bmiColors[1] = RGBQUAD{255, 255, 255, 0};
        }
        std::memset(page->poi, 0xFF, size_t(page->bytew) * size_t(c.height));
        const qly::RecognizedPage r = recognizer.recognize(*page, 300);
        EXPECT_EQ(r.ok, c.ok);
        EXPECT_TRUE(r.words.empty());
    }
    // A record without a picture.
    EXPECT_FALSE(recognizer.recognize(dib{}, 300).ok);
}

TEST_F(TextRecognition, MissingLanguageFilesAreNamedWithTheirPackages) {
    qlytest::TempDir dir;
    const std::string folder = dir.path().string();
    const std::string system = qly::textLanguageFolder();
    ASSERT_FALSE(system.empty());
    // A folder that holds English and the orientation data only.
    for (const char* code : {"eng", "osd"}) {
        std::filesystem::create_symlink(system + "/" + code + ".traineddata",
                                        folder + "/" + code + ".traineddata");
    }
    EXPECT_EQ(qly::installedTextLanguages(folder), std::vector<std::string>{"eng"});
    EXPECT_EQ(qly::missingTextLanguages("deu+eng", folder), std::vector<std::string>{"deu"});
    EXPECT_EQ(qly::missingTextLanguages("eng", folder), std::vector<std::string>{});
    EXPECT_EQ(qly::missingTextLanguages("fra+chi_sim+fra", folder),
              (std::vector<std::string>{"fra", "chi_sim"}));
    qly::TextRecognizer recognizer("deu+eng", folder);
    EXPECT_FALSE(recognizer.load());
    const qlytest::RenderedText text = qlytest::renderText({"Hallo Welt"}, 1200, 400);
    OwnedDib page;
    qlytest::renderedToDib(text.image, 1, false, *page);
    EXPECT_FALSE(recognizer.recognize(*page, 300).ok);

    EXPECT_EQ(qly::missingTextLanguagesMessage({"deu"}),
              "Für die Texterkennung fehlt die Sprache deu. Bitte installieren Sie das Paket "
              "tesseract-ocr-deu. Die PDF-Datei wird ohne erkannten Text geschrieben.");
    EXPECT_EQ(qly::missingTextLanguagesMessage({"fra", "chi_sim"}),
              "Für die Texterkennung fehlen die Sprachen fra, chi_sim. Bitte installieren Sie "
              "die Pakete tesseract-ocr-fra tesseract-ocr-chi-sim. Die PDF-Datei wird ohne "
              "erkannten Text geschrieben.");
}

TEST(TextLanguages, TheMissingLanguageMessageGoesThroughTheTextLookupWithCodesAndPackages) {
    const qlytest::ScopedMarkedTexts texts;
    EXPECT_EQ(qly::missingTextLanguagesMessage({"deu"}),
              qlytest::marked("TextRecognition",
                              "Für die Texterkennung fehlt die Sprache deu. Bitte installieren "
                              "Sie das Paket tesseract-ocr-deu. Die PDF-Datei wird ohne erkannten "
                              "Text geschrieben."));
    EXPECT_EQ(qly::missingTextLanguagesMessage({"fra", "chi_sim"}),
              qlytest::marked("TextRecognition",
                              "Für die Texterkennung fehlen die Sprachen fra, chi_sim. Bitte "
                              "installieren Sie die Pakete tesseract-ocr-fra "
                              "tesseract-ocr-chi-sim. Die PDF-Datei wird ohne erkannten Text "
                              "geschrieben."));
}

TEST(TextLanguages, ListsInTesseractsFormAndTheirPackages) {
    const struct {
        const char* list;
        bool valid;
    } lists[] = {
        {"deu+eng", true}, {"deu", true},       {"chi_sim+eng", true}, {"", false},
        {"deu+", false},   {"+eng", false},     {"deu eng", false},    {"deu,eng", false},
        {"../x", false},   {"deu++eng", false},
    };
    for (const auto& l : lists) {
        EXPECT_EQ(qly::validTextLanguages(l.list), l.valid) << l.list;
    }
    EXPECT_FALSE(qly::validTextLanguages(std::string(201, 'a')));
    EXPECT_EQ(qly::textLanguagePackage("deu"), "tesseract-ocr-deu");
    EXPECT_EQ(qly::textLanguagePackage("chi_sim"), "tesseract-ocr-chi-sim");
    EXPECT_EQ(qly::textLanguagePackage("Latin"), "tesseract-ocr-latin");
}

} // namespace
