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
    // Hands the descriptor over; this object no longer closes it.
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
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

// Names under /dev and /proc stand for devices and for other processes' descriptors
// (/dev/stdout, /proc/self/fd/1): what their links name is no file to put a new one beside.
bool isSystemName(const std::string& path) {
    return path.rfind("/dev/", 0) == 0 || path.rfind("/proc/", 0) == 0;
}

// Follows symbolic links from `name` to the name of the file itself (which need not exist yet).
// False for a loop or a link that cannot be read. `system` tells whether the name or a link on
// the way is under /dev or /proc.
bool resolveLinks(const std::string& name, std::string& resolved, bool* system = nullptr) {
    std::string path = name;
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        if (system != nullptr && isSystemName(path)) {
            *system = true;
            resolved = path;
            return true;
        }
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

// A hidden name beside `target`: "." + the file name + "." + eight hex digits + ".tmp".
std::string hiddenNameBeside(const std::string& target, uint32_t salt) {
    const size_t slash = target.rfind('/');
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    // Keep the whole name within the 255 bytes a folder entry may have.
    const std::string base = target.substr(start, 200);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string suffix(8, '0');
    for (size_t i = 0; i < suffix.size(); ++i) {
        suffix[i] = kHex[(salt >> (28 - 4 * i)) & 15];
    }
    return target.substr(0, start) + "." + base + "." + suffix + ".tmp";
}

// Creates a new file beside `target` for its next content, exclusively, with `mode`, open for
// reading too (a hard-linked target is filled from it).
Fd createBeside(const std::string& target, mode_t mode, std::string& partName) {
    thread_local std::mt19937 rng{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        partName = hiddenNameBeside(target, static_cast<uint32_t>(rng()));
        const int fd = openRetrying(
            partName, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, mode);
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

// Makes a rename in the folder of `target` durable; a folder that cannot be synced changes
// nothing, as the file is complete under its name either way.
void syncFolderOf(const std::string& target) {
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    Fd fd(openRetrying(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid()) {
        ::fsync(fd.get());
    }
}

// Reserves `size` bytes for `fd` without changing its length, so a full disk is found before
// anything is overwritten. File systems that cannot reserve are written all the same.
bool reserveSpace(int fd, uint64_t size) {
    int rc = 0;
    do {
        rc = ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size));
    } while (rc != 0 && errno == EINTR);
    return rc == 0 || errno == EOPNOTSUPP || errno == ENOSYS;
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
    if (total > static_cast<uint64_t>(now.st_size) && !reserveSpace(fd.get(), total)) {
        return FileStatus::CannotWrite;
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
    uint64_t total = 0;
    for (const FilePiece& piece : pieces) {
        total += piece.size;
    }
    ReplacingFile file;
    if (file.open(name, false) == ReplacingFile::Opened::Failed) {
        // No new file can be made in the folder: an existing regular file is written in place,
        // with its old content kept to put back should that fail.
        std::string path;
        struct stat st {};
        if (!name.empty() && resolveLinks(name, path) && ::lstat(path.c_str(), &st) == 0 &&
            S_ISREG(st.st_mode) && !isSystemName(path)) {
            return writeInPlace(path, st, pieces, total);
        }
        return FileStatus::CannotWrite;
    }
    if (!writePiecesAt(file.fd(), pieces) || !file.commit()) {
        return FileStatus::CannotWrite;
    }
    return FileStatus::Ok;
}

ReplacingFile::~ReplacingFile() {
    abandon();
}

ReplacingFile::Opened ReplacingFile::open(const std::string& name, bool allowDirect) {
    abandon();
    direct_ = existed_ = false;
    bool system = false;
    if (name.empty() || !resolveLinks(name, target_, &system)) {
        errno = name.empty() ? ENOENT : errno;
        return Opened::Failed;
    }
    struct stat st {};
    existed_ = !system && ::lstat(target_.c_str(), &st) == 0;
    if (system || (existed_ && !S_ISREG(st.st_mode))) {
        if (!allowDirect) {
            errno = EINVAL;
            return Opened::Failed;
        }
        // The name as given: /dev/stdout is the caller's standard output, whatever it is.
        fd_ = openRetrying(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
        direct_ = fd_ >= 0;
        return direct_ ? Opened::Direct : Opened::Failed;
    }
    if (existed_) {
        oldMode_ = st.st_mode & 07777;
        oldUid_ = st.st_uid;
        oldGid_ = st.st_gid;
        oldLinks_ = st.st_nlink;
    }
    // A new file gets 0666 and the umask, as any new file; one that replaces a file starts private
    // and takes over the old file's owner and mode when it is complete.
    Fd part = createBeside(target_, existed_ ? 0600 : 0666, part_);
    if (!part.valid()) {
        return Opened::Failed;
    }
    fd_ = part.get();
    static_cast<void>(part.release());
    return Opened::Replacing;
}

bool ReplacingFile::copyIntoTarget(int from) {
    struct stat part {};
    Fd target(openRetrying(target_, O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK));
    struct stat now {};
    if (!target.valid() || ::fstat(target.get(), &now) != 0 || !S_ISREG(now.st_mode) ||
        !clearNonBlocking(target.get()) || ::fstat(from, &part) != 0 ||
        !reserveSpace(target.get(), static_cast<uint64_t>(part.st_size))) {
        return false;
    }
    std::vector<uint8_t> buffer(1 << 20);
    off_t at = 0;
    while (at < part.st_size) {
        const ssize_t n = ::pread(from, buffer.data(), buffer.size(), at);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0 || !writeAllAt(target.get(), buffer.data(), static_cast<size_t>(n), at)) {
            return false;
        }
        at += n;
    }
    return ::ftruncate(target.get(), part.st_size) == 0 && ::fsync(target.get()) == 0 &&
           target.close();
}

bool ReplacingFile::commit() {
    if (fd_ < 0) {
        errno = EBADF;
        return false;
    }
    Fd fd(fd_);
    fd_ = -1;
    if (direct_) {
        direct_ = false;
        return fd.close();
    }
    bool ok = ::fsync(fd.get()) == 0;
    if (ok && existed_) {
        // The old owner and group where the system allows it; the file is ours otherwise.
        if (oldUid_ != ::geteuid() || oldGid_ != ::getegid()) {
            static_cast<void>(::fchown(fd.get(), oldUid_, oldGid_));
        }
        ok = ::fchmod(fd.get(), static_cast<mode_t>(oldMode_ & 0777)) == 0;
    }
    if (ok && existed_ && oldLinks_ > 1) {
        // Renaming would split the links: the new content goes into the file itself.
        ok = copyIntoTarget(fd.get());
        const int saved = errno;
        fd.close();
        abandon();
        errno = saved;
        return ok;
    }
    ok = fd.close() && ok && ::rename(part_.c_str(), target_.c_str()) == 0;
    if (!ok) {
        const int saved = errno;
        abandon();
        errno = saved;
        return false;
    }
    part_.clear();
    syncFolderOf(target_);
    return true;
}

void ReplacingFile::abandon() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    direct_ = false;
    if (!part_.empty()) {
        ::unlink(part_.c_str()); // made exclusively by open(): it is ours
        part_.clear();
    }
}

} // namespace qly
