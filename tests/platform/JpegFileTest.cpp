// JPEG files kept as they are: the facts read from their markers, the quality estimated from
// their tables, reading a file together with its bytes (only clean files are kept), and the
// lossless quarter turn against jpegtran's.
#include "platform/JpegFile.h"

#include "common/JpegSamples.h"
#include "platform/GrafikRW3.h"

#include <gtest/gtest.h>

#include <algorithm>

using qlytest::OwnedDib;
using qlytest::TempDir;

namespace {

std::vector<uint8_t> smoothJpeg(const TempDir& dir, int w, int h, const std::string& options) {
    OwnedDib src;
    qlytest::makeSmooth(src, w, h);
    return qlytest::cjpegFile(dir, *src, options, "smooth");
}

TEST(JpegFile, QualityIsTheOneLibjpegsScaleGaveTheTables) {
    TempDir dir;
    struct Case {
        const char* options;
        int quality;
        int components;
        bool progressive;
    };
    const Case cases[] = {
        {"-quality 1", 1, 3, false},
        {"-quality 10", 10, 3, false},
        {"-quality 49", 49, 3, false},
        {"-quality 50", 50, 3, false},
        {"-quality 70", 70, 3, false},
        {"-quality 75", 75, 3, false},
        {"-quality 76", 76, 3, false},
        {"-quality 95", 95, 3, false},
        {"-quality 100", 100, 3, false},
        {"-quality 70 -grayscale", 70, 1, false},
        {"-quality 82 -progressive", 82, 3, true},
        {"-quality 60 -sample 1x1", 60, 3, false},
        {"-quality 40 -rgb", 40, 3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        const std::vector<uint8_t> jpeg = smoothJpeg(dir, 61, 47, c.options);
        qly::JpegFacts f;
        ASSERT_TRUE(qly::readJpegFacts(jpeg.data(), jpeg.size(), f));
        EXPECT_EQ(f.quality, c.quality);
        EXPECT_EQ(f.components, c.components);
        EXPECT_EQ(f.progressive, c.progressive);
        EXPECT_EQ(f.width, 61);
        EXPECT_EQ(f.height, 47);
        EXPECT_TRUE(qly::jpegShowsAlikeInPdf(f));
    }
}

TEST(JpegFile, TablesOfOtherEncodersTakeTheClosestQuality) {
    // libjpeg's quality 70 tables with some entries one or two off, as another encoder's rounding
    // would leave them, are still quality 70; tables of all ones are quality 100.
    TempDir dir;
    std::vector<uint8_t> jpeg = smoothJpeg(dir, 16, 16, "-quality 70");
    int changed = 0;
    for (size_t i = 2; i + 4 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xff && jpeg[i + 1] == 0xdb) {
            for (size_t k = 0; k < 64; k += 5, ++changed) {
                jpeg[i + 5 + k] = static_cast<uint8_t>(jpeg[i + 5 + k] + (k % 2 == 0 ? 1 : -1));
            }
        }
    }
    ASSERT_GT(changed, 0);
    qly::JpegFacts f;
    ASSERT_TRUE(qly::readJpegFacts(jpeg.data(), jpeg.size(), f));
    EXPECT_EQ(f.quality, 70);
    uint16_t ones[64];
    std::fill(ones, ones + 64, uint16_t{1});
    EXPECT_EQ(qly::jpegTableQuality(ones, ones), 100);
    EXPECT_EQ(qly::jpegTableQuality(ones, nullptr), 100);
}

TEST(JpegFile, FactsRefuseFilesDctDecodeMustNotTakeAsTheyAre) {
    TempDir dir;
    const std::vector<uint8_t> good = smoothJpeg(dir, 40, 32, "-quality 80");
    const std::vector<uint8_t> adobeRgb = smoothJpeg(dir, 40, 32, "-quality 80 -rgb");
    auto withMarkerByte = [&](std::vector<uint8_t> bytes, uint8_t marker, size_t offset,
                              uint8_t value) {
        for (size_t i = 2; i + offset < bytes.size(); ++i) {
            if (bytes[i] == 0xff && bytes[i + 1] == marker) {
                bytes[i + offset] = value;
                break;
            }
        }
        return bytes;
    };
    // An EXIF block (big-endian TIFF) with the orientation tag, inserted after SOI.
    auto withOrientation = [&](uint16_t orientation) {
        const std::vector<uint8_t> app1 = {
            0xff, 0xe1, 0, 34, 'E', 'x', 'i',  'f', 0, 0, 'M', 'M', 0, 42, 0,
            0,    0,    8, 0,  1,   1,   0x12, 0,   3, 0, 0,   0,   1, 0,  uint8_t(orientation),
            0,    0,    0, 0,  0,   0};
        std::vector<uint8_t> b(good.begin(), good.begin() + 2);
        b.insert(b.end(), app1.begin(), app1.end());
        b.insert(b.end(), good.begin() + 2, good.end());
        return b;
    };
    auto cut = [&](size_t n) { return std::vector<uint8_t>(good.begin(), good.begin() + n); };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool facts; // readJpegFacts accepts
        bool alike; // and jpegShowsAlikeInPdf
    };
    std::vector<uint8_t> trailing = good;
    trailing.insert(trailing.end(), {0, 0, 0, 0x12});
    std::vector<uint8_t> junkBetween(good.begin(), good.begin() + 2);
    junkBetween.push_back(0x00);
    junkBetween.insert(junkBetween.end(), good.begin() + 2, good.end());
    const Case cases[] = {
        {"complete", good, true, true},
        {"bytes after EOI", trailing, true, true},
        {"RGB through an Adobe marker", adobeRgb, true, true},
        {"EXIF orientation 1", withOrientation(1), true, true},
        {"EXIF orientation 6", withOrientation(6), true, false},
        {"cut before EOI", cut(good.size() - 2), false, false},
        {"cut in the scan", cut(good.size() * 2 / 3), false, false},
        {"cut in a table", cut(30), false, false},
        {"a byte between segments", junkBetween, false, false},
        {"12 bits per sample", withMarkerByte(good, 0xc0, 4, 12), false, false},
        {"arithmetic coding", withMarkerByte(good, 0xc0, 1, 0xc9), false, false},
        {"lossless", withMarkerByte(good, 0xc0, 1, 0xc3), false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        qly::JpegFacts f;
        const bool facts = qly::readJpegFacts(c.bytes.data(), c.bytes.size(), f);
        EXPECT_EQ(facts, c.facts);
        if (facts) {
            EXPECT_EQ(qly::jpegShowsAlikeInPdf(f), c.alike);
        }
    }
    // A JFIF file whose Adobe marker says RGB: libjpeg decodes YCbCr, DCTDecode would take RGB.
    qly::JpegFacts f;
    ASSERT_TRUE(qly::readJpegFacts(adobeRgb.data(), adobeRgb.size(), f));
    EXPECT_EQ(f.colour, qly::JpegColour::Rgb);
    EXPECT_FALSE(f.jfif);
    f.jfif = true;
    EXPECT_FALSE(qly::jpegShowsAlikeInPdf(f));
    // Four components are never taken as they are.
    f.components = 4;
    f.jfif = false;
    EXPECT_FALSE(qly::jpegShowsAlikeInPdf(f));
}

TEST(JpegFile, OnlyFilesThatDecodeWithoutAWarningAreKept) {
    TempDir dir;
    const std::vector<uint8_t> good = smoothJpeg(dir, 64, 48, "-quality 85");
    OwnedDib plain;
    qlytest::decodeBytes(plain, good);
    ASSERT_NE(plain->poi, nullptr);
    // Corrupt entropy-coded data: libjpeg decodes the file with a warning.
    std::vector<uint8_t> corrupt = good;
    size_t sos = 0;
    for (size_t i = 2; i + 1 < corrupt.size(); ++i) {
        if (corrupt[i] == 0xff && corrupt[i + 1] == 0xda) {
            sos = i;
            break;
        }
    }
    ASSERT_GT(sos, 0u);
    for (size_t i = sos + 20; i < sos + 60; ++i) {
        corrupt[i] = 0xff;
        corrupt[++i] = 0xd3; // restart markers out of sequence
    }
    const std::vector<uint8_t> truncated(good.begin(), good.end() - 40);
    struct Case {
        const char* what;
        const std::vector<uint8_t>& bytes;
        bool kept;
    };
    const Case cases[] = {
        {"clean", good, true}, {"corrupt data", corrupt, false}, {"truncated", truncated, false}};
    for (bool later : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (later ? ", pixels later" : ""));
            OwnedDib d;
            std::vector<uint8_t> kept;
            qly::JpegFacts facts;
            qly::OpenDibKeepingJpegFromMemory(*d, c.bytes.data(), c.bytes.size(), kept, facts,
                                              [&](const qly::JpegFacts&) { return later; });
            ASSERT_NE(d->poi, nullptr) << DibErrorText(*d); // all three give a picture
            EXPECT_EQ(kept == c.bytes, c.kept);
            EXPECT_EQ(kept.empty(), !c.kept);
            if (later && c.kept) {
                // The pixels wait for the kept file.
                EXPECT_EQ(getpixel(*d, 10, 10), 0u);
                ASSERT_TRUE(qly::decodeJpegPixels(*d, kept.data(), kept.size()));
            }
            if (c.kept || !later) {
                EXPECT_EQ(qlytest::pixelDifferences(*d, *plain) == 0, c.kept);
            }
        }
    }
}

TEST(JpegFile, QuarterTurnsDecodeAsJpegtransPerfectTurns) {
    TempDir dir;
    struct Case {
        int w, h;
        const char* options;
        bool clockwise;
        bool exact; // jpegtran -perfect succeeds
    };
    const Case cases[] = {
        {48, 32, "-quality 70", true, true},   // 4:2:0, both sides whole MCUs
        {50, 32, "-quality 70", true, true},   // the partial right edge goes to the bottom
        {50, 32, "-quality 70", false, false}, // ... and would go to the top
        {48, 30, "-quality 70", true, false},  // the partial bottom edge would go left
        {48, 30, "-quality 70", false, true},  // ... goes right
        {44, 36, "-quality 70 -grayscale", true, false}, // grey: 8 x 8 blocks
        {40, 32, "-quality 70 -grayscale", false, true},
        {48, 32, "-quality 90 -progressive -sample 1x1", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " " + c.options +
                     (c.clockwise ? " clockwise" : " counter-clockwise"));
        const std::vector<uint8_t> jpeg = smoothJpeg(dir, c.w, c.h, c.options);
        std::vector<uint8_t> turned;
        EXPECT_EQ(qly::turnJpegLossless(jpeg.data(), jpeg.size(), c.clockwise, turned), c.exact);
        const std::string in = dir.file("in.jpg");
        const std::string out = dir.file("jpegtran.jpg");
        qlytest::writeFileBytes(in, jpeg);
        const qlytest::ToolResult r = qlytest::runTool(
            dir, std::string("jpegtran -perfect -rotate ") + (c.clockwise ? "90" : "270") +
                     " -outfile " + qlytest::quoted(out) + " " + qlytest::quoted(in));
        EXPECT_EQ(r.status == 0, c.exact) << r.output;
        if (!c.exact) {
            EXPECT_TRUE(turned.empty());
            continue;
        }
        const qlytest::NetpbmPicture mine = qlytest::djpegPicture(dir, turned);
        const qlytest::NetpbmPicture theirs =
            qlytest::djpegPicture(dir, qlytest::readFileBytes(out));
        EXPECT_EQ(mine.width, c.h);
        EXPECT_EQ(mine.height, c.w);
        EXPECT_EQ(qlytest::largestSampleDifference(mine, theirs), 0);
        qly::JpegFacts f;
        ASSERT_TRUE(qly::readJpegFacts(turned.data(), turned.size(), f));
        EXPECT_EQ(f.width, c.h);
        EXPECT_EQ(f.height, c.w);
        EXPECT_TRUE(qly::jpegShowsAlikeInPdf(f));
    }
}

} // namespace
