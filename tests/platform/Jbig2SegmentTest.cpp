// The bytes of the JBIG2 segments: headers, page information, the generic region's fields, and
// the shape of the embedded page stream.
#include "platform/jbig2/Segments.h"

#include "Jbig2TestImages.h"
#include "common/Jbig2Decoder.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace qly::jbig2;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes slice(const Bytes& b, size_t from, size_t count) {
    return Bytes(b.begin() + static_cast<ptrdiff_t>(from),
                 b.begin() + static_cast<ptrdiff_t>(from + count));
}

TEST(Jbig2Segments, HeaderOfASegmentOnPageOne) {
    Bytes out;
    appendSegmentHeader(out, 0, SegmentType::PageInformation, 1, 19);
    EXPECT_EQ(out, (Bytes{0, 0, 0, 0, 0x30, 0x00, 0x01, 0, 0, 0, 19}));
}

TEST(Jbig2Segments, HeaderNumbersAndLengthsAreBigEndianAndLargePagesTakeFourBytes) {
    Bytes out;
    appendSegmentHeader(out, 0x01020304, SegmentType::ImmediateLosslessGenericRegion, 0x100,
                        0xA0B0C0D0);
    EXPECT_EQ(out, (Bytes{0x01, 0x02, 0x03, 0x04, 0x40 | 39, 0x00, 0x00, 0x00, 0x01, 0x00, 0xA0,
                          0xB0, 0xC0, 0xD0}));
}

TEST(Jbig2Segments, PageInformationCarriesSizeResolutionAndLosslessFlag) {
    Bytes out;
    appendPageInformationSegment(out, 0, 1, PageInfo{2480, 3508, 11811, 11812});
    EXPECT_EQ(out, (Bytes{0,    0, 0,    0,    0x30, 0, 1,    0,    0, 0, 19, // header
                          0,    0, 0x09, 0xB0, 0,    0, 0x0D, 0xB4,           // 2480 x 3508
                          0,    0, 0x2E, 0x23, 0,    0, 0x2E, 0x24,           // pixels/metre
                          0x01,                                               // lossless, white
                          0,    0}));                                         // not striped
}

TEST(Jbig2Segments, PageStreamIsPageInformationThenOneLosslessGenericRegion) {
    const qlytest::Picture p = qlytest::makePicture(1, 1, qlytest::Pattern::Black);
    const Bytes s = encodePageStream(p.view(), 3780, 3780);
    ASSERT_GT(s.size(), 30u + 11u + 26u + 2u);
    // Page information (segment 0): a 1 x 1 page at 96 dpi.
    EXPECT_EQ(slice(s, 0, 30),
              (Bytes{0, 0, 0, 0, 0x30, 0, 1,    0,    0, 0, 19,   0,    0,    0, 1,
                     0, 0, 0, 1, 0,    0, 0x0E, 0xC4, 0, 0, 0x0E, 0xC4, 0x01, 0, 0}));
    // Region (segment 1, type 39 on page 1); its length is all that follows.
    EXPECT_EQ(slice(s, 30, 7), (Bytes{0, 0, 0, 1, 39, 0, 1}));
    EXPECT_EQ(qlytest::readU32(s, 37), s.size() - 41);
    // Region information: 1 x 1 at (0, 0), combination OR; then TPGDON with template 0 and the
    // nominal AT pixels (3,-1) (-3,-1) (2,-2) (-2,-2).
    EXPECT_EQ(slice(s, 41, 26),
              (Bytes{0, 0, 0, 1,    0,    0,    0,    1,    0,    0,    0,    0,    0,
                     0, 0, 0, 0x00, 0x08, 0x03, 0xFF, 0xFD, 0xFF, 0x02, 0xFE, 0xFE, 0xFE}));
    EXPECT_EQ(s[s.size() - 2], 0xFF);
    EXPECT_EQ(s.back(), 0xAC);
}

TEST(Jbig2Segments, PageStreamHasNoEndOfPageOrEndOfFileSegment) {
    // PDF's JBIG2Decode takes neither inside an embedded stream (ISO 32000-1 7.4.7).
    const qlytest::Picture p = qlytest::makePicture(77, 40, qlytest::Pattern::Text);
    const Bytes s = encodePageStream(p.view());
    std::vector<int> types;
    size_t pos = 0;
    while (pos + 11 <= s.size()) {
        types.push_back(s[pos + 4] & 0x3F);
        pos += 11 + qlytest::readU32(s, pos + 7);
    }
    EXPECT_EQ(pos, s.size());
    EXPECT_EQ(types, (std::vector<int>{48, 39}));
}

TEST(Jbig2Segments, WithoutTypicalPredictionTheFlagIsClearAndTheRegionStillDecodes) {
    const qlytest::Picture p = qlytest::makePicture(40, 30, qlytest::Pattern::Stripes);
    GenericRegionOptions options;
    options.typicalPrediction = false;
    const Bytes s = encodePageStream(p.view(), 0, 0, options);
    EXPECT_EQ(s[41 + 17], 0x00);
    qlytest::DecodedPage page;
    std::string error;
    ASSERT_TRUE(qlytest::decodePageStream(s, page, error)) << error;
    EXPECT_EQ(page.bits, p.bits);
}

TEST(Jbig2Segments, PicturesWithoutPixelsAreRefusedAndLeaveTheOutputAlone) {
    const uint8_t byte = 0;
    Bytes out = {1, 2, 3};
    BilevelImage empty{&byte, 1, 0, 5, false};
    EXPECT_THROW(appendGenericRegionSegment(out, 1, 1, empty, {}), std::invalid_argument);
    empty = BilevelImage{&byte, 1, 5, 0, false};
    EXPECT_THROW(appendGenericRegionSegment(out, 1, 1, empty, {}), std::invalid_argument);
    empty = BilevelImage{nullptr, 1, 5, 5, false};
    EXPECT_THROW(appendGenericRegionSegment(out, 1, 1, empty, {}), std::invalid_argument);
    EXPECT_THROW(encodePageStream(empty), std::invalid_argument);
    EXPECT_EQ(out, (Bytes{1, 2, 3}));
}

} // namespace
