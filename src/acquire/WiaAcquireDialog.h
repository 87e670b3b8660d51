#pragma once
// The acquisition dialog of the WIA stand-in: scans one image with the device's own settings as
// soon as it opens, showing the progress and a Cancel button. It ends accepted with the image,
// rejected when the user cancelled, and rejected with failed() when the device could not be opened
// or reported an error.

#include "acquire/ScanSession.h"

#include <QDialog>

#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

class TWiaAcquireDialog : public QDialog {
    Q_OBJECT
  public:
    TWiaAcquireDialog(QWidget* parent, std::unique_ptr<ScanBackend> backend,
                      const ScanDevice& device);
    ~TWiaAcquireDialog() override;

    // The scanned image (null unless the dialog ended accepted).
    ScannedPagePtr image() const { return image_; }
    bool failed() const { return failed_; }
    // The device scanned with, once it is open.
    const ScanDevice& device() const { return session_->capabilities().device; }
    const std::string& error() const { return session_->message(); }

    QLabel* StatusLabel = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QPushButton* CancelButton = nullptr;

  public slots:
    // Cancel, Esc and the close box: a scan under way is stopped first.
    void reject() override;

  private:
    void onState(ScanSession::State s);
    void onRunEnded(const ScanResult& r);

    std::unique_ptr<ScanSession> session_;
    ScannedPagePtr image_;
    bool failed_ = false;
    bool cancelled_ = false;
};
