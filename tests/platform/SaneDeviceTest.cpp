// The SANE layer against SANE's test backend: devices, options by name and type, and reading
// pages, the feeder and injected device errors.
#include "common/SaneTestBackend.h"
#include "common/TestDib.h"
#include "platform/scan/ScanReader.h"

#include <sane/saneopts.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace qly::sane;
using qlytest::OwnedDib;
using qlytest::SaneTestBackend;

namespace {

class SaneDevice : public ::testing::Test {
  protected:
    void SetUp() override {
        SaneTestBackend::instance().configure();
        device = std::make_unique<Device>("test:0");
    }
    // Reads with the reader; the pages are kept in `pages`.
    ReadResult read(int maxPages, std::function<void(Device&, int)> beforePage = {}) {
        ReadCallbacks cb;
        cb.pageDone = [this](dib& d) { pages.push_back(std::make_unique<OwnedDib>(d)); };
        cb.progress = [this](int page, int percent) { progress.push_back({page, percent}); };
        cb.beforePage = std::move(beforePage);
        return readPages(*device, maxPages, cancel, cb);
    }
    std::unique_ptr<Device> device;
    std::vector<std::unique_ptr<OwnedDib>> pages;
    std::vector<std::pair<int, int>> progress;
    std::atomic<bool> cancel{false};
};

TEST(SaneDevices, TheTestBackendIsListedAndWithoutBackendsThereIsNone) {
    SaneTestBackend::instance().configure();
    {
        Session session;
        const std::vector<DeviceInfo> devices = listDevices(session);
        ASSERT_EQ(devices.size(), 1u);
        EXPECT_EQ(devices[0].name, "test:0");
        EXPECT_EQ(devices[0].label(), "Noname frontend-tester");
    }
    SaneTestBackend::instance().configureNoDevice();
    {
        Session session;
        EXPECT_TRUE(listDevices(session).empty());
    }
    SaneTestBackend::instance().configure();
}

TEST_F(SaneDevice, OptionsAreDescribedByNameWithTheirTypeAndConstraint) {
    const auto resolution = device->option(SANE_NAME_SCAN_RESOLUTION);
    ASSERT_TRUE(resolution);
    EXPECT_EQ(resolution->type, OptionType::Fixed);
    EXPECT_EQ(resolution->constraint, Constraint::Range);
    EXPECT_DOUBLE_EQ(resolution->min, 1);
    EXPECT_DOUBLE_EQ(resolution->max, 1200);

    const auto depth = device->option(SANE_NAME_BIT_DEPTH);
    ASSERT_TRUE(depth);
    EXPECT_EQ(depth->type, OptionType::Int);
    EXPECT_EQ(depth->constraint, Constraint::WordList);
    EXPECT_EQ(depth->words, (std::vector<double>{1, 8, 16}));

    const auto source = device->option(SANE_NAME_SCAN_SOURCE);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->constraint, Constraint::StringList);
    EXPECT_EQ(source->strings, (std::vector<std::string>{"Flatbed", "Automatic Document Feeder"}));
    EXPECT_FALSE(device->option("no-such-option"));
}

TEST_F(SaneDevice, NumbersAreSetAsTheOptionsTypeAndConstraintWant) {
    // Resolution is a fixed-point option here: 300 must stay 300, not become 300/65536.
    EXPECT_DOUBLE_EQ(device->setNumber(SANE_NAME_SCAN_RESOLUTION, 300), 300);
    EXPECT_DOUBLE_EQ(device->getNumber(SANE_NAME_SCAN_RESOLUTION), 300);
    // Ranges clamp, word lists take the nearest word.
    EXPECT_DOUBLE_EQ(device->setNumber(SANE_NAME_SCAN_RESOLUTION, 5000), 1200);
    EXPECT_DOUBLE_EQ(device->setNumber(SANE_NAME_BIT_DEPTH, 6), 8);
    EXPECT_DOUBLE_EQ(device->setNumber(SANE_NAME_BIT_DEPTH, 2), 1);
    // The scan area moves in steps of 1 mm here.
    EXPECT_DOUBLE_EQ(device->setNumber(SANE_NAME_SCAN_BR_X, 123.4), 123);
    EXPECT_DOUBLE_EQ(device->setNumber(SANE_NAME_SCAN_BR_X, 123.6), 124);
}

TEST_F(SaneDevice, StringsMustBeEntriesOfTheList) {
    EXPECT_EQ(device->setString(SANE_NAME_SCAN_MODE, "gray"), "Gray");
    EXPECT_EQ(device->getString(SANE_NAME_SCAN_MODE), "Gray");
    EXPECT_THROW(device->setString(SANE_NAME_SCAN_MODE, "Lineart"), Error);
    EXPECT_EQ(device->getString(SANE_NAME_SCAN_MODE), "Gray");
}

TEST_F(SaneDevice, WrongTypesMissingAndInactiveOptionsRaise) {
    EXPECT_THROW(device->getNumber(SANE_NAME_SCAN_MODE), Error);
    EXPECT_THROW(device->setString(SANE_NAME_SCAN_RESOLUTION, "300"), Error);
    EXPECT_THROW(device->setNumber("no-such-option", 1), Error);
    // Inactive until three-pass is switched on.
    EXPECT_FALSE(device->hasActive("three-pass-order"));
    EXPECT_THROW(device->setString("three-pass-order", "RGB"), Error);
    // Gamma tables are arrays: a single number is refused rather than written past one word.
    EXPECT_THROW(device->setNumber(SANE_NAME_GAMMA_VECTOR, 1), Error);
}

TEST_F(SaneDevice, ColourGreyAndLineartPagesHaveTheirDepthSizeAndResolution) {
    struct Case {
        const char* mode;
        int depth;
        const char* picture;
        int bits;
        uint32_t firstPixel; // as getpixel gives it
    };
    const Case cases[] = {
        {"Color", 8, "Solid white", 24, 0xffffff}, {"Gray", 8, "Solid white", 8, 255},
        {"Gray", 1, "Solid black", 1, 0}, // 0 is black in the page's table
        {"Gray", 1, "Solid white", 1, 1},          {"Gray", 16, "Solid white", 8, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " " + std::to_string(c.depth) + " " + c.picture);
        pages.clear();
        device->setString(SANE_NAME_SCAN_MODE, c.mode);
        device->setNumber(SANE_NAME_BIT_DEPTH, c.depth);
        device->setString("test-picture", c.picture);
        const ReadResult r = read(1);
        EXPECT_EQ(r.end, ReadEnd::Done);
        ASSERT_EQ(pages.size(), 1u);
        const OwnedDib& d = *pages[0];
        EXPECT_EQ(d.bits(), c.bits);
        EXPECT_EQ(d.width(), 147);
        EXPECT_EQ(d.height(), 118);
        EXPECT_EQ(d->pmi->bmiHeader.biXPelsPerMeter, 2953); // 75 dpi
        EXPECT_EQ(getpixel(*d, 0, 0), c.firstPixel);
        EXPECT_EQ(getpixel(*d, 146, 117), c.firstPixel);
    }
}

TEST_F(SaneDevice, ProgressRunsToAHundredPerCentForEveryPage) {
    device->setString(SANE_NAME_SCAN_SOURCE, "Automatic Document Feeder");
    EXPECT_EQ(read(2).pages, 2);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), std::make_pair(1, 0));
    EXPECT_EQ(progress.back(), std::make_pair(2, 100));
    for (size_t i = 1; i < progress.size(); ++i) {
        EXPECT_TRUE(progress[i].first > progress[i - 1].first ||
                    progress[i].second >= progress[i - 1].second);
    }
}

TEST_F(SaneDevice, AnErrorMidBatchKeepsThePagesBeforeIt) {
    struct Case {
        const char* status;
        int atPage;
        ReadEnd end;
        SANE_Status expected;
    };
    const Case cases[] = {
        {"SANE_STATUS_JAMMED", 3, ReadEnd::Failed, SANE_STATUS_JAMMED},
        {"SANE_STATUS_COVER_OPEN", 2, ReadEnd::Failed, SANE_STATUS_COVER_OPEN},
        {"SANE_STATUS_IO_ERROR", 4, ReadEnd::Failed, SANE_STATUS_IO_ERROR},
        // An empty feeder after some pages ends the batch normally, before any is a failure.
        {"SANE_STATUS_NO_DOCS", 4, ReadEnd::FeederEmpty, SANE_STATUS_NO_DOCS},
        {"SANE_STATUS_NO_DOCS", 1, ReadEnd::Failed, SANE_STATUS_NO_DOCS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.status) + " at page " + std::to_string(c.atPage));
        pages.clear();
        device.reset(); // one handle at a time, as a real device allows
        device = std::make_unique<Device>("test:0");
        device->setString(SANE_NAME_SCAN_SOURCE, "Automatic Document Feeder");
        // Pages tell themselves apart by their width: 10 mm more each.
        const ReadResult r = read(0, [&](Device& d, int page) {
            d.setNumber(SANE_NAME_SCAN_BR_X, 10.0 * page);
            if (page == c.atPage) {
                d.setString("read-return-value", c.status);
            }
        });
        EXPECT_EQ(r.end, c.end);
        EXPECT_EQ(r.status, c.expected);
        EXPECT_EQ(r.pages, c.atPage - 1);
        ASSERT_EQ(pages.size(), size_t(c.atPage - 1));
        const int widths[] = {29, 59, 88}; // 10, 20 and 30 mm at 75 dpi
        for (size_t i = 0; i < pages.size(); ++i) {
            EXPECT_EQ(pages[i]->width(), widths[i]);
        }
    }
}

TEST_F(SaneDevice, CancellingStopsBeforeTheNextPageAndLeavesTheDeviceUsable) {
    device->setString(SANE_NAME_SCAN_SOURCE, "Automatic Document Feeder");
    ReadCallbacks cb;
    int delivered = 0;
    cb.pageDone = [&](dib& d) {
        deldib(d);
        if (++delivered == 2) {
            cancel = true;
        }
    };
    const ReadResult r = readPages(*device, 0, cancel, cb);
    EXPECT_EQ(r.end, ReadEnd::Cancelled);
    EXPECT_EQ(r.pages, 2);
    cancel = false;
    EXPECT_EQ(read(1).end, ReadEnd::Done);
    EXPECT_EQ(pages.size(), 1u);
}

TEST_F(SaneDevice, ThreePassColourIsOnePage) {
    device->setBool("three-pass", true);
    device->setString("test-picture", "Solid white");
    const ReadResult r = read(1);
    EXPECT_EQ(r.end, ReadEnd::Done);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0]->bits(), 24);
    EXPECT_EQ(getpixel(**pages[0], 10, 10), 0xffffffu);
}

} // namespace
