#pragma once
// Dialogs for window tests: records every message box, file dialog, own dialog, printer setup and
// opened address, and answers from queues the test fills (an empty queue answers OK for a box with
// only an OK button, Cancel otherwise).

#include "app/Dialogs.h"

#include <QDialog>
#include <QPrinter>
#include <QString>

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
    bool printSetup(QPrinter& printer, QWidget*) override {
        ++printSetups;
        return onPrintSetup ? onPrintSetup(printer) : false;
    }
    void openUrl(const std::string& url) override { urls.push_back(url); }

    // Answers for the next file dialogs: accepted with these files and this filter index.
    void chooseFiles(std::vector<std::string> files, int filterIndex = 1) {
        fileAnswers.push_back({true, std::move(files), filterIndex});
    }

    std::deque<DialogAnswer> answers;
    std::deque<FileDialogResult> fileAnswers;
    std::function<bool(QDialog&)> onDialog;
    // Answers the printer setup (may change the printer); unset: cancelled.
    std::function<bool(QPrinter&)> onPrintSetup;

    // Answers every printer setup from now on as a user would who chose printing into `file`, or
    // the system's printer `name`, and confirmed.
    void choosePrintFile(const std::string& file) {
        onPrintSetup = [file](QPrinter& p) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(QString::fromStdString(file));
            return true;
        };
    }
    void choosePrinter(const std::string& name) {
        onPrintSetup = [name](QPrinter& p) {
            p.setOutputFileName({});
            p.setOutputFormat(QPrinter::NativeFormat);
            p.setPrinterName(QString::fromStdString(name));
            return true;
        };
    }

    std::vector<ShownBox> boxes;
    std::vector<FileDialogOptions> fileDialogs;
    std::vector<std::string> dialogTitles;
    std::vector<std::string> urls;
    int printSetups = 0;

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
