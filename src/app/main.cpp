// quillory [option...] [--] [picture... output.pdf]
//
// Without files the window opens. With files, every file but the last is added as a page and all
// pages are written into the PDF file named by the last one, with the kept settings. Without a
// display (no DISPLAY/WAYLAND_DISPLAY, or QT_QPA_PLATFORM=offscreen) the conversion runs with no
// window at all and its messages go to standard error; the exit status is 0 only when every
// picture was added and the PDF was written, 2 for a wrong command line. --help, -h and
// --version print and exit before anything else; Qt's own options go to Qt alone.
#include "app/CommandLine.h"
#include "app/Conversion.h"
#include "app/KeptSettings.h"
#include "app/Language.h"
#include "app/MainUnit.h"
#include "document/Dib.h"
#include "document/DynaArray.h"
#include "platform/Random.h"
#include "platform/Texts.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool haveDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && std::strncmp(platform, "offscreen", 9) == 0) {
        return false;
    }
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x != nullptr && x[0] != 0) || (wayland != nullptr && wayland[0] != 0);
}

int convertWithoutDisplay(int argc, char** argv, const CommandLine& cl) {
    const std::vector<std::string>& args = cl.files;
    QCoreApplication app(argc, argv);
    qly::texts::installIntoApplication();
    qly::Randomize();
    const std::string file = qly::settingsFilePath();
    MainFormSettings settings;
    std::string error;
    if (!loadMainFormSettings(settings, file, error)) {
        std::fprintf(stderr, "quillory: %s\n", error.c_str());
    }
    if (const OutputRefusal refusal = outputRefusal(args)) {
        std::fprintf(stderr, "quillory: %s\n", refusal.message.c_str());
        if (!saveMainFormSettings(settings, file, error)) {
            std::fprintf(stderr, "quillory: %s\n", error.c_str());
        }
        return refusal.exitStatus;
    }
    void* abild = nullptr;
    TDynaArray bilder(sizeof(dib), &abild);
    bilder.buffersize = 100;
    // No page is shown: a JPEG file that goes into the PDF as it is need not be decoded, and
    // every other picture goes to the coders as soon as it is read and is released once coded,
    // so the conversion holds only the pictures being read and coded, however many there are.
    // The command line's choices hold for this run only; the kept settings stay as they were.
    ExportSettings exportSettings = settings.exportSettings;
    applyCommandLine(cl, exportSettings);
    const ConversionResult r = runConversion(bilder, args, exportSettings, {}, nullptr, true);
    const uint32_t pages = bilder.count;
    releaseAllPages(bilder);
    if (!r.writeError.empty()) {
        std::fprintf(stderr, "quillory: %s\n", r.writeError.c_str());
    } else if (!r.pdfWritten) {
        // The message above does not say which file; here it is.
        std::fprintf(stderr, "quillory: %s\n", args.back().c_str());
    }
    if (!saveMainFormSettings(settings, file, error)) {
        std::fprintf(stderr, "quillory: %s\n", error.c_str());
    }
    if (r.exitStatus() == 0) {
        const std::string done =
            qly::withArgs(qly::translate("main", "%1 Seite(n) nach %2 geschrieben"),
                          {std::to_string(pages), args.back()});
        std::fprintf(stderr, "quillory: %s\n", done.c_str());
    }
    return r.exitStatus();
}

} // namespace

int main(int argc, char** argv) {
    // The language first: the help text and the command line's messages are in it too.
    qly::texts::useLanguage(qly::texts::systemLanguage());
    CommandLine cl = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (cl.action) {
    case CommandLine::Action::Help:
        std::fputs(usageText().c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case CommandLine::Action::Version:
        std::fputs(versionText().c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case CommandLine::Action::Error:
        std::fprintf(stderr, "quillory: %s\n%s\n", cl.error.c_str(),
                     qly::translate("main", "Hilfe: quillory --help").c_str());
        return 2;
    case CommandLine::Action::Run:
        break;
    }
    const std::vector<std::string>& args = cl.files;
    // Qt sees the program name and its own options only, so it never takes a file for one of
    // them. The vector outlives the application object, which keeps argc and argv.
    std::vector<char*> qtArgv{argv[0]};
    for (std::string& option : cl.qtOptions) {
        qtArgv.push_back(option.data());
    }
    int qtArgc = static_cast<int>(qtArgv.size());
    qtArgv.push_back(nullptr);
    if (!haveDisplay()) {
        if (args.empty()) {
            std::fprintf(stderr, "quillory: %s\n",
                         qly::translate("main", "kein Bildschirm vorhanden.\n"
                                                "Aufruf ohne Fenster: quillory BILD... AUSGABE.pdf")
                             .c_str());
            return 2;
        }
        return convertWithoutDisplay(qtArgc, qtArgv.data(), cl);
    }
    QApplication app(qtArgc, qtArgv.data());
    // Qt's own texts (the standard buttons, the file dialog) in the window's language.
    qly::texts::installIntoApplication();
    TMainForm form(args, qly::settingsFilePath());
    form.setCommandLineOptions(cl);
    form.show();
    const int rc = app.exec();
    return args.empty() ? rc : form.conversionStatus();
}
