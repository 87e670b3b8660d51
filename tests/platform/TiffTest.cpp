#include "common/OutsideTools.h"
#include "common/TestDib.h"
#include "platform/GrafikRW3.h"

#include <gtest/gtest.h>

#include <tiffio.h>

#include <cstdio>
#include <functional>

#include <unistd.h>

using qlytest::OwnedDib;
using qlytest::TempDir;

namespace {

int64_t colourDifferences(const dib& a, const dib& b) {
    int64_t n = 0;
    for (int y = 0; y < a.pmi->bmiHeader.biHeight; ++y) {
        for (int x = 0; x < a.pmi->bmiHeader.biWidth; ++x) {
            int r1, g1, b1, r2, g2, b2;
            qlytest::pixelRgb(a, x, y, r1, g1, b1);
            qlytest::pixelRgb(b, x, y, r2, g2, b2);
            n += (r1 != r2 || g1 != g2 || b1 != b2) ? 1 : 0;
        }
    }
    return n;
}

struct Rgb {
    int r, g, b;
};

Rgb rgbAt(const OwnedDib& d, int x, int y) {
    Rgb c{};
    qlytest::pixelRgb(*d, x, y, c.r, c.g, c.b);
    return c;
}

// A TIFF written with libtiff itself, for the layouts our writer never makes.
struct TiffSpec {
    uint32_t width = 24;
    uint32_t height = 10;
    uint16_t bps = 8;
    uint16_t spp = 1;
    uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    uint16_t compression = COMPRESSION_NONE;
    uint16_t extra = 0; // extra sample type (EXTRASAMPLE_*), when spp has one more
    bool tiled = false;
    uint16_t orientation = ORIENTATION_TOPLEFT;
    uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    uint32_t rowsPerStrip = 3;
    std::vector<uint16_t> colormap; // r..., g..., b...
};

class TiffFiles : public ::testing::Test {
  protected:
    // `sample(x, y, s)` is sample s of pixel (x, y) in the file's own depth.
    std::vector<uint8_t> make(const TiffSpec& s,
                              const std::function<uint32_t(uint32_t, uint32_t, uint32_t)>& sample,
                              int pages = 1) {
        const std::string name = dir.file("made.tif");
        TIFF* t = TIFFOpen(name.c_str(), "w");
        EXPECT_NE(t, nullptr);
        for (int page = 0; page < pages; ++page) {
            TIFFSetField(t, TIFFTAG_IMAGEWIDTH, s.width + uint32_t(page));
            TIFFSetField(t, TIFFTAG_IMAGELENGTH, s.height);
            TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, s.bps);
            TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, s.spp);
            TIFFSetField(t, TIFFTAG_PHOTOMETRIC, s.photometric);
            TIFFSetField(t, TIFFTAG_COMPRESSION, s.compression);
            TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
            TIFFSetField(t, TIFFTAG_ORIENTATION, s.orientation);
            TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, s.sampleFormat);
            if (s.extra != 0) {
                const uint16_t types[1] = {s.extra};
                TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, types);
            }
            if (!s.colormap.empty()) {
                const size_t n = s.colormap.size() / 3;
                TIFFSetField(t, TIFFTAG_COLORMAP, s.colormap.data(), s.colormap.data() + n,
                             s.colormap.data() + 2 * n);
            }
            if (s.compression == COMPRESSION_JPEG) {
                TIFFSetField(t, TIFFTAG_JPEGQUALITY, 95);
                if (s.photometric == PHOTOMETRIC_YCBCR) {
                    TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
                }
            }
            const uint32_t w = s.width + uint32_t(page);
            const size_t rowBytes = (size_t(w) * s.spp * s.bps + 7) / 8;
            // Packs the samples of one row at the file's depth, most significant bit first.
            auto packRow = [&](uint32_t y, std::vector<uint8_t>& row) {
                row.assign(rowBytes, 0);
                for (uint32_t x = 0; x < w; ++x) {
                    for (uint32_t c = 0; c < s.spp; ++c) {
                        const uint32_t v = sample(x, y, c) + uint32_t(page);
                        const size_t bit = (size_t(x) * s.spp + c) * s.bps;
                        if (s.bps >= 8) {
                            // Whole bytes in host (little-endian) order.
                            for (uint32_t k = 0; k < s.bps / 8u; ++k) {
                                row[bit / 8 + k] = uint8_t(v >> (8 * k));
                            }
                        } else {
                            row[bit / 8] |=
                                uint8_t((v & ((1u << s.bps) - 1)) << (8 - s.bps - bit % 8));
                        }
                    }
                }
            };
            std::vector<uint8_t> row;
            if (s.tiled) {
                TIFFSetField(t, TIFFTAG_TILEWIDTH, 16);
                TIFFSetField(t, TIFFTAG_TILELENGTH, 16);
                const size_t tileRow = size_t(TIFFTileRowSize(t));
                std::vector<uint8_t> tile(size_t(TIFFTileSize(t)));
                for (uint32_t ty = 0; ty < s.height; ty += 16) {
                    for (uint32_t tx = 0; tx < w; tx += 16) {
                        std::fill(tile.begin(), tile.end(), 0);
                        for (uint32_t r = 0; r < 16 && ty + r < s.height; ++r) {
                            packRow(ty + r, row);
                            const size_t from = size_t(tx) * s.spp * s.bps / 8;
                            std::copy(row.begin() + std::ptrdiff_t(from),
                                      row.begin() +
                                          std::ptrdiff_t(std::min(rowBytes, from + tileRow)),
                                      tile.begin() + std::ptrdiff_t(r * tileRow));
                        }
                        EXPECT_GE(TIFFWriteTile(t, tile.data(), tx, ty, 0, 0), 0);
                    }
                }
            } else {
                TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, s.rowsPerStrip);
                for (uint32_t y = 0; y < s.height; ++y) {
                    packRow(y, row);
                    EXPECT_EQ(TIFFWriteScanline(t, row.data(), y, 0), 1);
                }
            }
            TIFFWriteDirectory(t);
        }
        TIFFClose(t);
        return qlytest::readFileBytes(name);
    }

    static void decode(OwnedDib& d, const std::vector<uint8_t>& bytes, int format = DIB_AUTO) {
        d.reset();
        OpenDibFromMemory(*d, bytes.data(), bytes.size(), format);
    }

    TempDir dir;
};

// The classic pattern: a black 1-pixel frame and a black diagonal on white.
uint32_t frameAndDiagonal(uint32_t x, uint32_t y, uint32_t w, uint32_t h) {
    return (x == 0 || y == 0 || x == w - 1 || y == h - 1 || x == y) ? 1 : 0;
}

TEST_F(TiffFiles, BilevelFilesKeepOneBitAndShowBlackAsBlackInEveryCoding) {
    for (uint16_t photometric : {PHOTOMETRIC_MINISWHITE, PHOTOMETRIC_MINISBLACK}) {
        for (uint16_t compression :
             {COMPRESSION_NONE, COMPRESSION_CCITTRLE, COMPRESSION_CCITTFAX3, COMPRESSION_CCITTFAX4,
              COMPRESSION_PACKBITS, COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE}) {
            for (bool tiled : {false, true}) {
                TiffSpec s;
                s.width = 37;
                s.height = 21;
                s.bps = 1;
                s.photometric = photometric;
                s.compression = compression;
                s.tiled = tiled;
                s.rowsPerStrip = compression == COMPRESSION_NONE ? 4 : 21;
                const auto bytes = make(s, [&](uint32_t x, uint32_t y, uint32_t) {
                    const uint32_t black = frameAndDiagonal(x, y, 37, 21);
                    return photometric == PHOTOMETRIC_MINISWHITE ? black : 1 - black;
                });
                OwnedDib d;
                decode(d, bytes);
                const std::string what = "photometric " + std::to_string(photometric) +
                                         " compression " + std::to_string(compression) +
                                         (tiled ? " tiled" : "");
                ASSERT_NE(d->poi, nullptr) << what << ": " << DibErrorText(*d);
                EXPECT_EQ(d.bits(), 1) << what;
                int wrong = 0;
                for (uint32_t y = 0; y < 21; ++y) {
                    for (uint32_t x = 0; x < 37; ++x) {
                        const bool black = frameAndDiagonal(x, y, 37, 21) == 1;
                        wrong += (rgbAt(d, int(x), int(y)).r == 0) != black ? 1 : 0;
                    }
                }
                EXPECT_EQ(wrong, 0) << what;
            }
        }
    }
}

TEST_F(TiffFiles, GreyAndPaletteFilesKeepTheirDepth) {
    // 8-bit grey, min-is-white: 0 is white.
    TiffSpec grey;
    grey.photometric = PHOTOMETRIC_MINISWHITE;
    grey.compression = COMPRESSION_LZW;
    auto bytes = make(grey, [](uint32_t x, uint32_t, uint32_t) { return x * 10; });
    OwnedDib d;
    decode(d, bytes);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(d.bits(), 8);
    EXPECT_EQ(rgbAt(d, 0, 0).r, 255);
    EXPECT_EQ(rgbAt(d, 10, 5).g, 155);
    // 4-bit grey in tiles.
    TiffSpec g4;
    g4.bps = 4;
    g4.tiled = true;
    g4.width = 40;
    g4.height = 20;
    g4.compression = COMPRESSION_ADOBE_DEFLATE;
    bytes = make(g4, [](uint32_t x, uint32_t y, uint32_t) { return (x + y) % 16; });
    decode(d, bytes);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(d.bits(), 4);
    EXPECT_EQ(getpixel(*d, 33, 19), (33u + 19u) % 16);
    EXPECT_EQ(rgbAt(d, 15, 0).r, 255);
    // 2-bit grey becomes 4-bit with the same four levels.
    TiffSpec g2;
    g2.bps = 2;
    g2.width = 13;
    bytes = make(g2, [](uint32_t x, uint32_t, uint32_t) { return x % 4; });
    decode(d, bytes);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(d.bits(), 4);
    EXPECT_EQ(rgbAt(d, 2, 0).r, 170);
    EXPECT_EQ(rgbAt(d, 3, 9).r, 255);
    EXPECT_EQ(rgbAt(d, 12, 9).r, 0);
    // 4- and 8-bit palettes.
    for (uint16_t bps : {4, 8}) {
        TiffSpec p;
        p.bps = bps;
        p.photometric = PHOTOMETRIC_PALETTE;
        p.compression = COMPRESSION_PACKBITS;
        const size_t n = size_t(1) << bps;
        p.colormap.resize(3 * n);
        for (size_t i = 0; i < n; ++i) {
            p.colormap[i] = uint16_t(i * 4000);
            p.colormap[n + i] = uint16_t(65535 - i * 200);
            p.colormap[2 * n + i] = uint16_t((i % 3) * 30000);
        }
        bytes = make(p, [n](uint32_t x, uint32_t y, uint32_t) { return (x * 3 + y) % n; });
        decode(d, bytes);
        ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
        EXPECT_EQ(d.bits(), bps);
        const uint32_t idx = (7 * 3 + 4) % n;
        EXPECT_EQ(getpixel(*d, 7, 4), idx);
        EXPECT_EQ(rgbAt(d, 7, 4).r, uint16_t(idx * 4000) >> 8);
        EXPECT_EQ(rgbAt(d, 7, 4).g, (65535 - idx * 200) >> 8);
        EXPECT_EQ(d->pal.rgb0[idx].peBlue, ((idx % 3) * 30000) >> 8);
    }
}

TEST_F(TiffFiles, ColourLayoutsBecomeTrueColourAndAlphaLiesOnWhite) {
    OwnedDib d;
    // RGB 8-bit in tiles with the horizontal predictor's cousin, Deflate.
    TiffSpec rgb;
    rgb.spp = 3;
    rgb.photometric = PHOTOMETRIC_RGB;
    rgb.compression = COMPRESSION_ADOBE_DEFLATE;
    rgb.tiled = true;
    rgb.width = 35;
    rgb.height = 18;
    auto bytes = make(rgb, [](uint32_t x, uint32_t y, uint32_t c) {
        return c == 0 ? x * 7 : c == 1 ? y * 13 : 200;
    });
    decode(d, bytes);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(d.bits(), 24);
    EXPECT_EQ(getpixel(*d, 34, 17), (34u * 7) << 16 | (17u * 13) << 8 | 200u);
    // RGBA with unassociated alpha: half-covered red over white is pink.
    TiffSpec rgba;
    rgba.spp = 4;
    rgba.photometric = PHOTOMETRIC_RGB;
    rgba.extra = EXTRASAMPLE_UNASSALPHA;
    bytes = make(rgba, [](uint32_t x, uint32_t, uint32_t c) {
        return c == 0 ? 255 : c == 3 ? (x < 12 ? 255 : 128) : 0;
    });
    decode(d, bytes);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(d.bits(), 24);
    EXPECT_EQ(rgbAt(d, 1, 1).g, 0);
    EXPECT_NEAR(rgbAt(d, 20, 1).g, 127, 1);
    EXPECT_EQ(rgbAt(d, 20, 1).r, 255);
    // 16-bit RGB and 16-bit grey are reduced to 8 bits; grey stays grey.
    TiffSpec rgb16;
    rgb16.spp = 3;
    rgb16.bps = 16;
    rgb16.photometric = PHOTOMETRIC_RGB;
    rgb16.compression = COMPRESSION_LZW;
    bytes = make(rgb16, [](uint32_t x, uint32_t, uint32_t c) { return c == 1 ? x * 2000 : 65535; });
    decode(d, bytes);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(d.bits(), 24);
    EXPECT_EQ(rgbAt(d, 10, 3).g, (10 * 2000) >> 8);
    TiffSpec g16;
    g16.bps = 16;
    bytes = make(g16, [](uint32_t x, uint32_t, uint32_t) { return x * 2000; });
    decode(d, bytes);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(d.bits(), 8);
    EXPECT_EQ(rgbAt(d, 10, 3).r, (10 * 2000) >> 8);
    // CMYK: no ink is white, full cyan is cyan.
    TiffSpec cmyk;
    cmyk.spp = 4;
    cmyk.photometric = PHOTOMETRIC_SEPARATED;
    bytes = make(cmyk, [](uint32_t x, uint32_t, uint32_t c) {
        return x < 12 ? 0 : c == 0 ? 255 : 0;
    });
    decode(d, bytes);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(getpixel(*d, 3, 3), 0xffffffu);
    EXPECT_EQ(getpixel(*d, 20, 3), 0x00ffffu);
    // JPEG-compressed YCbCr and grey.
    TiffSpec jpeg;
    jpeg.spp = 3;
    jpeg.photometric = PHOTOMETRIC_YCBCR;
    jpeg.compression = COMPRESSION_JPEG;
    jpeg.width = 32;
    jpeg.height = 16;
    jpeg.rowsPerStrip = 16;
    bytes = make(jpeg, [](uint32_t, uint32_t, uint32_t c) { return c == 2 ? 220 : 30; });
    decode(d, bytes);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(d.bits(), 24);
    EXPECT_NEAR(rgbAt(d, 20, 9).b, 220, 4);
    EXPECT_NEAR(rgbAt(d, 20, 9).r, 30, 4);
    TiffSpec jpegGrey = jpeg;
    jpegGrey.spp = 1;
    jpegGrey.photometric = PHOTOMETRIC_MINISBLACK;
    bytes = make(jpegGrey, [](uint32_t x, uint32_t, uint32_t) { return x < 16 ? 40 : 200; });
    decode(d, bytes);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(d.bits(), 8);
    EXPECT_NEAR(rgbAt(d, 4, 4).r, 40, 4);
    EXPECT_NEAR(rgbAt(d, 28, 4).r, 200, 4);
}

TEST_F(TiffFiles, OrientationResolutionAndFirstPageOfSeveral) {
    TiffSpec s;
    s.orientation = ORIENTATION_BOTLEFT;
    auto bytes = make(s, [](uint32_t, uint32_t y, uint32_t) { return y == 0 ? 0 : 255; });
    OwnedDib d;
    decode(d, bytes);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    // The file's first row is the bottom row of the picture.
    EXPECT_EQ(rgbAt(d, 3, 9).r, 0);
    EXPECT_EQ(rgbAt(d, 3, 0).r, 255);
    // Two pages: the first is read (the second is one pixel wider).
    TiffSpec two;
    bytes = make(
        two, [](uint32_t, uint32_t, uint32_t) { return 9; }, 2);
    decode(d, bytes);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(d.width(), 24);
    EXPECT_EQ(getpixel(*d, 0, 0), 9u);
    // Resolution in centimetres.
    const std::string name = dir.file("res.tif");
    qlytest::writeFileBytes(name, bytes);
    const auto set =
        qlytest::runTool(dir, "tiffset -s 296 3 '" + name + "' && tiffset -s 282 118.11 '" + name +
                                  "' && tiffset -s 283 236.22 '" + name + "'");
    ASSERT_EQ(set.status, 0) << set.output;
    d.reset();
    OpenDib(*d, name, DIB_AUTO);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_NEAR(d->pmi->bmiHeader.biXPelsPerMeter, 11811, 2);
    EXPECT_NEAR(d->pmi->bmiHeader.biYPelsPerMeter, 23622, 2);
}

class TiffWriting : public TiffFiles {
  protected:
    std::vector<uint8_t> encode(const dib& d) {
        std::vector<uint8_t> out;
        EXPECT_TRUE(SaveDibToMemory(d, DIB_TIF, out)) << DibLastError();
        return out;
    }
    // tiffinfo's report of a file of ours.
    std::string info(const std::vector<uint8_t>& bytes) {
        const std::string name = dir.file("ours.tif");
        qlytest::writeFileBytes(name, bytes);
        const auto r = qlytest::runTool(dir, "tiffinfo '" + name + "'");
        EXPECT_EQ(r.status, 0) << r.output;
        return r.output;
    }
};

TEST_F(TiffWriting, EveryDepthRoundTripsExactly) {
    struct Case {
        int bits;
        bool greyRamp;
        int backBits;
    };
    for (const Case& c :
         {Case{1, false, 1}, Case{4, false, 4}, Case{4, true, 4}, Case{8, false, 8},
          Case{8, true, 8}, Case{16, false, 24}, Case{24, false, 24}, Case{32, false, 24}}) {
        OwnedDib src;
        qlytest::makePattern(src, 45, 19, c.bits, 21);
        if (c.greyRamp) {
            for (int i = 0; i < (1 << c.bits); ++i) {
                const auto v = uint8_t(i * 255 / ((1 << c.bits) - 1));
                src->pmi->bmiColors[i] = RGBQUAD{v, v, v, 0};
            }
        }
        const auto bytes = encode(*src);
        OwnedDib back;
        decode(back, bytes);
        ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
        EXPECT_EQ(back.bits(), c.backBits) << c.bits;
        EXPECT_EQ(colourDifferences(*src, *back), 0) << c.bits << (c.greyRamp ? " grey" : "");
        if (c.bits <= 8 && !c.greyRamp) {
            // Same indices, not just the same colours.
            EXPECT_EQ(qlytest::pixelDifferences(*src, *back), 0) << c.bits;
        }
    }
}

TEST_F(TiffWriting, BilevelIsGroup4MinIsWhiteWithResolution) {
    for (bool zeroIsWhite : {false, true}) {
        OwnedDib src;
        qlytest::makePattern(src, 203, 97, 1, 2);
        if (zeroIsWhite) {
            src->pmi->bmiColors[0] = RGBQUAD{255, 255, 255, 0};
            src->pmi->bmiColors[1] = RGBQUAD{0, 0, 0, 0};
        }
        src->pmi->bmiHeader.biXPelsPerMeter = 11811;
        src->pmi->bmiHeader.biYPelsPerMeter = 11811;
        const auto bytes = encode(*src);
        const std::string report = info(bytes);
        EXPECT_NE(report.find("Compression Scheme: CCITT Group 4"), std::string::npos) << report;
        EXPECT_NE(report.find("min-is-white"), std::string::npos) << report;
        EXPECT_NE(report.find("Bits/Sample: 1"), std::string::npos) << report;
        EXPECT_NE(report.find("Resolution: 300, 300 pixels/inch"), std::string::npos) << report;
        OwnedDib back;
        decode(back, bytes);
        ASSERT_NE(back->poi, nullptr);
        EXPECT_EQ(back.bits(), 1);
        EXPECT_EQ(colourDifferences(*src, *back), 0);
        EXPECT_NEAR(back->pmi->bmiHeader.biXPelsPerMeter, 11811, 2);
        // libtiff's own copier decodes our Group 4 data to the same black pixels.
        const std::string plain = dir.file("plain.tif");
        const auto cp =
            qlytest::runTool(dir, "tiffcp -c none '" + dir.file("ours.tif") + "' '" + plain + "'");
        ASSERT_EQ(cp.status, 0) << cp.output;
        OwnedDib viaCp;
        viaCp.reset();
        OpenDib(*viaCp, plain, DIB_AUTO);
        ASSERT_NE(viaCp->poi, nullptr);
        EXPECT_EQ(colourDifferences(*src, *viaCp), 0) << zeroIsWhite;
    }
}

TEST_F(TiffWriting, OtherPicturesAreLzwWithPredictorWhereItHelps) {
    OwnedDib colour;
    qlytest::makeSmooth(colour, 64, 48);
    std::string report = info(encode(*colour));
    EXPECT_NE(report.find("Compression Scheme: LZW"), std::string::npos) << report;
    EXPECT_NE(report.find("Predictor: horizontal differencing"), std::string::npos) << report;
    EXPECT_NE(report.find("RGB color"), std::string::npos) << report;
    EXPECT_NE(report.find("Bits/Sample: 8"), std::string::npos) << report;
    EXPECT_NE(report.find("Samples/Pixel: 3"), std::string::npos) << report;
    // Without a known resolution the tags say "no absolute unit", and reading gives none back.
    EXPECT_NE(report.find("Resolution: 1, 1 (unitless)"), std::string::npos) << report;
    OwnedDib back;
    decode(back, encode(*colour));
    ASSERT_NE(back->poi, nullptr);
    EXPECT_EQ(back->pmi->bmiHeader.biXPelsPerMeter, 0);
    OwnedDib pal;
    qlytest::makePattern(pal, 30, 30, 8, 4);
    report = info(encode(*pal));
    EXPECT_NE(report.find("palette color"), std::string::npos) << report;
    EXPECT_EQ(report.find("Predictor"), std::string::npos) << report;
}

TEST_F(TiffWriting, OurFilesOpenInImageMagickAndItsFilesOpenHere) {
    struct Case {
        int bits;
        const char* expect; // width height depth type
    };
    for (const Case& c :
         {Case{1, "45 19 1 Bilevel"}, Case{8, "45 19 8 Palette"}, Case{24, "45 19 8 TrueColor"}}) {
        OwnedDib src;
        qlytest::makePattern(src, 45, 19, c.bits, 6);
        const std::string name = dir.file("ours" + std::to_string(c.bits) + ".tif");
        ASSERT_EQ(SaveDib(*src, name, DIB_TIF), 1);
        const auto id = qlytest::runTool(dir, "identify -format '%w %h %z %[type]' '" + name + "'");
        ASSERT_EQ(id.status, 0) << id.output;
        EXPECT_EQ(id.output, c.expect);
        const auto conv =
            qlytest::runTool(dir, "convert '" + name + "' '" + dir.file("im.png") + "'");
        ASSERT_EQ(conv.status, 0) << conv.output;
        OwnedDib viaIm;
        viaIm.reset();
        OpenDib(*viaIm, dir.file("im.png"), DIB_AUTO);
        ASSERT_NE(viaIm->poi, nullptr);
        EXPECT_EQ(colourDifferences(*src, *viaIm), 0) << c.bits;
    }
    // ImageMagick's Group 4, JPEG and tiled files; tiffcp's Group 3 copy.
    const std::string g4 = dir.file("im-g4.tif");
    const std::string jpeg = dir.file("im-jpeg.tif");
    const std::string tiles = dir.file("im-tiles.tif");
    const std::string g3 = dir.file("cp-g3.tif");
    const auto made = qlytest::runTool(
        dir, "convert -size 70x40 xc:white -fill black -draw 'rectangle 0,0 34,19' -monochrome "
             "-compress Group4 '" +
                 g4 + "' && convert -size 70x40 gradient:red-blue -compress JPEG -quality 95 '" +
                 jpeg +
                 "' && convert -size 70x40 gradient:red-blue -define tiff:tile-geometry=32x32 "
                 "-compress Zip '" +
                 tiles + "' && tiffcp -c g3:2d '" + g4 + "' '" + g3 + "'");
    ASSERT_EQ(made.status, 0) << made.output;
    OwnedDib a;
    a.reset();
    OpenDib(*a, g4, DIB_AUTO);
    ASSERT_NE(a->poi, nullptr) << DibErrorText(*a);
    EXPECT_EQ(a.bits(), 1);
    OwnedDib b;
    b.reset();
    OpenDib(*b, g3, DIB_AUTO);
    ASSERT_NE(b->poi, nullptr) << DibErrorText(*b);
    EXPECT_EQ(b.bits(), 1);
    EXPECT_EQ(colourDifferences(*a, *b), 0);
    EXPECT_EQ(rgbAt(a, 0, 0).r, 0);
    EXPECT_EQ(rgbAt(a, 34, 19).r, 0);
    EXPECT_EQ(rgbAt(a, 35, 19).r, 255);
    EXPECT_EQ(rgbAt(a, 60, 30).r, 255);
    OwnedDib j;
    j.reset();
    OpenDib(*j, jpeg, DIB_AUTO);
    ASSERT_NE(j->poi, nullptr) << DibErrorText(*j);
    OwnedDib t;
    t.reset();
    OpenDib(*t, tiles, DIB_AUTO);
    ASSERT_NE(t->poi, nullptr) << DibErrorText(*t);
    EXPECT_EQ(t.bits(), 24);
    EXPECT_EQ(t.width(), 70);
    EXPECT_GT(qlytest::psnr(*j, *t), 35.0);
    EXPECT_GT(rgbAt(t, 35, 0).r, 240);
    EXPECT_GT(rgbAt(t, 35, 39).b, 240);
}

TEST_F(TiffFiles, DamagedAndHostileFilesAreRefusedWithAReason) {
    TiffSpec s;
    s.compression = COMPRESSION_LZW;
    const auto good = make(s, [](uint32_t x, uint32_t y, uint32_t) { return x ^ y; });
    OwnedDib d;
    for (size_t n : {size_t{4}, size_t{8}, size_t{30}, good.size() / 2, good.size() - 10}) {
        decode(d, std::vector<uint8_t>(good.begin(), good.begin() + std::ptrdiff_t(n)));
        if (d->poi == nullptr) {
            EXPECT_FALSE(DibErrorText(*d).empty()) << n;
        }
    }
    // Declared sizes over the caps, by libtiff's own tag editor.
    const std::string name = dir.file("big.tif");
    for (const char* tag : {"256 70000", "257 70000"}) {
        qlytest::writeFileBytes(name, good);
        const auto set =
            qlytest::runTool(dir, std::string("tiffset -s ") + tag + " '" + name + "'");
        ASSERT_EQ(set.status, 0) << set.output;
        d.reset();
        OpenDib(*d, name, DIB_AUTO);
        EXPECT_EQ(d->poi, nullptr);
        EXPECT_EQ(DibErrorText(*d), "Bild ist zu groß") << tag;
    }
    // Floating-point samples are not a picture we can show.
    TiffSpec f;
    f.bps = 32;
    f.sampleFormat = SAMPLEFORMAT_IEEEFP;
    const auto floats = make(f, [](uint32_t, uint32_t, uint32_t) { return 0x3f800000u; });
    qlytest::writeFileBytes(name, floats);
    d.reset();
    OpenDib(*d, name, DIB_AUTO);
    EXPECT_EQ(d->poi, nullptr);
    EXPECT_EQ(DibErrorText(*d), "Nicht unterstützte Bildvariante");
    // Random damage never crashes and always explains a failure.
    std::mt19937 rng(3);
    for (int round = 0; round < 100; ++round) {
        auto bad = good;
        for (int k = 0; k < 4; ++k) {
            bad[rng() % bad.size()] = uint8_t(rng());
        }
        decode(d, bad);
        if (d->poi == nullptr) {
            EXPECT_FALSE(DibErrorText(*d).empty());
        }
    }
}

} // namespace

namespace {

// Format code 0 takes the format from the bytes, whatever the name says; an explicit code whose
// format the bytes plainly are not reads the file as what it is.
TEST(ContentDetection, TiffJpeg2000PnmAndWebpAreRecognisedByTheirBytes) {
    TempDir dir;
    OwnedDib src;
    qlytest::makePattern(src, 20, 12, 24, 9);
    SetJPEG2000Qual(10000);
    for (int format : {DIB_TIF, DIB_JP2, DIB_J2K, DIB_PNM}) {
        const std::string misnamed = dir.file("picture" + std::to_string(format) + ".bmp");
        ASSERT_EQ(SaveDib(*src, misnamed, format), 1) << format;
        for (int asked : {int(DIB_AUTO), int(DIB_BMP), int(DIB_TIF), int(DIB_JP2)}) {
            OwnedDib back;
            back.reset();
            OpenDib(*back, misnamed, asked);
            ASSERT_NE(back->poi, nullptr) << format << " asked " << asked << DibErrorText(*back);
            EXPECT_EQ(colourDifferences(*src, *back), 0) << format << " asked " << asked;
        }
    }
    SetJPEG2000Qual(100);
    // The open filter offers every new format, the save filter only the twelve save formats.
    const std::string open = GetDIBOpenFilter();
    for (const char* pattern : {"*.tif", "*.tiff", "*.jp2", "*.j2k", "*.pnm", "*.pgm", "*.webp"}) {
        EXPECT_NE(open.find(pattern), std::string::npos) << pattern;
    }
    EXPECT_EQ(std::string(GetDIBSaveFilter()).find("*.webp"), std::string::npos);
}

// libtiff and OpenJPEG report problems on standard error unless told otherwise; a desktop
// program must not litter its terminal, so reading damaged files prints nothing.
TEST(ContentDetection, DamagedFilesLeaveStandardErrorQuiet) {
    TempDir dir;
    OwnedDib src;
    qlytest::makePattern(src, 40, 30, 24, 9);
    std::vector<std::vector<uint8_t>> files;
    for (int format : {DIB_TIF, DIB_JP2, DIB_J2K}) {
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(SaveDibToMemory(*src, format, bytes));
        files.push_back(bytes);
    }
    const std::string log = dir.file("stderr.txt");
    std::fflush(stderr);
    const int saved = dup(2);
    FILE* sink = std::fopen(log.c_str(), "w");
    ASSERT_NE(sink, nullptr);
    dup2(fileno(sink), 2);
    int refused = 0;
    std::mt19937 rng(1);
    for (const auto& good : files) {
        for (int round = 0; round < 30; ++round) {
            auto bad =
                round % 2 == 0 ? std::vector<uint8_t>(good.begin(), good.begin() + 60) : good;
            for (int k = 0; k < 8; ++k) {
                bad[8 + rng() % (bad.size() - 8)] = uint8_t(rng());
            }
            OwnedDib d;
            OpenDibFromMemory(*d, bad.data(), bad.size(), DIB_AUTO);
            refused += d->poi == nullptr ? 1 : 0;
        }
    }
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    std::fclose(sink);
    EXPECT_GT(refused, 30);
    EXPECT_EQ(qlytest::readFileBytes(log).size(), 0u)
        << std::string(qlytest::readFileBytes(log).begin(), qlytest::readFileBytes(log).end());
}

} // namespace
