// The picture viewer and the print window offscreen: zoom, panning, the wheel, the percentages
// and their kept values, the preview, and printing into PDF files that other programs read back.
#include "common/RecordingSink.h"
#include "common/Shell.h"
#include "common/TestDib.h"
#include "document/Dib.h"
#include "view/PrintFUnit.h"
#include "view/PrintGeometry.h"
#include "view/ViewPicFUnit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <regex>

namespace {

using qlytest::OwnedDib;

QString u(const char* s) {
    return QString::fromUtf8(s);
}

QString fileLine(const std::string& file) {
    return u("Ausgabe in Datei: ") + QString::fromStdString(file);
}

// The answer of a printer setup in which the user chose printing into `file`.
std::function<bool(QPrinter&)> intoFile(const std::string& file) {
    return [file](QPrinter& p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(QString::fromStdString(file));
        return true;
    };
}

// A 24-bit picture of one colour (0xRRGGBB).
void solid(OwnedDib& d, int w, int h, uint32_t rgb) {
    newdib(*d, w, h, 24, nullptr, 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            setpixel(*d, x, y, rgb);
        }
    }
}

// A picture's box on a printed page in printer pixels, read back from the PDF by mupdf.
struct Placed {
    int images = 0;
    double x = 0, y = 0, w = 0, h = 0;
};

class ViewerForms : public ::testing::Test {
  protected:
    void SetUp() override {
        solid(picture, 1000, 500, 0xFF0000);
        viewer = std::make_unique<TViewPicForm>(nullptr, settingsFile());
        viewer->di = *picture;
        viewer->modal.execDialog = [this](QDialog& d) {
            auto* form = qobject_cast<TPrintForm*>(&d);
            if (form == nullptr) {
                return false;
            }
            form->show(); // opening restores the kept values, then runs FormShow
            QApplication::processEvents();
            const bool ok = onPrintForm ? onPrintForm(*form) : false;
            form->done(ok ? QDialog::Accepted : QDialog::Rejected);
            return ok;
        };
        viewer->modal.printerSetup = [this](QPrinter& p, QWidget*) {
            ++printerSetups;
            return onPrinterSetup ? onPrinterSetup(p) : false;
        };
        usePage(QPageLayout::Portrait, 0);
    }

    std::string settingsFile() const { return dir.file("quillory.ini"); }
    std::string pdf() const { return dir.file("printed.pdf"); }

    // A page of 576 x 816 points at 600 dpi: 4800 x 6800 printer pixels without margins.
    void usePage(QPageLayout::Orientation o, double marginPt) {
        QPrinter& p = viewer->printer();
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(QString::fromStdString(pdf()));
        p.setResolution(kDpi);
        p.setPageLayout(QPageLayout(
            QPageSize(QSizeF(576, 816), QPageSize::Point, "Probe", QPageSize::ExactMatch), o,
            QMarginsF(marginPt, marginPt, marginPt, marginPt), QPageLayout::Point));
    }

    // Opens the print window from the viewer; `inside` works it and says whether it is left with
    // OK.
    void print(std::function<bool(TPrintForm&)> inside) {
        onPrintForm = std::move(inside);
        viewer->PrintBrnClick();
    }

    Placed placed(double marginPt, const std::string& file = {}) {
        const qlytest::CommandResult r =
            qlytest::run("mutool trace " + qlytest::quoted(file.empty() ? pdf() : file));
        EXPECT_EQ(r.status, 0) << r.output;
        Placed out;
        const std::regex image(
            R"(<fill_image [^>]*transform="([-\d.e]+) ([-\d.e]+) ([-\d.e]+) ([-\d.e]+) ([-\d.e]+) ([-\d.e]+)\")");
        const double px = kDpi / 72.0;
        for (std::sregex_iterator it(r.output.begin(), r.output.end(), image), end; it != end;
             ++it) {
            ++out.images;
            // mupdf's device space runs down from the page's top-left corner, in points.
            out.w = std::stod((*it)[1]) * px;
            out.h = std::stod((*it)[4]) * px;
            out.x = (std::stod((*it)[5]) - marginPt) * px;
            out.y = (std::stod((*it)[6]) - marginPt) * px;
        }
        EXPECT_EQ(r.output.find("<page number=\"2\""), std::string::npos) << "one page";
        return out;
    }

    static constexpr int kDpi = 600;
    qlytest::TempDir dir;
    OwnedDib picture;
    std::unique_ptr<TViewPicForm> viewer;
    std::function<bool(TPrintForm&)> onPrintForm;
    std::function<bool(QPrinter&)> onPrinterSetup;
    int printerSetups = 0;
};

TEST_F(ViewerForms, ViewerAndPrintWindowHaveTheirControls) {
    EXPECT_EQ(viewer->windowTitle(), u("Bild betrachten..."));
    EXPECT_EQ(viewer->size(), QSize(516, 382));
    EXPECT_EQ(viewer->ZurueckBtn->text(), u("Zurück..."));
    EXPECT_EQ(viewer->PrintBrn->text(), u("&Drucken"));
    EXPECT_EQ(viewer->ZoomEd->minimum(), 5);
    EXPECT_EQ(viewer->ZoomEd->maximum(), 9000);
    EXPECT_EQ(viewer->ZoomEd->singleStep(), 10);
    EXPECT_EQ(viewer->ZoomEd->value(), 100);
    print([&](TPrintForm& f) {
        EXPECT_EQ(f.windowTitle(), u("Bild drucken..."));
        EXPECT_EQ(f.size(), QSize(427, 328));
        EXPECT_EQ(f.minimumSize(), f.maximumSize()) << "fixed";
        EXPECT_EQ(f.PrintPaintBox->size(), QSize(190, 190));
        const std::pair<QAbstractButton*, const char*> captions[] = {
            {f.UseFullCheck, "Seite voll nutzen"},
            {f.UserdefCheck, "Benutzerdefiniert"},
            {f.SverhCheck, "Seitenverhältnis beibehalten"},
            {f.ZentrCheck, "Zentrierte Ausgabe"},
            {f.OkBitBtn1, "&OK"},
            {f.PrintSetupBtn, "Drucker &einrichten..."},
            {f.CancelBitBtn2, "A&bbrechen"}};
        for (const auto& [button, caption] : captions) {
            EXPECT_EQ(button->text(), u(caption));
        }
        EXPECT_TRUE(f.UseFullCheck->isChecked() && !f.UserdefCheck->isChecked());
        EXPECT_TRUE(f.SverhCheck->isChecked() && f.ZentrCheck->isChecked());
        for (QSpinBox* field : {f.BreitEdit, f.HochEdit}) {
            EXPECT_EQ(field->minimum(), 1);
            EXPECT_EQ(field->maximum(), 100);
        }
        QStringList labels;
        for (const QLabel* l : f.findChildren<QLabel*>()) {
            labels << l->text();
        }
        for (const char* text : {"Vorschau:", "Breite in %:", "Höhe in %:"}) {
            EXPECT_TRUE(labels.contains(u(text))) << text;
        }
        return false;
    });
}

TEST_F(ViewerForms, ZoomSizesThePictureWidgetAndAWrongSizeIsMendedByPainting) {
    viewer->show();
    viewer->ZoomEd->setValue(5);
    EXPECT_EQ(viewer->PaintBox1->size(), QSize(50, 25));
    viewer->ZoomEd->setValue(1); // kept within 5..9000
    EXPECT_EQ(viewer->ZoomEd->value(), 5);
    viewer->ZoomEd->setValue(200);
    EXPECT_EQ(viewer->PaintBox1->size(), QSize(2000, 1000));
    // A paint that finds another size sets the width, then the height, each bringing a paint.
    viewer->PaintBox1->resize(10, 10);
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
    }
    EXPECT_EQ(viewer->PaintBox1->size(), QSize(2000, 1000));
    const QImage shown = viewer->PaintBox1->grab(QRect(1900, 900, 100, 100)).toImage();
    EXPECT_EQ(shown.pixelColor(99, 99), QColor(255, 0, 0));
}

TEST_F(ViewerForms, DraggingPansAndEachAxisStopsAtItsOwnEnds) {
    viewer->show();
    viewer->ZoomEd->setValue(300); // 3000 x 1500 in a window of 516 x 382
    QApplication::processEvents();
    QScrollBar* h = viewer->ScrollBox1->horizontalScrollBar();
    QScrollBar* v = viewer->ScrollBox1->verticalScrollBar();
    h->setValue(1000);
    v->setValue(500);
    auto mouse = [&](QEvent::Type type, int x, int y, Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(x, y), QPointF(x, y), Qt::RightButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(viewer->PaintBox1, &e);
    };
    mouse(QEvent::MouseButtonPress, 1200, 600, Qt::RightButton);
    EXPECT_TRUE(viewer->ziehen);
    mouse(QEvent::MouseMove, 1230, 600, Qt::RightButton);
    EXPECT_EQ(h->value(), 970) << "dragged 30 pixels right: 30 back";
    EXPECT_EQ(v->value(), 500);
    // Far to the right and up: the left end on one axis, the bottom on the other.
    mouse(QEvent::MouseMove, 5000, -5000, Qt::RightButton);
    EXPECT_EQ(h->value(), 0);
    EXPECT_EQ(v->value(), v->maximum());
    mouse(QEvent::MouseButtonRelease, 0, 0, Qt::NoButton);
    EXPECT_FALSE(viewer->ziehen);
    viewer->PaintBox1MouseMove(Qt::NoModifier, 900, 900);
    EXPECT_EQ(h->value(), 0) << "no drag after the release";

    // The wheel: 20 pixels a notch.
    auto wheel = [&](int delta) {
        QWheelEvent e(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewer->ScrollBox1->viewport(), &e);
    };
    v->setValue(100);
    wheel(-240);
    EXPECT_EQ(v->value(), 140);
    wheel(120);
    EXPECT_EQ(v->value(), 120);
}

TEST_F(ViewerForms, PercentagesFollowEachOtherOnlyWithTheAspectKept) {
    print([&](TPrintForm& f) {
        EXPECT_EQ(f.HochEdit->value(), 17) << "opening derives the height from the width";
        f.HochEdit->setValue(30);
        EXPECT_EQ(f.BreitEdit->value(), 85);
        f.HochEdit->setValue(90); // the width would be 255: it stays 100, the height follows it
        EXPECT_EQ(f.BreitEdit->value(), 100);
        EXPECT_EQ(f.HochEdit->value(), 35);
        EXPECT_FALSE(f.inedit);
        f.SverhCheck->click();
        f.BreitEdit->setValue(60);
        EXPECT_EQ(f.HochEdit->value(), 35);
        return false;
    });
}

TEST_F(ViewerForms, OpeningTakesTheKeptWidthThenTheKeptHeightThenDerivesOnce) {
    // Width 50 gives height 17; height 80 then gives width 226, kept at 100, and the height
    // matching it is 35. Taken in another order, or without the handlers, it would end at 50/17.
    std::ofstream(settingsFile()) << "[TPrintForm]\nBreitEdit_Value=50\nHochEdit_Value=80\n";
    print([&](TPrintForm& f) {
        EXPECT_EQ(f.BreitEdit->value(), 100);
        EXPECT_EQ(f.HochEdit->value(), 35);
        return false;
    });
}

TEST_F(ViewerForms, PercentagesAndStateSurviveClosingAndReopening) {
    print([&](TPrintForm& f) {
        f.UserdefCheck->click();
        f.ZentrCheck->click();
        f.BreitEdit->setValue(60); // the height: Trunc(30 * 4800 / 6800) = 21
        return false;
    });
    const std::string ini = qlytest::readFile(settingsFile());
    for (const char* line : {"[TPrintForm]", "BreitEdit_Value=60", "HochEdit_Value=21",
                             "FormVersion=0", "ShowCmd=1", "NormPos="}) {
        EXPECT_NE(ini.find(line), std::string::npos) << line << "\n" << ini;
    }
    // A pair that fits the picture comes back as it was, however often the window opens
    // (deriving the width from 21 would give 59, and the height from that 20).
    for (int opening = 0; opening < 2; ++opening) {
        print([&](TPrintForm& f) {
            EXPECT_EQ(f.BreitEdit->value(), 60);
            EXPECT_EQ(f.HochEdit->value(), 21);
            EXPECT_TRUE(f.UseFullCheck->isChecked()) << "the options start at their defaults";
            EXPECT_TRUE(f.ZentrCheck->isChecked());
            return false;
        });
    }
}

TEST_F(ViewerForms, PreviewShowsSheetAndPictureAndFollowsThePageSetupWhateverItsAnswer) {
    auto colours = [](TPrintForm& f) {
        const QImage img = f.PrintPaintBox->grab().toImage();
        return std::vector<QColor>{img.pixelColor(5, 95), img.pixelColor(95, 5),
                                   img.pixelColor(95, 95)};
    };
    print([&](TPrintForm& f) {
        // Portrait: a 134 x 190 sheet; the picture 134 x 67 across its middle.
        const QColor face = f.PrintPaintBox->palette().color(QPalette::Button);
        EXPECT_EQ(colours(f), (std::vector<QColor>{face, QColor(Qt::white), QColor(Qt::red)}));
        onPrinterSetup = [](QPrinter& p) {
            p.setPageOrientation(QPageLayout::Landscape);
            return false;
        };
        f.PrintSetupBtn->click();
        EXPECT_EQ(printerSetups, 1);
        // Landscape: a 190 x 134 sheet from y = 28; the picture 190 x 95 from y = 47.
        const QImage img = f.PrintPaintBox->grab().toImage();
        EXPECT_EQ(img.pixelColor(5, 40), QColor(Qt::white));
        EXPECT_EQ(img.pixelColor(5, 95), QColor(Qt::red));
        EXPECT_EQ(img.pixelColor(95, 20), face);
        return false;
    });
}

TEST_F(ViewerForms, PrintsOnePageWithThePictureWhereTheArithmeticSays) {
    struct Case {
        const char* what;
        QPageLayout::Orientation orientation;
        double marginPt;
        bool userdef;
        PrintBox expected; // printer pixels from the printable area's corner
    };
    const Case cases[] = {
        {"full page, portrait", QPageLayout::Portrait, 0, false, {0, 2200, 4800, 2400}},
        {"full page, landscape", QPageLayout::Landscape, 0, false, {0, 700, 6800, 3400}},
        // 12 pt margins leave 4600 x 6600 printer pixels.
        {"full page, margins", QPageLayout::Portrait, 12, false, {0, 2150, 4600, 2300}},
        {"50 % wide, portrait", QPageLayout::Portrait, 0, true, {1200, 2822, 2400, 1156}},
        // The height for 50 % on landscape: Trunc(500 * 50 / 1000 * 6800 / 4800) = 35.
        {"50 % wide, landscape", QPageLayout::Landscape, 0, true, {1700, 1560, 3400, 1680}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(pdf());
        usePage(c.orientation, c.marginPt);
        print([&](TPrintForm& f) {
            if (c.userdef) {
                f.UserdefCheck->click();
                f.BreitEdit->setValue(50);
            }
            return true;
        });
        const Placed p = placed(c.marginPt);
        ASSERT_EQ(p.images, 1) << c.what;
        EXPECT_NEAR(p.x, c.expected.x, 0.05) << c.what;
        EXPECT_NEAR(p.y, c.expected.y, 0.05) << c.what;
        EXPECT_NEAR(p.w, c.expected.w, 0.05) << c.what;
        EXPECT_NEAR(p.h, c.expected.h, 0.05) << c.what;
    }
    const qlytest::CommandResult info = qlytest::run("pdfinfo " + qlytest::quoted(pdf()));
    EXPECT_NE(info.output.find("Varnholme Bild"), std::string::npos) << info.output;
    const qlytest::CommandResult list = qlytest::run("pdfimages -list " + qlytest::quoted(pdf()));
    EXPECT_NE(list.output.find(" 1000   500 "), std::string::npos) << "the whole picture\n"
                                                                   << list.output;
}

TEST_F(ViewerForms, CancelPrintsNothingAndAPrinterThatWillNotStartIsReported) {
    print([](TPrintForm&) { return false; });
    EXPECT_FALSE(std::filesystem::exists(pdf()));
    qlytest::ScopedRecordingSink sink;
    viewer->printer().setOutputFileName(QString::fromStdString(dir.file("no/such/dir/x.pdf")));
    print([](TPrintForm&) { return true; });
    ASSERT_EQ(sink.texts.size(), 1u);
    EXPECT_EQ(sink.texts[0], kPrinterNotStarted);
}

TEST_F(ViewerForms, PrinterSetupChoosesWhereTheJobGoesAndThePrintWindowSaysIt) {
    const std::string chosen = dir.file("gewählt.pdf");
    const std::string other = dir.file("anderswo.pdf");
    struct Step {
        const char* what;
        std::function<bool(QPrinter&)> setup; // empty: the setup is not opened
        std::string shownAtOpening;
        std::string shownAfterSetup;
    };
    // One viewer for all steps: its printer keeps the choice from one print window to the next.
    const Step steps[] = {
        {"the file set up before", {}, pdf(), pdf()},
        {"a file chosen", intoFile(chosen), pdf(), chosen},
        {"the choice kept for the next print window", {}, chosen, chosen},
        {"a cancelled setup", [](QPrinter&) { return false; }, chosen, chosen},
        {"another file chosen", intoFile(other), chosen, other},
    };
    for (const Step& step : steps) {
        for (const std::string& f : {pdf(), chosen, other}) {
            std::filesystem::remove(f);
        }
        // The line shows the whole text as its tool tip; on the line itself a long path of the
        // temporary folder may be shortened in the middle, but the file name stays.
        auto shows = [](const QLabel* line, const std::string& file) {
            const QString name = QString::fromStdString(std::filesystem::path(file).filename());
            return line->toolTip() == fileLine(file) && line->text().endsWith(name);
        };
        print([&](TPrintForm& f) {
            EXPECT_TRUE(shows(f.PrinterLabel, step.shownAtOpening))
                << step.what << ": " << f.PrinterLabel->toolTip().toStdString();
            if (step.setup) {
                onPrinterSetup = step.setup;
                f.PrintSetupBtn->click();
            }
            EXPECT_TRUE(shows(f.PrinterLabel, step.shownAfterSetup))
                << step.what << ": " << f.PrinterLabel->toolTip().toStdString();
            return true;
        });
        // The job lands in the file the window named, and nowhere else.
        for (const std::string& f : {pdf(), chosen, other}) {
            EXPECT_EQ(std::filesystem::exists(f), f == step.shownAfterSetup)
                << step.what << ": " << f;
        }
        EXPECT_EQ(placed(0, step.shownAfterSetup).images, 1) << step.what;
    }
    EXPECT_EQ(printerSetups, 3);
}

TEST_F(ViewerForms, PrinterLineSaysWhereAJobGoesOrThatNothingIsSetUp) {
    struct Case {
        const char* what;
        std::function<void(QPrinter&)> set;
        QString expected;
    };
    const Case cases[] = {
        {"printing into a file", [&](QPrinter&) {}, fileLine(pdf())},
        {"neither a printer nor a file",
         [](QPrinter& p) {
             p.setOutputFormat(QPrinter::PdfFormat);
             p.setOutputFileName({});
         },
         u("Drucker: keiner eingerichtet")},
    };
    for (const Case& c : cases) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf()));
        c.set(printer);
        EXPECT_EQ(printerDescription(printer).toStdString(), c.expected.toStdString()) << c.what;
        TPrintForm form(nullptr, printer, settingsFile(), {});
        EXPECT_EQ(form.PrinterLabel->toolTip().toStdString(), c.expected.toStdString()) << c.what;
    }
}

TEST_F(ViewerForms, PrinterLineFitsAboveTheButtonsAndShortensALongName) {
    print([&](TPrintForm& f) {
        QLabel* line = f.PrinterLabel;
        // Every other widget where it is, with the short file name of the fixture.
        auto where = [&f] {
            std::map<const QWidget*, QRect> at;
            for (const QWidget* w : f.findChildren<QWidget*>()) {
                if (w != f.PrinterLabel && w->isVisible()) {
                    at[w] = QRect(w->mapTo(&f, QPoint(0, 0)), w->size());
                }
            }
            return at;
        };
        // A short name first, shown whole.
        onPrinterSetup = intoFile("/tmp/kurz.pdf");
        f.PrintSetupBtn->click();
        EXPECT_EQ(line->text().toStdString(), "Ausgabe in Datei: /tmp/kurz.pdf");
        const std::map<const QWidget*, QRect> before = where();
        const QRect lineAt(line->mapTo(&f, QPoint(0, 0)), line->size());
        EXPECT_TRUE(line->isVisible());
        EXPECT_TRUE(f.rect().contains(lineAt)) << "inside the window";
        EXPECT_GT(lineAt.width(), f.width() * 9 / 10) << "across the window";
        EXPECT_LT(lineAt.bottom(),
                  QRect(f.OkBitBtn1->mapTo(&f, QPoint(0, 0)), f.OkBitBtn1->size()).top())
            << "above the buttons";
        for (const auto& [w, r] : before) {
            EXPECT_FALSE(r.intersects(lineAt))
                << w->metaObject()->className() << " " << w->objectName().toStdString();
        }

        // A name far longer than the window: shortened in the middle, whole in the tool tip,
        // and nothing else moves or grows.
        const std::string longName = dir.file(std::string(300, 'x') + "-ende.pdf");
        onPrinterSetup = intoFile(longName);
        f.PrintSetupBtn->click();
        QApplication::processEvents();
        EXPECT_EQ(line->toolTip().toStdString(), fileLine(longName).toStdString());
        EXPECT_EQ(line->accessibleName().toStdString(), fileLine(longName).toStdString());
        EXPECT_TRUE(line->text().startsWith(u("Ausgabe in Datei: "))) << line->text().toStdString();
        EXPECT_TRUE(line->text().endsWith(u("-ende.pdf"))) << line->text().toStdString();
        EXPECT_TRUE(line->text().contains(QChar(0x2026))) << line->text().toStdString();
        EXPECT_LE(line->fontMetrics().horizontalAdvance(line->text()),
                  line->contentsRect().width());
        EXPECT_EQ(f.size(), QSize(427, 328));
        EXPECT_EQ(where(), before);
        return false;
    });
}

// Qt's own print dialog, as the user meets it: its printer list ends in printing into a PDF
// file; a cancel leaves the printer alone, OK takes the file.
TEST_F(ViewerForms, PrinterSetupIsQtsPrintDialogWithAFileAmongThePrinters) {
    QPrinter& printer = viewer->printer();
    const std::string chosen = dir.file("aus-dem-dialog.pdf");
    struct Case {
        const char* what;
        bool confirm;
        std::string fileAfter;
    };
    const Case cases[] = {
        {"file typed, then cancelled", false, pdf()},
        {"file typed and confirmed", true, chosen},
    };
    for (const Case& c : cases) {
        QString title;
        QString okCaption;
        QString lastPrinterEntry;
        bool pageRanges = true;
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* d = qobject_cast<QPrintDialog*>(modal)) {
                title = d->windowTitle();
                pageRanges = d->testOption(QAbstractPrintDialog::PrintPageRange);
                auto* box = d->findChild<QDialogButtonBox*>(QString(), Qt::FindDirectChildrenOnly);
                QPushButton* ok = box != nullptr ? box->button(QDialogButtonBox::Ok) : nullptr;
                okCaption = ok != nullptr ? ok->text() : QString();
                auto* printers = d->findChild<QComboBox*>("printers");
                auto* file = d->findChild<QLineEdit*>("filename");
                if (printers != nullptr && file != nullptr && ok != nullptr) {
                    printers->setCurrentIndex(printers->count() - 1);
                    lastPrinterEntry = printers->currentText();
                    file->setText(QString::fromStdString(chosen));
                    if (c.confirm) {
                        ok->click();
                    }
                }
            }
            // Whatever was found, the dialog never stays open.
            if (QApplication::activeModalWidget() == modal && modal != nullptr) {
                static_cast<QDialog*>(modal)->reject();
            }
        });
        EXPECT_EQ(runPrinterSetup(printer, nullptr), c.confirm) << c.what;
        EXPECT_EQ(title.toStdString(), "Drucker einrichten") << c.what;
        EXPECT_EQ(okCaption.toStdString(), "&OK") << c.what << ": it sets up, it does not print";
        EXPECT_FALSE(pageRanges) << c.what << ": one picture, one page";
        EXPECT_TRUE(lastPrinterEntry.contains(u("PDF"))) << lastPrinterEntry.toStdString();
        EXPECT_EQ(printer.outputFormat(), QPrinter::PdfFormat) << c.what;
        EXPECT_EQ(printer.outputFileName().toStdString(), c.fileAfter) << c.what;
    }
}

} // namespace
