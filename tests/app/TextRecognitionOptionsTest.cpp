// Text recognition as a kept setting and on the command line: the two values under their names,
// --ocr and --ocr-lang read, described and applied for one run only, and a conversion through the
// real executable that gives a searchable PDF, or tells of a missing language and writes the PDF
// without text.
#include "app/CommandLine.h"
#include "app/KeptSettings.h"

#include "common/TestDib.h"
#include "pdf/PdfTestUtil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using qlytest::TempDir;

namespace {

TEST(TextRecognitionSettings, KeptUnderTheirNamesAndReadBackOnlyWhenValid) {
    TempDir dir;
    const std::string file = dir.file("quillory.ini");
    std::string error;
    ASSERT_TRUE(saveMainFormSettings(MainFormSettings{}, file, error)) << error;
    const std::string defaults = pdftest::readFile(file);
    EXPECT_NE(defaults.find("OcrCheck_Checked=False"), std::string::npos) << defaults;
    EXPECT_NE(defaults.find("OcrLangEd_Text=deu+eng"), std::string::npos) << defaults;

    const struct {
        const char* check;
        const char* languages;
        bool on;
        const char* kept; // the languages read back
        bool unreadable;  // OcrLangEd_Text is named as unreadable
    } cases[] = {
        {"True", "deu+fra", true, "deu+fra", false}, {"False", "chi_sim", false, "chi_sim", false},
        {"True", "deu eng", true, "deu+eng", true},  {"True", "../../etc", true, "deu+eng", true},
        {"True", "", true, "deu+eng", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.languages);
        std::ofstream(file) << "[TMainForm]\nOcrCheck_Checked=" << c.check
                            << "\nOcrLangEd_Text=" << c.languages << "\n";
        MainFormSettings s;
        std::string problem;
        EXPECT_EQ(loadMainFormSettings(s, file, problem), !c.unreadable) << problem;
        EXPECT_EQ(s.exportSettings.OcrCheck, c.on);
        EXPECT_EQ(s.exportSettings.OcrLangEd, c.kept);
        EXPECT_EQ(problem.find("OcrLangEd_Text") != std::string::npos, c.unreadable) << problem;
    }
}

TEST(TextRecognitionOptions, OcrAndOcrLangAreReadAndApplied) {
    using Args = std::vector<std::string>;
    const struct {
        Args args;
        CommandLine::Action action;
        bool ocr;
        const char* languages;
        Args files;
    } cases[] = {
        {{"a.png", "out.pdf"}, CommandLine::Action::Run, false, "", {"a.png", "out.pdf"}},
        {{"--ocr", "a.png", "out.pdf"}, CommandLine::Action::Run, true, "", {"a.png", "out.pdf"}},
        {{"a.png", "--ocr-lang=deu+fra", "out.pdf"},
         CommandLine::Action::Run,
         true,
         "deu+fra",
         {"a.png", "out.pdf"}},
        {{"--ocr-lang=chi_sim", "--ocr", "x"}, CommandLine::Action::Run, true, "chi_sim", {"x"}},
        {{"--", "--ocr", "out.pdf"}, CommandLine::Action::Run, false, "", {"--ocr", "out.pdf"}},
        {{"--ocr-lang", "deu", "out.pdf"}, CommandLine::Action::Error, false, "", {}},
        {{"--ocr-lang=", "out.pdf"}, CommandLine::Action::Error, false, "", {}},
        {{"--ocr-lang=deu,eng", "out.pdf"}, CommandLine::Action::Error, false, "", {}},
        {{"--ocr=deu", "out.pdf"}, CommandLine::Action::Error, false, "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front());
        const CommandLine cl = parseCommandLine(c.args);
        EXPECT_EQ(cl.action, c.action) << cl.error;
        if (c.action == CommandLine::Action::Error) {
            EXPECT_FALSE(cl.error.empty());
            continue;
        }
        EXPECT_EQ(cl.ocr, c.ocr);
        EXPECT_EQ(cl.ocrLanguages, c.languages);
        EXPECT_EQ(cl.files, c.files);
        // Applied to the settings of the run: on when asked for, the languages when given.
        ExportSettings s;
        s.OcrLangEd = "eng";
        applyCommandLine(cl, s);
        EXPECT_EQ(s.OcrCheck, c.ocr);
        EXPECT_EQ(s.OcrLangEd, *c.languages != 0 ? std::string(c.languages) : "eng");
    }
    EXPECT_NE(parseCommandLine({"--ocr-lang=deu,eng"}).error.find("--ocr-lang"), std::string::npos);
    // --help describes both.
    EXPECT_NE(usageText().find("--ocr "), std::string::npos);
    EXPECT_NE(usageText().find("--ocr-lang=SPRACHEN"), std::string::npos);
    EXPECT_NE(usageText().find("tesseract-ocr-"), std::string::npos);
}

// The real executable without a display, with private settings, state and temporary folders.
class TextRecognitionConversion : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(dir_.path() / "config");
        std::filesystem::create_directories(dir_.path() / "tmp");
        // A 300 dpi page of German text drawn by ImageMagick in DejaVu Sans.
        page_ = dir_.file("text.png");
        const auto r = pdftest::run(
            "convert -density 300 -units PixelsPerInch -font DejaVu-Sans -pointsize 12 "
            "-bordercolor white -border 150 label:'Größere Änderungen über Öffnungszeiten "
            "gelten ab März.' -type bilevel " +
            pdftest::quote(page_));
        ASSERT_EQ(r.status, 0) << r.output;
    }
    pdftest::CommandResult quillory(const std::string& arguments, const std::string& env = "") {
        return pdftest::run("env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen " + env +
                            " XDG_CONFIG_HOME='" + (dir_.path() / "config").string() +
                            "' XDG_STATE_HOME='" + (dir_.path() / "state").string() + "' TMPDIR='" +
                            (dir_.path() / "tmp").string() + "' '" QLY_QUILLORY_EXE "' " +
                            arguments);
    }
    std::string settings() {
        return pdftest::readFile((dir_.path() / "config" / "quillory.ini").string());
    }
    TempDir dir_;
    std::string page_;
};

TEST_F(TextRecognitionConversion, OcrGivesASearchablePdfForThisRunOnly) {
    const std::string pdf = dir_.file("out.pdf");
    const auto r = quillory("--ocr " + pdftest::quote(page_) + " " + pdftest::quote(pdf));
    EXPECT_EQ(r.status, 0) << r.output;
    pdftest::expectQpdfClean(pdf);
    const auto text = pdftest::run("pdftotext " + pdftest::quote(pdf) + " -");
    EXPECT_NE(text.output.find("Änderungen über Öffnungszeiten"), std::string::npos) << text.output;
    // The kept setting stays off.
    EXPECT_NE(settings().find("OcrCheck_Checked=False"), std::string::npos) << settings();
}

TEST_F(TextRecognitionConversion, AMissingLanguageIsToldAndThePdfStillWritten) {
    const std::string pdf = dir_.file("out.pdf");
    const auto r =
        quillory("--ocr-lang=deu+xyz " + pdftest::quote(page_) + " " + pdftest::quote(pdf));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("tesseract-ocr-xyz"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("ohne erkannten Text"), std::string::npos) << r.output;
    pdftest::expectQpdfClean(pdf);
    EXPECT_EQ(pdftest::pdfimagesList(pdf).size(), 1u);
    const auto text = pdftest::run("pdftotext " + pdftest::quote(pdf) + " -");
    EXPECT_EQ(text.output.find_first_not_of(" \n\f"), std::string::npos) << text.output;
    EXPECT_NE(settings().find("OcrLangEd_Text=deu+eng"), std::string::npos) << settings();
}

} // namespace
