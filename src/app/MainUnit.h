#pragma once
// The main window. For now it holds the page array and runs the command-line conversion when it
// is first shown; the tabs and commands are added around these fields.

#include "app/Dialogs.h"
#include "app/KeptSettings.h"
#include "document/DynaArray.h"
#include "platform/DibRecord.h"

#include <QMainWindow>

#include <memory>
#include <string>
#include <vector>

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // `args`: the command-line arguments after the program name; `settingsFile`: the per-user
    // settings file.
    TMainForm(std::vector<std::string> args, std::string settingsFile);
    ~TMainForm() override;

    // Adds a picture file as the last page; a file that cannot be read is reported.
    void AddPicture_(const std::string& fileName);
    // Writes all pages into `fname` (one file per page while batchmode is true).
    void CreateThePDF(const std::string& fname);

    // Exit status of the command-line conversion (0: every picture added and the PDF written).
    int conversionStatus() const { return conversionStatus_; }

    // Public fields, as the commands use them.
    int32_t adib = 1;
    int32_t StatusPosition = 0;
    std::string progpath;
    void* abild = nullptr;
    TDynaArray bilder{sizeof(dib), &abild};
    bool batchmode = false;
    MainFormSettings settings;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormShow();
    void restoreSettings();
    void saveSettings();

    std::vector<std::string> args_;
    std::string settingsFile_;
    MessageBoxSink sink_{this};
    qly::MessageSink* previousSink_ = nullptr;
    bool shown_ = false;
    bool saved_ = false;
    int conversionStatus_ = 0;
};
