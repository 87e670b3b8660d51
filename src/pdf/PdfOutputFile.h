#pragma once
// The PDF writer's output file: an unbuffered counting sink over a POSIX file descriptor. Every
// byte handed over is written at once, and the count of bytes written is the position the
// writer records for its objects and its cross-reference table.

#include "platform/FileAccess.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qly {

class PdfOutputFile {
  public:
    // The largest position the writer's object entries can hold (signed 32-bit offsets).
    static constexpr int64_t kMaxSize = 0x7fffffff;

    PdfOutputFile() = default;
    PdfOutputFile(const PdfOutputFile&) = delete;
    PdfOutputFile& operator=(const PdfOutputFile&) = delete;
    // Closes a file that is still open, quietly (its content stays as written).
    ~PdfOutputFile();

    // Starts the file `name` (UTF-8) as a ReplacingFile: the bytes go into a temporary file
    // beside it, which takes its place at close(), so an earlier file stays as it was until the
    // new one is complete. A device, a pipe or /dev/stdout is written directly; so is an existing
    // file in a folder where no new file can be made (truncated at once, as there is no other
    // way). A new file gets 0666 minus the umask. Returns false when it cannot be created. Any
    // file open before is dropped first.
    bool create(const std::string& name);
    bool isOpen() const { return fd_ >= 0; }
    const std::string& name() const { return name_; }

    // Writes all bytes. Throws IoError (with the file name and the position) when the system
    // refuses them (a full disk, for example) or the file would grow beyond kMaxSize.
    void write(const void* data, size_t size);
    void write(std::string_view bytes) { write(bytes.data(), bytes.size()); }

    // Number of bytes written since create.
    int64_t written() const { return written_; }

    // The file position: `pos` is always set to the number of bytes written. For a file that
    // keeps a position (a regular file or block device) the system is asked as well, and the
    // result is false when it cannot tell or disagrees. Outputs without a position of their own
    // (pipes, sockets, terminals, /dev/null) are not asked: the count is their position, true.
    bool queryPosition(int64_t& pos) const;

    // Closes the file and puts it in its place; throws IoError when the system reports that the
    // data could not be written in full or the file cannot take its place (the earlier file then
    // stays).
    void close();

    // Drops what was written without reporting errors: the temporary file is removed. A file
    // written directly is removed only when it is the regular file this object created (never a
    // device, pipe or a file put there by someone else).
    void discard();

  private:
    void drop();
    ReplacingFile out_;
    bool inPlace_ = false; // written straight into an existing file, out_ unused
    int fd_ = -1;
    std::string name_;
    int64_t written_ = 0;
    bool regular_ = false;
    bool positioned_ = false; // the system keeps a file position for the output
    uint64_t device_ = 0;
    uint64_t inode_ = 0;
};

} // namespace qly
