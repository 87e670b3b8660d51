#pragma once
// The PDF writer's output file: an unbuffered counting sink over a POSIX file descriptor. Every
// byte handed over is written at once, and the count of bytes written is the position the
// writer records for its objects and its cross-reference table.

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

    // Creates `name` (UTF-8), truncating an existing file, permissions 0666 minus the umask.
    // Returns false when it cannot be created. Any file open before is closed first.
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

    // Closes the file; throws IoError when the system reports that the data could not be
    // written in full.
    void close();

    // Closes the file without reporting errors and removes it, but only when it is the regular
    // file this object created (never a device, pipe or a file put there by someone else).
    void discard();

  private:
    int fd_ = -1;
    std::string name_;
    int64_t written_ = 0;
    bool regular_ = false;
    bool positioned_ = false; // the system keeps a file position for the output
    uint64_t device_ = 0;
    uint64_t inode_ = 0;
};

} // namespace qly
