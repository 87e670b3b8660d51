#include "common/TestDib.h"
#include "platform/GrafikRW3.h"

#include <gtest/gtest.h>

#include <cstring>

using qlytest::OwnedDib;
using qlytest::TempDir;

namespace {

using qlytest::decodeBytes;

std::vector<uint8_t> encode(const dib& d, int format) {
    return qlytest::encodeAs(d, format);
}

void expectSameColours(const dib& a, const dib& b) {
    const int bits = a.pmi->bmiHeader.biBitCount;
    for (int i = 0; bits <= 8 && i < (1 << bits); ++i) {
        EXPECT_EQ(a.pmi->bmiColors[i].rgbRed, b.pmi->bmiColors[i].rgbRed) << i;
        EXPECT_EQ(a.pmi->bmiColors[i].rgbGreen, b.pmi->bmiColors[i].rgbGreen) << i;
        EXPECT_EQ(a.pmi->bmiColors[i].rgbBlue, b.pmi->bmiColors[i].rgbBlue) << i;
        EXPECT_EQ(a.pal.rgb0[i].peRed, b.pal.rgb0[i].peRed) << i;
    }
}

TEST(Bmp, FilesRoundTripAtEveryDepthThroughBmpAndDibCodes) {
    TempDir dir;
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        for (int format : {DIB_BMP, DIB_DIB}) {
            for (int width : {1, 7, 33}) {
                OwnedDib src;
                qlytest::makePattern(src, width, 5, bits, uint32_t(bits * 100 + width));
                const std::string name = dir.file("p" + std::to_string(bits) + ".bmp");
                ASSERT_EQ(SaveDib(*src, name, format), 1) << DibLastError();
                OwnedDib back;
                OpenDib(*back, name, format);
                ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
                EXPECT_EQ(back.bits(), bits);
                EXPECT_EQ(back.width(), width);
                EXPECT_EQ(back.height(), 5);
                EXPECT_EQ(qlytest::pixelDifferences(*src, *back), 0) << bits << " " << width;
                expectSameColours(*src, *back);
            }
        }
    }
}

TEST(Bmp, RunLengthFilesRoundTripAndAreSmallerForFlatPictures) {
    for (int bits : {4, 8}) {
        for (int width : {1, 2, 3, 5, 64, 300, 301}) {
            OwnedDib src;
            qlytest::makePattern(src, width, 9, bits, uint32_t(width));
            // Some long runs and some noise.
            for (int y = 0; y < 4; ++y) {
                for (int x = 0; x < width; ++x) {
                    setpixel(*src, x, y, uint32_t(y));
                }
            }
            const auto bytes = encode(*src, DIB_RLE);
            ASSERT_GT(bytes.size(), 54u);
            EXPECT_EQ(bytes[30], bits == 8 ? 1 : 2); // compression field
            OwnedDib back;
            decodeBytes(back, bytes);
            ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
            EXPECT_EQ(back.bits(), bits);
            EXPECT_EQ(qlytest::pixelDifferences(*src, *back), 0) << bits << " w=" << width;
        }
    }
    OwnedDib flat;
    newdib(*flat, 1000, 100, 8, nullptr, 0);
    EXPECT_LT(encode(*flat, DIB_RLE).size(), encode(*flat, DIB_BMP).size() / 20);
}

// A hand-made BMP: header size, width, height (negative: top-down), bits, compression, table.
std::vector<uint8_t> makeBmp(uint32_t headerSize, int32_t w, int32_t h, uint16_t bits,
                             uint32_t compression, const std::vector<uint8_t>& table,
                             const std::vector<uint8_t>& pixels,
                             const std::vector<uint32_t>& masks = {}) {
    std::vector<uint8_t> b;
    const bool masksInHeader = headerSize >= 52;
    const uint32_t off =
        14 + headerSize + (masksInHeader ? 0 : uint32_t(masks.size() * 4)) + uint32_t(table.size());
    auto u16 = [&](uint32_t v) {
        b.push_back(uint8_t(v));
        b.push_back(uint8_t(v >> 8));
    };
    auto u32 = [&](uint32_t v) {
        u16(v & 0xffff);
        u16(v >> 16);
    };
    b.push_back('B');
    b.push_back('M');
    u32(off + uint32_t(pixels.size()));
    u32(0);
    u32(off);
    u32(headerSize);
    if (headerSize == 12) {
        u16(uint32_t(w));
        u16(uint32_t(h));
        u16(1);
        u16(bits);
    } else {
        u32(uint32_t(w));
        u32(uint32_t(h));
        u16(1);
        u16(bits);
        u32(compression);
        u32(uint32_t(pixels.size()));
        u32(2835);
        u32(2835);
        u32(0);
        u32(0);
        if (masksInHeader) {
            for (uint32_t m : masks) {
                u32(m);
            }
        }
        while (b.size() < 14 + headerSize) {
            b.push_back(0);
        }
    }
    if (!masksInHeader) {
        for (uint32_t m : masks) {
            u32(m);
        }
    }
    b.insert(b.end(), table.begin(), table.end());
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

TEST(Bmp, ReadsTopDownCoreHeaderAndBitFieldVariants) {
    // Top-down 8-bit, 2x2: first stored row is the top row.
    std::vector<uint8_t> table(256 * 4, 0);
    table[4 * 1 + 2] = 255; // index 1 = red
    auto topDown = makeBmp(40, 2, -2, 8, 0, table, {1, 0, 0, 0, 0, 1, 0, 0});
    OwnedDib d;
    decodeBytes(d, topDown);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(getpixel(*d, 0, 0), 1u);
    EXPECT_EQ(getpixel(*d, 1, 1), 1u);
    EXPECT_EQ(getpixel(*d, 1, 0), 0u);
    EXPECT_EQ(d->pal.rgb0[1].peRed, 255);

    // OS/2 core header with 3-byte colour entries, 1-bit.
    auto core = makeBmp(12, 3, 1, 1, 0, {0, 0, 0, 255, 255, 255}, {0xa0, 0, 0, 0});
    decodeBytes(d, core);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(getpixel(*d, 0, 0), 1u);
    EXPECT_EQ(getpixel(*d, 1, 0), 0u);
    EXPECT_EQ(d->pmi->bmiColors[1].rgbRed, 255);

    // 16-bit 5-6-5 bit fields become 24-bit: pure red, pure green.
    auto fields = makeBmp(40, 2, 1, 16, 3, {}, {0x00, 0xf8, 0xe0, 0x07}, {0xf800, 0x07e0, 0x001f});
    decodeBytes(d, fields);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(d.bits(), 24);
    EXPECT_EQ(getpixel(*d, 0, 0), 0xff0000u);
    EXPECT_EQ(getpixel(*d, 1, 0), 0x00ff00u);

    // 32-bit with an alpha mask: half-transparent black is composed onto white.
    auto alpha = makeBmp(56, 1, 1, 32, 3, {}, {0, 0, 0, 0x80},
                         {0x00ff0000, 0x0000ff00, 0x000000ff, 0xff000000});
    decodeBytes(d, alpha);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(getpixel(*d, 0, 0) & 0xff, 127u);
}

TEST(Bmp, HostileRunLengthDataStaysInsideThePicture) {
    std::vector<uint8_t> table(256 * 4, 0);
    // Runs longer than the row, a delta far outside, an absolute run past the end, no end mark.
    std::vector<uint8_t> rle = {255, 7, 0, 0, 0, 2, 200, 200, 0, 5, 1, 2, 3, 4, 5, 0, 3, 3};
    auto bytes = makeBmp(40, 4, 2, 8, 1, table, rle);
    OwnedDib d;
    decodeBytes(d, bytes);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(getpixel(*d, 3, 1), 7u); // bottom row filled by the clipped run
    // An absolute run cut off by the end of the file is damage.
    auto cut = makeBmp(40, 4, 2, 8, 1, table, {0, 9, 1, 2});
    decodeBytes(d, cut);
    EXPECT_EQ(d->poi, nullptr);
}

TEST(Bmp, BadInputGivesANullPictureAndAReason) {
    OwnedDib ok;
    qlytest::makePattern(ok, 20, 10, 24);
    const auto good = encode(*ok, DIB_BMP);
    OwnedDib d;
    // Truncated at every interesting length.
    for (size_t n : {size_t{0}, size_t{2}, size_t{14}, size_t{30}, size_t{54}, good.size() - 1}) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + long(n));
        decodeBytes(d, cut);
        EXPECT_EQ(d->poi, nullptr) << n;
        EXPECT_FALSE(DibErrorText(*d).empty()) << n;
    }
    // Wrong magic.
    auto wrong = good;
    wrong[0] = 'X';
    decodeBytes(d, wrong);
    EXPECT_EQ(d->poi, nullptr);
    EXPECT_EQ(DibErrorText(*d), "Unbekanntes Dateiformat");
    // Absurd and zero sizes: refused before any allocation.
    for (auto wh : {std::pair{70000, 10}, std::pair{10, -70000}, std::pair{60000, 60000},
                    std::pair{0, 10}, std::pair{10, 0}, std::pair{-5, 10}}) {
        auto absurd = good;
        std::memcpy(&absurd[18], &wh.first, 4);
        std::memcpy(&absurd[22], &wh.second, 4);
        decodeBytes(d, absurd);
        EXPECT_EQ(d->poi, nullptr) << wh.first << "x" << wh.second;
    }
    // Unknown compression and impossible depth.
    auto comp = good;
    comp[30] = 9;
    decodeBytes(d, comp);
    EXPECT_EQ(d->poi, nullptr);
    auto depth = good;
    depth[28] = 7;
    decodeBytes(d, depth);
    EXPECT_EQ(d->poi, nullptr);
    // Paths that cannot be read.
    OpenDib(*d, "/nonexistent/dir/x.bmp", DIB_AUTO);
    EXPECT_EQ(d->poi, nullptr);
    EXPECT_EQ(DibErrorText(*d), "Datei kann nicht geöffnet werden");
    TempDir dir;
    OpenDib(*d, dir.path().string(), DIB_AUTO);
    EXPECT_EQ(d->poi, nullptr);
}

TEST(Bmp, FormatComesFromTheBytesNotTheName) {
    TempDir dir;
    OwnedDib src;
    qlytest::makePattern(src, 6, 6, 8);
    const std::string name = dir.file("really-a-bmp.png");
    ASSERT_EQ(SaveDib(*src, name, DIB_BMP), 1);
    OwnedDib back;
    OpenDib(*back, name, DIB_AUTO);
    ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
    EXPECT_EQ(qlytest::pixelDifferences(*src, *back), 0);
}

TEST(Bmp, SavingFailsCleanlyOnUnwritablePathsAndEmptyRecords) {
    OwnedDib src;
    qlytest::makePattern(src, 4, 4, 24);
    EXPECT_EQ(SaveDib(*src, "/nonexistent/dir/x.bmp", DIB_BMP), 0);
    EXPECT_FALSE(DibLastError().empty());
    TempDir dir;
    EXPECT_EQ(SaveDib(*src, dir.path().string(), DIB_BMP), 0);
    dib empty{};
    EXPECT_EQ(SaveDib(empty, dir.file("e.bmp"), DIB_BMP), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("e.bmp")));
    EXPECT_EQ(SaveDib(*src, dir.file("x.xyz"), 99), 0);
    // Nothing but the finished files is left in the folder.
    ASSERT_EQ(SaveDib(*src, dir.file("ok.bmp"), DIB_BMP), 1);
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) {
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST(Bmp, KeepsTheResolution) {
    OwnedDib src;
    qlytest::makePattern(src, 4, 4, 1);
    src->pmi->bmiHeader.biXPelsPerMeter = 11811; // 300 dpi
    src->pmi->bmiHeader.biYPelsPerMeter = 7874;  // 200 dpi
    OwnedDib back;
    decodeBytes(back, encode(*src, DIB_BMP));
    ASSERT_NE(back->poi, nullptr);
    EXPECT_EQ(back->pmi->bmiHeader.biXPelsPerMeter, 11811);
    EXPECT_EQ(back->pmi->bmiHeader.biYPelsPerMeter, 7874);
}

} // namespace
