// The sorting view driven as a user drives it: clicks with Ctrl and Shift, keys, pages and files
// dropped between the cells, undo and redo, the interleave variants, blank pages.
#include "app/MainFormFixture.h"
#include "app/VerschrankFUnit.h"
#include "document/PageDocument.h"
#include "view/PageViews.h"
#include "view/ViewGeometry.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

using qlytest::MainForm;

class Sorting : public MainForm {
  protected:
    void SetUp() override {
        MainForm::SetUp();
        form->PageControl1->setCurrentIndex(1);
        QApplication::processEvents();
    }
    QPoint cell(uint32_t i, const GridCell& c = {}) {
        const int cols = gridColumns(form->ScrollBox2->viewport()->width(), c);
        return QPoint(int(i % uint32_t(cols)) * c.width + c.width / 2,
                      int(i / uint32_t(cols)) * c.height + c.height / 2);
    }
    void press(uint32_t i, Qt::KeyboardModifiers mods = Qt::NoModifier, const GridCell& c = {}) {
        QApplication::processEvents();
        const QPointF at(cell(i, c));
        QMouseEvent down(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, mods);
        QApplication::sendEvent(form->PaintBox2, &down);
        QMouseEvent up(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton, mods);
        QApplication::sendEvent(form->PaintBox2, &up);
    }
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent e(QEvent::KeyPress, k, mods);
        QApplication::sendEvent(form->KeyEdit, &e);
    }
    std::vector<uint32_t> selected() { return form->pages().selection(); }
    // A drag of `data` over the view that ends in a drop at `at`.
    void drop(QMimeData& data, QPoint at) {
        QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form->PaintBox2, &enter);
        QDragMoveEvent move(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form->PaintBox2, &move);
        EXPECT_GE(form->PaintBox2->dropMark(), 0) << "the insertion mark shows while dragging";
        QDropEvent dropped(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form->PaintBox2, &dropped);
        EXPECT_EQ(form->PaintBox2->dropMark(), -1);
    }
    QPoint between(uint32_t left) { return cell(left) + QPoint(kCellWidth / 2 - 2, 0); }
};

TEST_F(Sorting, ClicksWithCtrlAndShiftAndCtrlASelect) {
    addPages({10, 20, 30, 40, 50});
    press(1);
    EXPECT_EQ(selected(), (std::vector<uint32_t>{1}));
    EXPECT_EQ(form->adib, 2);
    press(3, Qt::ControlModifier);
    EXPECT_EQ(selected(), (std::vector<uint32_t>{1, 3}));
    EXPECT_EQ(form->adib, 4) << "the last one clicked is current";
    press(3, Qt::ControlModifier);
    EXPECT_EQ(selected(), (std::vector<uint32_t>{1}));
    press(1);
    press(4, Qt::ShiftModifier);
    EXPECT_EQ(selected(), (std::vector<uint32_t>{1, 2, 3, 4}));
    key(Qt::Key_Left, Qt::ShiftModifier);
    key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(selected(), (std::vector<uint32_t>{1, 2}));
    key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(selected().size(), 5u);
    // A plain click on one page of the selection, without a drag, takes that page alone.
    press(2);
    EXPECT_EQ(selected(), (std::vector<uint32_t>{2}));
}

TEST_F(Sorting, TheSelectionIsDeletedAfterAQuestionNamingItsSizeAndComesBackWithUndo) {
    addPages({10, 20, 30, 40});
    EXPECT_FALSE(form->RedoBtn->isEnabled());
    press(0);
    press(2, Qt::ControlModifier);
    dialogs.answers = {DialogAnswer::Yes};
    key(Qt::Key_Delete);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_NE(dialogs.boxes[0].text.find("die 2 ausgewählten Seiten"), std::string::npos)
        << dialogs.boxes[0].text;
    EXPECT_EQ(widths(), (std::vector<int>{20, 40}));
    EXPECT_EQ(label2(), "von 2");
    ASSERT_TRUE(form->UndoBtn->isEnabled());
    // Ctrl+Z anywhere in the window.
    QApplication::setActiveWindow(form.get());
    QTest::keyClick(form->KeyEdit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(widths(), (std::vector<int>{10, 20, 30, 40}));
    EXPECT_EQ(selected(), (std::vector<uint32_t>{0, 2}));
    EXPECT_EQ(label2(), "von 4");
    EXPECT_TRUE(form->RedoBtn->isEnabled());
    QTest::keyClick(form->KeyEdit, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(widths(), (std::vector<int>{20, 40}));
    QTest::keyClick(form->KeyEdit, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(form->KeyEdit, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(widths(), (std::vector<int>{20, 40}));
    // Undo reaches back over every kind of change: the pictures added (one step for the files
    // chosen together) too.
    click("UndoBtn");
    click("UndoBtn");
    EXPECT_TRUE(widths().empty());
    EXPECT_FALSE(form->UndoBtn->isEnabled());
}

TEST_F(Sorting, CtrlArrowsAndCtrlHomeEndMoveTheSelection) {
    addPages({10, 20, 30, 40, 50});
    press(1);
    press(2, Qt::ControlModifier);
    key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(widths(), (std::vector<int>{10, 40, 20, 30, 50}));
    key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(widths(), (std::vector<int>{10, 40, 50, 20, 30}));
    key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(widths(), (std::vector<int>{20, 30, 10, 40, 50}));
    key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(widths(), (std::vector<int>{20, 30, 10, 40, 50})) << "at the start already";
    EXPECT_EQ(selected(), (std::vector<uint32_t>{0, 1}));
}

TEST_F(Sorting, PagesDraggedAndFilesDroppedLandWhereTheMarkWas) {
    addPages({10, 20, 30, 40});
    press(0);
    press(1, Qt::ControlModifier);
    QMimeData pages;
    pages.setData(kPagesMimeType, QByteArray::number(qint64(::getpid())));
    drop(pages, between(2)); // between the third and the fourth page
    EXPECT_EQ(widths(), (std::vector<int>{30, 10, 20, 40}));
    EXPECT_EQ(selected(), (std::vector<uint32_t>{1, 2})) << "the moved pages stay selected";
    // Pictures from a file manager go in before the second page, as one step.
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(picture(60))),
                   QUrl::fromLocalFile(QString::fromStdString(picture(70)))});
    drop(files, cell(1) - QPoint(kCellWidth / 2 - 2, 0));
    EXPECT_EQ(widths(), (std::vector<int>{30, 60, 70, 10, 20, 40}));
    click("UndoBtn");
    EXPECT_EQ(widths(), (std::vector<int>{30, 10, 20, 40}));
    // Pages of another program's drag are not ours to move.
    QMimeData foreign;
    foreign.setData(kPagesMimeType, "1");
    drop(foreign, between(0));
    EXPECT_EQ(widths(), (std::vector<int>{30, 10, 20, 40}));
}

TEST_F(Sorting, TheInterleaveDialogOffersThreeOrdersWithAPreview) {
    addPages({1, 2, 3, 4, 5, 6});
    const struct {
        const char* radio;
        const char* preview;
        std::vector<int> result;
    } cases[] = {
        {"BacksReversedRadio", "Neue Reihenfolge: 1 6 2 5 3 4", {1, 6, 2, 5, 3, 4}},
        {"BacksSameOrderRadio", "Neue Reihenfolge: 1 4 2 5 3 6", {1, 4, 2, 5, 3, 6}},
        {"FrontsReversedRadio", "Neue Reihenfolge: 3 4 2 5 1 6", {3, 4, 2, 5, 1, 6}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.radio);
        std::string preview;
        dialogs.onDialog = [&](QDialog& d) {
            d.findChild<QRadioButton*>(c.radio)->setChecked(true);
            preview = d.findChild<QLabel*>("PreviewLabel")->text().toStdString();
            return true;
        };
        click("VerschrankBtn");
        EXPECT_EQ(preview, c.preview);
        EXPECT_EQ(widths(), c.result);
        click("UndoBtn");
        EXPECT_EQ(widths(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    }
}

TEST_F(Sorting, BlankPagesAreMarkedFirstAndDeletedOnlyWhenAsked) {
    // White pages and one with a black block, each 300 x 400 at 300 dpi.
    std::vector<std::string> files;
    for (int k = 0; k < 3; ++k) {
        qlytest::OwnedDib d;
        newdib(*d, 300, 400, 24, nullptr, 0);
        for (int y = 0; y < 400; ++y) {
            for (int x = 0; x < 300; ++x) {
                setpixel(*d, x, y,
                         k == 1 && x > 100 && x < 200 && y > 150 && y < 250 ? 0 : 0xffffff);
            }
        }
        files.push_back(dir.file("b" + std::to_string(k) + ".bmp"));
        ASSERT_EQ(SaveDib(*d, files.back(), DIB_BMP), 1);
    }
    dialogs.chooseFiles(files);
    click("OpenPicsBtn");
    EXPECT_FALSE(form->DelMarkedBtn->isEnabled());
    dialogs.onDialog = [](QDialog& d) {
        return d.findChild<QDoubleSpinBox*>("BlankThresholdEd") != nullptr;
    };
    click("MarkBlankBtn");
    EXPECT_EQ(form->pages().marked(), (std::vector<uint32_t>{0, 2}));
    EXPECT_EQ(form->bilder.count, 3u) << "marking deletes nothing";
    // The marks show: red around a marked page, a red ring around the current one's blue.
    ASSERT_EQ(form->adib, 1);
    QApplication::processEvents();
    const QImage view = form->PaintBox2->grab().toImage();
    const QColor red(220, 40, 40), blue(0, 0, 255), grey(192, 192, 192);
    EXPECT_EQ(view.pixelColor(3, 50), red);
    EXPECT_EQ(view.pixelColor(5, 50), blue);
    EXPECT_EQ(view.pixelColor(90 + 5, 50), grey);
    EXPECT_EQ(view.pixelColor(180 + 3, 50), red);
    EXPECT_EQ(view.pixelColor(180 + 5, 50), red);
    ASSERT_TRUE(form->DelMarkedBtn->isEnabled());
    dialogs.answers = {DialogAnswer::No};
    click("DelMarkedBtn");
    EXPECT_EQ(form->bilder.count, 3u);
    dialogs.answers = {DialogAnswer::Yes};
    click("DelMarkedBtn");
    ASSERT_EQ(form->bilder.count, 1u);
    EXPECT_NE(dialogs.boxes.back().text.find("2 markierten Seiten"), std::string::npos);
    click("UndoBtn");
    EXPECT_EQ(form->bilder.count, 3u);
}

TEST_F(Sorting, AnEmptyPageOfThePaperSizeGoesBeforeTheCurrentPage) {
    addPages({10, 20});
    press(1);
    form->BreitEd->setValue(148);
    form->HochEd->setValue(210);
    form->ScanResEd->setValue(100);
    click("InsertBlankBtn");
    ASSERT_EQ(form->bilder.count, 3u);
    const dib& blank = *static_cast<dib*>(form->bilder.GetObject(1));
    EXPECT_EQ(dibwidth(blank), 583); // 148 mm at 100 dpi
    EXPECT_EQ(dibheight(blank), 827);
    EXPECT_EQ(getpixel(blank, 300, 400), 1u);
    EXPECT_EQ(blank.pmi->bmiColors[1].rgbRed, 255);
}

TEST_F(Sorting, CtrlWheelChangesTheThumbnailSizeAndClicksFollowIt) {
    addPages({10, 20, 30, 40, 50, 60, 70, 80});
    const auto wheel = [&](int notches) {
        const QPointF at(10, 10);
        QWheelEvent e(at, form->ScrollBox2->viewport()->mapToGlobal(at.toPoint()), QPoint(),
                      QPoint(0, 120 * notches), Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(form->ScrollBox2->viewport(), &e);
        QApplication::processEvents();
    };
    const int widthBefore = form->PaintBox2->height();
    wheel(2); // two notches up: boxes of 120 pixels, cells of 130 x 150
    const GridCell big = gridCell(120);
    EXPECT_GT(form->PaintBox2->height(), widthBefore);
    press(5, Qt::NoModifier, big);
    EXPECT_EQ(form->adib, 6);
    press(6, Qt::ControlModifier, big);
    EXPECT_EQ(selected(), (std::vector<uint32_t>{5, 6}));
    wheel(-20); // never below the smallest size
    press(7, Qt::NoModifier, gridCell(40));
    EXPECT_EQ(form->adib, 8);
}

TEST_F(Sorting, FilesDroppedOnAnotherTabGoInAfterTheLastPage) {
    addPages({10, 20});
    form->PageControl1->setCurrentIndex(0);
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(picture(30)))});
    const QPoint at(100, 100);
    QDragEnterEvent enter(at, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent dropped(at, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &dropped);
    EXPECT_EQ(widths(), (std::vector<int>{10, 20, 30}));
    click("UndoBtn");
    EXPECT_EQ(widths(), (std::vector<int>{10, 20}));
}

} // namespace
