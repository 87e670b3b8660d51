#include "acquire/WiaAcquireDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TWiaAcquireDialog::TWiaAcquireDialog(QWidget* parent, std::unique_ptr<ScanBackend> backend,
                                     const ScanDevice& device)
    : QDialog(parent), session_(std::make_unique<ScanSession>(std::move(backend), true)) {
    setObjectName("TWiaAcquireDialog");
    setWindowTitle(tr("Bild scannen"));
    auto* column = new QVBoxLayout(this);
    StatusLabel = new QLabel(tr("Verbindung zum Scanner wird hergestellt..."), this);
    StatusLabel->setObjectName("StatusLabel");
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    CancelButton = new QPushButton(tr("Abbrechen"), this);
    CancelButton->setObjectName("CancelButton");
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(CancelButton);
    column->addWidget(StatusLabel);
    column->addWidget(ProgressBar);
    column->addLayout(row);
    setMinimumWidth(360);

    connect(CancelButton, &QPushButton::clicked, this, &TWiaAcquireDialog::reject);
    connect(session_.get(), &ScanSession::stateChanged, this, &TWiaAcquireDialog::onState);
    connect(session_.get(), &ScanSession::pageReady, this,
            [this](const ScannedPagePtr& page) { image_ = page; });
    connect(session_.get(), &ScanSession::progress, this,
            [this](int, int percent) { ProgressBar->setValue(percent); });
    connect(session_.get(), &ScanSession::runEnded, this, &TWiaAcquireDialog::onRunEnded);
    session_->open(device);
}

TWiaAcquireDialog::~TWiaAcquireDialog() = default;

void TWiaAcquireDialog::onState(ScanSession::State s) {
    switch (s) {
    case ScanSession::State::Idle:
        if (session_->pages() == 0 && !cancelled_) {
            // Opened: one image with whatever the device is set to.
            StatusLabel->setText(
                tr("Bild wird gescannt (%1)...")
                    .arg(QString::fromStdString(session_->capabilities().device.label)));
            session_->scan(ScanSettings{});
        }
        break;
    case ScanSession::State::Failed:
        failed_ = true;
        QDialog::reject();
        break;
    default:
        break;
    }
}

void TWiaAcquireDialog::onRunEnded(const ScanResult& r) {
    if (cancelled_ || r.end == ScanEnd::Cancelled) {
        image_.reset();
        QDialog::reject();
    } else if (image_) {
        accept();
    } else {
        failed_ = true;
        QDialog::reject();
    }
}

void TWiaAcquireDialog::reject() {
    cancelled_ = true;
    const ScanSession::State s = session_->state();
    if (s == ScanSession::State::Scanning || s == ScanSession::State::Cancelling) {
        StatusLabel->setText(tr("Der Scanvorgang wird abgebrochen..."));
        session_->cancel();
        return;
    }
    QDialog::reject();
}
