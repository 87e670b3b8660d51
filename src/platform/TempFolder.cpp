#include "platform/TempFolder.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qly {
namespace {

namespace fs = std::filesystem;

// Longest search for a free name before giving up (only reached when the folder is flooded).
constexpr uint64_t kMaxAttempts = 1000000;

struct State {
    std::mutex mutex;
    std::string folder; // with a trailing separator; empty while there is none
    pid_t owner = 0;    // the process that made it
    int lockFd = -1;    // the folder itself, locked while the process (or a forked child) lives
    bool exitHandlerSet = false;
    std::map<std::pair<std::string, std::string>, uint64_t> next; // per prefix and suffix
};

// The state is never destroyed: removal at exit is an exit handler, and a call made while other
// static objects are being destroyed still finds a valid state.
template <class T> union NeverDestroyed {
    T value;
    NeverDestroyed() : value() {}
    ~NeverDestroyed() {}
};

State& state() {
    static NeverDestroyed<State> s;
    return s.value;
}

void removeLocked(State& s) {
    if (!s.folder.empty() && s.owner == ::getpid()) {
        // remove_all does not follow symbolic links: only what is inside the folder goes.
        std::error_code ec;
        fs::remove_all(fs::path(s.folder), ec);
    }
    if (s.lockFd >= 0) {
        ::close(s.lockFd);
        s.lockFd = -1;
    }
    s.folder.clear();
    s.next.clear();
}

// A folder left behind by a process that was killed, or died before its exit handler ran: ours
// by its name and owner, no process holds its lock, and nothing in it changed for an hour (a
// folder made a moment ago is not locked yet, and one of an older version is never locked).
constexpr auto kAbandonedAfter = std::chrono::hours(1);

void removeAbandonedFolders(const fs::path& base) {
    std::error_code ec;
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != 15 || name.compare(0, 9, "quillory-") != 0) {
            continue;
        }
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
            st.st_uid != ::getuid()) {
            continue;
        }
        std::error_code timeError;
        const auto changed = fs::last_write_time(it->path(), timeError);
        if (timeError || now - changed < kAbandonedAfter) {
            continue;
        }
        const int fd = ::open(it->path().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            std::error_code removeError;
            fs::remove_all(it->path(), removeError);
        }
        ::close(fd);
    }
}

void removeAtExit() {
    State& s = state();
    const std::lock_guard<std::mutex> lock(s.mutex);
    removeLocked(s);
}

fs::path systemTempFolder() {
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec || base.empty()) {
        base = "/tmp";
    }
    fs::path absolute = fs::absolute(base, ec);
    return ec ? base : absolute;
}

// Makes the folder when there is none (or it has gone); false when it cannot be made.
bool ensureFolderLocked(State& s) {
    if (!s.folder.empty()) {
        struct stat st {};
        if (::lstat(s.folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            return true;
        }
        // Removed behind our back: start a new one.
        s.folder.clear();
        s.next.clear();
    }
    const fs::path base = systemTempFolder();
    removeAbandonedFolders(base);
    std::string pattern = (base / "quillory-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) {
        return false;
    }
    s.folder = std::string(buffer.data()) + "/";
    s.owner = ::getpid();
    if (s.lockFd >= 0) {
        ::close(s.lockFd);
    }
    // Held until the process ends: another process sees by it that the folder is in use.
    s.lockFd = ::open(buffer.data(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (s.lockFd >= 0) {
        ::flock(s.lockFd, LOCK_EX | LOCK_NB);
    }
    if (!s.exitHandlerSet) {
        s.exitHandlerSet = std::atexit(removeAtExit) == 0;
    }
    return true;
}

std::string nameFor(const State& s, const std::string& prefix, uint64_t counter,
                    const std::string& suffix) {
    return s.folder + prefix + std::to_string(counter) + suffix;
}

} // namespace

std::string tempFolder() {
    State& s = state();
    const std::lock_guard<std::mutex> lock(s.mutex);
    return ensureFolderLocked(s) ? s.folder : std::string();
}

std::string createTempFile(const std::string& prefix, const std::string& suffix) {
    State& s = state();
    const std::lock_guard<std::mutex> lock(s.mutex);
    // A second round when the folder went away in the middle of the first.
    for (int round = 0; round < 2; ++round) {
        if (!ensureFolderLocked(s)) {
            return {};
        }
        uint64_t& next = s.next[{prefix, suffix}];
        for (uint64_t attempt = 0; attempt < kMaxAttempts; ++attempt, ++next) {
            const std::string name = nameFor(s, prefix, next, suffix);
            const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd >= 0) {
                ::close(fd);
                ++next;
                return name;
            }
            if (errno != EEXIST) {
                break;
            }
        }
        if (errno != ENOENT) {
            return {};
        }
    }
    return {};
}

std::string uniqueTempName(const std::string& prefix, const std::string& suffix) {
    State& s = state();
    const std::lock_guard<std::mutex> lock(s.mutex);
    if (!ensureFolderLocked(s)) {
        return {};
    }
    // The first free name: a name given out and then removed (a scanned picture read back) is
    // taken again, so the folder holds one such file however many scans there were. Files the
    // program parks many of are made with createTempFile, whose counter runs on.
    for (uint64_t n = 0; n < kMaxAttempts; ++n) {
        const std::string name = nameFor(s, prefix, n, suffix);
        struct stat st {};
        if (::lstat(name.c_str(), &st) != 0 && errno == ENOENT) {
            return name;
        }
    }
    return {};
}

void removeTempFolder() {
    State& s = state();
    const std::lock_guard<std::mutex> lock(s.mutex);
    removeLocked(s);
}

} // namespace qly
