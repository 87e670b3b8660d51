// The picture viewer from the sorting view, and the print window through the window's dialogs.
#include "app/MainFormFixture.h"
#include "common/Shell.h"
#include "view/PageViews.h"
#include "view/PrintFUnit.h"
#include "view/ViewPicFUnit.h"

#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include <filesystem>

using qlytest::MainForm;

namespace {

class Viewer : public MainForm {
  protected:
    void doubleClick(int x, int y) {
        form->PageControl1->setCurrentIndex(1);
        QApplication::processEvents();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                  QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            QMouseEvent e(type, QPointF(x, y), QPointF(x, y), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
            QApplication::sendEvent(form->PaintBox2, &e);
        }
    }
};

TEST_F(Viewer, DoubleClickShowsTheSelectedPageInTheViewerWhichKeepsItsZoom) {
    addPages({40, 50});
    std::vector<int> widths;
    std::vector<int> zooms;
    dialogs.onDialog = [&](QDialog& d) {
        auto* viewer = qobject_cast<TViewPicForm*>(&d);
        EXPECT_EQ(viewer, form->ViewPicForm);
        if (viewer != nullptr) {
            widths.push_back(dibwidth(viewer->di));
            zooms.push_back(viewer->ZoomEd->value());
            // The same picture memory as the page, not a copy of the pixels.
            EXPECT_EQ(viewer->di.poi, static_cast<dib*>(form->bilder.GetObject(1))->poi);
            viewer->ZoomEd->setValue(250);
        }
        return false;
    };
    doubleClick(90 + 45, 50); // the second cell
    EXPECT_EQ(form->adib, 2);
    form->PaintBox2DblClick();
    EXPECT_EQ(widths, (std::vector<int>{50, 50}));
    EXPECT_EQ(zooms, (std::vector<int>{100, 250})) << "the zoom stays for the run";

    // The selected last page deleted: the selection lies past the pages, nothing opens.
    click("DelFotoBtn");
    form->PaintBox2DblClick();
    EXPECT_EQ(dialogs.dialogTitles.size(), 2u);
}

TEST_F(Viewer, PrintWindowGoesThroughTheDialogsAndKeepsItsValuesBesideTheMainWindows) {
    addPages({40});
    dialogs.onDialog = [&](QDialog& d) {
        if (auto* viewer = qobject_cast<TViewPicForm*>(&d)) {
            viewer->PrintBrn->click();
        } else if (auto* print = qobject_cast<TPrintForm*>(&d)) {
            print->show();
            QApplication::processEvents();
            print->BreitEdit->setValue(85);
            print->PrintSetupBtn->click();
            print->reject();
        }
        return false;
    };
    form->PaintBox2DblClick();
    EXPECT_EQ(dialogs.dialogTitles,
              (std::vector<std::string>{"Bild betrachten...", "Bild drucken..."}));
    EXPECT_EQ(dialogs.printSetups, 1);
    form.reset(); // the main window saves its settings into the same file
    const std::string ini = qlytest::readFile(settingsFile());
    for (const char* line : {"[TMainForm]", "BreitEd_Value=210", "[TPrintForm]",
                             "BreitEdit_Value=85", "HochEdit_Value="}) {
        EXPECT_NE(ini.find(line), std::string::npos) << line << "\n" << ini;
    }
}

TEST_F(Viewer, PrintingGoesIntoTheFileChosenInThePrinterSetupForTheRestOfTheRun) {
    addPages({40});
    const std::string chosen = dir.file("ausdruck.pdf");
    dialogs.choosePrintFile(chosen);
    std::vector<std::string> shown; // the printer line after each setup and at each opening
    dialogs.onDialog = [&](QDialog& d) {
        if (auto* viewer = qobject_cast<TViewPicForm*>(&d)) {
            viewer->PrintBrn->click();
            return false;
        }
        auto* print = qobject_cast<TPrintForm*>(&d);
        if (print == nullptr) {
            return false;
        }
        print->show();
        QApplication::processEvents();
        if (dialogs.printSetups == 0) {
            print->PrintSetupBtn->click();
        }
        shown.push_back(print->PrinterLabel->toolTip().toStdString());
        print->accept();
        return true;
    };
    for (int view = 0; view < 2; ++view) {
        std::filesystem::remove(chosen);
        form->PaintBox2DblClick();
        EXPECT_TRUE(std::filesystem::exists(chosen)) << "print " << view + 1;
    }
    EXPECT_EQ(dialogs.printSetups, 1);
    EXPECT_EQ(shown, std::vector<std::string>(2, "Ausgabe in Datei: " + chosen));
    const qlytest::CommandResult list = qlytest::run("pdfimages -list " + qlytest::quoted(chosen));
    EXPECT_NE(list.output.find("    40    30 "), std::string::npos) << list.output;
}

} // namespace
