#pragma once
// Reading and replacing whole files by name, the way the image library and the PDF writer need
// it: only regular files are read (a pipe, a device or a folder named as a picture is refused at
// once instead of blocking or giving garbage), and a file is replaced as a whole without losing
// what the user set up around it.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace qly {

// Outcome of reading or writing a file.
enum class FileStatus {
    Ok,
    CannotOpen,  // missing, unreadable, or not a regular file
    TooLarge,    // larger than the caller's limit
    NoMemory,    // no memory for the contents
    CannotWrite, // the file could not be written; it is as it was before
};

// Reads the whole of `name` into `data` when it is a regular file of at most `maxBytes` bytes.
// The file is opened without blocking (O_NONBLOCK) and checked with fstat before any byte is
// read, so a FIFO or a device is refused at once.
FileStatus readRegularFile(const std::string& name, std::vector<uint8_t>& data, uint64_t maxBytes);

// One run of bytes of a file being written.
struct FilePiece {
    const uint8_t* data;
    size_t size;
};

// Writes the pieces one after the other as the whole content of `name`:
// - A symbolic link is followed to the file it names (a dangling link names the file to make),
//   and the link stays.
// - An existing file keeps its permission bits and, where the system allows, its owner and
//   group. A new file gets 0666 minus the umask.
// - Normally the content goes into a new file beside the target, which is then renamed over it,
//   so the target is complete or untouched. An existing file with more than one hard link, or
//   in a folder where no new file can be made, is written in place instead: its space is
//   reserved first, the bytes written from the start, and only then is it cut to the new length;
//   should a write still fail, its old content is put back.
// Anything but a regular file (a folder, device or pipe) is refused without being opened.
FileStatus replaceFile(const std::string& name, std::initializer_list<FilePiece> pieces);

// The new content of a file that is written piece by piece (a PDF, a document), so that the file
// named is at every moment either its earlier self or the whole new content:
// - The content goes into a new hidden file beside the target (".NAME.XXXXXXXX.tmp", created
//   exclusively); commit() flushes it to the disk and renames it over the target. A symbolic
//   link is followed and stays; a replaced file's permission bits, owner and group are kept.
// - A target with several hard links keeps them: commit() reserves the space, then copies the
//   new content into the target itself.
// - A target that cannot be renamed onto (a device, a pipe, anything under /dev or /proc such as
//   /dev/stdout) is written directly when the caller allows it: open() then says Direct and the
//   descriptor is the target's own.
// Whatever is not committed is removed when the object ends; the target stays as it was.
class ReplacingFile {
  public:
    enum class Opened {
        Failed,    // nothing can be written (errno tells why), e.g. no new file in the folder
        Replacing, // a new file beside the target, which commit() puts in its place
        Direct,    // the target itself, written as it goes
    };

    ReplacingFile() = default;
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Starts the new content of `name` (UTF-8). `allowDirect`: whether a target that cannot be
    // replaced by renaming is opened for writing as it is, or refused (Failed, errno EINVAL).
    Opened open(const std::string& name, bool allowDirect);
    // The descriptor to write to; -1 when nothing is open.
    int fd() const { return fd_; }
    // Makes the written content the target's. False with errno on failure: then nothing of the
    // new content is left and the target is as it was (a direct output keeps what it got).
    bool commit();
    // Drops the new content: the temporary file is removed, a direct output is closed.
    void abandon();

  private:
    bool copyIntoTarget(int from);
    int fd_ = -1;
    bool direct_ = false;
    bool existed_ = false;
    std::string target_; // the file itself, links followed
    std::string part_;   // the temporary file while it is ours
    unsigned oldMode_ = 0;
    unsigned oldUid_ = 0;
    unsigned oldGid_ = 0;
    unsigned long oldLinks_ = 0;
};

} // namespace qly
