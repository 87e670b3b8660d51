// Image objects as independent PDF readers see them: poppler (pdfimages, pdftoppm), mupdf
// (mutool) and ghostscript decode what the writer embeds, and the pixels must match the source:
// exactly for bilevel pages, within a stated PSNR for JPEG.
#include "pdf/PDFWriterCanvas.h"

#include "PdfTestUtil.h"
#include "common/JpegSamples.h"
#include "document/Dib.h"
#include "platform/GrafikRW3.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <utility>

using pdftest::parseAndCheck;
using pdftest::ParsedPdf;
using pdftest::quote;
using pdftest::run;
using qlytest::OwnedDib;

namespace {

// JPEG at the library's default quality (75) on the smooth test pictures stays above this
// (about 43 dB seen), and above the second bound on blocks of palette colours, whose sharp
// colour edges suffer from 4:2:0 chroma subsampling (about 32 dB seen).
constexpr double kJpegMinPsnr = 35.0;
constexpr double kJpegBlocksMinPsnr = 30.0;
// JPEG 2000 at 5 % of the uncompressed size (SetJPEG2000Qual(500)) on the smooth pictures
// (about 59 dB seen).
constexpr double kJpeg2000MinPsnr = 40.0;

// A bilevel picture with text-like strokes and some noise; palette entry 0 is white or black
// (in the colour table and in the palette copy alike).
void makeBilevel(OwnedDib& out, int w, int h, bool entry0White, unsigned seed = 1) {
    out.reset();
    newdib(*out, w, h, 1, nullptr, 0);
    ASSERT_NE(out->poi, nullptr);
    const uint8_t a = entry0White ? 255 : 0;
    const uint8_t b = entry0White ? 0 : 255;
    out->pmi->bmiColors[0] = RGBQUAD{a, a, a, 0};
    out->pmi->bmiColors[1] = RGBQUAD{b, b, b, 0};
    out->pal.rgb0[0] = PALETTEENTRY{a, a, a, 0};
    out->pal.rgb0[1] = PALETTEENTRY{b, b, b, 0};
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool ink = ((y % 17) < 4 && (x / 7) % 4 != 0) || rng() % 23 == 0;
            // Ink is black: the pixel value that shows black.
            setpixel(*out, x, y, ink == entry0White ? 1 : 0);
        }
    }
}

struct Rgb {
    uint8_t r, g, b;
};

// A bilevel picture of the colours c0 (pixel value 0) and c1 (value 1), in the colour table and
// the palette copy alike: text-like strokes of colour 1 with some noise on colour 0.
void makeTwoColour(OwnedDib& out, int w, int h, Rgb c0, Rgb c1, unsigned seed) {
    out.reset();
    newdib(*out, w, h, 1, nullptr, 0);
    ASSERT_NE(out->poi, nullptr);
    out->pmi->bmiColors[0] = RGBQUAD{c0.b, c0.g, c0.r, 0};
    out->pmi->bmiColors[1] = RGBQUAD{c1.b, c1.g, c1.r, 0};
    out->pal.rgb0[0] = PALETTEENTRY{c0.r, c0.g, c0.b, 0};
    out->pal.rgb0[1] = PALETTEENTRY{c1.r, c1.g, c1.b, 0};
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            setpixel(*out, x, y, ((y % 13) < 3 && (x / 6) % 4 != 0) || rng() % 19 == 0 ? 1 : 0);
        }
    }
}

// How far a rendering of a two-colour picture is from it: pixels whose colour differs at all
// (-1 when the sizes differ), pixels not in the one colour that the first pixel of their source
// colour took (a renderer that converts colours still shows each source colour as one colour),
// and the largest difference of a channel.
struct ColourMatch {
    int64_t different = 0;
    int64_t inconsistent = 0;
    int worst = 0;
};

ColourMatch matchColours(const dib& src, const dib& shown) {
    ColourMatch m;
    if (dibwidth(src) != dibwidth(shown) || dibheight(src) != dibheight(shown)) {
        m.different = m.inconsistent = -1;
        return m;
    }
    std::map<std::array<int, 3>, std::array<int, 3>> first;
    for (int32_t y = 0; y < dibheight(src); ++y) {
        for (int32_t x = 0; x < dibwidth(src); ++x) {
            std::array<int, 3> a{}, b{};
            qlytest::pixelRgb(src, x, y, a[0], a[1], a[2]);
            qlytest::pixelRgb(shown, x, y, b[0], b[1], b[2]);
            m.different += a != b ? 1 : 0;
            m.inconsistent += first.try_emplace(a, b).first->second != b ? 1 : 0;
            for (int i = 0; i < 3; ++i) {
                m.worst = std::max(m.worst, std::abs(a[size_t(i)] - b[size_t(i)]));
            }
        }
    }
    return m;
}

// Pixels whose shade differs (black below half, white above) between a source and a decoded
// picture of the same size; -1 when the sizes differ.
int64_t shadeDifferences(const dib& a, const dib& b) {
    if (dibwidth(a) != dibwidth(b) || dibheight(a) != dibheight(b)) {
        return -1;
    }
    int64_t n = 0;
    for (int32_t y = 0; y < dibheight(a); ++y) {
        for (int32_t x = 0; x < dibwidth(a); ++x) {
            int r1, g1, b1, r2, g2, b2;
            qlytest::pixelRgb(a, x, y, r1, g1, b1);
            qlytest::pixelRgb(b, x, y, r2, g2, b2);
            n += ((r1 + g1 + b1) < 384) != ((r2 + g2 + b2) < 384) ? 1 : 0;
        }
    }
    return n;
}

class PdfImages : public pdftest::PdfTest {
  protected:
    // One page exactly as large as the picture at 72 dpi, the picture filling it: the page is
    // (w + 1) x (h + 1) points and the placement shrinks by one unit, so the MediaBox is
    // [0 0 w h] and the picture's unit square maps onto it.
    // Returns the file as parseAndCheck reads it (structure and qpdf checked).
    ParsedPdf writePage(const dib& pic, const std::string& name, bool tempFiles, bool jbig2 = false,
                        bool jpeg2000 = false, bool pdfa = false) {
        const int w = dibwidth(pic);
        const int h = dibheight(pic);
        TPDFCanvas pdf;
        pdf.usetempfileforimages = tempFiles;
        pdf.usejbig2 = jbig2;
        pdf.usejpeg2000 = jpeg2000;
        pdf.ispdfa = pdfa;
        pdf.PageWidth = w + 1;
        pdf.PageHeight = h + 1;
        EXPECT_TRUE(pdf.BeginDoc(name));
        pdf.DrawDIB(0, 1, w + 1, h + 1, pic, 0, 0, w, h);
        pdf.EndDoc();
        EXPECT_EQ(pdf.placeholders(), 0);
        return parseAndCheck(name);
    }
    // The first image of a file as pdfimages (poppler) decodes it.
    void viaPdfimages(const std::string& pdf, OwnedDib& out) {
        const std::string prefix = out_("pi");
        const auto r = run("pdfimages -png -f 1 -l 1 " + quote(pdf) + " " + quote(prefix));
        ASSERT_EQ(r.status, 0) << r.output;
        OpenDib(*out, prefix + "-000.png", DIB_AUTO);
        ASSERT_NE(out->poi, nullptr) << DibErrorText(*out);
    }
    // Page 1 rendered at 72 dpi by poppler through cairo (unlike pdftoppm, which smooths
    // bilevel images, pixel for pixel), by mupdf or by ghostscript.
    void viaPdftocairo(const std::string& pdf, OwnedDib& out) {
        const std::string prefix = out_("pc");
        const auto r =
            run("pdftocairo -png -singlefile -r 72 -f 1 -l 1 " + quote(pdf) + " " + quote(prefix));
        ASSERT_EQ(r.status, 0) << r.output;
        OpenDib(*out, prefix + ".png", DIB_AUTO);
        ASSERT_NE(out->poi, nullptr) << DibErrorText(*out);
    }
    void viaMutool(const std::string& pdf, OwnedDib& out, bool gray) {
        const std::string png = out_("mu.png");
        const auto r = run("mutool draw -q -r 72 " + std::string(gray ? "-c gray " : "") + "-o " +
                           quote(png) + " " + quote(pdf) + " 1");
        ASSERT_EQ(r.status, 0) << r.output;
        OpenDib(*out, png, DIB_AUTO);
        ASSERT_NE(out->poi, nullptr) << DibErrorText(*out);
    }
    void viaGhostscript(const std::string& pdf, OwnedDib& out, bool gray) {
        const std::string png = out_("gs.png");
        const auto r = run(
            "gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=" + std::string(gray ? "pnggray" : "png16m") +
            " -r72 -sOutputFile=" + quote(png) + " " + quote(pdf));
        ASSERT_EQ(r.status, 0) << r.output;
        OpenDib(*out, png, DIB_AUTO);
        ASSERT_NE(out->poi, nullptr) << DibErrorText(*out);
    }
    std::string out_(const std::string& n) const { return out(n); }

    // Decodes a bilevel page in three readers and expects no differing pixel in any.
    void expectBilevelExact(const dib& src, const std::string& pdf) {
        SCOPED_TRACE(pdf);
        OwnedDib a, b, c;
        viaPdfimages(pdf, a);
        EXPECT_EQ(shadeDifferences(src, *a), 0) << "pdfimages";
        viaMutool(pdf, b, true);
        EXPECT_EQ(shadeDifferences(src, *b), 0) << "mutool";
        viaGhostscript(pdf, c, true);
        EXPECT_EQ(shadeDifferences(src, *c), 0) << "gs";
    }
};

TEST_F(PdfImages, GroupFourPagesDecodeExactlyForBothPolaritiesOfPaletteEntryZero) {
    for (bool white0 : {true, false}) {
        for (bool temp : {true, false}) {
            SCOPED_TRACE(testing::Message() << "entry 0 white " << white0 << ", parked " << temp);
            OwnedDib pic;
            makeBilevel(pic, 203, 77, white0); // width not a multiple of 8
            const std::string name = out("g4.pdf");
            const ParsedPdf p = writePage(*pic, name, temp);
            ASSERT_EQ(p.size, 9);
            const std::string data = p.streamData(8);
            const std::string head = "8 0 obj\n<<\n/Type /XObject /Subtype /Image\n"
                                     "/Width 203 /Height 77 /BitsPerComponent 1\n/Length " +
                                     std::to_string(data.size()) +
                                     " /ColorSpace /DeviceGray /Filter /CCITTFaxDecode "
                                     "/DecodeParms <</K -1 /Columns 203 /Rows 77>>\n>>\nstream\n";
            const std::string obj = p.object(8);
            EXPECT_EQ(obj.substr(0, head.size()), head);
            // The coded data runs straight into "endstream".
            EXPECT_EQ(obj.substr(head.size() + data.size()), "endstream\nendobj\n");
            const auto list = pdftest::pdfimagesList(name);
            ASSERT_EQ(list.size(), 1u);
            EXPECT_EQ(list[0].enc, "ccitt");
            EXPECT_EQ(list[0].color, "gray");
            EXPECT_EQ(list[0].bpc, 1);
            EXPECT_EQ(list[0].width, 203);
            EXPECT_EQ(list[0].height, 77);
            EXPECT_EQ(list[0].object, 8);
            expectBilevelExact(*pic, name);
        }
    }
}

TEST_F(PdfImages, GroupFourPolarityFollowsOnlyTheRedOfPaletteEntryZero) {
    // All pixels 1. Entry 0 with red 0 (here cyan) counts as black, so a set bit is white;
    // entry 0 with any red counts as white, so a set bit is black.
    for (uint8_t red : {uint8_t(0), uint8_t(1)}) {
        OwnedDib pic;
        newdib(*pic, 16, 8, 1, nullptr, 0);
        pic->pal.rgb0[0] = PALETTEENTRY{red, 255, 255, 0};
        std::memset(pic->poi, 0xFF, size_t(pic->bytew) * 8);
        const std::string name = out("red.pdf");
        writePage(*pic, name, false);
        OwnedDib dec;
        viaMutool(name, dec, true);
        int r, g, b;
        qlytest::pixelRgb(*dec, 5, 5, r, g, b);
        EXPECT_EQ(r, red == 0 ? 255 : 0) << int(red);
    }
}

TEST_F(PdfImages, TwoColourPagesKeepTheirColoursInEveryReader) {
    // The darker colour is coded black, which the filters decode to 0, so entry 0 of the indexed
    // colour space is the darker colour. A flat picture shows its one colour; black or white
    // alone needs no colour space of its own. In the PDF/A mode the two colours are CalRGB,
    // which poppler and ghostscript convert (red comes out near 255, 42, 3 in ghostscript) and
    // mupdf takes as it is: every pixel of one source colour must then still show one colour,
    // near the source colour.
    struct Case {
        const char* name;
        Rgb c0, c1;
        const char* lookup; // the indexed space's table; null for device grey
    };
    const Case cases[] = {
        {"red on white", {255, 255, 255}, {255, 0, 0}, "FF0000FFFFFF"},
        {"white strokes on dark blue", {0, 0, 128}, {255, 255, 255}, "000080FFFFFF"},
        {"black on light grey", {192, 192, 192}, {0, 0, 0}, "000000C0C0C0"},
        {"two greens", {180, 255, 180}, {0, 100, 0}, "006400B4FFB4"},
        {"dark blue only", {0, 0, 128}, {0, 0, 128}, "000080000080"},
        {"light yellow only", {255, 255, 200}, {255, 255, 200}, "FFFFC8FFFFC8"},
        {"black only", {0, 0, 0}, {0, 0, 0}, nullptr},
        {"white only", {255, 255, 255}, {255, 255, 255}, nullptr},
    };
    const std::string calRgb = "[ /CalRGB<< /WhitePoint [0.9505 1.0000 1.0890]/Gamma [1.8000 "
                               "1.8000 1.8000]/Matrix [ 0.4497 0.2446 0.0252 0.3163 0.6720 "
                               "0.1412 0.1845 0.0833 0.9227]>>]";
    int n = 0;
    for (bool jbig2 : {true, false}) {
        for (bool pdfa : {false, true}) {
            for (const Case& c : cases) {
                const bool parked = ++n % 2 == 0;
                SCOPED_TRACE(testing::Message()
                             << c.name << (jbig2 ? ", JBIG2" : ", Group 4")
                             << (pdfa ? ", PDF/A" : "") << (parked ? ", parked" : ""));
                OwnedDib pic;
                makeTwoColour(pic, 203, 77, c.c0, c.c1, unsigned(n));
                const std::string name = out("two.pdf");
                const ParsedPdf p = writePage(*pic, name, parked, jbig2, false, pdfa);
                const std::string space = c.lookup == nullptr
                                              ? "/DeviceGray"
                                              : "[/Indexed " +
                                                    (pdfa ? calRgb : std::string("/DeviceRGB")) +
                                                    " 1 <" + c.lookup + ">]";
                EXPECT_NE(p.object(pdfa ? 9 : 8)
                              .find(" /ColorSpace " + space + " /Filter /" +
                                    (jbig2 ? "JBIG2Decode" : "CCITTFaxDecode")),
                          std::string::npos)
                    << p.object(pdfa ? 9 : 8);
                const auto list = pdftest::pdfimagesList(name);
                ASSERT_EQ(list.size(), 1u);
                EXPECT_EQ(list[0].color, c.lookup == nullptr ? "gray" : "index");
                EXPECT_EQ(list[0].bpc, 1);
                OwnedDib a, b, d;
                viaPdftocairo(name, a);
                viaMutool(name, b, false);
                viaGhostscript(name, d, false);
                const bool converted = pdfa && c.lookup != nullptr;
                for (const auto& [reader, shown] :
                     {std::pair<const char*, const dib*>{"poppler", &*a},
                      {"mupdf", &*b},
                      {"ghostscript", &*d}}) {
                    const ColourMatch m = matchColours(*pic, *shown);
                    if (converted && std::string(reader) != "mupdf") {
                        EXPECT_EQ(m.inconsistent, 0) << reader;
                        EXPECT_LE(m.worst, 48) << reader;
                    } else {
                        EXPECT_EQ(m.different, 0) << reader;
                    }
                }
            }
        }
    }
}

TEST_F(PdfImages, ColourPagesAreJpegInDeviceRgbWithinPsnr) {
    for (int bits : {24, 32}) {
        SCOPED_TRACE(bits);
        OwnedDib smooth;
        qlytest::makeSmooth(smooth, 160, 120);
        OwnedDib pic;
        newdib(*pic, 160, 120, bits, nullptr, 0);
        for (int y = 0; y < 120; ++y) {
            for (int x = 0; x < 160; ++x) {
                setpixel(*pic, x, y, getpixel(*smooth, x, y));
            }
        }
        const std::string name = out("c.pdf");
        writePage(*pic, name, true);
        const auto list = pdftest::pdfimagesList(name);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].enc, "jpeg");
        EXPECT_EQ(list[0].color, "rgb");
        EXPECT_EQ(list[0].comp, 3);
        EXPECT_EQ(list[0].bpc, 8);
        OwnedDib a, b, c;
        viaPdfimages(name, a);
        EXPECT_GE(qlytest::psnr(*smooth, *a), kJpegMinPsnr);
        viaMutool(name, b, false);
        EXPECT_GE(qlytest::psnr(*smooth, *b), kJpegMinPsnr);
        viaGhostscript(name, c, false);
        EXPECT_GE(qlytest::psnr(*smooth, *c), kJpegMinPsnr);
    }
}

TEST_F(PdfImages, PalettePicturesAreEmbeddedAsEightBitRgbFromThePaletteCopy) {
    for (int bits : {4, 8}) {
        SCOPED_TRACE(bits);
        // Broad blocks of palette colours (JPEG-friendly), the colours taken from `pal`.
        OwnedDib pic;
        newdib(*pic, 96, 64, bits, nullptr, 0);
        const int n = 1 << bits;
        for (int i = 0; i < n; ++i) {
            pic->pal.rgb0[i] =
                PALETTEENTRY{uint8_t(i * 37), uint8_t(255 - i * 11), uint8_t(i * 5), 0};
        }
        OwnedDib expected;
        newdib(*expected, 96, 64, 24, nullptr, 0);
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 96; ++x) {
                const uint32_t v = uint32_t((x / 24 + (y / 16) * 4) % n);
                setpixel(*pic, x, y, v);
                const PALETTEENTRY& e = pic->pal.rgb0[v];
                setpixel(*expected, x, y,
                         uint32_t(e.peBlue) | uint32_t(e.peGreen) << 8 | uint32_t(e.peRed) << 16);
            }
        }
        const std::string name = out("pal.pdf");
        writePage(*pic, name, bits == 4);
        const auto list = pdftest::pdfimagesList(name);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].color, "rgb");
        EXPECT_EQ(list[0].comp, 3);
        EXPECT_EQ(list[0].bpc, 8);
        EXPECT_EQ(list[0].enc, "jpeg");
        OwnedDib dec;
        viaPdfimages(name, dec);
        EXPECT_GE(qlytest::psnr(*expected, *dec), kJpegBlocksMinPsnr);
    }
}

TEST_F(PdfImages, GreyPictureIsStillThreeComponentRgb) {
    OwnedDib grey;
    newdib(*grey, 64, 64, 8, nullptr, 0); // grey ramp palette
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            setpixel(*grey, x, y, uint32_t(x * 4));
        }
    }
    const std::string name = out("grey.pdf");
    const ParsedPdf p = writePage(*grey, name, false);
    EXPECT_NE(p.object(8).find("/BitsPerComponent 8 /ColorSpace /DeviceRGB /Length "),
              std::string::npos);
    EXPECT_EQ(p.bytes.find("/DeviceGray"), std::string::npos);
}

// A JPEG file placed as it is shows in poppler, mupdf and ghostscript exactly as libjpeg-turbo
// decodes it (all three use the system's libjpeg-turbo with its default inverse DCT and chroma
// upsampling), for every kind of file that is taken as it is, and its stream is the file.
TEST_F(PdfImages, JpegFilesPlacedAsTheyAreRenderAsLibjpegDecodesThemInEveryReader) {
    struct Case {
        const char* options;
        bool grey;
    };
    const Case cases[] = {
        {"-quality 70", false},             // 4:2:0, the usual photo
        {"-quality 70 -sample 2x1", false}, // 4:2:2
        {"-quality 90 -sample 1x1 -progressive", false},
        {"-quality 60 -rgb", false},       // RGB through an Adobe marker
        {"-quality 70 -restart 1", false}, // restart markers
        {"-quality 75 -grayscale", true},
        {"-quality 50 -grayscale -progressive", true},
    };
    OwnedDib src;
    qlytest::makeSmooth(src, 61, 45); // partial blocks at the right and bottom edges
    for (bool pdfa : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.options) + (pdfa ? ", PDF/A" : ""));
            const std::vector<uint8_t> jpeg = qlytest::cjpegFile(dir_, *src, c.options, "page");
            const std::string name = out("passed.pdf");
            {
                TPDFCanvas pdf;
                pdf.ispdfa = pdfa;
                pdf.PageWidth = 62;
                pdf.PageHeight = 46;
                ASSERT_TRUE(pdf.BeginDoc(name));
                auto bytes = std::make_shared<const std::vector<uint8_t>>(jpeg);
                pdf.DrawCodedImage(
                    0, 1, 62, 46,
                    pdf.codingPool().passJpeg(bytes, 61, 45, c.grey ? 1 : 3, pdf.codingParams()));
                pdf.EndDoc();
                EXPECT_EQ(pdf.placeholders(), 0);
            }
            const ParsedPdf p = parseAndCheck(name);
            int image = 0;
            for (int n = 1; n < int(p.offsets.size()) && image == 0; ++n) {
                image = p.object(n).find("/Subtype /Image") != std::string::npos ? n : 0;
            }
            ASSERT_GT(image, 0);
            const std::string dict = p.object(image);
            EXPECT_NE(dict.find("/Width 61 /Height 45 /BitsPerComponent 8 /ColorSpace "),
                      std::string::npos);
            const char* space = c.grey ? (pdfa ? "[ /CalGray" : "/DeviceGray")
                                       : (pdfa ? "[ /CalRGB" : "/DeviceRGB");
            EXPECT_NE(dict.find(std::string("/ColorSpace ") + space), std::string::npos) << dict;
            EXPECT_NE(dict.find("/Filter /DCTDecode"), std::string::npos);
            EXPECT_TRUE(p.streamData(image) == std::string(jpeg.begin(), jpeg.end()));
            if (pdfa) {
                continue; // calibrated colours are converted by each reader in its own way
            }
            const qlytest::NetpbmPicture decoded = qlytest::djpegPicture(dir_, jpeg);
            for (const char* renderer : {"poppler", "mupdf", "ghostscript"}) {
                const qlytest::NetpbmPicture shown =
                    qlytest::renderedPage(dir_, name, renderer, c.grey);
                EXPECT_EQ(qlytest::largestSampleDifference(shown, decoded), 0) << renderer;
            }
        }
    }
}

TEST_F(PdfImages, SixteenBitAndEmptyPicturesAreNotDrawn) {
    OwnedDib pic16;
    qlytest::makePattern(pic16, 20, 20, 16);
    const dib none{};
    const std::string name = out("16.pdf");
    TPDFCanvas pdf;
    pdf.usetempfileforimages = true;
    ASSERT_TRUE(pdf.BeginDoc(name));
    pdf.DrawDIB(0, 0, 100, 100, *pic16, 0, 0, 20, 20);
    pdf.DrawDIB(0, 0, 100, 100, none, 0, 0, 20, 20);
    EXPECT_EQ(pdf.imageCount(), 0);
    EXPECT_TRUE(tempFiles().empty());
    pdf.EndDoc();
    const ParsedPdf p = parseAndCheck(name);
    EXPECT_EQ(pdftest::inflate(p.streamData(2)), "");
    EXPECT_NE(p.object(5).find("/Resources <</XObject <<  >>\n"), std::string::npos);
    EXPECT_EQ(p.size, 8);
}

TEST_F(PdfImages, PlacementShrinksByOneUnitTowardsZeroAndSkipsEmptyTargets) {
    OwnedDib pic;
    qlytest::makeSmooth(pic, 8, 8);
    const std::string name = out("place.pdf");
    TPDFCanvas pdf;
    ASSERT_TRUE(pdf.BeginDoc(name));
    pdf.DrawDIB(5, 7, 1, 1, *pic, 0, 0, 8, 8);       // size 0 both ways
    pdf.DrawDIB(5, 7, -10, -20, *pic, 0, 0, 8, 8);   // negative: one unit towards zero
    pdf.DrawDIB(5, 7, 0, 10, *pic, 0, 0, 8, 8);      // nothing
    pdf.DrawDIB(5, 7, 10, 0, *pic, 0, 0, 8, 8);      // nothing
    pdf.DrawDIB(5, 7, 10, 10, *pic, 0, 0, 0, 8);     // nothing
    pdf.DrawDIB(5, 7, 10, 10, *pic, 0, 0, 8, 0);     // nothing
    pdf.DrawDIB(5, 7, 10, 10, *pic, 99, -3, 8, 8);   // source origin is not used
    pdf.DrawDIBOfImageNr(0, 0, 0, 5, 0, 0, 0, 8, 8); // nothing
    EXPECT_EQ(pdf.imageCount(), 3);
    pdf.EndDoc();
    const ParsedPdf p = parseAndCheck(name);
    EXPECT_EQ(pdftest::inflate(p.streamData(2)), "q\n0 0 0 0 5 834 cm\n/Im0 Do\nQ\n"
                                                 "q\n-9 0 0 -19 5 853 cm\n/Im1 Do\nQ\n"
                                                 "q\n9 0 0 9 5 825 cm\n/Im2 Do\nQ\n");
}

TEST_F(PdfImages, RedrawingByNumberEmbedsOnceDrawingTwiceEmbedsTwice) {
    OwnedDib pic;
    qlytest::makeSmooth(pic, 32, 32);
    const std::string name = out("twice.pdf");
    TPDFCanvas pdf;
    pdf.usetempfileforimages = true;
    ASSERT_TRUE(pdf.BeginDoc(name));
    pdf.DrawDIB(0, 0, 100, 100, *pic, 0, 0, 32, 32);
    pdf.DrawDIBOfImageNr(200, 0, 100, 100, 0, 0, 0, 32, 32);
    pdf.NewPage();
    pdf.DrawDIBOfImageNr(0, 0, 50, 50, 0, 0, 0, 32, 32);
    pdf.DrawDIB(0, 0, 100, 100, *pic, 0, 0, 32, 32);
    pdf.EndDoc();
    const ParsedPdf p = parseAndCheck(name);
    EXPECT_EQ(pdftest::inflate(p.streamData(2)),
              "q\n99 0 0 99 0 742 cm\n/Im0 Do\nQ\nq\n99 0 0 99 200 742 cm\n/Im0 Do\nQ\n");
    EXPECT_EQ(pdftest::inflate(p.streamData(4)),
              "q\n49 0 0 49 0 792 cm\n/Im0 Do\nQ\nq\n99 0 0 99 0 742 cm\n/Im1 Do\nQ\n");
    ASSERT_EQ(p.size, 13);
    const auto list = pdftest::pdfimagesList(name);
    ASSERT_EQ(list.size(), 4u); // four placements of two objects
    EXPECT_EQ(list[0].object, 11);
    EXPECT_EQ(list[1].object, 11);
    EXPECT_EQ(list[2].object, 11);
    EXPECT_EQ(list[3].object, 12);
    pdftest::expectRendersCleanly(name, dir_.path().string());
}

TEST_F(PdfImages, MixedPagesKeepDrawingOrderAndRenderEverywhere) {
    OwnedDib bw, colour, bw2;
    makeBilevel(bw, 120, 90, true, 3);
    qlytest::makeSmooth(colour, 120, 90);
    makeBilevel(bw2, 64, 64, false, 4);
    const std::string name = out("mixed.pdf");
    TPDFCanvas pdf;
    pdf.usetempfileforimages = true;
    ASSERT_TRUE(pdf.BeginDoc(name));
    pdf.DrawDIB(0, 0, 595, 841, *bw, 0, 0, 120, 90);
    pdf.NewPage();
    pdf.DrawDIB(10, 10, 300, 200, *colour, 0, 0, 120, 90);
    pdf.DrawDIB(10, 300, 200, 200, *bw2, 0, 0, 64, 64);
    pdf.EndDoc();
    const ParsedPdf p = parseAndCheck(name);
    ASSERT_EQ(p.size, 4 * 2 + 5 + 1);
    const auto list = pdftest::pdfimagesList(name);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].enc, "ccitt");
    EXPECT_EQ(list[0].object, 11);
    EXPECT_EQ(list[1].enc, "jpeg");
    EXPECT_EQ(list[1].object, 12);
    EXPECT_EQ(list[2].enc, "ccitt");
    EXPECT_EQ(list[2].object, 13);
    EXPECT_EQ(list[2].page, 2);
    pdftest::expectRendersCleanly(name, dir_.path().string());
}

TEST_F(PdfImages, ParkedFilesLiveUntilTheirDocumentEndsAndEncoderFilesUntilEmbedded) {
    OwnedDib bw, colour;
    makeBilevel(bw, 40, 30, true);
    qlytest::makeSmooth(colour, 40, 30);
    TPDFCanvas pdf;
    pdf.usetempfileforimages = true;
    ASSERT_TRUE(pdf.BeginDoc(out("t.pdf")));
    pdf.DrawDIB(0, 0, 100, 100, *bw, 0, 0, 40, 30);
    pdf.DrawDIB(0, 0, 100, 100, *colour, 0, 0, 40, 30);
    auto names = tempFiles();
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names, (std::vector<std::string>{"temppdfimg0.bmp", "temppdfimg1.bmp"}));
    // The parked files are the pictures, losslessly.
    OwnedDib back;
    OpenDib(*back, privateTemp("temppdfimg0.bmp"), DIB_BMP);
    ASSERT_NE(back->poi, nullptr);
    EXPECT_EQ(back.bits(), 1);
    EXPECT_EQ(qlytest::pixelDifferences(*bw, *back), 0);
    pdf.EndDoc();
    EXPECT_TRUE(tempFiles().empty());
    parseAndCheck(out("t.pdf"));

    // Without parking nothing goes to the temporary folder before EndDoc.
    TPDFCanvas mem;
    ASSERT_TRUE(mem.BeginDoc(out("m.pdf")));
    mem.DrawDIB(0, 0, 100, 100, *bw, 0, 0, 40, 30);
    EXPECT_TRUE(tempFiles().empty());
    mem.EndDoc();
    EXPECT_TRUE(tempFiles().empty());
}

TEST_F(PdfImages, EachDocumentOfAWriterEmbedsOnlyItsOwnImagesWhileNumbersRunOn) {
    // The one-file-per-page pattern: EndDoc and BeginDoc again on the same writer.
    TPDFCanvas pdf;
    pdf.usetempfileforimages = true;
    std::vector<uintmax_t> sizes;
    for (int k = 0; k < 3; ++k) {
        OwnedDib pic;
        qlytest::makePattern(pic, 80, 60, 24, unsigned(k + 1));
        const std::string name = out("page" + std::to_string(k) + ".pdf");
        ASSERT_TRUE(pdf.BeginDoc(name));
        pdf.DrawDIBOfImageNr(0, 0, 100, 100, k - 1, 0, 0, 80, 60); // earlier file's image
        pdf.DrawDIB(0, 0, 595, 841, *pic, 0, 0, 80, 60);
        pdf.EndDoc();
        const ParsedPdf p = parseAndCheck(name);
        ASSERT_EQ(p.size, 9) << k;
        const std::string im = "/Im" + std::to_string(k);
        EXPECT_NE(p.object(5).find("/Resources <</XObject << " + im + " 8 0 R >>\n"),
                  std::string::npos)
            << p.object(5);
        EXPECT_EQ(pdftest::inflate(p.streamData(2)), "q\n594 0 0 840 0 1 cm\n" + im + " Do\nQ\n");
        EXPECT_EQ(pdftest::pdfimagesList(name).size(), 1u);
        sizes.push_back(std::filesystem::file_size(name));
        EXPECT_TRUE(tempFiles().empty()) << k;
    }
    EXPECT_EQ(pdf.imageCount(), 3);
    // Same kind of page, same kind of size: nothing of the earlier files rides along.
    EXPECT_LT(sizes[2], sizes[0] * 3 / 2);
}

TEST_F(PdfImages, JbigTwoPagesTakeTwoObjectsAndDecodeExactlyForBothPolarities) {
    for (bool white0 : {true, false}) {
        for (bool temp : {true, false}) {
            SCOPED_TRACE(testing::Message() << "entry 0 white " << white0 << ", parked " << temp);
            OwnedDib pic;
            makeBilevel(pic, 203, 77, white0, 7);
            const std::string name = out("jb2.pdf");
            const ParsedPdf p = writePage(*pic, name, temp, true);
            ASSERT_EQ(p.size, 10);
            EXPECT_NE(p.object(5).find("/XObject << /Im0 8 0 R >>"), std::string::npos);
            // Image stream: the page segments, a line feed, then "endstream".
            const std::string data = p.streamData(8);
            const std::string head = "8 0 obj\n<<\n/Type /XObject /Subtype /Image\n"
                                     "/Width 203 /Height 77 /BitsPerComponent 1\n/Length " +
                                     std::to_string(data.size()) +
                                     " /ColorSpace /DeviceGray /Filter /JBIG2Decode /DecodeParms "
                                     "<< /JBIG2Globals 9 0 R>>\n>>\nstream\n";
            const std::string obj = p.object(8);
            EXPECT_EQ(obj.substr(0, head.size()), head);
            EXPECT_EQ(obj.substr(head.size() + data.size()), "\nendstream\nendobj\n");
            // A page information segment (type 48) opens the embedded stream (T.88, 7.4.8).
            ASSERT_GT(data.size(), 11u);
            EXPECT_EQ(uint8_t(data[4]) & 0x3F, 48);
            // Globals: only a length, and the same closing line feed.
            const std::string globals = p.streamData(9);
            EXPECT_EQ(p.object(9), "9 0 obj\n<<\n/Length " + std::to_string(globals.size()) +
                                       "\n>>\nstream\n" + globals + "\nendstream\nendobj\n");
            const auto list = pdftest::pdfimagesList(name);
            ASSERT_EQ(list.size(), 1u);
            EXPECT_EQ(list[0].enc, "jbig2");
            EXPECT_EQ(list[0].color, "gray");
            EXPECT_EQ(list[0].bpc, 1);
            EXPECT_EQ(list[0].object, 8);
            expectBilevelExact(*pic, name);
            EXPECT_TRUE(tempFiles().empty());
        }
    }
}

TEST_F(PdfImages, JbigTwoImagesShiftTheNumbersOfLaterImagesByOne) {
    OwnedDib bw, colour, bw2;
    makeBilevel(bw, 64, 40, true, 1);
    qlytest::makeSmooth(colour, 64, 40);
    makeBilevel(bw2, 48, 48, false, 2);
    const std::string name = out("jbmix.pdf");
    TPDFCanvas pdf;
    pdf.usejbig2 = true;
    pdf.usetempfileforimages = true;
    ASSERT_TRUE(pdf.BeginDoc(name));
    pdf.DrawDIB(0, 0, 200, 200, *bw, 0, 0, 64, 40);
    pdf.DrawDIB(0, 200, 200, 200, *colour, 0, 0, 64, 40);
    pdf.NewPage();
    pdf.DrawDIB(0, 0, 200, 200, *bw2, 0, 0, 48, 48);
    pdf.EndDoc();
    const ParsedPdf p = parseAndCheck(name);
    // 2 pages: tree 6, pages 7-8, catalog 9, outlines 10; images 11+12, 13, 14+15.
    ASSERT_EQ(p.size, 16);
    EXPECT_NE(p.object(7).find("/XObject << /Im0 11 0 R/Im1 13 0 R >>"), std::string::npos);
    EXPECT_NE(p.object(8).find("/XObject << /Im2 14 0 R >>"), std::string::npos);
    EXPECT_NE(p.object(11).find("/JBIG2Globals 12 0 R>>"), std::string::npos);
    EXPECT_NE(p.object(13).find("/DCTDecode"), std::string::npos);
    EXPECT_NE(p.object(14).find("/JBIG2Globals 15 0 R>>"), std::string::npos);
    const auto list = pdftest::pdfimagesList(name);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].object, 11);
    EXPECT_EQ(list[1].object, 13);
    EXPECT_EQ(list[2].object, 14);
    pdftest::expectRendersCleanly(name, dir_.path().string());
}

TEST_F(PdfImages, EncoderFilesAvoidFilesTheyDidNotMake) {
    // Files under the names the encoders would take first, in the private folder and beside
    // it: the writer makes files of its own and leaves these alone.
    for (int i = 0; i < 12; ++i) {
        const std::string leaf = "tempim" + std::to_string(i) + ".bmp";
        pdftest::writeFile(privateTemp(leaf), "leftover");
        pdftest::writeFile((tmp_.path() / leaf).string(), "outside");
    }
    pdftest::writeFile(privateTemp("tempim00.bmp"), "leftover");
    OwnedDib pic;
    makeBilevel(pic, 80, 60, true, 5);
    const std::string name = out("leftover.pdf");
    writePage(*pic, name, false, true);
    expectBilevelExact(*pic, name);
    EXPECT_EQ(tempFiles().size(), 25u);
    EXPECT_EQ(pdftest::readFile(privateTemp("tempim3.bmp")), "leftover");
    EXPECT_EQ(pdftest::readFile(privateTemp("tempim00.bmp")), "leftover");
    EXPECT_EQ(pdftest::readFile((tmp_.path() / "tempim3.bmp").string()), "outside");
}

TEST_F(PdfImages, Jpeg2000PagesAreJpxInDeviceRgbWithinPsnr) {
    const int32_t oldQuality = GetJPEG2000Qual();
    SetJPEG2000Qual(500);
    for (bool temp : {true, false}) {
        SCOPED_TRACE(temp);
        OwnedDib pic;
        qlytest::makeSmooth(pic, 160, 120);
        const std::string name = out("jpx.pdf");
        const ParsedPdf p = writePage(*pic, name, temp, false, true);
        EXPECT_EQ(p.bytes.substr(0, 9), "%PDF-1.5\n");
        const std::string data = p.streamData(8);
        const std::string head = "8 0 obj\n<< /Type /XObject /Subtype /Image /Width 160 /Height "
                                 "120 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Length " +
                                 std::to_string(data.size()) + " /Filter /JPXDecode >>\nstream\n";
        EXPECT_EQ(p.object(8).substr(0, head.size()), head);
        EXPECT_EQ(p.object(8).substr(head.size() + data.size()), "endstream\nendobj\n");
        // A JP2 file: signature box first (ISO/IEC 15444-1, I.5.1).
        EXPECT_EQ(data.substr(4, 8), "jP  \r\n\x87\n");
        const auto list = pdftest::pdfimagesList(name);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].enc, "jpx");
        EXPECT_EQ(list[0].width, 160);
        EXPECT_EQ(list[0].height, 120);
        OwnedDib a, b, c;
        viaPdfimages(name, a);
        EXPECT_GE(qlytest::psnr(*pic, *a), kJpeg2000MinPsnr);
        viaMutool(name, b, false);
        EXPECT_GE(qlytest::psnr(*pic, *b), kJpeg2000MinPsnr);
        viaGhostscript(name, c, false);
        EXPECT_GE(qlytest::psnr(*pic, *c), kJpeg2000MinPsnr);
        pdftest::expectRendersCleanly(name, dir_.path().string());
    }
    SetJPEG2000Qual(oldQuality);
}

} // namespace
