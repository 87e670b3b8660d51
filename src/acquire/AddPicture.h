#pragma once
// Adding picture files as pages.

#include "platform/DibRecord.h"
#include "platform/JpegFile.h"

#include <functional>
#include <memory>
#include <string>

class TDynaArray;
struct JpegOriginal;

// Reads the picture file (format taken from its bytes) and appends it as the last page of
// `bilder`, whose records are `dib`; the array then owns the picture's memory. When the file
// cannot be read, the message sink shows the error icon with the caption
// "Fehler beim Öffnen von <file>!" and the library's reason as text, and nothing is added.
// A page read from a JPEG file keeps the file (document/JpegOriginals.h) when its colours show
// alike in a PDF (jpegShowsAlikeInPdf) and it decoded without a warning. Returns true when a page
// was added.
bool AddPicture_(TDynaArray& bilder, const std::string& fileName);

// A picture file as read, on any thread, before it becomes a page.
struct ReadPicture {
    dib picture{};                                // the bitmap, or the failure text
    std::shared_ptr<const JpegOriginal> original; // the JPEG file it was read from, to keep
    bool pixelsPending = false;                   // pixels left for later (see readPicture)
};
// Reads a picture file (OpenDibKeepingJpeg). `pixelsLater` as there: a JPEG file it answers true
// for is only checked, not decoded, and becomes a page whose pixels are decoded from the kept
// file when something needs them (ensurePagePixels). It is asked only for files that are kept.
ReadPicture readPicture(const std::string& fileName,
                        const std::function<bool(const qly::JpegFacts&)>& pixelsLater = {});
// AddReadPicture for a picture read with readPicture: the new page keeps its original.
bool AddReadPicture(TDynaArray& bilder, const std::string& fileName, ReadPicture& read);

// The second half of AddPicture_, for a picture already read with OpenDib (on any thread): a
// picture with pixels is appended and owned by `bilder`; a failed read is reported as above.
bool AddReadPicture(TDynaArray& bilder, const std::string& fileName, dib& picture);

// Appends `picture` (with pixels) as the last page of `bilder`, which then owns its bitmap; the
// record becomes the current one. Without memory for the record the array has reported it, the
// bitmap is released and false returned.
bool AppendPage(TDynaArray& bilder, dib& picture);
