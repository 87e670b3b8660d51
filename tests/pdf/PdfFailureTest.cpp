// What the writer does when things go wrong: images that cannot be coded, write errors on the
// output, outputs without a file position, memory running out.
#include "pdf/PDFWriterCanvas.h"

#include "PdfTestUtil.h"
#include "common/FileSizeCap.h"
#include "document/Dib.h"
#include "platform/GrafikRW3.h"
#include "platform/Heap.h"
#include "platform/IoError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using pdftest::parseAndCheck;
using pdftest::ParsedPdf;
using qlytest::FileSizeCap;
using qlytest::OwnedDib;

namespace {

const std::string kPlaceholder = "<< /Type /XObject /Subtype /Image /Width 1 /Height 1 "
                                 "/BitsPerComponent 8 /ColorSpace /DeviceGray /Length 1 >>\n"
                                 "stream\n\xFF\nendstream\nendobj\n";

// A heap that refuses blocks matching a rule, to run the writer out of memory on purpose.
size_t gRefuseFrom = 0;    // refuse blocks of at least this size (0: never)
size_t gRefuseExactly = 0; // refuse blocks of exactly this size (0: never)
void* pickyAlloc(size_t n) {
    if ((gRefuseFrom != 0 && n >= gRefuseFrom) || (gRefuseExactly != 0 && n == gRefuseExactly)) {
        return nullptr;
    }
    return std::calloc(1, n);
}
void plainFree(void* p) {
    std::free(p);
}
const qly::HeapAllocator kPicky{pickyAlloc, plainFree};

class PdfFailures : public pdftest::PdfTest {
  protected:
    void TearDown() override {
        qly::setHeapAllocator(nullptr);
        gRefuseFrom = 0;
        gRefuseExactly = 0;
        PdfTest::TearDown();
    }
    std::string parked(int n) const {
        return privateTemp("temppdfimg" + std::to_string(n) + ".bmp");
    }
    // Text that deflate cannot shrink much: page content of about `bytes` bytes.
    static void writeNoise(TPDFCanvas& pdf, size_t bytes) {
        std::mt19937 rng(5);
        std::u16string line;
        for (size_t i = 0; i < bytes; ++i) {
            line.push_back(char16_t('!' + rng() % 90));
            if (line.size() == 80) {
                pdf.writeln(line);
                line.clear();
            }
        }
        pdf.writeln(line);
    }
};

TEST_F(PdfFailures, MissingParkedFileBecomesAPlaceholderUnderTheReservedNumber) {
    OwnedDib a, b;
    qlytest::makeSmooth(a, 40, 30);
    qlytest::makeSmooth(b, 50, 20);
    const std::string name = out("missing.pdf");
    TPDFCanvas pdf;
    pdf.usetempfileforimages = true;
    ASSERT_TRUE(pdf.BeginDoc(name));
    pdf.DrawDIB(0, 0, 100, 100, *a, 0, 0, 40, 30);
    pdf.DrawDIB(0, 200, 100, 100, *b, 0, 0, 50, 20);
    ASSERT_TRUE(std::filesystem::remove(parked(0)));
    pdf.EndDoc();
    EXPECT_EQ(pdf.placeholders(), 1);
    const ParsedPdf p = parseAndCheck(name);
    ASSERT_EQ(p.size, 10);
    EXPECT_NE(p.object(5).find("/XObject << /Im0 8 0 R/Im1 9 0 R >>"), std::string::npos);
    EXPECT_EQ(p.object(8), "8 0 obj\n" + kPlaceholder);
    EXPECT_NE(p.object(9).find("/Width 50 /Height 20"), std::string::npos);
    pdftest::expectRendersCleanly(name, dir_.path().string());
    const auto list = pdftest::pdfimagesList(name);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].width, 1);
    EXPECT_EQ(list[0].object, 8);
    EXPECT_EQ(list[1].enc, "jpeg");
    EXPECT_EQ(list[1].object, 9);
    EXPECT_TRUE(tempFiles().empty());
}

TEST_F(PdfFailures, DamagedOrSwappedParkedFilesBecomePlaceholders) {
    OwnedDib bw, colour;
    newdib(*bw, 64, 64, 1, nullptr, 0);
    qlytest::makeSmooth(colour, 64, 64);
    const std::string name = out("damaged.pdf");
    TPDFCanvas pdf;
    pdf.usetempfileforimages = true;
    ASSERT_TRUE(pdf.BeginDoc(name));
    pdf.DrawDIB(0, 0, 100, 100, *bw, 0, 0, 64, 64);
    pdf.DrawDIB(0, 0, 100, 100, *colour, 0, 0, 64, 64);
    pdf.DrawDIB(0, 0, 100, 100, *bw, 0, 0, 64, 64);
    // Image 0: cut short. Image 2: replaced by a colour picture, no longer bilevel.
    std::filesystem::resize_file(parked(0), 20);
    ASSERT_EQ(SaveDib(*colour, parked(2), DIB_BMP), 1);
    pdf.EndDoc();
    EXPECT_EQ(pdf.placeholders(), 2);
    const ParsedPdf p = parseAndCheck(name);
    ASSERT_EQ(p.size, 11);
    EXPECT_EQ(p.object(8), "8 0 obj\n" + kPlaceholder);
    EXPECT_NE(p.object(9).find("/DCTDecode"), std::string::npos);
    EXPECT_EQ(p.object(10), "10 0 obj\n" + kPlaceholder);
}

TEST_F(PdfFailures, PixelCopyWithoutMemoryIsReportedAndEmbeddedAsPlaceholder) {
    OwnedDib big;
    qlytest::makeSmooth(big, 1000, 1000); // a 3 MB copy
    const std::string name = out("nomem.pdf");
    TPDFCanvas pdf;
    ASSERT_TRUE(pdf.BeginDoc(name));
    gRefuseFrom = 1000000;
    qly::setHeapAllocator(&kPicky);
    pdf.DrawDIB(0, 0, 100, 100, *big, 0, 0, 1000, 1000);
    qly::setHeapAllocator(nullptr);
    ASSERT_EQ(sink_.texts.size(), 1u);
    EXPECT_EQ(sink_.texts[0], "Fehler: nicht genug Speicher für diese Operation!");
    EXPECT_EQ(sink_.icons[0], qly::MessageIcon::Error);
    EXPECT_EQ(pdf.imageCount(), 1);
    pdf.EndDoc();
    EXPECT_EQ(pdf.placeholders(), 1);
    const ParsedPdf p = parseAndCheck(name);
    EXPECT_EQ(p.object(8), "8 0 obj\n" + kPlaceholder);
}

TEST_F(PdfFailures, PictureThatCannotBeParkedIsKeptInMemoryInstead) {
    OwnedDib pic;
    qlytest::makeSmooth(pic, 64, 48);
    const std::string name = out("unparked.pdf");
    TPDFCanvas pdf;
    pdf.usetempfileforimages = true;
    ASSERT_TRUE(pdf.BeginDoc(name));
    {
        FileSizeCap cap(1000); // the BMP (9 kB) cannot be written
        pdf.DrawDIB(0, 0, 100, 100, *pic, 0, 0, 64, 48);
    }
    EXPECT_TRUE(tempFiles().empty());
    pdf.EndDoc();
    EXPECT_EQ(pdf.placeholders(), 0);
    const ParsedPdf p = parseAndCheck(name);
    EXPECT_NE(p.object(8).find("/Width 64 /Height 48"), std::string::npos);
}

TEST_F(PdfFailures, WriteErrorInNewPageRemovesTheFileAndTheParkedImages) {
    OwnedDib pic;
    newdib(*pic, 16, 16, 1, nullptr, 0);
    const std::string name = out("full.pdf");
    TPDFCanvas pdf;
    pdf.usetempfileforimages = true;
    ASSERT_TRUE(pdf.BeginDoc(name));
    bool thrown = false;
    {
        FileSizeCap cap(2000); // enough for the small parked files, not for 40 pages
        try {
            for (int i = 0; i < 40; ++i) {
                pdf.DrawDIB(0, 0, 100, 100, *pic, 0, 0, 16, 16);
                pdf.NewPage();
            }
        } catch (const qly::IoError& e) {
            thrown = true;
            EXPECT_EQ(e.file(), name);
            EXPECT_GT(e.offset(), 1000);
            EXPECT_LE(e.offset(), 2000);
            EXPECT_NE(e.reason().find("too large"), std::string::npos) << e.reason();
        }
    }
    ASSERT_TRUE(thrown);
    EXPECT_FALSE(pdf.isOpen());
    EXPECT_FALSE(std::filesystem::exists(name));
    EXPECT_TRUE(tempFiles().empty());
    // Idle now, and fit for the next document.
    pdf.NewPage();
    pdf.DrawDIB(0, 0, 100, 100, *pic, 0, 0, 16, 16);
    ASSERT_TRUE(pdf.BeginDoc(name));
    pdf.DrawDIB(0, 0, 100, 100, *pic, 0, 0, 16, 16);
    pdf.EndDoc();
    const ParsedPdf p = parseAndCheck(name);
    EXPECT_EQ(p.size, 9);
}

TEST_F(PdfFailures, WriteErrorInEndDocRemovesTheFileAndAllTemporaryFiles) {
    OwnedDib pic;
    qlytest::makeSmooth(pic, 32, 32);
    const std::string name = out("enddoc.pdf");
    TPDFCanvas pdf;
    pdf.usetempfileforimages = true;
    ASSERT_TRUE(pdf.BeginDoc(name));
    pdf.DrawDIB(0, 0, 100, 100, *pic, 0, 0, 32, 32);
    writeNoise(pdf, 60000);
    {
        FileSizeCap cap(20000);
        EXPECT_THROW(pdf.EndDoc(), qly::IoError);
    }
    EXPECT_FALSE(pdf.isOpen());
    EXPECT_FALSE(std::filesystem::exists(name));
    EXPECT_TRUE(tempFiles().empty());
    EXPECT_NO_THROW(pdf.EndDoc()); // idle: nothing happens
}

TEST_F(PdfFailures, DestroyingAWriterWhoseFileCannotBeFinishedLeavesNothingBehind) {
    OwnedDib pic;
    qlytest::makeSmooth(pic, 32, 32);
    const std::string name = out("destroy.pdf");
    {
        FileSizeCap cap(20000); // lives until after the writer is gone
        TPDFCanvas pdf;
        pdf.usetempfileforimages = true;
        ASSERT_TRUE(pdf.BeginDoc(name));
        pdf.DrawDIB(0, 0, 100, 100, *pic, 0, 0, 32, 32);
        writeNoise(pdf, 60000);
        // The destructor finishes the document; the failure cannot leave it.
    }
    EXPECT_FALSE(std::filesystem::exists(name));
    EXPECT_TRUE(tempFiles().empty());
}

// Every way a target can stand in its folder: the file is replaced only once the new one is
// complete, and a write that fails leaves it exactly as it was.
TEST_F(PdfFailures, AnEarlierFileStaysUntilTheNewOneIsCompleteAndAfterAFailedWrite) {
    enum class Target { New, Existing, SymbolicLink, HardLinked };
    OwnedDib pic; // noise: some 60 kB however it is coded
    qlytest::makePattern(pic, 320, 320, 24);
    for (const bool fails : {false, true}) {
        for (const Target kind :
             {Target::New, Target::Existing, Target::SymbolicLink, Target::HardLinked}) {
            SCOPED_TRACE(testing::Message() << "kind " << int(kind) << (fails ? " failing" : ""));
            std::filesystem::remove_all(dir_.path());
            std::filesystem::create_directories(dir_.path());
            const std::string real = out("real.pdf");
            const std::string other = out("other.pdf");
            const std::string earlier = "%PDF-1.4 an earlier file\n";
            if (kind != Target::New) {
                std::ofstream(real) << earlier;
                ::chmod(real.c_str(), 0640);
            }
            std::string name = real;
            if (kind == Target::SymbolicLink) {
                name = out("link.pdf");
                ASSERT_EQ(::symlink("real.pdf", name.c_str()), 0);
            } else if (kind == Target::HardLinked) {
                ASSERT_EQ(::link(real.c_str(), other.c_str()), 0);
            }
            const auto entries = [&] {
                std::vector<std::string> names;
                for (const auto& e : std::filesystem::directory_iterator(dir_.path())) {
                    names.push_back(e.path().filename().string());
                }
                std::sort(names.begin(), names.end());
                return names;
            };
            std::vector<std::string> before = entries();
            {
                TPDFCanvas pdf;
                ASSERT_TRUE(pdf.BeginDoc(name));
                pdf.DrawDIB(0, 0, 100, 100, *pic, 0, 0, 320, 320);
                pdf.NewPage();
                // Half written: the target is what it was.
                EXPECT_EQ(std::filesystem::exists(real), kind != Target::New);
                if (kind != Target::New) {
                    EXPECT_TRUE(pdftest::readFile(real) == earlier);
                }
                if (fails) {
                    FileSizeCap cap(20000);
                    EXPECT_THROW(pdf.EndDoc(), qly::IoError);
                } else {
                    pdf.EndDoc();
                }
            }
            if (!fails && kind == Target::New) {
                before.push_back("real.pdf");
            }
            EXPECT_EQ(entries(), before) << "no temporary file is left";
            if (fails) {
                EXPECT_EQ(std::filesystem::exists(real), kind != Target::New);
                if (kind != Target::New) {
                    EXPECT_TRUE(pdftest::readFile(real) == earlier);
                }
                continue;
            }
            parseAndCheck(real);
            struct stat st {};
            ASSERT_EQ(::lstat(real.c_str(), &st), 0);
            if (kind != Target::New) {
                EXPECT_EQ(st.st_mode & 0777, 0640u);
            }
            EXPECT_EQ(st.st_nlink, kind == Target::HardLinked ? 2u : 1u);
            if (kind == Target::SymbolicLink) {
                EXPECT_TRUE(std::filesystem::is_symlink(name));
            }
            if (kind == Target::HardLinked) {
                EXPECT_TRUE(pdftest::readFile(other) == pdftest::readFile(real));
            }
        }
    }
}

TEST_F(PdfFailures, FullDeviceRaisesFromBeginDocAndIsNeverRemoved) {
    ASSERT_TRUE(std::filesystem::exists("/dev/full"));
    TPDFCanvas pdf;
    try {
        pdf.BeginDoc("/dev/full");
        ADD_FAILURE() << "no error raised";
    } catch (const qly::IoError& e) {
        EXPECT_EQ(e.file(), "/dev/full");
        EXPECT_EQ(e.offset(), 0);
    }
    EXPECT_FALSE(pdf.isOpen());
    struct stat st {};
    ASSERT_EQ(::stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST_F(PdfFailures, OutputsWithoutFilePositionAreWrittenConsistentlyWithoutAMessage) {
    // A named pipe and a character device keep no position: the bytes written are the
    // positions of the objects and the table, and nothing needs telling the user.
    const std::string fifo = out("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& output : {fifo, std::string("/dev/null")}) {
        SCOPED_TRACE(output);
        std::string received;
        std::thread reader;
        if (output == fifo) {
            reader = std::thread([&] {
                const int fd = ::open(fifo.c_str(), O_RDONLY);
                char buf[4096];
                ssize_t n = 0;
                while ((n = ::read(fd, buf, sizeof buf)) > 0) {
                    received.append(buf, size_t(n));
                }
                ::close(fd);
            });
        }
        OwnedDib pic;
        qlytest::makeSmooth(pic, 20, 20);
        {
            TPDFCanvas pdf;
            const bool opened = pdf.BeginDoc(output);
            EXPECT_TRUE(opened);
            if (opened) {
                pdf.DrawDIB(0, 0, 595, 841, *pic, 0, 0, 20, 20);
                pdf.EndDoc();
            }
            EXPECT_EQ(pdf.placeholders(), 0);
        }
        if (reader.joinable()) {
            reader.join();
            const std::string copy = out("fromPipe.pdf");
            pdftest::writeFile(copy, received);
            const ParsedPdf p = parseAndCheck(copy);
            EXPECT_EQ(p.size, 9);
        }
        EXPECT_TRUE(sink_.texts.empty()) << sink_.texts.front();
    }
    // Neither is removed or replaced.
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    struct stat st {};
    ASSERT_EQ(::stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST_F(PdfFailures, ContentWithoutMemoryRaisesAndRemovesTheFile) {
    const std::string name = out("content.pdf");
    TPDFCanvas pdf;
    ASSERT_TRUE(pdf.BeginDoc(name));
    gRefuseExactly = 200000; // the second step of the content buffer
    qly::setHeapAllocator(&kPicky);
    EXPECT_THROW(writeNoise(pdf, 150000), qly::IoError);
    qly::setHeapAllocator(nullptr);
    EXPECT_FALSE(pdf.isOpen());
    EXPECT_FALSE(std::filesystem::exists(name));
}

TEST_F(PdfFailures, RedrawingANumberThatNamesNoImageOfThisDocumentDrawsNothing) {
    OwnedDib pic;
    qlytest::makeSmooth(pic, 8, 8);
    const std::string name = out("nr.pdf");
    TPDFCanvas pdf;
    ASSERT_TRUE(pdf.BeginDoc(out("first.pdf")));
    pdf.DrawDIB(0, 0, 10, 10, *pic, 0, 0, 8, 8); // image 0, in the first file only
    pdf.EndDoc();
    ASSERT_TRUE(pdf.BeginDoc(name));
    pdf.DrawDIB(0, 0, 10, 10, *pic, 0, 0, 8, 8); // image 1
    for (int nr : {-1, 0, 2, 1000, INT32_MIN, INT32_MAX}) {
        pdf.DrawDIBOfImageNr(0, 0, 20, 20, nr, 0, 0, 8, 8);
    }
    pdf.DrawDIBOfImageNr(0, 0, 20, 20, 1, 0, 0, 8, 8);
    pdf.EndDoc();
    const ParsedPdf p = parseAndCheck(name);
    EXPECT_EQ(pdftest::inflate(p.streamData(2)),
              "q\n9 0 0 9 0 832 cm\n/Im1 Do\nQ\nq\n19 0 0 19 0 822 cm\n/Im1 Do\nQ\n");
}

TEST_F(PdfFailures, JbigTwoImageThatCannotBeCodedKeepsBothReservedNumbers) {
    OwnedDib bw, colour;
    newdib(*bw, 32, 32, 1, nullptr, 0);
    qlytest::makeSmooth(colour, 16, 16);
    const std::string name = out("jbfail.pdf");
    TPDFCanvas pdf;
    pdf.usejbig2 = true;
    pdf.usetempfileforimages = true;
    ASSERT_TRUE(pdf.BeginDoc(name));
    pdf.DrawDIB(0, 0, 100, 100, *bw, 0, 0, 32, 32);
    pdf.DrawDIB(0, 0, 100, 100, *colour, 0, 0, 16, 16);
    ASSERT_TRUE(std::filesystem::remove(parked(0)));
    pdf.EndDoc();
    EXPECT_EQ(pdf.placeholders(), 1);
    const ParsedPdf p = parseAndCheck(name);
    ASSERT_EQ(p.size, 11);
    EXPECT_NE(p.object(5).find("/XObject << /Im0 8 0 R/Im1 10 0 R >>"), std::string::npos);
    EXPECT_EQ(p.object(8), "8 0 obj\n" + kPlaceholder);
    EXPECT_EQ(p.object(9), "9 0 obj\n<< /Length 0 >>\nstream\n\nendstream\nendobj\n");
    EXPECT_NE(p.object(10).find("/Width 16 /Height 16"), std::string::npos);
    pdftest::expectRendersCleanly(name, dir_.path().string());
}

} // namespace
