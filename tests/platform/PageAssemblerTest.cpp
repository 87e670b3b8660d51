// SANE frames into page records, fed with frames made by hand.
#include "common/TestDib.h"
#include "platform/scan/ScanReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using qly::sane::PageAssembler;
using qlytest::OwnedDib;

namespace {

SANE_Parameters frame(SANE_Frame format, int width, int lines, int depth, int bytesPerLine,
                      bool last = true) {
    SANE_Parameters p{};
    p.format = format;
    p.last_frame = last ? SANE_TRUE : SANE_FALSE;
    p.pixels_per_line = width;
    p.lines = lines;
    p.depth = depth;
    p.bytes_per_line = bytesPerLine;
    return p;
}

void assemble(OwnedDib& out, PageAssembler& a, const SANE_Parameters& p,
              const std::vector<uint8_t>& bytes, double dpi = 0) {
    a.beginFrame(p);
    a.add(bytes.data(), bytes.size());
    out.reset();
    a.finish(*out, dpi);
}

TEST(PageAssembler, LineartBecomesOneBitWithZeroBlackAndOneWhite) {
    PageAssembler a;
    OwnedDib d;
    // SANE's 1 is black: pixels black, white, black on the first row, the opposite below.
    assemble(d, a, frame(SANE_FRAME_GRAY, 3, 2, 1, 1), {0b10100000, 0b01000000});
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(d.bits(), 1);
    const RGBQUAD black = d->pmi->bmiColors[0], white = d->pmi->bmiColors[1];
    EXPECT_EQ(black.rgbRed + black.rgbGreen + black.rgbBlue, 0);
    EXPECT_EQ(white.rgbRed + white.rgbGreen + white.rgbBlue, 3 * 255);
    EXPECT_EQ(getpixel(*d, 0, 0), 0u);
    EXPECT_EQ(getpixel(*d, 1, 0), 1u);
    EXPECT_EQ(getpixel(*d, 2, 0), 0u);
    EXPECT_EQ(getpixel(*d, 0, 1), 1u);
    EXPECT_EQ(getpixel(*d, 1, 1), 0u);
}

TEST(PageAssembler, GreyKeepsTopRowOnTopAndSixteenBitsKeepTheHighByte) {
    PageAssembler a;
    OwnedDib d;
    assemble(d, a, frame(SANE_FRAME_GRAY, 2, 2, 8, 2), {10, 20, 30, 40});
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(d.bits(), 8);
    EXPECT_EQ(qlytest::rgbHex(d, 0, 0), 0x0a0a0au);
    EXPECT_EQ(qlytest::rgbHex(d, 1, 1), 0x282828u);

    std::vector<uint8_t> bytes(4);
    const uint16_t samples[2] = {0x12ff, 0xab00};
    std::memcpy(bytes.data(), samples, 4); // the machine's byte order, as SANE sends it
    assemble(d, a, frame(SANE_FRAME_GRAY, 2, 1, 16, 4), bytes);
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(d.bits(), 8);
    EXPECT_EQ(getpixel(*d, 0, 0), 0x12u);
    EXPECT_EQ(getpixel(*d, 1, 0), 0xabu);
}

TEST(PageAssembler, ColourFramesBecomeTwentyFourBitsWhateverTheirLayout) {
    struct Case {
        const char* what;
        std::vector<SANE_Parameters> frames;
        std::vector<std::vector<uint8_t>> bytes;
    };
    // Two pixels: red-ish (0x102030) and white, or for 1-bit samples red and cyan.
    const Case cases[] = {
        {"one RGB frame of 8 bits",
         {frame(SANE_FRAME_RGB, 2, 1, 8, 8)},
         {{0x10, 0x20, 0x30, 0xff, 0xff, 0xff, 0, 0}}},
        {"three frames",
         {frame(SANE_FRAME_RED, 2, 1, 8, 2, false), frame(SANE_FRAME_GREEN, 2, 1, 8, 2, false),
          frame(SANE_FRAME_BLUE, 2, 1, 8, 2, true)},
         {{0x10, 0xff}, {0x20, 0xff}, {0x30, 0xff}}},
        {"frames in another order",
         {frame(SANE_FRAME_BLUE, 2, 1, 8, 2, false), frame(SANE_FRAME_RED, 2, 1, 8, 2, false),
          frame(SANE_FRAME_GREEN, 2, 1, 8, 2, true)},
         {{0x30, 0xff}, {0x10, 0xff}, {0x20, 0xff}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PageAssembler a;
        for (size_t i = 0; i < c.frames.size(); ++i) {
            a.beginFrame(c.frames[i]);
            a.add(c.bytes[i].data(), c.bytes[i].size());
            EXPECT_EQ(a.lastFrame(), i + 1 == c.frames.size());
        }
        OwnedDib d;
        a.finish(*d, 0);
        ASSERT_NE(d->poi, nullptr);
        EXPECT_EQ(d.bits(), 24);
        EXPECT_EQ(qlytest::rgbHex(d, 0, 0), 0x102030u);
        EXPECT_EQ(qlytest::rgbHex(d, 1, 0), 0xffffffu);
    }

    // 1 bit per sample, interleaved per pixel: red (100), cyan (011), then padding.
    PageAssembler a;
    OwnedDib d;
    assemble(d, a, frame(SANE_FRAME_RGB, 2, 1, 1, 1), {0b10001100});
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(d.bits(), 24);
    EXPECT_EQ(qlytest::rgbHex(d, 0, 0), 0xff0000u);
    EXPECT_EQ(qlytest::rgbHex(d, 1, 0), 0x00ffffu);
}

TEST(PageAssembler, UnknownHeightTakesTheCompleteRowsThatArrived) {
    PageAssembler a;
    OwnedDib d;
    // Hand scanners report -1 lines: 3 rows and half of a fourth arrive.
    assemble(d, a, frame(SANE_FRAME_GRAY, 4, -1, 8, 4), std::vector<uint8_t>(14, 7));
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(d.width(), 4);
    EXPECT_EQ(d.height(), 3);
}

TEST(PageAssembler, BytesBeyondTheAnnouncedSizeAreDropped) {
    PageAssembler a;
    a.beginFrame(frame(SANE_FRAME_GRAY, 2, 2, 8, 2));
    const std::vector<uint8_t> bytes(10, 1);
    a.add(bytes.data(), bytes.size());
    EXPECT_EQ(a.expectedBytes(), 4);
    EXPECT_EQ(a.receivedBytes(), 4);
}

TEST(PageAssembler, ResolutionGoesIntoTheHeaderInDotsPerMetre) {
    PageAssembler a;
    OwnedDib d;
    assemble(d, a, frame(SANE_FRAME_GRAY, 1, 1, 8, 1), {0}, 300);
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(d->pmi->bmiHeader.biXPelsPerMeter, 11811);
    EXPECT_EQ(d->pmi->bmiHeader.biYPelsPerMeter, 11811);
}

TEST(PageAssembler, LayoutsItCannotTakeAreRefused) {
    const SANE_Parameters bad[] = {
        frame(SANE_FRAME_GRAY, 8, 1, 4, 4),            // a depth SANE does not define
        frame(SANE_FRAME_GRAY, 8, 1, 8, 7),            // rows shorter than their pixels
        frame(SANE_FRAME_RGB, 8, 1, 8, 23),            // the same for colour
        frame(SANE_FRAME_GRAY, 70000, 1, 8, 70000),    // wider than a picture may be
        frame(SANE_FRAME_GRAY, 0, 1, 8, 0),            // no pixels
        frame(static_cast<SANE_Frame>(5), 8, 1, 8, 8), // a frame type of a later SANE
    };
    for (const SANE_Parameters& p : bad) {
        SCOPED_TRACE(p.pixels_per_line);
        PageAssembler a;
        EXPECT_THROW(a.beginFrame(p), qly::sane::Error);
    }
}

TEST(PageAssembler, APageWithoutRowsOrWithAColourMissingIsNoPicture) {
    PageAssembler a;
    OwnedDib d;
    a.beginFrame(frame(SANE_FRAME_GRAY, 4, 2, 8, 4));
    a.finish(*d, 0);
    EXPECT_EQ(d->poi, nullptr);
    EXPECT_FALSE(DibErrorText(*d).empty());

    const std::vector<uint8_t> row(2, 0);
    a.beginFrame(frame(SANE_FRAME_RED, 2, 1, 8, 2, false));
    a.add(row.data(), row.size());
    a.beginFrame(frame(SANE_FRAME_GREEN, 2, 1, 8, 2, true));
    a.add(row.data(), row.size());
    a.finish(*d, 0);
    EXPECT_EQ(d->poi, nullptr);
}

} // namespace
