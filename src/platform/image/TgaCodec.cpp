// Truevision TGA files ("Truevision TGA File Format Specification", version 2.0).
//
// Reading: image types 1/9 (colour-mapped, 8- or 16-bit indices), 2/10 (true colour, 15/16, 24
// and 32 bits) and 3/11 (grey, 8 bits, or 16 bits grey + alpha), uncompressed or run-length
// coded, any origin (bottom or top, left or right). 15/16-bit pictures stay 16-bit (5-5-5);
// alpha is composed onto white when the descriptor declares alpha bits and the alpha is not zero
// everywhere (many writers leave it zero to mean "no alpha").
//
// Writing: run-length coded, origin at the bottom left, with a TGA 2.0 footer. 8-bit pictures
// with the plain grey ramp are written as grey (type 11), other 1/4/8-bit pictures colour-mapped
// (type 9) with 8-bit indices, 16/24-bit as true colour of that depth and 32-bit as 32-bit true
// colour with opaque alpha (type 10).
#include "platform/image/Codec.h"
#include "platform/image/Quantize.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace qly::img {
namespace {

constexpr size_t kHeaderSize = 18;
constexpr char kFooterSignature[] = "TRUEVISION-XFILE."; // followed by '\0'
constexpr size_t kFooterSize = 26;
constexpr int kTopToBottom = 0x20;
constexpr int kRightToLeft = 0x10;

struct TgaHeader {
    int idLength = 0;
    int cmType = 0;
    int type = 0;
    int cmFirst = 0;
    int cmLength = 0;
    int cmEntrySize = 0;
    int64_t width = 0;
    int64_t height = 0;
    int depth = 0;
    int descriptor = 0;

    bool rle() const { return type >= 9; }
    int baseType() const { return type & 7; }
    size_t pixelBytes() const { return static_cast<size_t>((depth + 7) / 8); }
    size_t cmBytes() const {
        return cmType == 1
                   ? static_cast<size_t>(cmLength) * static_cast<size_t>((cmEntrySize + 7) / 8)
                   : 0;
    }
    size_t dataOffset() const { return kHeaderSize + static_cast<size_t>(idLength) + cmBytes(); }
};

TgaHeader parseHeader(const uint8_t* d) {
    TgaHeader h;
    h.idLength = d[0];
    h.cmType = d[1];
    h.type = d[2];
    h.cmFirst = d[3] | d[4] << 8;
    h.cmLength = d[5] | d[6] << 8;
    h.cmEntrySize = d[7];
    h.width = d[12] | d[13] << 8;
    h.height = d[14] | d[15] << 8;
    h.depth = d[16];
    h.descriptor = d[17];
    return h;
}

// True when the header describes a picture this reader can decode.
bool consistent(const TgaHeader& h) {
    if (h.cmType > 1 || (h.descriptor & 0xc0) != 0 || h.width == 0 || h.height == 0) {
        return false;
    }
    if (h.cmType == 1 && !(h.cmEntrySize == 15 || h.cmEntrySize == 16 || h.cmEntrySize == 24 ||
                           h.cmEntrySize == 32)) {
        return false;
    }
    switch (h.type) {
    case 1:
    case 9:
        return h.cmType == 1 && h.cmLength > 0 && (h.depth == 8 || h.depth == 16);
    case 2:
    case 10:
        return h.depth == 15 || h.depth == 16 || h.depth == 24 || h.depth == 32;
    case 3:
    case 11:
        return h.depth == 8 || h.depth == 16;
    default:
        return false;
    }
}

bool hasFooter(const uint8_t* data, size_t size) {
    return size >= kHeaderSize + kFooterSize &&
           std::memcmp(data + size - 18, kFooterSignature, 18) == 0;
}

// Pixels of a TGA body, raw or run-length coded (a packet header with the top bit set repeats
// the one pixel after it (low seven bits + 1) times, otherwise that many raw pixels follow).
// Packets that cross the end of a row carry on into the next one.
class PixelReader {
  public:
    PixelReader(const uint8_t* data, size_t size, size_t pixelBytes, bool rle)
        : data_(data), size_(size), bpp_(pixelBytes), rle_(rle) {}

    // Fills n pixels; false when the data ended first (the rest is then zero).
    bool read(uint8_t* dst, size_t n) {
        if (!rle_) {
            const size_t want = n * bpp_;
            const size_t k = std::min(want, size_ - pos_);
            std::memcpy(dst, data_ + pos_, k);
            std::memset(dst + k, 0, want - k);
            pos_ += k;
            return k == want;
        }
        while (n > 0) {
            if (left_ == 0) {
                if (pos_ >= size_) {
                    std::memset(dst, 0, n * bpp_);
                    return false;
                }
                const uint8_t packet = data_[pos_++];
                left_ = (packet & 0x7fu) + 1u;
                run_ = (packet & 0x80) != 0;
                if (run_) {
                    if (bpp_ > size_ - pos_) {
                        std::memset(dst, 0, n * bpp_);
                        pos_ = size_;
                        return false;
                    }
                    std::memcpy(value_, data_ + pos_, bpp_);
                    pos_ += bpp_;
                }
            }
            const size_t k = std::min(n, left_);
            if (run_) {
                for (size_t i = 0; i < k; ++i) {
                    std::memcpy(dst + i * bpp_, value_, bpp_);
                }
            } else {
                if (k * bpp_ > size_ - pos_) {
                    std::memset(dst, 0, n * bpp_);
                    pos_ = size_;
                    left_ = 0;
                    return false;
                }
                std::memcpy(dst, data_ + pos_, k * bpp_);
                pos_ += k * bpp_;
            }
            dst += k * bpp_;
            n -= k;
            left_ -= k;
        }
        return true;
    }

    // Skips n pixels without storing them; false when the data ends first.
    bool skip(uint64_t n) {
        if (!rle_) {
            if (n > (size_ - pos_) / bpp_) {
                return false;
            }
            pos_ += static_cast<size_t>(n) * bpp_;
            return true;
        }
        while (n > 0) {
            if (left_ == 0) {
                if (pos_ >= size_) {
                    return false;
                }
                const uint8_t packet = data_[pos_++];
                left_ = (packet & 0x7fu) + 1u;
                run_ = (packet & 0x80) != 0;
                if (run_) {
                    if (bpp_ > size_ - pos_) {
                        return false;
                    }
                    pos_ += bpp_;
                }
            }
            const size_t k = static_cast<size_t>(std::min<uint64_t>(n, left_));
            if (!run_) {
                if (k * bpp_ > size_ - pos_) {
                    return false;
                }
                pos_ += k * bpp_;
            }
            n -= k;
            left_ -= k;
        }
        return true;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t bpp_;
    bool rle_;
    size_t pos_ = 0;
    size_t left_ = 0;
    bool run_ = false;
    uint8_t value_[4] = {};
};

uint8_t scale5(unsigned v) {
    return static_cast<uint8_t>((v & 31) * 255 / 31);
}

// A colour map entry as 0xRRGGBB.
uint32_t mapEntry(const uint8_t* p, int entrySize) {
    if (entrySize <= 16) {
        const unsigned v = p[0] | p[1] << 8;
        return uint32_t{scale5(v >> 10)} << 16 | uint32_t{scale5(v >> 5)} << 8 | scale5(v);
    }
    return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}

uint8_t composeOnWhite(uint32_t c, uint32_t a) {
    return static_cast<uint8_t>((c * a + 255 * (255 - a) + 127) / 255);
}

// Run-length codes one row of pixels of `bpp` bytes; packets never cross the row.
void encodeRow(const uint8_t* px, size_t n, size_t bpp, std::vector<uint8_t>& out) {
    auto same = [&](size_t a, size_t b) {
        return std::memcmp(px + a * bpp, px + b * bpp, bpp) == 0;
    };
    size_t i = 0;
    while (i < n) {
        size_t run = 1;
        while (i + run < n && run < 128 && same(i + run, i)) {
            ++run;
        }
        if (run >= 2) {
            out.push_back(static_cast<uint8_t>(0x80 | (run - 1)));
            out.insert(out.end(), px + i * bpp, px + (i + 1) * bpp);
            i += run;
            continue;
        }
        size_t j = i;
        while (j < n && j - i < 128 && !(j + 1 < n && same(j, j + 1))) {
            ++j;
        }
        out.push_back(static_cast<uint8_t>(j - i - 1));
        out.insert(out.end(), px + i * bpp, px + j * bpp);
        i = j;
    }
}

bool isGreyRamp(const dib& in) {
    if (in.pmi->bmiHeader.biBitCount != 8) {
        return false;
    }
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD& q = in.pmi->bmiColors[i];
        if (q.rgbRed != i || q.rgbGreen != i || q.rgbBlue != i) {
            return false;
        }
    }
    return true;
}

} // namespace

bool sniffTga(const uint8_t* data, size_t size) {
    if (size < kHeaderSize) {
        return false;
    }
    const TgaHeader h = parseHeader(data);
    if (!consistent(h) || size < h.dataOffset()) {
        return false;
    }
    // Without a signature, bytes that another format claims are never taken for TGA.
    for (const Codec& c : allCodecs()) {
        if (c.sniff != nullptr && c.sniff != sniffTga && c.sniff(data, size)) {
            return false;
        }
    }
    if (hasFooter(data, size)) {
        return true;
    }
    // A TGA 1.0 file must hold all of its pixels.
    PixelReader pixels(data + h.dataOffset(), size - h.dataOffset(), h.pixelBytes(), h.rle());
    return pixels.skip(static_cast<uint64_t>(h.width) * static_cast<uint64_t>(h.height));
}

void readTga(const uint8_t* data, size_t size, DibHolder& out) {
    if (size < kHeaderSize) {
        fail(kErrDamaged);
    }
    const TgaHeader h = parseHeader(data);
    if (!consistent(h)) {
        fail(h.type == 0 ? kErrEmpty : kErrUnsupported);
    }
    if (size < h.dataOffset()) {
        fail(kErrDamaged);
    }
    const int base = h.baseType();
    const bool alphaDeclared = (h.descriptor & 0x0f) != 0;
    int bits = 24;
    if (base == 1) {
        bits = h.depth == 8 ? 8 : 24;
    } else if (base == 2) {
        bits = h.depth <= 16 ? 16 : 24;
    } else {
        bits = 8;
    }
    checkDimensions(h.width, h.height, bits);

    // The colour map, indexed by the file's index values (entries before the first are black).
    std::vector<uint32_t> map;
    if (base == 1) {
        const uint8_t* cm = data + kHeaderSize + h.idLength;
        const size_t entryBytes = static_cast<size_t>((h.cmEntrySize + 7) / 8);
        const size_t entries =
            std::min<size_t>(size_t{1} << h.depth, static_cast<size_t>(h.cmFirst + h.cmLength));
        map.assign(entries, 0);
        for (size_t i = static_cast<size_t>(h.cmFirst); i < entries; ++i) {
            map[i] =
                mapEntry(cm + (i - static_cast<size_t>(h.cmFirst)) * entryBytes, h.cmEntrySize);
        }
    }
    out.create(static_cast<int32_t>(h.width), static_cast<int32_t>(h.height), bits);
    if (base == 1 && bits == 8) {
        for (int i = 0; i < 256; ++i) {
            const uint32_t c =
                static_cast<size_t>(i) < map.size() ? map[static_cast<size_t>(i)] : 0;
            out.setColor(i, static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                         static_cast<uint8_t>(c));
        }
    } // grey pictures keep newdib's grey ramp

    // 32-bit and grey + alpha pixels keep their alpha aside until it is known to mean anything.
    const bool withAlpha = (base == 2 && h.depth == 32) || (base == 3 && h.depth == 16);
    std::vector<uint8_t> alpha;
    if (withAlpha && alphaDeclared) {
        alpha.resize(static_cast<size_t>(h.width) * static_cast<size_t>(h.height));
    }
    bool anyAlpha = false;

    const size_t bpp = h.pixelBytes();
    PixelReader reader(data + h.dataOffset(), size - h.dataOffset(), bpp, h.rle());
    std::vector<uint8_t> line(static_cast<size_t>(h.width) * bpp);
    const bool topDown = (h.descriptor & kTopToBottom) != 0;
    const bool rightToLeft = (h.descriptor & kRightToLeft) != 0;
    int64_t rowsRead = 0;
    for (int64_t fy = 0; fy < h.height; ++fy) {
        const bool complete = reader.read(line.data(), static_cast<size_t>(h.width));
        const int64_t y = topDown ? fy : h.height - 1 - fy;
        uint8_t* row = out.rowTop(static_cast<int32_t>(y));
        for (int64_t fx = 0; fx < h.width; ++fx) {
            const int64_t x = rightToLeft ? h.width - 1 - fx : fx;
            const uint8_t* p = line.data() + static_cast<size_t>(fx) * bpp;
            if (base == 1) {
                const size_t index = h.depth == 8 ? p[0] : static_cast<size_t>(p[0] | p[1] << 8);
                if (bits == 8) {
                    row[x] = p[0];
                } else {
                    const uint32_t c = index < map.size() ? map[index] : 0;
                    row[3 * x] = static_cast<uint8_t>(c);
                    row[3 * x + 1] = static_cast<uint8_t>(c >> 8);
                    row[3 * x + 2] = static_cast<uint8_t>(c >> 16);
                }
            } else if (base == 2 && bits == 16) {
                row[2 * x] = p[0];
                row[2 * x + 1] = static_cast<uint8_t>(p[1] & 0x7f); // the attribute bit is dropped
            } else if (base == 2) {
                std::memcpy(row + 3 * x, p, 3);
                if (!alpha.empty()) {
                    alpha[static_cast<size_t>(y * h.width + x)] = p[3];
                    anyAlpha = anyAlpha || p[3] != 0;
                }
            } else {
                row[x] = p[0];
                if (!alpha.empty()) {
                    alpha[static_cast<size_t>(y * h.width + x)] = p[1];
                    anyAlpha = anyAlpha || p[1] != 0;
                }
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
    if (anyAlpha) {
        for (int64_t y = 0; y < h.height; ++y) {
            uint8_t* row = out.rowTop(static_cast<int32_t>(y));
            const uint8_t* a = alpha.data() + static_cast<size_t>(y * h.width);
            const int channels = base == 2 ? 3 : 1;
            for (int64_t x = 0; x < h.width; ++x) {
                for (int c = 0; c < channels; ++c) {
                    uint8_t& v = row[channels * x + c];
                    v = composeOnWhite(v, a[x]);
                }
            }
        }
    }
}

void writeTga(const dib& in, std::vector<uint8_t>& out) {
    checkWritable(in);
    const BITMAPINFOHEADER& bh = in.pmi->bmiHeader;
    const int bits = bh.biBitCount;
    const int32_t w = bh.biWidth;
    const int32_t h = bh.biHeight;
    const bool grey = isGreyRamp(in);
    const bool mapped = bits <= 8 && !grey;
    const int cmLength = mapped ? 1 << bits : 0;
    const int depth = bits <= 8 ? 8 : bits;

    out.push_back(0);                           // no image ID
    out.push_back(mapped ? 1 : 0);              // colour map type
    out.push_back(grey ? 11 : mapped ? 9 : 10); // run-length grey / mapped / true colour
    putU16le(out, 0);                           // first colour map entry
    putU16le(out, static_cast<uint32_t>(cmLength));
    out.push_back(mapped ? 24 : 0); // colour map entry size
    putU16le(out, 0);               // x origin
    putU16le(out, 0);               // y origin
    putU16le(out, static_cast<uint32_t>(w));
    putU16le(out, static_cast<uint32_t>(h));
    out.push_back(static_cast<uint8_t>(depth));
    out.push_back(depth == 32 ? 8 : 0); // alpha bits; origin bottom left
    for (int i = 0; i < cmLength; ++i) {
        const RGBQUAD& q = in.pmi->bmiColors[i];
        out.push_back(q.rgbBlue);
        out.push_back(q.rgbGreen);
        out.push_back(q.rgbRed);
    }
    const size_t bpp = static_cast<size_t>(depth / 8);
    std::vector<uint8_t> line(static_cast<size_t>(w) * bpp);
    for (int32_t y = h - 1; y >= 0; --y) { // bottom row first
        const uint8_t* row = DibRowTop(in, y);
        for (int32_t x = 0; x < w; ++x) {
            uint8_t* p = line.data() + static_cast<size_t>(x) * bpp;
            switch (bits) {
            case 1:
                p[0] = static_cast<uint8_t>((row[x >> 3] >> (7 - (x & 7))) & 1);
                break;
            case 4:
                p[0] = static_cast<uint8_t>((x & 1) != 0 ? row[x >> 1] & 0x0f : row[x >> 1] >> 4);
                break;
            case 8:
                p[0] = row[x];
                break;
            case 16:
                p[0] = row[2 * x];
                p[1] = static_cast<uint8_t>(row[2 * x + 1] & 0x7f);
                break;
            case 24:
                std::memcpy(p, row + 3 * static_cast<ptrdiff_t>(x), 3);
                break;
            default:
                std::memcpy(p, row + 4 * static_cast<ptrdiff_t>(x), 3);
                p[3] = 255; // the fourth byte of a 32-bit bitmap is padding: opaque
                break;
            }
        }
        encodeRow(line.data(), static_cast<size_t>(w), bpp, out);
    }
    // TGA 2.0 footer without extension or developer area.
    putU32le(out, 0);
    putU32le(out, 0);
    out.insert(out.end(), kFooterSignature, kFooterSignature + sizeof(kFooterSignature));
}

} // namespace qly::img
