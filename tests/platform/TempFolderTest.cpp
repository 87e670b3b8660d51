// The process's private temporary folder: where it is made, who may read it, how names are
// handed out, and that it goes away with the process.
#include "platform/TempFolder.h"
#include "common/Shell.h"
#include "common/TestDib.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

mode_t modeOf(const std::string& name) {
    struct stat st {};
    EXPECT_EQ(::lstat(name.c_str(), &st), 0) << name;
    return st.st_mode;
}

// Each test makes the private folder anew under a TMPDIR of its own.
class TempFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* old = std::getenv("TMPDIR");
        hadTmp_ = old != nullptr;
        oldTmp_ = hadTmp_ ? old : "";
        ::setenv("TMPDIR", tmp_.path().c_str(), 1);
        qly::removeTempFolder();
    }
    void TearDown() override {
        qly::removeTempFolder();
        if (hadTmp_) {
            ::setenv("TMPDIR", oldTmp_.c_str(), 1);
        } else {
            ::unsetenv("TMPDIR");
        }
    }
    qlytest::TempDir tmp_;

  private:
    bool hadTmp_ = false;
    std::string oldTmp_;
};

TEST_F(TempFolder, IsMadeOnceUnderTmpdirForItsOwnerOnly) {
    const std::string folder = qly::tempFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(fs::path(folder).parent_path().parent_path(), tmp_.path());
    EXPECT_TRUE(S_ISDIR(modeOf(folder)));
    EXPECT_EQ(modeOf(folder) & 07777, 0700u);
    EXPECT_EQ(qly::tempFolder(), folder);
    // Files go into the folder; nothing else appears in TMPDIR.
    EXPECT_EQ(qly::createTempFile("x", ".y"), folder + "x0.y");
    size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(tmp_.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1u);
}

TEST_F(TempFolder, CreatedFilesArePrivateAndNeverTakeAnExistingName) {
    const std::string folder = qly::tempFolder();
    const std::string first = qly::createTempFile("tempim", ".bmp");
    ASSERT_EQ(first, folder + "tempim0.bmp");
    EXPECT_TRUE(S_ISREG(modeOf(first)));
    EXPECT_EQ(modeOf(first) & 07777, 0600u);
    EXPECT_EQ(fs::file_size(first), 0u);
    // Files that are there already, whoever made them, are skipped and stay as they are; a
    // name of another pair that happens to be the same text counts as taken too.
    qlytest::writeFile(folder + "tempim1.bmp", "one");
    qlytest::writeFile(folder + "tempim2.bmp", "two");
    EXPECT_EQ(qly::createTempFile("tempim1", ".bmp"), folder + "tempim10.bmp");
    std::vector<std::string> names;
    for (int i = 0; i < 10; ++i) {
        names.push_back(qly::createTempFile("tempim", ".bmp"));
    }
    EXPECT_EQ(names.front(), folder + "tempim3.bmp");
    EXPECT_EQ(names.back(), folder + "tempim13.bmp"); // tempim10.bmp was taken
    EXPECT_EQ(qlytest::readFile(folder + "tempim1.bmp"), "one");
    EXPECT_EQ(qlytest::readFile(folder + "tempim2.bmp"), "two");
    // A symbolic link under the next name is not followed.
    const std::string outside = tmp_.file("outside");
    qlytest::writeFile(outside, "keep");
    fs::create_symlink(outside, folder + "tempim14.bmp");
    EXPECT_EQ(qly::createTempFile("tempim", ".bmp"), folder + "tempim15.bmp");
    EXPECT_EQ(qlytest::readFile(outside), "keep");
}

TEST_F(TempFolder, CountersRunOnFromTheLastNameHandedOut) {
    const std::string folder = qly::tempFolder();
    // Names that are handed out but not made are not handed out again.
    EXPECT_EQ(qly::uniqueTempName("wiaimage", ".png"), folder + "wiaimage0.png");
    EXPECT_EQ(qly::uniqueTempName("wiaimage", ".png"), folder + "wiaimage1.png");
    EXPECT_FALSE(fs::exists(folder + "wiaimage0.png"));
    // Freed names are not searched again: the next name follows the last one.
    for (int i = 0; i < 3; ++i) {
        fs::remove(qly::createTempFile("tempim", ".jpg"));
    }
    EXPECT_EQ(qly::createTempFile("tempim", ".jpg"), folder + "tempim3.jpg");
    EXPECT_EQ(qly::uniqueTempName("tempim", ".jpg"), folder + "tempim4.jpg");
    // A new folder starts the counters again.
    qly::removeTempFolder();
    const std::string again = qly::tempFolder();
    EXPECT_NE(again, folder);
    EXPECT_EQ(qly::createTempFile("tempim", ".jpg"), again + "tempim0.jpg");
}

TEST_F(TempFolder, RemovalTakesOnlyWhatIsInside) {
    const std::string folder = qly::tempFolder();
    const std::string beside = tmp_.file("beside.txt");
    const std::string target = tmp_.file("linked.txt");
    qlytest::writeFile(beside, "b");
    qlytest::writeFile(target, "t");
    fs::create_directories(folder + "sub/deeper");
    qlytest::writeFile(folder + "sub/deeper/f", "x");
    fs::create_symlink(target, folder + "link");
    fs::create_directory_symlink(tmp_.path(), folder + "dirlink");
    qly::removeTempFolder();
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(qlytest::readFile(beside), "b");
    EXPECT_EQ(qlytest::readFile(target), "t");
}

TEST_F(TempFolder, AFolderRemovedBehindOurBackIsMadeAgain) {
    const std::string folder = qly::tempFolder();
    fs::remove_all(folder);
    const std::string name = qly::createTempFile("temppdfimg", ".bmp");
    ASSERT_FALSE(name.empty());
    EXPECT_TRUE(fs::exists(name));
    EXPECT_EQ(fs::path(name).parent_path().parent_path(), tmp_.path());
}

TEST_F(TempFolder, ThreadsGetOneFolderAndDistinctFiles) {
    constexpr int kThreads = 8;
    constexpr int kEach = 100;
    std::vector<std::vector<std::string>> made(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &made] {
            for (int i = 0; i < kEach; ++i) {
                made[size_t(t)].push_back(
                    qly::createTempFile(i % 2 ? "tempim" : "wiaimage", ".png"));
                made[size_t(t)].push_back(qly::uniqueTempName("tempim", ".png"));
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    std::set<std::string> all;
    for (const auto& list : made) {
        all.insert(list.begin(), list.end());
    }
    EXPECT_EQ(all.size(), size_t(kThreads * kEach * 2));
    const std::string folder = qly::tempFolder();
    for (const std::string& name : all) {
        ASSERT_EQ(name.substr(0, folder.size()), folder);
    }
    size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(tmp_.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1u);
}

// Runs `child` in a forked process that then ends through exit(), as a program does, and
// returns what it wrote into the pipe.
template <class F> std::string inChildThatExits(F child) {
    int fds[2];
    if (::pipe(fds) != 0) {
        ADD_FAILURE() << "pipe";
        return {};
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const std::string text = child();
        const ssize_t n = ::write(fds[1], text.data(), text.size());
        ::close(fds[1]);
        std::exit(n == ssize_t(text.size()) ? 0 : 1);
    }
    ::close(fds[1]);
    std::string text;
    char buf[256];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) {
        text.append(buf, size_t(n));
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return text;
}

TEST_F(TempFolder, GoesAwayWhenItsProcessEndsButNotWithAForkedChild) {
    // A process that makes the folder removes it, with its files, when it ends.
    const std::string childFolder = inChildThatExits([] {
        qly::removeTempFolder();
        const std::string name = qly::createTempFile("temppdfimg", ".bmp");
        qlytest::writeFile(name, "page");
        return qly::tempFolder();
    });
    ASSERT_FALSE(childFolder.empty());
    EXPECT_EQ(fs::path(childFolder).parent_path().parent_path(), tmp_.path());
    EXPECT_FALSE(fs::exists(childFolder));
    // A child forked from a process whose folder exists leaves it alone when it ends.
    const std::string folder = qly::tempFolder();
    const std::string mine = qly::createTempFile("tempim", ".bmp");
    const std::string seen = inChildThatExits([] { return qly::tempFolder(); });
    EXPECT_EQ(seen, folder);
    EXPECT_TRUE(fs::exists(mine));
}

} // namespace
