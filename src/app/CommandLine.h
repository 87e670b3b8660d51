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
    // For Action::Error: the German message, without the program name.
    std::string error;
};

// Reads the arguments after the program name from left to right. "-h" and "--help" ask for the
// usage, "--version" for the version (the first of them wins); "--" ends the options, so every
// argument after it is a file; Qt's options (such as "-style fusion", "-style=fusion",
// "-platform xcb", "-reverse", also with two dashes) are collected with their values; "-" alone
// is a file. Any other argument starting with "-" before "--", or a Qt option whose value is
// missing, is an error.
CommandLine parseCommandLine(const std::vector<std::string>& args);

// The usage printed for --help, German, ending in a line feed.
std::string usageText();
// "quillory 1.7" and a line feed.
std::string versionText();
