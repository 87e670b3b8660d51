// Telling quillory's options, Qt's options and files apart.
#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Action = CommandLine::Action;
using Args = std::vector<std::string>;

TEST(CommandLineOptions, FilesAndQtOptionsAreSeparatedInOrder) {
    const CommandLine cl = parseCommandLine({"a.png", "-style", "fusion", "b.jpg", "-reverse",
                                             "--platform", "xcb", "-stylesheet=x.qss", "out.pdf"});
    EXPECT_EQ(cl.action, Action::Run);
    EXPECT_EQ(cl.files, (Args{"a.png", "b.jpg", "out.pdf"}));
    EXPECT_EQ(cl.qtOptions,
              (Args{"-style", "fusion", "-reverse", "--platform", "xcb", "-stylesheet=x.qss"}));
    // A Qt option's value is taken whatever it looks like.
    const CommandLine title = parseCommandLine({"-qwindowtitle", "--help", "out.pdf"});
    EXPECT_EQ(title.action, Action::Run);
    EXPECT_EQ(title.qtOptions, (Args{"-qwindowtitle", "--help"}));
    EXPECT_EQ(title.files, (Args{"out.pdf"}));
    EXPECT_EQ(parseCommandLine({}).files, Args{});
}

TEST(CommandLineOptions, DoubleDashEndsTheOptionsAndALoneDashIsAFile) {
    const CommandLine cl =
        parseCommandLine({"-style", "fusion", "--", "-cover.jpg", "--help", "-style", "--", "x"});
    EXPECT_EQ(cl.action, Action::Run);
    EXPECT_EQ(cl.files, (Args{"-cover.jpg", "--help", "-style", "--", "x"}));
    EXPECT_EQ(cl.qtOptions, (Args{"-style", "fusion"}));
    EXPECT_EQ(parseCommandLine({"-", "out.pdf"}).files, (Args{"-", "out.pdf"}));
}

TEST(CommandLineOptions, HelpAndVersionWinWhereverTheyStandBeforeTheEnd) {
    for (const Args& args : {Args{"--help"}, Args{"-h"}, Args{"a.png", "-h", "out.pdf"},
                             Args{"--help", "--version"}, Args{"--help", "-bogus"}}) {
        EXPECT_EQ(parseCommandLine(args).action, Action::Help) << args.front();
    }
    EXPECT_EQ(parseCommandLine({"--version"}).action, Action::Version);
    EXPECT_EQ(parseCommandLine({"a.png", "--version", "-h"}).action, Action::Version);
    EXPECT_EQ(parseCommandLine({"--", "--version"}).action, Action::Run);
    EXPECT_EQ(usageText().rfind("Aufruf: quillory", 0), 0u);
    EXPECT_EQ(versionText(), "quillory 1.7\n");
}

TEST(CommandLineOptions, UnknownOptionsAndMissingValuesAreErrors) {
    struct Case {
        Args args;
        const char* error;
    };
    const Case cases[] = {
        {{"-x", "a.png", "out.pdf"}, "unbekannte Option -x"},
        {{"a.png", "--frobnicate", "out.pdf"}, "unbekannte Option --frobnicate"},
        {{"-cover.jpg", "out.pdf"}, "unbekannte Option -cover.jpg"},
        {{"-help"}, "unbekannte Option -help"},
        // Only -style, -stylesheet and -qmljsdebugger take "=value".
        {{"-platform=xcb", "out.pdf"}, "unbekannte Option -platform=xcb"},
        {{"-bogus", "--help"}, "unbekannte Option -bogus"},
        {{"a.png", "-style"}, "Option -style braucht einen Wert"},
    };
    for (const Case& c : cases) {
        const CommandLine cl = parseCommandLine(c.args);
        EXPECT_EQ(cl.action, Action::Error) << c.error;
        EXPECT_EQ(cl.error, c.error);
    }
}

} // namespace
