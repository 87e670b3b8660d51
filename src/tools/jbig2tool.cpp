// qly-jbig2: the JBIG2 encoder from the command line, for looking at results and for benchmarks.
//
//   qly-jbig2 encode PICTURE GLOBALS PAGE
//       codes a 1-bit picture into the two embedded JBIG2 streams (jbig2encode)
//   qly-jbig2 pdf [--dpi N] PICTURE OUT.pdf
//       the same, wrapped as the only image of a one-page PDF; the page measures the picture at
//       N dots per inch (default: the picture's own resolution, else 72, one pixel per point)
//   qly-jbig2 bench [--runs N] PICTURE...
//       times our encoder and libtiff's CCITT Group 4 encoder on each picture, both in memory,
//       and the whole jbig2encode call on the picture saved as a BMP (reading the BMP, coding,
//       writing both files); best of N runs (default 3). Prints one tab-separated line per
//       picture plus a total.
#include "platform/GrafikRW3.h"
#include "platform/TempFolder.h"
#include "platform/jbig2/DibImage.h"
#include "platform/jbig2/Segments.h"
#include "platform/jbig2enc.h"

#include <tiffio.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

int usage() {
    std::fprintf(stderr, "usage: qly-jbig2 encode PICTURE GLOBALS PAGE\n"
                         "       qly-jbig2 pdf [--dpi N] PICTURE OUT.pdf\n"
                         "       qly-jbig2 bench [--runs N] PICTURE...\n");
    return 2;
}

struct OwnedDib {
    dib d{};
    OwnedDib() = default;
    OwnedDib(const OwnedDib&) = delete;
    OwnedDib& operator=(const OwnedDib&) = delete;
    ~OwnedDib() {
        if (d.poi != nullptr) {
            deldib(d);
        }
    }
};

bool readFile(const fs::path& name, std::vector<uint8_t>& out) {
    std::ifstream f(name, std::ios::binary);
    if (!f) {
        return false;
    }
    out.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return !f.bad();
}

// A scratch folder of its own inside the process's private temporary folder, removed when it
// goes out of scope (and with the private folder at exit in any case).
class ScratchDir {
  public:
    ScratchDir() {
        const std::string folder = qly::tempFolder();
        std::string pattern = folder + "jbig2-XXXXXX";
        if (folder.empty() || ::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("no temporary folder");
        }
        path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    fs::path file(const char* name) const { return path_ / name; }

  private:
    fs::path path_;
};

// Decimal text of a non-negative value with at most four decimals, without trailing zeros.
std::string number(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.4f", v);
    std::string s(buf);
    while (!s.empty() && s.back() == '0') {
        s.pop_back();
    }
    if (!s.empty() && s.back() == '.') {
        s.pop_back();
    }
    return s;
}

// A minimal PDF 1.4 file: one page showing one JBIG2 image with its (possibly empty) globals.
std::vector<uint8_t> onePagePdf(uint32_t width, uint32_t height, double pageWidth,
                                double pageHeight, const std::vector<uint8_t>& page,
                                const std::vector<uint8_t>& globals) {
    std::vector<uint8_t> out;
    std::vector<size_t> offsets;
    auto put = [&out](const std::string& s) { out.insert(out.end(), s.begin(), s.end()); };
    auto object = [&](const std::string& body) {
        offsets.push_back(out.size());
        put(std::to_string(offsets.size()) + " 0 obj\n" + body);
    };
    auto stream = [&](const std::string& dict, const std::vector<uint8_t>& data) {
        object(dict + "\nstream\n");
        out.insert(out.end(), data.begin(), data.end());
        put("\nendstream\nendobj\n");
    };
    const std::string w = number(pageWidth);
    const std::string h = number(pageHeight);
    const std::string content = "q " + w + " 0 0 " + h + " 0 0 cm /Im0 Do Q\n";
    put("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    object("<< /Type /Catalog /Pages 2 0 R >>\nendobj\n");
    object("<< /Type /Pages /Kids [3 0 R] /Count 1 >>\nendobj\n");
    object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + w + " " + h +
           "] /Resources << /XObject << /Im0 4 0 R >> >> /Contents 6 0 R >>\nendobj\n");
    stream("<< /Type /XObject /Subtype /Image /Width " + std::to_string(width) + " /Height " +
               std::to_string(height) +
               " /BitsPerComponent 1 /ColorSpace /DeviceGray /Filter /JBIG2Decode /DecodeParms "
               "<< /JBIG2Globals 5 0 R >> /Length " +
               std::to_string(page.size()) + " >>",
           page);
    stream("<< /Length " + std::to_string(globals.size()) + " >>", globals);
    stream("<< /Length " + std::to_string(content.size()) + " >>",
           std::vector<uint8_t>(content.begin(), content.end()));
    const size_t xref = out.size();
    put("xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n");
    for (const size_t o : offsets) {
        char line[32];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", o);
        put(line);
    }
    put("trailer\n<< /Size " + std::to_string(offsets.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
        std::to_string(xref) + "\n%%EOF\n");
    return out;
}

int commandEncode(int argc, char** argv) {
    if (argc != 5) {
        return usage();
    }
    if (!jbig2encode(argv[2], argv[3], argv[4])) {
        std::fprintf(stderr, "%s: %s\n", argv[2], jbig2LastError().c_str());
        return 1;
    }
    std::error_code ec;
    std::printf("%s: globals %ju bytes, page %ju bytes\n", argv[2],
                static_cast<uintmax_t>(fs::file_size(argv[3], ec)),
                static_cast<uintmax_t>(fs::file_size(argv[4], ec)));
    return 0;
}

int commandPdf(int argc, char** argv) {
    double dpi = 0;
    int i = 2;
    if (i + 1 < argc && std::strcmp(argv[i], "--dpi") == 0) {
        dpi = std::atof(argv[i + 1]);
        i += 2;
        if (dpi <= 0) {
            return usage();
        }
    }
    if (argc - i != 2) {
        return usage();
    }
    const char* picture = argv[i];
    const char* pdfName = argv[i + 1];
    OwnedDib pic;
    OpenDib(pic.d, picture, DIB_AUTO);
    if (pic.d.poi == nullptr) {
        std::fprintf(stderr, "%s: %s\n", picture, DibErrorText(pic.d).c_str());
        return 1;
    }
    const uint32_t width = static_cast<uint32_t>(pic.d.pmi->bmiHeader.biWidth);
    const uint32_t height = static_cast<uint32_t>(pic.d.pmi->bmiHeader.biHeight);
    if (dpi == 0) {
        const uint32_t ppm = qly::jbig2::dibXResolution(pic.d);
        dpi = ppm > 0 ? std::max(1.0, std::round(ppm * 0.0254)) : 72.0;
    }
    // The encoder reads a BMP, as the PDF writer hands it one.
    ScratchDir scratch;
    const fs::path bmp = scratch.file("in.bmp");
    const fs::path globalsName = scratch.file("globals.jb2");
    const fs::path pageName = scratch.file("page.jb2");
    if (SaveDib(pic.d, bmp.string(), DIB_BMP) != 1) {
        std::fprintf(stderr, "%s: %s\n", picture, DibLastError().c_str());
        return 1;
    }
    if (!jbig2encode(bmp.string(), globalsName.string(), pageName.string())) {
        std::fprintf(stderr, "%s: %s\n", picture, jbig2LastError().c_str());
        return 1;
    }
    std::vector<uint8_t> page;
    std::vector<uint8_t> globals;
    if (!readFile(pageName, page) || !readFile(globalsName, globals)) {
        std::fprintf(stderr, "%s: cannot read the coded streams back\n", picture);
        return 1;
    }
    const auto pdf =
        onePagePdf(width, height, width * 72.0 / dpi, height * 72.0 / dpi, page, globals);
    std::ofstream f(pdfName, std::ios::binary);
    f.write(reinterpret_cast<const char*>(pdf.data()), static_cast<std::streamsize>(pdf.size()));
    f.close();
    if (!f) {
        std::fprintf(stderr, "%s: cannot write\n", pdfName);
        return 1;
    }
    std::printf("%s: %ux%u at %s dpi, JBIG2 %zu bytes, PDF %zu bytes\n", pdfName, width, height,
                number(dpi).c_str(), page.size(), pdf.size());
    return 0;
}

// libtiff's CCITT Group 4 coder on a top-down buffer with 1 = black, as one strip of a TIFF in
// memory; returns the size of the coded strip.
struct MemTiff {
    std::vector<uint8_t> bytes;
    toff_t pos = 0;
};

tsize_t tiffRead(thandle_t h, tdata_t buf, tsize_t n) {
    auto* m = static_cast<MemTiff*>(h);
    const toff_t avail = m->pos < m->bytes.size() ? m->bytes.size() - m->pos : 0;
    const auto count = static_cast<toff_t>(std::min<toff_t>(static_cast<toff_t>(n), avail));
    std::memcpy(buf, m->bytes.data() + m->pos, count);
    m->pos += count;
    return static_cast<tsize_t>(count);
}
tsize_t tiffWrite(thandle_t h, tdata_t buf, tsize_t n) {
    auto* m = static_cast<MemTiff*>(h);
    const auto count = static_cast<size_t>(n);
    if (m->pos + count > m->bytes.size()) {
        m->bytes.resize(m->pos + count);
    }
    std::memcpy(m->bytes.data() + m->pos, buf, count);
    m->pos += count;
    return n;
}
toff_t tiffSeek(thandle_t h, toff_t off, int whence) {
    auto* m = static_cast<MemTiff*>(h);
    if (whence == SEEK_SET) {
        m->pos = off;
    } else if (whence == SEEK_CUR) {
        m->pos += off;
    } else {
        m->pos = m->bytes.size() + off;
    }
    return m->pos;
}
int tiffClose(thandle_t) {
    return 0;
}
toff_t tiffSize(thandle_t h) {
    return static_cast<MemTiff*>(h)->bytes.size();
}
int tiffMap(thandle_t, tdata_t*, toff_t*) {
    return 0;
}
void tiffUnmap(thandle_t, tdata_t, toff_t) {}

size_t encodeG4(std::vector<uint8_t>& rows, uint32_t width, uint32_t height) {
    MemTiff m;
    m.bytes.reserve(1 << 20);
    TIFF* t = TIFFClientOpen("mem", "w", &m, tiffRead, tiffWrite, tiffSeek, tiffClose, tiffSize,
                             tiffMap, tiffUnmap);
    if (t == nullptr) {
        return 0;
    }
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(t, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, height);
    const tsize_t written =
        TIFFWriteEncodedStrip(t, 0, rows.data(), static_cast<tsize_t>(rows.size()));
    uint64_t* counts = nullptr;
    size_t strip = 0;
    if (written >= 0 && TIFFGetField(t, TIFFTAG_STRIPBYTECOUNTS, &counts) == 1 &&
        counts != nullptr) {
        strip = static_cast<size_t>(counts[0]);
    }
    TIFFClose(t);
    return strip;
}

template <typename F> double bestSeconds(int runs, F&& f) {
    double best = 1e30;
    for (int r = 0; r < runs; ++r) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double>(t1 - t0).count());
    }
    return best;
}

int commandBench(int argc, char** argv) {
    int runs = 3;
    int i = 2;
    if (i + 1 < argc && std::strcmp(argv[i], "--runs") == 0) {
        runs = std::max(1, std::atoi(argv[i + 1]));
        i += 2;
    }
    if (i >= argc) {
        return usage();
    }
    TIFFSetWarningHandler(nullptr);
    std::printf("picture\twidth\theight\tMpixels\tjbig2_bytes\tjbig2_s\tg4_bytes\tg4_s\tfile_s\n");
    ScratchDir scratch;
    const std::string bmp = scratch.file("page.bmp").string();
    const std::string globalsName = scratch.file("globals.jb2").string();
    const std::string pageName = scratch.file("page.jb2").string();
    double totalMp = 0;
    double totalJbig2S = 0;
    double totalG4S = 0;
    double totalFileS = 0;
    size_t totalJbig2 = 0;
    size_t totalG4 = 0;
    int failures = 0;
    for (; i < argc; ++i) {
        OwnedDib pic;
        OpenDib(pic.d, argv[i], DIB_AUTO);
        qly::jbig2::BilevelImage image;
        std::vector<uint8_t> flat;
        if (pic.d.poi == nullptr || !qly::jbig2::bilevelImageOfDib(pic.d, image, flat)) {
            std::fprintf(stderr, "%s: not a readable 1-bit picture\n", argv[i]);
            ++failures;
            continue;
        }
        std::vector<uint8_t> stream;
        const double jbig2S = bestSeconds(runs, [&] {
            stream = qly::jbig2::encodePageStream(image, qly::jbig2::dibXResolution(pic.d),
                                                  qly::jbig2::dibYResolution(pic.d));
        });
        // G4 input: top-down rows, 1 = black, as TIFF's MinIsWhite wants them (not timed).
        const size_t rowBytes = (image.width + 7) / 8;
        std::vector<uint8_t> rows(rowBytes * image.height);
        for (uint32_t y = 0; y < image.height; ++y) {
            const uint8_t* src = image.top + static_cast<ptrdiff_t>(y) * image.stride;
            for (size_t b = 0; b < rowBytes; ++b) {
                rows[y * rowBytes + b] = image.zeroIsBlack ? static_cast<uint8_t>(~src[b]) : src[b];
            }
        }
        size_t g4 = 0;
        const double g4S =
            bestSeconds(runs, [&] { g4 = encodeG4(rows, image.width, image.height); });
        // The call as the PDF writer makes it, on the picture parked as a BMP.
        if (SaveDib(pic.d, bmp, DIB_BMP) != 1) {
            std::fprintf(stderr, "%s: %s\n", argv[i], DibLastError().c_str());
            ++failures;
            continue;
        }
        bool encoded = true;
        const double fileS = bestSeconds(
            runs, [&] { encoded = encoded && jbig2encode(bmp, globalsName, pageName); });
        std::error_code ec;
        if (!encoded || fs::file_size(pageName, ec) != stream.size()) {
            std::fprintf(stderr, "%s: jbig2encode failed or disagrees with the in-memory coder\n",
                         argv[i]);
            ++failures;
            continue;
        }
        const double mp = double(image.width) * image.height / 1e6;
        std::printf("%s\t%u\t%u\t%.3f\t%zu\t%.4f\t%zu\t%.4f\t%.4f\n",
                    fs::path(argv[i]).filename().c_str(), image.width, image.height, mp,
                    stream.size(), jbig2S, g4, g4S, fileS);
        totalMp += mp;
        totalJbig2 += stream.size();
        totalG4 += g4;
        totalJbig2S += jbig2S;
        totalG4S += g4S;
        totalFileS += fileS;
    }
    std::printf("TOTAL\t-\t-\t%.3f\t%zu\t%.4f\t%zu\t%.4f\t%.4f\n", totalMp, totalJbig2, totalJbig2S,
                totalG4, totalG4S, totalFileS);
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return usage();
    }
    const std::string command = argv[1];
    try {
        if (command == "encode") {
            return commandEncode(argc, argv);
        }
        if (command == "pdf") {
            return commandPdf(argc, argv);
        }
        if (command == "bench") {
            return commandBench(argc, argv);
        }
    } catch (const std::runtime_error& e) {
        std::fprintf(stderr, "qly-jbig2: %s\n", e.what());
        return 1;
    }
    return usage();
}
