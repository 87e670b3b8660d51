#pragma once
// The options of `quillory` itself, told apart from its files and from Qt's own options before
// any application object exists.

#include <string>
#include <vector>

struct CommandLine {
    enum class Action {
        Run,     // convert or open the files (none: the window opens)
        Help,    // print usageText() and exit with 0
        Version, // print versionText() and exit with 0
        Error,   // print `error` and a hint at --help, exit with 2
    };
    Action action = Action::Run;
    // The arguments that are files, in order (the last one is the output of a conversion).
    std::vector<std::string> files;
    // Qt's own options with their values, in order, for the application object: Qt is never
    // handed a file, so a file named like one of its options stays a file.
    std::vector<std::string> qtOptions;
    // For Action::Error: the message in the program's language, without the program name.
    std::string error;
    // --ocr: recognise the text of the pages whatever the kept settings say; --ocr-lang=LANGS
    // also, in these languages (empty: the kept ones).
    bool ocr = false;
    std::string ocrLanguages;
};

struct ExportSettings;
// The export settings with what the command line says about them: --ocr and --ocr-lang turn
// text recognition on, --ocr-lang sets its languages. The kept settings are not changed.
void applyCommandLine(const CommandLine& cl, ExportSettings& settings);

// Reads the arguments after the program name from left to right. "-h" and "--help" ask for the
// usage, "--version" for the version (the first of them wins); "--" ends the options, so every
// argument after it is a file; Qt's options (such as "-style fusion", "-style=fusion",
// "-platform xcb", "-reverse", also with two dashes) are collected with their values; "-" alone
// is a file. "--ocr" and "--ocr-lang=LANGS" (LANGS in Tesseract's form, deu+eng) ask for text
// recognition. Any other argument starting with "-" before "--", a Qt option whose value is
// missing, and --ocr-lang without valid languages are errors.
CommandLine parseCommandLine(const std::vector<std::string>& args);

// The usage printed for --help, in the program's language, ending in a line feed.
std::string usageText();
// "quillory 1.7" and a line feed.
std::string versionText();
