// End-to-end tests of the command-line conversion through the real executable, without a display
// and with a private settings folder.
#include "common/TestDib.h"
#include "document/Dib.h"
#include "document/DocumentFile.h"
#include "document/DynaArray.h"
#include "pdf/PdfTestUtil.h"
#include "platform/Texts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

using pdftest::CommandResult;
using qlytest::TempDir;

namespace {

class CommandLine : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(dir_.path() / "config");
        std::filesystem::create_directories(dir_.path() / "tmp");
    }
    // The shell command that runs quillory without a display on `arguments`.
    std::string command(const std::string& arguments) const {
        return "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME='" +
               (dir_.path() / "config").string() + "' XDG_STATE_HOME='" +
               (dir_.path() / "state").string() + "' TMPDIR='" + (dir_.path() / "tmp").string() +
               "' '" QLY_QUILLORY_EXE "' " + arguments;
    }
    CommandResult quillory(const std::string& arguments) {
        return pdftest::run(command(arguments));
    }
    // What the program prints on standard output alone, and on standard error alone.
    CommandResult standardOutput(const std::string& arguments) {
        return pdftest::run("(" + command(arguments) + " 2>/dev/null)");
    }
    CommandResult standardError(const std::string& arguments) {
        return pdftest::run("(" + command(arguments) + " >/dev/null)");
    }
    std::string picture(const std::string& name, int w, int h, int bits, int format) {
        qlytest::OwnedDib d;
        qlytest::makePattern(d, w, h, bits, uint32_t(w + h));
        const std::string file = dir_.file(name);
        EXPECT_EQ(SaveDib(*d, file, format), 1);
        return "'" + file + "'";
    }
    std::string settingsText() {
        return pdftest::readFile((dir_.path() / "config" / "quillory.ini").string());
    }
    TempDir dir_;
};

TEST_F(CommandLine, ConvertsPicturesOfEveryKindIntoOnePdfAndKeepsTheSettings) {
    const std::string pics =
        picture("colour.jpg", 300, 400, 24, 8) + " " + picture("grey.png", 200, 300, 8, 15) + " " +
        picture("palette.bmp", 120, 90, 4, 3) + " " + picture("text.png", 640, 480, 1, 15);
    const std::string pdf = dir_.file("out.pdf");
    const CommandResult r = quillory(pics + " '" + pdf + "'");
    EXPECT_EQ(r.status, 0) << r.output;
    pdftest::expectQpdfClean(pdf);
    const auto images = pdftest::pdfimagesList(pdf);
    ASSERT_EQ(images.size(), 4u);
    EXPECT_EQ(images[0].enc, "jpx");   // JPEG 2000 by default
    EXPECT_EQ(images[1].color, "rgb"); // grey pages are embedded as colour images
    EXPECT_EQ(images[2].enc, "jpx");
    EXPECT_EQ(images[3].enc, "jbig2");
    EXPECT_EQ(images[3].width, 640);
    // Both renderers draw every page.
    const CommandResult poppler =
        pdftest::run("pdftoppm -r 20 -png '" + pdf + "' '" + dir_.file("p") + "'");
    EXPECT_EQ(poppler.status, 0) << poppler.output;
    const CommandResult mupdf =
        pdftest::run("mutool draw -r 20 -o '" + dir_.file("m%d.png") + "' '" + pdf + "'");
    EXPECT_EQ(mupdf.status, 0) << mupdf.output;
    EXPECT_TRUE(std::filesystem::exists(dir_.file("m4.png")));
    // The first run leaves every kept value in the per-user file.
    const std::string ini = settingsText();
    for (const char* line : {"[TMainForm]", "BreitEd_Value=210", "JpegEd_Value=75",
                             "Jpeg2000ED_Value=1", "JPEG2000_Checked=True", "NormPos="}) {
        EXPECT_NE(ini.find(line), std::string::npos) << line << "\n" << ini;
    }
    // Nothing is left in the temporary folder.
    EXPECT_TRUE(std::filesystem::is_empty(dir_.path() / "tmp"));
}

// Without a display, JPEG files that go into the PDF as they are are only checked, not decoded;
// the PDF holds the files, and a document written instead holds their decoded pixels.
TEST_F(CommandLine, JpegFilesGoIntoThePdfAsTheyAreAndIntoADocumentAsPixels) {
    std::ofstream(dir_.path() / "config" / "quillory.ini")
        << "[TMainForm]\nJPEG2000_Checked=False\nJpegEd_Value=75\n";
    qlytest::OwnedDib src;
    qlytest::makeSmooth(src, 120, 90);
    std::vector<uint8_t> a, b;
    ASSERT_TRUE(SaveDibToMemory(*src, DIB_JPG, a)); // quality 75
    SetJPEGQual(90);
    ASSERT_TRUE(SaveDibToMemory(*src, DIB_JPG, b));
    SetJPEGQual(75);
    pdftest::writeFile(dir_.file("a.jpg"), std::string(a.begin(), a.end()));
    pdftest::writeFile(dir_.file("b.jpg"), std::string(b.begin(), b.end()));
    const std::string inputs = "'" + dir_.file("a.jpg") + "' '" + dir_.file("b.jpg") + "' ";
    const std::string pdf = dir_.file("out.pdf");
    CommandResult r = quillory(inputs + "'" + pdf + "'");
    ASSERT_EQ(r.status, 0) << r.output;
    const pdftest::ParsedPdf p = pdftest::parseAndCheck(pdf);
    std::vector<std::string> streams;
    for (int n = 1; n < p.size; ++n) {
        if (p.object(n).find("/Subtype /Image") != std::string::npos) {
            streams.push_back(p.streamData(n));
        }
    }
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_TRUE(streams[0] == std::string(a.begin(), a.end())); // quality 75 at 75: as it is
    EXPECT_TRUE(streams[1] != std::string(b.begin(), b.end())); // quality 90: coded at 75
    EXPECT_LT(streams[1].size(), b.size());
    // The same pages written as a document: the pixels of the first are those of the file.
    const std::string qly = dir_.file("out.qly");
    r = quillory(inputs + "'" + qly + "'");
    ASSERT_EQ(r.status, 0) << r.output;
    void* current = nullptr;
    TDynaArray pages(sizeof(dib), &current);
    DocumentLayout layout;
    ASSERT_EQ(readDocument(qly, pages, layout), DocumentStatus::Ok);
    ASSERT_EQ(pages.count, 2u);
    qlytest::OwnedDib fromFile;
    OpenDibFromMemory(*fromFile, a.data(), a.size(), DIB_AUTO);
    EXPECT_EQ(qlytest::pixelDifferences(*static_cast<dib*>(pages.GetObject(0)), *fromFile), 0);
    releaseAllPages(pages);
}

TEST_F(CommandLine, KeptSettingsApplyToTheNextConversion) {
    std::ofstream((dir_.path() / "config" / "quillory.ini").string())
        << "[TMainForm]\nBreitEd_Value=148\nHochEd_Value=210\nJPEG2000_Checked=False\n";
    const std::string pdf = dir_.file("a5.pdf");
    const CommandResult r = quillory(picture("c.bmp", 50, 50, 24, 3) + " '" + pdf + "'");
    EXPECT_EQ(r.status, 0) << r.output;
    const CommandResult info = pdftest::run("pdfinfo '" + pdf + "'");
    // 148 x 210 mm: 419 x 595 points, the media box ending one unit before.
    EXPECT_NE(info.output.find("Page size:       418 x 594 pts"), std::string::npos) << info.output;
    ASSERT_EQ(pdftest::pdfimagesList(pdf).size(), 1u);
    EXPECT_EQ(pdftest::pdfimagesList(pdf)[0].enc, "jpeg");
    EXPECT_NE(settingsText().find("BreitEd_Value=148"), std::string::npos);
}

TEST_F(CommandLine, AnUnreadablePictureIsReportedTheRestConvertedAndTheStatusIsAFailure) {
    std::ofstream(dir_.file("broken.png")) << "\x89PNG\r\n\x1a\n broken";
    const std::string pdf = dir_.file("out.pdf");
    const CommandResult r =
        quillory(picture("a.bmp", 40, 30, 24, 3) + " '" + dir_.file("broken.png") + "' " +
                 picture("b.png", 30, 40, 1, 15) + " '" + pdf + "'");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find("Fehler beim Öffnen von " + dir_.file("broken.png") + "!"),
              std::string::npos)
        << r.output;
    pdftest::expectQpdfClean(pdf);
    EXPECT_EQ(pdftest::pdfimagesList(pdf).size(), 2u);
}

TEST_F(CommandLine, AnUnwritableOutputIsReportedAndLeavesNothingBehind) {
    const std::string target = dir_.file("no/such/folder/out.pdf");
    const CommandResult r = quillory(picture("a.bmp", 40, 30, 24, 3) + " '" + target + "'");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find("Konnte PDF-Datei nicht erstellen!"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find(target), std::string::npos) << r.output;
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_TRUE(std::filesystem::is_empty(dir_.path() / "tmp"));
}

TEST_F(CommandLine, OneArgumentWritesOneEmptyPageButNeverReplacesAFileThatHoldsSomething) {
    // A new file, and an empty one, get the empty page.
    for (const std::string name : {"new.pdf", "empty.pdf"}) {
        const std::string pdf = dir_.file(name);
        if (name == std::string("empty.pdf")) {
            std::ofstream{pdf};
        }
        const CommandResult r = quillory("'" + pdf + "'");
        EXPECT_EQ(r.status, 0) << r.output;
        pdftest::expectQpdfClean(pdf);
        const CommandResult info = pdftest::run("pdfinfo '" + pdf + "'");
        EXPECT_NE(info.output.find("Pages:           1"), std::string::npos) << info.output;
    }
    // A document, a PDF or any other file with content is left as it is, with status 2.
    const std::string doc = dir_.file("work.qly");
    const std::string pdf = dir_.file("keep.pdf");
    ASSERT_EQ(quillory(picture("a.bmp", 40, 30, 24, 3) + " '" + doc + "'").status, 0);
    ASSERT_EQ(quillory(picture("b.bmp", 40, 30, 24, 3) + " '" + pdf + "'").status, 0);
    std::ofstream(dir_.file("notes.txt")) << "my notes";
    for (const std::string& file : {doc, pdf, dir_.file("notes.txt")}) {
        const std::string before = pdftest::readFile(file);
        const CommandResult r = quillory("'" + file + "'");
        EXPECT_EQ(r.status, 2) << r.output;
        EXPECT_NE(r.output.find(file), std::string::npos) << r.output;
        EXPECT_EQ(r.output.find("geschrieben"), std::string::npos) << r.output;
        EXPECT_EQ(pdftest::readFile(file), before) << file;
    }
}

TEST_F(CommandLine, AnEmptyFileOrStandardOutputRedirectedToANewFileMayBeTheOutput) {
    const std::string pic = picture("a.png", 60, 40, 24, 15);
    const CommandResult made =
        pdftest::run("mktemp --suffix=.pdf -p '" + dir_.path().string() + "'");
    ASSERT_EQ(made.status, 0);
    const std::string empty = made.output.substr(0, made.output.find('\n'));
    CommandResult r = quillory(pic + " '" + empty + "'");
    EXPECT_EQ(r.status, 0) << r.output;
    pdftest::expectQpdfClean(empty);
    const std::string redirected = dir_.file("redirected.pdf");
    r = pdftest::run("(" + command(pic + " /dev/stdout") + " >'" + redirected + "')");
    EXPECT_EQ(r.status, 0) << r.output;
    pdftest::expectQpdfClean(redirected);
    EXPECT_EQ(pdftest::pdfimagesList(redirected).size(), 1u);
    EXPECT_TRUE(std::filesystem::is_symlink("/dev/stdout"));
}

TEST_F(CommandLine, AFailedWriteKeepsTheEarlierPdf) {
    // One file, and one file per page, each over an earlier PDF, on a disk that fills up.
    const std::string big = picture("big.png", 900, 700, 24, 15);
    const std::string pdf = dir_.file("keep.pdf");
    ASSERT_EQ(quillory(picture("small.bmp", 40, 30, 24, 3) + " '" + pdf + "'").status, 0);
    const std::string before = pdftest::readFile(pdf);
    // Files of this run may grow to 40 kB; a run that exceeds that is refused the bytes (EFBIG).
    const CommandResult r =
        pdftest::run("trap '' XFSZ; ulimit -f 40; " + command(big + " " + big + " '" + pdf + "'"));
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find(pdf), std::string::npos) << r.output;
    EXPECT_EQ(pdftest::readFile(pdf), before);
    // Nothing else is left beside it.
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
        files += entry.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(files, 3u) << "keep.pdf and the two pictures";
}

TEST_F(CommandLine, ConversionsRunningAtOnceKeepTheirOwnPagesAndLeaveNothingInTmpdir) {
    // Eight conversions with one shared TMPDIR, each of three single-colour pages of its own,
    // and a ninth whose output folder is missing, all started together.
    constexpr int kRuns = 8;
    constexpr int kPages = 6;
    auto colour = [](int run, int page) {
        return uint32_t(15 + 30 * run) << 16 | uint32_t(40 + 80 * page) << 8 |
               uint32_t(255 - 30 * run);
    };
    std::string script;
    for (int run = 0; run <= kRuns; ++run) {
        std::string args;
        for (int page = 0; page < kPages; ++page) {
            qlytest::OwnedDib d;
            newdib(*d, 120, 90, 24, nullptr, 0);
            ASSERT_NE(d->poi, nullptr);
            for (int y = 0; y < 90; ++y) {
                for (int x = 0; x < 120; ++x) {
                    setpixel(*d, x, y, colour(run, page));
                }
            }
            const std::string file =
                dir_.file("r" + std::to_string(run) + "p" + std::to_string(page) + ".bmp");
            ASSERT_EQ(SaveDib(*d, file, DIB_BMP), 1);
            args += "'" + file + "' ";
        }
        const std::string out = run < kRuns ? dir_.file("out" + std::to_string(run) + ".pdf")
                                            : dir_.file("missing/out.pdf");
        script += "(" + command(args + "'" + out + "'") + " >/dev/null 2>&1; echo $? >'" +
                  dir_.file("status" + std::to_string(run)) + "') & ";
    }
    const CommandResult all = pdftest::run(script + "wait");
    ASSERT_EQ(all.status, 0) << all.output;
    for (int run = 0; run <= kRuns; ++run) {
        SCOPED_TRACE(run);
        const std::string status = pdftest::readFile(dir_.file("status" + std::to_string(run)));
        if (run == kRuns) {
            EXPECT_NE(status, "0\n");
            continue;
        }
        EXPECT_EQ(status, "0\n");
        const std::string pdf = dir_.file("out" + std::to_string(run) + ".pdf");
        pdftest::expectQpdfClean(pdf);
        const auto list = pdftest::pdfimagesList(pdf);
        ASSERT_EQ(list.size(), size_t(kPages));
        const std::string prefix = dir_.file("img" + std::to_string(run));
        const CommandResult r = pdftest::run("pdfimages -png '" + pdf + "' '" + prefix + "'");
        ASSERT_EQ(r.status, 0) << r.output;
        for (int page = 0; page < kPages; ++page) {
            EXPECT_EQ(list[size_t(page)].page, page + 1);
            qlytest::OwnedDib back;
            OpenDib(*back, prefix + "-00" + std::to_string(page) + ".png", DIB_AUTO);
            ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
            const uint32_t want = colour(run, page);
            const uint32_t got = qlytest::rgbHex(back, 60, 45);
            for (int shift : {16, 8, 0}) {
                EXPECT_NEAR(int(got >> shift & 255), int(want >> shift & 255), 8)
                    << "page " << page << std::hex << " got " << got << " want " << want;
            }
        }
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir_.path() / "tmp"));
}

TEST_F(CommandLine, APipeOrNullDeviceAsOutputTakesTheWholeFileWithoutAMessage) {
    const std::string pic = picture("a.png", 60, 40, 24, 15);
    // Standard output into a pipe: what comes out of the pipe is the PDF.
    const std::string pdf = dir_.file("piped.pdf");
    const std::string err = dir_.file("err.txt");
    const std::string status = dir_.file("status");
    const CommandResult piped =
        pdftest::run("{ " + command(pic + " /dev/stdout") + " 2>'" + err + "'; echo $? >'" +
                     status + "'; } | cat >'" + pdf + "'");
    ASSERT_EQ(piped.status, 0) << piped.output;
    EXPECT_EQ(pdftest::readFile(status), "0\n");
    const std::string messages = pdftest::readFile(err);
    EXPECT_EQ(messages.find("file position"), std::string::npos) << messages;
    pdftest::expectQpdfClean(pdf);
    EXPECT_EQ(pdftest::pdfimagesList(pdf).size(), 1u);
    // The null device.
    const CommandResult null = quillory(pic + " /dev/null");
    EXPECT_EQ(null.status, 0) << null.output;
    EXPECT_EQ(null.output.find("file position"), std::string::npos) << null.output;
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    EXPECT_TRUE(std::filesystem::is_empty(dir_.path() / "tmp"));
}

TEST_F(CommandLine, AFullDiskEndsWithAnErrorAndNoTruncatedFile) {
    // /dev/full accepts the open and refuses every write.
    const CommandResult r = quillory(picture("a.bmp", 40, 30, 24, 3) + " /dev/full");
    EXPECT_NE(r.status, 0);
    EXPECT_FALSE(r.output.empty());
}

TEST_F(CommandLine, DocumentsGoInAndComeOutOnTheCommandLine) {
    // Pictures into a document, with the kept layout...
    std::ofstream((dir_.path() / "config" / "quillory.ini").string())
        << "[TMainForm]\nBreitEd_Value=148\nRelSizeCheck_Checked=True\n";
    const std::string doc = dir_.file("scan.qly");
    CommandResult r = quillory(picture("a.bmp", 40, 30, 24, 3) + " " +
                               picture("b.png", 30, 40, 1, 15) + " '" + doc + "'");
    ASSERT_EQ(r.status, 0) << r.output;
    const std::string bytes = pdftest::readFile(doc);
    ASSERT_GE(bytes.size(), 44u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\xAE\xCD\0\0\x02\0\0\0", 8));
    // ...whose layout then applies to a conversion it takes part in, without being kept.
    std::ofstream((dir_.path() / "config" / "quillory.ini").string()) << "[TMainForm]\n";
    const std::string pdf = dir_.file("out.pdf");
    r = quillory("'" + doc + "' " + picture("c.bmp", 50, 50, 24, 3) + " '" + pdf + "'");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("3 Seite(n)"), std::string::npos) << r.output;
    const auto images = pdftest::pdfimagesList(pdf);
    ASSERT_EQ(images.size(), 3u);
    EXPECT_EQ(images[0].width, 40);
    EXPECT_EQ(images[1].enc, "jbig2");
    const CommandResult info = pdftest::run("pdfinfo '" + pdf + "'");
    EXPECT_NE(info.output.find("418 x 840"), std::string::npos) << info.output;
    EXPECT_NE(settingsText().find("BreitEd_Value=210"), std::string::npos);
    // A damaged document is reported like an unreadable picture; the rest is converted.
    std::ofstream(dir_.file("bad.qly")) << bytes.substr(0, bytes.size() - 1);
    r = quillory("'" + dir_.file("bad.qly") + "' " + picture("d.bmp", 50, 50, 24, 3) + " '" + pdf +
                 "'");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find("keine gültige Varnholme Datei"), std::string::npos) << r.output;
    EXPECT_EQ(pdftest::pdfimagesList(pdf).size(), 1u);
}

TEST_F(CommandLine, AnOutputThatIsAnInputOrAnotherKindOfFileIsRefused) {
    const std::string photo = picture("photo.jpg", 40, 30, 24, 8);
    const std::string photoPath = dir_.file("photo.jpg");
    const std::string before = pdftest::readFile(photoPath);
    std::ofstream(dir_.file("notes.txt")) << "my notes";
    const std::string cases[] = {
        photo,                                       // quillory photo.jpg
        photo + " " + photo,                         // quillory a.jpg a.jpg
        photo + " '" + dir_.file("notes.txt") + "'", // an existing file that is not a PDF
        photo + " '" + photoPath + "'",              // the same file named twice... as the output
    };
    for (const std::string& args : cases) {
        const CommandResult r = quillory(args);
        EXPECT_NE(r.status, 0) << args;
        EXPECT_NE(r.output.find("nicht überschrieben"), std::string::npos) << r.output;
    }
    EXPECT_EQ(pdftest::readFile(photoPath), before);
    EXPECT_EQ(pdftest::readFile(dir_.file("notes.txt")), "my notes");
    // An earlier PDF is replaced as always.
    const std::string pdf = dir_.file("old.pdf");
    ASSERT_EQ(quillory(photo + " '" + pdf + "'").status, 0);
    EXPECT_EQ(quillory(photo + " '" + pdf + "'").status, 0);
}

TEST_F(CommandLine, HelpAndVersionArePrintedAndEndTheRunWithoutTouchingAnything) {
    const std::string pdf = dir_.file("out.pdf");
    const std::string pic = picture("a.bmp", 40, 30, 24, 3);
    for (const std::string& args :
         {std::string("--help"), std::string("-h"), pic + " --help '" + pdf + "'"}) {
        const CommandResult out = standardOutput(args);
        EXPECT_EQ(out.status, 0) << args;
        EXPECT_EQ(out.output.rfind("Aufruf: quillory [OPTION...] [--] [BILD...] AUSGABE\n", 0), 0u)
            << out.output;
        for (const char* line : {"-h, --help", "--version", "quillory.ini", "Rückgabewert"}) {
            EXPECT_NE(out.output.find(line), std::string::npos) << line;
        }
        EXPECT_EQ(standardError(args).output, "") << args;
    }
    const CommandResult version = standardOutput("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output, "quillory 1.7\n");
    // Nothing was converted, and the settings were neither read nor written.
    EXPECT_FALSE(std::filesystem::exists(pdf));
    EXPECT_FALSE(std::filesystem::exists(dir_.path() / "config" / "quillory.ini"));
}

TEST_F(CommandLine, AnUnknownOptionIsAnErrorWithStatusTwo) {
    const std::string pdf = dir_.file("out.pdf");
    const std::string pic = picture("a.bmp", 40, 30, 24, 3);
    const CommandResult r = quillory("-x " + pic + " '" + pdf + "'");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.output, "quillory: unbekannte Option -x\nHilfe: quillory --help\n");
    EXPECT_EQ(standardOutput("-x " + pic + " '" + pdf + "'").output, "");
    // A Qt option without its value is no better.
    const CommandResult style = quillory(pic + " '" + pdf + "' -style");
    EXPECT_EQ(style.status, 2);
    EXPECT_NE(style.output.find("Option -style braucht einen Wert"), std::string::npos)
        << style.output;
    EXPECT_FALSE(std::filesystem::exists(pdf));
    EXPECT_FALSE(std::filesystem::exists(dir_.path() / "config" / "quillory.ini"));
}

// The language comes from the environment as the desktop sets it: LANGUAGE first, then LC_ALL,
// LC_MESSAGES and LANG; a language the program does not have, or none, is English. The usage and
// the command line's errors are in it.
TEST_F(CommandLine, HelpAndErrorsAreInTheLanguageOfTheEnvironment) {
    const struct {
        const char* environment;
        bool german;
    } cases[] = {
        {"LANGUAGE=en LANG=de_DE.UTF-8", false},
        {"LANGUAGE=de LANG=en_US.UTF-8", true},
        {"LANGUAGE=de", true},
        {"LANG=de_DE.UTF-8", true},
        {"LANG=de_AT.UTF-8", true},
        {"LANG=en_GB.UTF-8", false},
        {"LC_ALL=C", false},
        {"LC_ALL=C LANG=de_DE.UTF-8", false},
        {"LANGUAGE=fr:de LANG=fr_FR.UTF-8", true},
        {"LANG=fr_FR.UTF-8", false},
        {"", false},
    };
    const std::string pdf = dir_.file("out.pdf");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.environment);
        const std::string env =
            std::string("env -u LANGUAGE -u LC_ALL -u LC_MESSAGES -u LANG ") + c.environment + " ";
        const CommandResult help = pdftest::run("(" + env + command("--help") + " 2>/dev/null)");
        EXPECT_EQ(help.status, 0);
        const char* first = c.german ? "Aufruf: quillory [OPTION...] [--] [BILD...] AUSGABE\n"
                                     : "Usage: quillory [OPTION...] [--] [PICTURE...] OUTPUT\n";
        EXPECT_EQ(help.output.rfind(first, 0), 0u) << help.output;
        const std::vector<std::string> lines =
            c.german
                ? std::vector<std::string>{"  -h, --help     diese Hilfe anzeigen",
                                           "Rückgabewert: 0"}
                : std::vector<std::string>{"  -h, --help     show this help", "Exit status: 0"};
        for (const std::string& line : lines) {
            EXPECT_NE(help.output.find(line), std::string::npos) << line;
        }
        const CommandResult error =
            pdftest::run("(" + env + command("-x '" + pdf + "'") + " >/dev/null)");
        EXPECT_EQ(error.status, 2);
        EXPECT_EQ(error.output, c.german
                                    ? "quillory: unbekannte Option -x\nHilfe: quillory --help\n"
                                    : "quillory: unknown option -x\nHelp: quillory --help\n");
    }
    EXPECT_FALSE(std::filesystem::exists(pdf));
}

// The messages of a run without a display speak the environment's language too: a call without
// files, an output that is refused, and the pages written.
TEST_F(CommandLine, MessagesWithoutADisplayAreInTheLanguageOfTheEnvironment) {
    const std::string notes = dir_.file("notes.txt");
    std::ofstream(notes) << "my notes";
    const std::string pic = picture("a.bmp", 40, 30, 24, 3);
    const struct {
        const char* language;
        const char* noFiles;
        const char* refused;
        const char* written;
    } cases[] = {
        {"de",
         "quillory: kein Bildschirm vorhanden.\nAufruf ohne Fenster: quillory BILD... "
         "AUSGABE.pdf\n",
         "quillory: Es ist keine Eingabedatei angegeben: die Datei %1 würde durch eine leere "
         "ersetzt und wird nicht überschrieben.\n",
         "quillory: 1 Seite(n) nach %1 geschrieben\n"},
        {"en",
         "quillory: no display available.\nCall without a window: quillory PICTURE... OUTPUT.pdf\n",
         "quillory: No input file is given: the file %1 would be replaced by an empty one and is "
         "not overwritten.\n",
         "quillory: 1 page(s) written to %1\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        const std::string env = std::string("env LANGUAGE=") + c.language + " ";
        CommandResult r = pdftest::run(env + command(""));
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.output, c.noFiles);
        r = pdftest::run(env + command("'" + notes + "'"));
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.output, qly::withArgs(c.refused, {notes}));
        const std::string pdf = dir_.file(std::string(c.language) + ".pdf");
        r = pdftest::run(env + command(pic + " '" + pdf + "'"));
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.output, qly::withArgs(c.written, {pdf}));
    }
    EXPECT_EQ(pdftest::readFile(notes), "my notes");
}

TEST_F(CommandLine, DoubleDashLetsAFileStartWithADashAndQtOptionsAreNotFiles) {
    qlytest::OwnedDib d;
    qlytest::makePattern(d, 40, 30, 24, 5);
    ASSERT_EQ(SaveDib(*d, dir_.file("-cover.bmp"), DIB_BMP), 1);
    const std::string in = "cd '" + dir_.path().string() + "' && ";
    // Without "--" the name is taken for an option.
    CommandResult r = pdftest::run(in + command("-cover.bmp book.pdf"));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("unbekannte Option -cover.bmp"), std::string::npos) << r.output;
    EXPECT_FALSE(std::filesystem::exists(dir_.file("book.pdf")));
    r = pdftest::run(in + command("-- -cover.bmp book.pdf"));
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("1 Seite(n) nach book.pdf"), std::string::npos) << r.output;
    const auto images = pdftest::pdfimagesList(dir_.file("book.pdf"));
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].width, 40);
    // Qt's options and their values, wherever they stand, are not pages.
    const std::string pdf = dir_.file("styled.pdf");
    r = quillory("-style fusion '" + dir_.file("-cover.bmp") + "' -reverse '" + pdf + "'");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(pdftest::pdfimagesList(pdf).size(), 1u);
}

} // namespace
