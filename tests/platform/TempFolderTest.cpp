// The process's private temporary folder: where it is made, who may read it, how names are
// handed out, and that it goes away with the process.
#include "platform/TempFolder.h"
#include "common/Shell.h"
#include "common/TestDib.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iterator>
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
        oldTmp_ = old != nullptr ? old : "/tmp";
        ::setenv("TMPDIR", tmp_.path().c_str(), 1);
        qly::removeTempFolder();
    }
    void TearDown() override {
        qly::removeTempFolder();
        ::setenv("TMPDIR", oldTmp_.c_str(), 1);
    }
    // Entries directly in TMPDIR.
    long entriesInTmpdir() const {
        return long(std::distance(fs::directory_iterator(tmp_.path()), fs::directory_iterator()));
    }
    qlytest::TempDir tmp_;
    std::string oldTmp_;
};

TEST_F(TempFolder, FolderAndFilesAreTheOwnersAloneAndNoFileIsTakenOver) {
    const std::string folder = qly::tempFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(fs::path(folder).parent_path().parent_path(), tmp_.path());
    EXPECT_EQ(modeOf(folder), S_IFDIR | 0700u);
    EXPECT_EQ(qly::tempFolder(), folder);
    const std::string first = qly::createTempFile("tempim", ".bmp");
    ASSERT_EQ(first, folder + "tempim0.bmp");
    EXPECT_EQ(modeOf(first), S_IFREG | 0600u);
    // Names that exist already, whoever made them (also under another pair whose name is the
    // same text, or as a link), are skipped and their files stay as they are.
    qlytest::writeFile(folder + "tempim1.bmp", "one");
    EXPECT_EQ(qly::createTempFile("tempim1", ".bmp"), folder + "tempim10.bmp");
    fs::create_symlink(tmp_.file("outside"), folder + "tempim12.bmp");
    std::vector<std::string> names;
    for (int i = 0; i < 11; ++i) {
        names.push_back(qly::createTempFile("tempim", ".bmp"));
    }
    EXPECT_EQ(names.front(), folder + "tempim2.bmp");
    EXPECT_EQ(names.back(), folder + "tempim14.bmp");
    EXPECT_EQ(qlytest::readFile(folder + "tempim1.bmp"), "one");
    EXPECT_FALSE(fs::exists(tmp_.file("outside")));
    EXPECT_EQ(entriesInTmpdir(), 1);
}

TEST_F(TempFolder, MadeFilesRunOnAndNamesAloneAreTheFirstFree) {
    const std::string folder = qly::tempFolder();
    // A name that is not made stays free and comes back.
    EXPECT_EQ(qly::uniqueTempName("wiaimage", ".png"), folder + "wiaimage0.png");
    EXPECT_EQ(qly::uniqueTempName("wiaimage", ".png"), folder + "wiaimage0.png");
    // Made files are not searched again: the next one follows the last.
    for (int i = 0; i < 3; ++i) {
        fs::remove(qly::createTempFile("tempim", ".jpg"));
    }
    EXPECT_EQ(qly::createTempFile("tempim", ".jpg"), folder + "tempim3.jpg");
    EXPECT_EQ(qly::uniqueTempName("tempim", ".jpg"), folder + "tempim0.jpg");
    // A new folder starts the counters again.
    qly::removeTempFolder();
    const std::string again = qly::tempFolder();
    EXPECT_NE(again, folder);
    EXPECT_EQ(qly::createTempFile("tempim", ".jpg"), again + "tempim0.jpg");
}

TEST_F(TempFolder, RemovalTakesOnlyWhatIsInside) {
    const std::string folder = qly::tempFolder();
    qlytest::writeFile(tmp_.file("linked.txt"), "t");
    fs::create_directories(folder + "sub/deeper");
    qlytest::writeFile(folder + "sub/deeper/f", "x");
    fs::create_symlink(tmp_.file("linked.txt"), folder + "link");
    fs::create_directory_symlink(tmp_.path(), folder + "dirlink");
    qly::removeTempFolder();
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(qlytest::readFile(tmp_.file("linked.txt")), "t");
}

TEST_F(TempFolder, ThreadsGetOneFolderAndDistinctNames) {
    constexpr int kThreads = 8;
    constexpr int kEach = 100;
    std::vector<std::vector<std::string>> made(kThreads);
    std::vector<std::thread> threads;
    for (auto& list : made) {
        threads.emplace_back([&list] {
            for (int i = 0; i < kEach; ++i) {
                list.push_back(qly::createTempFile(i % 2 ? "tempim" : "wiaimage", ".png"));
                list.push_back(qly::createTempFile("tempim", ".bmp"));
            }
        });
    }
    std::set<std::string> all;
    for (size_t t = 0; t < threads.size(); ++t) {
        threads[t].join();
        all.insert(made[t].begin(), made[t].end());
    }
    EXPECT_EQ(all.size(), size_t(kThreads * kEach * 2));
    EXPECT_EQ(all.begin()->substr(0, qly::tempFolder().size()), qly::tempFolder());
    EXPECT_EQ(entriesInTmpdir(), 1);
}

// Forks a child that runs `child` and ends through exit(), as a program does.
template <class F> void inChildThatExits(F child) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        child();
        std::exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(TempFolder, GoesAwayWhenItsProcessEndsButNotWhenAForkedChildEnds) {
    // A child that makes a folder of its own removes it, with its files, when it ends.
    inChildThatExits([] {
        qly::removeTempFolder();
        qlytest::writeFile(qly::createTempFile("temppdfimg", ".bmp"), "page");
    });
    EXPECT_EQ(entriesInTmpdir(), 0);
    // A child forked while this process's folder exists leaves it alone.
    const std::string mine = qly::createTempFile("tempim", ".bmp");
    inChildThatExits([] { qly::tempFolder(); });
    EXPECT_TRUE(fs::exists(mine));
}

} // namespace

namespace {

// Forks a child that makes its own folder with one file in it and writes the folder's name into
// the returned descriptor; then it is killed (`die`) or waits until `release` is closed.
pid_t childWithFolder(bool die, int& nameFd, int& release) {
    int names[2];
    int hold[2];
    EXPECT_EQ(::pipe(names), 0);
    EXPECT_EQ(::pipe(hold), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(names[0]);
        ::close(hold[1]);
        qly::removeTempFolder();
        qlytest::writeFile(qly::createTempFile("temppdfimg", ".bmp"), "page");
        const std::string folder = qly::tempFolder();
        (void)!::write(names[1], folder.data(), folder.size());
        ::close(names[1]);
        if (die) {
            ::raise(SIGKILL);
        }
        char c = 0;
        (void)!::read(hold[0], &c, 1);
        ::_exit(0); // without the exit handler: the folder stays
    }
    ::close(names[1]);
    ::close(hold[0]);
    nameFd = names[0];
    release = hold[1];
    return pid;
}

std::string readAll(int fd) {
    std::string text;
    char buf[256];
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) {
        text.append(buf, size_t(n));
    }
    ::close(fd);
    return text;
}

} // namespace

TEST_F(TempFolder, AFolderLeftByAKilledProcessGoesWhenTheNextIsMadeButNoLivingOnes) {
    int killedName = -1, killedRelease = -1, livingName = -1, livingRelease = -1;
    const pid_t killed = childWithFolder(true, killedName, killedRelease);
    const std::string killedFolder = readAll(killedName);
    int status = 0;
    ASSERT_EQ(::waitpid(killed, &status, 0), killed);
    ASSERT_TRUE(WIFSIGNALED(status));
    ::close(killedRelease);
    const pid_t living = childWithFolder(false, livingName, livingRelease);
    const std::string livingFolder = readAll(livingName);
    // Unlocked but just made: another process may be about to lock it.
    const fs::path fresh = tmp_.path() / "quillory-fresh1";
    fs::create_directory(fresh);
    ASSERT_TRUE(fs::exists(killedFolder + "temppdfimg0.bmp"));
    for (const std::string& old : {killedFolder, livingFolder}) {
        fs::last_write_time(old, fs::file_time_type::clock::now() - std::chrono::hours(2));
    }

    qly::removeTempFolder();
    const std::string mine = qly::tempFolder();
    ASSERT_FALSE(mine.empty());
    EXPECT_FALSE(fs::exists(killedFolder));
    EXPECT_TRUE(fs::exists(livingFolder + "temppdfimg0.bmp"));
    EXPECT_TRUE(fs::exists(fresh));

    ::close(livingRelease);
    ASSERT_EQ(::waitpid(living, &status, 0), living);
    // Once its process has ended, the second one goes too.
    qly::removeTempFolder();
    qly::tempFolder();
    EXPECT_FALSE(fs::exists(livingFolder));
}
