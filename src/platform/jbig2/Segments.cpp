#include "platform/jbig2/Segments.h"

#include <limits>
#include <stdexcept>

namespace qly::jbig2 {
namespace {

void putU32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void setU32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    out[at] = static_cast<uint8_t>(v >> 24);
    out[at + 1] = static_cast<uint8_t>(v >> 16);
    out[at + 2] = static_cast<uint8_t>(v >> 8);
    out[at + 3] = static_cast<uint8_t>(v);
}

// Generic region segment flags (T.88 7.4.6.2): bit 0 MMR, bits 1-2 GBTEMPLATE, bit 3 TPGDON.
constexpr uint8_t kFlagTpgdon = 0x08;
// Page information flags (T.88 7.4.8.5): bit 0 "page is eventually lossless"; the default pixel
// value (bit 2) and the default combination operator (bits 3-4, OR) stay 0.
constexpr uint8_t kPageEventuallyLossless = 0x01;

} // namespace

void appendSegmentHeader(std::vector<uint8_t>& out, uint32_t number, SegmentType type,
                         uint32_t page, uint32_t dataLength) {
    putU32(out, number);
    const bool widePage = page > 0xFF;
    // Flags (7.2.3): bits 0-5 type, bit 6 page association field size, bit 7 deferred
    // non-retain.
    out.push_back(static_cast<uint8_t>(static_cast<uint8_t>(type) | (widePage ? 0x40 : 0)));
    // Referred-to segment count (bits 5-7) and retention flags (7.2.4): none referred to.
    out.push_back(0);
    if (widePage) {
        putU32(out, page);
    } else {
        out.push_back(static_cast<uint8_t>(page));
    }
    putU32(out, dataLength);
}

void appendPageInformationSegment(std::vector<uint8_t>& out, uint32_t number, uint32_t page,
                                  const PageInfo& info) {
    appendSegmentHeader(out, number, SegmentType::PageInformation, page, 19);
    putU32(out, info.width);
    putU32(out, info.height);
    putU32(out, info.xResolution);
    putU32(out, info.yResolution);
    out.push_back(kPageEventuallyLossless);
    // Page striping information (7.4.8.6): not striped.
    out.push_back(0);
    out.push_back(0);
}

void appendGenericRegionSegment(std::vector<uint8_t>& out, uint32_t number, uint32_t page,
                                const BilevelImage& image, const GenericRegionOptions& options) {
    if (image.top == nullptr || image.width == 0 || image.height == 0) {
        throw std::invalid_argument("generic region without pixels");
    }
    const size_t headerAt = out.size();
    appendSegmentHeader(out, number, SegmentType::ImmediateLosslessGenericRegion, page, 0);
    const size_t lengthAt = out.size() - 4;
    const size_t dataAt = out.size();
    // Region segment information field (7.4.1).
    putU32(out, image.width);
    putU32(out, image.height);
    putU32(out, 0);   // x location
    putU32(out, 0);   // y location
    out.push_back(0); // external combination operator OR
    out.push_back(options.typicalPrediction ? kFlagTpgdon : 0);
    for (const int8_t at : kNominalAtPixels) {
        out.push_back(static_cast<uint8_t>(at));
    }
    encodeGenericRegion(image, options, out);
    const size_t dataLength = out.size() - dataAt;
    if (dataLength > std::numeric_limits<uint32_t>::max()) {
        out.resize(headerAt);
        throw std::length_error("generic region data exceeds a segment's length field");
    }
    setU32(out, lengthAt, static_cast<uint32_t>(dataLength));
}

std::vector<uint8_t> encodePageStream(const BilevelImage& image, uint32_t xResolution,
                                      uint32_t yResolution, const GenericRegionOptions& options) {
    std::vector<uint8_t> out;
    // Room for the coded data of a typical text page without regrowing.
    out.reserve(64 * 1024);
    appendPageInformationSegment(out, 0, 1,
                                 PageInfo{image.width, image.height, xResolution, yResolution});
    appendGenericRegionSegment(out, 1, 1, image, options);
    return out;
}

} // namespace qly::jbig2
