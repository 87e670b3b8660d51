// The Group 4 layer: what it writes must decode, with libtiff's T.6 decoder, to exactly the
// pixels it was fed.
#include "platform/faxencode.h"

#include "common/TestDib.h"
#include "platform/CodePage.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using qlytest::TempDir;

namespace {

// Pixels of a test image, row by row from the top: true = black.
using Bilevel = std::vector<std::vector<bool>>;

Bilevel noise(int w, int h, unsigned seed, int blackPercent) {
    std::mt19937 rng(seed);
    Bilevel img(static_cast<size_t>(h), std::vector<bool>(static_cast<size_t>(w)));
    for (auto& row : img) {
        for (size_t x = 0; x < row.size(); ++x) {
            row[x] = static_cast<int>(rng() % 100) < blackPercent;
        }
    }
    return img;
}

bool encode(const std::string& file, const Bilevel& img, int w, int h) {
    const std::u16string name = qly::utf8ToUtf16(file);
    if (!openccittfile(name.c_str())) {
        return false;
    }
    g4j_initialize(w, h);
    for (const auto& row : img) {
        for (bool black : row) {
            if (black) {
                g4j_encode_black(1);
            } else {
                g4j_encode_white(1);
            }
        }
        g4j_encode_new_row();
    }
    g4j_encode_EOFB();
    return closeccittfile();
}

std::string readAll(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Wraps raw Group 4 data in a one-strip TIFF file and decodes it with libtiff. Returns the rows
// (true = black), or an empty image when libtiff refuses the data.
Bilevel decode(const std::string& g4, int w, int h, const TempDir& dir) {
    const std::string tif = dir.file("check.tif");
    {
        TIFF* t = TIFFOpen(tif.c_str(), "w");
        EXPECT_NE(t, nullptr);
        if (t == nullptr) {
            return {};
        }
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(w));
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t(h));
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, uint32_t(h));
        std::string copy = g4;
        TIFFWriteRawStrip(t, 0, copy.data(), tmsize_t(copy.size()));
        TIFFClose(t);
    }
    TIFF* r = TIFFOpen(tif.c_str(), "r");
    EXPECT_NE(r, nullptr);
    if (r == nullptr) {
        return {};
    }
    const size_t stride = (size_t(w) + 7) / 8;
    std::vector<uint8_t> bits(stride * size_t(h));
    const tmsize_t got = TIFFReadEncodedStrip(r, 0, bits.data(), tmsize_t(bits.size()));
    TIFFClose(r);
    if (got != tmsize_t(bits.size())) {
        return {};
    }
    Bilevel img(static_cast<size_t>(h), std::vector<bool>(static_cast<size_t>(w)));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            img[size_t(y)][size_t(x)] =
                ((bits[size_t(y) * stride + size_t(x / 8)] >> (7 - x % 8)) & 1) != 0;
        }
    }
    return img;
}

class FaxEncode : public ::testing::Test {
  protected:
    void roundTrip(const Bilevel& img, int w, int h) {
        const std::string file = dir_.file("img.g4");
        ASSERT_TRUE(encode(file, img, w, h));
        const std::string g4 = readAll(file);
        ASSERT_FALSE(g4.empty());
        EXPECT_EQ(decode(g4, w, h, dir_), img) << w << "x" << h;
    }
    TempDir dir_;
};

TEST_F(FaxEncode, NoiseOfEveryDensityDecodesExactly) {
    for (int percent : {0, 3, 50, 97, 100}) {
        roundTrip(noise(97, 41, unsigned(percent), percent), 97, 41);
    }
}

TEST_F(FaxEncode, WidthsAroundByteBoundariesDecodeExactly) {
    for (int w : {1, 7, 8, 9, 15, 16, 17, 1001}) {
        roundTrip(noise(w, 5, unsigned(w), 30), w, 5);
    }
}

TEST_F(FaxEncode, TextLikePageCompressesWellAndEndsWithEndOfBlock) {
    // Horizontal strokes on white, like lines of text: Group 4 codes it far below one bit per
    // pixel.
    const int w = 1728, h = 300;
    Bilevel img(h, std::vector<bool>(w));
    for (int y = 0; y < h; ++y) {
        for (int x = 100; x < w - 100; ++x) {
            img[size_t(y)][size_t(x)] = (y % 24 < 3) && ((x / 37) % 3 != 0);
        }
    }
    roundTrip(img, w, h);
    const std::string g4 = readAll(dir_.file("img.g4"));
    EXPECT_LT(g4.size(), size_t(w) * h / 8 / 20);
    // EOFB: two EOL codes (000000000001 twice) close the data (T.6, 2.4), padded to a byte.
    ASSERT_GE(g4.size(), 3u);
    uint32_t last = 0;
    for (size_t i = g4.size() - 4; i < g4.size(); ++i) {
        last = last << 8 | uint8_t(g4[i]);
    }
    bool found = false;
    for (int shift = 0; shift < 8 && !found; ++shift) {
        found = ((last >> shift) & 0xFFFFFF) == 0x001001;
    }
    EXPECT_TRUE(found) << std::hex << last;
}

TEST_F(FaxEncode, MissingPixelsAndRowsAreWhiteAndExtraOnesAreDropped) {
    const std::string file = dir_.file("short.g4");
    const std::u16string name = qly::utf8ToUtf16(file);
    ASSERT_TRUE(openccittfile(name.c_str()));
    g4j_initialize(10, 4);
    g4j_encode_black(3); // a run of three
    g4j_encode_new_row();
    for (int i = 0; i < 15; ++i) { // five pixels too many
        g4j_encode_black(1);
    }
    g4j_encode_new_row();
    g4j_encode_white(0);  // adds nothing
    g4j_encode_black(-4); // adds nothing
    g4j_encode_white(2);
    g4j_encode_black(1);
    g4j_encode_EOFB(); // row 2 is cut short, row 3 never fed
    g4j_encode_black(1);
    ASSERT_TRUE(closeccittfile());
    Bilevel want(4, std::vector<bool>(10));
    for (int x = 0; x < 3; ++x) {
        want[0][size_t(x)] = true;
    }
    for (int x = 0; x < 10; ++x) {
        want[1][size_t(x)] = true;
    }
    want[2][2] = true;
    EXPECT_EQ(decode(readAll(file), 10, 4, dir_), want);
}

TEST_F(FaxEncode, FailuresLeaveNoFileAndTheLayerReadyForTheNextImage) {
    const std::u16string bad = qly::utf8ToUtf16(dir_.file("no/such/dir/x.g4"));
    EXPECT_FALSE(openccittfile(bad.c_str()));
    g4j_initialize(8, 8);
    g4j_encode_black(1);
    g4j_encode_new_row();
    g4j_encode_EOFB();
    EXPECT_FALSE(closeccittfile());

    const std::string empty = dir_.file("empty.g4");
    const std::u16string name = qly::utf8ToUtf16(empty);
    ASSERT_TRUE(openccittfile(name.c_str()));
    g4j_initialize(0, 5);
    g4j_encode_black(1);
    EXPECT_FALSE(closeccittfile());
    EXPECT_FALSE(std::filesystem::exists(empty));

    EXPECT_FALSE(closeccittfile()); // nothing open
    roundTrip(noise(20, 20, 9, 40), 20, 20);
}

TEST_F(FaxEncode, NonAsciiFileNamesAreHonoured) {
    const std::string file = dir_.file("Größe ü.g4");
    ASSERT_TRUE(encode(file, noise(16, 16, 3, 50), 16, 16));
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(file)));
}

} // namespace
