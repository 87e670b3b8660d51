#include "pdf/PdfOutputFile.h"

#include "platform/IoError.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qly {

PdfOutputFile::~PdfOutputFile() {
    drop();
}

void PdfOutputFile::drop() {
    if (inPlace_ && fd_ >= 0) {
        ::close(fd_);
    }
    out_.abandon();
    fd_ = -1;
    inPlace_ = false;
}

bool PdfOutputFile::create(const std::string& name) {
    drop();
    name_ = name;
    written_ = 0;
    regular_ = false;
    if (name.empty()) {
        return false;
    }
    int fd = -1;
    if (out_.open(name, true) != ReplacingFile::Opened::Failed) {
        fd = out_.fd();
    } else if (errno == EACCES || errno == EROFS || errno == EPERM) {
        // No new file can be made beside the target, but the target itself may be writable.
        do {
            fd = ::open(name.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY);
        } while (fd < 0 && errno == EINTR);
        inPlace_ = fd >= 0;
    }
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        regular_ = true;
        device_ = static_cast<uint64_t>(st.st_dev);
        inode_ = static_cast<uint64_t>(st.st_ino);
    }
    // Pipes, sockets and character devices (a terminal, /dev/null) keep no position of their
    // own: what was written is all there is to know. A position that fails to match can only be
    // wrong where the system keeps one.
    positioned_ = regular_ || S_ISBLK(st.st_mode);
    fd_ = fd;
    return true;
}

void PdfOutputFile::write(const void* data, size_t size) {
    if (fd_ < 0) {
        throw IoError("The file is not open", name_, written_);
    }
    if (static_cast<uint64_t>(written_) + size > static_cast<uint64_t>(kMaxSize)) {
        throw IoError("The PDF file would grow beyond 2 GiB", name_, written_);
    }
    const auto* p = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw IoError(std::strerror(errno), name_, written_);
        }
        if (n == 0) {
            throw IoError("The system accepted no more data", name_, written_);
        }
        p += n;
        size -= static_cast<size_t>(n);
        written_ += n;
    }
}

bool PdfOutputFile::queryPosition(int64_t& pos) const {
    pos = written_;
    if (fd_ < 0) {
        return false;
    }
    if (!positioned_) {
        return true;
    }
    const off_t p = ::lseek(fd_, 0, SEEK_CUR);
    return p >= 0 && static_cast<int64_t>(p) == written_;
}

void PdfOutputFile::close() {
    if (fd_ < 0) {
        return;
    }
    const int fd = fd_;
    fd_ = -1;
    if (!inPlace_) {
        if (!out_.commit()) {
            throw IoError(std::strerror(errno), name_, written_);
        }
        return;
    }
    inPlace_ = false;
    // close() reports delayed write errors (network file systems, quotas). EINTR still closes
    // the descriptor on Linux, so it is not retried.
    if (::close(fd) != 0 && errno != EINTR) {
        throw IoError(std::strerror(errno), name_, written_);
    }
}

void PdfOutputFile::discard() {
    const bool inPlace = inPlace_;
    drop();
    if (!inPlace || !regular_ || name_.empty()) {
        return;
    }
    regular_ = false;
    // Remove the name only while it still designates the file written here.
    struct stat st {};
    if (::lstat(name_.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        static_cast<uint64_t>(st.st_dev) == device_ && static_cast<uint64_t>(st.st_ino) == inode_) {
        ::unlink(name_.c_str());
    }
}

} // namespace qly
