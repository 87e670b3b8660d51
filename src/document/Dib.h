#pragma once
// The page image record: small accessors and release. Drawing is in document/DrawDib.h.

#include "platform/DibRecord.h"

#include <cstdint>

// Width, height and bits per pixel from the header; 0 for a record without header.
int32_t dibwidth(const dib& d);
int32_t dibheight(const dib& d);
int32_t dibbits(const dib& d);
// 2 raised to dibbits (2, 16, 256, 65536, 16777216, ...); 1 for a record without header.
int64_t dibcolors(const dib& d);
// Releases the record's bitmap: the original JPEG bytes kept for it (document/JpegOriginals.h),
// the pixel block when it is its own block, then the header block; then zeroes pmi, poih, pmih
// and poi. A record whose poi is null is left alone, so releasing
// twice is harmless.
void freedib(dib& d);

class TDynaArray;
// Releases the picture of every record of `pages` (records of type dib) and removes them all.
void releaseAllPages(TDynaArray& pages);
