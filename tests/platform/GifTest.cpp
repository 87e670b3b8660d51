#include "common/OtherPrograms.h"
#include "common/TestDib.h"
#include "platform/GrafikRW3.h"

#include <gif_lib.h>

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

using qlytest::OwnedDib;
using qlytest::TempDir;

namespace {

using qlytest::decodeBytes;
using qlytest::rgbHex;

struct Frame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool interlace = false;
    std::vector<GifColorType> local; // empty: the global table applies
    int transparent = -1;
    std::function<int(int x, int y)> pixel;
};

int toVector(GifFileType* gif, const GifByteType* data, int n) {
    auto* v = static_cast<std::vector<uint8_t>*>(gif->UserData);
    v->insert(v->end(), data, data + n);
    return n;
}

// Writes a GIF with giflib itself; interlaced frames get their rows in the four-pass order.
std::vector<uint8_t> makeGif(int screenW, int screenH, const std::vector<GifColorType>& global,
                             const std::vector<Frame>& frames, int background = 0) {
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, toVector, &error);
    EGifSetGifVersion(gif, true);
    ColorMapObject* gmap =
        global.empty() ? nullptr : GifMakeMapObject(int(global.size()), global.data());
    EGifPutScreenDesc(gif, screenW, screenH, 8, background, gmap);
    for (const Frame& f : frames) {
        if (f.transparent >= 0) {
            GraphicsControlBlock gcb{};
            gcb.TransparentColor = f.transparent;
            GifByteType ext[4];
            const size_t n = EGifGCBToExtension(&gcb, ext);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(n), ext);
        }
        ColorMapObject* lmap =
            f.local.empty() ? nullptr : GifMakeMapObject(int(f.local.size()), f.local.data());
        EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlace, lmap);
        std::vector<int> order;
        if (f.interlace) {
            const int start[4] = {0, 4, 2, 1};
            const int step[4] = {8, 8, 4, 2};
            for (int p = 0; p < 4; ++p) {
                for (int y = start[p]; y < f.height; y += step[p]) {
                    order.push_back(y);
                }
            }
        } else {
            for (int y = 0; y < f.height; ++y) {
                order.push_back(y);
            }
        }
        std::vector<GifPixelType> line(size_t(f.width));
        for (int y : order) {
            for (int x = 0; x < f.width; ++x) {
                line[size_t(x)] = GifPixelType(f.pixel(x, y));
            }
            EGifPutLine(gif, line.data(), f.width);
        }
        GifFreeMapObject(lmap);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(gmap);
    return out;
}

std::vector<GifColorType> colours(std::initializer_list<uint32_t> rgb) {
    std::vector<GifColorType> v;
    for (uint32_t c : rgb) {
        v.push_back(GifColorType{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    }
    return v;
}

std::vector<uint8_t> encode(const dib& d) {
    return qlytest::encodeAs(d, DIB_GIF);
}

// ---------------------------------------------------------------------------------------------
// Round trips through our own writer and reader.

TEST(GifRoundTrip, PalettePicturesKeepDepthIndicesAndColourTable) {
    for (int bits : {1, 4, 8}) {
        for (int width : {1, 7, 33}) {
            OwnedDib src;
            qlytest::makePattern(src, width, 6, bits, uint32_t(bits * 10 + width));
            OwnedDib back;
            decodeBytes(back, encode(*src));
            ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
            EXPECT_EQ(back.bits(), bits);
            EXPECT_EQ(back.width(), width);
            EXPECT_EQ(back.height(), 6);
            EXPECT_EQ(qlytest::pixelDifferences(*src, *back), 0) << bits << " " << width;
            for (int i = 0; i < (1 << bits); ++i) {
                EXPECT_EQ(src->pal.rgb0[i].peRed, back->pal.rgb0[i].peRed);
                EXPECT_EQ(src->pmi->bmiColors[i].rgbBlue, back->pmi->bmiColors[i].rgbBlue);
            }
        }
    }
}

TEST(GifRoundTrip, TrueColourWithFewColoursKeepsEveryColourExactly) {
    for (int colours : {2, 5, 16, 200, 256}) {
        OwnedDib src;
        qlytest::makeFewColours(src, 60, 40, colours);
        OwnedDib back;
        decodeBytes(back, encode(*src));
        ASSERT_NE(back->poi, nullptr);
        EXPECT_LE(back.bits(), 8);
        EXPECT_EQ(qlytest::colourDifferences(*src, *back), 0) << colours;
    }
    // 16- and 32-bit pictures with few colours as well.
    for (int bits : {16, 32}) {
        OwnedDib src;
        newdib(*src, 9, 4, bits, nullptr, 0);
        for (int x = 0; x < 9; ++x) {
            setpixel(*src, x, 1, bits == 16 ? 0x7c00u : 0x00ff8000u); // red / orange
            setpixel(*src, x, 2, bits == 16 ? 0x03e0u : 0x000080ffu); // green / blue
        }
        OwnedDib back;
        decodeBytes(back, encode(*src));
        ASSERT_NE(back->poi, nullptr);
        EXPECT_EQ(qlytest::colourDifferences(*src, *back), 0) << bits;
    }
}

TEST(GifRoundTrip, PhotosAreReducedTo256ColoursWithGoodQuality) {
    OwnedDib photo;
    qlytest::makeSmooth(photo, 240, 160);
    OwnedDib back;
    decodeBytes(back, encode(*photo));
    ASSERT_NE(back->poi, nullptr);
    EXPECT_EQ(back.bits(), 8);
    EXPECT_GT(qlytest::psnr(*photo, *back), 26.0);

    // Noise in every channel: the hardest case for a palette, still clearly recognisable.
    OwnedDib noise;
    qlytest::makePattern(noise, 64, 64, 24, 5);
    decodeBytes(back, encode(*noise));
    ASSERT_NE(back->poi, nullptr);
    EXPECT_GT(qlytest::psnr(*noise, *back), 17.0);
    OwnedDib noise16;
    qlytest::makePattern(noise16, 64, 64, 16, 6);
    decodeBytes(back, encode(*noise16));
    ASSERT_NE(back->poi, nullptr);
    EXPECT_GT(qlytest::psnr(*noise16, *back), 17.0);
}

TEST(GifRoundTrip, FilesAreWrittenWithCodeFiveAndFoundByContent) {
    TempDir dir;
    OwnedDib src;
    qlytest::makePattern(src, 31, 17, 8, 9);
    // The extension says nothing: code 0 looks at the bytes.
    const std::string name = dir.file("picture.bmp");
    ASSERT_EQ(SaveDib(*src, name, DIB_GIF), 1) << DibLastError();
    OwnedDib back;
    OpenDib(*back, name, DIB_AUTO);
    ASSERT_NE(back->poi, nullptr) << DibErrorText(*back);
    EXPECT_EQ(qlytest::pixelDifferences(*src, *back), 0);
}

// ---------------------------------------------------------------------------------------------
// Features of files from elsewhere, made with giflib.

TEST(GifReading, InterlacedRowsLandWhereTheyBelong) {
    Frame f;
    f.width = 5;
    f.height = 19; // every pass has rows, and the last pass ends early
    f.interlace = true;
    f.pixel = [](int x, int y) { return (x + y * 3) % 16; };
    const auto gif =
        makeGif(5, 19, colours({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}), {f});
    OwnedDib d;
    decodeBytes(d, gif);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(d.bits(), 4);
    for (int y = 0; y < 19; ++y) {
        for (int x = 0; x < 5; ++x) {
            ASSERT_EQ(getpixel(*d, x, y), uint32_t((x + y * 3) % 16)) << x << "," << y;
        }
    }
}

TEST(GifReading, AnimationsGiveTheirFirstFrameAndLocalTablesWin) {
    Frame first;
    first.width = 4;
    first.height = 3;
    first.local = colours({0x0000ff, 0xffff00});
    first.pixel = [](int x, int) { return x & 1; };
    Frame second = first;
    second.local = colours({0x123456, 0x654321});
    second.pixel = [](int, int) { return 0; };
    const auto gif = makeGif(4, 3, colours({0xff0000, 0x00ff00}), {first, second});
    OwnedDib d;
    decodeBytes(d, gif);
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(rgbHex(d, 0, 0), 0x0000ffu);
    EXPECT_EQ(rgbHex(d, 1, 2), 0xffff00u);
}

TEST(GifReading, TransparentPixelsAndUncoveredScreenBecomeWhitePaper) {
    // A 4-colour picture without white, placed at (5, 3) on a 20 x 10 screen, colour 2 transparent.
    Frame f;
    f.left = 5;
    f.top = 3;
    f.width = 4;
    f.height = 4;
    f.transparent = 2;
    f.pixel = [](int x, int y) { return (x + y) % 4; };
    const auto gif = makeGif(20, 10, colours({0x102030, 0x405060, 0x708090, 0xa0b0c0}), {f});
    OwnedDib d;
    decodeBytes(d, gif);
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(d.width(), 20);
    EXPECT_EQ(d.height(), 10);
    EXPECT_EQ(rgbHex(d, 0, 0), 0xffffffu); // outside the picture
    EXPECT_EQ(rgbHex(d, 19, 9), 0xffffffu);
    EXPECT_EQ(rgbHex(d, 5, 3), 0x102030u); // index 0
    EXPECT_EQ(rgbHex(d, 6, 3), 0x405060u); // index 1
    EXPECT_EQ(rgbHex(d, 7, 3), 0xffffffu); // index 2: transparent
    EXPECT_EQ(rgbHex(d, 8, 3), 0xa0b0c0u); // index 3

    // A full two-colour table with white: outside pixels take the white entry, 1-bit stays.
    Frame g;
    g.left = 1;
    g.width = 1;
    g.height = 1;
    g.pixel = [](int, int) { return 0; };
    const auto small = makeGif(3, 1, colours({0x000000, 0xffffff}), {g});
    decodeBytes(d, small);
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(d.bits(), 1);
    EXPECT_EQ(getpixel(*d, 0, 0), 1u);
    EXPECT_EQ(getpixel(*d, 1, 0), 0u);
    EXPECT_EQ(getpixel(*d, 2, 0), 1u);
}

TEST(GifReading, ScreenSmallerThanThePictureGrows) {
    Frame f;
    f.width = 6;
    f.height = 2;
    f.pixel = [](int x, int) { return x % 2; };
    OwnedDib d;
    decodeBytes(d, makeGif(0, 0, colours({0, 0xffffff}), {f}));
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(d.width(), 6);
    EXPECT_EQ(d.height(), 2);
}

// ---------------------------------------------------------------------------------------------
// Damaged and hostile files.

// Pseudo-random colour indices 0..3 that LZW cannot squeeze much.
int noise(int x, int y) {
    uint32_t h = uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u;
    h ^= h >> 15;
    h *= 2246822519u;
    h ^= h >> 13;
    return int(h % 4);
}

class GifDamage : public ::testing::Test {
  protected:
    void SetUp() override {
        // Big enough for several data sub-blocks: giflib drops a sub-block that is cut off.
        Frame f;
        f.width = 80;
        f.height = 80;
        f.pixel = [](int x, int y) { return noise(x, y); };
        good = makeGif(80, 80, colours({0x800000, 0x008000, 0x000080, 0x808000}), {f});
        ASSERT_GT(good.size(), 1200u);
    }
    std::vector<uint8_t> good;
};

TEST_F(GifDamage, CutOffFileKeepsTheRowsThatArrivedAndPaperBelow) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + long(good.size() * 6 / 10));
    OwnedDib d;
    decodeBytes(d, cut);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    const uint32_t expected[4] = {0x800000, 0x008000, 0x000080, 0x808000};
    EXPECT_EQ(rgbHex(d, 0, 0), expected[noise(0, 0)]);
    EXPECT_EQ(rgbHex(d, 79, 0), expected[noise(79, 0)]);
    EXPECT_EQ(rgbHex(d, 79, 79), 0xffffffu);
    // Without the closing empty block and trailer every pixel is there.
    std::vector<uint8_t> noEnd(good.begin(), good.end() - 2);
    decodeBytes(d, noEnd);
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(rgbHex(d, 79, 79), expected[noise(79, 79)]);
}

TEST_F(GifDamage, FilesWithoutAnyPictureDataGiveAReason) {
    OwnedDib d;
    for (size_t n : {size_t{6}, size_t{13}, size_t{20}, size_t{30}}) {
        decodeBytes(d, std::vector<uint8_t>(good.begin(), good.begin() + long(n)));
        EXPECT_EQ(d->poi, nullptr) << n;
        EXPECT_FALSE(DibErrorText(*d).empty()) << n;
    }
    // Header, table and trailer only.
    std::vector<uint8_t> empty(good.begin(), good.begin() + 13 + 12);
    empty.push_back(';');
    decodeBytes(d, empty);
    EXPECT_EQ(d->poi, nullptr);
    EXPECT_EQ(DibErrorText(*d), "Bild hat keine Pixel");
}

TEST_F(GifDamage, LzwGarbageIsRefused) {
    // The image data starts after header (13), table (12), descriptor (10) and the code size.
    auto bad = good;
    const size_t data = 13 + 12 + 10 + 1;
    ASSERT_EQ(bad[data - 1], 2); // minimum code size of a 4-colour picture
    bad[data] = 10;              // one sub-block of 10 bytes ...
    for (size_t i = 1; i <= 10; ++i) {
        bad[data + i] = 0xff; // ... of codes that were never defined
    }
    bad[data + 11] = 0;
    bad.resize(data + 12);
    bad.push_back(';');
    OwnedDib d;
    decodeBytes(d, bad);
    EXPECT_EQ(d->poi, nullptr);
    EXPECT_EQ(DibErrorText(*d), "Datei ist beschädigt");
}

TEST_F(GifDamage, HugeScreenIsRefusedBeforeAllocating) {
    auto huge = good;
    huge[6] = huge[7] = huge[8] = huge[9] = 0xff; // 65535 x 65535 screen
    OwnedDib d;
    decodeBytes(d, huge);
    EXPECT_EQ(d->poi, nullptr);
    EXPECT_EQ(DibErrorText(*d), "Bild ist zu groß");
}

TEST_F(GifDamage, IndicesBeyondTheColourTableStayInsideIt) {
    // 8-bit data behind a two-entry table: header says 2 colours, pixels go up to 255.
    Frame f;
    f.width = 16;
    f.height = 16;
    f.pixel = [](int x, int y) { return y * 16 + x; };
    std::vector<GifColorType> table(256, GifColorType{9, 9, 9});
    table[1] = GifColorType{255, 255, 255};
    auto gif = makeGif(16, 16, table, {f});
    gif[10] = uint8_t(gif[10] & ~7); // global table of 2 entries
    gif.erase(gif.begin() + 13 + 6, gif.begin() + 13 + 768);
    OwnedDib d;
    decodeBytes(d, gif);
    ASSERT_NE(d->poi, nullptr) << DibErrorText(*d);
    EXPECT_EQ(d.bits(), 1);
    EXPECT_EQ(getpixel(*d, 1, 0), 1u);
    EXPECT_EQ(getpixel(*d, 5, 0), 0u);
    EXPECT_EQ(getpixel(*d, 15, 15), 0u);
}

// ---------------------------------------------------------------------------------------------
// Other programs: ImageMagick reads what we write, and we read what it writes.

class GifImageMagick : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(qlytest::haveProgram("convert"));
        ASSERT_TRUE(qlytest::haveProgram("identify"));
    }
    // Our file -> ImageMagick -> PNG -> our PNG reader.
    void throughImageMagick(const std::string& file, OwnedDib& out) {
        const std::string png = dir.file("im.png");
        ASSERT_EQ(qlytest::runCommand("convert " + qlytest::quoted(file) +
                                      " png:" + qlytest::quoted(png)),
                  0);
        out.reset();
        OpenDib(*out, png, DIB_PNG);
        ASSERT_NE(out->poi, nullptr) << DibErrorText(*out);
    }
    TempDir dir;
};

TEST_F(GifImageMagick, OurFilesOpenWithTheRightSizeColoursAndPixels) {
    struct Case {
        int bits;
        int width;
        int height;
    };
    for (const Case c : {Case{1, 37, 11}, Case{4, 20, 9}, Case{8, 64, 33}, Case{24, 90, 70}}) {
        OwnedDib src;
        if (c.bits == 24) {
            qlytest::makeSmooth(src, c.width, c.height);
        } else {
            qlytest::makePattern(src, c.width, c.height, c.bits, uint32_t(c.bits));
        }
        const std::string gif = dir.file("ours" + std::to_string(c.bits) + ".gif");
        ASSERT_EQ(SaveDib(*src, gif, DIB_GIF), 1);
        const std::string info =
            qlytest::commandOutput("identify -format '%m %w %h %[colors]' " + qlytest::quoted(gif));
        std::istringstream in(info);
        std::string magick;
        int w = 0, h = 0, n = 0;
        in >> magick >> w >> h >> n;
        EXPECT_EQ(magick, "GIF") << info;
        EXPECT_EQ(w, c.width);
        EXPECT_EQ(h, c.height);
        EXPECT_GE(n, 2);
        EXPECT_LE(n, c.bits == 24 ? 256 : 1 << c.bits) << info;
        // The depth of a GIF is the size of its colour table.
        const std::string verbose =
            qlytest::commandOutput("identify -verbose " + qlytest::quoted(gif));
        const size_t at = verbose.find("Colormap entries: ");
        ASSERT_NE(at, std::string::npos);
        const int entries = std::atoi(verbose.c_str() + at + 18);
        if (c.bits <= 8) {
            EXPECT_EQ(entries, 1 << c.bits);
        } else {
            EXPECT_TRUE(entries >= 2 && entries <= 256 && (entries & (entries - 1)) == 0)
                << entries;
        }
        OwnedDib seen;
        throughImageMagick(gif, seen);
        OwnedDib ours;
        OpenDib(*ours, gif, DIB_AUTO);
        ASSERT_NE(ours->poi, nullptr);
        EXPECT_EQ(qlytest::colourDifferences(*ours, *seen), 0) << c.bits;
        if (c.bits <= 8) {
            EXPECT_EQ(qlytest::colourDifferences(*src, *seen), 0) << c.bits;
        }
    }
}

TEST_F(GifImageMagick, TheirFilesOpenHere) {
    OwnedDib src;
    qlytest::makeFewColours(src, 50, 30, 200);
    const std::string png = dir.file("src.png");
    ASSERT_EQ(SaveDib(*src, png, DIB_PNG), 1);
    const std::string q = qlytest::quoted(png);
    for (const std::string& options : {std::string(""), std::string("-interlace GIF")}) {
        const std::string gif = dir.file("theirs.gif");
        ASSERT_EQ(qlytest::runCommand("convert " + q + " " + options + " " + qlytest::quoted(gif)),
                  0);
        OwnedDib d;
        OpenDib(*d, gif, DIB_AUTO);
        ASSERT_NE(d->poi, nullptr) << options << DibErrorText(*d);
        EXPECT_EQ(qlytest::colourDifferences(*src, *d), 0) << options;
    }
    // A bilevel picture becomes a 1-bit GIF there and a 1-bit bitmap here.
    OwnedDib mono;
    qlytest::makePattern(mono, 45, 13, 1, 4);
    const std::string monoPng = dir.file("mono.png");
    ASSERT_EQ(SaveDib(*mono, monoPng, DIB_PNG), 1);
    const std::string monoGif = dir.file("mono.gif");
    ASSERT_EQ(
        qlytest::runCommand("convert " + qlytest::quoted(monoPng) + " " + qlytest::quoted(monoGif)),
        0);
    OwnedDib d;
    OpenDib(*d, monoGif, DIB_AUTO);
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(d.bits(), 1);
    EXPECT_EQ(qlytest::colourDifferences(*mono, *d), 0);
    // An animation: its first frame. A transparent colour: white paper.
    const std::string second = dir.file("second.png");
    ASSERT_EQ(qlytest::runCommand("convert " + q + " -negate " + qlytest::quoted(second)), 0);
    const std::string anim = dir.file("anim.gif");
    ASSERT_EQ(qlytest::runCommand("convert -delay 20 " + q + " " + qlytest::quoted(second) +
                                  " -loop 0 " + qlytest::quoted(anim)),
              0);
    d.reset();
    OpenDib(*d, anim, DIB_AUTO);
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(qlytest::colourDifferences(*src, *d), 0);
    char colour[16];
    std::snprintf(colour, sizeof colour, "#%06X", getpixel(*src, 0, 0) & 0xffffff);
    const std::string transparent = dir.file("transparent.gif");
    ASSERT_EQ(qlytest::runCommand("convert " + q + " -transparent '" + colour + "' " +
                                  qlytest::quoted(transparent)),
              0);
    d.reset();
    OpenDib(*d, transparent, DIB_AUTO);
    ASSERT_NE(d->poi, nullptr);
    EXPECT_EQ(rgbHex(d, 0, 0), 0xffffffu);
    int differing = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 50; ++x) {
            const bool paper =
                (getpixel(*src, x, y) & 0xffffff) == (getpixel(*src, 0, 0) & 0xffffff);
            differing += rgbHex(d, x, y) != (paper ? 0xffffffu : getpixel(*src, x, y)) ? 1 : 0;
        }
    }
    EXPECT_EQ(differing, 0);
}

TEST_F(GifImageMagick, PhotosComeOutAtLeastAsCloseAsImageMagicksOwnReduction) {
    OwnedDib photo;
    qlytest::makeSmooth(photo, 200, 150);
    const std::string png = dir.file("photo.png");
    const std::string theirs = dir.file("theirs.gif");
    ASSERT_EQ(SaveDib(*photo, png, DIB_PNG), 1);
    ASSERT_EQ(qlytest::runCommand("convert " + qlytest::quoted(png) + " -colors 256 " +
                                  qlytest::quoted(theirs)),
              0);
    OwnedDib reducedThere;
    OpenDib(*reducedThere, theirs, DIB_AUTO);
    ASSERT_NE(reducedThere->poi, nullptr);
    OwnedDib reducedHere;
    decodeBytes(reducedHere, encode(*photo));
    ASSERT_NE(reducedHere->poi, nullptr);
    EXPECT_GE(qlytest::psnr(*photo, *reducedHere), qlytest::psnr(*photo, *reducedThere));
}

} // namespace
