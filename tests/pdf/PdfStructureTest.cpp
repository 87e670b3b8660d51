// Byte-level checks of the files the writer assembles: object order and numbers, every
// dictionary line, the cross-reference table and the trailer.
#include "pdf/PDFWriterCanvas.h"

#include "PdfTestUtil.h"
#include "platform/GrafikRW3.h"
#include "platform/Random.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

using pdftest::parseAndCheck;
using pdftest::ParsedPdf;
using qlytest::OwnedDib;

namespace {

class PdfStructure : public pdftest::PdfTest {
  protected:
    // Lines of object n after its "n 0 obj" line, up to and including "endobj".
    static std::vector<std::string> lines(const std::string& obj) {
        std::vector<std::string> out;
        size_t pos = obj.find('\n') + 1;
        while (pos < obj.size()) {
            const size_t eol = obj.find('\n', pos);
            out.push_back(obj.substr(pos, eol - pos));
            pos = eol == std::string::npos ? obj.size() : eol + 1;
        }
        return out;
    }
    static std::vector<std::string> L(std::initializer_list<const char*> l) {
        return std::vector<std::string>(l.begin(), l.end());
    }
};

TEST_F(PdfStructure, OnePageJpegDocumentFollowsTheListingLineByLine) {
    OwnedDib pic;
    qlytest::makeSmooth(pic, 64, 48);
    const std::string name = out("one.pdf");
    {
        TPDFCanvas pdf;
        ASSERT_TRUE(pdf.BeginDoc(name));
        pdf.DrawDIB(0, 0, 595, 841, *pic, 0, 0, 64, 48);
        pdf.EndDoc();
    }
    const ParsedPdf p = parseAndCheck(name);
    const std::string& b = p.bytes;
    EXPECT_EQ(b.substr(0, 9), "%PDF-1.3\n");
    ASSERT_EQ(p.size, 9);
    EXPECT_EQ(p.offsets[1], 9);
    EXPECT_EQ(p.object(1), "1 0 obj\n[/PDF /Text /ImageB /ImageC /ImageI]\nendobj\n");
    EXPECT_EQ(p.object(2).substr(0, 56),
              "2 0 obj\n<< /Length 3 0 R /Filter /FlateDecode >>\nstream\n");
    // The length object counts the compressed bytes and the line feed before "endstream".
    const std::string content = p.streamData(2);
    const std::string obj2 = p.object(2);
    ASSERT_GT(content.size(), 8u);
    EXPECT_EQ(content.back(), '\n');
    EXPECT_EQ(obj2.substr(56 + content.size()), "endstream\nendobj\n");
    EXPECT_EQ(p.object(3), "3 0 obj\n" + std::to_string(content.size()) + "\nendobj\n");
    EXPECT_EQ(pdftest::inflate(content), "q\n594 0 0 840 0 1 cm\n/Im0 Do\nQ\n");
    EXPECT_EQ(lines(p.object(4)),
              L({"<<", "/Type /Pages", "/Count 1", "/Kids [5 0 R]", ">>", "endobj"}));
    EXPECT_EQ(lines(p.object(5)),
              L({"<<", "/Type /Page", "/Parent 4 0 R", "/Resources <</XObject << /Im0 8 0 R >>",
                 "/Font << >> /ProcSet 1 0 R", ">>", "/MediaBox [0 0 594 840]", "/Contents 2 0 R",
                 ">>", "endobj"}));
    EXPECT_EQ(lines(p.object(6)),
              L({"<<", "/Type /Catalog", "/Pages 4 0 R", "/Outlines 7 0 R", ">>", "endobj"}));
    EXPECT_EQ(lines(p.object(7)), L({"<<", "/Type /Outlines", "/Count 0", ">>", "endobj"}));
    // The image: one dictionary line, the JPEG bytes directly followed by "endstream".
    const std::string img = p.object(8);
    const std::string jpeg = p.streamData(8);
    const std::string dict = "8 0 obj\n<< /Type /XObject /Subtype /Image /Width 64 /Height 48 "
                             "/BitsPerComponent 8 /ColorSpace /DeviceRGB /Length " +
                             std::to_string(jpeg.size()) + " /Filter /DCTDecode >>\nstream\n";
    EXPECT_EQ(img.substr(0, dict.size()), dict);
    EXPECT_EQ(img.substr(dict.size() + jpeg.size()), "endstream\nendobj\n");
    EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(jpeg.substr(jpeg.size() - 2), "\xFF\xD9");
    // Table and trailer.
    const size_t x = static_cast<size_t>(p.startxref);
    EXPECT_EQ(b.substr(x, 32), "xref\n0 9\n0000000000 65535 f \n000");
    EXPECT_EQ(b.substr(x + 9 + 20, 20), "0000000009 00000 n \n");
    const size_t t = x + 9 + 9 * 20;
    const std::string trailer = b.substr(t);
    ASSERT_EQ(trailer.substr(0, 34), "trailer\n<<\n/Size 9\n/Root 6 0 R\n/ID");
    const std::string tail = "> ]\n>>\nstartxref\n" + std::to_string(x) + "\n%%EOF";
    EXPECT_EQ(trailer.substr(trailer.size() - tail.size()), tail);
    EXPECT_EQ(trailer.size(), 34 + 4 + 34 + 2 + 34 + tail.size());
}

// One-page documents compared byte for byte with reference files written by an earlier version
// of the writer (same seed for the identifiers). Only bilevel pictures are used, whose coding
// does not depend on the JPEG library's version: black and white with black as colour 0, or
// with white as colour 0 (the white-first files were written before pictures of other pairs of
// colours kept them, and pin that black-and-white pages did not change).
TEST_F(PdfStructure, OnePageDocumentsMatchTheirReferenceFilesByteForByte) {
    struct Case {
        const char* file;
        bool jbig2;
        bool parked;
        bool pdfa;
        bool whiteFirst;
    };
    const Case cases[] = {
        {"one-page-jbig2.pdf", true, true, false, false},
        {"one-page-ccitt-pdfa.pdf", false, false, true, false},
        {"one-page-jbig2-white-first-pdfa.pdf", true, false, true, true},
        {"one-page-ccitt-white-first.pdf", false, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        qly::RandSeed(1234);
        OwnedDib a, b;
        qlytest::makePattern(a, 37, 23, 1, 5);
        qlytest::makePattern(b, 16, 40, 1, 6);
        if (c.whiteFirst) {
            for (OwnedDib* d : {&a, &b}) {
                std::swap((*d)->pmi->bmiColors[0], (*d)->pmi->bmiColors[1]);
                std::swap((*d)->pal.rgb0[0], (*d)->pal.rgb0[1]);
            }
        }
        const std::string name = out(c.file);
        {
            TPDFCanvas pdf;
            pdf.usejbig2 = c.jbig2;
            pdf.usetempfileforimages = c.parked;
            pdf.ispdfa = c.pdfa;
            ASSERT_TRUE(pdf.BeginDoc(name));
            pdf.DrawDIB(10, 20, 300, 200, *a, 0, 0, 37, 23);
            pdf.writeln(u"0 0 m 10 10 l S");
            pdf.DrawDIB(10, 300, 100, 250, *b, 0, 0, 16, 40);
            pdf.DrawDIBOfImageNr(320, 20, 100, 60, 0, 0, 0, 37, 23);
            pdf.EndDoc();
        }
        parseAndCheck(name);
        const std::string reference =
            pdftest::readFile(std::string(QLY_PDF_REFERENCE_DIR "/") + c.file);
        ASSERT_FALSE(reference.empty());
        EXPECT_TRUE(pdftest::readFile(name) == reference);
    }
}

TEST_F(PdfStructure, FileIdentifierIsTwoEqual34DigitStringsDrawnFromTheSeededGenerator) {
    auto idOf = [&](uint32_t seed, const std::string& file) {
        qly::RandSeed(seed);
        TPDFCanvas pdf;
        EXPECT_TRUE(pdf.BeginDoc(file));
        pdf.EndDoc();
        const std::string b = pdftest::readFile(file);
        const size_t i = b.find("/ID [ <");
        EXPECT_NE(i, std::string::npos);
        EXPECT_EQ(b.substr(i + 7 + 34, 2), "><");
        EXPECT_EQ(b.substr(i + 7, 34), b.substr(i + 7 + 36, 34));
        EXPECT_EQ(b.substr(i + 7 + 70, 4), "> ]\n");
        const std::string id = b.substr(i + 7, 34);
        EXPECT_EQ(id.find_first_not_of("0123456789ABCDEF"), std::string::npos) << id;
        return id;
    };
    const std::string a = idOf(7, out("a.pdf"));
    EXPECT_EQ(idOf(7, out("b.pdf")), a);
    EXPECT_NE(idOf(8, out("c.pdf")), a);
    // The generator is shared: two documents in a row get different identifiers.
    qly::RandSeed(7);
    TPDFCanvas pdf;
    ASSERT_TRUE(pdf.BeginDoc(out("d.pdf")));
    pdf.EndDoc();
    ASSERT_TRUE(pdf.BeginDoc(out("e.pdf")));
    pdf.EndDoc();
    EXPECT_EQ(pdftest::readFile(out("d.pdf")), pdftest::readFile(out("a.pdf")));
    EXPECT_NE(pdftest::readFile(out("e.pdf")), pdftest::readFile(out("a.pdf")));
}

TEST_F(PdfStructure, DocumentWithoutDrawingHasOneEmptyPage) {
    const std::string name = out("empty.pdf");
    TPDFCanvas pdf;
    ASSERT_TRUE(pdf.BeginDoc(name));
    EXPECT_TRUE(pdf.isOpen());
    pdf.EndDoc();
    EXPECT_FALSE(pdf.isOpen());
    const ParsedPdf p = parseAndCheck(name);
    ASSERT_EQ(p.size, 8);
    EXPECT_EQ(pdftest::inflate(p.streamData(2)), "");
    EXPECT_EQ(lines(p.object(4)),
              L({"<<", "/Type /Pages", "/Count 1", "/Kids [5 0 R]", ">>", "endobj"}));
    EXPECT_EQ(lines(p.object(5)),
              L({"<<", "/Type /Page", "/Parent 4 0 R", "/Resources <</XObject <<  >>",
                 "/Font << >> /ProcSet 1 0 R", ">>", "/MediaBox [0 0 594 840]", "/Contents 2 0 R",
                 ">>", "endobj"}));
    EXPECT_NE(p.object(6).find("/Type /Catalog"), std::string::npos);
    EXPECT_NE(p.object(7).find("/Type /Outlines"), std::string::npos);
}

TEST_F(PdfStructure, DocumentWithoutDrawingIsByteForByteTheSameEveryTime) {
    // The whole file for the generator's seed 1234; a writer that wrote text into an earlier
    // document writes it the same, as fonts and drawing state belong to their document.
    const std::string golden =
        std::string("%PDF-1.3\n1 0 obj\n[/PDF /Text /ImageB /ImageC /ImageI]\nendobj\n2 0 obj\n"
                    "<< /Length 3 0 R /Filter /FlateDecode >>\nstream\n"
                    "x\x9C\x03\x00\x00\x00\x00\x01\n",
                    126) +
        "endstream\nendobj\n3 0 obj\n9\nendobj\n4 0 obj\n<<\n/Type /Pages\n/Count 1\n"
        "/Kids [5 0 R]\n>>\nendobj\n5 0 obj\n<<\n/Type /Page\n/Parent 4 0 R\n"
        "/Resources <</XObject <<  >>\n/Font << >> /ProcSet 1 0 R\n>>\n/MediaBox [0 0 594 840]\n"
        "/Contents 2 0 R\n>>\nendobj\n6 0 obj\n<<\n/Type /Catalog\n/Pages 4 0 R\n"
        "/Outlines 7 0 R\n>>\nendobj\n7 0 obj\n<<\n/Type /Outlines\n/Count 0\n>>\nendobj\n"
        "xref\n0 8\n0000000000 65535 f \n0000000009 00000 n \n0000000061 00000 n \n"
        "0000000143 00000 n \n0000000160 00000 n \n0000000217 00000 n \n0000000363 00000 n \n"
        "0000000428 00000 n \ntrailer\n<<\n/Size 8\n/Root 6 0 R\n"
        "/ID [ <317F9FD1709CC9C5C7DC45264632CDD0F5><317F9FD1709CC9C5C7DC45264632CDD0F5> ]\n"
        ">>\nstartxref\n474\n%%EOF";
    TPDFCanvas pdf;
    ASSERT_TRUE(pdf.BeginDoc(out("first.pdf")));
    pdf.EndDoc();
    EXPECT_EQ(pdftest::readFile(out("first.pdf")), golden);
    ASSERT_TRUE(pdf.BeginDoc(out("text.pdf")));
    pdf.brush.Style = bsSolid;
    pdf.FillRect(0, 0, 10, 10);
    pdf.LineTo(10, 10);
    pdf.TextOut(0, 0, u"Text");
    pdf.EndDoc();
    qly::RandSeed(1234);
    ASSERT_TRUE(pdf.BeginDoc(out("again.pdf")));
    pdf.EndDoc();
    EXPECT_EQ(pdftest::readFile(out("again.pdf")), golden);
}

TEST_F(PdfStructure, TwoPagesGetKidsListAndEachTheSizeCurrentWhenItWasFinished) {
    OwnedDib pic;
    qlytest::makeSmooth(pic, 16, 16);
    const std::string name = out("two.pdf");
    TPDFCanvas pdf;
    ASSERT_TRUE(pdf.BeginDoc(name));
    pdf.DrawDIB(10, 20, 100, 50, *pic, 0, 0, 16, 16);
    pdf.PageWidth = 300; // changed after drawing: the box changes, the drawing does not
    pdf.PageHeight = 400;
    pdf.NewPage();
    pdf.PageWidth = 842;
    pdf.PageHeight = 595;
    pdf.DrawDIB(0, 0, 842, 595, *pic, 0, 0, 16, 16);
    pdf.EndDoc();
    const ParsedPdf p = parseAndCheck(name);
    // 0 free, 1 procsets, 2-5 contents and lengths, 6 pages, 7-8 page objects, 9 catalog,
    // 10 outlines, 11-12 images.
    ASSERT_EQ(p.size, 13);
    EXPECT_EQ(lines(p.object(6)),
              L({"<<", "/Type /Pages", "/Count 2", "/Kids [7 0 R 8 0 R]", ">>", "endobj"}));
    EXPECT_EQ(lines(p.object(7)),
              L({"<<", "/Type /Page", "/Parent 6 0 R", "/Resources <</XObject << /Im0 11 0 R >>",
                 "/Font << >> /ProcSet 1 0 R", ">>", "/MediaBox [0 0 299 399]", "/Contents 2 0 R",
                 ">>", "endobj"}));
    EXPECT_EQ(lines(p.object(8)),
              L({"<<", "/Type /Page", "/Parent 6 0 R", "/Resources <</XObject << /Im1 12 0 R >>",
                 "/Font << >> /ProcSet 1 0 R", ">>", "/MediaBox [0 0 841 594]", "/Contents 4 0 R",
                 ">>", "endobj"}));
    EXPECT_EQ(lines(p.object(9)),
              L({"<<", "/Type /Catalog", "/Pages 6 0 R", "/Outlines 10 0 R", ">>", "endobj"}));
    // Page 1 was drawn with height 841: 841 - 20 - 49 = 772.
    EXPECT_EQ(pdftest::inflate(p.streamData(2)), "q\n99 0 0 49 10 772 cm\n/Im0 Do\nQ\n");
    EXPECT_EQ(pdftest::inflate(p.streamData(4)), "q\n841 0 0 594 0 1 cm\n/Im1 Do\nQ\n");
    EXPECT_EQ(p.streamData(2).back(), '\n');
    EXPECT_EQ(p.streamData(4).back(), '\n');
    EXPECT_NE(p.object(11).find("/Width 16 /Height 16"), std::string::npos);
}

TEST_F(PdfStructure, ManyPagesKeepNumberingAcrossTableGrowth) {
    // 130 pages: the object and page tables grow past their first blocks of 100 records.
    OwnedDib pic;
    qlytest::makeSmooth(pic, 8, 8);
    const std::string name = out("many.pdf");
    const int n = 130;
    TPDFCanvas pdf;
    ASSERT_TRUE(pdf.BeginDoc(name));
    for (int i = 0; i < n; ++i) {
        if (i > 0) {
            pdf.NewPage();
        }
        pdf.PageWidth = 100 + i;
        pdf.DrawDIB(0, 0, 50, 50, *pic, 0, 0, 8, 8);
    }
    pdf.EndDoc();
    const ParsedPdf p = parseAndCheck(name);
    ASSERT_EQ(p.size, 4 * n + 5);
    const std::string tree = p.object(2 * n + 2);
    EXPECT_NE(tree.find("/Count 130\n"), std::string::npos);
    EXPECT_NE(tree.find("/Kids [263 0 R 264 0 R "), std::string::npos);
    EXPECT_NE(tree.find(" 391 0 R 392 0 R]\n"), std::string::npos);
    const std::string last = p.object(3 * n + 2);
    EXPECT_NE(last.find("/MediaBox [0 0 228 840]"), std::string::npos);
    EXPECT_NE(last.find("/Contents 260 0 R"), std::string::npos);
    EXPECT_NE(p.object(2 * n + 3).find("/XObject << /Im0 395 0 R >>\n"), std::string::npos);
    EXPECT_NE(last.find("/XObject << /Im129 524 0 R >>\n"), std::string::npos);
    EXPECT_NE(p.object(3 * n + 3).find("/Type /Catalog"), std::string::npos);
    EXPECT_NE(p.object(4 * n + 4).find("/Subtype /Image"), std::string::npos);
}

TEST_F(PdfStructure, EachPageListsTheImagesItDrawsOnceInTheOrderOfTheirNumbers) {
    OwnedDib a, b;
    qlytest::makeSmooth(a, 8, 8);
    qlytest::makeSmooth(b, 6, 4);
    const std::string name = out("pages.pdf");
    TPDFCanvas pdf;
    ASSERT_TRUE(pdf.BeginDoc(name));
    pdf.DrawDIB(0, 0, 50, 50, *a, 0, 0, 8, 8); // image 0
    pdf.DrawDIBOfImageNr(60, 0, 50, 50, 0, 0, 0, 8, 8);
    pdf.NewPage();
    pdf.NewPage();
    pdf.DrawDIB(0, 0, 50, 50, *b, 0, 0, 6, 4); // image 1
    pdf.DrawDIBOfImageNr(60, 0, 50, 50, 0, 0, 0, 8, 8);
    pdf.NewPage();
    pdf.DrawDIBOfImageNr(0, 0, 50, 50, 1, 0, 0, 6, 4);
    pdf.EndDoc();
    const ParsedPdf p = parseAndCheck(name);
    // 4 pages: contents 2-9, tree 10, pages 11-14, catalog 15, outlines 16, images 17-18.
    ASSERT_EQ(p.size, 19);
    const char* expected[] = {"/Im0 17 0 R", "", "/Im0 17 0 R/Im1 18 0 R", "/Im1 18 0 R"};
    for (int page = 0; page < 4; ++page) {
        EXPECT_EQ(lines(p.object(11 + page))[3],
                  std::string("/Resources <</XObject << ") + expected[page] + " >>")
            << "page " << page + 1;
    }
    const auto list = pdftest::pdfimagesList(name);
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[2].page, 3);
    EXPECT_EQ(list[3].page, 3);
    EXPECT_EQ(list[4].page, 4);
    EXPECT_EQ(list[4].object, 18);
    pdftest::expectRendersCleanly(name, dir_.path().string());
}

TEST_F(PdfStructure, FileSizeGrowsLinearlyWithThePageCount) {
    // One-pixel pages: the file is nearly all page objects, so a page that listed every image
    // of the document would make the size grow with the square of the page count.
    OwnedDib pixel;
    qlytest::makeSmooth(pixel, 1, 1);
    auto sizeFor = [&](int pages) {
        const std::string name = out("pages" + std::to_string(pages) + ".pdf");
        TPDFCanvas pdf;
        EXPECT_TRUE(pdf.BeginDoc(name));
        for (int i = 0; i < pages; ++i) {
            if (i > 0) {
                pdf.NewPage();
            }
            pdf.DrawDIB(0, 0, 10, 10, *pixel, 0, 0, 1, 1);
        }
        pdf.EndDoc();
        return double(std::filesystem::file_size(name));
    };
    const double half = sizeFor(500);
    const double full = sizeFor(1000);
    EXPECT_GT(full / half, 1.9);
    EXPECT_LT(full / half, 2.1);
    EXPECT_LT(full, 1000 * 1000.0); // under 1 kB a page
    parseAndCheck(out("pages1000.pdf"));
}

TEST_F(PdfStructure, Jpeg2000ChoiceRaisesTheHeaderVersion) {
    const std::string name = out("v15.pdf");
    TPDFCanvas pdf;
    pdf.usejpeg2000 = true;
    ASSERT_TRUE(pdf.BeginDoc(name));
    pdf.EndDoc();
    EXPECT_EQ(pdftest::readFile(name).substr(0, 9), "%PDF-1.5\n");
    parseAndCheck(name);
}

TEST_F(PdfStructure, PdfaMetadataStreamPrecedesPageTreeAndNamesThePacket) {
    OwnedDib pic;
    qlytest::makeSmooth(pic, 16, 16);
    const std::string name = out("pdfa.pdf");
    TPDFCanvas pdf;
    pdf.ispdfa = true;
    ASSERT_TRUE(pdf.BeginDoc(name));
    pdf.DrawDIB(0, 0, 100, 100, *pic, 0, 0, 16, 16);
    pdf.EndDoc();
    // The packet's carriage returns are stream data; the general checks hold.
    const ParsedPdf p = parseAndCheck(name);
    const size_t meta = p.bytes.find("4 0 obj\n<</Type /Metadata\n/Subtype /XML /Length ");
    ASSERT_NE(meta, std::string::npos);
    const size_t lenAt =
        meta + std::string("4 0 obj\n<</Type /Metadata\n/Subtype /XML /Length ").size();
    const long len = std::strtol(p.bytes.c_str() + lenAt, nullptr, 10);
    const size_t data = p.bytes.find(">>\nstream\n", lenAt) + 10;
    const std::string packet = p.bytes.substr(data, static_cast<size_t>(len));
    EXPECT_EQ(p.bytes.substr(data + size_t(len), 18), "\nendstream\nendobj\n");
    const std::string head = "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"";
    ASSERT_EQ(packet.substr(0, head.size()), head);
    const std::string id = packet.substr(head.size(), 25);
    EXPECT_EQ(id.find_first_not_of("abcdefghijklmnopqrstuvwxyz"), std::string::npos) << id;
    EXPECT_EQ(packet.substr(head.size() + 25),
              "\"?>\r<x:xmpmeta xmlns:x=\"adobe:ns:meta/\" x:xmptk=\"3.1-702\">\r"
              "   <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\r"
              "      <rdf:Description rdf:about=\"\"\r"
              "            xmlns:pdfaid=\"http://www.aiim.org/pdfa/ns/id/\">\r"
              "         <pdfaid:part>1</pdfaid:part>\r"
              "         <pdfaid:conformance>B</pdfaid:conformance>\r"
              "      </rdf:Description>\r"
              "   </rdf:RDF>\r"
              "</x:xmpmeta>\r"
              "<?xpacket end=\"w\"?>");
    // Everything after the metadata moves up by one.
    EXPECT_NE(p.bytes.find("5 0 obj\n<<\n/Type /Pages\n"), std::string::npos);
    EXPECT_NE(p.bytes.find("/Resources <</XObject << /Im0 9 0 R >>"), std::string::npos);
    EXPECT_NE(p.bytes.find("7 0 obj\n<<\n/Type /Catalog\n/Pages 5 0 R\n/Outlines 8 0 R\n"
                           "/Metadata 4 0 R\n>>\n"),
              std::string::npos);
    EXPECT_NE(p.bytes.find("9 0 obj\n<< /Type /XObject /Subtype /Image /Width 16 /Height 16 "
                           "/BitsPerComponent 8 /ColorSpace [ /CalRGB<< /WhitePoint [0.9505 "
                           "1.0000 1.0890]/Gamma [1.8000 1.8000 1.8000]/Matrix [ 0.4497 0.2446 "
                           "0.0252 0.3163 0.6720 0.1412 0.1845 0.0833 0.9227]>>] /Length "),
              std::string::npos);
    EXPECT_NE(p.bytes.find("/Size 10\n/Root 7 0 R\n"), std::string::npos);
    // qpdf reads the metadata back as the catalog's XMP stream.
    const auto r =
        pdftest::run("qpdf --show-object=4 --filtered-stream-data " + pdftest::quote(name));
    EXPECT_EQ(r.output, packet);
}

TEST_F(PdfStructure, TextIsWrittenInWindows1252WithLineFeedsOnly) {
    const std::string name = out("text.pdf");
    TPDFCanvas pdf;
    ASSERT_TRUE(pdf.BeginDoc(name));
    pdf.write(u"Größe ");
    pdf.writeln(u"€ – \u2122 \u0416 \U0001F600");
    pdf.writeln(u"");
    pdf.EndDoc();
    const ParsedPdf p = parseAndCheck(name);
    EXPECT_EQ(pdftest::inflate(p.streamData(2)), "Gr\xF6\xDF"
                                                 "e \x80 \x96 \x99 ? ?\n\n");
}

TEST_F(PdfStructure, ContentLargerThanOneBufferStepArrivesWhole) {
    const std::string name = out("big.pdf");
    std::string expected;
    TPDFCanvas pdf;
    ASSERT_TRUE(pdf.BeginDoc(name));
    for (int i = 0; i < 30000; ++i) { // about 330 kB: four buffer steps
        const std::string line = std::to_string(i) + " 0 m l";
        pdf.writeln(std::u16string(line.begin(), line.end()));
        expected += line + "\n";
    }
    pdf.NewPage();
    pdf.writeln(u"second");
    pdf.EndDoc();
    const ParsedPdf p = parseAndCheck(name);
    EXPECT_EQ(pdftest::inflate(p.streamData(2)), expected);
    EXPECT_EQ(pdftest::inflate(p.streamData(4)), "second\n");
}

TEST_F(PdfStructure, IdleWriterIgnoresPageAndDrawingCalls) {
    OwnedDib pic;
    qlytest::makeSmooth(pic, 8, 8);
    TPDFCanvas pdf;
    pdf.NewPage();
    pdf.EndDoc();
    pdf.writeln(u"nothing");
    pdf.DrawDIB(0, 0, 10, 10, *pic, 0, 0, 8, 8);
    pdf.DrawDIBOfImageNr(0, 0, 10, 10, 0, 0, 0, 8, 8);
    EXPECT_FALSE(pdf.isOpen());
    EXPECT_EQ(pdf.imageCount(), 0);
    EXPECT_TRUE(tempFiles().empty());
}

TEST_F(PdfStructure, BeginDocFailsForUncreatableFileAndWhileADocumentIsOpen) {
    TPDFCanvas pdf;
    EXPECT_FALSE(pdf.BeginDoc(out("no/such/folder/x.pdf")));
    EXPECT_FALSE(pdf.isOpen());
    EXPECT_FALSE(pdf.BeginDoc(""));
    const std::string name = out("ok.pdf");
    ASSERT_TRUE(pdf.BeginDoc(name));
    EXPECT_FALSE(pdf.BeginDoc(out("other.pdf")));
    EXPECT_FALSE(std::filesystem::exists(out("other.pdf")));
    pdf.EndDoc();
    parseAndCheck(name);
}

TEST_F(PdfStructure, DestroyFinishesAnOpenDocument) {
    const std::string name = out("destroy.pdf");
    {
        TPDFCanvas pdf;
        ASSERT_TRUE(pdf.BeginDoc(name));
        pdf.writeln(u"0 0 m");
    }
    const ParsedPdf p = parseAndCheck(name);
    EXPECT_EQ(pdftest::inflate(p.streamData(2)), "0 0 m\n");
}

TEST_F(PdfStructure, ExistingFileIsReplacedNotAppendedTo) {
    const std::string name = out("replace.pdf");
    pdftest::writeFile(name, std::string(100000, 'x'));
    TPDFCanvas pdf;
    ASSERT_TRUE(pdf.BeginDoc(name));
    pdf.EndDoc();
    const ParsedPdf p = parseAndCheck(name);
    EXPECT_EQ(p.bytes.find("xxxx"), std::string::npos);
    EXPECT_LT(p.bytes.size(), 2000u);
}

} // namespace
