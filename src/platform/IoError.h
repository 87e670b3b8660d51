#pragma once
// The one error type for input/output failures of the engine: what went wrong, on which file and
// at which byte offset. Thrown inside the engine and caught by the command the user started.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace qly {

class IoError : public std::runtime_error {
  public:
    // `what` is a short description (for example the system's error text), `file` the file
    // concerned (UTF-8), `offset` the byte offset in that file where the failure happened, or -1
    // when no offset applies.
    IoError(const std::string& what, const std::string& file, int64_t offset);

    const std::string& file() const { return file_; }
    int64_t offset() const { return offset_; }
    // The description without file and offset (what() holds all three).
    const std::string& reason() const { return reason_; }

  private:
    std::string reason_;
    std::string file_;
    int64_t offset_;
};

} // namespace qly
