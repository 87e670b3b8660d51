#pragma once
// What the two scanning layers (the TWAIN and the WIA stand-ins) share: how their dialogs are run
// and which backend they scan with. The window routes the dialogs through its own dialog
// interface, so tests can drive them; tests may also scan with a backend of their own.

#include "acquire/ScanBackend.h"

#include <functional>
#include <memory>

class QDialog;

// Runs a dialog modally; true when it was accepted.
using ScanDialogRunner = std::function<bool(QDialog&)>;
// Installs the runner (empty: QDialog::exec).
void setScanDialogRunner(ScanDialogRunner runner);
bool runScanDialog(QDialog& dialog);

// Makes the backend for one dialog.
using ScanBackendFactory = std::function<std::unique_ptr<ScanBackend>()>;
// Installs the factory (empty: SANE's backend). Returns the previous one.
ScanBackendFactory setScanBackendFactory(ScanBackendFactory factory);
std::unique_ptr<ScanBackend> makeScanBackend();
