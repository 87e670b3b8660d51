#include "app/CommandLine.h"

#include "export/PageLayout.h"
#include "ocr/TextRecognition.h"
#include "platform/Texts.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

// Qt's own command-line options (QGuiApplication, QApplication, the xcb platform): those that
// take the next argument as their value, and those that stand alone. Qt accepts each with one or
// two dashes.
constexpr std::array<std::string_view, 16> kQtOptionsWithValue = {
    "platform",        "platformpluginpath",
    "platformtheme",   "plugin",
    "qwindowgeometry", "qwindowtitle",
    "qwindowicon",     "geometry",
    "title",           "icon",
    "display",         "name",
    "visual",          "style",
    "stylesheet",      "session"};
constexpr std::array<std::string_view, 5> kQtFlags = {"reverse", "nograb", "dograb", "widgetcount",
                                                      "testability"};
// Options Qt also takes in the form -option=value.
constexpr std::array<std::string_view, 3> kQtOptionsWithEquals = {"style", "stylesheet",
                                                                  "qmljsdebugger"};

template <size_t N> bool contains(const std::array<std::string_view, N>& list, std::string_view s) {
    return std::find(list.begin(), list.end(), s) != list.end();
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            cl.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            cl.action = CommandLine::Action::Help;
            return cl;
        }
        if (arg == "--version") {
            cl.action = CommandLine::Action::Version;
            return cl;
        }
        if (arg == "--ocr") {
            cl.ocr = true;
            continue;
        }
        if (arg == "--ocr-lang" || arg.rfind("--ocr-lang=", 0) == 0) {
            const std::string languages = arg.size() > 11 ? arg.substr(11) : std::string();
            if (!qly::validTextLanguages(languages)) {
                cl.action = CommandLine::Action::Error;
                cl.error =
                    arg == "--ocr-lang"
                        ? qly::translate("CommandLine",
                                         "Option --ocr-lang braucht Sprachen: --ocr-lang=deu+eng")
                        : qly::withArgs(qly::translate("CommandLine",
                                                       "ungültige Sprachen in %1 (Kürzel der "
                                                       "Sprachen mit + verbunden, etwa deu+eng)"),
                                        {arg});
                return cl;
            }
            cl.ocr = true;
            cl.ocrLanguages = languages;
            continue;
        }
        // Qt reads "--style" as "-style".
        const std::string_view name = std::string_view(arg).substr(arg[1] == '-' ? 2 : 1);
        const size_t equals = name.find('=');
        if (equals != std::string_view::npos &&
            contains(kQtOptionsWithEquals, name.substr(0, equals))) {
            cl.qtOptions.push_back(arg);
            continue;
        }
        if (contains(kQtFlags, name)) {
            cl.qtOptions.push_back(arg);
            continue;
        }
        if (contains(kQtOptionsWithValue, name)) {
            if (i + 1 == args.size()) {
                cl.action = CommandLine::Action::Error;
                cl.error = qly::withArgs(
                    qly::translate("CommandLine", "Option %1 braucht einen Wert"), {arg});
                return cl;
            }
            cl.qtOptions.push_back(arg);
            cl.qtOptions.push_back(args[++i]);
            continue;
        }
        cl.action = CommandLine::Action::Error;
        cl.error = qly::withArgs(qly::translate("CommandLine", "unbekannte Option %1"), {arg});
        return cl;
    }
    return cl;
}

std::string usageText() {
    // In parts, each a paragraph of the usage, so a translator sees where the lines may break.
    // The option lines keep their column at 17 characters.
    std::string text =
        qly::translate("CommandLine", "Aufruf: quillory [OPTION...] [--] [BILD...] AUSGABE\n"
                                      "   oder: quillory [OPTION...] [--] [BILD|DOKUMENT...]\n");
    text += '\n';
    text += qly::translate(
        "CommandLine",
        "Ohne Dateien öffnet sich das Programmfenster. Sonst wird jede Datei bis auf die\n"
        "letzte als Seite hinzugefügt (ein Quillory Dokument mit allen seinen Seiten), und\n"
        "alle Seiten werden in die letzte Datei geschrieben: als Quillory Dokument, wenn ihr\n"
        "Name auf .qly endet, sonst als PDF-Datei. Mit nur einer Datei entsteht eine\n"
        "PDF-Datei mit einer leeren Seite, wenn es die Datei noch nicht gibt oder sie leer\n"
        "ist. Eine vorhandene Ausgabedatei wird nur ersetzt, wenn sie leer oder eine\n"
        "PDF-Datei (bei .qly ein Quillory Dokument) und keine der Eingaben ist.\n");
    text += '\n';
    text += qly::translate(
        "CommandLine",
        "Mit Bildschirm: Sind alle Dateien vorhandene Bilder oder Quillory Dokumente, öffnet\n"
        "das Fenster sie als Seiten, und nichts wird geschrieben. Ohne Bildschirm läuft die\n"
        "Umwandlung ohne Fenster, und die Meldungen gehen auf die Standardfehlerausgabe.\n");
    text += '\n';
    text += qly::translate(
        "CommandLine",
        "Optionen:\n"
        "  -h, --help     diese Hilfe anzeigen und beenden\n"
        "      --version  die Version anzeigen und beenden\n"
        "      --ocr      den Text jeder Seite erkennen und unsichtbar über das Bild\n"
        "                 legen (durchsuchbare PDF-Datei), auch wenn die Einstellungen\n"
        "                 es nicht vorsehen\n"
        "      --ocr-lang=SPRACHEN\n"
        "                 wie --ocr, in diesen Sprachen: Kürzel von Tesseract mit +\n"
        "                 verbunden (Vorgabe deu+eng); je Sprache wird das Paket\n"
        "                 tesseract-ocr-SPRACHE gebraucht\n"
        "  --             Ende der Optionen: jedes weitere Argument ist eine Datei\n"
        "Die Optionen von Qt (-style, -platform, ...) gelten für das Fenster.\n");
    text += '\n';
    text += qly::translate(
        "CommandLine",
        "Einstellungen: $XDG_CONFIG_HOME/quillory.ini (sonst ~/.config/quillory.ini)\n");
    text += '\n';
    text += qly::translate(
        "CommandLine",
        "Rückgabewert: 0, wenn alle Bilder hinzugefügt und die Ausgabe geschrieben wurde;\n"
        "1, wenn ein Bild nicht gelesen oder die Ausgabe nicht geschrieben werden konnte;\n"
        "2 bei einem falschen Aufruf.\n");
    return text;
}

std::string versionText() {
    return "quillory " QLY_VERSION "\n";
}

void applyCommandLine(const CommandLine& cl, ExportSettings& settings) {
    if (cl.ocr) {
        settings.OcrCheck = true;
    }
    if (!cl.ocrLanguages.empty()) {
        settings.OcrLangEd = cl.ocrLanguages;
    }
}
