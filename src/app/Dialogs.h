#pragma once
// Every message box and file dialog of the window goes through one small interface, so the
// window's commands can be driven in tests by a scripted implementation that records what was
// shown and answers as the test says. The real implementation uses QMessageBox, QFileDialog and
// the desktop's opener.

#include "platform/Messages.h"

#include <string>
#include <vector>

class QDialog;
class QPrinter;
class QWidget;

enum class DialogButtons { Ok, OkCancel, YesNoCancel };
enum class DialogAnswer { Ok, Cancel, Yes, No };

// A file dialog as the window sets it up. Filters are "Text|*.a;*.b|Text|*.c".
struct FileDialogOptions {
    std::string filter;
    std::string defaultExt;       // without the dot; empty: none is appended
    bool overwritePrompt = false; // save: ask before an existing file is replaced
    bool multiSelect = false;     // open: several files may be chosen
};

struct FileDialogResult {
    bool accepted = false;
    std::vector<std::string> files; // in the dialog's order
    int filterIndex = 1;            // 1-based position of the chosen filter
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // A modal message box; returns the button pressed (closing the box counts as Cancel, or as
    // Ok for a box with only an OK button).
    virtual DialogAnswer messageBox(const std::string& caption, const std::string& text,
                                    qly::MessageIcon icon, DialogButtons buttons) = 0;
    virtual FileDialogResult openFiles(const FileDialogOptions& options) = 0;
    virtual FileDialogResult saveFile(const FileDialogOptions& options) = 0;
    // Shows one of the program's own dialogs modally; true when it was confirmed.
    virtual bool execDialog(QDialog& dialog) = 0;
    // The printer setup for `printer`, modal to `parent`: the printer or a PDF file the jobs go
    // to, and the paper, orientation and margins (view/PrintFUnit.h, runPrinterSetup). True when
    // it was confirmed, and then the printer holds the choices; a cancel leaves it as it was.
    virtual bool printSetup(QPrinter& printer, QWidget* parent) = 0;
    // Hands a web address or a local file to the desktop, which opens it in the application
    // associated with it. Nothing is reported back.
    virtual void openUrl(const std::string& url) = 0;
};

// The dialogs in force (the real ones unless a test installed others); never null.
Dialogs& dialogs();
// Installs `d` (not owned; null restores the real ones). Returns the previous one.
Dialogs* setDialogs(Dialogs* d);
// The window the real dialogs are centred on and modal to (null: none).
void setDialogParent(QWidget* parent);

// Converts "Text|*.a;*.b|..." into Qt's name filters ("Text (*.a *.b)"); a text that already ends
// in its patterns in brackets is kept as it is.
std::vector<std::string> qtNameFilters(const std::string& filter);

// The real dialogs, parented to `parent` (which may change, see setParent).
class QtDialogs : public Dialogs {
  public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    DialogAnswer messageBox(const std::string& caption, const std::string& text,
                            qly::MessageIcon icon, DialogButtons buttons) override;
    FileDialogResult openFiles(const FileDialogOptions& options) override;
    FileDialogResult saveFile(const FileDialogOptions& options) override;
    bool execDialog(QDialog& dialog) override;
    bool printSetup(QPrinter& printer, QWidget* parent) override;
    void openUrl(const std::string& url) override;

  private:
    QWidget* parent_;
};

// The engine's messages as message boxes with an OK button, through dialogs().
class DialogsMessageSink : public qly::MessageSink {
  public:
    void showMessage(const std::string& caption, const std::string& text,
                     qly::MessageIcon icon) override;
};
