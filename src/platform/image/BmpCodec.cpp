// Windows BMP/DIB files: uncompressed 1/4/8/16/24/32-bit, RLE8/RLE4, bit fields, OS/2 headers,
// top-down rows. Reference: the BITMAPFILEHEADER/BITMAPINFOHEADER/BITMAPV5HEADER layouts.
#include "platform/image/Codec.h"

#include <algorithm>
#include <cstring>

namespace qly::img {
namespace {

constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;

struct BmpHeader {
    int64_t width = 0;
    int64_t height = 0; // absolute value
    bool topDown = false;
    int bits = 0;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
    int32_t xppm = 0;
    int32_t yppm = 0;
    uint32_t masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
    bool core = false;                // OS/2 1.x header: 3-byte colour entries
};

// Shift and width of a contiguous bit mask (0 width for an empty mask).
struct MaskInfo {
    int shift = 0;
    int width = 0;
};

MaskInfo maskInfo(uint32_t mask) {
    MaskInfo m;
    if (mask == 0) {
        return m;
    }
    while ((mask & 1u) == 0) {
        mask >>= 1;
        ++m.shift;
    }
    while ((mask & 1u) != 0 && m.width < 32) {
        mask >>= 1;
        ++m.width;
    }
    return m;
}

uint8_t scaleTo8(uint32_t v, const MaskInfo& m) {
    if (m.width == 0) {
        return 0;
    }
    if (m.width >= 8) {
        return static_cast<uint8_t>(v >> (m.width - 8));
    }
    const uint32_t max = (1u << m.width) - 1;
    return static_cast<uint8_t>((v * 255 + max / 2) / max);
}

// Decodes RLE8/RLE4 into the bitmap. Runs that pass the row end are clipped; a run past the last
// row ends decoding (the rest stays index 0).
void decodeRle(ByteReader& r, const BmpHeader& h, DibHolder& out) {
    const bool rle4 = h.compression == kBiRle4;
    int64_t x = 0;
    int64_t y = 0; // counted in file order: bottom-up unless topDown
    auto put = [&](uint8_t index) {
        if (x < h.width && y < h.height) {
            const int32_t row =
                h.topDown ? static_cast<int32_t>(y) : static_cast<int32_t>(h.height - 1 - y);
            uint8_t* p = out.rowTop(row);
            if (rle4) {
                uint8_t& b = p[x >> 1];
                b = (x & 1) != 0 ? static_cast<uint8_t>((b & 0xf0) | (index & 0x0f))
                                 : static_cast<uint8_t>((b & 0x0f) | (index << 4));
            } else {
                p[x] = index;
            }
        }
        ++x;
    };
    while (r.remaining() >= 2 && y < h.height) {
        const uint8_t count = r.u8();
        const uint8_t value = r.u8();
        if (count > 0) {
            for (int i = 0; i < count; ++i) {
                put(rle4 ? ((i & 1) != 0 ? value & 0x0f : value >> 4) : value);
            }
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of bitmap
            return;
        } else if (value == 2) { // delta
            x += r.u8();
            y += r.u8();
        } else { // absolute run of `value` pixels, padded to a 16-bit boundary
            const size_t bytes = rle4 ? (value + 1u) / 2 : value;
            const uint8_t* p = r.bytes(bytes);
            for (int i = 0; i < value; ++i) {
                put(rle4 ? ((i & 1) != 0 ? p[i / 2] & 0x0f : p[i / 2] >> 4) : p[i]);
            }
            if ((bytes & 1) != 0 && r.remaining() > 0) {
                r.skip(1);
            }
        }
    }
}

void readBmpHeader(ByteReader& r, BmpHeader& h) {
    const size_t start = r.pos();
    const uint32_t size = r.u32le();
    if (size == 12) {
        h.core = true;
        h.width = r.u16le();
        h.height = r.u16le();
        r.u16le(); // planes
        h.bits = r.u16le();
        return;
    }
    if (size < 16 || size > 4096) {
        fail(kErrDamaged);
    }
    h.width = r.i32le();
    const int32_t height = r.i32le();
    if (height == INT32_MIN) {
        fail(kErrDamaged);
    }
    h.topDown = height < 0;
    h.height = height < 0 ? -int64_t{height} : height;
    r.u16le(); // planes
    h.bits = r.u16le();
    if (size >= 40) {
        h.compression = r.u32le();
        r.u32le(); // image size
        h.xppm = r.i32le();
        h.yppm = r.i32le();
        h.colorsUsed = r.u32le();
        r.u32le(); // important colours
    }
    if (size >= 52) {
        for (int i = 0; i < (size >= 56 ? 4 : 3); ++i) {
            h.masks[i] = r.u32le();
        }
    }
    r.seek(start + size);
    if (size == 40 && (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields)) {
        // The masks follow the header.
        for (int i = 0; i < (h.compression == kBiAlphaBitfields ? 4 : 3); ++i) {
            h.masks[i] = r.u32le();
        }
    }
}

void readPixels(const uint8_t* data, size_t size, size_t pixelOffset, const BmpHeader& h,
                DibHolder& out) {
    ByteReader r(data, size);
    r.seek(pixelOffset);
    if (h.compression == kBiRle8 || h.compression == kBiRle4) {
        decodeRle(r, h, out);
        return;
    }
    const int64_t stride = dibStride(h.width, h.bits);
    if (static_cast<uint64_t>(stride) * static_cast<uint64_t>(h.height) > r.remaining()) {
        fail(kErrDamaged);
    }
    const bool fields = h.compression == kBiBitfields || h.compression == kBiAlphaBitfields;
    const int outBits = out.get().pmi->bmiHeader.biBitCount;
    for (int64_t fy = 0; fy < h.height; ++fy) {
        const uint8_t* src = r.bytes(static_cast<size_t>(stride));
        const auto row = static_cast<int32_t>(h.topDown ? fy : h.height - 1 - fy);
        uint8_t* dst = out.rowTop(row);
        if (!fields && outBits == h.bits) {
            std::memcpy(dst, src, static_cast<size_t>(stride));
            continue;
        }
        // Bit fields (16 or 32 bits) become 24-bit blue, green, red; alpha is composed on white.
        MaskInfo m[4];
        for (int i = 0; i < 4; ++i) {
            m[i] = maskInfo(h.masks[i]);
        }
        for (int64_t x = 0; x < h.width; ++x) {
            uint32_t v = 0;
            if (h.bits == 16) {
                v = uint32_t{src[2 * x]} | uint32_t{src[2 * x + 1]} << 8;
            } else {
                const uint8_t* p = src + 4 * x;
                v = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                    uint32_t{p[3]} << 24;
            }
            auto channel = [&](int i) { return scaleTo8((v & h.masks[i]) >> m[i].shift, m[i]); };
            uint32_t rr = channel(0);
            uint32_t gg = channel(1);
            uint32_t bb = channel(2);
            if (m[3].width > 0) {
                const uint32_t a = channel(3);
                rr = (rr * a + 255 * (255 - a) + 127) / 255;
                gg = (gg * a + 255 * (255 - a) + 127) / 255;
                bb = (bb * a + 255 * (255 - a) + 127) / 255;
            }
            uint8_t* d = dst + 3 * x;
            d[0] = static_cast<uint8_t>(bb);
            d[1] = static_cast<uint8_t>(gg);
            d[2] = static_cast<uint8_t>(rr);
        }
    }
}

// Reads a header + colour table + pixels that start at `pixelOffset` (0: right after the table).
void readDib(const uint8_t* data, size_t size, size_t headerOffset, size_t pixelOffset,
             DibHolder& out) {
    ByteReader r(data, size);
    r.seek(headerOffset);
    BmpHeader h;
    readBmpHeader(r, h);
    const int bits = h.bits;
    const bool rle = h.compression == kBiRle8 || h.compression == kBiRle4;
    const bool fields = h.compression == kBiBitfields || h.compression == kBiAlphaBitfields;
    if ((h.compression == kBiRle8 && bits != 8) || (h.compression == kBiRle4 && bits != 4) ||
        (fields && bits != 16 && bits != 32)) {
        fail(kErrDamaged);
    }
    if (!(h.compression == 0 || rle || fields)) {
        fail(kErrUnsupported);
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        fail(kErrUnsupported);
    }
    checkDimensions(h.width, h.height, bits);
    const int tableMax = bits <= 8 ? 1 << bits : 0;
    uint32_t entries = 0;
    if (bits <= 8) {
        entries = h.colorsUsed == 0 ? static_cast<uint32_t>(tableMax) : h.colorsUsed;
    }
    const size_t entrySize = h.core ? 3 : 4;
    if (entries > 4096) {
        fail(kErrDamaged);
    }
    const uint8_t* table = r.bytes(entries * entrySize);
    if (pixelOffset == 0) {
        pixelOffset = r.pos();
    }
    if (pixelOffset >= size) {
        fail(kErrDamaged);
    }
    // Alpha in a plain 32-bit picture is ignored: the fourth byte is padding there.
    const int outBits = fields ? 24 : bits;
    out.create(static_cast<int32_t>(h.width), static_cast<int32_t>(h.height), outBits);
    for (uint32_t i = 0; i < std::min<uint32_t>(entries, static_cast<uint32_t>(tableMax)); ++i) {
        const uint8_t* e = table + i * entrySize;
        out.setColor(static_cast<int>(i), e[2], e[1], e[0]);
    }
    for (uint32_t i = entries; i < static_cast<uint32_t>(tableMax); ++i) {
        out.setColor(static_cast<int>(i), 0, 0, 0);
    }
    out.get().pmi->bmiHeader.biXPelsPerMeter = h.xppm > 0 ? h.xppm : 0;
    out.get().pmi->bmiHeader.biYPelsPerMeter = h.yppm > 0 ? h.yppm : 0;
    readPixels(data, size, pixelOffset, h, out);
}

void appendHeaders(const dib& in, std::vector<uint8_t>& out, uint32_t compression,
                   uint32_t imageBytes) {
    const BITMAPINFOHEADER& bh = in.pmi->bmiHeader;
    const uint32_t tableEntries = bh.biBitCount <= 8 ? 1u << bh.biBitCount : 0;
    const uint32_t offBits = 14 + 40 + tableEntries * 4;
    out.push_back('B');
    out.push_back('M');
    putU32le(out, offBits + imageBytes);
    putU32le(out, 0);
    putU32le(out, offBits);
    putU32le(out, 40);
    putU32le(out, static_cast<uint32_t>(bh.biWidth));
    putU32le(out, static_cast<uint32_t>(bh.biHeight));
    putU16le(out, 1);
    putU16le(out, bh.biBitCount);
    putU32le(out, compression);
    putU32le(out, imageBytes);
    putU32le(out, static_cast<uint32_t>(std::max(bh.biXPelsPerMeter, 0)));
    putU32le(out, static_cast<uint32_t>(std::max(bh.biYPelsPerMeter, 0)));
    putU32le(out, tableEntries);
    putU32le(out, 0);
    for (uint32_t i = 0; i < tableEntries; ++i) {
        const RGBQUAD& q = in.pmi->bmiColors[i];
        out.push_back(q.rgbBlue);
        out.push_back(q.rgbGreen);
        out.push_back(q.rgbRed);
        out.push_back(0);
    }
}

// Pixel index x of a 4- or 8-bit row.
uint8_t indexAt(const uint8_t* row, int bits, int64_t x) {
    if (bits == 8) {
        return row[x];
    }
    return (x & 1) != 0 ? row[x >> 1] & 0x0f : row[x >> 1] >> 4;
}

// RLE8/RLE4 coding of one row (bottom-up file order is the caller's business): runs of equal
// pixels become encoded runs, stretches of differing pixels absolute runs of at least 3.
void encodeRleRow(const uint8_t* row, int bits, int64_t width, std::vector<uint8_t>& out) {
    const bool rle4 = bits == 4;
    int64_t x = 0;
    while (x < width) {
        // Length of the run of equal pixels (for RLE4: alternating pairs are not exploited).
        int64_t run = 1;
        while (x + run < width && run < 255 &&
               indexAt(row, bits, x + run) == indexAt(row, bits, x)) {
            ++run;
        }
        if (run >= 3 || width - x < 3) {
            const int64_t n = run >= 3 ? run : std::min<int64_t>(width - x, 1);
            const uint8_t v = indexAt(row, bits, x);
            out.push_back(static_cast<uint8_t>(n));
            out.push_back(rle4 ? static_cast<uint8_t>(v << 4 | v) : v);
            x += n;
            continue;
        }
        // Absolute run: up to the next run of 3 equal pixels.
        int64_t end = x;
        while (end < width && end - x < 255) {
            if (end + 2 < width && indexAt(row, bits, end) == indexAt(row, bits, end + 1) &&
                indexAt(row, bits, end) == indexAt(row, bits, end + 2)) {
                break;
            }
            ++end;
        }
        const int64_t n = end - x;
        if (n < 3) {
            for (int64_t i = 0; i < n; ++i) {
                const uint8_t v = indexAt(row, bits, x + i);
                out.push_back(1);
                out.push_back(rle4 ? static_cast<uint8_t>(v << 4 | v) : v);
            }
            x = end;
            continue;
        }
        out.push_back(0);
        out.push_back(static_cast<uint8_t>(n));
        size_t bytes = 0;
        for (int64_t i = 0; i < n; ++i) {
            const uint8_t v = indexAt(row, bits, x + i);
            if (!rle4) {
                out.push_back(v);
                ++bytes;
            } else if ((i & 1) == 0) {
                out.push_back(static_cast<uint8_t>(v << 4));
                ++bytes;
            } else {
                out.back() = static_cast<uint8_t>(out.back() | v);
            }
        }
        if ((bytes & 1) != 0) {
            out.push_back(0);
        }
        x = end;
    }
    out.push_back(0); // end of line
    out.push_back(0);
}

} // namespace

bool sniffBmp(const uint8_t* data, size_t size) {
    return size >= 26 && data[0] == 'B' && data[1] == 'M';
}

void readBmp(const uint8_t* data, size_t size, DibHolder& out) {
    if (sniffBmp(data, size)) {
        ByteReader r(data, size);
        r.skip(10);
        const uint32_t offBits = r.u32le();
        readDib(data, size, 14, offBits, out);
        return;
    }
    // A packed DIB: header, colour table and pixels without a file header.
    if (size >= 12) {
        const uint32_t headerSize = ByteReader(data, size).u32le();
        if (headerSize == 12 || headerSize == 40 || headerSize == 52 || headerSize == 56 ||
            headerSize == 108 || headerSize == 124) {
            readDib(data, size, 0, 0, out);
            return;
        }
    }
    fail(kErrUnknownFormat);
}

size_t writeBmpHeaders(const dib& in, std::vector<uint8_t>& out) {
    checkWritable(in);
    const BITMAPINFOHEADER& bh = in.pmi->bmiHeader;
    const auto imageBytes = static_cast<uint32_t>(in.bytew) * static_cast<uint32_t>(bh.biHeight);
    appendHeaders(in, out, BI_RGB, imageBytes);
    return imageBytes;
}

void writeBmp(const dib& in, std::vector<uint8_t>& out) {
    const size_t imageBytes = writeBmpHeaders(in, out);
    out.insert(out.end(), in.poi, in.poi + imageBytes);
}

void writeBmpRle(const dib& in, std::vector<uint8_t>& out) {
    checkWritable(in);
    const int bits = in.pmi->bmiHeader.biBitCount;
    if (bits != 4 && bits != 8) {
        // Only 4- and 8-bit pictures have a run-length form; the others are stored plainly.
        writeBmp(in, out);
        return;
    }
    const BITMAPINFOHEADER& bh = in.pmi->bmiHeader;
    std::vector<uint8_t> body;
    for (int32_t row = 0; row < bh.biHeight; ++row) { // memory order = file order, bottom-up
        encodeRleRow(in.poi + static_cast<ptrdiff_t>(row) * in.bytew, bits, bh.biWidth, body);
    }
    body.back() = 1; // the last end of line becomes end of bitmap
    appendHeaders(in, out, bits == 8 ? kBiRle8 : kBiRle4, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
}

} // namespace qly::img
