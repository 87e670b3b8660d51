// Saving 1-bit pictures in every format the library writes: a black-and-white picture is written
// exactly as before, byte for byte.
#include "common/TestDib.h"
#include "platform/GrafikRW3.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

using qlytest::OwnedDib;

namespace {

struct Colour {
    uint8_t r, g, b;
};

// A 1-bit picture with the colours c0 (pixel value 0) and c1 (value 1), in the colour table and
// the palette copy alike. `blocks` gives 16 x 16 squares (kind to lossy coders), otherwise
// stripes and noise down to single pixels.
void makeTwoColour(OwnedDib& out, int w, int h, Colour c0, Colour c1, bool blocks) {
    out.reset();
    newdib(*out, w, h, 1, nullptr, 0);
    ASSERT_NE(out->poi, nullptr);
    out->pmi->bmiColors[0] = RGBQUAD{c0.b, c0.g, c0.r, 0};
    out->pmi->bmiColors[1] = RGBQUAD{c1.b, c1.g, c1.r, 0};
    out->pal.rgb0[0] = PALETTEENTRY{c0.r, c0.g, c0.b, 0};
    out->pal.rgb0[1] = PALETTEENTRY{c1.r, c1.g, c1.b, 0};
    std::mt19937 rng(7);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool one = blocks ? ((x / 16 + y / 16) % 3 == 0)
                                    : ((y % 9) < 3 && (x / 5) % 3 != 0) || rng() % 11 == 0;
            setpixel(*out, x, y, one ? 1 : 0);
        }
    }
}

// Black-and-white pictures, black first and white first, are written as they were before
// two-colour pictures kept their colours: the CRC-32 and size of each file were recorded with the
// writers of that time. The JPEG, JPEG 2000, PNG and GIF files come from libjpeg-turbo 2.1,
// OpenJPEG 2.5, libpng 1.6 with zlib 1.2 and giflib 5.2 as Debian 12 has them; a new version of
// one of those may code differently, and only its rows then need recording anew.
TEST(TwoColourPictures, BlackAndWhitePicturesAreWrittenAsBefore) {
    struct Pinned {
        int code;
        uint32_t crcBlackFirst;
        size_t sizeBlackFirst;
        uint32_t crcWhiteFirst;
        size_t sizeWhiteFirst;
    };
    const Pinned pinned[] = {
        {DIB_BMP, 0x2c88d798, 246, 0x92229ae8, 246}, {DIB_DIB, 0x2c88d798, 246, 0x92229ae8, 246},
        {DIB_GIF, 0x67869516, 137, 0xec865555, 137}, {DIB_IFF, 0xf6bcb1f2, 230, 0xfd16067a, 230},
        {DIB_JIF, 0x0fbcccfd, 891, 0x2bc3ef8f, 891}, {DIB_JPG, 0x0fbcccfd, 891, 0x2bc3ef8f, 891},
        {DIB_LBM, 0xf6bcb1f2, 230, 0xfd16067a, 230}, {DIB_PCX, 0xc02bebcb, 279, 0x0aecc677, 331},
        {DIB_RLE, 0x2c88d798, 246, 0x92229ae8, 246}, {DIB_TGA, 0xe43a9148, 384, 0x0968fb76, 384},
        {DIB_TIF, 0x9bfca3a8, 326, 0x6cc717fe, 316}, {DIB_JP2, 0x03c85885, 284, 0xfe75309f, 284},
        {DIB_PNG, 0x42f007a2, 179, 0xe51733b3, 197}, {DIB_PNM, 0xb4871ae6, 124, 0xcc534d94, 124},
    };
    const int32_t oldJpeg = GetJPEGQual();
    const int32_t oldJp2 = GetJPEG2000Qual();
    SetJPEGQual(75);
    SetJPEG2000Qual(100);
    const Colour black{0, 0, 0};
    const Colour white{255, 255, 255};
    for (const Pinned& p : pinned) {
        for (bool blackFirst : {true, false}) {
            SCOPED_TRACE(testing::Message()
                         << "format " << p.code << ", black first " << blackFirst);
            OwnedDib pic;
            makeTwoColour(pic, 37, 23, blackFirst ? black : white, blackFirst ? white : black,
                          false);
            pic->pmi->bmiHeader.biXPelsPerMeter = 11811; // 300 dpi
            pic->pmi->bmiHeader.biYPelsPerMeter = 11811;
            std::vector<uint8_t> bytes;
            ASSERT_TRUE(SaveDibToMemory(*pic, p.code, bytes)) << DibLastError();
            const auto crc =
                static_cast<uint32_t>(crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
            EXPECT_EQ(crc, blackFirst ? p.crcBlackFirst : p.crcWhiteFirst);
            EXPECT_EQ(bytes.size(), blackFirst ? p.sizeBlackFirst : p.sizeWhiteFirst);
        }
    }
    SetJPEGQual(oldJpeg);
    SetJPEG2000Qual(oldJp2);
}

} // namespace
