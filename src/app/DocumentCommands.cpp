// The window's document commands: a new, empty document, opening and saving a document file.
#include "app/Conversion.h"
#include "app/MainUnit.h"
#include "document/Dib.h"
#include "document/DocumentFile.h"
#include "document/PageDocument.h"
#include "document/PageList.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QRadioButton>

namespace {

FileDialogOptions documentDialog(bool save) {
    FileDialogOptions o;
    o.filter = TMainForm::tr("Quillory Dokumente (*.qly)|*.qly").toStdString();
    o.defaultExt = "qly";
    o.overwritePrompt = save;
    return o;
}

void documentError(DocumentStatus status, bool reading) {
    dialogs().messageBox("", documentFailureText(status, reading), qly::MessageIcon::Error,
                         DialogButtons::Ok);
}

} // namespace

void TMainForm::NewBtnClick() {
    if (dialogs().messageBox(tr("Datei/Neu").toStdString(),
                             tr("Achtung: Alle Bilder werden nun entfernt. Alle Bilder, die noch "
                                "nicht abgespeichert sind, gehen verloren!")
                                 .toStdString(),
                             qly::MessageIcon::Information,
                             DialogButtons::OkCancel) != DialogAnswer::Ok) {
        return;
    }
    pages_->clear();
    PaintBox1Paint();
    RefreshPageCounter();
    PaintBox2Paint();
}

void TMainForm::OpenBtnClick() {
    if (dialogs().messageBox(
            tr("Datei|Öffnen").toStdString(),
            tr("Alle nicht gespeicherten Einstellungen gehen verloren.").toStdString(),
            qly::MessageIcon::Question, DialogButtons::OkCancel) != DialogAnswer::Ok) {
        return;
    }
    const FileDialogResult r = dialogs().openFiles(documentDialog(false));
    if (r.accepted) {
        OpenFileNow(r.files.front());
    }
    PaintBox1Paint();
}

bool TMainForm::OpenFileNow(const std::string& fileName) {
    // The document is read into pages of its own first: the pages on screen are replaced only
    // by a document that was read whole.
    void* current = nullptr;
    TDynaArray pages(sizeof(dib), &current);
    pages.buffersize = 100;
    DocumentLayout layout =
        documentLayout(readControls().exportSettings, ShowPDFCheck->isChecked());
    // Each page goes into the page store as soon as it is read, so a document larger than the
    // memory opens beside the pages that are there.
    const DocumentStatus status = readDocument(
        fileName, pages, layout, [this](int p) { SetProStatus(p); },
        [this](dib& page) { pages_->adopt(page); });
    SetProStatus(0);
    if (status != DocumentStatus::Ok) {
        documentError(status, true);
        return false;
    }
    applyLayout(layout);
    pages_->replaceAll(pages);
    RefreshPageCounter();
    PaintBox1Paint();
    PaintBox2Paint();
    return true;
}

void TMainForm::applyLayout(const DocumentLayout& layout) {
    BorderCheck->setChecked(layout.BorderCheck);
    ZentCheck->setChecked(layout.ZentCheck);
    (layout.MaxSizeCheck ? MaxSizeCheck : RelSizeCheck)->setChecked(true);
    RandHEd->setValue(layout.RandHEd);
    RandVEd->setValue(layout.RandVEd);
    BreitEd->setValue(layout.BreitEd);
    HochEd->setValue(layout.HochEd);
    ShowPDFCheck->setChecked(layout.ShowPDFCheck);
}

void TMainForm::SaveAsBtnClick() {
    const FileDialogResult r = dialogs().saveFile(documentDialog(true));
    if (!r.accepted) {
        return;
    }
    const DocumentStatus status =
        saveDocument(r.files.front(), bilder,
                     documentLayout(readControls().exportSettings, ShowPDFCheck->isChecked()),
                     [this](int p) { SetProStatus(p); });
    SetProStatus(0);
    // A save that failed half-way is reported like one that could not begin: the earlier file
    // of that name is still there.
    if (status != DocumentStatus::Ok) {
        documentError(status, false);
    }
}
