#include "acquire/AddPicture.h"

#include "document/Dib.h"
#include "document/DynaArray.h"
#include "document/JpegOriginals.h"
#include "platform/GrafikRW3.h"
#include "platform/Messages.h"
#include "platform/Texts.h"

#include <cstring>

bool AddPicture_(TDynaArray& bilder, const std::string& fileName) {
    ReadPicture read = readPicture(fileName);
    return AddReadPicture(bilder, fileName, read);
}

ReadPicture readPicture(const std::string& fileName,
                        const std::function<bool(const qly::JpegFacts&)>& pixelsLater) {
    ReadPicture r;
    std::vector<uint8_t> jpeg;
    qly::JpegFacts facts;
    bool later = false;
    qly::OpenDibKeepingJpeg(r.picture, fileName, jpeg, facts, [&](const qly::JpegFacts& f) {
        later = qly::jpegShowsAlikeInPdf(f) && pixelsLater && pixelsLater(f);
        return later;
    });
    if (r.picture.poi != nullptr && !jpeg.empty() && qly::jpegShowsAlikeInPdf(facts)) {
        try {
            auto original = std::make_shared<JpegOriginal>();
            original->bytes = std::move(jpeg);
            original->facts = facts;
            r.original = std::move(original);
            r.pixelsPending = later;
        } catch (const std::bad_alloc&) {
            // Without room for the original the page is coded like any other, so it needs its
            // pixels now.
            if (later && !qly::decodeJpegPixels(r.picture, jpeg.data(), jpeg.size())) {
                freedib(r.picture);
                SetDibErrorText(r.picture, u"Nicht genug Arbeitsspeicher");
            }
        }
    }
    return r;
}

bool AddReadPicture(TDynaArray& bilder, const std::string& fileName, ReadPicture& read) {
    if (read.picture.poi != nullptr && read.original != nullptr &&
        !keepJpegOriginal(read.picture, read.original, read.pixelsPending) && read.pixelsPending &&
        !qly::decodeJpegPixels(read.picture, read.original->bytes.data(),
                               read.original->bytes.size())) {
        freedib(read.picture);
        SetDibErrorText(read.picture, u"Nicht genug Arbeitsspeicher");
    }
    read.original.reset();
    return AddReadPicture(bilder, fileName, read.picture);
}

bool AddReadPicture(TDynaArray& bilder, const std::string& fileName, dib& picture) {
    if (picture.poi == nullptr) {
        std::string reason = DibErrorText(picture);
        if (reason.empty()) {
            reason = qly::translate("AddPicture", "Die Datei konnte nicht gelesen werden.");
        }
        qly::messageSink().showMessage(
            qly::withArgs(qly::translate("AddPicture", "Fehler beim Öffnen von %1!"), {fileName}),
            reason, qly::MessageIcon::Error);
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
