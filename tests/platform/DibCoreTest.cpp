#include "common/TestDib.h"
#include "platform/GrafikRW3.h"

#include <gtest/gtest.h>

#include <algorithm>

using qlytest::OwnedDib;

namespace {

TEST(NewDib, EveryDepthHasAlignedStrideAndZeroPixels) {
    const struct {
        int bits;
        int width;
        int stride;
    } cases[] = {{1, 1, 4},  {1, 33, 8},  {4, 9, 8},   {8, 5, 8},
                 {16, 3, 8}, {24, 5, 16}, {24, 4, 12}, {32, 3, 12}};
    for (const auto& c : cases) {
        OwnedDib d;
        newdib(*d, c.width, 3, c.bits, nullptr, 0);
        ASSERT_NE(d->poi, nullptr) << c.bits;
        EXPECT_EQ(d->bytew, c.stride) << c.bits << "/" << c.width;
        EXPECT_EQ(d->pmi->bmiHeader.biBitCount, c.bits);
        EXPECT_EQ(d->pmi->bmiHeader.biHeight, 3);
        for (int i = 0; i < d->bytew * 3; ++i) {
            ASSERT_EQ(d->poi[i], 0);
        }
    }
}

TEST(NewDib, CopiesTheGivenNumberOfColoursAndMirrorsThemInThePaletteCopy) {
    OwnedDib src;
    newdib(*src, 2, 2, 8, nullptr, 0);
    for (int i = 0; i < 256; ++i) {
        src->pmi->bmiColors[i] = RGBQUAD{uint8_t(i), uint8_t(255 - i), 7, 0};
    }
    OwnedDib copy;
    newdib(*copy, 4, 4, 8, src->pmi, 10);
    ASSERT_NE(copy->poi, nullptr);
    EXPECT_EQ(copy->pmi->bmiColors[9].rgbBlue, 9);
    EXPECT_EQ(copy->pmi->bmiColors[9].rgbGreen, 246);
    EXPECT_EQ(copy->pmi->bmiColors[10].rgbRed, 0); // not copied
    // Palette copy: red, green, blue order.
    EXPECT_EQ(copy->pal.rgb0[9].peRed, 7);
    EXPECT_EQ(copy->pal.rgb0[9].peGreen, 246);
    EXPECT_EQ(copy->pal.rgb0[9].peBlue, 9);
    EXPECT_EQ(copy->pal.num, 256);
    EXPECT_EQ(copy->pal.ver, 0x300);
    OwnedDib same;
    newdib(*same, 2, 2, 8, src->pmi, 256);
    EXPECT_EQ(same->bytew, src->bytew);

    OwnedDib ramp;
    newdib(*ramp, 1, 1, 1, nullptr, 0);
    EXPECT_EQ(ramp->pmi->bmiColors[0].rgbRed, 0);
    EXPECT_EQ(ramp->pmi->bmiColors[1].rgbRed, 255);
    EXPECT_EQ(ramp->pal.rgb0[1].peGreen, 255);
}

TEST(NewDib, RefusesBadDepthsAndSizesWithAReason) {
    const struct {
        int w, h, bits;
    } bad[] = {{0, 5, 8}, {5, 0, 8},     {-1, 5, 24},   {5, 5, 2},
               {5, 5, 0}, {65536, 1, 1}, {1, 65536, 8}, {65535, 65535, 24}};
    for (const auto& c : bad) {
        dib d{};
        newdib(d, c.w, c.h, c.bits, nullptr, 0);
        EXPECT_EQ(d.poi, nullptr) << c.w << "x" << c.h << "x" << c.bits;
        EXPECT_EQ(d.pmi, nullptr);
        EXPECT_FALSE(DibErrorText(d).empty());
    }
}

TEST(NewDib, PixelLimitIsHonoured) {
    const uint64_t old = SetDibPixelLimit(100);
    dib d{};
    newdib(d, 11, 10, 8, nullptr, 0);
    EXPECT_EQ(d.poi, nullptr);
    EXPECT_EQ(DibErrorText(d), "Bild ist zu groß");
    newdib(d, 10, 10, 8, nullptr, 0);
    EXPECT_NE(d.poi, nullptr);
    deldib(d);
    SetDibPixelLimit(old);
}

TEST(Pixels, SetAndGetRoundTripAtEveryDepthAndRowZeroIsTheTop) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        OwnedDib d;
        newdib(*d, 13, 7, bits, nullptr, 0);
        const uint32_t mask = bits == 32 ? 0xffffffffu : (1u << bits) - 1;
        for (int y = 0; y < 7; ++y) {
            for (int x = 0; x < 13; ++x) {
                setpixel(*d, x, y, (uint32_t(x * 977 + y * 131) * 2654435761u) & mask);
            }
        }
        for (int y = 0; y < 7; ++y) {
            for (int x = 0; x < 13; ++x) {
                ASSERT_EQ(getpixel(*d, x, y), (uint32_t(x * 977 + y * 131) * 2654435761u) & mask)
                    << bits << " " << x << "," << y;
            }
        }
        // The top row as displayed is the last row in memory.
        setpixel(*d, 0, 0, mask);
        EXPECT_NE(DibRowTop(*d, 0), d->poi);
        EXPECT_EQ(DibRowTop(*d, 6), d->poi);
    }
}

TEST(Pixels, TwentyFourBitLayoutIsBlueGreenRed) {
    OwnedDib d;
    newdib(*d, 2, 1, 24, nullptr, 0);
    setpixel(*d, 1, 0, 0x112233); // red 0x11, green 0x22, blue 0x33
    EXPECT_EQ(d->poi[3], 0x33);
    EXPECT_EQ(d->poi[4], 0x22);
    EXPECT_EQ(d->poi[5], 0x11);
    OwnedDib m;
    newdib(*m, 9, 1, 1, nullptr, 0);
    setpixel(*m, 0, 0, 1);
    setpixel(*m, 8, 0, 1);
    EXPECT_EQ(m->poi[0], 0x80);
    EXPECT_EQ(m->poi[1], 0x80);
    EXPECT_EQ(getpixel(*m, 9, 0), 0u); // outside
    setpixel(*m, -1, 0, 1);            // ignored
}

TEST(ErrorText, IsStoredAsUtf16AndTruncatedToTheRoom) {
    dib d{};
    SetDibErrorText(d, u"Datei ist beschädigt");
    EXPECT_EQ(DibErrorText(d), "Datei ist beschädigt");
    const auto* raw = reinterpret_cast<const char16_t*>(&d.pal.rgb0[0]);
    EXPECT_EQ(raw[15], u'ä');
    // Byte 26 of the 32-bit layout: the text starts right after ver and num of the palette copy.
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(raw) - reinterpret_cast<const uint8_t*>(&d.pal), 4);
    SetDibErrorText(d, std::u16string(2000, u'x'));
    EXPECT_EQ(DibErrorText(d).size(), kDibErrorTextCapacity);
}

TEST(Filters, SaveFilterListsThirteenFormatsInCodeOrder) {
    const std::string f = GetDIBSaveFilter();
    const char* exts[] = {"*.bmp", "*.dib", "*.gif", "*.iff", "*.jif", "*.jpg", "*.lbm",
                          "*.pcx", "*.rle", "*.tga", "*.tif", "*.jp2", "*.png"};
    size_t pos = 0;
    int entries = 0;
    for (const char* e : exts) {
        const size_t at = f.find(std::string("|") + e + "|", pos);
        ASSERT_NE(at, std::string::npos) << e;
        pos = at + 1;
        ++entries;
    }
    EXPECT_EQ(entries, 13);
    EXPECT_EQ(std::count(f.begin(), f.end(), '|'), 26);
    const std::string open = GetDIBOpenFilter();
    EXPECT_EQ(open.rfind("Alle Bilder (", 0), 0u);
    EXPECT_NE(open.find("*.png"), std::string::npos);
    EXPECT_NE(open.find("*.jpg"), std::string::npos);
}

TEST(Quality, SettersClampToTheirRanges) {
    SetJPEGQual(0);
    EXPECT_EQ(GetJPEGQual(), 1);
    SetJPEGQual(500);
    EXPECT_EQ(GetJPEGQual(), 100);
    SetJPEG2000Qual(-3);
    EXPECT_EQ(GetJPEG2000Qual(), 1);
    SetJPEG2000Qual(20000);
    EXPECT_EQ(GetJPEG2000Qual(), 10000);
    SetJPEGQual(75);
    SetJPEG2000Qual(100);
}

} // namespace
