#pragma once
// The main window opened offscreen with scripted dialogs and a private settings file, and helpers
// to make pages and drive the controls.
#include "app/MainUnit.h"
#include "app/ScriptedDialogs.h"
#include "common/TestDib.h"
#include "document/Dib.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace qlytest {

inline QString u(const char* s) {
    return QString::fromUtf8(s);
}

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
