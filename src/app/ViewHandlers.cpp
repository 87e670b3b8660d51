// The window's side of the page view and the sorting view: repainting, selection by mouse and
// keys, scrolling.
#include "app/MainUnit.h"
#include "document/PageDocument.h"
#include "view/PageViews.h"
#include "view/ViewGeometry.h"
#include "view/ViewPicFUnit.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QWheelEvent>

#include <cstring>

void TMainForm::PaintBox1Paint() {
    PaintBox1->refresh();
}

void TMainForm::PaintBox2Paint() {
    PaintBox2->refresh();
}

void TMainForm::adibchanged() {}

void TMainForm::PaintBox2MouseDown(int32_t x, int32_t y) {
    KeyEdit->setFocus();
    const int64_t i =
        cellAt(x, y, gridColumns(PaintBox2->width(), sortCell()), bilder.count, sortCell());
    if (i < 0) {
        return;
    }
    adib = static_cast<int32_t>(i + 1);
    pages_->click(static_cast<uint32_t>(i));
    adibchanged();
    ScrollImageInView();
    PaintBox2Paint();
}

void TMainForm::PaintBox2DblClick() {
    // adib starts at 1 and only clicks and the move commands change it, but a number below 1
    // would name no record either.
    if (adib < 1 || int64_t{adib} > int64_t{bilder.count}) {
        return;
    }
    std::memcpy(&ViewPicForm->di, bilder.GetObject(static_cast<uint32_t>(adib - 1)), sizeof(dib));
    dialogs().execDialog(*ViewPicForm);
}

void TMainForm::KeyEditKeyDown(int key) {
    ViewKey k;
    switch (key) {
    case Qt::Key_Up:
        k = ViewKey::Up;
        break;
    case Qt::Key_Down:
        k = ViewKey::Down;
        break;
    case Qt::Key_Left:
        k = ViewKey::Left;
        break;
    case Qt::Key_Right:
        k = ViewKey::Right;
        break;
    default:
        return;
    }
    const int32_t next =
        selectionAfterKey(k, adib, PaintBox2->width() / sortCell().width, bilder.count);
    if (next != adib) {
        adib = next;
        adibchanged();
    }
    if (adib >= 1 && uint32_t(adib) <= bilder.count) {
        pages_->click(uint32_t(adib - 1));
    }
    ScrollImageInView();
    PaintBox2Paint();
}

void TMainForm::ScrollImageInView() {
    QScrollBar* bar = ScrollBox2->verticalScrollBar();
    bar->setValue(scrollForSelection(adib, gridColumns(PaintBox2->width(), sortCell()),
                                     bar->value(), ScrollBox2->viewport()->height(), sortCell()));
}

void TMainForm::FormMouseWheel(int notches) {
    QScrollArea* box = PageControl1->currentIndex() == 1 ? ScrollBox2 : ScrollBox1;
    QScrollBar* bar = box->verticalScrollBar();
    bar->setValue(bar->value() + notches * kWheelStep); // the bar keeps it within its range
}

void TMainForm::wheelEvent(QWheelEvent* event) {
    // A notch is 120; finer wheels and touch pads add up to whole notches.
    wheelRemainder_ += event->angleDelta().y();
    const int notches = wheelRemainder_ / 120;
    wheelRemainder_ -= notches * 120;
    if (notches != 0) {
        FormMouseWheel(-notches);
    }
    event->accept();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel && watched == ScrollBox2->viewport() &&
        static_cast<QWheelEvent*>(event)->modifiers().testFlag(Qt::ControlModifier)) {
        // Ctrl+wheel makes the thumbnails larger or smaller, so hundreds of pages fit.
        const int notches = static_cast<QWheelEvent*>(event)->angleDelta().y() / 120;
        const int32_t size = std::clamp(thumbSize_ + notches * 20, 40, 400);
        if (size != thumbSize_) {
            thumbSize_ = size;
            PaintBox2Paint();
            ScrollImageInView();
        }
        return true;
    }
    if (event->type() == QEvent::Wheel &&
        (watched == ScrollBox1->viewport() || watched == ScrollBox2->viewport())) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    if (event->type() == QEvent::Resize && watched == ScrollBox2->viewport()) {
        PaintBox2Paint();
    }
    if (event->type() == QEvent::KeyPress && watched == KeyEdit) {
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        const int key = keyEvent->key();
        if (sortViewKey(key, keyEvent->modifiers())) {
            return true;
        }
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left ||
            key == Qt::Key_Right) {
            KeyEditKeyDown(key);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

GridCell TMainForm::sortCell() const {
    return gridCell(thumbSize_);
}
