#pragma once
// The scanner dialog of the TWAIN stand-in: the device's source (flatbed, document feeder,
// duplex where offered), mode, depth, resolution and page size, Scan, Cancel and Close, and the
// progress of the page being scanned. Scanning runs on the backend's thread; the dialog stays
// responsive and hands on every page as it arrives (pageScanned).
//
// In single-image mode the dialog closes (accepted) once a scan has brought its page. A failure
// (paper jam, cover open, ...) is shown to the user through the message sink; the pages before it
// have already been handed on. When the device cannot be opened (none found, or the chosen one is
// gone) the user is told so and the dialog closes (rejected).

#include "acquire/ScanSession.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

class TScanDialog : public QDialog {
    Q_OBJECT
  public:
    TScanDialog(QWidget* parent, std::unique_ptr<ScanBackend> backend, bool singleImage,
                const ScanDevice& device);
    ~TScanDialog() override;

    ScanSession& session() { return *session_; }
    // The scan the controls ask for.
    ScanSettings settings() const;

    // The controls, named as their objectName says.
    QLabel* DeviceLabel = nullptr;
    QComboBox* SourceBox = nullptr;
    QCheckBox* DuplexCheck = nullptr;
    QComboBox* ModeBox = nullptr;
    QComboBox* DepthBox = nullptr;
    QComboBox* ResolutionBox = nullptr;
    QComboBox* PaperBox = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QLabel* StatusLabel = nullptr;
    QPushButton* ScanButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* CloseButton = nullptr;

  signals:
    void pageScanned(const ScannedPagePtr& page);

  public slots:
    // Esc, the close box and Close: while a scan runs it is cancelled first and the dialog closes
    // when it has stopped.
    void reject() override;

  private:
    void fillControls(const ScanCapabilities& c);
    void showState(ScanSession::State s);
    void onFailed(const std::string& message);
    void onRunEnded(const ScanResult& r);

    std::unique_ptr<ScanSession> session_;
    bool closePending_ = false;
    bool filled_ = false;
};

// Page sizes the dialog offers for a scan area of at most maxWidth x maxHeight millimetres: the
// whole area first, then the standard sizes that fit.
struct PaperSize {
    std::string name;
    double widthMm;
    double heightMm;
};
std::vector<PaperSize> paperSizes(double maxWidthMm, double maxHeightMm);
