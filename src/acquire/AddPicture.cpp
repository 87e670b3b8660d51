#include "acquire/AddPicture.h"

#include "document/Dib.h"
#include "document/DynaArray.h"
#include "platform/GrafikRW3.h"
#include "platform/Messages.h"

#include <cstring>

bool AddPicture_(TDynaArray& bilder, const std::string& fileName) {
    dib picture{};
    OpenDib(picture, fileName, DIB_AUTO);
    return AddReadPicture(bilder, fileName, picture);
}

bool AddReadPicture(TDynaArray& bilder, const std::string& fileName, dib& picture) {
    if (picture.poi == nullptr) {
        std::string reason = DibErrorText(picture);
        if (reason.empty()) {
            reason = "Die Datei konnte nicht gelesen werden.";
        }
        qly::messageSink().showMessage("Fehler beim Öffnen von " + fileName + "!", reason,
                                       qly::MessageIcon::Error);
        return false;
    }
    return AppendPage(bilder, picture);
}

bool AppendPage(TDynaArray& bilder, dib& picture) {
    void* slot = bilder.Add();
    if (slot == nullptr) {
        // The array has reported the memory failure; the picture is not kept.
        freedib(picture);
        return false;
    }
    std::memcpy(slot, &picture, sizeof picture);
    return true;
}
