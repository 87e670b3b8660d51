#include "platform/IoError.h"

namespace qly {
namespace {

std::string describe(const std::string& what, const std::string& file, int64_t offset) {
    std::string text = what;
    if (!file.empty()) {
        text += " (" + file;
        if (offset >= 0) {
            text += ", offset " + std::to_string(offset);
        }
        text += ")";
    }
    return text;
}

} // namespace

IoError::IoError(const std::string& what, const std::string& file, int64_t offset)
    : std::runtime_error(describe(what, file, offset)), reason_(what), file_(file),
      offset_(offset) {}

} // namespace qly
