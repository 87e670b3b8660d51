#include "platform/FileAccess.h"

#include <cerrno>
#include <climits>
#include <new>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qly {
namespace {

// Longest chain of symbolic links followed (the system's own limit).
constexpr int kMaxLinks = 40;

// A POSIX file descriptor, closed when it goes out of scope.
class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void reset(int fd) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }
    // Closes now; false when the system reports that written data was lost.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        // EINTR still closes the descriptor on Linux.
        return ::close(fd) == 0 || errno == EINTR;
    }

  private:
    int fd_;
};

int openRetrying(const std::string& name, int flags, mode_t mode = 0) {
    int fd = -1;
    do {
        fd = ::open(name.c_str(), flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool clearNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

bool writeAllAt(int fd, const uint8_t* p, size_t n, off_t at) {
    while (n > 0) {
        const ssize_t w = ::pwrite(fd, p, n, at);
        if (w < 0 && errno == EINTR) {
            continue;
        }
        if (w <= 0) {
            return false;
        }
        p += w;
        n -= static_cast<size_t>(w);
        at += w;
    }
    return true;
}

bool writePiecesAt(int fd, std::initializer_list<FilePiece> pieces) {
    off_t at = 0;
    for (const FilePiece& piece : pieces) {
        if (piece.size > 0 && !writeAllAt(fd, piece.data, piece.size, at)) {
            return false;
        }
        at += static_cast<off_t>(piece.size);
    }
    return true;
}

bool readAllAt(int fd, uint8_t* p, size_t n, size_t& got) {
    got = 0;
    while (got < n) {
        const ssize_t r = ::pread(fd, p + got, n - got, static_cast<off_t>(got));
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r < 0) {
            return false;
        }
        if (r == 0) {
            break; // the file became shorter while it was read
        }
        got += static_cast<size_t>(r);
    }
    return true;
}

// Follows symbolic links from `name` to the name of the file itself (which need not exist yet).
// False for a loop or a link that cannot be read.
bool resolveLinks(const std::string& name, std::string& resolved) {
    std::string path = name;
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            resolved = path;
            return true;
        }
        char buffer[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
        if (n <= 0 || static_cast<size_t>(n) >= sizeof buffer) {
            return false;
        }
        const std::string link(buffer, static_cast<size_t>(n));
        if (link.front() == '/') {
            path = link;
        } else {
            // Relative to the folder holding the link.
            const size_t slash = path.rfind('/');
            path = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + link;
        }
    }
    errno = ELOOP;
    return false;
}

// Creates a new file beside `target` for its next content, exclusively, with `mode`.
Fd createBeside(const std::string& target, mode_t mode, std::string& partName) {
    thread_local std::minstd_rand rng{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        partName = target + ".part" + std::to_string(rng() % 1000000);
        const int fd = openRetrying(
            partName, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, mode);
        if (fd >= 0) {
            return Fd(fd);
        }
        if (errno != EEXIST) {
            break;
        }
    }
    partName.clear();
    return Fd();
}

// Writes into the existing regular file `path` (described by `before`) from its start, cutting
// it to the new length only once every byte is there. Its old content is read first, so a write
// that still fails can put it back.
FileStatus writeInPlace(const std::string& path, const struct stat& before,
                        std::initializer_list<FilePiece> pieces, uint64_t total) {
    const int common = O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK;
    bool readable = true;
    Fd fd(openRetrying(path, O_RDWR | common));
    if (!fd.valid() && errno == EACCES) {
        readable = false; // a write-only file: written all the same, without a way back
        fd.reset(openRetrying(path, O_WRONLY | common));
    }
    struct stat now {};
    if (!fd.valid() || ::fstat(fd.get(), &now) != 0 || !S_ISREG(now.st_mode) ||
        now.st_dev != before.st_dev || now.st_ino != before.st_ino || !clearNonBlocking(fd.get())) {
        return FileStatus::CannotWrite;
    }
    std::vector<uint8_t> old;
    bool haveOld = false;
    if (readable) {
        try {
            old.resize(static_cast<size_t>(now.st_size));
            size_t got = 0;
            haveOld = readAllAt(fd.get(), old.data(), old.size(), got);
            old.resize(got);
        } catch (const std::bad_alloc&) {
            old = {};
        }
    }
    // Space first: a full disk is found before any byte of the old content is overwritten.
    if (total > static_cast<uint64_t>(now.st_size)) {
        int rc = 0;
        do {
            rc = ::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(total));
        } while (rc != 0 && errno == EINTR);
        if (rc != 0 && errno != EOPNOTSUPP && errno != ENOSYS) {
            return FileStatus::CannotWrite;
        }
    }
    const bool written = writePiecesAt(fd.get(), pieces) &&
                         ::ftruncate(fd.get(), static_cast<off_t>(total)) == 0 &&
                         ::fsync(fd.get()) == 0;
    if (!written) {
        // Put the old content back; should that fail too, there is nothing more to be done.
        const bool restored = haveOld && writeAllAt(fd.get(), old.data(), old.size(), 0) &&
                              ::ftruncate(fd.get(), static_cast<off_t>(old.size())) == 0;
        static_cast<void>(restored);
        return FileStatus::CannotWrite;
    }
    return fd.close() ? FileStatus::Ok : FileStatus::CannotWrite;
}

} // namespace

FileStatus readRegularFile(const std::string& name, std::vector<uint8_t>& data, uint64_t maxBytes) {
    data.clear();
    if (name.empty()) {
        return FileStatus::CannotOpen;
    }
    // O_NONBLOCK: opening a FIFO without a writer, or some devices, would otherwise wait.
    Fd fd(openRetrying(name, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        !clearNonBlocking(fd.get())) {
        return FileStatus::CannotOpen;
    }
    if (static_cast<uint64_t>(st.st_size) > maxBytes) {
        return FileStatus::TooLarge;
    }
    try {
        data.resize(static_cast<size_t>(st.st_size));
    } catch (const std::bad_alloc&) {
        return FileStatus::NoMemory;
    }
    size_t got = 0;
    if (!readAllAt(fd.get(), data.data(), data.size(), got)) {
        data.clear();
        return FileStatus::CannotOpen;
    }
    data.resize(got);
    return FileStatus::Ok;
}

FileStatus replaceFile(const std::string& name, std::initializer_list<FilePiece> pieces) {
    std::string path;
    if (name.empty() || !resolveLinks(name, path)) {
        return FileStatus::CannotWrite;
    }
    uint64_t total = 0;
    for (const FilePiece& piece : pieces) {
        total += piece.size;
    }
    struct stat st {};
    const bool exists = ::lstat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        return FileStatus::CannotWrite; // a folder, device or pipe is never replaced
    }
    if (exists && st.st_nlink > 1) {
        return writeInPlace(path, st, pieces, total); // renaming would split the links
    }
    // A new file is made with 0666 and the umask applies, as for any new file; one that
    // replaces an existing file starts private and takes over the old file's owner and mode.
    std::string partName;
    Fd part = createBeside(path, exists ? 0600 : 0666, partName);
    if (!part.valid()) {
        // No new file can be made in the folder: an existing file is written in place.
        return exists ? writeInPlace(path, st, pieces, total) : FileStatus::CannotWrite;
    }
    bool ok = writePiecesAt(part.get(), pieces);
    if (ok && exists) {
        // The old owner and group where the system allows it; the file is ours otherwise.
        const bool sameOwner = (st.st_uid == ::geteuid() && st.st_gid == ::getegid()) ||
                               ::fchown(part.get(), st.st_uid, st.st_gid) == 0;
        static_cast<void>(sameOwner);
        ok = ::fchmod(part.get(), st.st_mode & 0777) == 0;
    }
    ok = part.close() && ok;
    if (ok && ::rename(partName.c_str(), path.c_str()) == 0) {
        return FileStatus::Ok;
    }
    ::unlink(partName.c_str()); // made exclusively above: it is ours
    return FileStatus::CannotWrite;
}

} // namespace qly
