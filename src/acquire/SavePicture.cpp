#include "acquire/SavePicture.h"

#include "platform/GrafikRW3.h"
#include "platform/Messages.h"
#include "platform/Texts.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

constexpr std::array<const char*, 13> kExtensions = {".bmp", ".dib", ".gif", ".iff", ".jif",
                                                     ".jpg", ".lbm", ".pcx", ".rle", ".tga",
                                                     ".tif", ".jp2", ".png"};

// The extension of the last path element with its dot, in lower case; empty without one.
std::string extensionOf(const std::string& name) {
    const size_t slash = name.find_last_of('/');
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    std::string ext = name.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

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

int32_t saveFormatFor(const std::string& name, int filterIndex) {
    std::string ext = extensionOf(name);
    if (ext == ".jpeg") {
        ext = ".jpg";
    } else if (ext == ".tiff") {
        ext = ".tif";
    }
    const auto it = std::find(kExtensions.begin(), kExtensions.end(), ext);
    if (!ext.empty() && it != kExtensions.end()) {
        return saveFormatCode(static_cast<int>(it - kExtensions.begin()) + 1);
    }
    return saveFormatCode(filterIndex);
}

bool SavePicture(const dib& page, const std::string& fileName, int32_t format) {
    if (SaveDib(page, fileName, format) == 1) {
        return true;
    }
    std::string reason = DibLastError();
    if (reason.empty()) {
        reason = qly::translate("SavePicture", "Die Datei konnte nicht geschrieben werden.");
    }
    qly::messageSink().showMessage(
        qly::withArgs(qly::translate("SavePicture", "Fehler beim Speichern von %1!"), {fileName}),
        reason, qly::MessageIcon::Error);
    return false;
}
