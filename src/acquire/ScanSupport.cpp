#include "acquire/ScanSupport.h"

#include "acquire/SaneScanBackend.h"

#include <QDialog>

namespace {

ScanDialogRunner& runner() {
    static ScanDialogRunner r;
    return r;
}

ScanBackendFactory& factory() {
    static ScanBackendFactory f;
    return f;
}

} // namespace

void setScanDialogRunner(ScanDialogRunner r) {
    runner() = std::move(r);
}

bool runScanDialog(QDialog& dialog) {
    if (runner()) {
        return runner()(dialog);
    }
    return dialog.exec() == QDialog::Accepted;
}

ScanBackendFactory setScanBackendFactory(ScanBackendFactory f) {
    ScanBackendFactory previous = std::move(factory());
    factory() = std::move(f);
    return previous;
}

std::unique_ptr<ScanBackend> makeScanBackend() {
    if (factory()) {
        return factory()();
    }
    return std::make_unique<SaneScanBackend>();
}
