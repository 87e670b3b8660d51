// Pages read from JPEG files go into the PDF as the file itself while they are unchanged and the
// file's quality is at or below the JPEG quality asked for; turned pages as the losslessly turned
// file where the turn is exact; everything else is coded as before, byte for byte.
#include "export/CreateThePDF.h"

#include "acquire/AddPicture.h"
#include "common/JpegSamples.h"
#include "common/RecordingSink.h"
#include "document/Dib.h"
#include "document/DocumentFile.h"
#include "document/DynaArray.h"
#include "imaging/Rotate.h"
#include "pdf/PdfTestUtil.h"
#include "platform/Messages.h"
#include "platform/Random.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>

using qlytest::OwnedDib;
using qlytest::TempDir;

namespace {

class JpegPages : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = qly::setMessageSink(&sink_);
        qly::RandSeed(7);
        std::filesystem::create_directories(dir_.path() / "tmp");
        setenv("TMPDIR", (dir_.path() / "tmp").c_str(), 1);
        settings_.JPEG2000 = false;
        settings_.JpegEd = 75;
    }
    void TearDown() override {
        releaseAllPages(bilder_);
        qly::setMessageSink(previous_);
        unsetenv("TMPDIR");
    }
    // A JPEG file of a smooth w x h picture made by cjpeg with `options`; its name.
    std::string jpegFile(int w, int h, const std::string& options, const std::string& name) {
        OwnedDib src;
        qlytest::makeSmooth(src, w, h);
        const std::vector<uint8_t> bytes = qlytest::cjpegFile(dir_, *src, options, name);
        return dir_.file(name + ".jpg");
    }
    // Exports the pages; the image streams and dictionaries, in page order.
    struct Image {
        std::string dictionary;
        std::vector<uint8_t> data;
    };
    std::vector<Image> exportImages(const std::string& pdf) {
        const ExportOutcome o = CreateThePDF(bilder_, settings_, pdf, false);
        EXPECT_TRUE(o.written);
        const pdftest::ParsedPdf p = pdftest::parseAndCheck(pdf);
        std::vector<Image> images;
        for (int n = 1; n < p.size; ++n) {
            const std::string obj = p.object(n);
            if (obj.find("/Subtype /Image") != std::string::npos) {
                const std::string data = p.streamData(n);
                images.push_back({obj.substr(0, obj.find("stream\n")), {data.begin(), data.end()}});
            }
        }
        return images;
    }
    static bool isJpeg(const Image& i) {
        return i.data.size() > 3 && i.data[0] == 0xff && i.data[1] == 0xd8 &&
               i.dictionary.find("/DCTDecode") != std::string::npos;
    }

    TempDir dir_;
    qlytest::RecordingSink sink_;
    qly::MessageSink* previous_ = nullptr;
    void* abild_ = nullptr;
    TDynaArray bilder_{sizeof(dib), &abild_};
    ExportSettings settings_;
};

TEST_F(JpegPages, AFileAtOrBelowTheQualityGoesInAsItIsAnyOtherIsCodedAgain) {
    struct Case {
        const char* what;
        const char* options;
        double jpegEd;
        bool jpeg2000;
        bool asItIs;
        const char* colourSpace;
    };
    const Case cases[] = {
        {"quality 70", "-quality 70", 75, false, true, "/DeviceRGB"},
        {"quality 75 at 75", "-quality 75", 75, false, true, "/DeviceRGB"},
        {"quality 76 at 75", "-quality 76", 75, false, false, "/DeviceRGB"},
        {"quality 90 at 95", "-quality 90 -progressive", 95, false, true, "/DeviceRGB"},
        {"grey", "-quality 60 -grayscale", 75, false, true, "/DeviceGray"},
        {"RGB", "-quality 60 -rgb", 75, false, true, "/DeviceRGB"},
        {"JPEG 2000 on", "-quality 50", 75, true, false, "/DeviceRGB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = jpegFile(67, 41, c.options, "in");
        const std::vector<uint8_t> bytes = qlytest::readFileBytes(file);
        ASSERT_TRUE(AddPicture_(bilder_, file));
        settings_.JpegEd = c.jpegEd;
        settings_.JPEG2000 = c.jpeg2000;
        const std::vector<Image> images = exportImages(dir_.file("out.pdf"));
        ASSERT_EQ(images.size(), 1u);
        EXPECT_EQ(images[0].data == bytes, c.asItIs);
        EXPECT_NE(images[0].dictionary.find(std::string("/ColorSpace ") + c.colourSpace),
                  std::string::npos)
            << images[0].dictionary;
        EXPECT_EQ(isJpeg(images[0]), !c.jpeg2000);
        releaseAllPages(bilder_);
    }
}

TEST_F(JpegPages, DamagedCmykAndTurnedFilesAreCodedAsBeforeAndShowRight) {
    OwnedDib src;
    qlytest::makeSmooth(src, 64, 48);
    const std::string good = jpegFile(64, 48, "-quality 70", "good");
    const std::vector<uint8_t> goodBytes = qlytest::readFileBytes(good);
    // Cut off in the scan: read with a warning, so the page is there but not as its file.
    std::vector<uint8_t> cut(goodBytes.begin(), goodBytes.end() - 60);
    qlytest::writeFileBytes(dir_.file("cut.jpg"), cut);
    // EXIF orientation 6 (an APP1 block inserted after SOI).
    const std::vector<uint8_t> app1 = {0xff, 0xe1, 0, 34, 'E', 'x', 'i', 'f', 0, 0,    'M', 'M',
                                       0,    42,   0, 0,  0,   8,   0,   1,   1, 0x12, 0,   3,
                                       0,    0,    0, 1,  0,   6,   0,   0,   0, 0,    0,   0};
    std::vector<uint8_t> turned(goodBytes.begin(), goodBytes.begin() + 2);
    turned.insert(turned.end(), app1.begin(), app1.end());
    turned.insert(turned.end(), goodBytes.begin() + 2, goodBytes.end());
    qlytest::writeFileBytes(dir_.file("exif6.jpg"), turned);
    // CMYK (Adobe-inverted, as ImageMagick writes it).
    qlytest::writePpm(*src, dir_.file("cmyk.ppm"));
    const qlytest::ToolResult r = qlytest::runTool(
        dir_, "convert " + qlytest::quoted(dir_.file("cmyk.ppm")) +
                  " -colorspace CMYK -quality 70 " + qlytest::quoted(dir_.file("cmyk.jpg")));
    ASSERT_EQ(r.status, 0) << r.output;
    for (const char* name : {"good.jpg", "cut.jpg", "exif6.jpg", "cmyk.jpg"}) {
        SCOPED_TRACE(name);
        const std::string file = dir_.file(name);
        ASSERT_TRUE(AddPicture_(bilder_, file));
        const std::vector<Image> images = exportImages(dir_.file("out.pdf"));
        ASSERT_EQ(images.size(), 1u);
        // Only the clean, upright YCbCr file goes in as it is.
        EXPECT_EQ(images[0].data == qlytest::readFileBytes(file), file == good);
        EXPECT_TRUE(isJpeg(images[0]));
        EXPECT_NE(images[0].dictionary.find("/DeviceRGB"), std::string::npos);
        if (std::string(name) == "cmyk.jpg") {
            // Every reader shows the CMYK page as the image library reads it.
            OwnedDib read;
            OpenDib(*read, file, DIB_AUTO);
            const qlytest::NetpbmPicture expected = qlytest::samplesOf(*read, false);
            for (const char* renderer : {"poppler", "mupdf", "ghostscript"}) {
                // The page is A4 with the picture fitted; the picture's colours are compared on
                // average instead of pixel by pixel.
                const qlytest::NetpbmPicture shown =
                    qlytest::renderedPage(dir_, dir_.file("out.pdf"), renderer, false);
                double sum[3] = {0, 0, 0};
                int n = 0;
                for (size_t i = 0; i + 2 < shown.samples.size(); i += 3) {
                    const bool paper = shown.samples[i] == 255 && shown.samples[i + 1] == 255 &&
                                       shown.samples[i + 2] == 255;
                    if (!paper) {
                        for (int k = 0; k < 3; ++k) {
                            sum[k] += shown.samples[i + size_t(k)];
                        }
                        ++n;
                    }
                }
                double want[3] = {0, 0, 0};
                for (size_t i = 0; i < expected.samples.size(); i += 3) {
                    for (int k = 0; k < 3; ++k) {
                        want[k] += expected.samples[i + size_t(k)];
                    }
                }
                ASSERT_GT(n, 0);
                for (int k = 0; k < 3; ++k) {
                    EXPECT_NEAR(sum[k] / n, want[k] / double(expected.samples.size() / 3), 4.0)
                        << renderer << " channel " << k;
                }
            }
        }
        releaseAllPages(bilder_);
    }
    // A file that cannot be read is reported as before and adds no page.
    std::vector<uint8_t> head(goodBytes.begin(), goodBytes.begin() + 100);
    qlytest::writeFileBytes(dir_.file("head.jpg"), head);
    EXPECT_FALSE(AddPicture_(bilder_, dir_.file("head.jpg")));
    EXPECT_EQ(bilder_.count, 0u);
    ASSERT_EQ(sink_.captions.size(), 1u);
    EXPECT_EQ(sink_.captions[0], "Fehler beim Öffnen von " + dir_.file("head.jpg") + "!");
}

TEST_F(JpegPages, ATurnedPageIsTheFileTurnedLosslesslyWhereThatIsExact) {
    struct Case {
        int w, h;
        std::vector<RotateDirection> turns;
        const char* jpegtran; // the same turn, or null when it is not exact
    };
    using D = RotateDirection;
    const Case cases[] = {
        {48, 32, {D::Right}, "-rotate 90"},
        {48, 32, {D::Left}, "-rotate 270"},
        {48, 32, {D::Right, D::Right}, "-rotate 180"},
        {48, 30, {D::Left}, "-rotate 270"}, // the partial bottom edge goes to the right
        {48, 30, {D::Right}, nullptr},      // ... would go to the left
        {50, 32, {D::Left}, nullptr},       // the partial right edge would go to the top
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " " +
                     std::to_string(c.turns.size()) + " turn(s) " +
                     (c.turns[0] == D::Right ? "right" : "left"));
        const std::string file = jpegFile(c.w, c.h, "-quality 70", "turn");
        ASSERT_TRUE(AddPicture_(bilder_, file));
        for (RotateDirection d : c.turns) {
            ASSERT_TRUE(rotatePage(bilder_, 1, d));
        }
        const std::vector<Image> images = exportImages(dir_.file("out.pdf"));
        ASSERT_EQ(images.size(), 1u);
        ASSERT_TRUE(isJpeg(images[0]));
        const qlytest::NetpbmPicture embedded = qlytest::djpegPicture(dir_, images[0].data);
        if (c.jpegtran != nullptr) {
            const std::string out = dir_.file("jpegtran.jpg");
            const qlytest::ToolResult r = qlytest::runTool(
                dir_, std::string("jpegtran -perfect ") + c.jpegtran + " -outfile " +
                          qlytest::quoted(out) + " " + qlytest::quoted(file));
            ASSERT_EQ(r.status, 0) << r.output;
            const qlytest::NetpbmPicture exact =
                qlytest::djpegPicture(dir_, qlytest::readFileBytes(out));
            EXPECT_EQ(qlytest::largestSampleDifference(embedded, exact), 0);
        } else {
            // Coded from the turned pixels at the export's quality.
            const dib& page = *static_cast<const dib*>(bilder_.GetObject(0));
            EXPECT_GE(qlytest::psnrAgainst(page, embedded), 35.0);
            EXPECT_EQ(embedded.width, dibwidth(page));
        }
        releaseAllPages(bilder_);
    }
}

TEST_F(JpegPages, APageFromADocumentFileIsCodedFromItsPixels) {
    const std::string file = jpegFile(40, 32, "-quality 70", "doc");
    const std::vector<uint8_t> bytes = qlytest::readFileBytes(file);
    ASSERT_TRUE(AddPicture_(bilder_, file));
    std::vector<Image> images = exportImages(dir_.file("before.pdf"));
    ASSERT_EQ(images.size(), 1u);
    EXPECT_TRUE(images[0].data == bytes);
    const std::string qly = dir_.file("pages.qly");
    ASSERT_EQ(saveDocument(qly, bilder_, DocumentLayout{}), DocumentStatus::Ok);
    releaseAllPages(bilder_);
    DocumentLayout layout;
    ASSERT_EQ(readDocument(qly, bilder_, layout), DocumentStatus::Ok);
    images = exportImages(dir_.file("after.pdf"));
    ASSERT_EQ(images.size(), 1u);
    EXPECT_TRUE(images[0].data != bytes);
    EXPECT_TRUE(isJpeg(images[0]));
}

// Files written from pages that come from no JPEG file are what the writer wrote before pages
// could keep their JPEG file: the checksums were taken with that version.
TEST_F(JpegPages, PagesFromOtherSourcesAreWrittenByteForByteAsBefore) {
    OwnedDib smooth, palette, bilevel;
    qlytest::makeSmooth(smooth, 90, 70);
    qlytest::makePattern(palette, 33, 21, 8, 3);
    qlytest::makePattern(bilevel, 70, 50, 1, 4);
    // A picture that was a JPEG file once, read from a BMP copy: pixels as a JPEG page's, but
    // no JPEG file behind them.
    const std::string jpeg = jpegFile(60, 44, "-quality 70", "was-jpeg");
    OwnedDib wasJpeg;
    OpenDib(*wasJpeg, jpeg, DIB_AUTO);
    ASSERT_NE(wasJpeg->poi, nullptr);
    const std::string bmp = dir_.file("was-jpeg.bmp");
    ASSERT_EQ(SaveDib(*wasJpeg, bmp, DIB_BMP), 1);
    const std::string png = dir_.file("smooth.png");
    ASSERT_EQ(SaveDib(*smooth, png, DIB_PNG), 1);
    const std::string pal = dir_.file("palette.bmp");
    ASSERT_EQ(SaveDib(*palette, pal, DIB_BMP), 1);
    const std::string bw = dir_.file("bilevel.png");
    ASSERT_EQ(SaveDib(*bilevel, bw, DIB_PNG), 1);
    struct Case {
        bool jpeg2000;
        uLong crc;
        size_t size;
    };
    const Case cases[] = {{false, 1578148430, 5519}, {true, 1879122382, 4550}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.jpeg2000 ? "JPEG 2000" : "JPEG");
        for (const std::string& f : {png, bmp, pal, bw}) {
            ASSERT_TRUE(AddPicture_(bilder_, f));
        }
        settings_.JPEG2000 = c.jpeg2000;
        settings_.Jpeg2000ED = 5;
        qly::RandSeed(99);
        const std::string out = dir_.file("other.pdf");
        ASSERT_TRUE(CreateThePDF(bilder_, settings_, out, false).written);
        const std::vector<uint8_t> b = qlytest::readFileBytes(out);
        const uLong crc = crc32(0, b.data(), static_cast<uInt>(b.size()));
        EXPECT_EQ(b.size(), c.size);
        EXPECT_EQ(crc, c.crc);
        releaseAllPages(bilder_);
    }
}

} // namespace
