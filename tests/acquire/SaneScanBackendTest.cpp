// The SANE backend on its worker thread against SANE's test backend: what it offers, pages in
// order across the thread, the feeder, cancelling, and devices that are not there.
#include "acquire/SaneScanBackend.h"
#include "acquire/SelectScannerDialog.h"
#include "common/FakeScanBackend.h"
#include "common/SaneTestBackend.h"
#include "platform/scan/Sane.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QListWidget>

#include <algorithm>
#include <optional>

using qlytest::SaneTestBackend;
using qlytest::waitUntil;

namespace {

class SaneBackend : public ::testing::Test {
  protected:
    void SetUp() override { SaneTestBackend::instance().configure(); }
    void make(SaneScanBackend::PageHook hook = {}) {
        backend = std::make_unique<SaneScanBackend>(std::move(hook));
        QObject::connect(backend.get(), &ScanBackend::opened,
                         [this](const ScanCapabilities& c) { caps = c; });
        QObject::connect(backend.get(), &ScanBackend::openFailed,
                         [this](const ScanResult& r) { openFailure = r; });
        QObject::connect(backend.get(), &ScanBackend::pageReady,
                         [this](const ScannedPagePtr& p) { pages.push_back(p); });
        QObject::connect(backend.get(), &ScanBackend::finished,
                         [this](const ScanResult& r) { result = r; });
    }
    bool openAndWait(const ScanDevice& d) {
        backend->open(d);
        return waitUntil([&] { return caps || openFailure; }) && caps.has_value();
    }
    ScanResult scanAndWait(const ScanSettings& s) {
        result.reset();
        backend->scan(s);
        EXPECT_TRUE(waitUntil([&] { return result.has_value(); }));
        return result.value_or(ScanResult{});
    }

    std::unique_ptr<SaneScanBackend> backend;
    std::optional<ScanCapabilities> caps;
    std::optional<ScanResult> openFailure;
    std::optional<ScanResult> result;
    std::vector<ScannedPagePtr> pages;
};

TEST_F(SaneBackend, OpensTheFirstDeviceAndDescribesWhatItOffers) {
    make();
    ASSERT_TRUE(openAndWait({}));
    EXPECT_EQ(caps->device.name, "test:0");
    EXPECT_EQ(caps->device.label, "Noname frontend-tester");
    EXPECT_EQ(caps->sources, (std::vector<std::string>{"Flatbed", "Automatic Document Feeder"}));
    EXPECT_EQ(caps->source, "Flatbed");
    EXPECT_EQ(caps->modes, (std::vector<std::string>{"Gray", "Color"}));
    EXPECT_EQ(caps->mode, "Color");
    EXPECT_EQ(caps->depths, (std::vector<int>{1, 8, 16}));
    EXPECT_EQ(caps->resolution, 75);
    // Standard resolutions within the fixed-point range 1..1200.
    EXPECT_EQ(caps->resolutions,
              (std::vector<int>{50, 75, 100, 150, 200, 240, 300, 400, 600, 1200}));
    EXPECT_DOUBLE_EQ(caps->maxWidthMm, 300);
    EXPECT_DOUBLE_EQ(caps->maxHeightMm, 300);
    EXPECT_FALSE(caps->duplexOffered);
}

TEST_F(SaneBackend, ScansWithTheSettingsAsked) {
    make();
    ASSERT_TRUE(openAndWait({}));
    ScanSettings s;
    s.mode = "Gray";
    s.depth = 8;
    s.resolution = 150;
    s.widthMm = 105; // A6
    s.heightMm = 148;
    const ScanResult r = scanAndWait(s);
    EXPECT_EQ(r.end, ScanEnd::Done);
    ASSERT_EQ(pages.size(), 1u);
    const dib& d = pages[0]->picture();
    EXPECT_EQ(d.pmi->bmiHeader.biBitCount, 8);
    EXPECT_EQ(d.pmi->bmiHeader.biWidth, 620);
    EXPECT_EQ(d.pmi->bmiHeader.biHeight, 874);
    EXPECT_EQ(d.pmi->bmiHeader.biXPelsPerMeter, 5906); // 150 dpi
}

TEST_F(SaneBackend, CancelStopsTheBatchAndKeepsThePagesBeforeIt) {
    // From page 3 on, every read is slow: the cancel arrives while page 3 is being read.
    make([](qly::sane::Device& d, int page) {
        if (page == 3) {
            d.setBool("read-delay", true);
            d.setNumber("read-delay-duration", 200000);
            d.setBool("read-limit", true);
            d.setNumber("read-limit-size", 64);
        }
    });
    ASSERT_TRUE(openAndWait({}));
    QObject::connect(backend.get(), &ScanBackend::pageReady, [this] {
        if (pages.size() == 2) {
            backend->cancel();
        }
    });
    ScanSettings s;
    s.source = "Automatic Document Feeder";
    s.maxPages = 0;
    const ScanResult r = scanAndWait(s);
    EXPECT_EQ(r.end, ScanEnd::Cancelled);
    EXPECT_EQ(r.pages, 2);
    EXPECT_EQ(pages.size(), 2u);
}

TEST_F(SaneBackend, DevicesThatAreNotThereFailToOpen) {
    make();
    EXPECT_FALSE(openAndWait({"test:7", "Gone"}));
    ASSERT_TRUE(openFailure);
    EXPECT_EQ(openFailure->end, ScanEnd::Failed);
    EXPECT_EQ(openFailure->message.rfind("Der Scanner \"Gone\" kann nicht geöffnet werden.", 0),
              0u);

    backend.reset();
    openFailure.reset();
    SaneTestBackend::instance().configureNoDevice();
    make();
    EXPECT_FALSE(openAndWait({}));
    ASSERT_TRUE(openFailure);
    EXPECT_EQ(openFailure->end, ScanEnd::NoDevice);
    SaneTestBackend::instance().configure();
}

TEST_F(SaneBackend, DestroyingItDuringAScanStopsTheScan) {
    make([](qly::sane::Device& d, int) {
        d.setBool("read-delay", true);
        d.setNumber("read-delay-duration", 200000);
        d.setBool("read-limit", true);
        d.setNumber("read-limit-size", 64);
    });
    ASSERT_TRUE(openAndWait({}));
    ScanSettings s;
    s.maxPages = 1;
    backend->scan(s);
    QElapsedTimer t;
    t.start();
    backend.reset(); // must not wait for the slow page
    EXPECT_LT(t.elapsed(), 5000);
}

} // namespace

namespace {

// Network scanners reach SANE through backends such as airscan, which report the device's maker
// and model like any other backend: the list shows them as SANE gives them, with the device name
// that tells two of a kind apart.
TEST(SaneScannerList, ShowsEachDevicesMakerAndModelAsSaneReportsThem) {
    SaneTestBackend::instance().configure("number_of_devices 2\n");
    TSelectScannerDialog dialog(nullptr, std::make_unique<SaneScanBackend>(), "test:1", false);
    ASSERT_TRUE(waitUntil([&] { return dialog.loaded(); }));
    ASSERT_EQ(dialog.DeviceList->count(), 2);
    EXPECT_EQ(dialog.DeviceList->item(0)->text().toStdString(), "Noname frontend-tester (test:0)");
    EXPECT_EQ(dialog.DeviceList->item(1)->text().toStdString(), "Noname frontend-tester (test:1)");
    EXPECT_EQ(dialog.chosen().name, "test:1");
    SaneTestBackend::instance().configure();
}

} // namespace
