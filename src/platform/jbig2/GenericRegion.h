#pragma once
// Generic region coding (ITU-T T.88 6.2) of a bilevel picture held in plain memory.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qly::jbig2 {

// A bilevel picture in memory that the caller owns: `height` rows of `width` pixels, each row
// packed 8 pixels to a byte with the leftmost pixel in the most significant bit. Bits past the
// width in a row's last byte are ignored. `stride` is the signed distance in bytes from one row
// to the next row down, so a bottom-up bitmap is passed as its top row and a negative stride
// (and a stride of 0 repeats one row).
struct BilevelImage {
    const uint8_t* top = nullptr; // first byte of the top row
    ptrdiff_t stride = 0;         // bytes from a row to the row below it
    uint32_t width = 0;           // pixels per row, at least 1
    uint32_t height = 0;          // rows, at least 1
    bool zeroIsBlack = false;     // true: a 0 bit is black (JBIG2 codes black as 1)
};

// Options of generic region coding. The coder always uses template 0 with the nominal adaptive
// template pixels (3,-1), (-3,-1), (2,-2), (-2,-2), the best of the four templates for text and
// halftones alike.
struct GenericRegionOptions {
    // Typical prediction (TPGDON): a row equal to the row above costs one decision.
    bool typicalPrediction = true;
};

// The nominal adaptive template pixel offsets of template 0, in the order of the generic region
// segment's AT flags: A1x, A1y, A2x, A2y, A3x, A3y, A4x, A4y.
inline constexpr int8_t kNominalAtPixels[8] = {3, -1, -3, -1, 2, -2, -2, -2};

// Codes `image` as the arithmetic-coded data of a generic region (MMR = 0, GBTEMPLATE = 0) and
// appends it to `out`, ending with the 0xFF 0xAC marker. Throws std::invalid_argument when the
// image has no pixels or no data pointer, std::bad_alloc when memory runs out.
void encodeGenericRegion(const BilevelImage& image, const GenericRegionOptions& options,
                         std::vector<uint8_t>& out);

} // namespace qly::jbig2
