#include "document/PageIdentity.h"

#include "document/JpegOriginals.h"

#include <atomic>

uint64_t pageIdentity(dib& page) {
    static std::atomic<uint64_t> next{0};
    if (page.NOTUSEDINFIXEDMEMlp == 0) {
        page.NOTUSEDINFIXEDMEMlp = static_cast<uintptr_t>(++next);
    }
    return page.NOTUSEDINFIXEDMEMlp;
}

uint64_t pageIdentityIfAny(const dib& page) {
    return page.NOTUSEDINFIXEDMEMlp;
}

void pictureChanged(dib& page) {
    dropJpegOriginal(page);
    page.NOTUSEDINFIXEDMEMlp = 0;
}
