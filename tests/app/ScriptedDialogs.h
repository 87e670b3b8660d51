#pragma once
// Dialogs for window tests: records every message box, file dialog, own dialog, page setup and
// opened address, and answers from queues the test fills (an empty queue answers OK for a box with
// only an OK button, Cancel otherwise).

#include "app/Dialogs.h"

#include <QDialog>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace qlytest {

struct ShownBox {
    std::string caption;
    std::string text;
    qly::MessageIcon icon;
    DialogButtons buttons;
};

class ScriptedDialogs : public Dialogs {
  public:
    ScriptedDialogs() : previous_(setDialogs(this)) {}
    ~ScriptedDialogs() override { setDialogs(previous_); }
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    DialogAnswer messageBox(const std::string& caption, const std::string& text,
                            qly::MessageIcon icon, DialogButtons buttons) override {
        boxes.push_back({caption, text, icon, buttons});
        if (answers.empty()) {
            return buttons == DialogButtons::Ok ? DialogAnswer::Ok : DialogAnswer::Cancel;
        }
        const DialogAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    FileDialogResult openFiles(const FileDialogOptions& o) override { return file(o); }
    FileDialogResult saveFile(const FileDialogOptions& o) override { return file(o); }
    bool execDialog(QDialog& dialog) override {
        dialogTitles.push_back(dialog.windowTitle().toStdString());
        return onDialog ? onDialog(dialog) : false;
    }
    bool pageSetup(QPrinter& printer, QWidget*) override {
        ++pageSetups;
        return onPageSetup ? onPageSetup(printer) : false;
    }
    void openUrl(const std::string& url) override { urls.push_back(url); }

    // Answers for the next file dialogs: accepted with these files and this filter index.
    void chooseFiles(std::vector<std::string> files, int filterIndex = 1) {
        fileAnswers.push_back({true, std::move(files), filterIndex});
    }

    std::deque<DialogAnswer> answers;
    std::deque<FileDialogResult> fileAnswers;
    std::function<bool(QDialog&)> onDialog;
    // Answers the page setup dialog (may change the printer); unset: cancelled.
    std::function<bool(QPrinter&)> onPageSetup;

    std::vector<ShownBox> boxes;
    std::vector<FileDialogOptions> fileDialogs;
    std::vector<std::string> dialogTitles;
    std::vector<std::string> urls;
    int pageSetups = 0;

  private:
    FileDialogResult file(const FileDialogOptions& o) {
        fileDialogs.push_back(o);
        if (fileAnswers.empty()) {
            return {};
        }
        FileDialogResult r = fileAnswers.front();
        fileAnswers.pop_front();
        return r;
    }
    Dialogs* previous_;
};

} // namespace qlytest
