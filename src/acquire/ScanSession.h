#pragma once
// The scanner dialogs' state machine over a scan backend:
//
//   Opening --opened--> Idle --scan--> Scanning --finished--> Idle
//      |                 ^                |  \--failed------> Error --scan--> Scanning
//      |                 |             cancel
//      |                 +--finished-- Cancelling
//      +--open failed--> Failed (nothing more can happen)
//
// Pages that arrive while Scanning or Cancelling are passed on: a cancel or an error never takes
// back a page that was complete. In single-image mode the session is done once a run has brought a
// page; the dialog then closes.

#include "acquire/ScanBackend.h"

#include <QObject>

#include <memory>
#include <string>

class ScanSession : public QObject {
    Q_OBJECT
  public:
    enum class State { Opening, Idle, Scanning, Cancelling, Error, Failed };

    // Takes the backend. `singleImage`: one page per scan, and done after it.
    ScanSession(std::unique_ptr<ScanBackend> backend, bool singleImage, QObject* parent = nullptr);
    ~ScanSession() override;

    // Opens the device (Opening until the backend answers).
    void open(const ScanDevice& device);
    // Starts a scan from Idle or Error; false (and nothing happens) in any other state. The page
    // count follows the mode: one page in single-image mode or from a flatbed, else the feeder is
    // read until it is empty.
    bool scan(ScanSettings settings);
    // Scanning: asks the backend to stop (Cancelling until it has). Elsewhere nothing happens.
    void cancel();

    State state() const { return state_; }
    bool singleImage() const { return singleImage_; }
    const ScanCapabilities& capabilities() const { return capabilities_; }
    // Why the last run or the opening failed (Error, Failed), for the user.
    const std::string& message() const { return message_; }
    // Pages delivered by the current or last run.
    int pages() const { return pages_; }
    // Single-image mode: a run has brought its page and ended.
    bool done() const { return done_; }
    // The pages a scan with `settings` asks for (ScanSettings::maxPages).
    int pageLimit(const ScanSettings& settings) const;

  signals:
    void stateChanged(ScanSession::State state);
    void pageReady(const ScannedPagePtr& page);
    void progress(int page, int percent);
    // The opening or a run failed; `message` says what happened, and with how many pages kept.
    void failed(const std::string& message);
    void runEnded(const ScanResult& result);

  private:
    void setState(State s);
    void onOpened(const ScanCapabilities& c);
    void onOpenFailed(const ScanResult& r);
    void onPage(const ScannedPagePtr& page);
    void onFinished(const ScanResult& r);

    std::unique_ptr<ScanBackend> backend_;
    bool singleImage_;
    State state_ = State::Opening;
    ScanCapabilities capabilities_;
    std::string message_;
    int pages_ = 0;
    bool done_ = false;
};

// "Papierstau im Vorlageneinzug." followed, when pages came before the failure, by what became of
// them ("Die 2 zuvor gescannten Seiten wurden übernommen.").
std::string failureMessage(const std::string& what, int pagesBefore);
