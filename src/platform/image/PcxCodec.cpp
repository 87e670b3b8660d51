// ZSoft PCX files ("ZSoft PCX File Format Technical Reference Manual", version 5 header).
//
// Reading: 1 bit x 1 plane (black and white, as every PCX reader shows it), 1 bit x 2..4 planes
// and 2/4 bits x 1 plane (16-colour header palette; the EGA default palette when the header has
// none), 8 bits x 1 plane (256-colour palette after the pixels, or greys without one), 8 bits x 3
// planes (RGB) and 8 bits x 4 planes (RGBA, composed onto white); run-length or uncompressed.
//
// Writing: 1-bit pictures as 1 plane of 1 bit, 4-bit as 4 planes of 1 bit (EGA), 8-bit as
// 1 plane of 8 bits with the 256-colour palette, all others as 3 planes of 8 bits; run-length
// coded, version 5.
#include "platform/image/Codec.h"
#include "platform/image/Quantize.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace qly::img {
namespace {

constexpr size_t kHeaderSize = 128;
constexpr size_t kVgaPaletteSize = 769; // 0x0C and 256 x RGB after the pixels
constexpr uint8_t kVgaPaletteMark = 0x0c;

// The colours of the EGA display, taken when a 16-colour file carries no palette.
constexpr uint8_t kEgaPalette[16][3] = {
    {0x00, 0x00, 0x00}, {0x00, 0x00, 0xaa}, {0x00, 0xaa, 0x00}, {0x00, 0xaa, 0xaa},
    {0xaa, 0x00, 0x00}, {0xaa, 0x00, 0xaa}, {0xaa, 0x55, 0x00}, {0xaa, 0xaa, 0xaa},
    {0x55, 0x55, 0x55}, {0x55, 0x55, 0xff}, {0x55, 0xff, 0x55}, {0x55, 0xff, 0xff},
    {0xff, 0x55, 0x55}, {0xff, 0x55, 0xff}, {0xff, 0xff, 0x55}, {0xff, 0xff, 0xff},
};

struct PcxHeader {
    int version = 0;
    int encoding = 0;
    int bpp = 0;
    int64_t width = 0;
    int64_t height = 0;
    int hdpi = 0;
    int vdpi = 0;
    const uint8_t* palette16 = nullptr;
    int planes = 0;
    size_t bytesPerLine = 0;
};

bool plausibleHeader(const uint8_t* d, size_t size) {
    if (size < kHeaderSize || d[0] != 0x0a) {
        return false;
    }
    const int version = d[1];
    const int encoding = d[2];
    const int bpp = d[3];
    const int planes = d[65];
    const unsigned xmin = d[4] | d[5] << 8;
    const unsigned ymin = d[6] | d[7] << 8;
    const unsigned xmax = d[8] | d[9] << 8;
    const unsigned ymax = d[10] | d[11] << 8;
    return (version == 0 || version == 2 || version == 3 || version == 4 || version == 5) &&
           (encoding == 0 || encoding == 1) && (bpp == 1 || bpp == 2 || bpp == 4 || bpp == 8) &&
           planes >= 1 && planes <= 4 && xmax >= xmin && ymax >= ymin;
}

PcxHeader parseHeader(const uint8_t* d) {
    PcxHeader h;
    h.version = d[1];
    h.encoding = d[2];
    h.bpp = d[3];
    h.width = int64_t{d[8] | d[9] << 8} - (d[4] | d[5] << 8) + 1;
    h.height = int64_t{d[10] | d[11] << 8} - (d[6] | d[7] << 8) + 1;
    h.hdpi = d[12] | d[13] << 8;
    h.vdpi = d[14] | d[15] << 8;
    h.palette16 = d + 16;
    h.planes = d[65];
    h.bytesPerLine = static_cast<size_t>(d[66] | d[67] << 8);
    return h;
}

// PCX run-length data: a byte with both top bits set repeats the next byte (its low six bits)
// times; any other byte stands for itself. Runs that cross a scan line carry on into the next.
class PcxReader {
  public:
    PcxReader(const uint8_t* data, size_t size, bool compressed)
        : data_(data), size_(size), compressed_(compressed) {}

    // Fills n bytes; false when the data ended first (the rest is then zero).
    bool read(uint8_t* dst, size_t n) {
        if (!compressed_) {
            const size_t k = std::min(n, size_ - pos_);
            std::memcpy(dst, data_ + pos_, k);
            std::memset(dst + k, 0, n - k);
            pos_ += k;
            return k == n;
        }
        size_t i = 0;
        while (i < n) {
            if (left_ == 0) {
                if (pos_ >= size_) {
                    std::memset(dst + i, 0, n - i);
                    return false;
                }
                const uint8_t c = data_[pos_++];
                if ((c & 0xc0) == 0xc0) {
                    if (pos_ >= size_) {
                        std::memset(dst + i, 0, n - i);
                        return false;
                    }
                    left_ = c & 0x3f;
                    value_ = data_[pos_++];
                    continue;
                }
                dst[i++] = c;
                continue;
            }
            const size_t k = std::min(n - i, left_);
            std::memset(dst + i, value_, k);
            i += k;
            left_ -= k;
        }
        return true;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool compressed_;
    size_t left_ = 0;
    uint8_t value_ = 0;
};

void setColours(DibHolder& out, const uint8_t* rgb, int n) {
    for (int i = 0; i < n; ++i) {
        out.setColor(i, rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
    }
}

bool allZero(const uint8_t* p, size_t n) {
    return std::all_of(p, p + n, [](uint8_t b) { return b == 0; });
}

void putRun(std::vector<uint8_t>& out, uint8_t value, size_t count) {
    while (count > 0) {
        const size_t k = std::min<size_t>(count, 63);
        if (k == 1 && (value & 0xc0) != 0xc0) {
            out.push_back(value);
        } else {
            out.push_back(static_cast<uint8_t>(0xc0 | k));
            out.push_back(value);
        }
        count -= k;
    }
}

// Run-length codes one plane of one scan line; runs never cross it.
void encodeLine(const uint8_t* src, size_t n, std::vector<uint8_t>& out) {
    size_t i = 0;
    while (i < n) {
        size_t run = 1;
        while (i + run < n && src[i + run] == src[i]) {
            ++run;
        }
        putRun(out, src[i], run);
        i += run;
    }
}

int luma(const RGBQUAD& q) {
    return q.rgbRed * 299 + q.rgbGreen * 587 + q.rgbBlue * 114;
}

} // namespace

bool sniffPcx(const uint8_t* data, size_t size) {
    return plausibleHeader(data, size);
}

void readPcx(const uint8_t* data, size_t size, DibHolder& out) {
    if (!plausibleHeader(data, size)) {
        fail(size >= 1 && data[0] == 0x0a ? kErrDamaged : kErrUnknownFormat);
    }
    const PcxHeader h = parseHeader(data);
    const int bpp = h.bpp;
    const int planes = h.planes;
    int bits = 0;
    if (bpp == 1 && planes == 1) {
        bits = 1;
    } else if ((bpp == 1 && planes <= 4) || (bpp == 2 && planes == 1) ||
               (bpp == 4 && planes == 1)) {
        bits = 4;
    } else if (bpp == 8 && planes == 1) {
        bits = 8;
    } else if (bpp == 8 && (planes == 3 || planes == 4)) {
        bits = 24;
    } else {
        fail(kErrUnsupported);
    }
    checkDimensions(h.width, h.height, bits);
    // Every plane of a scan line holds at least the row's pixels.
    if (h.bytesPerLine == 0 || h.bytesPerLine < static_cast<size_t>((h.width * bpp + 7) / 8)) {
        fail(kErrDamaged);
    }
    out.create(static_cast<int32_t>(h.width), static_cast<int32_t>(h.height), bits);

    const uint8_t* pixels = data + kHeaderSize;
    size_t pixelBytes = size - kHeaderSize;
    if (bits == 1) {
        out.setColor(0, 0, 0, 0);
        out.setColor(1, 255, 255, 255);
    } else if (bits == 4) {
        const bool noPalette = h.version == 3 || allZero(h.palette16, 48);
        setColours(out, noPalette ? &kEgaPalette[0][0] : h.palette16, 16);
    } else if (bits == 8) {
        // The 256-colour palette follows the pixels behind the byte 12.
        if (size >= kHeaderSize + kVgaPaletteSize &&
            data[size - kVgaPaletteSize] == kVgaPaletteMark) {
            setColours(out, data + size - kVgaPaletteSize + 1, 256);
            pixelBytes -= kVgaPaletteSize;
        } // otherwise greys (newdib's ramp)
    }
    if (h.vdpi == h.hdpi && h.hdpi >= 10 && h.hdpi <= 9600) {
        // Older writers put the screen size here, which is never the same in both directions.
        out.setDpi(h.hdpi, h.vdpi);
    }

    PcxReader reader(pixels, pixelBytes, h.encoding == 1);
    const size_t bpl = h.bytesPerLine;
    std::vector<uint8_t> line(bpl * static_cast<size_t>(planes));
    int64_t rowsRead = 0;
    for (int64_t y = 0; y < h.height; ++y) {
        const bool complete = reader.read(line.data(), line.size());
        uint8_t* row = out.rowTop(static_cast<int32_t>(y));
        const int64_t w = h.width;
        if (bits == 1) {
            std::memcpy(row, line.data(), static_cast<size_t>((w + 7) / 8));
        } else if (bits == 4 && bpp == 4) {
            std::memcpy(row, line.data(), static_cast<size_t>((w + 1) / 2));
        } else if (bits == 4) {
            for (int64_t x = 0; x < w; ++x) {
                unsigned v = 0;
                if (bpp == 2) {
                    v = (line[static_cast<size_t>(x >> 2)] >> (6 - 2 * (x & 3))) & 3u;
                } else {
                    for (int p = planes - 1; p >= 0; --p) {
                        const uint8_t b =
                            line[bpl * static_cast<size_t>(p) + static_cast<size_t>(x >> 3)];
                        v = v << 1 | ((b >> (7 - (x & 7))) & 1u);
                    }
                }
                row[x >> 1] = static_cast<uint8_t>(row[x >> 1] | ((x & 1) != 0 ? v : v << 4));
            }
        } else if (bits == 8) {
            std::memcpy(row, line.data(), static_cast<size_t>(w));
        } else {
            const uint8_t* r = line.data();
            const uint8_t* g = r + bpl;
            const uint8_t* b = g + bpl;
            const uint8_t* a = planes == 4 ? b + bpl : nullptr;
            for (int64_t x = 0; x < w; ++x) {
                uint32_t rr = r[x];
                uint32_t gg = g[x];
                uint32_t bb = b[x];
                if (a != nullptr) {
                    const uint32_t al = a[x];
                    rr = (rr * al + 255 * (255 - al) + 127) / 255;
                    gg = (gg * al + 255 * (255 - al) + 127) / 255;
                    bb = (bb * al + 255 * (255 - al) + 127) / 255;
                }
                row[3 * x] = static_cast<uint8_t>(bb);
                row[3 * x + 1] = static_cast<uint8_t>(gg);
                row[3 * x + 2] = static_cast<uint8_t>(rr);
            }
        }
        if (!complete) {
            break; // a cut-off file keeps its complete rows
        }
        ++rowsRead;
    }
    if (rowsRead == 0) {
        fail(kErrDamaged);
    }
}

void writePcx(const dib& in, std::vector<uint8_t>& out) {
    checkWritable(in);
    const BITMAPINFOHEADER& bh = in.pmi->bmiHeader;
    const int bits = bh.biBitCount;
    const int64_t w = bh.biWidth;
    const int64_t h = bh.biHeight;
    // 1-bit PCX has no colours of its own: readers show 0 black and 1 white. A 1-bit picture of
    // any other two colours is written as 4 planes of 1 bit (16 colours from the header palette),
    // its pixels in the first plane and its colours as the first two palette entries.
    const bool twoColours = bits == 1 && !dibIsBlackAndWhite(in);
    const int bpp = bits <= 4 ? 1 : 8;
    const int planes = bits == 1 ? (twoColours ? 4 : 1) : bits == 4 ? 4 : bits == 8 ? 1 : 3;
    size_t bpl = static_cast<size_t>((w * bpp + 7) / 8);
    bpl += bpl & 1; // scan line planes have an even length

    std::vector<uint8_t> header(kHeaderSize, 0);
    header[0] = 0x0a;
    header[1] = 5;
    header[2] = 1;
    header[3] = static_cast<uint8_t>(bpp);
    header[8] = static_cast<uint8_t>(w - 1);
    header[9] = static_cast<uint8_t>((w - 1) >> 8);
    header[10] = static_cast<uint8_t>(h - 1);
    header[11] = static_cast<uint8_t>((h - 1) >> 8);
    if (bh.biXPelsPerMeter > 0 && bh.biYPelsPerMeter > 0) {
        const long xdpi = std::min(std::lround(bh.biXPelsPerMeter * 0.0254), 65535L);
        const long ydpi = std::min(std::lround(bh.biYPelsPerMeter * 0.0254), 65535L);
        header[12] = static_cast<uint8_t>(xdpi);
        header[13] = static_cast<uint8_t>(xdpi >> 8);
        header[14] = static_cast<uint8_t>(ydpi);
        header[15] = static_cast<uint8_t>(ydpi >> 8);
    }
    // 1-bit PCX is black (0) and white (1) in every reader, so a table whose first colour is the
    // lighter one is written with the bits inverted.
    const bool invert = bits == 1 && luma(in.pmi->bmiColors[0]) > luma(in.pmi->bmiColors[1]);
    // Both entries one colour: every pixel is written as entry 0. Readers take a header palette
    // of zeros for "no palette" and show the standard EGA colours instead, whose entry 0 is black
    // like the table then, while entry 1 is blue.
    const bool flat =
        twoColours && std::memcmp(&in.pmi->bmiColors[0], &in.pmi->bmiColors[1], 3) == 0;
    if (twoColours) {
        for (int i = 0; i < 2; ++i) {
            header[16 + 3 * static_cast<size_t>(i)] = in.pmi->bmiColors[i].rgbRed;
            header[17 + 3 * static_cast<size_t>(i)] = in.pmi->bmiColors[i].rgbGreen;
            header[18 + 3 * static_cast<size_t>(i)] = in.pmi->bmiColors[i].rgbBlue;
        }
    } else if (bits == 1) {
        std::memset(&header[19], 255, 3);
    } else if (bits == 4) {
        for (int i = 0; i < 16; ++i) {
            header[16 + 3 * static_cast<size_t>(i)] = in.pmi->bmiColors[i].rgbRed;
            header[17 + 3 * static_cast<size_t>(i)] = in.pmi->bmiColors[i].rgbGreen;
            header[18 + 3 * static_cast<size_t>(i)] = in.pmi->bmiColors[i].rgbBlue;
        }
    }
    header[65] = static_cast<uint8_t>(planes);
    header[66] = static_cast<uint8_t>(bpl);
    header[67] = static_cast<uint8_t>(bpl >> 8);
    header[68] = bits == 8 && dibIsGrey(in) ? 2 : 1; // palette of greys / of colours
    out.insert(out.end(), header.begin(), header.end());

    std::vector<uint8_t> plane(bpl);
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* row = DibRowTop(in, y);
        for (int p = 0; p < planes; ++p) {
            std::fill(plane.begin(), plane.end(), 0);
            if (bits == 1 && twoColours) {
                if (p == 0 && !flat) { // the other planes stay zero
                    const size_t n = static_cast<size_t>((w + 7) / 8);
                    std::memcpy(plane.data(), row, n);
                    if ((w & 7) != 0) { // clear the bits after the last pixel
                        plane[n - 1] = static_cast<uint8_t>(plane[n - 1] & (0xff00u >> (w & 7)));
                    }
                }
            } else if (bits == 1) {
                const size_t n = static_cast<size_t>((w + 7) / 8);
                for (size_t i = 0; i < n; ++i) {
                    plane[i] = invert ? static_cast<uint8_t>(~row[i]) : row[i];
                }
                if ((w & 7) != 0) { // clear the bits after the last pixel
                    plane[n - 1] = static_cast<uint8_t>(plane[n - 1] & (0xff00u >> (w & 7)));
                }
            } else if (bits == 4) {
                for (int64_t x = 0; x < w; ++x) {
                    const unsigned v = (x & 1) != 0 ? row[x >> 1] & 0x0fu : row[x >> 1] >> 4;
                    if (((v >> p) & 1) != 0) {
                        plane[static_cast<size_t>(x >> 3)] |=
                            static_cast<uint8_t>(0x80u >> (x & 7));
                    }
                }
            } else if (bits == 8) {
                std::memcpy(plane.data(), row, static_cast<size_t>(w));
            } else {
                for (int64_t x = 0; x < w; ++x) {
                    const uint32_t c = trueColourAt(row, bits, static_cast<int32_t>(x));
                    plane[static_cast<size_t>(x)] = static_cast<uint8_t>(c >> (16 - 8 * p));
                }
            }
            encodeLine(plane.data(), plane.size(), out);
        }
    }
    if (bits == 8) {
        out.push_back(kVgaPaletteMark);
        for (int i = 0; i < 256; ++i) {
            out.push_back(in.pmi->bmiColors[i].rgbRed);
            out.push_back(in.pmi->bmiColors[i].rgbGreen);
            out.push_back(in.pmi->bmiColors[i].rgbBlue);
        }
    }
}

} // namespace qly::img
