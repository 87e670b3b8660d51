// Generic region coding round trips: through the independent decoder in tests/common for many
// shapes and patterns, and through jbig2dec, poppler, mupdf and ghostscript for the edge cases.
#include "platform/jbig2/GenericRegion.h"
#include "platform/jbig2/Segments.h"

#include "Jbig2TestImages.h"
#include "common/Jbig2Decoder.h"
#include "common/TestDib.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace qly::jbig2;
using qlytest::makePicture;
using qlytest::Pattern;
using qlytest::Picture;

namespace {

constexpr Pattern kAllPatterns[] = {Pattern::White,       Pattern::Black, Pattern::Checker,
                                    Pattern::Noise,       Pattern::Text,  Pattern::Stripes,
                                    Pattern::SparseNoise, Pattern::Dither};

struct Size {
    uint32_t width;
    uint32_t height;
};
// 1 x 1, single columns and rows, and widths around byte and word boundaries.
constexpr Size kEdgeSizes[] = {{1, 1},  {1, 19}, {19, 1}, {2, 2},  {7, 3},   {8, 8},
                               {9, 5},  {15, 4}, {16, 4}, {17, 4}, {31, 9},  {32, 9},
                               {33, 9}, {63, 4}, {64, 4}, {65, 4}, {100, 37}};

// Decodes a page stream with the test decoder; the result is packed like Picture (1 = black).
Picture decode(const std::vector<uint8_t>& stream) {
    qlytest::DecodedPage page;
    std::string error;
    EXPECT_TRUE(qlytest::decodePageStream(stream, page, error)) << error;
    Picture p;
    p.width = page.width;
    p.height = page.height;
    p.bits = page.bits;
    return p;
}

TEST(Jbig2GenericRegion, EveryEdgeSizeAndPatternRoundTrips) {
    for (const Size size : kEdgeSizes) {
        for (const Pattern pattern : kAllPatterns) {
            Picture p = makePicture(size.width, size.height, pattern, size.width);
            // Bits past the width must not leak into the picture or the contexts.
            p.fillPadding();
            const Picture back = decode(encodePageStream(p.view()));
            EXPECT_EQ(qlytest::differingPixels(p, back), 0) << p.name;
        }
    }
}

TEST(Jbig2GenericRegion, NoiseThatVisitsEveryContextRoundTrips) {
    // Every context, including 0x9B25 that typical prediction shares with one neighbourhood of
    // pixels, is used many times between the rows' SLTP decisions.
    const Picture p = makePicture(512, 512, Pattern::Noise, 21);
    EXPECT_EQ(qlytest::differingPixels(p, decode(encodePageStream(p.view()))), 0);
}

TEST(Jbig2GenericRegion, RoundTripsWithoutTypicalPrediction) {
    GenericRegionOptions options;
    options.typicalPrediction = false;
    for (const Pattern pattern : kAllPatterns) {
        const Picture p = makePicture(45, 21, pattern, 9);
        const Picture back = decode(encodePageStream(p.view(), 0, 0, options));
        EXPECT_EQ(qlytest::differingPixels(p, back), 0) << p.name;
    }
}

TEST(Jbig2GenericRegion, TypicalRowsAlternatingWithOthersRoundTrip) {
    // Runs of repeated rows between changing ones switch LTP on and off, including at row 0.
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        Picture p = makePicture(50, 60, Pattern::Text, seed);
        std::mt19937 rng(seed);
        for (uint32_t y = 1; y < p.height; ++y) {
            if (rng() % 3 != 0) {
                std::copy_n(p.bits.begin() + (y - 1) * p.stride(), p.stride(),
                            p.bits.begin() + y * p.stride());
            }
        }
        const Picture back = decode(encodePageStream(p.view()));
        EXPECT_EQ(qlytest::differingPixels(p, back), 0) << "seed " << seed;
    }
}

TEST(Jbig2GenericRegion, ReadsBottomUpRowsAndEitherPolarity) {
    const Picture p = makePicture(37, 23, Pattern::Text, 4);
    // The same picture stored bottom-up with 0 for black, as 1-bit DIBs often are.
    Picture stored = p;
    for (uint32_t y = 0; y < p.height; ++y) {
        for (uint32_t b = 0; b < p.stride(); ++b) {
            stored.bits[(p.height - 1 - y) * p.stride() + b] =
                static_cast<uint8_t>(~p.bits[y * p.stride() + b]);
        }
    }
    BilevelImage view;
    view.top = stored.bits.data() + (p.height - 1) * p.stride();
    view.stride = -static_cast<ptrdiff_t>(p.stride());
    view.width = p.width;
    view.height = p.height;
    view.zeroIsBlack = true;
    EXPECT_EQ(qlytest::differingPixels(p, decode(encodePageStream(view))), 0);
    // Rows with slack at their end (a 4-byte aligned stride) are read at their stride.
    Picture wide = makePicture(64, 23, Pattern::Noise, 5);
    BilevelImage narrow = wide.view();
    narrow.width = 37;
    Picture expected = makePicture(37, 23, Pattern::White);
    for (uint32_t y = 0; y < 23; ++y) {
        for (uint32_t x = 0; x < 37; ++x) {
            expected.set(x, y, wide.pixel(x, y));
        }
    }
    EXPECT_EQ(qlytest::differingPixels(expected, decode(encodePageStream(narrow))), 0);
}

TEST(Jbig2GenericRegion, AStrideOfZeroRepeatsTheRow) {
    const Picture row = makePicture(29, 1, Pattern::Noise, 8);
    BilevelImage view = row.view();
    view.stride = 0;
    view.height = 40;
    const Picture back = decode(encodePageStream(view));
    ASSERT_EQ(back.height, 40u);
    for (uint32_t y = 0; y < 40; ++y) {
        for (uint32_t x = 0; x < 29; ++x) {
            ASSERT_EQ(back.pixel(x, y), row.pixel(x, 0)) << x << "," << y;
        }
    }
}

TEST(Jbig2GenericRegion, TypicalPredictionMakesRepeatedRowsAlmostFree) {
    const Picture white = makePicture(2480, 3508, Pattern::White);
    const auto whiteStream = encodePageStream(white.view());
    EXPECT_LT(whiteStream.size(), 100u);
    // A page of identical noisy rows costs about one row.
    const Picture row = makePicture(2480, 1, Pattern::Noise, 2);
    BilevelImage repeated = row.view();
    repeated.stride = 0;
    repeated.height = 3508;
    EXPECT_LT(encodePageStream(repeated).size(), 2480 / 8 + 400u);
    GenericRegionOptions off;
    off.typicalPrediction = false;
    EXPECT_GT(encodePageStream(repeated, 0, 0, off).size(), encodePageStream(repeated).size());
}

TEST(Jbig2GenericRegion, TextAndHalftonesCodeFarBelowTheirRawSize) {
    const Picture text = makePicture(800, 600, Pattern::Text, 3);
    EXPECT_LT(encodePageStream(text.view()).size(), text.bits.size() / 10);
    const Picture dither = makePicture(800, 600, Pattern::Dither, 3);
    EXPECT_LT(encodePageStream(dither.view()).size(), dither.bits.size() / 5);
    // Noise cannot be compressed; what the 65536 contexts spend on learning that stays small.
    const Picture noise = makePicture(800, 600, Pattern::Noise, 3);
    EXPECT_LT(encodePageStream(noise.view()).size(), noise.bits.size() * 115 / 100);
}

// The edge cases for the external decoders: small, odd and patterned pictures.
std::vector<Picture> externalCases() {
    std::vector<Picture> v = {
        makePicture(1, 1, Pattern::Black),       makePicture(1, 1, Pattern::White),
        makePicture(1, 23, Pattern::Noise, 2),   makePicture(23, 1, Pattern::Noise, 3),
        makePicture(37, 29, Pattern::White),     makePicture(37, 29, Pattern::Black),
        makePicture(33, 17, Pattern::Checker),   makePicture(101, 67, Pattern::Noise, 4),
        makePicture(250, 120, Pattern::Text, 5), makePicture(64, 64, Pattern::Dither),
        makePicture(129, 40, Pattern::Stripes),  makePicture(95, 70, Pattern::SparseNoise, 6),
    };
    for (Picture& p : v) {
        p.fillPadding();
    }
    return v;
}

class Jbig2ExternalDecoders : public ::testing::Test {
  protected:
    qlytest::TempDir dir;
    std::string file(const std::string& name) const { return dir.file(name); }
    // Reads a decoded PBM and compares it with the source picture.
    void expectSame(const Picture& source, const std::string& pbm, const std::string& decoder) {
        Picture decoded;
        ASSERT_TRUE(qlytest::readPbm(pbm, decoded))
            << decoder << " wrote no PBM for " << source.name;
        EXPECT_EQ(qlytest::differingPixels(source, decoded), 0)
            << decoder << " decodes " << source.name << " (" << decoded.width << "x"
            << decoded.height << ") differently";
    }
};

TEST_F(Jbig2ExternalDecoders, Jbig2decDecodesTheEmbeddedStreamsExactlyAndSilently) {
    const auto cases = externalCases();
    for (size_t i = 0; i < cases.size(); ++i) {
        const std::string n = std::to_string(i);
        qlytest::writeBytes(file("g" + n), {});
        qlytest::writeBytes(file("p" + n), encodePageStream(cases[i].view()));
        const std::string log = file("log" + n);
        ASSERT_EQ(qlytest::run("jbig2dec -e -t pbm -o '" + file("d" + n + ".pbm") + "' '" +
                                   file("g" + n) + "' '" + file("p" + n) + "'",
                               log),
                  0)
            << qlytest::readText(log);
        // jbig2dec warns about anything odd in a stream (for example a missing page size).
        EXPECT_EQ(qlytest::readText(log), "") << cases[i].name;
        expectSame(cases[i], file("d" + n + ".pbm"), "jbig2dec");
    }
}

TEST_F(Jbig2ExternalDecoders, PdfViewersShowTheExactPixels) {
    const auto cases = externalCases();
    std::vector<qlytest::PdfImage> images;
    for (const Picture& p : cases) {
        images.push_back({p.width, p.height, encodePageStream(p.view()), {}});
    }
    const std::string pdf = file("all.pdf");
    qlytest::writeBytes(pdf, qlytest::jbig2Pdf(images));
    const std::string log = file("log");
    ASSERT_EQ(qlytest::run("qpdf --check '" + pdf + "'", log), 0) << qlytest::readText(log);

    // poppler: the decoded images themselves.
    ASSERT_EQ(qlytest::run("pdfimages '" + pdf + "' '" + file("pi") + "'", log), 0)
        << qlytest::readText(log);
    // mupdf: the rendered pages at one pixel per point, and the extracted images.
    ASSERT_EQ(qlytest::run(
                  "mutool draw -q -r 72 -c mono -o '" + file("mu%d.pbm") + "' '" + pdf + "'", log),
              0)
        << qlytest::readText(log);
    // ghostscript: the rendered pages.
    ASSERT_EQ(qlytest::run("gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pbmraw -r72 -sOutputFile='" +
                               file("gs%d.pbm") + "' '" + pdf + "'",
                           log),
              0)
        << qlytest::readText(log);
    for (size_t i = 0; i < cases.size(); ++i) {
        char index[24];
        std::snprintf(index, sizeof index, "%03zu", i);
        expectSame(cases[i], file(std::string("pi-") + index + ".pbm"), "pdfimages");
        expectSame(cases[i], file("mu" + std::to_string(i + 1) + ".pbm"), "mutool draw");
        expectSame(cases[i], file("gs" + std::to_string(i + 1) + ".pbm"), "ghostscript");
    }
}

TEST_F(Jbig2ExternalDecoders, AFullTextPageDecodesExactlyInJbig2dec) {
    const Picture page = makePicture(2480, 3508, Pattern::Text, 11);
    qlytest::writeBytes(file("g"), {});
    qlytest::writeBytes(file("p"), encodePageStream(page.view(), 11811, 11811));
    const std::string log = file("log");
    ASSERT_EQ(qlytest::run("jbig2dec -e -t pbm -o '" + file("d.pbm") + "' '" + file("g") + "' '" +
                               file("p") + "'",
                           log),
              0)
        << qlytest::readText(log);
    expectSame(page, file("d.pbm"), "jbig2dec");
}

} // namespace
