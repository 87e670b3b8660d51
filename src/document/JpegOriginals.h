#pragma once
// The original bytes of pages read from JPEG files, kept while the page's picture stays as it was
// read (or was turned losslessly with them), so that the PDF export can embed the file as it is
// instead of coding the pixels a second time.
//
// They are kept beside the pages, keyed by the page identity (document/PageIdentity.h): the
// identity lives in the page record and moves with it wherever the record or its pixels move,
// and a new picture comes without one, so a replaced picture never finds the bytes of the old
// one. freedib releases them with the picture; pictureChanged releases them for a picture changed
// in place. Any thread may call these functions.

#include "platform/DibRecord.h"
#include "platform/JpegFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct JpegOriginal {
    std::vector<uint8_t> bytes; // a complete JPEG file of the page's picture as it is now
    qly::JpegFacts facts;       // what its markers say; the quality is that of the file read
};

// Keeps `original` for `page`, a page with pixels of the original's size, giving the page an
// identity when it has none; replaces what was kept for it. `pixelsPending`: the page's pixels
// are still zero and are decoded from the original by ensurePagePixels (a page read with
// OpenDibKeepingJpeg's pixelsLater). Returns false, keeping nothing, when memory runs out.
bool keepJpegOriginal(dib& page, std::shared_ptr<const JpegOriginal> original,
                      bool pixelsPending = false);
// The original kept for `page`, or null.
std::shared_ptr<const JpegOriginal> jpegOriginalOf(const dib& page);
// Releases what is kept for `page`; nothing happens when nothing is.
void dropJpegOriginal(const dib& page);
// True when `page`'s pixels are there: always, unless it was kept with pixelsPending, in which
// case they are decoded now. False when that decoding fails (the pixels stay zero then).
bool ensurePagePixels(const dib& page);
// The number of pages with an original kept (for tests and leak checks).
size_t keptJpegOriginals();
