#include "export/CreateThePDF.h"

#include "common/TestDib.h"
#include "document/Dib.h"
#include "document/DynaArray.h"
#include "pdf/PdfTestUtil.h"
#include "platform/Messages.h"
#include "platform/Random.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

using qlytest::TempDir;

namespace {

class Export : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = qly::setMessageSink(&sink_);
        qly::RandSeed(1);
        std::filesystem::create_directories(dir_.path() / "tmp");
        setenv("TMPDIR", (dir_.path() / "tmp").c_str(), 1);
    }
    void TearDown() override {
        bilder_.First();
        while (bilder_.WhileNext()) {
            freedib(*static_cast<dib*>(abild_));
        }
        qly::setMessageSink(previous_);
        unsetenv("TMPDIR");
    }
    // Appends a picture of the given size and depth as a page.
    void addPage(int w, int h, int bits) {
        dib d{};
        newdib(d, w, h, bits, nullptr, 0);
        ASSERT_NE(d.poi, nullptr);
        for (int y = 0; y < h; y += 3) {
            for (int x = 0; x < w; x += 2) {
                setpixel(d, x, y, bits == 1 ? 1u : 0x808080u);
            }
        }
        std::memcpy(bilder_.Add(), &d, sizeof d);
    }
    // The placement line ("w 0 0 h x y cm") of every page's content stream, in page order.
    std::vector<std::string> placements(const std::string& pdf) {
        const pdftest::ParsedPdf p = pdftest::parseAndCheck(pdf);
        std::vector<std::string> out;
        for (int i = 1; i < p.size; ++i) {
            const std::string obj = p.object(i);
            const size_t contents = obj.find("/Contents ");
            if (obj.find("/Type /Page") == std::string::npos || contents == std::string::npos) {
                continue;
            }
            const std::string page =
                pdftest::inflate(p.streamData(std::atoi(obj.c_str() + contents + 10)));
            const size_t cm = page.find(" cm\n");
            const size_t start = cm == std::string::npos ? 0 : page.rfind('\n', cm) + 1;
            out.push_back(cm == std::string::npos ? "" : page.substr(start, cm + 3 - start));
        }
        return out;
    }
    // Filters of the embedded images, in order.
    std::vector<std::string> filters(const std::string& pdf) {
        std::vector<std::string> out;
        for (const auto& im : pdftest::pdfimagesList(pdf)) {
            out.push_back(im.enc);
        }
        return out;
    }
    std::vector<int> progress_;
    ExportCallbacks callbacks_{[this](int p) { progress_.push_back(p); }, {}};
    pdftest::RecordingSink sink_;
    qly::MessageSink* previous_ = nullptr;
    void* abild_ = nullptr;
    TDynaArray bilder_{sizeof(dib), &abild_};
    TempDir dir_;
    ExportSettings s_;
};

TEST_F(Export, A4ScanWithMarginsIsCentredAndTheCmLineSaysSo) {
    addPage(2480, 3508, 1);
    addPage(3508, 2480, 24);
    s_.BorderCheck = true;
    s_.ZentCheck = true;
    s_.JPEG2000 = false;
    const std::string pdf = dir_.file("out.pdf");
    const ExportOutcome o = CreateThePDF(bilder_, s_, pdf, false, callbacks_);
    ASSERT_TRUE(o.written);
    pdftest::expectQpdfClean(pdf);
    const auto cms = placements(pdf);
    ASSERT_EQ(cms.size(), 2u);
    // Box 511 x 722 at (42, 59): the writer shrinks it by one unit and flips y with height 841.
    EXPECT_EQ(cms[0], "510 0 0 721 42 " + std::to_string(841 - 59 - 721) + " cm");
    // Landscape: 511 x 361, centred vertically: y = (757 - 361) / 2 + 42 = 240.
    EXPECT_EQ(cms[1], "510 0 0 360 42 " + std::to_string(841 - 240 - 360) + " cm");
    EXPECT_EQ(progress_, (std::vector<int>{50, 100, 0}));
    EXPECT_EQ(filters(pdf), (std::vector<std::string>{"jbig2", "jpeg"}));
    EXPECT_TRUE(sink_.texts.empty());
}

TEST_F(Export, RelativeModeAndPageSizeFollowingThePicture) {
    addPage(1000, 2000, 24);
    addPage(3000, 1000, 24);
    s_.BorderCheck = true;
    s_.RelSizeCheck = true;
    s_.MaxSizeCheck = false;
    s_.JPEG2000 = false;
    const std::string pdf = dir_.file("rel.pdf");
    ASSERT_TRUE(CreateThePDF(bilder_, s_, pdf, false).written);
    const auto cms = placements(pdf);
    ASSERT_EQ(cms.size(), 2u);
    EXPECT_EQ(cms[0], "169 0 0 339 42 " + std::to_string(841 - 42 - 339) + " cm");
    EXPECT_EQ(cms[1], "510 0 0 169 42 " + std::to_string(841 - 42 - 169) + " cm");

    s_.RelSizeCheck = false;
    s_.MaxSizeCheck = true;
    s_.BorderCheck = false;
    s_.setpaperheichec = true;
    s_.UsePageSizeFromPicChecked = true;
    const std::string follow = dir_.file("follow.pdf");
    ASSERT_TRUE(CreateThePDF(bilder_, s_, follow, false).written);
    const pdftest::CommandResult info = pdftest::run("pdfinfo -f 1 -l 2 " + pdftest::quote(follow));
    // 240 x 480 and 720 x 240 points; the media box runs from 0 to the size minus one.
    EXPECT_NE(info.output.find("Page    1 size:  239 x 479 pts"), std::string::npos) << info.output;
    EXPECT_NE(info.output.find("Page    2 size:  719 x 239 pts"), std::string::npos) << info.output;
}

TEST_F(Export, ATinyPictureWhosePageFollowsItGetsAValidPageWithThePictureOnIt) {
    addPage(4, 4, 24);
    s_.setpaperheichec = true;
    s_.UsePageSizeFromPicChecked = true;
    s_.ScanResEd = 300;
    const std::string pdf = dir_.file("tiny.pdf");
    const ExportOutcome o = CreateThePDF(bilder_, s_, pdf, false);
    ASSERT_TRUE(o.written);
    EXPECT_EQ(o.pagesWithoutRoom, 0);
    EXPECT_TRUE(sink_.texts.empty()) << sink_.texts.front();
    pdftest::expectQpdfClean(pdf);
    EXPECT_NE(pdftest::readFile(pdf).find("/MediaBox [0 0 3 3]"), std::string::npos);
    EXPECT_EQ(placements(pdf), std::vector<std::string>{"3 0 0 3 0 1 cm"});
    const auto images = pdftest::pdfimagesList(pdf);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].page, 1);
    EXPECT_EQ(images[0].width, 4);
    // With margins on, the margins are what leaves no room, and the message says so.
    s_.BorderCheck = true;
    const ExportOutcome m = CreateThePDF(bilder_, s_, dir_.file("margins.pdf"), false);
    EXPECT_EQ(m.pagesWithoutRoom, 1);
    ASSERT_EQ(sink_.texts.size(), 1u);
    EXPECT_NE(sink_.texts[0].find("Ränder"), std::string::npos);
    pdftest::expectQpdfClean(dir_.file("margins.pdf"));
}

TEST_F(Export, BatchModeWritesNumberedFilesAndAnEmptyArrayStillGivesOneFile) {
    addPage(100, 50, 1);
    addPage(100, 50, 8);
    addPage(100, 50, 24);
    const ExportOutcome o = CreateThePDF(bilder_, s_, dir_.file("Brief.pdf"), true);
    ASSERT_TRUE(o.written);
    ASSERT_EQ(o.files.size(), 3u);
    for (int k = 1; k <= 3; ++k) {
        const std::string f = dir_.file("Brief000" + std::to_string(k) + ".pdf");
        ASSERT_TRUE(std::filesystem::exists(f)) << f;
        pdftest::expectQpdfClean(f);
        EXPECT_EQ(filters(f).size(), 1u) << f; // each file only its own picture
    }
    EXPECT_FALSE(std::filesystem::exists(dir_.file("Brief.pdf")));

    bilder_.First();
    while (bilder_.WhileNext()) {
        freedib(*static_cast<dib*>(abild_));
    }
    bilder_.Clear();
    progress_.clear();
    const ExportOutcome empty = CreateThePDF(bilder_, s_, dir_.file("Leer"), true, callbacks_);
    ASSERT_TRUE(empty.written);
    ASSERT_EQ(empty.files.size(), 1u);
    EXPECT_EQ(empty.files[0], dir_.file("Leer0001.pdf"));
    pdftest::expectQpdfClean(empty.files[0]);
    EXPECT_EQ(progress_, (std::vector<int>{0}));
}

TEST_F(Export, SixteenBitPicturesAreEmbeddedAsTrueColourInsteadOfLeftOut) {
    addPage(40, 30, 16);
    s_.JPEG2000 = false;
    const std::string pdf = dir_.file("sixteen.pdf");
    ASSERT_TRUE(CreateThePDF(bilder_, s_, pdf, false).written);
    const auto images = pdftest::pdfimagesList(pdf);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].enc, "jpeg");
    EXPECT_EQ(images[0].width, 40);
    EXPECT_EQ(images[0].color, "rgb");
}

TEST_F(Export, FilesThatCannotBeCreatedAreReported) {
    addPage(10, 10, 24);
    addPage(10, 10, 24);
    const ExportOutcome o = CreateThePDF(bilder_, s_, dir_.file("missing/dir/out.pdf"), false);
    EXPECT_FALSE(o.written);
    ASSERT_EQ(sink_.texts.size(), 1u);
    EXPECT_EQ(sink_.texts[0], "Konnte PDF-Datei nicht erstellen!");
    EXPECT_EQ(sink_.icons[0], qly::MessageIcon::Information);
    // A later file of a batch: the first stays complete, the failure is reported too.
    std::filesystem::create_directory(dir_.file("Scan0002.pdf")); // a folder blocks the name
    const ExportOutcome b = CreateThePDF(bilder_, s_, dir_.file("Scan.pdf"), true);
    EXPECT_FALSE(b.written);
    EXPECT_EQ(b.failedFile, dir_.file("Scan0002.pdf"));
    ASSERT_EQ(b.files.size(), 1u);
    pdftest::expectQpdfClean(dir_.file("Scan0001.pdf"));
    ASSERT_EQ(sink_.texts.size(), 2u);
    EXPECT_EQ(sink_.texts[1], "Konnte PDF-Datei nicht erstellen!");
}

TEST_F(Export, MarginsWithoutRoomLeaveThePageEmptyAndSaySoOnce) {
    addPage(10, 10, 24);
    addPage(10, 10, 24);
    s_.BorderCheck = true;
    s_.RandHEd = 120;
    const std::string pdf = dir_.file("noroom.pdf");
    const ExportOutcome o = CreateThePDF(bilder_, s_, pdf, false);
    ASSERT_TRUE(o.written);
    EXPECT_EQ(o.pagesWithoutRoom, 2);
    pdftest::expectQpdfClean(pdf);
    EXPECT_TRUE(filters(pdf).empty());
    ASSERT_EQ(sink_.texts.size(), 1u);
    EXPECT_NE(sink_.texts[0].find("2 Seite(n)"), std::string::npos);
}

} // namespace
