// The window offers the pages of a session that ended without closing it: a child process makes
// pages in a session folder and ends without a word, as a crash would; the next window asks.
#include "app/MainFormFixture.h"
#include "document/PageDocument.h"
#include "document/PageStore.h"
#include "pdf/PdfTestUtil.h"

#include <QApplication>
#include <QDoubleSpinBox>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using qlytest::MainForm;

class Recovery : public MainForm {
  protected:
    void SetUp() override {
        // Each test has a state folder of its own.
        previous_ = std::getenv("XDG_STATE_HOME");
        ::setenv("XDG_STATE_HOME", dir.file("state").c_str(), 1);
        MainForm::SetUp();
    }
    void TearDown() override {
        MainForm::TearDown();
        ::setenv("XDG_STATE_HOME", previous_.c_str(), 1);
    }
    // A session with pages of these widths and a page width of 148 mm, left as a crash leaves
    // it: the process ends without releasing anything.
    void leaveSession(std::initializer_list<int> widths) {
        std::vector<std::string> files;
        for (int w : widths) {
            files.push_back(picture(w));
        }
        const pid_t child = ::fork();
        if (child == 0) {
            std::string error;
            auto store = qly::PageStore::open(qly::pageStateFolder(), error);
            void* current = nullptr;
            TDynaArray bilder(sizeof(dib), &current);
            PageDocument pages(bilder);
            pages.setStore(store.get());
            DocumentLayout layout;
            layout.BreitEd = 148;
            PageJournalWriter journal(pages, *store, [layout] { return layout; });
            for (const std::string& file : files) {
                dib d{};
                OpenDib(d, file, DIB_AUTO);
                std::memcpy(bilder.Add(), &d, sizeof d);
                pages.appended(bilder.count - 1);
            }
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    size_t sessionFolders() {
        size_t n = 0;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(dir.file("state/quillory"), ec)) {
            n += e.path().filename().string().rfind("session-", 0) == 0 ? 1 : 0;
        }
        return n;
    }
    std::string previous_;
};

TEST_F(Recovery, YesBringsThePagesBackInOrderWithTheirLayout) {
    leaveSession({10, 20, 30});
    form.reset();
    dialogs.answers = {DialogAnswer::Yes};
    open();
    QApplication::processEvents();
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].caption, "Seiten wiederherstellen");
    EXPECT_NE(dialogs.boxes[0].text.find("3 Seiten"), std::string::npos) << dialogs.boxes[0].text;
    EXPECT_EQ(dialogs.boxes[0].buttons, DialogButtons::YesNoCancel);
    EXPECT_EQ(widths(), (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(form->BreitEd->value(), 148);
    EXPECT_EQ(label2(), "von 3");
    // The pages are this window's now: one session folder, this one; nothing is offered again.
    EXPECT_EQ(sessionFolders(), 1u);
    form.reset();
    EXPECT_EQ(sessionFolders(), 0u) << "a window closed as it should leaves nothing";
}

TEST_F(Recovery, NoRemovesTheFolderAndCancelAsksAgainNextTime) {
    leaveSession({40});
    form.reset();
    dialogs.answers = {DialogAnswer::Cancel};
    open();
    QApplication::processEvents();
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_NE(dialogs.boxes[0].text.find("1 Seite "), std::string::npos) << dialogs.boxes[0].text;
    EXPECT_TRUE(widths().empty());
    form.reset();
    EXPECT_EQ(sessionFolders(), 1u) << "kept for the next start";

    dialogs.boxes.clear();
    dialogs.answers = {DialogAnswer::No};
    open();
    QApplication::processEvents();
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_TRUE(widths().empty());
    form.reset();
    EXPECT_EQ(sessionFolders(), 0u);
}

TEST_F(Recovery, PagesOfTheWindowLiveInFilesAndFollowEveryChange) {
    addPages({10, 20, 30});
    for (uint32_t i = 0; i < form->bilder.count; ++i) {
        EXPECT_TRUE(qly::PageStore::isStored(*static_cast<dib*>(form->bilder.GetObject(i))));
    }
    // The journal names the pages in the order shown.
    form->PageEd->setValue(3);
    form->adib = 3;
    click("NachVornBtn");
    EXPECT_EQ(widths(), (std::vector<int>{10, 30, 20}));
    std::string journal;
    for (const auto& e : fs::directory_iterator(dir.file("state/quillory"))) {
        journal = pdftest::readFile((e.path() / "journal").string());
    }
    const auto at = [&](int w) {
        for (uint32_t i = 0; i < form->bilder.count; ++i) {
            const dib& d = *static_cast<dib*>(form->bilder.GetObject(i));
            if (dibwidth(d) == w) {
                return journal.find(qly::PageStore::fileOf(d));
            }
        }
        return std::string::npos;
    };
    EXPECT_LT(at(10), at(30));
    EXPECT_LT(at(30), at(20));
    EXPECT_NE(at(20), std::string::npos);
}

// The question names the session's time and its pages in the window's language, the date and
// the time as that language writes them.
TEST_F(Recovery, TheQuestionIsInTheWindowsLanguage) {
    using qly::texts::Language;
    const struct {
        Language language;
        std::initializer_list<int> pages;
        const char* caption;
        const char* text; // a regular expression
    } cases[] = {
        {Language::German,
         {10},
         "Seiten wiederherstellen",
         "Quillory wurde nicht ordnungsgemäß beendet\\. Von der Sitzung, die zuletzt am "
         "\\d\\d\\.\\d\\d\\.\\d{4} um \\d\\d:\\d\\d Uhr geändert wurde, sind noch 1 Seite "
         "vorhanden\\.\n\nJa: die Seiten wiederherstellen\nNein: die Seiten endgültig "
         "löschen\nAbbrechen: beim nächsten Start wieder fragen"},
        {Language::German,
         {10, 20},
         "Seiten wiederherstellen",
         "Quillory wurde nicht ordnungsgemäß beendet\\. Von der Sitzung, die zuletzt am "
         "\\d\\d\\.\\d\\d\\.\\d{4} um \\d\\d:\\d\\d Uhr geändert wurde, sind noch 2 Seiten "
         "vorhanden\\.\n\nJa: die Seiten wiederherstellen\nNein: die Seiten endgültig "
         "löschen\nAbbrechen: beim nächsten Start wieder fragen"},
        {Language::English,
         {10},
         "Restore pages",
         "Quillory did not end properly\\. The session last changed on [A-Z][a-z]+ \\d{1,2}, "
         "\\d{4} at \\d\\d:\\d\\d still has 1 page\\.\n\nYes: restore the pages\nNo: "
         "delete the pages for good\nCancel: ask again at the next start"},
        {Language::English,
         {10, 20},
         "Restore pages",
         "Quillory did not end properly\\. The session last changed on [A-Z][a-z]+ \\d{1,2}, "
         "\\d{4} at \\d\\d:\\d\\d still has 2 pages\\.\n\nYes: restore the pages\nNo: "
         "delete the pages for good\nCancel: ask again at the next start"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        form.reset();
        leaveSession(c.pages);
        dialogs.boxes.clear();
        dialogs.answers = {DialogAnswer::No};
        const auto guard = reopenIn(c.language, true);
        QApplication::processEvents();
        ASSERT_EQ(dialogs.boxes.size(), 1u);
        EXPECT_EQ(dialogs.boxes[0].caption, c.caption);
        EXPECT_TRUE(std::regex_match(dialogs.boxes[0].text, std::regex(c.text)))
            << dialogs.boxes[0].text;
        form.reset();
    }
    EXPECT_EQ(sessionFolders(), 0u) << "every session was answered with No";
}

} // namespace
