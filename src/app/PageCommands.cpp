// The window's commands on several pages at once: undo and redo, the selection of the sorting
// view (delete, move, turn, drag and drop, files dropped from outside), blank pages and empty
// pages. Each is one step of the page model's history.
#include "app/Conversion.h"
#include "app/FormParts.h"
#include "app/MainUnit.h"
#include "document/Dib.h"
#include "document/PageDocument.h"
#include "imaging/BlankPage.h"
#include "imaging/Rotate.h"
#include "platform/GrafikRW3.h"
#include "view/PageViews.h"
#include "view/ViewGeometry.h"

#include <QDialog>
#include <QDoubleSpinBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

// `one` or `many` (each with %1 for the number) as `n` asks.
QString numbered(size_t n, const QString& one, const QString& many) {
    return (n == 1 ? one : many).arg(n);
}

} // namespace

// ---- following the model ----

void TMainForm::pagesChanged(const PageChange& change) {
    const auto name = [](const std::string& step) { return QString::fromStdString(step); };
    UndoBtn->setEnabled(pages_->canUndo() && !busy());
    RedoBtn->setEnabled(pages_->canRedo() && !busy());
    UndoBtn->setToolTip(pages_->canUndo()
                            ? tr("Rückgängig: %1 (Strg+Z)").arg(name(pages_->undoName()))
                            : tr("Nichts rückgängig zu machen"));
    RedoBtn->setToolTip(pages_->canRedo()
                            ? tr("Wiederholen: %1 (Strg+Umschalt+Z)").arg(name(pages_->redoName()))
                            : tr("Nichts zu wiederholen"));
    DelMarkedBtn->setEnabled(!pages_->marked().empty() && !busy());
    if (change.kind == PageChange::Kind::Selection) {
        PaintBox2Paint();
    }
}

void TMainForm::followModel() {
    const int64_t current = pages_->current();
    adib = current >= 0 ? static_cast<int32_t>(current + 1) : 1;
    RefreshPageCounter();
    if (current >= 0) {
        PageEd->setValue(adib);
    }
    ScrollImageInView();
    PaintBox1Paint();
    PaintBox2Paint();
}

void TMainForm::UndoBtnClick() {
    if (busy() || !pages_->undo()) {
        return;
    }
    followModel();
}

void TMainForm::RedoBtnClick() {
    if (busy() || !pages_->redo()) {
        return;
    }
    followModel();
}

// ---- the selection ----

void TMainForm::deleteSelection() {
    const std::vector<uint32_t> chosen = pages_->selection();
    if (chosen.size() <= 1) {
        DelFotoBtnClick();
        return;
    }
    if (dialogs().messageBox(tr("Seiten löschen").toStdString(),
                             tr("Wollen Sie die %1 ausgewählten Seiten aus dem Dokument löschen?")
                                 .arg(chosen.size())
                                 .toStdString(),
                             qly::MessageIcon::Question,
                             DialogButtons::YesNoCancel) != DialogAnswer::Yes) {
        return;
    }
    pages_->removePages(chosen);
    followModel();
}

void TMainForm::moveSelectionTo(uint32_t before) {
    if (pages_->movePages(pages_->selectionOrCurrent(), std::min(before, bilder.count))) {
        followModel();
    }
}

void TMainForm::moveSelectionOnePlace(bool towardStart) {
    if (pages_->moveSelectionOnePlace(towardStart)) {
        followModel();
    }
}

void TMainForm::turnSelection(bool left) {
    const std::vector<uint32_t> chosen = pages_->selectionOrCurrent();
    std::vector<std::pair<uint32_t, dib>> turned;
    for (size_t k = 0; k < chosen.size(); ++k) {
        dib out{};
        if (turnPicture(out, *static_cast<dib*>(bilder.GetObject(chosen[k])),
                        left ? RotateDirection::Left : RotateDirection::Right)) {
            turned.emplace_back(chosen[k], out);
        }
        SetProStatus(static_cast<int>((k + 1) * 100 / chosen.size()));
    }
    SetProStatus(0);
    if (turned.size() < chosen.size()) {
        showError(tr("Nicht genug Arbeitsspeicher, um alle Seiten zu drehen.").toStdString());
    }
    if (!turned.empty()) {
        pages_->replacePictures(turned);
        followModel();
    }
}

void TMainForm::dropFiles(const std::vector<std::string>& files, uint32_t before) {
    if (busy()) {
        return;
    }
    // The files are read like a start with pictures and documents; their pages then go where
    // they were dropped, as one step.
    const uint32_t first = bilder.count;
    MainFormSettings s = readControls();
    setBusy(true);
    addInputs(bilder, files, s.exportSettings);
    setBusy(false);
    if (bilder.count > first) {
        pages_->appended(first, QT_TRANSLATE_NOOP("PageDocument", "Hinzufügen"),
                         before < first ? int64_t{before} : -1);
    }
    followModel();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && !busy()) {
        event->acceptProposedAction();
    }
}

void TMainForm::dropEvent(QDropEvent* event) {
    std::vector<std::string> files;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            files.push_back(url.toLocalFile().toStdString());
        }
    }
    if (files.empty()) {
        return;
    }
    event->acceptProposedAction();
    dropFiles(files, bilder.count);
}

bool TMainForm::sortViewKey(int key, Qt::KeyboardModifiers modifiers) {
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    const uint32_t count = bilder.count;
    if (key == Qt::Key_Delete && !busy()) {
        deleteSelection();
        return true;
    }
    if (ctrl && key == Qt::Key_A) {
        pages_->selectAll();
        return true;
    }
    if (count == 0 || busy()) {
        return false;
    }
    if (ctrl && (key == Qt::Key_Left || key == Qt::Key_Up)) {
        moveSelectionOnePlace(true);
        return true;
    }
    if (ctrl && (key == Qt::Key_Right || key == Qt::Key_Down)) {
        moveSelectionOnePlace(false);
        return true;
    }
    if (ctrl && key == Qt::Key_Home) {
        moveSelectionTo(0);
        return true;
    }
    if (ctrl && key == Qt::Key_End) {
        moveSelectionTo(count);
        return true;
    }
    if (shift &&
        (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down)) {
        // The selection reaches from the current page to the page the arrows lead to, going
        // on from where the last extension ended.
        const ViewKey k = key == Qt::Key_Up     ? ViewKey::Up
                          : key == Qt::Key_Down ? ViewKey::Down
                          : key == Qt::Key_Left ? ViewKey::Left
                                                : ViewKey::Right;
        const int64_t end = pages_->extentEnd();
        const int32_t from = end >= 0 ? static_cast<int32_t>(end + 1) : adib;
        const int32_t next =
            selectionAfterKey(k, from, PaintBox2->width() / sortCell().width, bilder.count);
        if (next >= 1 && uint32_t(next) <= count) {
            pages_->click(uint32_t(next - 1), false, true);
            PaintBox2Paint();
        }
        return true;
    }
    return false;
}

void TMainForm::sortViewMenu(QPoint at) {
    QMenu menu(this);
    const bool pages = bilder.count > 0 && !busy();
    menu.addAction(tr("Nach links drehen"), this, [this] { turnSelection(true); })
        ->setEnabled(pages);
    menu.addAction(tr("Nach rechts drehen"), this, [this] { turnSelection(false); })
        ->setEnabled(pages);
    menu.addAction(tr("Löschen"), this, [this] { deleteSelection(); })->setEnabled(pages);
    menu.addSeparator();
    menu.addAction(tr("Alle auswählen"), this, [this] { pages_->selectAll(); })->setEnabled(pages);
    menu.addAction(tr("Leere Seite einfügen"), this, [this] { InsertBlankBtnClick(); })
        ->setEnabled(!busy());
    menu.exec(PaintBox2->mapToGlobal(at));
}

// ---- blank and empty pages ----

void TMainForm::MarkBlankBtnClick() {
    if (bilder.count == 0 || busy()) {
        return;
    }
    QDialog ask(this);
    ask.setObjectName("BlankPageForm");
    ask.setWindowTitle(tr("Leere Seiten markieren"));
    auto* column = new QVBoxLayout(&ask);
    auto* text = new QLabel(tr("Als leer gelten Seiten, auf denen außerhalb des Randes höchstens "
                               "dieser Anteil der Fläche beschrieben ist (in Zehntausendsteln):"),
                            &ask);
    text->setWordWrap(true);
    column->addWidget(text);
    auto* threshold =
        formparts::decimal(&ask, "BlankThresholdEd", 0, 100, 0.1, BlankPageOptions{}.inkedCells);
    column->addWidget(threshold);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    QPushButton* ok = formparts::button(&ask, "OKBtn", tr("OK"));
    ok->setDefault(true);
    QPushButton* cancel = formparts::button(&ask, "CancelBtn", tr("Abbrechen"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    column->addLayout(buttons);
    connect(ok, &QPushButton::clicked, &ask, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, &ask, &QDialog::reject);
    if (!dialogs().execDialog(ask)) {
        return;
    }
    BlankPageOptions options;
    options.inkedCells = threshold->value();
    const size_t blank = pages_->markWhere(
        [&options](const dib& page) { return lookForBlank(page, options).blank; },
        [this](uint32_t done, uint32_t all) { SetProStatus(static_cast<int>(done * 100 / all)); });
    SetProStatus(0);
    PageControl1->setCurrentIndex(1);
    StatusPanel0->setText(
        numbered(blank, tr("%1 leere Seite markiert"), tr("%1 leere Seiten markiert")));
}

void TMainForm::DelMarkedBtnClick() {
    const std::vector<uint32_t> marked = pages_->marked();
    if (marked.empty() || busy()) {
        return;
    }
    if (dialogs().messageBox(tr("Markierte Seiten löschen").toStdString(),
                             tr("Wollen Sie die %1 markierten Seiten aus dem Dokument löschen?")
                                 .arg(marked.size())
                                 .toStdString(),
                             qly::MessageIcon::Question,
                             DialogButtons::YesNoCancel) != DialogAnswer::Yes) {
        return;
    }
    pages_->removePages(marked, QT_TRANSLATE_NOOP("PageDocument", "Markierte löschen"));
    followModel();
}

void TMainForm::InsertBlankBtnClick() {
    if (busy()) {
        return;
    }
    // A white page of the paper size at the scan resolution, in one bit.
    const MainFormSettings s = readControls();
    dib page{};
    if (!makeWhitePage(page, s.exportSettings.BreitEd, s.exportSettings.HochEd,
                       s.exportSettings.ScanResEd)) {
        showError(tr("Nicht genug Arbeitsspeicher für eine leere Seite.").toStdString());
        return;
    }
    void* slot = bilder.Add();
    if (slot == nullptr) {
        freedib(page);
        return;
    }
    std::memcpy(slot, &page, sizeof page);
    const int64_t current = pages_->current();
    pages_->appended(bilder.count - 1, QT_TRANSLATE_NOOP("PageDocument", "Leere Seite einfügen"),
                     current >= 0 ? current : -1);
    followModel();
}
