// The window started as a file manager's "open with" starts it: pictures and documents only, no
// output among them.
#include "app/MainFormFixture.h"
#include "pdf/PdfTestUtil.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

using qlytest::MainForm;

namespace {

class OpenWith : public MainForm {
  protected:
    // A document of two pages (widths 60 and 70) with the border on, saved through the window.
    std::string document() {
        addPages({60, 70});
        form->BorderCheck->setChecked(true);
        const std::string doc = dir.file("work.qly");
        dialogs.chooseFiles({doc});
        click("SaveAsBtn");
        form.reset();
        return doc;
    }
    // Every file of the folder with its bytes, but for the settings every window saves at its end.
    std::map<std::string, std::string> files() {
        std::map<std::string, std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
            if (e.path() != settingsFile()) {
                out[e.path().filename().string()] = pdftest::readFile(e.path().string());
            }
        }
        return out;
    }
    // Opens the window with `args` and lets its show handler run.
    void start(std::vector<std::string> args, uint32_t pages) {
        form.reset();
        dialogs.boxes.clear();
        open(std::move(args));
        for (int i = 0;
             i < 100 && (form->bilder.count < pages || form->busy()) && dialogs.boxes.empty();
             ++i) {
            QApplication::processEvents();
        }
    }
};

TEST_F(OpenWith, PicturesAndDocumentsBecomePagesAndNothingIsWritten) {
    const std::string doc = document();
    const std::string a = picture(40);
    const std::string b = picture(50);
    const auto before = files();
    // The document in the middle, and as the last file, where a conversion would write it.
    for (const auto& [args, expected] :
         std::vector<std::pair<std::vector<std::string>, std::vector<int>>>{
             {{a, doc, b}, {40, 60, 70, 50}}, {{b, a, doc}, {50, 40, 60, 70}}}) {
        start(args, uint32_t(expected.size()));
        EXPECT_TRUE(dialogs.boxes.empty()) << dialogs.boxes.front().text;
        EXPECT_EQ(widths(), expected);
        EXPECT_EQ(label2(), "von " + std::to_string(expected.size()));
        EXPECT_EQ(form->PageEd->value(), int(expected.size()));
        // The document's layout is taken over, as opening it does.
        EXPECT_TRUE(form->BorderCheck->isChecked());
        // The window stays, ready for work.
        EXPECT_TRUE(form->isVisible());
        EXPECT_FALSE(form->busy());
        EXPECT_TRUE(control<QPushButton>("SavePDFBtn")->isEnabled());
        EXPECT_EQ(form->conversionStatus(), 0);
        EXPECT_EQ(files(), before);
    }
}

TEST_F(OpenWith, ASinglePictureOpensAsAPage) {
    const std::string a = picture(40, 30, 1);
    const auto before = files();
    start({a}, 1);
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_EQ(widths(), std::vector<int>{40});
    EXPECT_EQ(label2(), "von 1");
    EXPECT_FALSE(form->BorderCheck->isChecked());
    EXPECT_EQ(files(), before);
}

TEST_F(OpenWith, AnOutputOfAnotherKindIsStillRefused) {
    const std::string a = picture(40);
    std::ofstream(dir.file("notes.txt")) << "my notes";
    const auto before = files();
    start({a, dir.file("notes.txt")}, 0);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_NE(dialogs.boxes[0].text.find("nicht überschrieben"), std::string::npos);
    EXPECT_TRUE(widths().empty());
    EXPECT_EQ(form->conversionStatus(), 1);
    EXPECT_EQ(files(), before);
}

} // namespace
