// The main window driven offscreen through its controls and scripted dialogs.
#include "app/AboutBoxUnit.h"
#include "app/MainFormFixture.h"
#include "app/VerschrankFUnit.h"
#include "common/TestDib.h"
#include "document/Dib.h"
#include "pdf/PdfTestUtil.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QDate>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>

using qlytest::MainForm;
using qlytest::u;

namespace {

// ---- layout -----------------------------------------------------------------------------------

// Each text of the window in German (as the sources write it) and in English (the translation).
struct Text {
    const char* de;
    const char* en;
    const char* in(qly::texts::Language l) const {
        return l == qly::texts::Language::English ? en : de;
    }
};

constexpr qly::texts::Language kLanguages[] = {qly::texts::Language::German,
                                               qly::texts::Language::English};

const char* languageName(qly::texts::Language l) {
    return l == qly::texts::Language::English ? "English" : "German";
}

TEST_F(MainForm, WindowHasItsCaptionSizeTabsAndHeaders) {
    const Text captions[] = {{"Dokumente scannen", "Scan documents"},
                             {"Sortieren", "Sort"},
                             {"Einstellungen", "Settings"},
                             {"PDF-Datei erzeugen", "Create PDF file"}};
    const Text headers[] = {
        {"Dokumente scannen - Hier können Sie die Papierdokumente scannen oder Bilder hinzufügen",
         "Scan documents - here you can scan your paper documents or add pictures"},
        {"Seiten sortieren - hier können Sie die Reihenfolge der Seiten anpassen",
         "Sort pages - here you can change the order of the pages"},
        {"Einstellungen - hier können Sie die Papiergröße festlegen und die Anordnung der "
         "Bilder bestimmen",
         "Settings - here you can set the paper size and decide how the pictures are arranged"},
        {"PDF-Datei erzeugen - Hier können Sie nun die PDF-Datei erzeugen",
         "Create PDF file - here you can now create the PDF file"}};
    for (const qly::texts::Language language : kLanguages) {
        SCOPED_TRACE(languageName(language));
        const auto guard = reopenIn(language);
        EXPECT_EQ(form->windowTitle(), u("Torvand Quillory 1.7"));
        EXPECT_EQ(form->size(), QSize(734, 474));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_LE(std::abs(form->geometry().center().x() - screen.center().x()), 1);
        auto* tabs = control<QTabWidget>("PageControl1");
        ASSERT_EQ(tabs->count(), 4);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(tabs->tabText(i), u(captions[i].in(language)));
            auto* strip = tabs->widget(i)->findChild<QLabel*>("HeaderStrip");
            ASSERT_NE(strip, nullptr);
            EXPECT_EQ(strip->text(), u(headers[i].in(language)));
            EXPECT_TRUE(strip->font().bold());
            EXPECT_EQ(strip->palette().color(QPalette::Window), QColor(240, 202, 166));
        }
        EXPECT_EQ(control<QWidget>("StatusPanel0")->width(), 250);
        EXPECT_EQ(control<QWidget>("StatusPanel1")->width(), 50);
    }
}

// Caption (the label beside a field) and hint in both languages, bounds, step and default of
// every control.
TEST_F(MainForm, EveryControlHasItsCaptionHintBoundsAndDefault) {
    struct Row {
        const char* name;
        Text caption;
        Text hint;
        double lo, hi, step, value; // value: 1/0 for buttons that check
    };
    const Text none{"", ""};
    const Row rows[] = {
        {"BreitEd", {"Papierbreite:", "Paper width:"}, none, 10, 10000, 1, 210},
        {"HochEd", {"Papierhöhe:", "Paper height:"}, none, 10, 10000, 1, 297},
        {"RandHEd", {"Rand links/rechts", "Margin left/right"}, none, 1, 10000, 1, 15},
        {"RandVEd", {"Rand oben/unten", "Margin top/bottom"}, none, 1, 10000, 1, 15},
        {"ScanResEd", {"Scanauflösung:", "Scan resolution:"}, none, 10, 10000, 1, 300},
        {"JpegEd",
         {"JPEG-Kompression (100=beste Qualität; 1=beste Kompression):",
          "JPEG compression (100 = best quality; 1 = best compression):"},
         none,
         1,
         100,
         1,
         75},
        {"Jpeg2000ED",
         {"JPEG 2000-Kompression (Dateigröße in % gegenüber Original):",
          "JPEG 2000 compression (file size in % of the original):"},
         none,
         0.01,
         100,
         0.1,
         1.0},
        {"PageEd", {"Seite Nr:", "Page no.:"}, none, 1, 1, 1, 1},
        {"ZoomEd", {"Zoom:", "Zoom:"}, none, 10, 300, 5, 25},
        {"BorderCheck", {"Ränder aktivieren", "Use margins"}, none, 0, 0, 0, 0},
        {"ZentCheck", {"Bilder zentrieren", "Center pictures"}, none, 0, 0, 0, 0},
        {"MaxSizeCheck", {"Maximale Bildgröße", "Maximum picture size"}, none, 0, 0, 0, 1},
        {"RelSizeCheck",
         {"Größe relativ zu größtem Bild", "Size relative to the largest picture"},
         none,
         0,
         0,
         0,
         0},
        {"SingleImageCheck",
         {"Scanner-Dialog nach einem Bild automatisch schließen",
          "Close the scanner dialog after one picture"},
         none,
         0,
         0,
         0,
         0},
        {"setpaperheichec",
         {"Papierhöhe an gescanntes Bild anpassen", "Fit the paper height to the scanned picture"},
         none,
         0,
         0,
         0,
         0},
        {"UsePageSizeFromPicChecked",
         {"Papierbreite auch an gescanntes Bild anpassen:",
          "Fit the paper width to the scanned picture too:"},
         none,
         0,
         0,
         0,
         0},
        {"ScanUsingWIAChecked",
         {"Benutze WIA Scanner Schnittstelle anstatt der TWAIN Schnittstelle",
          "Use the WIA scanner interface instead of the TWAIN interface"},
         none,
         0,
         0,
         0,
         1},
        {"ShowPDFCheck",
         {"PDF-Datei nach dem Erzeugen anzeigen", "Show the PDF file once it is created"},
         none,
         0,
         0,
         0,
         1},
        {"JPEG2000",
         {"JPEG 2000 Kompression verwenden (ab Acrobat Reader 6)",
          "Use JPEG 2000 compression (Acrobat Reader 6 or later)"},
         none,
         0,
         0,
         0,
         1},
        {"OcrCheck",
         {"Text erkennen (durchsuchbare PDF-Datei)", "Recognize text (searchable PDF file)"},
         {"Erkennt den Text jeder Seite und legt ihn unsichtbar über das Bild, damit die "
          "PDF-Datei durchsucht und Text kopiert werden kann",
          "Recognizes the text of every page and lays it invisibly over the picture, so that "
          "the PDF file can be searched and its text copied"},
         0,
         0,
         0,
         0},
        {"NewBtn", {"&Neu", "&New"}, {"Neues Dokument", "New document"}, 0, 0, 0, 0},
        {"OpenBtn",
         {"Ö&ffnen...", "&Open..."},
         {"Dokument öffnen...", "Open document..."},
         0,
         0,
         0,
         0},
        {"SaveAsBtn",
         {"&Speichern unter...", "Save &as..."},
         {"Dokument speichern unter...", "Save document as..."},
         0,
         0,
         0,
         0},
        {"UndoBtn",
         {"&Rückgängig", "&Undo"},
         {"Nichts rückgängig zu machen", "Nothing to undo"},
         0,
         0,
         0,
         0},
        {"RedoBtn",
         {"&Wiederholen", "&Redo"},
         {"Nichts zu wiederholen", "Nothing to redo"},
         0,
         0,
         0,
         0},
        {"SourceBtn", {"Scanner auswählen...", "Select scanner..."}, none, 0, 0, 0, 0},
        {"ScanBtn", {"Scannen...", "Scan..."}, none, 0, 0, 0, 0},
        {"OpenPicsBtn", {"Bilder hinzufügen...", "Add pictures..."}, none, 0, 0, 0, 0},
        {"DelBtn", {"Bild Löschen", "Delete picture"}, none, 0, 0, 0, 0},
        {"SavePicBtn", {"Bild speichern...", "Save picture..."}, none, 0, 0, 0, 0},
        {"BitBtn1", {"PDF-Datei speichern...", "Save PDF file..."}, none, 0, 0, 0, 0},
        {"SavePDFBtn", {"PDF-Datei speichern...", "Save PDF file..."}, none, 0, 0, 0, 0},
        {"BatchBtn",
         {"PDF-Datei speichern, jedes Bild eine PDF Datei...",
          "Save PDF files, one PDF file per picture..."},
         none,
         0,
         0,
         0,
         0},
        {"RotLeftBtn", none, {"Nach links rotieren", "Rotate left"}, 0, 0, 0, 0},
        {"RorRightBtn", none, {"Nach rechts rotieren", "Rotate right"}, 0, 0, 0, 0},
        {"NachVornBtn",
         {"Nach vorne", "Move forward"},
         {"Verschiebt das Bild in der Reihenfolge", "Moves the picture within the order"},
         0,
         0,
         0,
         0},
        {"NachHintenBtn", {"Nach hinten", "Move back"}, none, 0, 0, 0, 0},
        {"DelFotoBtn", {"Bild &löschen", "&Delete picture"}, none, 0, 0, 0, 0},
        {"VerschrankBtn",
         {"Vorderseiten und Rückseiten verschränken...", "Interleave front and back sides..."},
         none,
         0,
         0,
         0,
         0},
        {"MarkBlankBtn",
         {"Leere Seiten markieren...", "Mark blank pages..."},
         {"Markiert die Seiten, die leer aussehen", "Marks the pages that look blank"},
         0,
         0,
         0,
         0},
        {"DelMarkedBtn",
         {"Markierte löschen", "Delete marked"},
         {"Löscht die markierten Seiten", "Deletes the marked pages"},
         0,
         0,
         0,
         0},
        {"InsertBlankBtn",
         {"Leere Seite einfügen", "Insert blank page"},
         {"Fügt vor der aktuellen Seite eine weiße Seite ein",
          "Inserts a white page before the current page"},
         0,
         0,
         0,
         0},
        {"wwwBtn",
         {kHomepageCaption, kHomepageCaption},
         {"Auf zur Torvand Homepage...", "Visit the Torvand homepage..."},
         0,
         0,
         0,
         0},
        {"UeberBtn", {"Über...", "About..."}, none, 0, 0, 0, 0},
        {"EndeBtn", {"Ende", "Exit"}, none, 0, 0, 0, 0},
    };
    auto buddyText = [&](QWidget* w) {
        for (QLabel* l : form->findChildren<QLabel*>()) {
            if (l->buddy() == w) {
                return l->text();
            }
        }
        return QString();
    };
    for (const qly::texts::Language language : kLanguages) {
        SCOPED_TRACE(languageName(language));
        const auto guard = reopenIn(language);
        for (const Row& r : rows) {
            SCOPED_TRACE(r.name);
            QWidget* w = control<QWidget>(r.name);
            ASSERT_NE(w, nullptr);
            EXPECT_EQ(w->toolTip(), u(r.hint.in(language)));
            if (auto* s = qobject_cast<QSpinBox*>(w)) {
                EXPECT_EQ(buddyText(w), u(r.caption.in(language)));
                EXPECT_EQ(s->minimum(), r.lo);
                EXPECT_EQ(s->maximum(), r.hi);
                EXPECT_EQ(s->singleStep(), r.step);
                EXPECT_EQ(s->value(), r.value);
                // Values outside the bounds become the nearest bound.
                s->setValue(static_cast<int>(r.hi) + 1000);
                EXPECT_EQ(s->value(), r.hi);
                s->setValue(static_cast<int>(r.lo) - 1000);
                EXPECT_EQ(s->value(), r.lo);
            } else if (auto* d = qobject_cast<QDoubleSpinBox*>(w)) {
                EXPECT_EQ(buddyText(w), u(r.caption.in(language)));
                EXPECT_DOUBLE_EQ(d->minimum(), r.lo);
                EXPECT_DOUBLE_EQ(d->maximum(), r.hi);
                EXPECT_DOUBLE_EQ(d->singleStep(), r.step);
                EXPECT_DOUBLE_EQ(d->value(), r.value);
                d->setValue(r.hi * 2);
                EXPECT_DOUBLE_EQ(d->value(), r.hi);
                d->setValue(r.lo / 2);
                EXPECT_DOUBLE_EQ(d->value(), r.lo);
            } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
                EXPECT_EQ(b->text(), u(r.caption.in(language)));
                EXPECT_EQ(b->isChecked(), r.value == 1);
            } else {
                ADD_FAILURE() << "unexpected kind of control";
            }
        }
        const Text of{"von 0", "of 0"};
        EXPECT_EQ(label2(), of.in(language));
        const Text languages{"Sprachen:", "Languages:"};
        EXPECT_EQ(buddyText(control<QWidget>("OcrLangEd")), u(languages.in(language)));
        const Text languagesHint{
            "Sprachen der Texterkennung, mit + verbunden (deu+eng); für jede Sprache muss das "
            "Paket tesseract-ocr-<Sprache> installiert sein",
            "Languages of the text recognition, joined by + (deu+eng); each language needs its "
            "package tesseract-ocr-<language> installed"};
        EXPECT_EQ(control<QWidget>("OcrLangEd")->toolTip(), u(languagesHint.in(language)));
        EXPECT_NE(form->findChild<QWidget*>("PaintBox1"), nullptr);
        EXPECT_NE(form->findChild<QWidget*>("PaintBox2"), nullptr);
        EXPECT_TRUE(control<QLineEdit>("KeyEdit")->isReadOnly());
        EXPECT_EQ(control<QProgressBar>("ProgressBar1")->value(), 0);
        const Text note{
            "Die JPEG 2000 Kompression ist im Vergleich zur JPEG Kompression sehr langsam beim "
            "Abspeichern, erzeugt aber bei gleicher Qualität kleinere Dateien.",
            "JPEG 2000 compression is very slow to save compared with JPEG compression, but makes "
            "smaller files at the same quality."};
        EXPECT_EQ(control<QLabel>("Jpeg2000Note")->text(), u(note.in(language)));
    }
}

// Every caption of the window fits its control at the window's width of 734 pixels, in both
// languages: a line of text needs no more than its control's width, a text that wraps no more
// than its height; the tabs' titles are not shortened, and the window stays that wide.
TEST_F(MainForm, NoCaptionIsCutOffAtTheWindowsWidth) {
    for (const qly::texts::Language language : kLanguages) {
        SCOPED_TRACE(languageName(language));
        const auto guard = reopenIn(language);
        auto* tabs = control<QTabWidget>("PageControl1");
        EXPECT_LE(form->minimumSizeHint().width(), 734);
        for (int i = 0; i < tabs->count(); ++i) {
            SCOPED_TRACE(tabs->tabText(i).toStdString());
            tabs->setCurrentIndex(i);
            QApplication::processEvents();
            EXPECT_EQ(form->width(), 734);
            QTabBar* bar = tabs->tabBar();
            // All tabs side by side within the bar, no title shortened.
            EXPECT_LE(bar->tabRect(tabs->count() - 1).right(), bar->width() - 1);
            EXPECT_GT(bar->tabRect(i).width(),
                      bar->fontMetrics().horizontalAdvance(tabs->tabText(i)));
            int checked = 0;
            for (QWidget* w : form->findChildren<QWidget*>()) {
                if (!w->isVisibleTo(form.get()) || w->window() != form.get()) {
                    continue;
                }
                const std::string name = w->objectName().toStdString();
                if (auto* l = qobject_cast<QLabel*>(w)) {
                    if (l->text().isEmpty()) {
                        continue;
                    }
                    ++checked;
                    if (l->wordWrap()) {
                        EXPECT_LE(l->heightForWidth(l->width()), l->height())
                            << name << ": " << l->text().toStdString();
                    } else {
                        EXPECT_LE(l->sizeHint().width(), l->width())
                            << name << ": " << l->text().toStdString();
                    }
                } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
                    if (b->text().isEmpty()) {
                        continue;
                    }
                    ++checked;
                    EXPECT_LE(b->sizeHint().width(), b->width())
                        << name << ": " << b->text().toStdString();
                }
            }
            EXPECT_GE(checked, 5) << "the tab's captions were looked at";
        }
    }
}

// The number fields write and read numbers as the language does: a decimal comma in German, a
// decimal point in English.
TEST_F(MainForm, NumberFieldsUseTheDecimalSeparatorOfTheLanguage) {
    const struct {
        qly::texts::Language language;
        const char* width;
        const char* typed;
    } cases[] = {{qly::texts::Language::German, "210,00", "12,5"},
                 {qly::texts::Language::English, "210.00", "12.5"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(languageName(c.language));
        const auto guard = reopenIn(c.language, true);
        auto* width = control<QDoubleSpinBox>("BreitEd");
        EXPECT_EQ(width->text(), u(c.width));
        EXPECT_EQ(control<QDoubleSpinBox>("Jpeg2000ED")->text(),
                  c.language == qly::texts::Language::German ? u("1,00") : u("1.00"));
        // A number typed with the language's separator is taken as it is meant.
        width->selectAll();
        QTest::keyClicks(width, u(c.typed));
        width->interpretText();
        EXPECT_DOUBLE_EQ(width->value(), 12.5);
        form.reset();
    }
}

// ---- kept settings and closing ----------------------------------------------------------------

TEST_F(MainForm, SettingsAreKeptOnlyWhenTheCloseIsGranted) {
    form->BreitEd->setValue(148);
    form->BorderCheck->setChecked(true);
    form->RelSizeCheck->setChecked(true);
    dialogs.answers = {DialogAnswer::Cancel};
    EXPECT_FALSE(form->close());
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].caption, "Programm beenden");
    EXPECT_EQ(dialogs.boxes[0].text,
              "Hiermit beenden Sie das Programm! Alle nicht gespeicherten Daten gehen verloren!");
    EXPECT_EQ(dialogs.boxes[0].icon, qly::MessageIcon::Information);
    EXPECT_EQ(dialogs.boxes[0].buttons, DialogButtons::OkCancel);
    EXPECT_FALSE(std::filesystem::exists(settingsFile())) << "Cancel saves nothing";

    dialogs.answers = {DialogAnswer::Ok};
    EXPECT_TRUE(form->close());
    const std::string ini = pdftest::readFile(settingsFile());
    EXPECT_NE(ini.find("BreitEd_Value=148"), std::string::npos) << ini;
    EXPECT_NE(ini.find("RelSizeCheck_Checked=True"), std::string::npos);
    EXPECT_NE(ini.find("NormPos="), std::string::npos);

    open();
    EXPECT_EQ(form->BreitEd->value(), 148);
    EXPECT_TRUE(form->RelSizeCheck->isChecked());
    EXPECT_FALSE(form->MaxSizeCheck->isChecked());
    EXPECT_FALSE(form->BorderCheck->isChecked()) << "margins are not kept";
}

TEST_F(MainForm, WindowKeptAtTheScreenCornerIsRestoredThere) {
    form.reset();
    std::ofstream(settingsFile()) << "[TMainForm]\nNormPos=0,0,734,474\nHochEd_Value=abc\n";
    open();
    EXPECT_EQ(form->pos(), QPoint(0, 0));
    // The unreadable value is reported and keeps its default.
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].caption, "Quillory 1.6");
    EXPECT_NE(dialogs.boxes[0].text.find("HochEd_Value"), std::string::npos);
    EXPECT_EQ(form->HochEd->value(), 297);
}

TEST_F(MainForm, AConversionWithoutAWindowLeavesTheWindowCentred) {
    form.reset();
    // What a first conversion without a display leaves behind: every value, no position.
    std::string error;
    ASSERT_TRUE(saveMainFormSettings(MainFormSettings{}, settingsFile(), error)) << error;
    open();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(form->geometry().center(), screen.center());
    EXPECT_EQ(form->size(), QSize(734, 474));
}

// ---- progress panel ---------------------------------------------------------------------------

class PaintRecorder : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            rects.push_back(static_cast<QPaintEvent*>(e)->rect());
        }
        return false;
    }
    std::vector<QRect> rects;
};

TEST_F(MainForm, ProgressPanelFillsItsShareAndRepaintsAsLittleAsItCan) {
    QWidget* panel = control<QWidget>("StatusPanel1");
    auto navyColumns = [&] {
        const QImage img = panel->grab().toImage();
        int n = 0;
        for (int x = 0; x < img.width(); ++x) {
            n += img.pixelColor(x, img.height() / 2) == QColor(0, 0, 128) ? 1 : 0;
        }
        return n;
    };
    PaintRecorder rec;
    panel->installEventFilter(&rec);
    form->SetProStatus(50);
    EXPECT_EQ(navyColumns(), 25);
    form->SetProStatus(80);
    ASSERT_FALSE(rec.rects.empty());
    EXPECT_EQ(rec.rects.back().width(), 40) << "raising paints only the filled part";
    rec.rects.clear();
    form->SetProStatus(20);
    ASSERT_FALSE(rec.rects.empty());
    EXPECT_EQ(rec.rects.back().width(), 50) << "lowering repaints the whole panel";
    EXPECT_EQ(navyColumns(), 10);
    form->SetProStatus(0);
    EXPECT_EQ(navyColumns(), 0);
}

// ---- adding, deleting, moving, interleaving ---------------------------------------------------

TEST_F(MainForm, AddingReportsUnreadableFilesAndShowsTheLastPage) {
    const std::string bad = dir.file("bad.png");
    std::ofstream(bad) << "not a picture";
    dialogs.chooseFiles({picture(10), bad, picture(20)});
    click("OpenPicsBtn");
    ASSERT_EQ(dialogs.fileDialogs.size(), 1u);
    EXPECT_TRUE(dialogs.fileDialogs[0].multiSelect);
    EXPECT_EQ(dialogs.fileDialogs[0].filter, GetDIBOpenFilter());
    EXPECT_EQ(widths(), (std::vector<int>{10, 20}));
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].caption, "Fehler beim Öffnen von " + bad + "!");
    EXPECT_EQ(dialogs.boxes[0].icon, qly::MessageIcon::Error);
    EXPECT_EQ(label2(), "von 2");
    EXPECT_EQ(form->PageEd->maximum(), 2);
    EXPECT_EQ(form->PageEd->value(), 2);
}

TEST_F(MainForm, DeletingInThePageViewAsksFirst) {
    addPages({10, 20, 30});
    const DialogAnswer notYes[] = {DialogAnswer::No, DialogAnswer::Cancel};
    for (DialogAnswer a : notYes) {
        dialogs.answers = {a};
        click("DelBtn");
    }
    EXPECT_EQ(widths(), (std::vector<int>{10, 20, 30}));
    ASSERT_EQ(dialogs.boxes.size(), 2u);
    EXPECT_EQ(dialogs.boxes[0].caption, "Bild löschen");
    EXPECT_EQ(dialogs.boxes[0].text,
              "Wollen Sie das aktuelle Bild tatsächlich unwiderruflich aus dem Dokument löschen?");
    EXPECT_EQ(dialogs.boxes[0].icon, qly::MessageIcon::Question);
    EXPECT_EQ(dialogs.boxes[0].buttons, DialogButtons::YesNoCancel);

    // The last page shown is deleted: the page number follows the count down.
    dialogs.answers = {DialogAnswer::Yes};
    click("DelBtn");
    EXPECT_EQ(widths(), (std::vector<int>{10, 20}));
    EXPECT_EQ(form->PageEd->value(), 2);
    EXPECT_EQ(form->PageEd->maximum(), 2);
    EXPECT_EQ(label2(), "von 2");
    form->PageEd->setValue(1);
    dialogs.answers = {DialogAnswer::Yes, DialogAnswer::Yes};
    click("DelBtn");
    click("DelBtn");
    EXPECT_TRUE(widths().empty());
    EXPECT_EQ(label2(), "von 0");
    // With no pages nothing is asked.
    click("DelBtn");
    EXPECT_EQ(dialogs.boxes.size(), 5u);
}

TEST_F(MainForm, SortingCommandsActOnTheSelectedThumbnail) {
    addPages({10, 20, 30});
    form->adib = 1;
    click("NachVornBtn"); // the first page cannot move forward
    click("NachHintenBtn");
    EXPECT_EQ(widths(), (std::vector<int>{20, 10, 30}));
    EXPECT_EQ(form->adib, 2);
    click("NachVornBtn");
    EXPECT_EQ(widths(), (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(form->adib, 1);
    form->adib = 3;
    click("NachHintenBtn"); // the last page cannot move back
    click("DelFotoBtn");
    EXPECT_EQ(widths(), (std::vector<int>{10, 20}));
    EXPECT_EQ(form->adib, 3) << "the selection stays, past the end";
    EXPECT_EQ(label2(), "von 2");
    for (const char* name : {"DelFotoBtn", "NachVornBtn", "NachHintenBtn"}) {
        click(name);
    }
    EXPECT_EQ(widths(), (std::vector<int>{10, 20}));
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(MainForm, InterleavingUsesTheDialogsPageNumber) {
    addPages({1, 2, 3, 4, 5});
    int preset = 0;
    dialogs.onDialog = [&](QDialog& d) {
        auto& f = dynamic_cast<TVerschrankForm&>(d);
        preset = f.MitteEd->value();
        return false;
    };
    click("VerschrankBtn");
    EXPECT_EQ(preset, 4);
    EXPECT_EQ(widths(), (std::vector<int>{1, 2, 3, 4, 5})) << "cancelled";
    dialogs.onDialog = [](QDialog&) { return true; };
    click("VerschrankBtn");
    EXPECT_EQ(widths(), (std::vector<int>{1, 5, 2, 4, 3}));
    EXPECT_EQ(dialogs.dialogTitles.back(), "Seiten verschränken");
    dialogs.onDialog = [](QDialog& d) {
        dynamic_cast<TVerschrankForm&>(d).MitteEd->setValue(1);
        return true;
    };
    click("VerschrankBtn");
    EXPECT_EQ(widths(), (std::vector<int>{3, 4, 2, 5, 1})) << "1 reverses";
}

TEST_F(MainForm, RotatingTurnsThePageShownAndResetsTheProgress) {
    addPages({10, 20});
    form->PageEd->setValue(1);
    click("RotLeftBtn");
    auto* first = static_cast<dib*>(form->bilder.GetObject(0));
    EXPECT_EQ(dibwidth(*first), 30);
    EXPECT_EQ(dibheight(*first), 10);
    click("RorRightBtn");
    EXPECT_EQ(widths(), (std::vector<int>{10, 20}));
    EXPECT_EQ(form->StatusPosition, 0);
}

TEST_F(MainForm, ATypedNumberCountsAtOnceWithoutEnter) {
    // Page 2 is shown; "1" typed into the page number and then a turn button (which takes no
    // focus) turns page 1.
    addPages({10, 20});
    ASSERT_EQ(form->PageEd->value(), 2);
    form->PageEd->selectAll();
    QTest::keyClicks(form->PageEd, "1");
    click("RorRightBtn");
    EXPECT_EQ(widths(), (std::vector<int>{30, 20}));
    // Every number field of the window takes a value as it is typed.
    for (QAbstractSpinBox* field : form->findChildren<QAbstractSpinBox*>()) {
        auto* whole = qobject_cast<QSpinBox*>(field);
        auto* decimal = qobject_cast<QDoubleSpinBox*>(field);
        const double lo = whole ? whole->minimum() : decimal->minimum();
        const double hi = whole ? whole->maximum() : decimal->maximum();
        const double now = whole ? whole->value() : decimal->value();
        if (!field->isEnabled() || hi - lo < 2) {
            continue;
        }
        SCOPED_TRACE(field->objectName().toStdString());
        int wanted = static_cast<int>(std::ceil(lo + (hi - lo) / 3));
        wanted += wanted == static_cast<int>(now) ? 1 : 0;
        field->selectAll();
        QTest::keyClicks(field, QString::number(wanted));
        EXPECT_EQ(whole ? whole->value() : decimal->value(), wanted);
    }
}

// ---- saving a page ----------------------------------------------------------------------------

TEST_F(MainForm, SavingAPageTakesFormatAndExtensionFromTheFilter) {
    click("SavePicBtn");
    EXPECT_TRUE(dialogs.fileDialogs.empty()) << "no pages: no dialog";
    addPages({40});
    dialogs.chooseFiles({dir.file("scan")}, 6);
    click("SavePicBtn");
    ASSERT_EQ(dialogs.fileDialogs.size(), 2u);
    EXPECT_EQ(dialogs.fileDialogs[1].filter, GetDIBSaveFilter());
    EXPECT_FALSE(dialogs.fileDialogs[1].overwritePrompt);
    EXPECT_EQ(pdftest::readFile(dir.file("scan.jpg")).substr(0, 3), "\xFF\xD8\xFF");
    // A typed extension of a save format decides; the filter decides for any other name.
    const struct {
        const char* typed;
        int filter;
        const char* written;
        std::string head;
    } cases[] = {
        {"seite.png", 1, "seite.png", "\x89PNG"}, {"SEITE.JPEG", 1, "SEITE.JPEG", "\xFF\xD8\xFF"},
        {"seite.tiff", 3, "seite.tiff", "II*"},   {"seite.bmp", 6, "seite.bmp", "BM"},
        {"seite", 13, "seite.png", "\x89PNG"},    {"seite.v2", 1, "seite.v2", "BM"},
    };
    for (const auto& c : cases) {
        dialogs.chooseFiles({dir.file(c.typed)}, c.filter);
        click("SavePicBtn");
        EXPECT_EQ(pdftest::readFile(dir.file(c.written)).substr(0, c.head.size()), c.head)
            << c.typed;
    }
    // A folder that does not exist: reported, naming the file.
    const std::string lost = dir.file("missing/scan.bmp");
    dialogs.chooseFiles({lost}, 1);
    click("SavePicBtn");
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].caption, "Fehler beim Speichern von " + lost + "!");
    EXPECT_EQ(dialogs.boxes[0].icon, qly::MessageIcon::Error);
}

// ---- export -----------------------------------------------------------------------------------

TEST_F(MainForm, ExportWritesThePdfAndShowsItOnlyWhenWritten) {
    addPages({40, 50});
    const std::string pdf = dir.file("out.pdf");
    // Commands that change the pages are locked while the export runs.
    bool lockedDuringExport = false;
    QTimer::singleShot(0, form.get(), [&] {
        lockedDuringExport = !form->OpenPicsBtn->isEnabled() && !form->DelFotoBtn->isEnabled() &&
                             !form->SavePDFBtn->isEnabled() && form->busy();
    });
    dialogs.chooseFiles({pdf});
    click("SavePDFBtn");
    EXPECT_TRUE(lockedDuringExport);
    EXPECT_TRUE(form->OpenPicsBtn->isEnabled());
    ASSERT_EQ(dialogs.fileDialogs.size(), 2u);
    EXPECT_EQ(dialogs.fileDialogs[1].filter, "PDF-Dateien (*.pdf)|*.pdf");
    EXPECT_EQ(dialogs.fileDialogs[1].defaultExt, "pdf");
    EXPECT_TRUE(dialogs.fileDialogs[1].overwritePrompt);
    pdftest::expectQpdfClean(pdf);
    EXPECT_EQ(pdftest::pdfimagesList(pdf).size(), 2u);
    ASSERT_EQ(dialogs.urls.size(), 1u);
    EXPECT_EQ(dialogs.urls[0], "file://" + pdf);
    EXPECT_EQ(form->ProgressBar1->value(), 0);

    // The file cannot be created: said once, and nothing is opened.
    dialogs.chooseFiles({dir.file("missing/out.pdf")});
    click("BitBtn1");
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, "Konnte PDF-Datei nicht erstellen!");
    EXPECT_EQ(dialogs.urls.size(), 1u);
}

TEST_F(MainForm, BatchExportWritesOneNumberedFilePerPage) {
    addPages({40, 50, 60});
    dialogs.chooseFiles({dir.file("Brief.pdf")});
    click("BatchBtn");
    for (const char* name : {"Brief0001.pdf", "Brief0002.pdf", "Brief0003.pdf"}) {
        EXPECT_TRUE(std::filesystem::exists(dir.file(name))) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("Brief.pdf")));
    EXPECT_FALSE(form->batchmode);
    EXPECT_TRUE(dialogs.urls.empty()) << "a batch is not shown";
}

TEST_F(MainForm, CommandLineConversionKeepsThePagesWhenTheWriterFails) {
    form.reset();
    // /dev/full accepts the file but fails every write.
    open({picture(40), picture(50), "/dev/full"});
    for (int i = 0; i < 50 && form->busy() == false && dialogs.boxes.empty(); ++i) {
        QApplication::processEvents();
    }
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].caption, "Quillory 1.6");
    EXPECT_EQ(widths(), (std::vector<int>{40, 50}));
    EXPECT_EQ(label2(), "von 2");
    EXPECT_NE(form->conversionStatus(), 0);
}

// ---- small commands ---------------------------------------------------------------------------

TEST_F(MainForm, AboutBoxAndWebButtonOpenTheHomepage) {
    QString copyright;
    dialogs.onDialog = [&](QDialog& d) {
        auto& about = dynamic_cast<TAboutBox&>(d);
        copyright = about.Copyright->text();
        about.wwwBtn->click();
        return true;
    };
    click("UeberBtn");
    EXPECT_EQ(dialogs.dialogTitles, (std::vector<std::string>{"Info"}));
    EXPECT_TRUE(copyright.endsWith(QString::number(QDate::currentDate().year()) + " Torvand"))
        << copyright.toStdString();
    click("wwwBtn");
    EXPECT_EQ(dialogs.urls, (std::vector<std::string>{kHomepage, kHomepage}));
}

} // namespace
