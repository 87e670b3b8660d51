#include "app/MainUnit.h"

#include "acquire/AddPicture.h"
#include "app/Conversion.h"
#include "document/Dib.h"
#include "export/CreateThePDF.h"
#include "platform/Random.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

TMainForm::TMainForm(std::vector<std::string> args, std::string settingsFile)
    : args_(std::move(args)), settingsFile_(std::move(settingsFile)) {
    setObjectName("MainForm");
    setWindowTitle(QString::fromUtf8("Torvand Quillory 1.7"));
    resize(734, 474);
    progpath = QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString();
    if (progpath.empty() || progpath.back() != '/') {
        progpath += '/';
    }
    qly::Randomize();
    bilder.buffersize = 100;
    previousSink_ = qly::setMessageSink(&sink_);
}

TMainForm::~TMainForm() {
    if (!saved_) {
        saveSettings();
    }
    bilder.First();
    while (bilder.WhileNext()) {
        freedib(*static_cast<dib*>(abild));
    }
    bilder.Clear();
    qly::setMessageSink(previousSink_);
}

void TMainForm::AddPicture_(const std::string& fileName) { ::AddPicture_(bilder, fileName); }

void TMainForm::CreateThePDF(const std::string& fname) {
    ::CreateThePDF(bilder, settings.exportSettings, fname, batchmode,
                   ExportCallbacks{{}, [] { QCoreApplication::processEvents(); }});
}

void TMainForm::restoreSettings() {
    std::string error;
    if (!loadMainFormSettings(settings, settingsFile_, error)) {
        qly::messageSink().showMessage("", error, qly::MessageIcon::Error);
    }
    const WindowPlacement& p = settings.placement;
    if (p.NormPos[2] > p.NormPos[0] && p.NormPos[3] > p.NormPos[1] &&
        !(p.NormPos[0] == 0 && p.NormPos[1] == 0)) {
        setGeometry(p.NormPos[0], p.NormPos[1], p.NormPos[2] - p.NormPos[0],
                    p.NormPos[3] - p.NormPos[1]);
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // First start: centred on the screen.
        QRect r(0, 0, 734, 474);
        r.moveCenter(screen->availableGeometry().center());
        setGeometry(r);
    }
    if (p.ShowCmd == 3) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

void TMainForm::saveSettings() {
    WindowPlacement& p = settings.placement;
    const QRect g = normalGeometry().isValid() ? normalGeometry() : geometry();
    p.NormPos[0] = g.left();
    p.NormPos[1] = g.top();
    p.NormPos[2] = g.left() + g.width();
    p.NormPos[3] = g.top() + g.height();
    p.ShowCmd = isMaximized() ? 3 : isMinimized() ? 2 : 1;
    p.Visible = isVisible();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        p.PixelsPerInch = static_cast<int>(screen->logicalDotsPerInch());
    }
    std::string error;
    if (!saveMainFormSettings(settings, settingsFile_, error)) {
        qly::messageSink().showMessage("", error, qly::MessageIcon::Error);
    }
    saved_ = true;
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) {
        return;
    }
    shown_ = true;
    restoreSettings();
    // The conversion runs once the window is on the screen.
    QTimer::singleShot(0, this, [this] { FormShow(); });
}

void TMainForm::FormShow() {
    if (args_.empty()) {
        return;
    }
    const ConversionResult r = runConversion(args_, settings.exportSettings,
                                             [] { QCoreApplication::processEvents(); });
    conversionStatus_ = r.exitStatus();
    if (!r.writeError.empty()) {
        // The window stays open after a write error, so the user sees what happened.
        qly::messageSink().showMessage("", r.writeError, qly::MessageIcon::Error);
        return;
    }
    saveSettings();
    QCoreApplication::exit(conversionStatus_);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    saveSettings();
    event->accept();
}
