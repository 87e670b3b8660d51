// The scanner dialogs over a fake backend: what they offer, what their buttons allow in each
// state, what they scan with, and when they close.
#include "acquire/ScanDialog.h"
#include "acquire/SelectScannerDialog.h"
#include "acquire/WiaAcquireDialog.h"
#include "common/FakeScanBackend.h"
#include "common/RecordingSink.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

using qlytest::FakeScanBackend;

namespace {

class ScanDialog : public ::testing::Test {
  protected:
    void open(bool single = false) {
        auto backend = std::make_unique<FakeScanBackend>();
        fake = backend.get();
        dialog = std::make_unique<TScanDialog>(nullptr, std::move(backend), single,
                                               ScanDevice{"fake:0", "Fake Scanner"});
        QObject::connect(dialog.get(), &TScanDialog::pageScanned,
                         [this](const ScannedPagePtr& p) { pages.push_back(p); });
        QObject::connect(dialog.get(), &QDialog::finished,
                         [this](int result) { results.push_back(result); });
    }
    void SetUp() override { open(); }
    // Scan, Cancel, Close enabled?
    std::vector<bool> buttons() const {
        return {dialog->ScanButton->isEnabled(), dialog->CancelButton->isEnabled(),
                dialog->CloseButton->isEnabled()};
    }

    qlytest::ScopedRecordingSink sink;
    FakeScanBackend* fake = nullptr;
    std::unique_ptr<TScanDialog> dialog;
    std::vector<ScannedPagePtr> pages;
    std::vector<int> results;
};

TEST_F(ScanDialog, OffersTheDevicesChoicesWithTheCurrentOnesSelected) {
    fake->answerOpened();
    EXPECT_EQ(dialog->DeviceLabel->text(), "Fake Scanner");
    ASSERT_EQ(dialog->SourceBox->count(), 3);
    EXPECT_EQ(dialog->SourceBox->itemText(0), QString::fromUtf8("Flachbett"));
    EXPECT_EQ(dialog->SourceBox->itemText(1), QString::fromUtf8("Vorlageneinzug"));
    EXPECT_EQ(dialog->SourceBox->itemText(2), QString::fromUtf8("Vorlageneinzug (beidseitig)"));
    EXPECT_EQ(dialog->ModeBox->currentText(), QString::fromUtf8("Farbe"));
    EXPECT_EQ(dialog->DepthBox->currentText(), "8 Bit");
    EXPECT_EQ(dialog->ResolutionBox->count(), 4);
    EXPECT_EQ(dialog->ResolutionBox->currentText(), "150 dpi");
    EXPECT_TRUE(dialog->PaperBox->currentText().startsWith("A4"));
    EXPECT_FALSE(dialog->DuplexCheck->isHidden());
}

TEST_F(ScanDialog, ButtonsFollowTheState) {
    EXPECT_EQ(buttons(), (std::vector<bool>{false, false, true})); // opening
    fake->answerOpened();
    EXPECT_EQ(buttons(), (std::vector<bool>{true, false, true}));
    dialog->ScanButton->click();
    EXPECT_EQ(buttons(), (std::vector<bool>{false, true, false}));
    EXPECT_FALSE(dialog->ModeBox->isEnabled());
    dialog->CancelButton->click();
    EXPECT_EQ(fake->cancels, 1);
    EXPECT_EQ(buttons(), (std::vector<bool>{false, false, false}));
    fake->finish(ScanEnd::Cancelled, 0);
    EXPECT_EQ(buttons(), (std::vector<bool>{true, false, true}));
    EXPECT_TRUE(dialog->ModeBox->isEnabled());
    EXPECT_TRUE(results.empty()); // still open
}

TEST_F(ScanDialog, ScansWithWhatTheControlsSay) {
    fake->answerOpened();
    dialog->SourceBox->setCurrentIndex(dialog->SourceBox->findData("ADF Duplex"));
    dialog->ModeBox->setCurrentIndex(dialog->ModeBox->findData("Lineart"));
    dialog->DepthBox->setCurrentIndex(dialog->DepthBox->findData(1));
    dialog->ResolutionBox->setCurrentIndex(dialog->ResolutionBox->findData(300));
    dialog->PaperBox->setCurrentIndex(dialog->PaperBox->findText("A5", Qt::MatchStartsWith));
    dialog->DuplexCheck->setChecked(true);
    dialog->ScanButton->click();
    ASSERT_EQ(fake->scans.size(), 1u);
    const ScanSettings& s = fake->scans[0];
    EXPECT_EQ(s.source, "ADF Duplex");
    EXPECT_EQ(s.mode, "Lineart");
    EXPECT_EQ(s.depth, 1);
    EXPECT_EQ(s.resolution, 300);
    EXPECT_DOUBLE_EQ(s.widthMm, 148);
    EXPECT_DOUBLE_EQ(s.heightMm, 210);
    EXPECT_EQ(s.duplex, ScanSettings::Duplex::On);
    EXPECT_EQ(s.maxPages, 0); // a feeder, several images
}

TEST_F(ScanDialog, PagesAreHandedOnAsTheyArriveAndMultipleModeStaysOpen) {
    fake->answerOpened();
    dialog->ScanButton->click();
    fake->deliverPage(11);
    EXPECT_EQ(pages.size(), 1u);
    fake->deliverPage(12);
    fake->finish(ScanEnd::Done, 2);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[1]->picture().pmi->bmiHeader.biWidth, 12);
    EXPECT_TRUE(results.empty());
    EXPECT_EQ(dialog->ProgressBar->value(), 100);
    EXPECT_TRUE(dialog->StatusLabel->text().contains("2"));
}

TEST_F(ScanDialog, SingleImageModeClosesAfterItsImage) {
    open(true);
    fake->answerOpened();
    dialog->ScanButton->click();
    EXPECT_EQ(fake->scans[0].maxPages, 1);
    fake->deliverPage(11);
    EXPECT_TRUE(results.empty());
    fake->finish(ScanEnd::Done, 1);
    EXPECT_EQ(results, std::vector<int>{QDialog::Accepted});
}

TEST_F(ScanDialog, ClosingWhileScanningCancelsAndClosesWhenTheScanHasStopped) {
    fake->answerOpened();
    dialog->ScanButton->click();
    dialog->reject(); // Esc or the close box
    EXPECT_EQ(fake->cancels, 1);
    EXPECT_TRUE(results.empty());
    fake->deliverPage(11);
    fake->finish(ScanEnd::Cancelled, 1);
    EXPECT_EQ(pages.size(), 1u);
    EXPECT_EQ(results, std::vector<int>{QDialog::Rejected});
}

TEST_F(ScanDialog, AFailureIsToldAndTheDialogStaysForAnotherTry) {
    fake->answerOpened();
    dialog->ScanButton->click();
    fake->deliverPage(11);
    fake->finish(ScanEnd::Failed, 1, "Die Abdeckung des Scanners ist offen.");
    ASSERT_EQ(sink.texts.size(), 1u);
    EXPECT_EQ(sink.texts[0], "Die Abdeckung des Scanners ist offen.\nDie zuvor gescannte Seite "
                             "wurde übernommen.");
    EXPECT_EQ(sink.icons[0], qly::MessageIcon::Warning);
    EXPECT_TRUE(results.empty());
    EXPECT_TRUE(dialog->ScanButton->isEnabled());
    EXPECT_TRUE(dialog->StatusLabel->text().startsWith("Die Abdeckung"));
}

TEST_F(ScanDialog, NoScannerIsToldAndTheDialogCloses) {
    fake->answerOpenFailed(ScanEnd::NoDevice, "Es wurde kein Scanner gefunden.");
    EXPECT_EQ(sink.texts, std::vector<std::string>{"Es wurde kein Scanner gefunden."});
    EXPECT_EQ(results, std::vector<int>{QDialog::Rejected});
}

TEST(PaperSizes, TheWholeAreaAndTheStandardSizesThatFit) {
    auto names = [](double w, double h) {
        std::vector<std::string> out;
        for (const PaperSize& p : paperSizes(w, h)) {
            out.push_back(p.name.substr(0, p.name.find(' ')));
        }
        return out;
    };
    EXPECT_EQ(names(215.9, 297), (std::vector<std::string>{"Ganze", "A4", "A5", "A6", "Letter"}));
    EXPECT_EQ(names(210, 297), (std::vector<std::string>{"Ganze", "A4", "A5", "A6"}));
    EXPECT_EQ(names(216, 356),
              (std::vector<std::string>{"Ganze", "A4", "A5", "A6", "Letter", "Legal"}));
    EXPECT_EQ(names(150, 210), (std::vector<std::string>{"Ganze", "A5", "A6"}));
    EXPECT_TRUE(paperSizes(0, 0).empty());
    EXPECT_EQ(paperSizes(215.9, 297)[0].name, "Ganze Fläche (216 x 297 mm)");
    // Letter on a bed of 215.4 mm is cut to the bed.
    EXPECT_DOUBLE_EQ(paperSizes(215.4, 300)[4].widthMm, 215.4);
}

TEST(SelectScannerDialog, ListsTheDevicesAndPreselectsTheCurrentOne) {
    auto backend = std::make_unique<FakeScanBackend>();
    FakeScanBackend* fake = backend.get();
    TSelectScannerDialog dialog(nullptr, std::move(backend), "b:1", false);
    EXPECT_EQ(fake->listed, 1);
    EXPECT_FALSE(dialog.loaded());
    EXPECT_FALSE(dialog.OkButton->isEnabled());
    fake->answerDevices({{"a:0", "Alpha"}, {"b:1", "Beta"}});
    EXPECT_TRUE(dialog.loaded());
    EXPECT_EQ(dialog.DeviceList->count(), 2);
    EXPECT_EQ(dialog.DeviceList->item(1)->text(), "Beta (b:1)");
    EXPECT_EQ(dialog.chosen().name, "b:1");
    EXPECT_TRUE(dialog.OkButton->isEnabled());
}

TEST(SelectScannerDialog, NoDeviceFailsOnlyWhenAskedTo) {
    for (bool failWhenNone : {false, true}) {
        auto backend = std::make_unique<FakeScanBackend>();
        FakeScanBackend* fake = backend.get();
        TSelectScannerDialog dialog(nullptr, std::move(backend), "", failWhenNone);
        int finished = 0;
        QObject::connect(&dialog, &QDialog::finished, [&] { ++finished; });
        fake->answerDevices({});
        EXPECT_EQ(dialog.failed(), failWhenNone);
        EXPECT_EQ(finished, failWhenNone ? 1 : 0);
        EXPECT_TRUE(dialog.StatusLabel->text().startsWith("Es wurde kein Scanner gefunden"));
        EXPECT_TRUE(dialog.chosen().name.empty());
    }
}

TEST(WiaAcquireDialog, ScansOneImageWithTheDevicesOwnSettings) {
    auto backend = std::make_unique<FakeScanBackend>();
    FakeScanBackend* fake = backend.get();
    TWiaAcquireDialog dialog(nullptr, std::move(backend), {});
    int finished = 0;
    QObject::connect(&dialog, &QDialog::finished, [&] { ++finished; });
    fake->answerOpened();
    ASSERT_EQ(fake->scans.size(), 1u);
    const ScanSettings& s = fake->scans[0];
    EXPECT_TRUE(s.source.empty() && s.mode.empty());
    EXPECT_EQ(s.depth + s.resolution, 0);
    EXPECT_EQ(s.widthMm, 0);
    EXPECT_EQ(s.duplex, ScanSettings::Duplex::Keep);
    EXPECT_EQ(s.maxPages, 1);
    fake->deliverPage(11);
    fake->finish(ScanEnd::Done, 1);
    ASSERT_EQ(finished, 1);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_TRUE(dialog.image());
    EXPECT_FALSE(dialog.failed());
}

TEST(WiaAcquireDialog, CancelIsNoFailureAndADeviceErrorIs) {
    struct Case {
        bool cancel;
        ScanEnd end;
        bool failed;
    };
    for (const Case& c :
         {Case{true, ScanEnd::Cancelled, false}, Case{false, ScanEnd::Failed, true}}) {
        auto backend = std::make_unique<FakeScanBackend>();
        FakeScanBackend* fake = backend.get();
        TWiaAcquireDialog dialog(nullptr, std::move(backend), {});
        int finished = 0;
        QObject::connect(&dialog, &QDialog::finished, [&] { ++finished; });
        fake->answerOpened();
        if (c.cancel) {
            dialog.CancelButton->click();
            EXPECT_EQ(fake->cancels, 1);
            EXPECT_EQ(finished, 0); // until the scan has stopped
        }
        fake->finish(c.end, 0, "Der Scanner ist belegt.");
        EXPECT_EQ(finished, 1);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(dialog.failed(), c.failed);
        EXPECT_FALSE(dialog.image());
    }
}

} // namespace
