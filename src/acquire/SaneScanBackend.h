#pragma once
// The scan backend over SANE. Every SANE call runs on a worker object living on the backend's own
// thread, so a slow network scanner or a long page never blocks the window; results come back as
// the backend's signals on the thread the backend lives in.

#include "acquire/ScanBackend.h"

#include <QThread>

#include <atomic>
#include <functional>
#include <memory>

namespace qly::sane {
class Device;
}

class SaneScanBackend : public ScanBackend {
    Q_OBJECT
  public:
    // Called on the worker thread before each page is started (tests change options between the
    // pages of a batch with it); may be empty.
    using PageHook = std::function<void(qly::sane::Device& device, int page)>;

    explicit SaneScanBackend(PageHook beforePage = {}, QObject* parent = nullptr);
    // Stops a scan under way and waits for the worker, then closes the device.
    ~SaneScanBackend() override;

    void listDevices() override;
    void open(const ScanDevice& device) override;
    void scan(const ScanSettings& settings) override;
    void cancel() override;

    class Worker;

  private:
    std::atomic<bool> cancel_{false};
    QThread thread_;
    std::unique_ptr<Worker> worker_;
};

// The capabilities of an open device as the dialogs offer them: the standard resolutions its
// range allows (or its list), the scan area's size in millimetres, duplex where the device has a
// switch for it.
ScanCapabilities describeDevice(const qly::sane::Device& device, const ScanDevice& which);
// Sets what `settings` asks for, in the order scanners expect (source, mode, depth, resolution,
// duplex, area); options the device lacks or has switched off are left alone. Raises
// qly::sane::Error when the device refuses a value.
void applySettings(qly::sane::Device& device, const ScanSettings& settings);
