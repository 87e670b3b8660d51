#pragma once
// Scanning as the scanner dialogs see it: a backend that lists devices, opens one and scans pages
// on a worker thread, and reports by signals on the thread it lives in (the UI thread). The real
// backend is SANE's (SaneScanBackend); tests give the dialogs a fake one.

#include "platform/DibRecord.h"

#include <QObject>

#include <memory>
#include <string>
#include <vector>

struct ScanDevice {
    std::string name;  // the backend's name for it; empty: the first device found
    std::string label; // for the user, e.g. "Noname frontend-tester"
};

// What the opened device offers. An empty list means the device has no such choice.
struct ScanCapabilities {
    ScanDevice device;
    std::vector<std::string> sources;
    std::string source;
    std::vector<std::string> modes;
    std::string mode;
    std::vector<int> depths; // bits per sample
    int depth = 0;
    std::vector<int> resolutions; // dots per inch
    int resolution = 0;
    double maxWidthMm = 0; // 0: the scan area cannot be set
    double maxHeightMm = 0;
    bool duplexOffered = false;
    bool duplex = false;
};

// A scan. Empty texts, zeros and "keep" leave the device's own setting.
struct ScanSettings {
    std::string source;
    std::string mode;
    int depth = 0;
    int resolution = 0;
    double widthMm = 0; // the scan area from the top left corner
    double heightMm = 0;
    enum class Duplex { Keep, Off, On } duplex = Duplex::Keep;
    int maxPages = 1; // 0: until the feeder is empty
};

enum class ScanEnd {
    Done,        // every page asked for arrived
    FeederEmpty, // the feeder ran out after at least one page
    Cancelled,
    Failed,   // the device reported an error; `message` says what for the user
    NoDevice, // no scanner was found
};

struct ScanResult {
    ScanEnd end = ScanEnd::Done;
    int pages = 0;       // complete pages delivered by this scan
    std::string message; // for Failed and NoDevice: a German text for the user
};

// A scanned page. It owns its bitmap until take() hands the bitmap on.
class ScannedPage {
  public:
    explicit ScannedPage(const dib& picture) : picture_(picture) {}
    ~ScannedPage();
    ScannedPage(const ScannedPage&) = delete;
    ScannedPage& operator=(const ScannedPage&) = delete;
    const dib& picture() const { return picture_; }
    // The record; the caller owns its bitmap from now on and this page is empty.
    dib take();

  private:
    dib picture_;
};
using ScannedPagePtr = std::shared_ptr<ScannedPage>;

// True for a source that feeds sheets (a document feeder, simplex or duplex), by the names SANE
// backends give them ("Automatic Document Feeder", "ADF Duplex", "ADF Front", ...).
bool isFeederSource(const std::string& source);

class ScanBackend : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    // Lists the devices: devicesListed follows.
    virtual void listDevices() = 0;
    // Opens a device (an empty name: the first one found): opened or openFailed follows.
    virtual void open(const ScanDevice& device) = 0;
    // Scans with the opened device: progress and pageReady as pages come, then finished.
    virtual void scan(const ScanSettings& settings) = 0;
    // Asks the scan under way to stop: the page being read is dropped, finished follows.
    virtual void cancel() = 0;

  signals:
    // `error` is empty when the devices could be listed.
    void devicesListed(const std::vector<ScanDevice>& devices, const std::string& error);
    void opened(const ScanCapabilities& capabilities);
    void openFailed(const ScanResult& result);
    void progress(int page, int percent);
    void pageReady(const ScannedPagePtr& page);
    void finished(const ScanResult& result);
};
