// qly-pdfpages: writes pictures into a PDF through the PDF writer, one A4 page per picture, the
// picture filling the page (a developer's tool for checking files and measuring the writer).
//   qly-pdfpages [-2] [-b] [-m] [-s] OUT.pdf picture...
//   -2  colour pages as JPEG 2000 instead of JPEG
//   -b  bilevel pages as JBIG2 instead of CCITT Group 4
//   -m  keep the pictures in memory until the end instead of parking them in temporary files
//   -s  one file per page: OUT0001.pdf, OUT0002.pdf, ... (OUT without its .pdf extension)
// Each picture is read, drawn and released before the next one is read.
#include "document/Dib.h"
#include "pdf/PDFWriterCanvas.h"
#include "platform/GrafikRW3.h"
#include "platform/IoError.h"
#include "platform/Random.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string numbered(const std::string& out, int n) {
    std::string base = out;
    if (base.size() > 4 && base.compare(base.size() - 4, 4, ".pdf") == 0) {
        base.resize(base.size() - 4);
    }
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04d", n);
    return base + digits + ".pdf";
}

} // namespace

int main(int argc, char** argv) {
    bool jp2 = false, jbig2 = false, memory = false, split = false;
    int i = 1;
    for (; i < argc && argv[i][0] == '-' && argv[i][1] != 0; ++i) {
        for (const char* o = argv[i] + 1; *o != 0; ++o) {
            switch (*o) {
            case '2':
                jp2 = true;
                break;
            case 'b':
                jbig2 = true;
                break;
            case 'm':
                memory = true;
                break;
            case 's':
                split = true;
                break;
            default:
                std::fprintf(stderr, "unknown option -%c\n", *o);
                return 2;
            }
        }
    }
    if (argc - i < 2) {
        std::fprintf(stderr, "usage: %s [-2] [-b] [-m] [-s] OUT.pdf picture...\n", argv[0]);
        return 2;
    }
    const std::string out = argv[i++];
    qly::Randomize();
    TPDFCanvas pdf;
    pdf.usejpeg2000 = jp2;
    pdf.usejbig2 = jbig2;
    pdf.usetempfileforimages = !memory;
    int pages = 0;
    int failures = 0;
    try {
        for (; i < argc; ++i) {
            dib d{};
            OpenDib(d, argv[i], DIB_AUTO);
            if (d.poi == nullptr) {
                std::fprintf(stderr, "%s: %s\n", argv[i], DibErrorText(d).c_str());
                ++failures;
                continue;
            }
            if (split || pages == 0) {
                const std::string name = split ? numbered(out, pages + 1) : out;
                if (!pdf.BeginDoc(name)) {
                    std::fprintf(stderr, "%s: cannot be created\n", name.c_str());
                    freedib(d);
                    return 1;
                }
            } else {
                pdf.NewPage();
            }
            pdf.DrawDIB(0, 0, pdf.PageWidth, pdf.PageHeight, d, 0, 0, dibwidth(d), dibheight(d));
            freedib(d);
            ++pages;
            if (split) {
                pdf.EndDoc();
                failures += pdf.placeholders();
            }
        }
        if (pdf.isOpen()) {
            pdf.EndDoc();
            failures += pdf.placeholders();
        }
    } catch (const qly::IoError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    if (failures > 0) {
        std::fprintf(stderr, "%d picture(s) could not be read or embedded\n", failures);
    }
    std::printf("%d page(s) written\n", pages);
    return failures == 0 && pages > 0 ? 0 : 1;
}
