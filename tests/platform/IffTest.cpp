#include "common/OtherPrograms.h"
#include "common/TestDib.h"
#include "platform/GrafikRW3.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

using qlytest::OwnedDib;
using qlytest::TempDir;

namespace {

using qlytest::decodeBytes;
using qlytest::rgbHex;

std::vector<uint8_t> encode(const dib& d, int format = DIB_IFF) {
    return qlytest::encodeAs(d, format);
}

uint32_t be32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

// Position of a chunk's data in an IFF file, or 0.
size_t findChunk(const std::vector<uint8_t>& b, const char* id) {
    for (size_t at = 12; at + 8 <= b.size(); at += 8 + be32(b, at + 4) + (be32(b, at + 4) & 1)) {
        if (std::equal(id, id + 4, b.begin() + long(at))) {
            return at + 8;
        }
    }
    return 0;
}

// A hand-made ILBM (or PBM) file.
struct IffFile {
    const char* form = "ILBM";
    int width = 4;
    int height = 2;
    int planes = 1;
    int masking = 0;
    int compression = 0;
    std::vector<uint8_t> cmap;
    uint32_t camg = 0;
    std::function<uint32_t(int x, int y)> pixel = [](int, int) { return 0u; };
    std::vector<std::pair<std::string, std::vector<uint8_t>>> extra; // chunks before BMHD

    static void chunk(std::vector<uint8_t>& out, const std::string& id,
                      const std::vector<uint8_t>& data) {
        out.insert(out.end(), id.begin(), id.end());
        for (int s = 24; s >= 0; s -= 8) {
            out.push_back(uint8_t(data.size() >> s));
        }
        out.insert(out.end(), data.begin(), data.end());
        if (data.size() % 2 != 0) {
            out.push_back(0);
        }
    }

    // ByteRun1 as the simplest encoder does it: a repeat run for every byte equal to the next one,
    // literals of one byte otherwise.
    static void pack(std::vector<uint8_t>& out, const std::vector<uint8_t>& row) {
        for (size_t i = 0; i < row.size();) {
            size_t n = 1;
            while (i + n < row.size() && n < 128 && row[i + n] == row[i]) {
                ++n;
            }
            if (n > 1) {
                out.push_back(uint8_t(257 - n));
            } else {
                out.push_back(0);
            }
            out.push_back(row[i]);
            i += n;
        }
    }

    std::vector<uint8_t> bytes() const {
        std::vector<uint8_t> body;
        const bool chunky = std::string(form) == "PBM ";
        const size_t rowBytes =
            chunky ? size_t(width + (width & 1)) : size_t((width + 15) / 16 * 2);
        for (int y = 0; y < height; ++y) {
            const int filePlanes = chunky ? 1 : planes + (masking == 1 ? 1 : 0);
            for (int p = 0; p < filePlanes; ++p) {
                std::vector<uint8_t> row(rowBytes, 0);
                for (int x = 0; x < width; ++x) {
                    const uint32_t v = pixel(x, y);
                    if (chunky) {
                        row[size_t(x)] = uint8_t(v);
                    } else if (p == planes || ((v >> p) & 1) != 0) { // mask plane: all set
                        row[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
                    }
                }
                if (compression == 1) {
                    pack(body, row);
                } else {
                    body.insert(body.end(), row.begin(), row.end());
                }
            }
        }
        std::vector<uint8_t> inner(form, form + 4);
        for (const auto& [id, data] : extra) {
            chunk(inner, id, data);
        }
        chunk(inner, "BMHD",
              {uint8_t(width >> 8),
               uint8_t(width),
               uint8_t(height >> 8),
               uint8_t(height),
               0,
               0,
               0,
               0,
               uint8_t(planes),
               uint8_t(masking),
               uint8_t(compression),
               0,
               0,
               0,
               1,
               1,
               0,
               0,
               0,
               0});
        if (camg != 0) {
            chunk(inner, "CAMG",
                  {uint8_t(camg >> 24), uint8_t(camg >> 16), uint8_t(camg >> 8), uint8_t(camg)});
        }
        chunk(inner, "BODY", body);
        if (!cmap.empty()) {
            chunk(inner, "CMAP", cmap); // after the BODY: chunk order does not matter
        }
        std::vector<uint8_t> file;
        chunk(file, "FORM", inner);
        return file;
    }
};

// ---------------------------------------------------------------------------------------------

TEST(IffRoundTrip, PalettePicturesKeepDepthIndicesAndColourTable) {
    for (int bits : {1, 4, 8}) {
        for (int width : {1, 15, 16, 17, 100}) {
            OwnedDib src;
            qlytest::makePattern(src, width, 6, bits, uint32_t(width * 3 + bits));
            for (int x = 0; x < width; ++x) {
                setpixel(*src, x, 3, 1);
            }
            const auto bytes = encode(*src);
            EXPECT_EQ(be32(bytes, 4), bytes.size() - 8);
            const size_t bmhd = findChunk(bytes, "BMHD");
            ASSERT_NE(bmhd, 0u);
            EXPECT_EQ(bytes[bmhd + 8], bits); // planes
            EXPECT_EQ(bytes[bmhd + 10], 1);   // ByteRun1
            EXPECT_NE(findChunk(bytes, "CMAP"), 0u);
            OwnedDib back;
            decodeBytes(back, bytes);
            ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
            EXPECT_EQ(back.bits(), bits);
            EXPECT_EQ(back.width(), width);
            EXPECT_EQ(qlytest::pixelDifferences(*src, *back), 0) << bits << " w=" << width;
            EXPECT_EQ(qlytest::colourDifferences(*src, *back), 0);
        }
    }
}

TEST(IffRoundTrip, TrueColourIsReducedToAsFewPlanesAsItsColoursNeed) {
    struct Case {
        int colours;
        int planes;
    };
    for (const Case c : {Case{2, 1}, Case{5, 3}, Case{16, 4}, Case{17, 5}, Case{256, 8}}) {
        OwnedDib src;
        qlytest::makeFewColours(src, 48, 32, c.colours);
        const auto bytes = encode(*src);
        EXPECT_EQ(bytes[findChunk(bytes, "BMHD") + 8], c.planes) << c.colours;
        OwnedDib back;
        decodeBytes(back, bytes);
        ASSERT_NE(back->poi, nullptr);
        EXPECT_EQ(qlytest::colourDifferences(*src, *back), 0) << c.colours;
    }
    OwnedDib photo;
    qlytest::makeSmooth(photo, 120, 90);
    OwnedDib back;
    decodeBytes(back, encode(*photo));
    ASSERT_NE(back->poi, nullptr);
    EXPECT_EQ(back.bits(), 8);
    EXPECT_GT(qlytest::psnr(*photo, *back), 26.0);
    for (int bits : {16, 32}) {
        OwnedDib deep;
        qlytest::makePattern(deep, 30, 20, bits, 3);
        decodeBytes(back, encode(*deep));
        ASSERT_NE(back->poi, nullptr);
        EXPECT_GT(qlytest::psnr(*deep, *back), 17.0) << bits;
    }
}

TEST(IffRoundTrip, IffAndLbmCodesAndResolution) {
    TempDir dir;
    OwnedDib src;
    qlytest::makePattern(src, 25, 10, 8, 2);
    src->pmi->bmiHeader.biXPelsPerMeter = 7874; // 200 dpi
    src->pmi->bmiHeader.biYPelsPerMeter = 3937; // 100 dpi
    for (int format : {DIB_IFF, DIB_LBM}) {
        const std::string name = dir.file("page" + std::to_string(format));
        ASSERT_EQ(SaveDib(*src, name, format), 1);
        OwnedDib back;
        OpenDib(*back, name, DIB_AUTO);
        ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
        EXPECT_EQ(qlytest::pixelDifferences(*src, *back), 0);
        EXPECT_EQ(back->pmi->bmiHeader.biXPelsPerMeter, 7874);
        EXPECT_EQ(back->pmi->bmiHeader.biYPelsPerMeter, 3937);
        back.reset();
        OpenDib(*back, name, DIB_LBM);
        ASSERT_NE(back->poi, nullptr);
    }
    // Asked for an LBM, a file that plainly is another format is read as what it is.
    const std::string png = dir.file("really.png");
    ASSERT_EQ(SaveDib(*src, png, DIB_PNG), 1);
    for (int format : {DIB_IFF, DIB_LBM}) {
        OwnedDib back;
        OpenDib(*back, png, format);
        ASSERT_NE(back->poi, nullptr) << format;
        EXPECT_EQ(qlytest::pixelDifferences(*src, *back), 0);
    }
}

// ---------------------------------------------------------------------------------------------

TEST(IffReading, UncompressedPackedMaskedAndChunkyBodies) {
    for (int compression : {0, 1}) {
        for (int masking : {0, 1}) {
            IffFile f;
            f.width = 21;
            f.height = 3;
            f.planes = 3;
            f.masking = masking;
            f.compression = compression;
            f.pixel = [](int x, int y) { return uint32_t(x * y + x) % 8; };
            f.extra = {{"ANNO", {'o', 'd', 'd'}}}; // an odd-sized chunk with its pad byte
            OwnedDib d;
            decodeBytes(d, f.bytes());
            ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
            EXPECT_EQ(d.bits(), 4);
            for (int y = 0; y < 3; ++y) {
                for (int x = 0; x < 21; ++x) {
                    ASSERT_EQ(getpixel(*d, x, y), uint32_t(x * y + x) % 8) << x << "," << y;
                }
            }
            // No CMAP: a grey ramp over the planes' range.
            EXPECT_EQ(rgbHex(d, 0, 0), 0u);
            EXPECT_EQ(d->pmi->bmiColors[7].rgbRed, 255);
        }
    }
    IffFile pbm;
    pbm.form = "PBM ";
    pbm.width = 5;
    pbm.planes = 8;
    pbm.compression = 1;
    pbm.cmap.assign(768, 0);
    pbm.cmap[3 * 200 + 1] = 99;
    pbm.pixel = [](int x, int y) { return uint32_t(x == 2 && y == 1 ? 200 : x); };
    OwnedDib d;
    decodeBytes(d, pbm.bytes());
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(d.bits(), 8);
    EXPECT_EQ(getpixel(*d, 4, 0), 4u);
    EXPECT_EQ(rgbHex(d, 2, 1), 0x006300u);
}

TEST(IffReading, ExtraHalfBriteHamAndDeepPictures) {
    std::vector<uint8_t> cmap(32 * 3, 0);
    cmap[8 * 3] = 200; // colour 8: red 200
    cmap[8 * 3 + 2] = 101;
    IffFile ehb;
    ehb.width = 2;
    ehb.height = 1;
    ehb.planes = 6;
    ehb.camg = 0x80;
    ehb.cmap = cmap;
    ehb.pixel = [](int x, int) { return x == 0 ? 8u : 40u; };
    OwnedDib d;
    decodeBytes(d, ehb.bytes());
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(rgbHex(d, 0, 0), 0xc80065u);
    EXPECT_EQ(rgbHex(d, 1, 0), 0x640032u); // half as bright

    // HAM6: take colour 8, then set blue, red, green in turn (4-bit values widened to 8 bits).
    IffFile ham = ehb;
    ham.camg = 0x800;
    ham.width = 5;
    const uint32_t ham6[5] = {8, 0x10 | 0xf, 0x20 | 0x1, 0x30 | 0x8, 0};
    ham.pixel = [&](int x, int) { return ham6[x]; };
    decodeBytes(d, ham.bytes());
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(d.bits(), 24);
    EXPECT_EQ(rgbHex(d, 0, 0), 0xc80065u);
    EXPECT_EQ(rgbHex(d, 1, 0), 0xc800ffu);
    EXPECT_EQ(rgbHex(d, 2, 0), 0x1100ffu);
    EXPECT_EQ(rgbHex(d, 3, 0), 0x1188ffu);
    EXPECT_EQ(rgbHex(d, 4, 0), 0x000000u);
    // HAM8: six bits replace the top of a channel and its low two bits stay.
    ham.planes = 8;
    const uint32_t ham8[3] = {8, 0x40 | 0x3f, 0x80 | 0x01};
    ham.pixel = [&](int x, int) { return ham8[std::min(x, 2)]; };
    decodeBytes(d, ham.bytes());
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(rgbHex(d, 1, 0), 0xc800fdu); // 0x3f << 2 | (0x65 & 3)
    EXPECT_EQ(rgbHex(d, 2, 0), 0x0400fdu); // 0x01 << 2 | (0xc8 & 3)

    IffFile deep;
    deep.width = 2;
    deep.height = 1;
    deep.planes = 24;
    deep.compression = 1;
    deep.pixel = [](int x, int) { return x == 0 ? 0x123456u : 0xabcdefu; }; // blue, green, red
    decodeBytes(d, deep.bytes());
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(d.bits(), 24);
    EXPECT_EQ(rgbHex(d, 0, 0), 0x563412u);
    EXPECT_EQ(rgbHex(d, 1, 0), 0xefcdabu);
    deep.planes = 32; // alpha in planes 24..31: half transparent black over white
    deep.pixel = [](int x, int) { return x == 0 ? 0x80000000u : 0xff000000u; };
    decodeBytes(d, deep.bytes());
    ASSERT_NE(d->poi, nullptr);
    EXPECT_NEAR(int(rgbHex(d, 0, 0) & 0xff), 127, 1);
    EXPECT_EQ(rgbHex(d, 1, 0), 0u);
}

// ---------------------------------------------------------------------------------------------

TEST(IffDamage, CutOffAndHostileFilesGiveAPartialPictureOrAReason) {
    OwnedDib src;
    qlytest::makePattern(src, 64, 40, 8, 17);
    const auto good = encode(*src);
    OwnedDib d;
    decodeBytes(d, std::vector<uint8_t>(good.begin(), good.begin() + long(good.size() * 2 / 3)));
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(getpixel(*d, 9, 0), getpixel(*src, 9, 0));
    EXPECT_EQ(getpixel(*d, 9, 39), 0u);
    for (size_t n : {size_t{12}, size_t{40}, findChunk(good, "BODY") + 10}) {
        decodeBytes(d, std::vector<uint8_t>(good.begin(), good.begin() + long(n)));
        EXPECT_EQ(d->poi, nullptr) << n;
        EXPECT_EQ(DibErrorText(*d), "Datei ist beschädigt") << n;
    }
    const size_t bmhd = findChunk(good, "BMHD");
    auto patched = [&](size_t at, uint8_t v) {
        auto b = good;
        b[at] = v;
        return b;
    };
    auto huge = patched(bmhd, 0xff);
    huge[bmhd + 1] = huge[bmhd + 2] = huge[bmhd + 3] = 0xff;
    decodeBytes(d, huge);
    EXPECT_EQ(d->poi, nullptr);
    EXPECT_EQ(DibErrorText(*d), "Bild ist zu groß");
    for (auto [at, v] : {std::pair<size_t, uint8_t>{bmhd + 8, 12}, {bmhd + 8, 0}, {bmhd + 10, 2}}) {
        decodeBytes(d, patched(at, v));
        EXPECT_EQ(d->poi, nullptr);
        EXPECT_EQ(DibErrorText(*d), "Nicht unterstützte Bildvariante");
    }
    // A BODY chunk whose declared length runs far past the file, and runs past every row.
    IffFile f;
    f.width = 3;
    f.height = 2;
    f.planes = 8;
    f.compression = 1;
    auto flood = f.bytes();
    const size_t body = findChunk(flood, "BODY");
    flood.resize(body);
    for (int i = 0; i < 20; ++i) {
        flood.insert(flood.end(), {0x81, 0xff}); // 128 times 0xff
    }
    flood[body - 4] = 0x7f;
    decodeBytes(d, flood);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(getpixel(*d, 2, 1), 255u);
    // A FORM without BMHD or without BODY.
    std::vector<uint8_t> noBody(good.begin(), good.begin() + long(findChunk(good, "BODY") - 8));
    decodeBytes(d, noBody);
    EXPECT_EQ(d->poi, nullptr);
}

// ---------------------------------------------------------------------------------------------

class IffNetpbm : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* program : {"convert", "identify", "ilbmtoppm", "ppmtoilbm"}) {
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

TEST_F(IffNetpbm, OurFilesOpenInNetpbmAndImageMagick) {
    for (int bits : {1, 4, 8, 24}) {
        OwnedDib src;
        if (bits == 24) {
            qlytest::makeSmooth(src, 50, 30);
        } else {
            qlytest::makePattern(src, 50, 30, bits, uint32_t(bits));
        }
        const std::string iff = dir.file("ours.iff");
        ASSERT_EQ(SaveDib(*src, iff, DIB_IFF), 1);
        const std::string q = qlytest::quoted(iff);
        // ImageMagick reads ILBM through Netpbm.
        std::istringstream info(qlytest::commandOutput("identify -format '%w %h %k' " + q));
        int w = 0, h = 0, colours = 0;
        info >> w >> h >> colours;
        EXPECT_EQ(w, 50);
        EXPECT_EQ(h, 30);
        EXPECT_LE(colours, bits == 24 ? 256 : 1 << bits);
        const std::string planes = qlytest::commandOutput("(ilbmtoppm " + q + " 2>&1 >/dev/null)");
        EXPECT_NE(planes.find(std::to_string(bits == 24 ? 8 : bits) + "-plane"), std::string::npos)
            << planes;
        OwnedDib seen;
        readPngMadeBy("ilbmtoppm " + q + " | convert ppm:- png:" + outPng(), seen);
        OwnedDib ours;
        OpenDib(*ours, iff, DIB_AUTO);
        ASSERT_NE(ours->poi, nullptr);
        EXPECT_EQ(qlytest::colourDifferences(*ours, *seen), 0) << bits;
        if (bits <= 8) {
            EXPECT_EQ(qlytest::colourDifferences(*src, *seen), 0) << bits;
        }
    }
}

TEST_F(IffNetpbm, TheirFilesOpenHere) {
    OwnedDib src;
    qlytest::makeFewColours(src, 45, 21, 30);
    OwnedDib photo;
    qlytest::makeSmooth(photo, 45, 21);
    for (const auto& [picture, options] : std::vector<std::pair<OwnedDib*, std::string>>{
             {&src, ""},
             {&src, "-nocompress"},
             {&src, "-24force"},
             {&photo, "-ham6"},
             {&photo, "-ham8"},
         }) {
        const std::string png = dir.file("src.png");
        ASSERT_EQ(SaveDib(**picture, png, DIB_PNG), 1);
        const std::string iff = dir.file("theirs.iff");
        ASSERT_EQ(qlytest::runCommand("convert " + qlytest::quoted(png) +
                                      " -depth 8 ppm:- | ppmtoilbm " + options + " > " +
                                      qlytest::quoted(iff)),
                  0)
            << options;
        OwnedDib d;
        OpenDib(*d, iff, DIB_AUTO);
        ASSERT_NE(d->poi, nullptr) << options << ": " << DibErrorText(*d);
        // HAM is lossy: compare with Netpbm's own reading of the same file. Netpbm widens
        // HAM6's 4-bit channels as 16 v + 10, we as 17 v (as the file's own colour table has
        // them), so those may differ by up to 10.
        OwnedDib reference;
        readPngMadeBy("ilbmtoppm " + qlytest::quoted(iff) + " | convert ppm:- png:" + outPng(),
                      reference);
        if (options == "-ham6") {
            EXPECT_LE(qlytest::maxChannelDifference(*reference, *d), 10);
        } else {
            EXPECT_EQ(qlytest::colourDifferences(*reference, *d), 0) << options;
        }
        if (picture == &src) {
            EXPECT_EQ(qlytest::colourDifferences(*src, *d), 0) << options;
        }
    }
}

} // namespace
