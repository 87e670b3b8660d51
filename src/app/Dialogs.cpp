#include "app/Dialogs.h"

#include "view/PrintFUnit.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace {

QtDialogs& realDialogs() {
    static QtDialogs real;
    return real;
}

Dialogs* current = nullptr;

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

QMessageBox::Icon qtIcon(qly::MessageIcon icon) {
    switch (icon) {
    case qly::MessageIcon::Information:
        return QMessageBox::Information;
    case qly::MessageIcon::Warning:
        return QMessageBox::Warning;
    case qly::MessageIcon::Error:
        return QMessageBox::Critical;
    case qly::MessageIcon::Question:
        return QMessageBox::Question;
    case qly::MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QStringList nameFilters(const std::string& filter) {
    QStringList out;
    for (const std::string& f : qtNameFilters(filter)) {
        out << q(f);
    }
    return out;
}

// The dialog as the window sets it up; the filter index is the position of the chosen filter.
FileDialogResult runFileDialog(QWidget* parent, const FileDialogOptions& o, bool save) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save            ? QFileDialog::AnyFile
                       : o.multiSelect ? QFileDialog::ExistingFiles
                                       : QFileDialog::ExistingFile);
    const QStringList filters = nameFilters(o.filter);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(q(o.defaultExt));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !o.overwritePrompt);
    FileDialogResult r;
    if (dialog.exec() != QDialog::Accepted) {
        return r;
    }
    r.accepted = true;
    for (const QString& f : dialog.selectedFiles()) {
        r.files.push_back(f.toStdString());
    }
    const qsizetype index = filters.indexOf(dialog.selectedNameFilter());
    r.filterIndex = index < 0 ? 1 : static_cast<int>(index) + 1;
    r.accepted = !r.files.empty();
    return r;
}

} // namespace

Dialogs& dialogs() {
    return current != nullptr ? *current : realDialogs();
}

void setDialogParent(QWidget* parent) {
    realDialogs().setParent(parent);
}

Dialogs* setDialogs(Dialogs* d) {
    Dialogs* previous = current;
    current = d;
    return previous;
}

std::vector<std::string> qtNameFilters(const std::string& filter) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= filter.size()) {
        const size_t bar = filter.find('|', start);
        parts.push_back(filter.substr(start, bar == std::string::npos ? bar : bar - start));
        if (bar == std::string::npos) {
            break;
        }
        start = bar + 1;
    }
    std::vector<std::string> out;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string text = parts[i];
        std::string patterns = parts[i + 1];
        for (char& c : patterns) {
            if (c == ';') {
                c = ' ';
            }
        }
        // Qt takes the patterns from the last brackets of the text.
        if (!(text.size() > patterns.size() + 2 && text.back() == ')' &&
              text.compare(text.size() - patterns.size() - 1, patterns.size(), patterns) == 0)) {
            text += " (" + patterns + ")";
        }
        out.push_back(text);
    }
    return out;
}

DialogAnswer QtDialogs::messageBox(const std::string& caption, const std::string& text,
                                   qly::MessageIcon icon, DialogButtons buttons) {
    QMessageBox::StandardButtons qb = QMessageBox::Ok;
    if (buttons == DialogButtons::OkCancel) {
        qb = QMessageBox::Ok | QMessageBox::Cancel;
    } else if (buttons == DialogButtons::YesNoCancel) {
        qb = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    QMessageBox box(qtIcon(icon), q(caption), q(text), qb, parent_);
    switch (box.exec()) {
    case QMessageBox::Ok:
        return DialogAnswer::Ok;
    case QMessageBox::Yes:
        return DialogAnswer::Yes;
    case QMessageBox::No:
        return DialogAnswer::No;
    default:
        return buttons == DialogButtons::Ok ? DialogAnswer::Ok : DialogAnswer::Cancel;
    }
}

FileDialogResult QtDialogs::openFiles(const FileDialogOptions& options) {
    return runFileDialog(parent_, options, false);
}

FileDialogResult QtDialogs::saveFile(const FileDialogOptions& options) {
    return runFileDialog(parent_, options, true);
}

bool QtDialogs::execDialog(QDialog& dialog) {
    return dialog.exec() == QDialog::Accepted;
}

bool QtDialogs::printSetup(QPrinter& printer, QWidget* parent) {
    return runPrinterSetup(printer, parent != nullptr ? parent : parent_);
}

void QtDialogs::openUrl(const std::string& url) {
    QDesktopServices::openUrl(QUrl(q(url)));
}

void DialogsMessageSink::showMessage(const std::string& caption, const std::string& text,
                                     qly::MessageIcon icon) {
    dialogs().messageBox(caption, text, icon, DialogButtons::Ok);
}
