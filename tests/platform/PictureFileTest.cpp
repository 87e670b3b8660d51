// Picture files by name: what OpenDib refuses to read, and what SaveDib keeps of a file it
// writes over (links, permissions, the folder it is in).
#include "common/FileSizeCap.h"
#include "common/Shell.h"
#include "common/TestDib.h"
#include "platform/GrafikRW3.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using qlytest::OwnedDib;
using qlytest::TempDir;

namespace {

namespace fs = std::filesystem;

struct stat statOf(const std::string& name) {
    struct stat st {};
    EXPECT_EQ(::stat(name.c_str(), &st), 0) << name;
    return st;
}

std::vector<std::string> namesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Runs `work` on another thread and expects it to finish within a second; a FIFO it waits on is
// then opened for writing, so the test ends either way.
template <class F> auto withinASecond(F work, const std::string& fifo = {}) {
    auto running = std::async(std::launch::async, work);
    if (running.wait_for(std::chrono::seconds(1)) != std::future_status::ready) {
        ADD_FAILURE() << "still waiting after a second";
        if (const int fd = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK); fd >= 0) {
            ::close(fd);
        }
    }
    return running.get();
}

TEST(PictureFiles, OnlyRegularFilesAreReadAndOthersRefusedAtOnce) {
    TempDir dir;
    const std::string fifo = dir.file("scan.png");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink(fifo, dir.file("link-to-fifo.png"));
    fs::create_directory(dir.file("folder.png"));
    for (const std::string& name :
         {fifo, dir.file("link-to-fifo.png"), dir.file("folder.png"), std::string("/dev/zero")}) {
        SCOPED_TRACE(name);
        const std::string text = withinASecond(
            [&name] {
                OwnedDib d;
                OpenDib(*d, name, DIB_AUTO);
                return d->poi != nullptr ? std::string("read") : DibErrorText(*d);
            },
            fifo);
        EXPECT_EQ(text, "Datei kann nicht geöffnet werden");
    }
}

TEST(PictureFiles, AFifoOrFolderIsNeverWrittenOver) {
    TempDir dir;
    const std::string fifo = dir.file("out.bmp");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(dir.file("folder.bmp"));
    OwnedDib src;
    qlytest::makePattern(src, 5, 4, 24);
    EXPECT_EQ(withinASecond([&] {
                  return SaveDib(*src, fifo, DIB_BMP) +
                         SaveDib(*src, dir.file("folder.bmp"), DIB_BMP);
              }),
              0);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"folder.bmp", "out.bmp"}));
}

// The small picture the saving tests write.
void makeSmall(OwnedDib& d) {
    qlytest::makePattern(d, 6, 5, 24, 9);
}

void expectSmallPicture(const std::string& name) {
    OwnedDib src, back;
    makeSmall(src);
    OpenDib(*back, name, DIB_AUTO);
    ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
    EXPECT_EQ(qlytest::pixelDifferences(*src, *back), 0);
}

// Writes the small picture over `name` and expects to read it back from `check`.
void saveAndExpectPicture(const std::string& name, const std::string& check) {
    OwnedDib src;
    makeSmall(src);
    ASSERT_EQ(SaveDib(*src, name, DIB_PNG), 1) << DibLastError();
    expectSmallPicture(check);
}

TEST(PictureFiles, SavingThroughSymbolicLinksWritesTheirTargetAndKeepsThem) {
    TempDir dir;
    fs::create_directory(dir.file("pics"));
    qlytest::writeFile(dir.file("pics/page.png"), "old");
    fs::create_symlink("pics/page.png", dir.file("near.png")); // relative
    fs::create_symlink(dir.file("near.png"), dir.file("far.png"));
    fs::create_symlink("pics/new.png", dir.file("dangling.png"));
    saveAndExpectPicture(dir.file("far.png"), dir.file("pics/page.png"));
    saveAndExpectPicture(dir.file("dangling.png"), dir.file("pics/new.png"));
    for (const char* link : {"far.png", "near.png", "dangling.png"}) {
        EXPECT_TRUE(fs::is_symlink(dir.file(link))) << link;
    }
    EXPECT_EQ(namesIn(dir.file("pics")), (std::vector<std::string>{"new.png", "page.png"}));
}

TEST(PictureFiles, AnExistingFileKeepsItsPermissionsAndANewOneFollowsTheUmask) {
    TempDir dir;
    for (mode_t mode : {mode_t(0600), mode_t(0640), mode_t(0755)}) {
        const std::string name = dir.file("p" + std::to_string(mode) + ".png");
        qlytest::writeFile(name, "old");
        ASSERT_EQ(::chmod(name.c_str(), mode), 0);
        saveAndExpectPicture(name, name);
        EXPECT_EQ(statOf(name).st_mode & 07777, mode);
    }
    const mode_t old = ::umask(077);
    saveAndExpectPicture(dir.file("new.png"), dir.file("new.png"));
    ::umask(old);
    EXPECT_EQ(statOf(dir.file("new.png")).st_mode & 07777, 0600u);
}

TEST(PictureFiles, HardLinkedFilesStayOneFile) {
    TempDir dir;
    const std::string a = dir.file("a.png");
    const std::string b = dir.file("b.png");
    qlytest::writeFile(a, std::string(50000, 'x')); // longer than the new content
    fs::create_hard_link(a, b);
    const ino_t inode = statOf(a).st_ino;
    saveAndExpectPicture(a, b);
    EXPECT_EQ(statOf(a).st_ino, inode);
    EXPECT_EQ(statOf(b).st_nlink, 2u);
    EXPECT_LT(fs::file_size(b), 50000u); // the old tail is cut off
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"a.png", "b.png"}));
}

TEST(PictureFiles, AFailedSaveLeavesTheTargetAsItWas) {
    // A plain file (written beside it and renamed) and a hard-linked one (written in place).
    TempDir dir;
    qlytest::writeFile(dir.file("plain.bmp"), "old plain");
    qlytest::writeFile(dir.file("linked.bmp"), "old linked");
    fs::create_hard_link(dir.file("linked.bmp"), dir.file("other.bmp"));
    OwnedDib big;
    qlytest::makePattern(big, 100, 100, 24); // 30 kB as BMP
    {
        qlytest::FileSizeCap cap(4000);
        EXPECT_EQ(SaveDib(*big, dir.file("plain.bmp"), DIB_BMP), 0);
        EXPECT_EQ(SaveDib(*big, dir.file("linked.bmp"), DIB_BMP), 0);
    }
    EXPECT_EQ(DibLastError(), "Datei kann nicht geschrieben werden");
    EXPECT_EQ(qlytest::readFile(dir.file("plain.bmp")), "old plain");
    EXPECT_EQ(qlytest::readFile(dir.file("other.bmp")), "old linked");
    EXPECT_EQ(namesIn(dir.path()),
              (std::vector<std::string>{"linked.bmp", "other.bmp", "plain.bmp"}));
}

TEST(PictureFiles, AWritableFileInAReadOnlyFolderIsWrittenInPlace) {
    TempDir dir;
    const fs::path folder = dir.path() / "ro";
    fs::create_directory(folder);
    const std::string name = (folder / "page.png").string();
    qlytest::writeFile(name, std::string(20000, 'x'));
    ASSERT_EQ(::chmod(name.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    // Folder permissions do not hold for root, so the save runs as an unprivileged user then.
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(2);
        }
        OwnedDib src;
        makeSmall(src);
        const bool saved = SaveDib(*src, name, DIB_PNG) == 1;
        const bool refused = SaveDib(*src, (folder / "new.png").string(), DIB_PNG) == 0;
        ::_exit(saved && refused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ::chmod(folder.c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_NE(WEXITSTATUS(status), 2) << "cannot change to an unprivileged user";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    expectSmallPicture(name);
    EXPECT_LT(fs::file_size(name), 20000u);
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"page.png"});
}

} // namespace
