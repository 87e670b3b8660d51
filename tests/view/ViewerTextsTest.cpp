// The viewer, the print window and the page views in English with the program's translation,
// and back in German with today's texts; each window is made after the language is chosen.
#include "app/Language.h"
#include "common/TestDib.h"
#include "view/PageViews.h"
#include "view/PrintFUnit.h"
#include "view/ViewPicFUnit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Language = qly::texts::Language;

// Everything of the windows a caption is read from.
struct Windows {
    explicit Windows(const std::string& settings) : viewer(nullptr, settings) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QStringLiteral("/home/anna/brief.pdf"));
        print = std::make_unique<TPrintForm>(nullptr, printer, settings, ModalDialogs{});
    }
    QString groups() const {
        QStringList titles;
        for (const QGroupBox* g : print->findChildren<QGroupBox*>()) {
            titles << g->title();
        }
        return titles.join(u'|');
    }
    QString labels() const {
        QStringList texts;
        for (const QLabel* l : print->findChildren<QLabel*>()) {
            if (l != print->PrinterLabel) {
                texts << l->text();
            }
        }
        return texts.join(u'|');
    }
    TViewPicForm viewer;
    QPrinter printer{QPrinter::HighResolution};
    std::unique_ptr<TPrintForm> print;
};

struct Caption {
    const char* what;
    std::function<QString(const Windows&)> text;
    const char* german;
    const char* english;
};

const std::vector<Caption>& captions() {
    static const std::vector<Caption> table = {
        {"viewer title", [](const Windows& w) { return w.viewer.windowTitle(); },
         "Bild betrachten...", "View picture"},
        {"viewer back", [](const Windows& w) { return w.viewer.ZurueckBtn->text(); }, "Zurück...",
         "Back"},
        {"viewer print", [](const Windows& w) { return w.viewer.PrintBrn->text(); }, "&Drucken",
         "&Print"},
        {"print title", [](const Windows& w) { return w.print->windowTitle(); }, "Bild drucken...",
         "Print picture"},
        {"full page", [](const Windows& w) { return w.print->UseFullCheck->text(); },
         "Seite voll nutzen", "Fill the page"},
        {"custom", [](const Windows& w) { return w.print->UserdefCheck->text(); },
         "Benutzerdefiniert", "Custom"},
        {"aspect", [](const Windows& w) { return w.print->SverhCheck->text(); },
         "Seitenverhältnis beibehalten", "Keep aspect ratio"},
        {"centred", [](const Windows& w) { return w.print->ZentrCheck->text(); },
         "Zentrierte Ausgabe", "Center on page"},
        {"ok", [](const Windows& w) { return w.print->OkBitBtn1->text(); }, "&OK", "&OK"},
        {"setup", [](const Windows& w) { return w.print->PrintSetupBtn->text(); },
         "Drucker &einrichten...", "Printer &setup..."},
        {"cancel", [](const Windows& w) { return w.print->CancelBitBtn2->text(); }, "A&bbrechen",
         "&Cancel"},
        {"groups", [](const Windows& w) { return w.groups(); }, "Druckgröße|Druckoptionen",
         "Print size|Print options"},
        {"labels", [](const Windows& w) { return w.labels(); },
         "Vorschau:|Breite in %:|Höhe in %:", "Preview:|Width in %:|Height in %:"},
        {"printer line", [](const Windows& w) { return w.print->PrinterLabel->toolTip(); },
         "Ausgabe in Datei: /home/anna/brief.pdf", "Print to file: /home/anna/brief.pdf"},
        {"printer not started",
         [](const Windows&) { return QString::fromStdString(printerNotStarted()); },
         "Der Drucker konnte den Druckauftrag nicht beginnen.",
         "The printer could not start the print job."},
        {"page view", [](const Windows&) { return TPageView(nullptr, {}).accessibleName(); },
         "Seitenansicht", "Page view"},
        {"sorting view", [](const Windows&) { return TSortView(nullptr, {}).accessibleName(); },
         "Seitenübersicht", "Page overview"},
        {"selected page", [](const Windows&) { return TSortView::selectionText(2, 5); },
         "Seite 2 von 5", "Page 2 of 5"},
        {"selection past the pages", [](const Windows&) { return TSortView::selectionText(6, 5); },
         "Keine Seite ausgewählt, 5 Seiten", "No page selected, 5 pages"},
        {"no pages", [](const Windows&) { return TSortView::selectionText(1, 0); }, "Keine Seiten",
         "No pages"},
    };
    return table;
}

class ViewerTexts : public ::testing::Test {
  protected:
    void TearDown() override { qly::texts::useLanguage(Language::German); }
    std::string settings() const { return dir.file("quillory.ini"); }
    qlytest::TempDir dir;
};

TEST_F(ViewerTexts, CaptionsAreEnglishWithTheTranslationAndTodaysInGerman) {
    for (const Language language : {Language::English, Language::German, Language::English}) {
        const bool english = language == Language::English;
        ASSERT_TRUE(qly::texts::useLanguage(language));
        const Windows windows(settings());
        for (const Caption& c : captions()) {
            EXPECT_EQ(c.text(windows).toStdString(), english ? c.english : c.german)
                << c.what << (english ? " in English" : " in German");
        }
    }
}

TEST_F(ViewerTexts, EnglishCaptionsFitTheFixedPrintWindow) {
    ASSERT_TRUE(qly::texts::useLanguage(Language::English));
    const Windows windows(settings());
    windows.print->show();
    for (const QAbstractButton* b : windows.print->findChildren<QAbstractButton*>()) {
        if (b->isVisible() && !b->text().isEmpty()) {
            EXPECT_GE(b->width(), b->sizeHint().width()) << b->text().toStdString();
        }
    }
    for (const QLabel* l : windows.print->findChildren<QLabel*>()) {
        if (l != windows.print->PrinterLabel && l->isVisible()) {
            EXPECT_GE(l->width(), l->sizeHint().width()) << l->text().toStdString();
        }
    }
}

} // namespace
