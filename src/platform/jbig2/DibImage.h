#pragma once
// The bridge between the page record and the JBIG2 coder.

#include "platform/DibRecord.h"
#include "platform/jbig2/GenericRegion.h"

#include <cstdint>
#include <vector>

namespace qly::jbig2 {

// Which colour table index of a 1-bit picture is black: the darker entry (by luminance, then by
// the sum of red, green and blue; index 0 when the two differ only in hue). When both entries
// are the same colour the picture is one flat area, black when that colour is dark.
enum class DibPolarity { OneIsBlack, ZeroIsBlack, AllWhite, AllBlack };
DibPolarity dibPolarity(const RGBQUAD& colour0, const RGBQUAD& colour1);

// Describes the pixels of the 1-bit bitmap `d` (rows bottom-up in memory) as a BilevelImage
// with black as 1. A flat picture (see dibPolarity) is described by one row held in `flatRow`,
// which must then outlive the returned view. Returns false when `d` holds no 1-bit bitmap.
bool bilevelImageOfDib(const dib& d, BilevelImage& out, std::vector<uint8_t>& flatRow);

// The resolution of `d` in pixels per metre as the page information segment takes it (0 when
// unknown).
uint32_t dibXResolution(const dib& d);
uint32_t dibYResolution(const dib& d);

} // namespace qly::jbig2
