// Picture files by name: what OpenDib refuses to read, and what SaveDib keeps of a file it
// writes over (links, permissions, the folder it is in).
#include "common/Shell.h"
#include "common/TestDib.h"
#include "platform/GrafikRW3.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <future>
#include <string>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using qlytest::OwnedDib;
using qlytest::TempDir;

namespace {

namespace fs = std::filesystem;

const char* const kCannotOpen = "Datei kann nicht geöffnet werden";

struct stat statOf(const std::string& name) {
    struct stat st {};
    EXPECT_EQ(::stat(name.c_str(), &st), 0) << name;
    return st;
}

// The names in a folder, to see that no temporary file was left.
std::vector<std::string> namesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Reads `name` on another thread and expects the read to be refused within a second. A read that
// blocks on a FIFO is released by opening the FIFO for writing, so the test ends either way.
void expectRefusedAtOnce(const std::string& name, const std::string& fifoToRelease = {}) {
    SCOPED_TRACE(name);
    auto reading = std::async(std::launch::async, [name] {
        dib d{};
        OpenDib(d, name, DIB_AUTO);
        const std::string text = d.poi != nullptr ? "read" : DibErrorText(d);
        if (d.poi != nullptr) {
            deldib(d);
        }
        return text;
    });
    if (reading.wait_for(std::chrono::seconds(1)) != std::future_status::ready) {
        ADD_FAILURE() << "the read still waits after a second";
        if (!fifoToRelease.empty()) {
            const int fd = ::open(fifoToRelease.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    EXPECT_EQ(reading.get(), kCannotOpen);
}

TEST(PictureFiles, OnlyRegularFilesAreReadAndOthersRefusedAtOnce) {
    TempDir dir;
    const std::string fifo = dir.file("scan.png");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink(fifo, dir.file("link-to-fifo.png"));
    fs::create_directory(dir.file("folder.png"));
    expectRefusedAtOnce(fifo, fifo);
    expectRefusedAtOnce(dir.file("link-to-fifo.png"), fifo);
    expectRefusedAtOnce(dir.file("folder.png"));
    expectRefusedAtOnce("/dev/zero");
    // A regular file behind a link is read.
    OwnedDib src;
    qlytest::makePattern(src, 5, 4, 24);
    ASSERT_EQ(SaveDib(*src, dir.file("real.bmp"), DIB_BMP), 1);
    fs::create_symlink("real.bmp", dir.file("link.bmp"));
    OwnedDib back;
    OpenDib(*back, dir.file("link.bmp"), DIB_AUTO);
    ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
    EXPECT_EQ(qlytest::pixelDifferences(*src, *back), 0);
}

TEST(PictureFiles, AFifoOrFolderIsNeverWrittenOver) {
    TempDir dir;
    const std::string fifo = dir.file("out.bmp");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(dir.file("folder.bmp"));
    OwnedDib src;
    qlytest::makePattern(src, 5, 4, 24);
    auto saving = std::async(std::launch::async, [&] {
        return SaveDib(*src, fifo, DIB_BMP) + SaveDib(*src, dir.file("folder.bmp"), DIB_BMP);
    });
    ASSERT_EQ(saving.wait_for(std::chrono::seconds(1)), std::future_status::ready);
    EXPECT_EQ(saving.get(), 0);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_directory(dir.file("folder.bmp")));
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"folder.bmp", "out.bmp"}));
}

// Writes a small picture over `name` and reads `check` (the same file by another name) back.
void saveAndExpectPicture(const std::string& name, const std::string& check) {
    OwnedDib src;
    qlytest::makePattern(src, 6, 5, 24, 9);
    ASSERT_EQ(SaveDib(*src, name, DIB_PNG), 1) << DibLastError();
    OwnedDib back;
    OpenDib(*back, check, DIB_AUTO);
    ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
    EXPECT_EQ(qlytest::pixelDifferences(*src, *back), 0);
}

TEST(PictureFiles, SavingThroughASymbolicLinkWritesItsTargetAndKeepsTheLink) {
    TempDir dir;
    fs::create_directory(dir.file("pics"));
    qlytest::writeFile(dir.file("pics/page.png"), "old");
    // A chain of two links, one relative and one absolute.
    fs::create_symlink("pics/page.png", dir.file("near.png"));
    fs::create_symlink(dir.file("near.png"), dir.file("far.png"));
    saveAndExpectPicture(dir.file("far.png"), dir.file("pics/page.png"));
    EXPECT_TRUE(fs::is_symlink(dir.file("far.png")));
    EXPECT_TRUE(fs::is_symlink(dir.file("near.png")));
    EXPECT_EQ(namesIn(dir.file("pics")), std::vector<std::string>{"page.png"});
    // A dangling link gets the file it names.
    fs::create_symlink("pics/new.png", dir.file("dangling.png"));
    saveAndExpectPicture(dir.file("dangling.png"), dir.file("pics/new.png"));
    EXPECT_TRUE(fs::is_symlink(dir.file("dangling.png")));
    // A loop is refused.
    fs::create_symlink("loop-b.png", dir.file("loop-a.png"));
    fs::create_symlink("loop-a.png", dir.file("loop-b.png"));
    OwnedDib src;
    qlytest::makePattern(src, 2, 2, 24);
    EXPECT_EQ(SaveDib(*src, dir.file("loop-a.png"), DIB_PNG), 0);
}

TEST(PictureFiles, AnExistingFileKeepsItsPermissionsAndANewOneFollowsTheUmask) {
    TempDir dir;
    for (mode_t mode : {mode_t(0600), mode_t(0640), mode_t(0604), mode_t(0755)}) {
        SCOPED_TRACE(mode);
        const std::string name = dir.file("p" + std::to_string(mode) + ".png");
        qlytest::writeFile(name, "old");
        ASSERT_EQ(::chmod(name.c_str(), mode), 0);
        saveAndExpectPicture(name, name);
        EXPECT_EQ(statOf(name).st_mode & 07777, mode);
    }
    for (mode_t mask : {mode_t(022), mode_t(077)}) {
        SCOPED_TRACE(mask);
        const mode_t old = ::umask(mask);
        const std::string name = dir.file("new" + std::to_string(mask) + ".png");
        saveAndExpectPicture(name, name);
        ::umask(old);
        EXPECT_EQ(statOf(name).st_mode & 07777, 0666 & ~mask);
    }
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

// Caps the size of files this process writes while it lives; writes beyond the cap fail with
// EFBIG instead of raising SIGXFSZ.
class FileSizeCap {
  public:
    explicit FileSizeCap(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit cap = old_;
        cap.rlim_cur = bytes;
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &cap), 0);
    }
    ~FileSizeCap() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldSignal_);
    }

  private:
    rlimit old_{};
    void (*oldSignal_)(int) = nullptr;
};

TEST(PictureFiles, AFailedSaveLeavesTheTargetAsItWas) {
    TempDir dir;
    // Plain file (written beside and renamed) and hard-linked file (written in place).
    const std::string plain = dir.file("plain.bmp");
    const std::string linked = dir.file("linked.bmp");
    const std::string other = dir.file("other.bmp");
    qlytest::writeFile(plain, "old plain");
    qlytest::writeFile(linked, "old linked");
    fs::create_hard_link(linked, other);
    OwnedDib big;
    qlytest::makePattern(big, 100, 100, 24); // 30 kB as BMP
    {
        FileSizeCap cap(4000);
        EXPECT_EQ(SaveDib(*big, plain, DIB_BMP), 0);
        EXPECT_EQ(SaveDib(*big, linked, DIB_BMP), 0);
    }
    EXPECT_EQ(DibLastError(), "Datei kann nicht geschrieben werden");
    EXPECT_EQ(qlytest::readFile(plain), "old plain");
    EXPECT_EQ(qlytest::readFile(other), "old linked");
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
    // The folder's permissions do not hold for root: the save runs as another user then.
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(2);
        }
        OwnedDib src;
        qlytest::makePattern(src, 6, 5, 24, 9);
        const bool saved = SaveDib(*src, name, DIB_PNG) == 1;
        // A new file cannot be made there at all.
        const bool refused = SaveDib(*src, (folder / "new.png").string(), DIB_PNG) == 0;
        src.reset();
        ::_exit(saved && refused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ::chmod(folder.c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_NE(WEXITSTATUS(status), 2) << "cannot change to an unprivileged user";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    OwnedDib src;
    qlytest::makePattern(src, 6, 5, 24, 9);
    OwnedDib back;
    OpenDib(*back, name, DIB_AUTO);
    ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
    EXPECT_EQ(qlytest::pixelDifferences(*src, *back), 0);
    EXPECT_LT(fs::file_size(name), 20000u);
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"page.png"});
}

} // namespace
