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

} // namespace qly
