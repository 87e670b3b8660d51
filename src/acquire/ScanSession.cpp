#include "acquire/ScanSession.h"

#include <QCoreApplication>

std::string failureMessage(const std::string& what, int pagesBefore) {
    if (pagesBefore == 1) {
        return QCoreApplication::translate("ScanSession",
                                           "%1\nDie zuvor gescannte Seite wurde übernommen.")
            .arg(QString::fromStdString(what))
            .toStdString();
    }
    if (pagesBefore > 1) {
        return QCoreApplication::translate("ScanSession",
                                           "%1\nDie %2 zuvor gescannten Seiten wurden übernommen.")
            .arg(QString::fromStdString(what), QString::number(pagesBefore))
            .toStdString();
    }
    return what;
}

ScanSession::ScanSession(std::unique_ptr<ScanBackend> backend, bool singleImage, QObject* parent)
    : QObject(parent), backend_(std::move(backend)), singleImage_(singleImage) {
    connect(backend_.get(), &ScanBackend::opened, this, &ScanSession::onOpened);
    connect(backend_.get(), &ScanBackend::openFailed, this, &ScanSession::onOpenFailed);
    connect(backend_.get(), &ScanBackend::pageReady, this, &ScanSession::onPage);
    connect(backend_.get(), &ScanBackend::progress, this, &ScanSession::progress);
    connect(backend_.get(), &ScanBackend::finished, this, &ScanSession::onFinished);
}

ScanSession::~ScanSession() {
    // Pages still on their way after this point are dropped with the backend's queued reports.
    disconnect(backend_.get(), nullptr, this, nullptr);
    backend_->cancel();
}

void ScanSession::setState(State s) {
    if (state_ != s) {
        state_ = s;
        emit stateChanged(s);
    }
}

void ScanSession::open(const ScanDevice& device) {
    setState(State::Opening);
    backend_->open(device);
}

int ScanSession::pageLimit(const ScanSettings& settings) const {
    if (singleImage_) {
        return 1;
    }
    const std::string& source = settings.source.empty() ? capabilities_.source : settings.source;
    return isFeederSource(source) ? 0 : 1;
}

bool ScanSession::scan(ScanSettings settings) {
    if (state_ != State::Idle && state_ != State::Error) {
        return false;
    }
    settings.maxPages = pageLimit(settings);
    pages_ = 0;
    message_.clear();
    setState(State::Scanning);
    backend_->scan(settings);
    return true;
}

void ScanSession::cancel() {
    if (state_ == State::Scanning) {
        setState(State::Cancelling);
        backend_->cancel();
    }
}

void ScanSession::onOpened(const ScanCapabilities& c) {
    if (state_ != State::Opening) {
        return;
    }
    capabilities_ = c;
    setState(State::Idle);
}

void ScanSession::onOpenFailed(const ScanResult& r) {
    if (state_ != State::Opening) {
        return;
    }
    message_ = r.message;
    setState(State::Failed);
    emit failed(message_);
}

void ScanSession::onPage(const ScannedPagePtr& page) {
    if (state_ != State::Scanning && state_ != State::Cancelling) {
        return;
    }
    ++pages_;
    emit pageReady(page);
}

void ScanSession::onFinished(const ScanResult& r) {
    if (state_ != State::Scanning && state_ != State::Cancelling) {
        return;
    }
    const bool cancelled = state_ == State::Cancelling || r.end == ScanEnd::Cancelled;
    if (!cancelled && (r.end == ScanEnd::Failed || r.end == ScanEnd::NoDevice)) {
        message_ = failureMessage(r.message, pages_);
        done_ = singleImage_ && pages_ > 0;
        setState(State::Error);
        emit failed(message_);
    } else {
        done_ = singleImage_ && pages_ > 0;
        setState(State::Idle);
    }
    emit runEnded(r);
}
