// The page view and the sorting view in the window: what they paint, selection by mouse and
// keys, the status text.
#include "app/MainFormFixture.h"
#include "view/PageViews.h"
#include "view/ViewGeometry.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QWheelEvent>

#include <cstring>

using qlytest::MainForm;

namespace {

class Views : public MainForm {
  protected:
    // A 24-bit page of one colour (0xRRGGBB).
    std::string solid(const std::string& name, int w, int h, uint32_t rgb) {
        qlytest::OwnedDib d;
        newdib(*d, w, h, 24, nullptr, 0);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                setpixel(*d, x, y, rgb);
            }
        }
        const std::string file = dir.file(name);
        EXPECT_EQ(SaveDib(*d, file, DIB_BMP), 1);
        return file;
    }
    QImage paint(QWidget* w) {
        QApplication::processEvents(); // a size change first, then the paint
        return w->grab().toImage();
    }
    void key(int k) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(form->KeyEdit, &press);
    }
    void press(int x, int y) {
        QMouseEvent e(QEvent::MouseButtonPress, QPointF(x, y), QPointF(x, y), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form->PaintBox2, &e);
    }
    std::string status() { return form->StatusPanel0->text().toStdString(); }
    void showSortTab() {
        form->PageControl1->setCurrentIndex(1);
        QApplication::processEvents();
    }
};

TEST_F(Views, PageViewShowsThePageWhereTheExportPutsIt) {
    // Empty: only the white sheet, A4 at zoom 25 on the view's resolution.
    const SheetGeometry g = sheetGeometry(ExportSettings{}, 25, form->PaintBox1->logicalDpiX());
    QImage img = paint(form->PaintBox1);
    ASSERT_EQ(img.size(), QSize(g.W, g.H));
    EXPECT_EQ(img.pixelColor(g.W / 2, g.H / 2), QColor(Qt::white));

    // A landscape page, centred inside margins: white above and below, red in the middle.
    dialogs.chooseFiles({solid("red.bmp", 300, 100, 0xFF0000)});
    click("OpenPicsBtn");
    form->BorderCheck->setChecked(true);
    form->ZentCheck->setChecked(true);
    form->ZoomEd->setValue(50);
    img = paint(form->PaintBox1);
    const SheetGeometry z =
        sheetGeometry(form->readControls().exportSettings, 50, form->PaintBox1->logicalDpiX());
    ASSERT_EQ(img.size(), QSize(z.W, z.H));
    const PictureBox b =
        placeInArea(form->readControls().exportSettings, z.aw, z.ah, z.mx, z.my, 300, 100, 1, 1);
    EXPECT_EQ(b.w, z.aw);
    EXPECT_EQ(img.pixelColor(b.x, b.y), QColor(Qt::red));
    EXPECT_EQ(img.pixelColor(b.x + b.w - 1, b.y + b.h - 1), QColor(Qt::red));
    EXPECT_EQ(img.pixelColor(b.x, b.y - 1), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(b.x - 1, b.y), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(b.x, b.y + b.h), QColor(Qt::white));

    // Page numbers are kept within 1..count.
    form->PageEd->setValue(0);
    EXPECT_EQ(form->PageEd->value(), 1);
    form->PageEd->setValue(9);
    EXPECT_EQ(form->PageEd->value(), 1);
}

TEST_F(Views, SortingViewSelectsByMouseAndKeysAndSaysWhich) {
    EXPECT_EQ(status(), "") << "nothing is said before the sorting view was shown";
    dialogs.chooseFiles({solid("a.bmp", 100, 200, 0xFF0000), solid("b.bmp", 200, 100, 0x00FF00),
                         solid("c.bmp", 100, 100, 0x0000FF)});
    click("OpenPicsBtn");
    showSortTab();
    const QImage img = paint(form->PaintBox2);
    EXPECT_EQ(status(), "Thumbnail: 1 von 3");
    const int cols = gridColumns(form->ScrollBox2->viewport()->width());
    ASSERT_GE(cols, 3);
    EXPECT_EQ(img.height(), gridHeight(3, cols));
    // Cell 0 is selected: blue beside its portrait thumbnail, whose inside is red.
    EXPECT_EQ(img.pixelColor(4, 50), QColor(0, 0, 255));
    EXPECT_EQ(img.pixelColor(45, 45), QColor(255, 0, 0));
    EXPECT_EQ(img.pixelColor(2, 2), QColor(255, 255, 255));        // light frame
    EXPECT_EQ(img.pixelColor(88, 50), QColor(128, 128, 128));      // dark frame
    EXPECT_EQ(img.pixelColor(90 + 45, 20), QColor(192, 192, 192)); // above the landscape one
    EXPECT_EQ(img.pixelColor(90 + 45, 45), QColor(0, 255, 0));

    press(90 + 89, 50); // the gap between two cells
    EXPECT_EQ(form->adib, 1);
    press(90 + 88, 108); // the corner of the second frame
    EXPECT_EQ(form->adib, 2);
    EXPECT_TRUE(form->KeyEdit->hasFocus() || !form->isActiveWindow());
    key(Qt::Key_Right);
    EXPECT_EQ(form->adib, 3);
    key(Qt::Key_Right);
    EXPECT_EQ(form->adib, 3);
    paint(form->PaintBox2);
    EXPECT_EQ(status(), "Thumbnail: 3 von 3");

    // Deleting the selected last page leaves the selection past the end.
    click("DelFotoBtn");
    const QImage after = paint(form->PaintBox2);
    EXPECT_EQ(status(), "Bild: keins   ");
    EXPECT_EQ(after.pixelColor(45, 45), QColor(255, 0, 0)) << "the thumbnails stay";
    EXPECT_EQ(after.pixelColor(4, 50), QColor(192, 192, 192)) << "no cell is blue";
    key(Qt::Key_Down);
    EXPECT_EQ(form->adib, 3);
    key(Qt::Key_Left);
    EXPECT_EQ(form->adib, 2);
}

TEST_F(Views, ThumbnailsAreKeptPerPageAndRemadeWhenItTurns) {
    dialogs.chooseFiles({solid("a.bmp", 100, 200, 0xFF0000), solid("b.bmp", 200, 100, 0x00FF00)});
    click("OpenPicsBtn");
    showSortTab();
    paint(form->PaintBox2);
    EXPECT_EQ(form->PaintBox2->cachedThumbnails(), 2u);
    // Moving keeps both; the thumbnail follows its page.
    form->adib = 1;
    click("NachHintenBtn");
    QImage img = paint(form->PaintBox2);
    EXPECT_EQ(form->PaintBox2->cachedThumbnails(), 2u);
    EXPECT_EQ(img.pixelColor(45, 45), QColor(0, 255, 0));
    EXPECT_EQ(img.pixelColor(90 + 45, 45), QColor(255, 0, 0));
    // Turning the first page makes a new thumbnail of the new shape.
    form->PageEd->setValue(1);
    click("RotLeftBtn");
    img = paint(form->PaintBox2);
    EXPECT_EQ(img.pixelColor(45, 20), QColor(0, 255, 0)) << "now portrait";
    EXPECT_EQ(img.pixelColor(10, 45), QColor(192, 192, 192));
}

TEST_F(Views, WheelScrollsTheViewOfTheTabShown) {
    form->ZoomEd->setValue(300);
    QApplication::processEvents();
    QScrollBar* bar = form->ScrollBox1->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 100);
    auto wheel = [&](QWidget* target, int delta) {
        QWheelEvent e(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &e);
    };
    wheel(form->ScrollBox1->viewport(), -240);
    EXPECT_EQ(bar->value(), 40);
    wheel(form.get(), 120);
    EXPECT_EQ(bar->value(), 20);
    wheel(form.get(), 480);
    EXPECT_EQ(bar->value(), 0) << "kept within the range";
}

} // namespace
