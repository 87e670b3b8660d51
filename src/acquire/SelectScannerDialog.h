#pragma once
// Choosing a scanner from the devices SANE finds. The list is gathered on the backend's thread
// (network scanners may take seconds to answer); the dialog shows that it is searching meanwhile.

#include "acquire/ScanBackend.h"

#include <QDialog>

#include <memory>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

class TSelectScannerDialog : public QDialog {
    Q_OBJECT
  public:
    // `current`: the device to preselect by name. `failWhenNone`: when no device is found or the
    // list cannot be had, the dialog ends at once, rejected and failed(); otherwise it stays and
    // says so.
    TSelectScannerDialog(QWidget* parent, std::unique_ptr<ScanBackend> backend,
                         const std::string& current, bool failWhenNone);
    ~TSelectScannerDialog() override;

    // True once the list has arrived.
    bool loaded() const { return loaded_; }
    // True when the dialog ended because there was nothing to choose (failWhenNone).
    bool failed() const { return failed_; }
    const std::string& error() const { return error_; }
    const std::vector<ScanDevice>& devices() const { return devices_; }
    // The device selected in the list (empty name: none).
    ScanDevice chosen() const;

    QListWidget* DeviceList = nullptr;
    QLabel* StatusLabel = nullptr;
    QPushButton* OkButton = nullptr;

  private:
    void onListed(const std::vector<ScanDevice>& devices, const std::string& error);

    std::unique_ptr<ScanBackend> backend_;
    std::string current_;
    bool failWhenNone_;
    bool loaded_ = false;
    bool failed_ = false;
    std::string error_;
    std::vector<ScanDevice> devices_;
};
