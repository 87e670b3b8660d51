// The window's document commands: new, save as, open, with the questions they ask.
#include "app/MainFormFixture.h"
#include "pdf/PdfTestUtil.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QRadioButton>

#include <filesystem>
#include <fstream>

using qlytest::MainForm;

namespace {

TEST_F(MainForm, NewDocumentAsksAndEmptiesThePagesButKeepsTheSettings) {
    addPages({10, 20});
    form->BreitEd->setValue(148);
    click("NewBtn");
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].caption, "Datei/Neu");
    EXPECT_EQ(dialogs.boxes[0].text, "Achtung: Alle Bilder werden nun entfernt. Alle Bilder, die "
                                     "noch nicht abgespeichert sind, gehen verloren!");
    EXPECT_EQ(dialogs.boxes[0].icon, qly::MessageIcon::Information);
    EXPECT_EQ(dialogs.boxes[0].buttons, DialogButtons::OkCancel);
    EXPECT_EQ(widths(), (std::vector<int>{10, 20})) << "cancelled";
    dialogs.answers = {DialogAnswer::Ok};
    click("NewBtn");
    EXPECT_TRUE(widths().empty());
    EXPECT_EQ(label2(), "von 0");
    EXPECT_EQ(form->BreitEd->value(), 148);
}

TEST_F(MainForm, SavedDocumentOpensWithItsPagesAndLayout) {
    addPages({10, 20, 30});
    form->BorderCheck->setChecked(true);
    form->RelSizeCheck->setChecked(true);
    form->RandHEd->setValue(7.5);
    form->HochEd->setValue(210);
    form->ShowPDFCheck->setChecked(false);
    const std::string doc = dir.file("work.qly");
    dialogs.chooseFiles({doc});
    click("SaveAsBtn");
    ASSERT_EQ(dialogs.fileDialogs.back().filter, "Quillory Dokumente (*.qly)|*.qly");
    EXPECT_EQ(dialogs.fileDialogs.back().defaultExt, "qly");
    EXPECT_TRUE(dialogs.fileDialogs.back().overwritePrompt);
    ASSERT_TRUE(std::filesystem::exists(doc));

    // Other pages and settings in the window; the document brings its own back.
    addPages({40, 50, 60, 70});
    form->PageEd->setValue(7);
    form->BorderCheck->setChecked(false);
    form->MaxSizeCheck->setChecked(true);
    form->RandHEd->setValue(15);
    form->HochEd->setValue(297);
    form->ShowPDFCheck->setChecked(true);
    form->JpegEd->setValue(40);
    dialogs.answers = {DialogAnswer::Ok};
    dialogs.chooseFiles({doc});
    click("OpenBtn");
    EXPECT_EQ(dialogs.boxes.back().caption, "Datei|Öffnen");
    EXPECT_EQ(dialogs.boxes.back().text, "Alle nicht gespeicherten Einstellungen gehen verloren.");
    EXPECT_EQ(dialogs.boxes.back().icon, qly::MessageIcon::Question);
    EXPECT_EQ(widths(), (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(form->PageEd->value(), 3);
    EXPECT_EQ(label2(), "von 3");
    EXPECT_TRUE(form->BorderCheck->isChecked());
    EXPECT_TRUE(form->RelSizeCheck->isChecked());
    EXPECT_FALSE(form->MaxSizeCheck->isChecked());
    EXPECT_DOUBLE_EQ(form->RandHEd->value(), 7.5);
    EXPECT_DOUBLE_EQ(form->HochEd->value(), 210);
    EXPECT_FALSE(form->ShowPDFCheck->isChecked());
    EXPECT_EQ(form->JpegEd->value(), 40) << "not part of a document";
}

TEST_F(MainForm, ADamagedOrForeignFileChangesNothing) {
    addPages({10, 20});
    const std::string doc = dir.file("work.qly");
    dialogs.chooseFiles({doc});
    click("SaveAsBtn");
    const std::string bytes = pdftest::readFile(doc);
    struct Case {
        const char* name;
        std::string content;
        const char* message;
    };
    const Case cases[] = {
        {"cut.qly", bytes.substr(0, bytes.size() - 10),
         "Fehler: Die Datei ist keine gültige Varnholme Datei..."},
        {"picture.qly", pdftest::readFile(picture(30)),
         "Fehler: Die Datei ist keine gültige Varnholme Datei..."},
        {"missing.qly", "", "Fehler: Konnte Datei nicht öffnen..."},
    };
    form->BorderCheck->setChecked(true);
    for (const Case& c : cases) {
        if (!c.content.empty()) {
            std::ofstream(dir.file(c.name), std::ios::binary) << c.content;
        }
        dialogs.boxes.clear();
        dialogs.answers = {DialogAnswer::Ok};
        dialogs.chooseFiles({dir.file(c.name)});
        click("OpenBtn");
        ASSERT_EQ(dialogs.boxes.size(), 2u) << c.name;
        EXPECT_EQ(dialogs.boxes[1].text, c.message);
        EXPECT_EQ(dialogs.boxes[1].icon, qly::MessageIcon::Error);
        EXPECT_EQ(widths(), (std::vector<int>{10, 20})) << c.name;
        EXPECT_TRUE(form->BorderCheck->isChecked());
    }
    // Declining the question shows no file dialog.
    const size_t shown = dialogs.fileDialogs.size();
    click("OpenBtn");
    EXPECT_EQ(dialogs.fileDialogs.size(), shown);
    // A document that cannot be written is reported.
    dialogs.boxes.clear();
    dialogs.chooseFiles({dir.file("missing/work.qly")});
    click("SaveAsBtn");
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, "Fehler: Konnte Datei nicht erstellen...");
}

} // namespace
