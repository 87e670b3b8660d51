#pragma once
// Bilevel test pictures and helpers shared by the JBIG2 tests: packed pictures in plain memory,
// PBM files, running the external decoders, and a small PDF that embeds JBIG2 images.

#include "platform/jbig2/GenericRegion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace qlytest {

// A packed picture, rows top-down, 1 = black, bits past the width kept as given.
struct Picture {
    std::string name;
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> bits;
    uint32_t stride() const { return (width + 7) / 8; }
    int pixel(uint32_t x, uint32_t y) const {
        return (bits[static_cast<size_t>(y) * stride() + x / 8] >> (7 - x % 8)) & 1;
    }
    void set(uint32_t x, uint32_t y, int v) {
        uint8_t& b = bits[static_cast<size_t>(y) * stride() + x / 8];
        const auto mask = static_cast<uint8_t>(0x80u >> (x % 8));
        b = static_cast<uint8_t>(v != 0 ? b | mask : b & ~mask);
    }
    qly::jbig2::BilevelImage view() const {
        qly::jbig2::BilevelImage v;
        v.top = bits.data();
        v.stride = static_cast<ptrdiff_t>(stride());
        v.width = width;
        v.height = height;
        return v;
    }
    // Sets the unused bits past the width of every row (which the coder must ignore).
    void fillPadding() {
        for (uint32_t y = 0; y < height; ++y) {
            for (uint32_t x = width; x < stride() * 8; ++x) {
                set(x, y, 1);
            }
        }
    }
};

enum class Pattern { White, Black, Checker, Noise, SparseNoise, Text, Stripes, Dither };

// Reproducible pictures of the kinds a scanner delivers and of the kinds that break coders.
inline Picture makePicture(uint32_t width, uint32_t height, Pattern pattern, uint32_t seed = 1) {
    Picture p;
    p.width = width;
    p.height = height;
    p.bits.assign(static_cast<size_t>(p.stride()) * height, 0);
    std::mt19937 rng(seed);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            int v = 0;
            switch (pattern) {
            case Pattern::White:
                break;
            case Pattern::Black:
                v = 1;
                break;
            case Pattern::Checker:
                v = static_cast<int>((x + y) & 1);
                break;
            case Pattern::Noise:
                v = static_cast<int>(rng() & 1);
                break;
            case Pattern::SparseNoise:
                v = rng() % 61 == 0 ? 1 : 0;
                break;
            case Pattern::Text: {
                // Lines of "glyphs": blocks with holes, separated by white rows and gaps.
                const uint32_t line = y % 24;
                const uint32_t cell = x % 11;
                const uint32_t glyph = (x / 11 * 7 + y / 24 * 13 + seed) % 9;
                v = line >= 4 && line < 18 && cell < 8 && glyph != 0 &&
                            !(cell > 1 && cell < 6 && line > 6 && line < 15 && glyph % 3 != 0)
                        ? 1
                        : 0;
                break;
            }
            case Pattern::Stripes:
                v = (x / 3 + y / 5) % 2 == 0 ? 1 : 0;
                break;
            case Pattern::Dither: {
                // An 4x4 ordered dither of a smooth ramp, as halftoned photographs look.
                static const int bayer[4][4] = {
                    {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
                const int level = static_cast<int>((x * 7 + y * 3) % 256) / 16;
                v = level > bayer[y % 4][x % 4] ? 1 : 0;
                break;
            }
            }
            p.set(x, y, v);
        }
    }
    p.name = std::to_string(width) + "x" + std::to_string(height) + "-" +
             std::to_string(static_cast<int>(pattern));
    return p;
}

// Reads a binary PBM (P4) file, comments allowed, into a picture (1 = black). False on any
// deviation.
inline bool readPbm(const std::string& file, Picture& out) {
    std::ifstream f(file, std::ios::binary);
    if (!f) {
        return false;
    }
    const std::vector<uint8_t> data((std::istreambuf_iterator<char>(f)),
                                    std::istreambuf_iterator<char>());
    size_t pos = 0;
    auto skipSpaceAndComments = [&] {
        while (pos < data.size()) {
            if (data[pos] == '#') {
                while (pos < data.size() && data[pos] != '\n') {
                    ++pos;
                }
            } else if (data[pos] == ' ' || data[pos] == '\n' || data[pos] == '\r' ||
                       data[pos] == '\t') {
                ++pos;
            } else {
                break;
            }
        }
    };
    auto number = [&](uint32_t& v) {
        skipSpaceAndComments();
        if (pos >= data.size() || data[pos] < '0' || data[pos] > '9') {
            return false;
        }
        v = 0;
        while (pos < data.size() && data[pos] >= '0' && data[pos] <= '9') {
            v = v * 10 + (data[pos++] - '0');
        }
        return true;
    };
    if (data.size() < 2 || data[0] != 'P' || data[1] != '4') {
        return false;
    }
    pos = 2;
    if (!number(out.width) || !number(out.height) || pos >= data.size()) {
        return false;
    }
    ++pos; // the single white-space character before the raster
    const size_t need = static_cast<size_t>(out.stride()) * out.height;
    if (data.size() - pos < need) {
        return false;
    }
    out.bits.assign(data.begin() + static_cast<ptrdiff_t>(pos),
                    data.begin() + static_cast<ptrdiff_t>(pos + need));
    return true;
}

// Number of pixels that differ between two pictures of the same size, ignoring padding bits;
// -1 when the sizes differ.
inline int64_t differingPixels(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height) {
        return -1;
    }
    int64_t n = 0;
    for (uint32_t y = 0; y < a.height; ++y) {
        for (uint32_t x = 0; x < a.width; ++x) {
            n += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        }
    }
    return n;
}

inline void writeBytes(const std::string& file, const std::vector<uint8_t>& bytes) {
    std::ofstream f(file, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(f.good()) << file;
}

inline std::vector<uint8_t> readBytes(const std::string& file) {
    std::ifstream f(file, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)),
                                std::istreambuf_iterator<char>());
}

inline std::string readText(const std::string& file) {
    const auto b = readBytes(file);
    return std::string(b.begin(), b.end());
}

// Runs a shell command with its output going to `log`; returns its exit status.
inline int run(const std::string& command, const std::string& log) {
    const int status = std::system((command + " >'" + log + "' 2>&1").c_str());
    return status == -1 ? -1 : WEXITSTATUS(status);
}

// One image of a PDF page: the picture's size, its JBIG2 page stream and its globals stream.
struct PdfImage {
    uint32_t width;
    uint32_t height;
    std::vector<uint8_t> page;
    std::vector<uint8_t> globals;
};

// A PDF 1.4 file with one page per image, the image filling a page of width x height points
// (one pixel per point, so rendering at 72 dpi maps pixels one to one).
inline std::vector<uint8_t> jbig2Pdf(const std::vector<PdfImage>& images) {
    std::vector<uint8_t> out;
    std::vector<size_t> offsets(3 + 4 * images.size(), 0);
    auto put = [&out](const std::string& s) { out.insert(out.end(), s.begin(), s.end()); };
    auto begin = [&](size_t number) {
        offsets[number] = out.size();
        put(std::to_string(number) + " 0 obj\n");
    };
    auto stream = [&](size_t number, const std::string& dict, const std::vector<uint8_t>& data) {
        begin(number);
        put(dict + "\nstream\n");
        out.insert(out.end(), data.begin(), data.end());
        put("\nendstream\nendobj\n");
    };
    put("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    begin(1);
    put("<< /Type /Catalog /Pages 2 0 R >>\nendobj\n");
    begin(2);
    std::string kids;
    for (size_t i = 0; i < images.size(); ++i) {
        kids += std::to_string(3 + 4 * i) + " 0 R ";
    }
    put("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(images.size()) +
        " >>\nendobj\n");
    for (size_t i = 0; i < images.size(); ++i) {
        const PdfImage& im = images[i];
        const size_t n = 3 + 4 * i;
        const std::string w = std::to_string(im.width);
        const std::string h = std::to_string(im.height);
        begin(n);
        put("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + w + " " + h +
            "] /Resources << /XObject << /Im0 " + std::to_string(n + 1) + " 0 R >> >> /Contents " +
            std::to_string(n + 3) + " 0 R >>\nendobj\n");
        stream(n + 1,
               "<< /Type /XObject /Subtype /Image /Width " + w + " /Height " + h +
                   " /BitsPerComponent 1 /ColorSpace /DeviceGray /Filter /JBIG2Decode "
                   "/DecodeParms << /JBIG2Globals " +
                   std::to_string(n + 2) + " 0 R >> /Length " + std::to_string(im.page.size()) +
                   " >>",
               im.page);
        stream(n + 2, "<< /Length " + std::to_string(im.globals.size()) + " >>", im.globals);
        const std::string content = "q " + w + " 0 0 " + h + " 0 0 cm /Im0 Do Q\n";
        stream(n + 3, "<< /Length " + std::to_string(content.size()) + " >>",
               std::vector<uint8_t>(content.begin(), content.end()));
    }
    const size_t xref = out.size();
    put("xref\n0 " + std::to_string(offsets.size()) + "\n0000000000 65535 f \n");
    for (size_t i = 1; i < offsets.size(); ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offsets[i]);
        put(line);
    }
    put("trailer\n<< /Size " + std::to_string(offsets.size()) + " /Root 1 0 R >>\nstartxref\n" +
        std::to_string(xref) + "\n%%EOF\n");
    return out;
}

} // namespace qlytest
