#include "acquire/SavePicture.h"

#include "platform/GrafikRW3.h"
#include "platform/Messages.h"

#include <array>

namespace {

constexpr std::array<const char*, 12> kExtensions = {
    ".bmp", ".dib", ".gif", ".iff", ".jif", ".jpg", ".lbm", ".pcx", ".rle", ".tga", ".tif", ".jp2"};

} // namespace

int32_t saveFormatCode(int filterIndex) {
    return filterIndex + 2;
}

std::string saveExtension(int filterIndex) {
    if (filterIndex < 1 || filterIndex > static_cast<int>(kExtensions.size())) {
        return {};
    }
    return kExtensions[static_cast<size_t>(filterIndex - 1)];
}

std::string nameWithSaveExtension(const std::string& name, int filterIndex) {
    const size_t slash = name.find_last_of('/');
    const size_t elementStart = slash == std::string::npos ? 0 : slash + 1;
    if (name.find('.', elementStart) != std::string::npos) {
        return name;
    }
    return name + saveExtension(filterIndex);
}

bool SavePicture(const dib& page, const std::string& fileName, int32_t format) {
    if (SaveDib(page, fileName, format) == 1) {
        return true;
    }
    std::string reason = DibLastError();
    if (reason.empty()) {
        reason = "Die Datei konnte nicht geschrieben werden.";
    }
    qly::messageSink().showMessage("Fehler beim Speichern von " + fileName + "!", reason,
                                   qly::MessageIcon::Error);
    return false;
}
