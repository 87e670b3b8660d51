// The pictures of an export are coded on a pool of workers: the file is the same byte for byte
// with any number of them, and a failure on the way leaves nothing behind.
#include "export/CreateThePDF.h"

#include "common/FileSizeCap.h"
#include "common/TestDib.h"
#include "document/Dib.h"
#include "document/DynaArray.h"
#include "pdf/PDFWriterCanvas.h"
#include "pdf/PdfTestUtil.h"
#include "platform/IoError.h"
#include "platform/Random.h"
#include "platform/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace {

using qlytest::OwnedDib;

class ExportPool : public pdftest::PdfTest {
  protected:
    void SetUp() override {
        PdfTest::SetUp();
        s_.BorderCheck = true;
        // Every depth the coders take, both polarities of 1-bit pictures, and a grey ramp.
        const struct {
            int32_t bits;
            uint32_t seed;
        } pages[] = {{24, 1}, {32, 2}, {8, 3}, {8, 4}, {4, 5}, {1, 6}, {1, 7}, {16, 8}};
        for (const auto& p : pages) {
            OwnedDib d;
            qlytest::makePattern(d, 150 + int32_t(p.seed), 110, p.bits, p.seed);
            if (p.seed == 1) {
                d->pmi->bmiHeader.biXPelsPerMeter = 11811; // 300 dpi
                d->pmi->bmiHeader.biYPelsPerMeter = 11811;
            } else if (p.seed == 3) {
                for (int i = 0; i < 256; ++i) {
                    const auto v = static_cast<uint8_t>(i);
                    d->pmi->bmiColors[i] = RGBQUAD{v, v, v, 0};
                    d->pal.rgb0[i] = PALETTEENTRY{v, v, v, 0};
                }
            } else if (p.seed == 7) {
                std::swap(d->pmi->bmiColors[0], d->pmi->bmiColors[1]);
                std::swap(d->pal.rgb0[0], d->pal.rgb0[1]);
            }
            std::memcpy(bilder_.Add(), &*d, sizeof(dib));
            *d = dib{}; // the page array owns it now
        }
    }
    void TearDown() override {
        for (uint32_t i = 0; i < bilder_.count; ++i) {
            freedib(*static_cast<dib*>(bilder_.GetObject(i)));
        }
        PdfTest::TearDown();
    }
    // The file an export with `workers` coding threads writes (in batch mode all files one
    // after the other); with `precode` every page starts coding before the export does.
    std::string write(unsigned workers, bool precode = false,
                      size_t bound = ExportPipeline::kCodedInMemory, bool batch = false) {
        qly::RandSeed(99);
        ExportPipeline pipe(s_, workers, bound);
        for (uint32_t k = 0; precode && k < bilder_.count; ++k) {
            pipe.precode(bilder_, k);
        }
        const ExportOutcome o = CreateThePDF(bilder_, s_, out("pages.pdf"), batch, {}, &pipe);
        EXPECT_TRUE(o.written);
        std::string bytes;
        for (const std::string& file : o.files) {
            bytes += pdftest::readFile(file);
        }
        return bytes;
    }

    void* abild_ = nullptr;
    TDynaArray bilder_{sizeof(dib), &abild_};
    ExportSettings s_;
};

TEST_F(ExportPool, AnyNumberOfWorkersWritesTheSerialFileByteForByte) {
    for (const bool jp2 : {false, true}) {
        SCOPED_TRACE(jp2 ? "JPEG 2000" : "JPEG");
        s_.JPEG2000 = jp2;
        const std::string serial = write(0);
        ASSERT_EQ(pdftest::pdfimagesList(out("pages.pdf")).size(), bilder_.count);
        for (const unsigned workers : {1u, 2u, 3u, 5u}) {
            EXPECT_EQ(write(workers), serial) << workers << " workers";
        }
        // Pages handed over before the export, and results parked on disk past a 1-byte bound.
        EXPECT_EQ(write(2, true), serial);
        EXPECT_EQ(write(3, true, 1), serial);
        // One file per page: the coding runs ahead across the files.
        const std::string serialBatch = write(0, false, ExportPipeline::kCodedInMemory, true);
        EXPECT_EQ(write(3, true, 1, true), serialBatch);
        EXPECT_TRUE(tempFiles().empty());
    }
}

TEST_F(ExportPool, PicturesCodedInPlaceMatchPicturesParkedAsBitmaps) {
    // The writer's classic way (each picture parked as a bitmap file and coded when the file is
    // finished) against coding the caller's pictures in place on three workers.
    for (const bool jbig2 : {false, true}) {
        for (const bool jp2 : {false, true}) {
            std::string files[2];
            for (int way = 0; way < 2; ++way) {
                qly::RandSeed(5);
                TPDFCanvas pdf;
                const auto pool = std::make_shared<qly::ImageCodingPool>(way == 0 ? 0 : 3);
                pdf.setCodingPool(pool);
                pdf.usetempfileforimages = way == 0;
                pdf.usejbig2 = jbig2;
                pdf.usejpeg2000 = jp2;
                pdf.jpegquality = 60;
                const std::string name = out("way" + std::to_string(way) + ".pdf");
                ASSERT_TRUE(pdf.BeginDoc(name));
                for (uint32_t k = 0; k < bilder_.count; ++k) {
                    const dib& d = *static_cast<const dib*>(bilder_.GetObject(k));
                    if (dibbits(d) == 16) {
                        continue; // the writer itself leaves 16-bit pictures out
                    }
                    if (way == 0) {
                        pdf.DrawDIB(10, 10, 300, 200, d, 0, 0, dibwidth(d), dibheight(d));
                    } else {
                        pdf.DrawCodedImage(10, 10, 300, 200,
                                           pool->codeBorrowed(d, pdf.codingParams()));
                    }
                    pdf.NewPage();
                }
                pdf.EndDoc();
                EXPECT_EQ(pdf.placeholders(), 0);
                files[way] = pdftest::readFile(name);
            }
            EXPECT_EQ(files[1], files[0]) << "jbig2 " << jbig2 << ", jpeg2000 " << jp2;
        }
    }
    EXPECT_TRUE(tempFiles().empty());
}

TEST_F(ExportPool, ResultsThatCannotBeParkedStayInMemory) {
    const std::string serial = write(0);
    // A temporary folder that cannot be made: every result past the bound stays in memory.
    pdftest::writeFile(out("plain-file"), "x");
    ::setenv("TMPDIR", out("plain-file").c_str(), 1);
    qly::removeTempFolder();
    EXPECT_EQ(write(3, true, 1), serial);
}

TEST_F(ExportPool, AWriteErrorWhileWorkersRunRemovesTheFileAndEveryTemporaryFile) {
    const std::string serial = write(0);
    const std::string name = out("capped.pdf");
    {
        ExportPipeline pipe(s_, 3, 1);
        for (uint32_t k = 0; k < bilder_.count; ++k) {
            pipe.precode(bilder_, k);
        }
        const qlytest::FileSizeCap cap(serial.size() / 2);
        EXPECT_THROW(CreateThePDF(bilder_, s_, name, false, {}, &pipe), qly::IoError);
    }
    EXPECT_FALSE(std::filesystem::exists(name));
    EXPECT_TRUE(tempFiles().empty());
    // The pages are untouched: the next export writes the same file as before.
    EXPECT_EQ(write(2), serial);
}

} // namespace
