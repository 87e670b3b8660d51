#pragma once
// JBIG2 segments (ITU-T T.88 7.2 and 7.4) and the page stream that the PDF JBIG2Decode filter
// takes for an embedded page (ISO 32000-1 7.4.7): segments without the file header, associated
// with page 1, and no end-of-page or end-of-file segment.

#include "platform/jbig2/GenericRegion.h"

#include <cstdint>
#include <vector>

namespace qly::jbig2 {

// Segment types used here (T.88 7.3).
enum class SegmentType : uint8_t {
    ImmediateGenericRegion = 38,
    ImmediateLosslessGenericRegion = 39,
    PageInformation = 48,
    EndOfPage = 49,
    EndOfStripe = 50,
    EndOfFile = 51,
};

// Appends a segment header (T.88 7.2) that refers to no other segment and is kept by the
// decoder only for its page: segment number, flags with the type (a 4-byte page association when
// `page` exceeds 255), page association and the length of the data that follows. Bytes are
// big-endian as everywhere in JBIG2.
void appendSegmentHeader(std::vector<uint8_t>& out, uint32_t number, SegmentType type,
                         uint32_t page, uint32_t dataLength);

// Page geometry and resolution for the page information segment.
struct PageInfo {
    uint32_t width = 0;       // pixels
    uint32_t height = 0;      // pixels
    uint32_t xResolution = 0; // pixels per metre, 0 when unknown
    uint32_t yResolution = 0; // pixels per metre, 0 when unknown
};

// Appends a complete page information segment (T.88 7.4.8; 19 data bytes): the page is
// eventually lossless, white by default (0), composed with OR, not striped.
void appendPageInformationSegment(std::vector<uint8_t>& out, uint32_t number, uint32_t page,
                                  const PageInfo& info);

// Appends a complete immediate lossless generic region segment (T.88 7.4.6) that places
// `image` at the page's top-left corner, coded with template 0, nominal AT pixels and, as the
// options say, typical prediction. Throws std::invalid_argument for an image without pixels and
// std::length_error when the coded data would not fit the segment's 32-bit length.
void appendGenericRegionSegment(std::vector<uint8_t>& out, uint32_t number, uint32_t page,
                                const BilevelImage& image, const GenericRegionOptions& options);

// The embedded page stream of one picture: a page information segment (number 0) and the
// picture as one immediate lossless generic region (number 1), both on page 1. The global
// stream that goes with it is empty. Resolutions are in pixels per metre (0: unknown). Throws as
// appendGenericRegionSegment.
std::vector<uint8_t> encodePageStream(const BilevelImage& image, uint32_t xResolution = 0,
                                      uint32_t yResolution = 0,
                                      const GenericRegionOptions& options = {});

} // namespace qly::jbig2
