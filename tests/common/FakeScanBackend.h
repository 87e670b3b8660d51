#pragma once
// A scan backend for tests that answers only when the test says so: it records what it was asked
// and emits exactly the devices, pages and endings the test hands it.

#include "acquire/ScanBackend.h"
#include "platform/GrafikRW3.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <functional>
#include <vector>

namespace qlytest {

class FakeScanBackend : public ScanBackend {
  public:
    // The capabilities of a typical flatbed with a feeder.
    static ScanCapabilities typicalScanner() {
        ScanCapabilities c;
        c.device = {"fake:0", "Fake Scanner"};
        c.sources = {"Flatbed", "Automatic Document Feeder", "ADF Duplex"};
        c.source = "Flatbed";
        c.modes = {"Lineart", "Gray", "Color"};
        c.mode = "Color";
        c.depths = {1, 8, 16};
        c.depth = 8;
        c.resolutions = {75, 150, 300, 600};
        c.resolution = 150;
        c.maxWidthMm = 215.9;
        c.maxHeightMm = 297;
        c.duplexOffered = true;
        return c;
    }

    void listDevices() override { ++listed; }
    void open(const ScanDevice& device) override { opens.push_back(device); }
    void scan(const ScanSettings& settings) override { scans.push_back(settings); }
    void cancel() override { ++cancels; }

    // Answers as a backend does, later on the event loop.
    void answerOpened(ScanCapabilities c = typicalScanner()) { emit opened(c); }
    void answerOpenFailed(ScanEnd end, const std::string& message) {
        ScanResult r;
        r.end = end;
        r.message = message;
        emit openFailed(r);
    }
    void answerDevices(const std::vector<ScanDevice>& devices, const std::string& error = "") {
        emit devicesListed(devices, error);
    }
    // A page `width` pixels wide (so pages tell themselves apart).
    void deliverPage(int width, int bits = 24) {
        dib d{};
        newdib(d, width, 10, bits, nullptr, 0);
        emit pageReady(std::make_shared<ScannedPage>(d));
    }
    void finish(ScanEnd end, int pages, const std::string& message = "") {
        ScanResult r;
        r.end = end;
        r.pages = pages;
        r.message = message;
        emit finished(r);
    }

    int listed = 0;
    int cancels = 0;
    std::vector<ScanDevice> opens;
    std::vector<ScanSettings> scans;
};

// Handles events until `done` holds or `ms` milliseconds have passed; returns `done()`.
inline bool waitUntil(const std::function<bool()>& done, int ms = 10000) {
    QEventLoop loop;
    QTimer timer;
    timer.start(ms);
    while (!done() && timer.isActive()) {
        loop.processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

} // namespace qlytest
