// The scanning dialogs in English with the program's translation, and back in German with
// today's texts: captions, the device's choices as the dialog names them, and the messages.
#include "acquire/ScanDialog.h"
#include "acquire/ScanSession.h"
#include "acquire/SelectScannerDialog.h"
#include "acquire/WiaAcquireDialog.h"
#include "app/Language.h"
#include "common/FakeScanBackend.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

using Language = qly::texts::Language;
using qlytest::FakeScanBackend;

QString items(const QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i) {
        out << box->itemText(i);
    }
    return out.join(u'|');
}

QString formLabels(const TScanDialog& d) {
    QStringList out;
    const auto* form = d.findChild<QFormLayout*>();
    for (int row = 0; form != nullptr && row < form->rowCount(); ++row) {
        if (const QLayoutItem* item = form->itemAt(row, QFormLayout::LabelRole)) {
            out << static_cast<const QLabel*>(item->widget())->text();
        }
    }
    return out.join(u'|');
}

// The dialogs as they stand once the device has answered.
struct Dialogs {
    Dialogs() {
        auto backend = std::make_unique<FakeScanBackend>();
        FakeScanBackend* fake = backend.get();
        scan = std::make_unique<TScanDialog>(nullptr, std::move(backend), false,
                                             ScanDevice{"fake:0", "Fake Scanner"});
        titleBefore = scan->windowTitle();
        fake->answerOpened();
        select = std::make_unique<TSelectScannerDialog>(
            nullptr, std::make_unique<FakeScanBackend>(), std::string(), false);
        wia = std::make_unique<TWiaAcquireDialog>(nullptr, std::make_unique<FakeScanBackend>(),
                                                  ScanDevice{"fake:0", "Fake Scanner"});
    }
    std::unique_ptr<TScanDialog> scan;
    QString titleBefore;
    std::unique_ptr<TSelectScannerDialog> select;
    std::unique_ptr<TWiaAcquireDialog> wia;
};

struct Caption {
    const char* what;
    std::function<QString(const Dialogs&)> text;
    const char* german;
    const char* english;
};

const std::vector<Caption>& captions() {
    static const std::vector<Caption> table = {
        {"title before the device answers", [](const Dialogs& d) { return d.titleBefore; },
         "Scannen", "Scan"},
        {"title", [](const Dialogs& d) { return d.scan->windowTitle(); }, "Scannen - Fake Scanner",
         "Scan - Fake Scanner"},
        {"field labels", [](const Dialogs& d) { return formLabels(*d.scan); },
         "Scanner:|Quelle:|Modus:|Farbtiefe:|Auflösung:|Papierformat:",
         "Scanner:|Source:|Mode:|Bit depth:|Resolution:|Paper size:"},
        {"duplex", [](const Dialogs& d) { return d.scan->DuplexCheck->text(); },
         "Beidseitig scannen (Duplex)", "Scan both sides (duplex)"},
        {"sources", [](const Dialogs& d) { return items(d.scan->SourceBox); },
         "Flachbett|Vorlageneinzug|Vorlageneinzug (beidseitig)",
         "Flatbed|Document feeder|Document feeder (both sides)"},
        {"modes", [](const Dialogs& d) { return items(d.scan->ModeBox); },
         "Schwarzweiß|Graustufen|Farbe", "Black and white|Grayscale|Color"},
        {"depths", [](const Dialogs& d) { return items(d.scan->DepthBox); }, "1 Bit|8 Bit|16 Bit",
         "1 bit|8 bit|16 bit"},
        {"whole bed", [](const Dialogs& d) { return d.scan->PaperBox->itemText(0); },
         "Ganze Fläche (216 x 297 mm)", "Full area (216 x 297 mm)"},
        {"paper chosen", [](const Dialogs& d) { return d.scan->PaperBox->currentText(); },
         "A4 (210 x 297 mm)", "A4 (210 x 297 mm)"},
        {"buttons",
         [](const Dialogs& d) {
             return d.scan->ScanButton->text() + u'|' + d.scan->CancelButton->text() + u'|' +
                    d.scan->CloseButton->text();
         },
         "Scannen|Abbrechen|Schließen", "Scan|Cancel|Close"},
        {"ready", [](const Dialogs& d) { return d.scan->StatusLabel->text(); }, "Bereit.",
         "Ready."},
        {"selection title", [](const Dialogs& d) { return d.select->windowTitle(); },
         "Scanner auswählen", "Select scanner"},
        {"selection status", [](const Dialogs& d) { return d.select->StatusLabel->text(); },
         "Scanner werden gesucht...", "Looking for scanners..."},
        {"selection button", [](const Dialogs& d) { return d.select->OkButton->text(); },
         "Auswählen", "Select"},
        {"one picture title", [](const Dialogs& d) { return d.wia->windowTitle(); }, "Bild scannen",
         "Scan picture"},
        {"one picture status", [](const Dialogs& d) { return d.wia->StatusLabel->text(); },
         "Verbindung zum Scanner wird hergestellt...", "Connecting to the scanner..."},
        {"pages kept after a failure",
         [](const Dialogs&) { return QString::fromStdString(failureMessage("Stau.", 2)); },
         "Stau.\nDie 2 zuvor gescannten Seiten wurden übernommen.",
         "Stau.\nThe 2 pages scanned before have been kept."},
        {"a value with a marker is no marker",
         [](const Dialogs&) { return QString::fromStdString(failureMessage("%2 Stau.", 3)); },
         "%2 Stau.\nDie 3 zuvor gescannten Seiten wurden übernommen.",
         "%2 Stau.\nThe 3 pages scanned before have been kept."},
        {"one page kept",
         [](const Dialogs&) { return QString::fromStdString(failureMessage("Stau.", 1)); },
         "Stau.\nDie zuvor gescannte Seite wurde übernommen.",
         "Stau.\nThe page scanned before has been kept."},
    };
    return table;
}

class ScanDialogTexts : public ::testing::Test {
  protected:
    void TearDown() override { qly::texts::useLanguage(Language::German); }
};

TEST_F(ScanDialogTexts, CaptionsAreEnglishWithTheTranslationAndTodaysInGerman) {
    for (const Language language : {Language::English, Language::German, Language::English}) {
        const bool english = language == Language::English;
        ASSERT_TRUE(qly::texts::useLanguage(language));
        const Dialogs dialogs;
        for (const Caption& c : captions()) {
            EXPECT_EQ(c.text(dialogs).toStdString(), english ? c.english : c.german)
                << c.what << (english ? " in English" : " in German");
        }
    }
}

} // namespace
