// The scanner dialogs' state machine over a fake backend.
#include "acquire/ScanSession.h"
#include "common/FakeScanBackend.h"

#include <gtest/gtest.h>

#include <memory>

using qlytest::FakeScanBackend;
using State = ScanSession::State;

namespace {

class Session : public ::testing::Test {
  protected:
    void make(bool single) {
        auto backend = std::make_unique<FakeScanBackend>();
        fake = backend.get();
        session = std::make_unique<ScanSession>(std::move(backend), single);
        QObject::connect(session.get(), &ScanSession::pageReady, [this](const ScannedPagePtr& p) {
            widths.push_back(p->picture().pmi->bmiHeader.biWidth);
        });
        QObject::connect(session.get(), &ScanSession::failed,
                         [this](const std::string& m) { failures.push_back(m); });
        QObject::connect(session.get(), &ScanSession::stateChanged,
                         [this](State s) { states.push_back(s); });
        session->open({"fake:0", "Fake"});
    }
    void SetUp() override { make(false); }
    ScanSettings feeder() {
        ScanSettings s;
        s.source = "Automatic Document Feeder";
        return s;
    }

    FakeScanBackend* fake = nullptr;
    std::unique_ptr<ScanSession> session;
    std::vector<int> widths;
    std::vector<std::string> failures;
    std::vector<State> states;
};

TEST_F(Session, OpensBeforeItScans) {
    EXPECT_EQ(session->state(), State::Opening);
    ASSERT_EQ(fake->opens.size(), 1u);
    EXPECT_EQ(fake->opens[0].name, "fake:0");
    EXPECT_FALSE(session->scan({}));
    EXPECT_TRUE(fake->scans.empty());
    fake->answerOpened();
    EXPECT_EQ(session->state(), State::Idle);
    EXPECT_EQ(session->capabilities().modes.size(), 3u);
    EXPECT_TRUE(session->scan({}));
    EXPECT_EQ(session->state(), State::Scanning);
    EXPECT_FALSE(session->scan({})); // one scan at a time
    EXPECT_EQ(fake->scans.size(), 1u);
}

TEST_F(Session, ADeviceThatCannotBeOpenedEndsEverything) {
    fake->answerOpenFailed(ScanEnd::NoDevice, "Es wurde kein Scanner gefunden.");
    EXPECT_EQ(session->state(), State::Failed);
    EXPECT_EQ(failures, std::vector<std::string>{"Es wurde kein Scanner gefunden."});
    EXPECT_FALSE(session->scan({}));
    fake->answerOpened(); // too late: ignored
    EXPECT_EQ(session->state(), State::Failed);
}

TEST_F(Session, PagesArePassedOnInOrderAndTheRunEndsIdle) {
    fake->answerOpened();
    session->scan(feeder());
    for (int w : {11, 12, 13}) {
        fake->deliverPage(w);
    }
    fake->finish(ScanEnd::FeederEmpty, 3);
    EXPECT_EQ(widths, (std::vector<int>{11, 12, 13}));
    EXPECT_EQ(session->pages(), 3);
    EXPECT_EQ(session->state(), State::Idle);
    EXPECT_TRUE(failures.empty());
    EXPECT_EQ(states, (std::vector<State>{State::Idle, State::Scanning, State::Idle}));
}

TEST_F(Session, CancellingKeepsThePagesThatWereCompleteAndEndsIdle) {
    fake->answerOpened();
    session->scan(feeder());
    fake->deliverPage(11);
    session->cancel();
    EXPECT_EQ(session->state(), State::Cancelling);
    EXPECT_EQ(fake->cancels, 1);
    session->cancel(); // asked once is enough
    EXPECT_EQ(fake->cancels, 1);
    fake->deliverPage(12); // finished before the backend saw the cancel
    fake->finish(ScanEnd::Cancelled, 2);
    EXPECT_EQ(widths, (std::vector<int>{11, 12}));
    EXPECT_EQ(session->state(), State::Idle);
    EXPECT_TRUE(failures.empty());
}

TEST_F(Session, AnErrorWhileCancellingIsNotReported) {
    fake->answerOpened();
    session->scan(feeder());
    session->cancel();
    fake->finish(ScanEnd::Failed, 0, "Fehler bei der Verbindung zum Scanner.");
    EXPECT_EQ(session->state(), State::Idle);
    EXPECT_TRUE(failures.empty());
}

TEST_F(Session, AFailureMidBatchSaysWhatHappenedAndHowManyPagesWereKept) {
    fake->answerOpened();
    session->scan(feeder());
    fake->deliverPage(11);
    fake->deliverPage(12);
    fake->finish(ScanEnd::Failed, 2, "Papierstau im Vorlageneinzug.");
    EXPECT_EQ(widths.size(), 2u);
    EXPECT_EQ(session->state(), State::Error);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0],
              "Papierstau im Vorlageneinzug.\nDie 2 zuvor gescannten Seiten wurden übernommen.");
    EXPECT_EQ(session->message(), failures[0]);
    // After clearing the jam the user scans again.
    EXPECT_TRUE(session->scan(feeder()));
    EXPECT_EQ(session->state(), State::Scanning);
    EXPECT_TRUE(session->message().empty());
}

TEST_F(Session, PagesOrEndingsOutsideARunAreIgnored) {
    fake->answerOpened();
    fake->deliverPage(11);
    fake->finish(ScanEnd::Failed, 0, "x");
    EXPECT_TRUE(widths.empty());
    EXPECT_TRUE(failures.empty());
    EXPECT_EQ(session->state(), State::Idle);
}

TEST(SessionPages, OnePageInSingleImageModeOrFromAFlatbedElseUntilTheFeederIsEmpty) {
    struct Case {
        bool single;
        const char* chosenSource; // "" leaves the device's own
        const char* deviceSource;
        int maxPages;
    };
    const Case cases[] = {
        {true, "Automatic Document Feeder", "Flatbed", 1},
        {false, "Automatic Document Feeder", "Flatbed", 0},
        {false, "ADF Duplex", "Flatbed", 0},
        {false, "Flatbed", "Automatic Document Feeder", 1},
        {false, "", "ADF Front", 0},
        {false, "", "Flatbed", 1},
        {true, "", "ADF", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.chosenSource) + "/" + c.deviceSource);
        auto backend = std::make_unique<FakeScanBackend>();
        FakeScanBackend* fake = backend.get();
        ScanSession session(std::move(backend), c.single);
        session.open({});
        ScanCapabilities caps = FakeScanBackend::typicalScanner();
        caps.source = c.deviceSource;
        fake->answerOpened(caps);
        ScanSettings s;
        s.source = c.chosenSource;
        s.maxPages = 99; // the session decides
        session.scan(s);
        ASSERT_EQ(fake->scans.size(), 1u);
        EXPECT_EQ(fake->scans[0].maxPages, c.maxPages);
    }
}

TEST_F(Session, SingleImageModeIsDoneOnlyAfterARunWithAPage) {
    make(true);
    fake->answerOpened();
    session->scan({});
    fake->finish(ScanEnd::Cancelled, 0);
    EXPECT_FALSE(session->done());
    session->scan({});
    fake->deliverPage(11);
    EXPECT_FALSE(session->done()); // the run has not ended yet
    fake->finish(ScanEnd::Done, 1);
    EXPECT_TRUE(session->done());
}

TEST(ScanTexts, FeederSourcesAreRecognisedByTheirNames) {
    for (const char* s : {"Automatic Document Feeder", "ADF", "ADF Duplex", "adf front",
                          "Document Feeder", "Duplex", "Einzug"}) {
        EXPECT_TRUE(isFeederSource(s)) << s;
    }
    for (const char* s : {"Flatbed", "Transparency Adapter", "", "Film"}) {
        EXPECT_FALSE(isFeederSource(s)) << s;
    }
}

TEST(ScanTexts, TheFailureMessageCountsThePagesKept) {
    EXPECT_EQ(failureMessage("Stau.", 0), "Stau.");
    EXPECT_EQ(failureMessage("Stau.", 1), "Stau.\nDie zuvor gescannte Seite wurde übernommen.");
    EXPECT_EQ(failureMessage("Stau.", 3),
              "Stau.\nDie 3 zuvor gescannten Seiten wurden übernommen.");
}

} // namespace
