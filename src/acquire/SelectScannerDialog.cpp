#include "acquire/SelectScannerDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TSelectScannerDialog::TSelectScannerDialog(QWidget* parent, std::unique_ptr<ScanBackend> backend,
                                           const std::string& current, bool failWhenNone)
    : QDialog(parent), backend_(std::move(backend)), current_(current),
      failWhenNone_(failWhenNone) {
    setObjectName("TSelectScannerDialog");
    setWindowTitle(tr("Scanner auswählen"));
    auto* column = new QVBoxLayout(this);
    StatusLabel = new QLabel(tr("Scanner werden gesucht..."), this);
    StatusLabel->setObjectName("StatusLabel");
    StatusLabel->setWordWrap(true);
    DeviceList = new QListWidget(this);
    DeviceList->setObjectName("DeviceList");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    OkButton = buttons->button(QDialogButtonBox::Ok);
    OkButton->setObjectName("OkButton");
    OkButton->setText(tr("Auswählen"));
    OkButton->setEnabled(false);
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Abbrechen"));
    column->addWidget(StatusLabel);
    column->addWidget(DeviceList);
    column->addWidget(buttons);
    setMinimumSize(380, 240);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(DeviceList, &QListWidget::currentRowChanged, this,
            [this](int row) { OkButton->setEnabled(row >= 0); });
    connect(DeviceList, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(backend_.get(), &ScanBackend::devicesListed, this, &TSelectScannerDialog::onListed);
    backend_->listDevices();
}

TSelectScannerDialog::~TSelectScannerDialog() = default;

ScanDevice TSelectScannerDialog::chosen() const {
    const int row = DeviceList->currentRow();
    if (row < 0 || row >= static_cast<int>(devices_.size())) {
        return {};
    }
    return devices_[static_cast<size_t>(row)];
}

void TSelectScannerDialog::onListed(const std::vector<ScanDevice>& devices,
                                    const std::string& error) {
    loaded_ = true;
    devices_ = devices;
    error_ = error;
    for (const ScanDevice& d : devices_) {
        DeviceList->addItem(
            QString::fromStdString(d.label + (d.label != d.name ? " (" + d.name + ")" : "")));
    }
    if (devices_.empty()) {
        StatusLabel->setText(error.empty() ? tr("Es wurde kein Scanner gefunden. Bitte prüfen "
                                                "Sie, ob der Scanner angeschlossen und "
                                                "eingeschaltet ist.")
                                           : QString::fromStdString(error));
        if (failWhenNone_) {
            failed_ = true;
            reject();
        }
        return;
    }
    StatusLabel->setText(tr("Bitte wählen Sie den Scanner aus:"));
    int row = 0;
    for (size_t i = 0; i < devices_.size(); ++i) {
        if (devices_[i].name == current_) {
            row = static_cast<int>(i);
        }
    }
    DeviceList->setCurrentRow(row);
}
