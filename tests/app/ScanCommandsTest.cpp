// The scan commands of the window against SANE's test backend: TWAIN scans arriving as pages, the
// feeder, errors mid-batch, the WIA path with its fallback to TWAIN, choosing the scanner, and
// images that arrive while an export runs.
#include "acquire/SaneScanBackend.h"
#include "acquire/ScanDialog.h"
#include "acquire/ScanSupport.h"
#include "acquire/SelectScannerDialog.h"
#include "acquire/TwainIO2.h"
#include "acquire/WiaAcquireDialog.h"
#include "app/MainFormFixture.h"
#include "common/FakeScanBackend.h"
#include "common/SaneTestBackend.h"
#include "pdf/PdfTestUtil.h"
#include "platform/TempFolder.h"
#include "platform/scan/Sane.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

using qlytest::SaneTestBackend;
using qlytest::waitUntil;

namespace {

// What the test's user does in the TWAIN scanner dialog.
struct TwainChoice {
    std::string source; // data of the source box; empty: as it is
    std::string mode;   // data of the mode box; empty: as it is
    int depth = 0;      // 0: as it is
    std::string paper;  // start of the paper size's text; empty: as it is
};

class Scanning : public qlytest::MainForm {
  protected:
    void SetUp() override {
        SaneTestBackend::instance().configure();
        TWAIN_SetSelectedScanner({});
        previousTmp_ = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
        ::setenv("TMPDIR", tmp.path().c_str(), 1);
        // The private temporary folder is made anew under this TMPDIR at its next need.
        qly::removeTempFolder();
        MainForm::SetUp();
        dialogs.onDialog = [this](QDialog& d) { return drive(d); };
    }
    void TearDown() override {
        MainForm::TearDown();
        setScanBackendFactory({});
        TWAIN_SetSelectedScanner({});
        qly::removeTempFolder();
        if (previousTmp_.empty()) {
            ::unsetenv("TMPDIR");
        } else {
            ::setenv("TMPDIR", previousTmp_.c_str(), 1);
        }
    }
    // Every backend the layers make is SANE's with this hook (the n-th backend gets hooks[n] when
    // there are several).
    void useHooks(std::vector<SaneScanBackend::PageHook> hooks) {
        setScanBackendFactory([this, hooks]() -> std::unique_ptr<ScanBackend> {
            const size_t n = backendsMade++;
            return std::make_unique<SaneScanBackend>(
                hooks.empty() ? SaneScanBackend::PageHook{} : hooks[std::min(n, hooks.size() - 1)]);
        });
    }
    void useTwain() { form->ScanUsingWIAChecked->setChecked(false); }
    // Clicks "Scannen..." and lets every image that was posted arrive.
    void scan() {
        click("ScanBtn");
        waitUntil([] { return TWAIN_PendingImages() == 0; });
        QCoreApplication::processEvents();
    }

    bool drive(QDialog& d) {
        bool finished = false;
        QObject::connect(&d, &QDialog::finished, [&] { finished = true; });
        if (auto* scan = qobject_cast<TScanDialog*>(&d)) {
            using State = ScanSession::State;
            waitUntil([&] { return finished || scan->session().state() != State::Opening; });
            if (finished) {
                return d.result() == QDialog::Accepted;
            }
            scannerOpened = scan->session().capabilities().device.name;
            auto pick = [](QComboBox* box, const QVariant& data) {
                if (data.isValid() && box->findData(data) >= 0) {
                    box->setCurrentIndex(box->findData(data));
                }
            };
            if (!twain.source.empty()) {
                pick(scan->SourceBox, QString::fromStdString(twain.source));
            }
            if (!twain.mode.empty()) {
                pick(scan->ModeBox, QString::fromStdString(twain.mode));
            }
            if (twain.depth > 0) {
                pick(scan->DepthBox, twain.depth);
            }
            if (!twain.paper.empty()) {
                scan->PaperBox->setCurrentIndex(scan->PaperBox->findText(
                    QString::fromStdString(twain.paper), Qt::MatchStartsWith));
            }
            scan->ScanButton->click();
            waitUntil([&] {
                const State s = scan->session().state();
                return finished || (s != State::Scanning && s != State::Cancelling);
            });
            // The pages are in the window while the dialog is still open.
            waitUntil([] { return TWAIN_PendingImages() == 0; });
            pagesWhileOpen = form->bilder.count;
            closedItself = finished;
            if (!finished) {
                scan->CloseButton->click();
            }
            return d.result() == QDialog::Accepted;
        }
        if (auto* wia = qobject_cast<TWiaAcquireDialog*>(&d)) {
            if (cancelWia) {
                wia->CancelButton->click();
            }
            waitUntil([&] { return finished; });
            wiaDevice = wia->device().name;
            if (afterWia) {
                afterWia();
            }
            return d.result() == QDialog::Accepted;
        }
        if (auto* select = qobject_cast<TSelectScannerDialog*>(&d)) {
            waitUntil([&] { return finished || select->loaded(); });
            if (finished) {
                return false;
            }
            for (size_t i = 0; i < select->devices().size(); ++i) {
                if (select->devices()[i].name == chooseDevice) {
                    select->DeviceList->setCurrentRow(static_cast<int>(i));
                }
            }
            select->OkButton->click();
            return d.result() == QDialog::Accepted;
        }
        return false;
    }

    std::vector<int> depths() {
        std::vector<int> out;
        for (uint32_t i = 0; i < form->bilder.count; ++i) {
            out.push_back(dibbits(*static_cast<dib*>(form->bilder.GetObject(i))));
        }
        return out;
    }
    const dib& page(uint32_t i) { return *static_cast<dib*>(form->bilder.GetObject(i)); }
    std::vector<std::string> wiaFiles() {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(qly::tempFolder())) {
            out.push_back(e.path().filename().string());
        }
        return out;
    }

    qlytest::TempDir tmp;
    TwainChoice twain;
    bool cancelWia = false;
    std::function<void()> afterWia;
    std::string chooseDevice;
    size_t backendsMade = 0;
    std::string scannerOpened;
    std::string wiaDevice;
    uint32_t pagesWhileOpen = 0;
    bool closedItself = false;

  private:
    std::string previousTmp_;
};

// The feeder of the test backend as a stack of sheets: each 10 mm wider than the one before,
// `sheets` of them, then the feeder is empty.
SaneScanBackend::PageHook feederOf(int sheets) {
    return [sheets](qly::sane::Device& d, int page) {
        d.setNumber("br-x", 10.0 * page);
        if (page == sheets + 1) {
            d.setString("read-return-value", "SANE_STATUS_NO_DOCS");
        }
    };
}

TEST_F(Scanning, TwainColourGreyAndLineartScansArriveAsPagesOfTheirDepthAndSize) {
    useTwain();
    // The scan resolution setting only serves the PDF page width: the scanner never sees it.
    form->ScanResEd->setValue(600);
    struct Case {
        const char* mode;
        int depth;
        int bits;
    };
    const Case cases[] = {{"Color", 8, 24}, {"Gray", 8, 8}, {"Gray", 1, 1}};
    for (const Case& c : cases) {
        twain = {"Flatbed", c.mode, c.depth, "A6"};
        scan();
    }
    EXPECT_EQ(depths(), (std::vector<int>{24, 8, 1}));
    for (uint32_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(dibwidth(page(i)), 310); // A6 at the device's 75 dpi
        EXPECT_EQ(dibheight(page(i)), 437);
        EXPECT_EQ(page(i).pmi->bmiHeader.biXPelsPerMeter, 2953);
    }
    // Lineart: 0 black, 1 white.
    EXPECT_EQ(page(2).pmi->bmiColors[0].rgbRed, 0);
    EXPECT_EQ(page(2).pmi->bmiColors[1].rgbRed, 255);
    EXPECT_EQ(label2(), "von 3");
    EXPECT_EQ(form->PageEd->value(), 3);
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_EQ(scannerOpened, "test:0");
}

TEST_F(Scanning, ThreeFeederPagesInMultipleImagesModeArriveInOrder) {
    useTwain();
    addPages({40});
    useHooks({feederOf(3)});
    twain.source = "Automatic Document Feeder";
    scan();
    EXPECT_EQ(widths(), (std::vector<int>{40, 29, 59, 88}));
    EXPECT_EQ(label2(), "von 4");
    EXPECT_EQ(form->PageEd->value(), 4);
    EXPECT_EQ(form->PageEd->maximum(), 4);
    EXPECT_EQ(pagesWhileOpen, 4u);
    EXPECT_FALSE(closedItself);
    EXPECT_TRUE(dialogs.boxes.empty()) << "an empty feeder is the normal end";
}

TEST_F(Scanning, TheFeederIsScannedUntilItIsEmpty) {
    useTwain();
    twain.source = "Automatic Document Feeder";
    twain.paper = "A6";
    scan();
    EXPECT_EQ(form->bilder.count, 10u);
    EXPECT_EQ(label2(), "von 10");
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(Scanning, AJamMidBatchKeepsThePagesBeforeItAndSaysWhatHappened) {
    useTwain();
    useHooks({[](qly::sane::Device& d, int page) {
        if (page == 3) {
            d.setString("read-return-value", "SANE_STATUS_JAMMED");
        }
    }});
    twain.source = "Automatic Document Feeder";
    scan();
    EXPECT_EQ(form->bilder.count, 2u);
    EXPECT_EQ(label2(), "von 2");
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].caption, "Scannen");
    EXPECT_EQ(dialogs.boxes[0].text,
              "Papierstau im Vorlageneinzug.\nDie 2 zuvor gescannten Seiten wurden übernommen.");
    EXPECT_EQ(dialogs.boxes[0].icon, qly::MessageIcon::Warning);
}

TEST_F(Scanning, TheSingleImageSettingIsReadRightBeforeEachScan) {
    useTwain();
    twain.source = "Automatic Document Feeder";
    twain.paper = "A6";
    form->SingleImageCheck->setChecked(true);
    scan();
    EXPECT_EQ(form->bilder.count, 1u);
    EXPECT_TRUE(closedItself) << "single-image mode closes the dialog after the image";
    EXPECT_TRUE(TWAIN_SingleImageMode());
    form->SingleImageCheck->setChecked(false);
    scan();
    EXPECT_EQ(form->bilder.count, 11u);
    EXPECT_FALSE(closedItself);
    EXPECT_FALSE(TWAIN_SingleImageMode());
}

TEST_F(Scanning, NoScannerOnTheTwainPathIsToldPlainly) {
    useTwain();
    SaneTestBackend::instance().configureNoDevice();
    scan();
    EXPECT_EQ(form->bilder.count, 0u);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, "Es wurde kein Scanner gefunden. Bitte prüfen Sie, ob der "
                                     "Scanner angeschlossen und eingeschaltet ist.");
}

TEST_F(Scanning, AWiaScanAddsOnePageWithTheDevicesOwnSettingsAndRemovesItsFile) {
    ASSERT_TRUE(form->ScanUsingWIAChecked->isChecked());
    scan();
    ASSERT_EQ(form->bilder.count, 1u);
    EXPECT_EQ(dibbits(page(0)), 24); // the device is set to colour
    EXPECT_EQ(dibwidth(page(0)), 147);
    EXPECT_EQ(dibheight(page(0)), 118);
    EXPECT_EQ(label2(), "von 1");
    EXPECT_EQ(dialogs.dialogTitles, std::vector<std::string>{"Bild scannen"});
    EXPECT_TRUE(wiaFiles().empty());
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(Scanning, ACancelledWiaDialogAddsNothingAndStartsNoTwainScan) {
    cancelWia = true;
    scan();
    EXPECT_EQ(form->bilder.count, 0u);
    EXPECT_EQ(dialogs.dialogTitles, std::vector<std::string>{"Bild scannen"});
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(Scanning, AWiaDeviceErrorFallsBackToTheTwainScanWithoutAMessage) {
    // The device fails every read as it comes; the TWAIN scan that follows sets it right again,
    // so it brings its page.
    form.reset();
    SaneTestBackend::instance().configure("read-status-code \"SANE_STATUS_IO_ERROR\"\n");
    open();
    useHooks({{}, [](qly::sane::Device& d, int) { d.setString("read-return-value", "Default"); }});
    scan();
    EXPECT_EQ(dialogs.dialogTitles, (std::vector<std::string>{"Bild scannen", "Scannen"}));
    EXPECT_EQ(form->bilder.count, 1u) << "the TWAIN scan brought the page";
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_TRUE(wiaFiles().empty());
}

TEST_F(Scanning, WithoutAnyScannerTheWiaPathEndsInTwainsOwnMessage) {
    SaneTestBackend::instance().configureNoDevice();
    scan();
    EXPECT_EQ(dialogs.dialogTitles, (std::vector<std::string>{"Bild scannen", "Scannen"}));
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text.rfind("Es wurde kein Scanner gefunden.", 0), 0u);
}

TEST_F(Scanning, TwoWiaScansInARowUseTheSameTemporaryName) {
    // The picture is written, and then cannot be read back: the library's pixel cap is lowered
    // once the scan is done, so the message shows the name that was used.
    afterWia = [] { SetDibPixelLimit(100); };
    const uint64_t cap = SetDibPixelLimit(uint64_t{1} << 31);
    SetDibPixelLimit(cap);
    for (int i = 0; i < 2; ++i) {
        scan();
        SetDibPixelLimit(cap);
    }
    const std::string name = qly::tempFolder() + "wiaimage0.png";
    ASSERT_EQ(dialogs.boxes.size(), 2u);
    for (const qlytest::ShownBox& b : dialogs.boxes) {
        EXPECT_EQ(b.caption, "dd");
        EXPECT_EQ(b.text, "Could not load image: " + name);
        EXPECT_EQ(b.buttons, DialogButtons::Ok);
    }
    EXPECT_EQ(form->bilder.count, 0u);
    EXPECT_TRUE(wiaFiles().empty()) << "removed even though it could not be read";
    EXPECT_EQ(dialogs.dialogTitles.size(), 2u) << "no TWAIN scan after a file that cannot be read";

    // A file of that name that is not ours is left alone: the next free name is taken.
    std::ofstream(name) << "someone else's";
    dialogs.boxes.clear();
    scan();
    SetDibPixelLimit(cap);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text,
              "Could not load image: " + qly::tempFolder() + "wiaimage1.png");
    EXPECT_EQ(wiaFiles(), std::vector<std::string>{"wiaimage0.png"});
}

TEST_F(Scanning, ChoosingTheScannerKeepsItForLaterScans) {
    SaneTestBackend::instance().configure("number_of_devices 2\n");
    chooseDevice = "test:1";
    // WIA: the device chosen is the one the next WIA scan uses.
    click("SourceBtn");
    EXPECT_EQ(dialogs.dialogTitles, std::vector<std::string>{"Scanner auswählen"});
    scan();
    EXPECT_EQ(wiaDevice, "test:1");
    EXPECT_EQ(form->bilder.count, 1u);
    // TWAIN: the choice is kept for the run.
    useTwain();
    click("SourceBtn");
    EXPECT_EQ(TWAIN_SelectedScanner().name, "test:1");
    twain.paper = "A6";
    scan();
    EXPECT_EQ(scannerOpened, "test:1");
    EXPECT_EQ(form->bilder.count, 2u);
}

TEST_F(Scanning, WithoutAnyScannerWiasSelectionFallsBackToTwainsSilently) {
    SaneTestBackend::instance().configureNoDevice();
    click("SourceBtn");
    EXPECT_EQ(dialogs.dialogTitles,
              (std::vector<std::string>{"Scanner auswählen", "Scanner auswählen"}));
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_TRUE(TWAIN_SelectedScanner().name.empty());
}

TEST_F(Scanning, AnImageMessageWithoutAnImageChangesNothing) {
    addPages({40});
    QCoreApplication::postEvent(form.get(), std::make_unique<TwainImageEvent>(987654).release());
    QCoreApplication::processEvents();
    EXPECT_EQ(form->bilder.count, 1u);
    EXPECT_EQ(label2(), "von 1");
}

TEST_F(Scanning, AnImageArrivingDuringAnExportWaitsUntilTheExportHasEnded) {
    useTwain();
    addPages({40, 50});
    qlytest::FakeScanBackend* fake = nullptr;
    setScanBackendFactory([&fake]() -> std::unique_ptr<ScanBackend> {
        auto b = std::make_unique<qlytest::FakeScanBackend>();
        fake = b.get();
        return b;
    });
    // The scanner dialog hands on one image and closes before the window has seen it.
    dialogs.onDialog = [&](QDialog& d) {
        auto& scanDialog = dynamic_cast<TScanDialog&>(d);
        fake->answerOpened();
        scanDialog.ScanButton->click();
        fake->deliverPage(33);
        fake->finish(ScanEnd::Done, 1);
        return false;
    };
    click("ScanBtn");
    EXPECT_EQ(TWAIN_PendingImages(), 1u);
    EXPECT_EQ(form->bilder.count, 2u);

    bool scanLocked = false;
    QTimer::singleShot(0, form.get(), [&] {
        scanLocked = form->busy() && !form->ScanBtn->isEnabled() && !form->SourceBtn->isEnabled();
    });
    const std::string pdf = dir.file("out.pdf");
    dialogs.chooseFiles({pdf});
    click("SavePDFBtn");
    EXPECT_TRUE(scanLocked);
    EXPECT_EQ(pdftest::pdfimagesList(pdf).size(), 2u) << "the export saw the pages it started with";
    ASSERT_TRUE(waitUntil([&] { return form->bilder.count == 3; }));
    EXPECT_EQ(widths(), (std::vector<int>{40, 50, 33}));
    EXPECT_EQ(label2(), "von 3");
    EXPECT_TRUE(form->ScanBtn->isEnabled());
}

} // namespace
