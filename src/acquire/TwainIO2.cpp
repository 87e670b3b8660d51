#include "acquire/TwainIO2.h"

#include "acquire/ScanDialog.h"
#include "acquire/ScanSupport.h"
#include "acquire/SelectScannerDialog.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

#include <map>

namespace {

// The library's state for the run. Only the UI thread touches it.
struct TwainState {
    ScanDevice selected;
    bool singleImage = false;
    uintptr_t lastId = 0;
    // Images announced and not fetched yet; released with the library at the end of the run.
    std::map<uintptr_t, ScannedPagePtr> images;
};

TwainState& state() {
    static TwainState s;
    return s;
}

} // namespace

QEvent::Type TwainImageEvent::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void TWAIN_SelectScanner(QWidget* wnd) {
    TSelectScannerDialog dialog(wnd, makeScanBackend(), state().selected.name, false);
    if (runScanDialog(dialog) && !dialog.chosen().name.empty()) {
        state().selected = dialog.chosen();
    }
}

void TWAIN_SetSingleImageMode() {
    state().singleImage = true;
}

void TWAIN_SetMultipleImagesMode() {
    state().singleImage = false;
}

void TWAIN_ScanImage(QWidget* wnd) {
    TScanDialog dialog(wnd, makeScanBackend(), state().singleImage, state().selected);
    QPointer<QObject> target(wnd);
    QObject::connect(&dialog, &TScanDialog::pageScanned, &dialog,
                     [target](const ScannedPagePtr& page) {
                         if (target.isNull()) {
                             return;
                         }
                         const uintptr_t id = ++state().lastId;
                         state().images[id] = page;
                         // Qt owns a posted event and deletes it after delivery.
                         QCoreApplication::postEvent(
                             target.data(), std::make_unique<TwainImageEvent>(id).release());
                     });
    runScanDialog(dialog);
}

void GetScanedDib(dib& out, uintptr_t param) {
    out = dib{};
    const auto it = state().images.find(param);
    if (it == state().images.end()) {
        return;
    }
    out = it->second->take();
    state().images.erase(it);
}

ScanDevice TWAIN_SelectedScanner() {
    return state().selected;
}

void TWAIN_SetSelectedScanner(const ScanDevice& device) {
    state().selected = device;
}

bool TWAIN_SingleImageMode() {
    return state().singleImage;
}

size_t TWAIN_PendingImages() {
    return state().images.size();
}
