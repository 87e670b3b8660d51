#include "common/OutsideTools.h"
#include "common/TestDib.h"
#include "platform/GrafikRW3.h"

#include <gtest/gtest.h>

#include <openjpeg.h>

#include <algorithm>
#include <cstring>
#include <functional>

using qlytest::OwnedDib;
using qlytest::TempDir;

namespace {

// Restores the default JPEG 2000 size after each test.
class Jp2 : public ::testing::Test {
  protected:
    void TearDown() override { SetJPEG2000Qual(100); }

    static std::vector<uint8_t> encode(const dib& d, int format = DIB_JP2) {
        std::vector<uint8_t> out;
        EXPECT_TRUE(SaveDibToMemory(d, format, out)) << DibLastError();
        return out;
    }

    static void decode(OwnedDib& back, const std::vector<uint8_t>& bytes, int format = DIB_AUTO) {
        back.reset();
        OpenDibFromMemory(*back, bytes.data(), bytes.size(), format);
    }

    // Colour difference of two pictures of any depth, pixel by pixel.
    static int64_t colourDifferences(const dib& a, const dib& b) {
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
};

// Builds a JPEG 2000 file with OpenJPEG directly, for layouts our writer never makes.
struct CompSpec {
    uint32_t dx = 1;
    uint32_t dy = 1;
    uint32_t prec = 8;
    bool sgnd = false;
    bool alpha = false;
};

std::vector<uint8_t> handMade(OPJ_CODEC_FORMAT format, uint32_t w, uint32_t h,
                              const std::vector<CompSpec>& comps, OPJ_COLOR_SPACE space,
                              const std::function<int(uint32_t c, uint32_t x, uint32_t y)>& value) {
    std::vector<opj_image_cmptparm_t> parms(comps.size());
    for (size_t i = 0; i < comps.size(); ++i) {
        parms[i] = opj_image_cmptparm_t{};
        parms[i].dx = comps[i].dx;
        parms[i].dy = comps[i].dy;
        parms[i].w = (w + comps[i].dx - 1) / comps[i].dx;
        parms[i].h = (h + comps[i].dy - 1) / comps[i].dy;
        parms[i].prec = comps[i].prec;
        parms[i].sgnd = comps[i].sgnd ? 1 : 0;
    }
    opj_image_t* image = opj_image_create(OPJ_UINT32(comps.size()), parms.data(), space);
    image->x1 = w;
    image->y1 = h;
    for (uint32_t c = 0; c < comps.size(); ++c) {
        image->comps[c].alpha = comps[c].alpha ? 1 : 0;
        for (uint32_t y = 0; y < parms[c].h; ++y) {
            for (uint32_t x = 0; x < parms[c].w; ++x) {
                image->comps[c].data[y * parms[c].w + x] = value(c, x, y);
            }
        }
    }
    opj_cparameters_t p;
    opj_set_default_encoder_parameters(&p);
    p.tcp_numlayers = 1;
    p.tcp_rates[0] = 0;
    p.cp_disto_alloc = 1;
    p.numresolution = 3;
    opj_codec_t* codec = opj_create_compress(format);
    opj_setup_encoder(codec, &p, image);
    const std::string name = std::string(::testing::TempDir()) + "/handmade-" +
                             std::to_string(reinterpret_cast<uintptr_t>(image)) + ".jp2";
    opj_stream_t* stream = opj_stream_create_default_file_stream(name.c_str(), OPJ_FALSE);
    const bool ok = opj_start_compress(codec, image, stream) && opj_encode(codec, stream) &&
                    opj_end_compress(codec, stream);
    opj_stream_destroy(stream);
    opj_destroy_codec(codec);
    opj_image_destroy(image);
    EXPECT_TRUE(ok);
    auto bytes = qlytest::readFileBytes(name);
    std::remove(name.c_str());
    return bytes;
}

TEST_F(Jp2, LosslessRoundTripIsExactAtEveryDepth) {
    SetJPEG2000Qual(10000);
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        OwnedDib src;
        qlytest::makePattern(src, 37, 23, bits, 7);
        for (int format : {DIB_JP2, DIB_J2K}) {
            const auto bytes = encode(*src, format);
            OwnedDib back;
            decode(back, bytes);
            ASSERT_NE(back->poi, nullptr) << bits << " " << DibErrorText(*back);
            EXPECT_EQ(back.width(), 37);
            EXPECT_EQ(back.height(), 23);
            // A black-and-white table is grey, so a 1-bit picture comes back as grey.
            EXPECT_EQ(back.bits(), bits == 1 ? 8 : 24) << bits;
            EXPECT_EQ(colourDifferences(*src, *back), 0) << bits << " format " << format;
        }
    }
}

TEST_F(Jp2, PicturesOfOnePixelRowOrColumnAreWritten) {
    for (SetJPEG2000Qual(10000); GetJPEG2000Qual() >= 100;
         SetJPEG2000Qual(GetJPEG2000Qual() / 100)) {
        for (auto [w, h] :
             {std::pair{1, 1}, std::pair{1, 300}, std::pair{300, 1}, std::pair{3, 2}}) {
            OwnedDib src;
            qlytest::makePattern(src, w, h, 24, 2);
            const auto bytes = encode(*src);
            OwnedDib back;
            decode(back, bytes);
            ASSERT_NE(back->poi, nullptr) << w << "x" << h << " " << DibErrorText(*back);
            EXPECT_EQ(back.width(), w);
            EXPECT_EQ(back.height(), h);
            if (GetJPEG2000Qual() == 10000) {
                EXPECT_EQ(colourDifferences(*src, *back), 0) << w << "x" << h;
            }
        }
    }
}

TEST_F(Jp2, GreyPicturesAreWrittenAsOneComponentAndReadAsEightBitGrey) {
    SetJPEG2000Qual(10000);
    OwnedDib grey;
    newdib(*grey, 64, 20, 8, nullptr, 0);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 64; ++x) {
            setpixel(*grey, x, y, uint32_t((x * 4 + y) & 255));
        }
    }
    TempDir dir;
    const std::string name = dir.file("g.jp2");
    ASSERT_EQ(SaveDib(*grey, name, DIB_JP2), 1) << DibLastError();
    const auto dump = qlytest::runTool(dir, "opj_dump -i '" + name + "'");
    ASSERT_EQ(dump.status, 0) << dump.output;
    EXPECT_NE(dump.output.find("numcomps=1"), std::string::npos) << dump.output;
    OwnedDib back;
    back.reset();
    OpenDib(*back, name, DIB_AUTO);
    ASSERT_NE(back->poi, nullptr);
    EXPECT_EQ(back.bits(), 8);
    EXPECT_EQ(qlytest::pixelDifferences(*grey, *back), 0);
    EXPECT_EQ(back->pmi->bmiColors[77].rgbGreen, 77);
}

// A smooth picture with grain, so that it needs more than 10 % of its raw size to be lossless.
void makeGrainy(OwnedDib& out, int w, int h) {
    qlytest::makeSmooth(out, w, h);
    std::mt19937 rng(5);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = DibRowTop(*out, y);
        for (int i = 0; i < w * 3; ++i) {
            row[i] = uint8_t(std::clamp(int(row[i]) + int(rng() % 25) - 12, 0, 255));
        }
    }
}

TEST_F(Jp2, QualityGivesTheCompressedSizeAsAShareOfTheRawSize) {
    OwnedDib src;
    makeGrainy(src, 400, 300);
    const double raw = 400.0 * 300 * 3;
    SetJPEG2000Qual(100); // 1 %
    const auto small = encode(*src);
    SetJPEG2000Qual(1000); // 10 %
    const auto larger = encode(*src);
    EXPECT_LE(double(small.size()), raw / 100 * 1.05);
    EXPECT_GT(double(small.size()), raw / 100 * 0.5);
    EXPECT_LE(double(larger.size()), raw / 10 * 1.05);
    EXPECT_GT(larger.size(), small.size() * 3);
    // The PSNR bounds of JPEG 2000 pictures: 25 dB at 1 % of a grainy picture and better at 10 %;
    OwnedDib back;
    decode(back, small);
    ASSERT_NE(back->poi, nullptr);
    const double psnrSmall = qlytest::psnr(*src, *back);
    EXPECT_GT(psnrSmall, 25.0);
    decode(back, larger);
    ASSERT_NE(back->poi, nullptr);
    EXPECT_GT(qlytest::psnr(*src, *back), psnrSmall + 1.0);
    // The smooth picture without grain: 38 dB at 1 %.
    OwnedDib smooth;
    qlytest::makeSmooth(smooth, 400, 300);
    SetJPEG2000Qual(100);
    decode(back, encode(*smooth));
    ASSERT_NE(back->poi, nullptr);
    EXPECT_GT(qlytest::psnr(*smooth, *back), 38.0);
}

TEST_F(Jp2, ResolutionTravelsInTheJp2ResolutionBox) {
    OwnedDib src;
    qlytest::makeSmooth(src, 32, 32);
    src->pmi->bmiHeader.biXPelsPerMeter = 11811; // 300 dpi
    src->pmi->bmiHeader.biYPelsPerMeter = 23622; // 600 dpi
    const auto bytes = encode(*src);
    OwnedDib back;
    decode(back, bytes);
    ASSERT_NE(back->poi, nullptr);
    EXPECT_NEAR(back->pmi->bmiHeader.biXPelsPerMeter, 11811, 2);
    EXPECT_NEAR(back->pmi->bmiHeader.biYPelsPerMeter, 23622, 2);
    // The box sits inside the header box, where other readers still find the picture.
    TempDir dir;
    qlytest::writeFileBytes(dir.file("r.jp2"), bytes);
    const auto id = qlytest::runTool(dir, "identify -format '%w %h' '" + dir.file("r.jp2") + "'");
    ASSERT_EQ(id.status, 0) << id.output;
    EXPECT_EQ(id.output, "32 32");
}

TEST_F(Jp2, CodeStreamsAndFilesAreTakenFromTheirContent) {
    OwnedDib src;
    qlytest::makeSmooth(src, 50, 40);
    const auto jp2 = encode(*src, DIB_JP2);
    const auto j2k = encode(*src, DIB_J2K);
    ASSERT_GE(j2k.size(), 4u);
    EXPECT_EQ(j2k[0], 0xff);
    EXPECT_EQ(j2k[1], 0x4f);
    EXPECT_EQ(jp2[4], 'j');
    EXPECT_EQ(jp2[5], 'P');
    // A code stream handed over as JP2 (and the other way round) is read as what it is.
    OwnedDib back;
    decode(back, j2k, DIB_JP2);
    ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
    decode(back, jp2, DIB_J2K);
    ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
    EXPECT_EQ(back.width(), 50);
}

TEST_F(Jp2, OurFilesDecodeInOpenJpegAndImageMagick) {
    TempDir dir;
    OwnedDib colour;
    qlytest::makeSmooth(colour, 123, 77);
    OwnedDib grey;
    newdib(*grey, 90, 31, 8, nullptr, 0);
    for (int y = 0; y < 31; ++y) {
        for (int x = 0; x < 90; ++x) {
            setpixel(*grey, x, y, uint32_t(x * 2 + y));
        }
    }
    SetJPEG2000Qual(500); // 5 %
    struct Case {
        const dib* d;
        const char* name;
        const char* ext;
        int format;
        int channels;
    };
    for (const Case& c :
         {Case{&*colour, "c", "jp2", DIB_JP2, 3}, Case{&*grey, "g", "jp2", DIB_JP2, 1},
          Case{&*colour, "k", "j2k", DIB_J2K, 3}}) {
        const std::string in = dir.file(std::string(c.name) + "." + c.ext);
        const std::string out = dir.file(std::string(c.name) + (c.channels == 1 ? ".pgm" : ".ppm"));
        ASSERT_EQ(SaveDib(*c.d, in, c.format), 1);
        const auto dec = qlytest::runTool(dir, "opj_decompress -i '" + in + "' -o '" + out + "'");
        ASSERT_EQ(dec.status, 0) << dec.output;
        qlytest::NetpbmPicture pic;
        ASSERT_TRUE(qlytest::parseNetpbm(qlytest::readFileBytes(out), pic)) << c.name;
        EXPECT_EQ(pic.width, c.d->pmi->bmiHeader.biWidth);
        EXPECT_EQ(pic.height, c.d->pmi->bmiHeader.biHeight);
        EXPECT_EQ(pic.channels, c.channels);
        EXPECT_GT(qlytest::psnrAgainst(*c.d, pic), 30.0) << c.name;
        const auto id =
            qlytest::runTool(dir, "identify -format '%w %h %z %[channels]' '" + in + "'");
        ASSERT_EQ(id.status, 0) << id.output;
        EXPECT_EQ(id.output.substr(0, id.output.find(' ', id.output.find(' ') + 1)),
                  std::to_string(pic.width) + " " + std::to_string(pic.height));
        EXPECT_NE(id.output.find(" 8 "), std::string::npos) << id.output;
        EXPECT_NE(id.output.find(c.channels == 1 ? "gray" : "srgb"), std::string::npos)
            << id.output;
    }
}

TEST_F(Jp2, FilesFromOpenJpegAndImageMagickOpenHere) {
    TempDir dir;
    OwnedDib src;
    qlytest::makePattern(src, 61, 45, 24, 3);
    const std::string ppm = dir.file("src.ppm");
    qlytest::writePpm(*src, ppm);
    // opj_compress without a rate is lossless.
    for (const char* ext : {"jp2", "j2k"}) {
        const std::string file = dir.file(std::string("opj.") + ext);
        const auto enc = qlytest::runTool(dir, "opj_compress -i '" + ppm + "' -o '" + file + "'");
        ASSERT_EQ(enc.status, 0) << enc.output;
        OwnedDib back;
        back.reset();
        OpenDib(*back, file, DIB_AUTO);
        ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
        EXPECT_EQ(back.bits(), 24);
        EXPECT_EQ(colourDifferences(*src, *back), 0) << ext;
    }
    // ImageMagick: a grey picture with 300 dpi, lossy.
    const std::string im = dir.file("im.jp2");
    const auto conv = qlytest::runTool(
        dir, "convert -size 80x60 gradient:black-white -colorspace Gray -quality 40 '" + im + "'");
    ASSERT_EQ(conv.status, 0) << conv.output;
    OwnedDib back;
    back.reset();
    OpenDib(*back, im, DIB_AUTO);
    ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
    EXPECT_EQ(back.width(), 80);
    EXPECT_EQ(back.height(), 60);
    EXPECT_EQ(back.bits(), 8);
    // Top row near black, bottom row near white.
    EXPECT_LT(getpixel(*back, 40, 0), 16u);
    EXPECT_GT(getpixel(*back, 40, 59), 239u);
}

TEST_F(Jp2, AlphaIsComposedOntoWhite) {
    // Red, half covered; a second grey+alpha picture fully transparent.
    const auto rgba = handMade(OPJ_CODEC_JP2, 16, 8, {{}, {}, {}, {1, 1, 8, false, true}},
                               OPJ_CLRSPC_SRGB, [](uint32_t c, uint32_t x, uint32_t) {
                                   return c == 0 ? 255 : c == 3 ? (x < 8 ? 255 : 128) : 0;
                               });
    OwnedDib back;
    decode(back, rgba);
    ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
    EXPECT_EQ(back.bits(), 24);
    int r, g, b;
    qlytest::pixelRgb(*back, 2, 2, r, g, b);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, 0);
    qlytest::pixelRgb(*back, 12, 2, r, g, b);
    EXPECT_EQ(r, 255);
    EXPECT_NEAR(g, 127, 1);
    const auto ga = handMade(OPJ_CODEC_J2K, 8, 8, {{}, {1, 1, 8, false, true}}, OPJ_CLRSPC_GRAY,
                             [](uint32_t c, uint32_t, uint32_t) { return c == 0 ? 0 : 0; });
    decode(back, ga);
    ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
    EXPECT_EQ(back.bits(), 8);
    EXPECT_EQ(back->pmi->bmiColors[getpixel(*back, 3, 3)].rgbRed, 255);
}

TEST_F(Jp2, SixteenBitSignedAndSubsampledComponentsAreScaled) {
    // 16-bit grey: 65535 is white, 0 black.
    const auto g16 = handMade(OPJ_CODEC_J2K, 10, 4, {{1, 1, 16}}, OPJ_CLRSPC_GRAY,
                              [](uint32_t, uint32_t x, uint32_t) { return x < 5 ? 0 : 65535; });
    OwnedDib back;
    decode(back, g16);
    ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
    EXPECT_EQ(back->pmi->bmiColors[getpixel(*back, 1, 1)].rgbRed, 0);
    EXPECT_EQ(back->pmi->bmiColors[getpixel(*back, 8, 1)].rgbRed, 255);
    // Signed 12-bit samples: -2048 is black, 2047 white.
    const auto s12 = handMade(OPJ_CODEC_J2K, 10, 4, {{1, 1, 12, true}}, OPJ_CLRSPC_GRAY,
                              [](uint32_t, uint32_t x, uint32_t) { return x < 5 ? -2048 : 2047; });
    decode(back, s12);
    ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
    EXPECT_EQ(back->pmi->bmiColors[getpixel(*back, 1, 1)].rgbRed, 0);
    EXPECT_EQ(back->pmi->bmiColors[getpixel(*back, 8, 1)].rgbRed, 255);
    // YCbCr with 2x2 subsampled chroma: a flat pure red.
    const auto ycc = handMade(OPJ_CODEC_JP2, 20, 14, {{}, {2, 2}, {2, 2}}, OPJ_CLRSPC_SYCC,
                              [](uint32_t c, uint32_t, uint32_t) {
                                  return c == 0 ? 76 : c == 1 ? 85 : 255;
                              });
    decode(back, ycc);
    ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
    EXPECT_EQ(back.bits(), 24);
    for (int y : {0, 13}) {
        for (int x : {0, 19}) {
            int r, g, b;
            qlytest::pixelRgb(*back, x, y, r, g, b);
            EXPECT_NEAR(r, 254, 3);
            EXPECT_NEAR(g, 0, 3);
            EXPECT_NEAR(b, 0, 3);
        }
    }
}

class Jp2Damaged : public Jp2 {
  protected:
    void SetUp() override {
        OwnedDib src;
        qlytest::makeSmooth(src, 96, 64);
        good = encode(*src, DIB_J2K);
        goodJp2 = encode(*src, DIB_JP2);
    }
    std::vector<uint8_t> good;
    std::vector<uint8_t> goodJp2;
};

TEST_F(Jp2Damaged, HugeDeclaredSizeIsRefusedBeforeDecoding) {
    // SIZ: marker, Lsiz, Rsiz, then Xsiz and Ysiz (ISO/IEC 15444-1 A.5.1).
    // Width and height 61440 in one tile of that size (XTsiz, YTsiz follow the offsets).
    auto absurd = good;
    const uint8_t big[8] = {0x00, 0x00, 0xf0, 0x00, 0x00, 0x00, 0xf0, 0x00};
    std::memcpy(absurd.data() + 8, big, 8);
    std::memcpy(absurd.data() + 24, big, 8);
    OwnedDib d;
    decode(d, absurd);
    EXPECT_EQ(d->poi, nullptr);
    EXPECT_EQ(DibErrorText(*d), "Bild ist zu groß");
    // Within OpenJPEG's own limits but over a lowered pixel cap.
    const uint64_t old = SetDibPixelLimit(1000);
    decode(d, good);
    SetDibPixelLimit(old);
    EXPECT_EQ(d->poi, nullptr);
    EXPECT_EQ(DibErrorText(*d), "Bild ist zu groß");
}

TEST_F(Jp2Damaged, TooManyComponentsAreRefused) {
    const auto five = handMade(OPJ_CODEC_J2K, 8, 8, {{}, {}, {}, {}, {}}, OPJ_CLRSPC_UNSPECIFIED,
                               [](uint32_t, uint32_t, uint32_t) { return 9; });
    OwnedDib d;
    decode(d, five);
    EXPECT_EQ(d->poi, nullptr);
    EXPECT_EQ(DibErrorText(*d), "Nicht unterstützte Bildvariante");
}

TEST_F(Jp2Damaged, TruncatedAndScrambledFilesNeverCrash) {
    OwnedDib d;
    for (const auto* file : {&good, &goodJp2}) {
        for (size_t n :
             {size_t{4}, size_t{12}, size_t{40}, size_t{100}, file->size() / 2, file->size() - 3}) {
            decode(d, std::vector<uint8_t>(file->begin(), file->begin() + std::ptrdiff_t(n)));
            if (d->poi == nullptr) {
                EXPECT_FALSE(DibErrorText(*d).empty()) << n;
            } else {
                EXPECT_EQ(d.width(), 96) << n;
            }
        }
    }
    // The header alone gives no picture.
    decode(d, std::vector<uint8_t>(good.begin(), good.begin() + 60));
    EXPECT_EQ(d->poi, nullptr);
    std::mt19937 rng(11);
    for (int round = 0; round < 60; ++round) {
        auto bad = round % 2 == 0 ? good : goodJp2;
        for (int k = 0; k < 6; ++k) {
            bad[rng() % bad.size()] = uint8_t(rng());
        }
        decode(d, bad);
        if (d->poi == nullptr) {
            EXPECT_FALSE(DibErrorText(*d).empty());
        }
    }
}

TEST_F(Jp2, WritingRefusesAnEmptyRecord) {
    dib empty{};
    std::vector<uint8_t> out;
    EXPECT_FALSE(SaveDibToMemory(empty, DIB_JP2, out));
    EXPECT_TRUE(out.empty());
}

} // namespace
