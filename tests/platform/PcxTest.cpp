#include "common/OtherPrograms.h"
#include "common/TestDib.h"
#include "platform/GrafikRW3.h"

#include <gtest/gtest.h>

#include <sstream>

using qlytest::OwnedDib;
using qlytest::TempDir;

namespace {

using qlytest::decodeBytes;
using qlytest::rgbHex;

std::vector<uint8_t> encode(const dib& d) {
    return qlytest::encodeAs(d, DIB_PCX);
}

// A hand-made PCX: header fields and the scan line bytes (all planes of a line, one line after
// the other), run-length coded here with single-byte runs only when `rle` is set.
struct PcxFile {
    int version = 5;
    int bpp = 8;
    int planes = 1;
    int width = 2;
    int height = 2;
    int bytesPerLine = 2;
    int hdpi = 0;
    int vdpi = 0;
    std::vector<uint8_t> headerPalette; // up to 48 bytes
    std::vector<uint8_t> lines;
    bool rle = true;
    std::vector<uint8_t> vgaPalette; // 768 bytes, appended behind 0x0C

    std::vector<uint8_t> bytes() const {
        std::vector<uint8_t> b(128, 0);
        b[0] = 0x0a;
        b[1] = uint8_t(version);
        b[2] = rle ? 1 : 0;
        b[3] = uint8_t(bpp);
        b[8] = uint8_t(width - 1);
        b[9] = uint8_t((width - 1) >> 8);
        b[10] = uint8_t(height - 1);
        b[11] = uint8_t((height - 1) >> 8);
        b[12] = uint8_t(hdpi);
        b[13] = uint8_t(hdpi >> 8);
        b[14] = uint8_t(vdpi);
        b[15] = uint8_t(vdpi >> 8);
        std::copy(headerPalette.begin(), headerPalette.end(), b.begin() + 16);
        b[65] = uint8_t(planes);
        b[66] = uint8_t(bytesPerLine);
        b[67] = uint8_t(bytesPerLine >> 8);
        b[68] = 1;
        for (uint8_t v : lines) {
            if (rle && v >= 0xc0) {
                b.push_back(0xc1);
            }
            b.push_back(v);
        }
        if (!vgaPalette.empty()) {
            b.push_back(0x0c);
            b.insert(b.end(), vgaPalette.begin(), vgaPalette.end());
        }
        return b;
    }
};

// ---------------------------------------------------------------------------------------------

TEST(PcxRoundTrip, EveryDepthComesBackAndPalettePicturesKeepTheirDepth) {
    struct Case {
        int bits;
        int bpp;    // expected bits per pixel and plane in the file
        int planes; // expected planes
        int readBits;
    };
    for (const Case c : {Case{1, 1, 1, 1}, Case{4, 1, 4, 4}, Case{8, 8, 1, 8}, Case{16, 8, 3, 24},
                         Case{24, 8, 3, 24}, Case{32, 8, 3, 24}}) {
        for (int width : {1, 9, 16, 77}) {
            OwnedDib src;
            qlytest::makePattern(src, width, 5, c.bits, uint32_t(3 * width + c.bits));
            for (int x = 0; x < width; ++x) {
                setpixel(*src, x, 1, getpixel(*src, 0, 1)); // one row of a long run
            }
            const auto bytes = encode(*src);
            EXPECT_EQ(bytes[3], c.bpp);
            EXPECT_EQ(bytes[65], c.planes);
            EXPECT_EQ((bytes[66] | bytes[67] << 8) % 2, 0); // even scan line planes
            OwnedDib back;
            decodeBytes(back, bytes);
            ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
            EXPECT_EQ(back.bits(), c.readBits);
            EXPECT_EQ(back.width(), width);
            EXPECT_EQ(qlytest::colourDifferences(*src, *back), 0) << c.bits << " w=" << width;
            if (c.bits <= 8) {
                EXPECT_EQ(qlytest::pixelDifferences(*src, *back), 0) << c.bits;
            }
        }
    }
}

TEST(PcxRoundTrip, BilevelPicturesAreBlackOnWhiteWhateverTheirTableOrder) {
    // A 1-bit picture whose table says 0 = white, 1 = black comes back looking the same.
    OwnedDib src;
    qlytest::makePattern(src, 21, 4, 1, 2);
    src->pmi->bmiColors[0] = RGBQUAD{255, 255, 255, 0};
    src->pmi->bmiColors[1] = RGBQUAD{0, 0, 0, 0};
    OwnedDib back;
    decodeBytes(back, encode(*src));
    ASSERT_NE(back->poi, nullptr);
    EXPECT_EQ(back.bits(), 1);
    EXPECT_EQ(qlytest::colourDifferences(*src, *back), 0);
    EXPECT_EQ(back->pmi->bmiColors[1].rgbRed, 255); // 1 = white, as PCX has it
}

TEST(PcxRoundTrip, ResolutionIsKept) {
    OwnedDib src;
    qlytest::makePattern(src, 8, 8, 8, 1);
    src->pmi->bmiHeader.biXPelsPerMeter = 11811; // 300 dpi
    src->pmi->bmiHeader.biYPelsPerMeter = 11811;
    const auto bytes = encode(*src);
    EXPECT_EQ(bytes[12] | bytes[13] << 8, 300);
    OwnedDib back;
    decodeBytes(back, bytes);
    ASSERT_NE(back->poi, nullptr);
    EXPECT_EQ(back->pmi->bmiHeader.biXPelsPerMeter, 11811);
    // A header that holds a screen size instead gives no resolution.
    PcxFile f;
    f.hdpi = 640;
    f.vdpi = 480;
    f.lines = {1, 2, 3, 4};
    decodeBytes(back, f.bytes());
    ASSERT_NE(back->poi, nullptr);
    EXPECT_EQ(back->pmi->bmiHeader.biXPelsPerMeter, 0);
}

// ---------------------------------------------------------------------------------------------

TEST(PcxReading, SixteenColourLayoutsUseTheHeaderPaletteOrTheEgaColours) {
    // 4 planes of 1 bit: pixel 0 has planes 0 and 3 set (index 9), pixel 1 only plane 1 (index 2).
    PcxFile ega;
    ega.bpp = 1;
    ega.planes = 4;
    ega.width = 2;
    ega.height = 1;
    ega.bytesPerLine = 2;
    ega.lines = {0x80, 0, 0x40, 0, 0, 0, 0x80, 0};
    for (int i = 0; i < 16; ++i) {
        ega.headerPalette.insert(ega.headerPalette.end(), {uint8_t(i * 16), uint8_t(i), 7});
    }
    OwnedDib d;
    decodeBytes(d, ega.bytes());
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(d.bits(), 4);
    EXPECT_EQ(getpixel(*d, 0, 0), 9u);
    EXPECT_EQ(getpixel(*d, 1, 0), 2u);
    EXPECT_EQ(rgbHex(d, 0, 0), 0x900907u);
    // Version 3 carries no palette: the EGA colours (index 9 is light blue).
    ega.version = 3;
    decodeBytes(d, ega.bytes());
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(rgbHex(d, 0, 0), 0x5555ffu);
    // One plane of 4 bits and one plane of 2 bits.
    PcxFile packed;
    packed.bpp = 4;
    packed.width = 3;
    packed.height = 1;
    packed.lines = {0x5a, 0x30};
    packed.headerPalette = ega.headerPalette;
    decodeBytes(d, packed.bytes());
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(getpixel(*d, 0, 0), 5u);
    EXPECT_EQ(getpixel(*d, 1, 0), 10u);
    EXPECT_EQ(getpixel(*d, 2, 0), 3u);
    packed.bpp = 2;
    packed.width = 5;
    packed.lines = {0x1b, 0x80};
    decodeBytes(d, packed.bytes());
    ASSERT_NE(d->poi, nullptr);
    for (uint32_t x = 0; x < 5; ++x) {
        EXPECT_EQ(getpixel(*d, int(x), 0), (x < 4 ? x : 2u));
    }
}

TEST(PcxReading, EightBitPalettesGreysRgbAndRgba) {
    PcxFile f;
    f.lines = {0, 200, 7, 255};
    f.vgaPalette.assign(768, 0);
    f.vgaPalette[200 * 3] = 250;
    OwnedDib d;
    decodeBytes(d, f.bytes());
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(d.bits(), 8);
    EXPECT_EQ(getpixel(*d, 1, 0), 200u);
    EXPECT_EQ(rgbHex(d, 1, 0), 0xfa0000u);
    // No palette behind the pixels: greys.
    f.vgaPalette.clear();
    decodeBytes(d, f.bytes());
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(rgbHex(d, 1, 1), 0xffffffu);
    // Three planes: red, green, blue lines; four planes: alpha composed onto white.
    PcxFile rgb;
    rgb.planes = 3;
    rgb.height = 1;
    rgb.lines = {255, 0, 0, 128, 10, 0};
    decodeBytes(d, rgb.bytes());
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(d.bits(), 24);
    EXPECT_EQ(rgbHex(d, 0, 0), 0xff000au);
    EXPECT_EQ(rgbHex(d, 1, 0), 0x008000u);
    rgb.planes = 4;
    rgb.lines.insert(rgb.lines.end(), {0, 255});
    decodeBytes(d, rgb.bytes());
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(rgbHex(d, 0, 0), 0xffffffu);
    EXPECT_EQ(rgbHex(d, 1, 0), 0x008000u);
}

TEST(PcxReading, UncompressedFilesAndRunsAcrossScanLines) {
    PcxFile raw;
    raw.rle = false;
    raw.lines = {0xc5, 0xff, 0x01, 0x02}; // bytes with the run marker bits mean themselves
    OwnedDib d;
    decodeBytes(d, raw.bytes());
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(getpixel(*d, 0, 0), 0xc5u);
    EXPECT_EQ(getpixel(*d, 1, 0), 0xffu);
    EXPECT_EQ(getpixel(*d, 1, 1), 0x02u);
    // One run of 3 bytes that spills into the second line, then a literal.
    PcxFile run;
    run.lines.clear();
    auto bytes = run.bytes();
    bytes.insert(bytes.end(), {0xc3, 0x11, 0x22});
    decodeBytes(d, bytes);
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(getpixel(*d, 1, 0), 0x11u);
    EXPECT_EQ(getpixel(*d, 0, 1), 0x11u);
    EXPECT_EQ(getpixel(*d, 1, 1), 0x22u);
}

// ---------------------------------------------------------------------------------------------

TEST(PcxDamage, CutOffAndHostileFilesGiveAPartialPictureOrAReason) {
    OwnedDib src;
    qlytest::makePattern(src, 50, 40, 24, 11);
    const auto good = encode(*src);
    OwnedDib d;
    decodeBytes(d, std::vector<uint8_t>(good.begin(), good.begin() + long(good.size() / 2)));
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(getpixel(*d, 3, 0), getpixel(*src, 3, 0));
    EXPECT_EQ(getpixel(*d, 3, 39), 0u);
    for (size_t n : {size_t{100}, size_t{128}, size_t{140}}) {
        decodeBytes(d, std::vector<uint8_t>(good.begin(), good.begin() + long(n)), DIB_PCX);
        EXPECT_EQ(d->poi, nullptr) << n;
        EXPECT_FALSE(DibErrorText(*d).empty()) << n;
    }
    // A run of 63 bytes at the end of every line and far past the last one stays inside.
    PcxFile runs;
    runs.lines.clear();
    auto flood = runs.bytes();
    for (int i = 0; i < 50; ++i) {
        flood.insert(flood.end(), {0xff, 0x42});
    }
    decodeBytes(d, flood);
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(getpixel(*d, 1, 1), 0x42u);

    auto patched = [&](size_t at, uint8_t v) {
        auto b = good;
        b[at] = v;
        return b;
    };
    // Width 65536 (xmax 65535): too large before any allocation.
    auto huge = patched(8, 0xff);
    huge[9] = 0xff;
    huge[10] = huge[11] = 0xff;
    decodeBytes(d, huge);
    EXPECT_EQ(d->poi, nullptr);
    EXPECT_EQ(DibErrorText(*d), "Bild ist zu groß");
    // Scan line planes shorter than a row of pixels.
    decodeBytes(d, patched(66, 10));
    EXPECT_EQ(d->poi, nullptr);
    EXPECT_EQ(DibErrorText(*d), "Datei ist beschädigt");
    // 4 bits in 3 planes is no PCX layout.
    auto odd = patched(3, 4);
    decodeBytes(d, odd);
    EXPECT_EQ(d->poi, nullptr);
    EXPECT_EQ(DibErrorText(*d), "Nicht unterstützte Bildvariante");
}

// ---------------------------------------------------------------------------------------------

class PcxOtherPrograms : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* program : {"convert", "identify", "gm", "pcxtoppm", "ppmtopcx"}) {
            ASSERT_TRUE(qlytest::haveProgram(program));
        }
    }
    void readPngMadeBy(const std::string& command, OwnedDib& out) {
        ASSERT_EQ(qlytest::runCommand(command), 0) << command;
        out.reset();
        OpenDib(*out, dir.file("out.png"), DIB_PNG);
        ASSERT_NE(out->poi, nullptr) << command;
    }
    std::string outPng() const { return qlytest::quoted(dir.file("out.png")); }
    TempDir dir;
};

TEST_F(PcxOtherPrograms, OurFilesOpenInImageMagickGraphicsMagickAndNetpbm) {
    struct Case {
        int bits;
        const char* type; // ImageMagick's name for what it sees
    };
    for (const Case c :
         {Case{1, "Bilevel"}, Case{4, "Palette"}, Case{8, "Palette"}, Case{24, "TrueColor"}}) {
        OwnedDib src;
        qlytest::makePattern(src, 35, 19, c.bits, uint32_t(c.bits + 40));
        const std::string pcx = dir.file("ours.pcx");
        ASSERT_EQ(SaveDib(*src, pcx, DIB_PCX), 1);
        const std::string q = qlytest::quoted(pcx);
        std::istringstream info(
            qlytest::commandOutput("identify -format '%m %w %h %[type] %k' " + q));
        std::string magick, type;
        int w = 0, h = 0, colours = 0;
        info >> magick >> w >> h >> type >> colours;
        EXPECT_EQ(magick, "PCX");
        EXPECT_EQ(w, 35);
        EXPECT_EQ(h, 19);
        EXPECT_EQ(type, c.type) << c.bits;
        if (c.bits <= 8) {
            EXPECT_LE(colours, 1 << c.bits);
        }
        OwnedDib seen;
        // ImageMagick 6 shows 1-bit PCX with 1 as black, unlike every other reader and the
        // PCX convention, so its pixels are checked on the deeper layouts only.
        if (c.bits > 1) {
            readPngMadeBy("convert " + q + " png:" + outPng(), seen);
            EXPECT_EQ(qlytest::colourDifferences(*src, *seen), 0) << "ImageMagick " << c.bits;
        }
        readPngMadeBy("gm convert " + q + " png:" + outPng(), seen);
        EXPECT_EQ(qlytest::colourDifferences(*src, *seen), 0) << "GraphicsMagick " << c.bits;
        readPngMadeBy("pcxtoppm " + q + " | convert ppm:- png:" + outPng(), seen);
        EXPECT_EQ(qlytest::colourDifferences(*src, *seen), 0) << "Netpbm " << c.bits;
    }
}

TEST_F(PcxOtherPrograms, TheirFilesOpenHere) {
    OwnedDib src;
    qlytest::makeFewColours(src, 43, 17, 150);
    OwnedDib src16;
    qlytest::makeFewColours(src16, 43, 17, 16);
    OwnedDib mono;
    qlytest::makePattern(mono, 43, 17, 1, 12);
    struct Case {
        OwnedDib* picture;
        const char* command; // %s: the PNG we wrote, %p: a PPM made from it, %o: the PCX
        int bits;            // depth we read back
    };
    for (const Case c : {
             Case{&src, "convert %s -type Palette %o", 8},
             Case{&src, "convert %s -type TrueColor %o", 24},
             Case{&src, "gm convert %s -type Palette %o", 8},
             Case{&mono, "gm convert %s %o", 1},
             Case{&src16, "ppmtopcx %p > %o", 4},
             Case{&src16, "ppmtopcx -packed %p > %o", 4},
             Case{&src, "ppmtopcx -8bit %p > %o", 8},
             Case{&src, "ppmtopcx -24bit %p > %o", 24},
         }) {
        const std::string png = dir.file("src.png");
        ASSERT_EQ(SaveDib(**c.picture, png, DIB_PNG), 1);
        ASSERT_EQ(qlytest::runCommand("convert " + qlytest::quoted(png) + " -depth 8 " +
                                      qlytest::quoted(dir.file("src.ppm"))),
                  0);
        std::string command = c.command;
        for (auto [key, value] : {std::pair<std::string, std::string>{"%s", png},
                                  {"%p", dir.file("src.ppm")},
                                  {"%o", dir.file("theirs.pcx")}}) {
            if (const size_t at = command.find(key); at != std::string::npos) {
                command.replace(at, 2, qlytest::quoted(value));
            }
        }
        ASSERT_EQ(qlytest::runCommand(command), 0) << command;
        OwnedDib d;
        OpenDib(*d, dir.file("theirs.pcx"), DIB_AUTO);
        ASSERT_NE(d->poi, nullptr) << command << ": " << DibErrorText(*d);
        EXPECT_EQ(d.bits(), c.bits) << command;
        EXPECT_EQ(qlytest::colourDifferences(**c.picture, *d), 0) << command;
    }
}

} // namespace
