#include "acquire/SaneScanBackend.h"

#include "platform/GrafikRW3.h"
#include "platform/scan/ScanReader.h"

#include <sane/saneopts.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <new>

using qly::sane::Constraint;
using qly::sane::Device;
using qly::sane::OptionInfo;
using qly::sane::OptionType;

ScannedPage::~ScannedPage() {
    if (picture_.poi != nullptr) {
        deldib(picture_);
    }
}

dib ScannedPage::take() {
    const dib d = picture_;
    picture_ = dib{};
    return d;
}

bool isFeederSource(const std::string& source) {
    std::string s;
    for (char c : source) {
        s += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (const char* word : {"adf", "feeder", "duplex", "einzug"}) {
        if (s.find(word) != std::string::npos) {
            return true;
        }
    }
    return false;
}

namespace {

// An option the user may set now.
std::optional<OptionInfo> settable(const Device& d, const char* name) {
    std::optional<OptionInfo> o = d.option(name);
    if (!o || !o->active || !o->settable) {
        return std::nullopt;
    }
    return o;
}

bool hasEntry(const OptionInfo& o, const std::string& entry) {
    return std::any_of(o.strings.begin(), o.strings.end(), [&](const std::string& s) {
        return std::equal(s.begin(), s.end(), entry.begin(), entry.end(),
                          [](char a, char b) { return std::tolower(a) == std::tolower(b); });
    });
}

std::vector<int> resolutionChoices(const OptionInfo& o, int current) {
    std::vector<int> out;
    if (o.constraint == Constraint::WordList) {
        for (double w : o.words) {
            out.push_back(static_cast<int>(std::lround(w)));
        }
    } else if (o.constraint == Constraint::Range) {
        for (int dpi : {50, 75, 100, 150, 200, 240, 300, 400, 600, 1200, 2400}) {
            if (dpi >= o.min && dpi <= o.max) {
                out.push_back(static_cast<int>(std::lround(qly::sane::fitNumber(o, dpi))));
            }
        }
    }
    if (current > 0) {
        out.push_back(current);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    out.erase(std::remove_if(out.begin(), out.end(), [](int v) { return v <= 0; }), out.end());
    return out;
}

// The largest extent of a corner coordinate in millimetres; 0 when it is not given in them.
double extentMm(const Device& d, const char* name) {
    const std::optional<OptionInfo> o = settable(d, name);
    if (!o || o->unit != SANE_UNIT_MM || o->constraint != Constraint::Range) {
        return 0;
    }
    return o->max;
}

} // namespace

ScanCapabilities describeDevice(const Device& d, const ScanDevice& which) {
    ScanCapabilities c;
    c.device = which;
    auto strings = [&](const char* name, std::vector<std::string>& list, std::string& current) {
        const std::optional<OptionInfo> o = settable(d, name);
        if (!o || o->constraint != Constraint::StringList) {
            return;
        }
        list = o->strings;
        current = d.getString(name);
    };
    strings(SANE_NAME_SCAN_SOURCE, c.sources, c.source);
    strings(SANE_NAME_SCAN_MODE, c.modes, c.mode);
    if (const auto o = settable(d, SANE_NAME_BIT_DEPTH);
        o && o->constraint == Constraint::WordList) {
        for (double w : o->words) {
            c.depths.push_back(static_cast<int>(std::lround(w)));
        }
        c.depth = static_cast<int>(std::lround(d.getNumber(SANE_NAME_BIT_DEPTH)));
    }
    if (const auto o = settable(d, SANE_NAME_SCAN_RESOLUTION)) {
        c.resolution = static_cast<int>(std::lround(d.getNumber(SANE_NAME_SCAN_RESOLUTION)));
        c.resolutions = resolutionChoices(*o, c.resolution);
    }
    c.maxWidthMm = extentMm(d, SANE_NAME_SCAN_BR_X);
    c.maxHeightMm = extentMm(d, SANE_NAME_SCAN_BR_Y);
    if (c.maxWidthMm <= 0 || c.maxHeightMm <= 0) {
        c.maxWidthMm = c.maxHeightMm = 0;
    }
    if (const auto o = settable(d, "duplex"); o && o->type == OptionType::Bool) {
        c.duplexOffered = true;
        c.duplex = d.getBool("duplex");
    } else if (const auto m = settable(d, "adf-mode"); m && hasEntry(*m, "Duplex")) {
        c.duplexOffered = true;
        c.duplex = d.getString("adf-mode") == "Duplex";
    }
    return c;
}

void applySettings(Device& d, const ScanSettings& s) {
    if (!s.source.empty() && settable(d, SANE_NAME_SCAN_SOURCE)) {
        d.setString(SANE_NAME_SCAN_SOURCE, s.source);
    }
    // Options may come and go with the source and the mode: each is looked up afresh.
    if (!s.mode.empty() && settable(d, SANE_NAME_SCAN_MODE)) {
        d.setString(SANE_NAME_SCAN_MODE, s.mode);
    }
    if (s.depth > 0 && settable(d, SANE_NAME_BIT_DEPTH)) {
        d.setNumber(SANE_NAME_BIT_DEPTH, s.depth);
    }
    if (s.resolution > 0) {
        if (settable(d, SANE_NAME_SCAN_RESOLUTION)) {
            d.setNumber(SANE_NAME_SCAN_RESOLUTION, s.resolution);
        } else {
            for (const char* name : {SANE_NAME_SCAN_X_RESOLUTION, SANE_NAME_SCAN_Y_RESOLUTION}) {
                if (settable(d, name)) {
                    d.setNumber(name, s.resolution);
                }
            }
        }
    }
    if (s.duplex != ScanSettings::Duplex::Keep) {
        const bool on = s.duplex == ScanSettings::Duplex::On;
        if (const auto o = settable(d, "duplex"); o && o->type == OptionType::Bool) {
            d.setBool("duplex", on);
        } else if (const auto m = settable(d, "adf-mode");
                   m && hasEntry(*m, "Duplex") && hasEntry(*m, "Simplex")) {
            d.setString("adf-mode", on ? "Duplex" : "Simplex");
        }
    }
    if (s.widthMm > 0 && s.heightMm > 0) {
        // Feeder scanners bound the area by the sheet size: that goes first.
        for (auto [name, value] :
             {std::pair{"page-width", s.widthMm}, {"page-height", s.heightMm}}) {
            if (const auto o = settable(d, name); o && o->unit == SANE_UNIT_MM) {
                d.setNumber(name, value);
            }
        }
        for (auto [name, value] : {std::pair{SANE_NAME_SCAN_TL_X, 0.0},
                                   {SANE_NAME_SCAN_TL_Y, 0.0},
                                   {SANE_NAME_SCAN_BR_X, s.widthMm},
                                   {SANE_NAME_SCAN_BR_Y, s.heightMm}}) {
            if (const auto o = settable(d, name); o && o->unit == SANE_UNIT_MM) {
                d.setNumber(name, value);
            }
        }
    }
}

// Lives on the backend's thread; every SANE call of the backend is made here.
class SaneScanBackend::Worker : public QObject {
  public:
    Worker(SaneScanBackend* owner, std::atomic<bool>& cancel, PageHook hook)
        : owner_(owner), cancel_(cancel), hook_(std::move(hook)) {}

    void list() {
        std::vector<ScanDevice> devices;
        std::string error;
        try {
            for (const qly::sane::DeviceInfo& info : qly::sane::listDevices(session())) {
                devices.push_back({info.name, info.label()});
            }
        } catch (const qly::sane::Error& e) {
            error = qly::sane::statusText(e.status());
        }
        report([o = owner_, devices, error] { emit o->devicesListed(devices, error); });
    }

    void open(ScanDevice which) {
        device_.reset();
        try {
            if (which.name.empty()) {
                const std::vector<qly::sane::DeviceInfo> found = qly::sane::listDevices(session());
                if (found.empty()) {
                    failOpen(ScanEnd::NoDevice,
                             SaneScanBackend::tr("Es wurde kein Scanner gefunden. Bitte prüfen "
                                                 "Sie, ob der Scanner angeschlossen und "
                                                 "eingeschaltet ist.")
                                 .toStdString());
                    return;
                }
                which = {found.front().name, found.front().label()};
            }
            if (which.label.empty()) {
                which.label = which.name;
            }
            session();
            device_ = std::make_unique<Device>(which.name);
            ScanCapabilities c = describeDevice(*device_, which);
            report([o = owner_, c] { emit o->opened(c); });
        } catch (const qly::sane::Error& e) {
            device_.reset();
            failOpen(ScanEnd::Failed,
                     SaneScanBackend::tr("Der Scanner \"%1\" kann nicht geöffnet werden. %2")
                         .arg(QString::fromStdString(which.label),
                              QString::fromStdString(qly::sane::statusText(e.status())))
                         .toStdString());
        }
    }

    void scan(const ScanSettings& settings) {
        ScanResult result;
        if (!device_) {
            result.end = ScanEnd::Failed;
            result.message = SaneScanBackend::tr("Es ist kein Scanner geöffnet.").toStdString();
            report([o = owner_, result] { emit o->finished(result); });
            return;
        }
        qly::sane::ReadCallbacks cb;
        cb.progress = [this](int page, int percent) {
            report([o = owner_, page, percent] { emit o->progress(page, percent); });
        };
        cb.pageDone = [this](dib& d) {
            auto page = std::make_shared<ScannedPage>(d);
            report([o = owner_, page] { emit o->pageReady(page); });
        };
        cb.beforePage = hook_;
        qly::sane::ReadResult r;
        try {
            applySettings(*device_, settings);
            r = qly::sane::readPages(*device_, settings.maxPages, cancel_, cb);
        } catch (const qly::sane::Error& e) {
            device_->cancel();
            r.end = qly::sane::ReadEnd::Failed;
            r.status = e.status();
        } catch (const std::bad_alloc&) {
            // A page too large for the memory left: the pages before it stand.
            device_->cancel();
            r.end = qly::sane::ReadEnd::Failed;
            r.status = SANE_STATUS_NO_MEM;
        }
        result.pages = r.pages;
        switch (r.end) {
        case qly::sane::ReadEnd::Done:
            result.end = ScanEnd::Done;
            break;
        case qly::sane::ReadEnd::FeederEmpty:
            result.end = ScanEnd::FeederEmpty;
            break;
        case qly::sane::ReadEnd::Cancelled:
            result.end = ScanEnd::Cancelled;
            break;
        case qly::sane::ReadEnd::Failed:
            result.end = ScanEnd::Failed;
            result.message = qly::sane::statusText(r.status);
            break;
        }
        report([o = owner_, result] { emit o->finished(result); });
    }

  private:
    qly::sane::Session& session() {
        if (!session_) {
            session_ = std::make_unique<qly::sane::Session>();
        }
        return *session_;
    }
    void failOpen(ScanEnd end, const std::string& message) {
        ScanResult r;
        r.end = end;
        r.message = message;
        report([o = owner_, r] { emit o->openFailed(r); });
    }
    // Runs `f` on the owner's thread.
    template <typename F> void report(F f) {
        QMetaObject::invokeMethod(owner_, std::move(f), Qt::QueuedConnection);
    }

    SaneScanBackend* owner_;
    std::atomic<bool>& cancel_;
    PageHook hook_;
    // The device closes before the session ends (members go in reverse order).
    std::unique_ptr<qly::sane::Session> session_;
    std::unique_ptr<Device> device_;
};

SaneScanBackend::SaneScanBackend(PageHook beforePage, QObject* parent)
    : ScanBackend(parent), worker_(std::make_unique<Worker>(this, cancel_, std::move(beforePage))) {
    thread_.setObjectName("SaneScanBackend");
    worker_->moveToThread(&thread_);
    thread_.start();
}

SaneScanBackend::~SaneScanBackend() {
    cancel_ = true;
    thread_.quit();
    thread_.wait();
    // The thread has ended: the worker (and with it the device and SANE) is released here.
    worker_.reset();
}

void SaneScanBackend::listDevices() {
    QMetaObject::invokeMethod(
        worker_.get(), [w = worker_.get()] { w->list(); }, Qt::QueuedConnection);
}

void SaneScanBackend::open(const ScanDevice& device) {
    QMetaObject::invokeMethod(
        worker_.get(), [w = worker_.get(), device] { w->open(device); }, Qt::QueuedConnection);
}

void SaneScanBackend::scan(const ScanSettings& settings) {
    cancel_ = false;
    QMetaObject::invokeMethod(
        worker_.get(), [w = worker_.get(), settings] { w->scan(settings); }, Qt::QueuedConnection);
}

void SaneScanBackend::cancel() {
    cancel_ = true;
}
