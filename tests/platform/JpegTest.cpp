#include "common/TestDib.h"
#include "platform/GrafikRW3.h"

#include <gtest/gtest.h>

#include <turbojpeg.h>

using qlytest::OwnedDib;
using qlytest::TempDir;

namespace {

std::vector<uint8_t> encode(const dib& d, int format = DIB_JPG) {
    return qlytest::encodeAs(d, format);
}

TEST(Jpeg, ColourRoundTripStaysWithinThePsnrBoundAndQualityControlsSize) {
    OwnedDib src;
    qlytest::makeSmooth(src, 181, 97);
    SetJPEGQual(90);
    const auto q90 = encode(*src);
    SetJPEGQual(20);
    const auto q20 = encode(*src);
    SetJPEGQual(75);
    EXPECT_LT(q20.size(), q90.size());
    ASSERT_GE(q90.size(), 4u);
    EXPECT_EQ(q90[0], 0xff);
    EXPECT_EQ(q90[1], 0xd8);
    for (const auto* bytes : {&q90, &q20}) {
        OwnedDib back;
        OpenDibFromMemory(*back, bytes->data(), bytes->size(), DIB_AUTO);
        ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
        EXPECT_EQ(back.bits(), 24);
        EXPECT_EQ(back.width(), 181);
        EXPECT_EQ(back.height(), 97);
        EXPECT_GT(qlytest::psnr(*src, *back), bytes == &q90 ? 38.0 : 28.0);
    }
}

TEST(Jpeg, EveryDepthIsWrittenAndGreyStaysEightBitGrey) {
    TempDir dir;
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        OwnedDib src;
        if (bits == 24) {
            qlytest::makeSmooth(src, 40, 30);
        } else {
            qlytest::makePattern(src, 40, 30, bits, 5);
            // Flat areas so the lossy coder keeps them.
            for (int y = 0; y < 30; ++y) {
                for (int x = 0; x < 40; ++x) {
                    setpixel(*src, x, y, getpixel(*src, (x / 16) * 16, (y / 16) * 16));
                }
            }
        }
        SetJPEGQual(95);
        for (int format : {DIB_JIF, DIB_JPG}) {
            const std::string name = dir.file("x" + std::to_string(bits) + ".jpg");
            ASSERT_EQ(SaveDib(*src, name, format), 1) << bits << DibLastError();
            OwnedDib back;
            OpenDib(*back, name, DIB_AUTO);
            ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
            EXPECT_EQ(back.bits(), 24) << bits;
            EXPECT_GT(qlytest::psnr(*src, *back), 28.0) << bits;
        }
        SetJPEGQual(75);
    }
    // A grey ramp picture becomes a one-channel JPEG and is read back as 8-bit grey.
    OwnedDib grey;
    newdib(*grey, 64, 16, 8, nullptr, 0);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 64; ++x) {
            setpixel(*grey, x, y, uint32_t(x * 4));
        }
    }
    const auto bytes = encode(*grey);
    OwnedDib back;
    OpenDibFromMemory(*back, bytes.data(), bytes.size(), DIB_AUTO);
    ASSERT_NE(back->poi, nullptr);
    EXPECT_EQ(back.bits(), 8);
    EXPECT_EQ(back->pmi->bmiColors[200].rgbRed, 200);
    EXPECT_EQ(back->pal.rgb0[200].peBlue, 200);
    EXPECT_GT(qlytest::psnr(*grey, *back), 35.0);
}

TEST(Jpeg, ResolutionIsWrittenAndRead) {
    OwnedDib src;
    qlytest::makeSmooth(src, 16, 16);
    src->pmi->bmiHeader.biXPelsPerMeter = 11811;
    src->pmi->bmiHeader.biYPelsPerMeter = 11811;
    const auto bytes = encode(*src);
    OwnedDib back;
    OpenDibFromMemory(*back, bytes.data(), bytes.size(), DIB_AUTO);
    ASSERT_NE(back->poi, nullptr);
    EXPECT_NEAR(back->pmi->bmiHeader.biXPelsPerMeter, 11811, 20);
}

TEST(Jpeg, CmykFilesBecomeTrueColour) {
    // Adobe-style CMYK as libjpeg delivers it: 255 = no ink. No ink at all is white.
    std::vector<uint8_t> cmyk(8 * 8 * 4, 255);
    tjhandle tj = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    ASSERT_EQ(tjCompress2(tj, cmyk.data(), 8, 32, 8, TJPF_CMYK, &jpeg, &size, TJSAMP_444, 95, 0),
              0);
    OwnedDib back;
    OpenDibFromMemory(*back, jpeg, size, DIB_AUTO);
    tjFree(jpeg);
    tjDestroy(tj);
    ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
    EXPECT_EQ(back.bits(), 24);
    int r, g, b;
    qlytest::pixelRgb(*back, 3, 3, r, g, b);
    EXPECT_GT(r, 250);
    EXPECT_GT(g, 250);
    EXPECT_GT(b, 250);
}

TEST(Jpeg, DamagedFilesAreRefusedOrKeepWhatWasDecoded) {
    OwnedDib src;
    qlytest::makeSmooth(src, 64, 64);
    const auto good = encode(*src);
    OwnedDib d;
    // Only the start of a file: no picture.
    for (size_t n : {size_t{3}, size_t{20}, size_t{100}}) {
        OpenDibFromMemory(*d, good.data(), n, DIB_AUTO);
        EXPECT_EQ(d->poi, nullptr) << n;
        EXPECT_FALSE(DibErrorText(*d).empty());
    }
    // Cut in the middle of the scan: the decoded part is kept.
    OpenDibFromMemory(*d, good.data(), good.size() * 3 / 4, DIB_AUTO);
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(d.width(), 64);
    d.reset();
    // Absurd declared size in the frame header (SOF0 height/width fields).
    auto absurd = good;
    for (size_t i = 2; i + 9 < absurd.size(); ++i) {
        if (absurd[i] == 0xff && absurd[i + 1] == 0xc0) {
            absurd[i + 5] = 0xf0; // 61440 x 61440: a valid JPEG size, far over our cap
            absurd[i + 6] = 0x00;
            absurd[i + 7] = 0xf0;
            absurd[i + 8] = 0x00;
            break;
        }
    }
    OpenDibFromMemory(*d, absurd.data(), absurd.size(), DIB_AUTO);
    EXPECT_EQ(d->poi, nullptr);
    EXPECT_EQ(DibErrorText(*d), "Bild ist zu groß");
}

} // namespace
