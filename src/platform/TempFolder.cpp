#include "platform/TempFolder.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>
#include <vector>

#include <fcntl.h>
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
    s.folder.clear();
    s.next.clear();
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
    std::string pattern = (systemTempFolder() / "quillory-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) {
        return false;
    }
    s.folder = std::string(buffer.data()) + "/";
    s.owner = ::getpid();
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
