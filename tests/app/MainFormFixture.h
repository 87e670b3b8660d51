#pragma once
// The main window opened offscreen with scripted dialogs and a private settings file, and helpers
// to make pages and drive the controls.
#include "app/Language.h"
#include "app/MainUnit.h"
#include "app/ScriptedDialogs.h"
#include "common/TestDib.h"
#include "document/Dib.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace qlytest {

inline QString u(const char* s) {
    return QString::fromUtf8(s);
}

// The program's texts in `language` while it lives; then German again, as the tests expect, with
// the locale of numbers as it was before.
class InLanguage {
  public:
    explicit InLanguage(qly::texts::Language language) {
        EXPECT_TRUE(qly::texts::useLanguage(language));
    }
    ~InLanguage() {
        qly::texts::useLanguage(qly::texts::Language::German);
        QLocale::setDefault(numbers_);
    }
    InLanguage(const InLanguage&) = delete;
    InLanguage& operator=(const InLanguage&) = delete;

  private:
    QLocale numbers_;
};

class MainForm : public ::testing::Test {
  protected:
    void SetUp() override { open(); }
    void TearDown() override { form.reset(); }

    void open(std::vector<std::string> args = {}) {
        form = std::make_unique<TMainForm>(std::move(args), settingsFile());
        form->show();
        QApplication::processEvents();
    }
    std::string settingsFile() const { return dir.file("quillory.ini"); }
    // The window built anew, without kept settings, once the texts are in `language`; German
    // again when the returned guard ends. The window already open is German: with `always`
    // false it stays for German, and no guard is returned.
    std::unique_ptr<InLanguage> reopenIn(qly::texts::Language language, bool always = false) {
        if (language == qly::texts::Language::German && !always) {
            return nullptr;
        }
        form.reset();
        std::filesystem::remove(settingsFile());
        auto guard = std::make_unique<InLanguage>(language);
        open();
        return guard;
    }
    template <typename T> T* control(const char* name) {
        T* w = form->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void click(const char* name) { control<QAbstractButton>(name)->click(); }
    // A BMP picture whose width tells the pages apart.
    std::string picture(int width, int height = 30, int bits = 24) {
        qlytest::OwnedDib d;
        qlytest::makePattern(d, width, height, bits, uint32_t(width));
        const std::string file = dir.file("p" + std::to_string(width) + ".bmp");
        EXPECT_EQ(SaveDib(*d, file, DIB_BMP), 1);
        return file;
    }
    void addPages(std::initializer_list<int> widths) {
        std::vector<std::string> files;
        for (int w : widths) {
            files.push_back(picture(w));
        }
        dialogs.chooseFiles(files);
        click("OpenPicsBtn");
    }
    std::vector<int> widths() {
        std::vector<int> out;
        for (uint32_t i = 0; i < form->bilder.count; ++i) {
            out.push_back(dibwidth(*static_cast<dib*>(form->bilder.GetObject(i))));
        }
        return out;
    }
    std::string label2() { return form->Label2->text().toStdString(); }

    qlytest::TempDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<TMainForm> form;
};

} // namespace qlytest
