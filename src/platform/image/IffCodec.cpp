// IFF pictures (Electronic Arts "EA IFF 85" with the ILBM form, *.iff / *.lbm / *.ilbm).
//
// Reading: the planar ILBM form with 1 to 8 bit planes (colour table from CMAP), Extra-Half-Brite
// and HAM6/HAM8 (CAMG viewport modes), 24- and 32-bit "deep" ILBM, and the chunky PBM form that
// Deluxe Paint writes on PCs; bodies uncompressed or ByteRun1-compressed; a mask plane is
// skipped. Alpha of 32-bit pictures is composed onto white; the optional "DPI " chunk gives the
// resolution.
//
// Writing: planar ILBM with ByteRun1 compression and a CMAP, 1, 4 or 8 planes for 1-, 4- and
// 8-bit pictures; deeper pictures are reduced to at most 256 colours first (Quantize.h) and
// written with as few planes as their colours need.
#include "platform/image/Codec.h"
#include "platform/image/Quantize.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace qly::img {
namespace {

constexpr uint32_t kCamgEhb = 0x80;  // Extra-Half-Brite: colours 32..63 are 0..31 at half
constexpr uint32_t kCamgHam = 0x800; // Hold-And-Modify
constexpr int kMaskHasMask = 1;      // BMHD masking: a mask plane follows the bit planes

bool isId(const uint8_t* p, const char* id) {
    return std::memcmp(p, id, 4) == 0;
}

struct Bmhd {
    uint32_t width = 0;
    uint32_t height = 0;
    int planes = 0;
    int masking = 0;
    int compression = 0;
};

struct IffPicture {
    bool chunky = false; // the PBM form
    bool haveBmhd = false;
    Bmhd bmhd;
    uint8_t cmap[256][3] = {};
    int cmapCount = 0;
    uint32_t camg = 0;
    double xdpi = 0;
    double ydpi = 0;
    const uint8_t* body = nullptr;
    size_t bodySize = 0;
};

// Walks the chunks of the FORM. Chunk sizes that run past the end of the data are cut to what is
// there, so a truncated BODY still yields its complete rows.
void parseForm(const uint8_t* data, size_t size, IffPicture& pic) {
    ByteReader r(data, size);
    r.skip(4); // "FORM"
    const uint32_t formSize = r.u32be();
    const uint8_t* type = r.bytes(4);
    pic.chunky = isId(type, "PBM ");
    const size_t end = std::min<size_t>(size, size_t{8} + formSize);
    while (r.pos() + 8 <= end) {
        const uint8_t* id = r.bytes(4);
        const uint32_t declared = r.u32be();
        const size_t len = std::min<size_t>(declared, end - r.pos());
        const uint8_t* p = r.bytes(len);
        if (isId(id, "BMHD") && len >= 20) {
            pic.haveBmhd = true;
            pic.bmhd.width = uint32_t{p[0]} << 8 | p[1];
            pic.bmhd.height = uint32_t{p[2]} << 8 | p[3];
            pic.bmhd.planes = p[8];
            pic.bmhd.masking = p[9];
            pic.bmhd.compression = p[10];
        } else if (isId(id, "CMAP")) {
            pic.cmapCount = static_cast<int>(std::min<size_t>(len / 3, 256));
            std::memcpy(pic.cmap, p, static_cast<size_t>(pic.cmapCount) * 3);
        } else if (isId(id, "CAMG") && len >= 4) {
            pic.camg = uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
        } else if (isId(id, "DPI ") && len >= 4) {
            pic.xdpi = p[0] << 8 | p[1];
            pic.ydpi = p[2] << 8 | p[3];
        } else if (isId(id, "BODY") && pic.body == nullptr) {
            pic.body = p;
            pic.bodySize = len;
        }
        // Chunks are padded to an even length.
        if ((declared & 1) != 0 && r.pos() < end) {
            r.skip(1);
        }
    }
}

// The bytes of a BODY, uncompressed or ByteRun1 (PackBits): a control byte n of 0..127 copies
// the next n + 1 bytes, -1..-127 repeats the next byte 1 - n times, -128 does nothing. Runs that
// cross the end of a row carry on into the next one.
class BodyReader {
  public:
    BodyReader(const uint8_t* data, size_t size, bool compressed)
        : data_(data), size_(size), compressed_(compressed) {}

    // Fills n bytes; false when the data ended first (the rest is then zero).
    bool read(uint8_t* dst, size_t n) {
        while (n > 0) {
            if (left_ == 0 && !nextRun()) {
                std::memset(dst, 0, n);
                return false;
            }
            const size_t k = std::min(n, left_);
            if (literal_) {
                if (k > size_ - pos_) {
                    std::memset(dst, 0, n);
                    pos_ = size_;
                    left_ = 0;
                    return false;
                }
                std::memcpy(dst, data_ + pos_, k);
                pos_ += k;
            } else {
                std::memset(dst, value_, k);
            }
            dst += k;
            n -= k;
            left_ -= k;
        }
        return true;
    }

  private:
    bool nextRun() {
        if (!compressed_) {
            literal_ = true;
            left_ = size_ - pos_;
            return left_ > 0;
        }
        while (pos_ < size_) {
            const auto n = static_cast<int8_t>(data_[pos_++]);
            if (n >= 0) {
                literal_ = true;
                left_ = static_cast<size_t>(n) + 1;
                return true;
            }
            if (n != -128) {
                if (pos_ >= size_) {
                    return false;
                }
                literal_ = false;
                value_ = data_[pos_++];
                left_ = static_cast<size_t>(1 - n);
                return true;
            }
        }
        return false;
    }

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool compressed_;
    bool literal_ = false;
    uint8_t value_ = 0;
    size_t left_ = 0;
};

enum class Kind { Indexed, Ham, Deep };

void setPixel(uint8_t* row, int bits, int64_t x, uint32_t v) {
    switch (bits) {
    case 1:
        if ((v & 1) != 0) {
            row[x >> 3] = static_cast<uint8_t>(row[x >> 3] | (0x80u >> (x & 7)));
        }
        break;
    case 4:
        row[x >> 1] =
            static_cast<uint8_t>(row[x >> 1] | ((x & 1) != 0 ? v & 0x0f : (v & 0x0f) << 4));
        break;
    case 8:
        row[x] = static_cast<uint8_t>(v);
        break;
    default: { // 24: v = 0xRRGGBB
        uint8_t* p = row + 3 * x;
        p[0] = static_cast<uint8_t>(v);
        p[1] = static_cast<uint8_t>(v >> 8);
        p[2] = static_cast<uint8_t>(v >> 16);
        break;
    }
    }
}

uint32_t composeOnWhite(uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    r = (r * a + 255 * (255 - a) + 127) / 255;
    g = (g * a + 255 * (255 - a) + 127) / 255;
    b = (b * a + 255 * (255 - a) + 127) / 255;
    return r << 16 | g << 8 | b;
}

void decodeIff(const IffPicture& pic, DibHolder& out) {
    if (!pic.haveBmhd || pic.body == nullptr) {
        fail(kErrDamaged);
    }
    const Bmhd& h = pic.bmhd;
    if (h.compression > 1) {
        fail(kErrUnsupported);
    }
    const int planes = h.planes;
    Kind kind = Kind::Indexed;
    if ((pic.camg & kCamgHam) != 0 && (planes == 6 || planes == 8) && !pic.chunky) {
        kind = Kind::Ham;
    } else if (planes == 24 || planes == 32) {
        kind = Kind::Deep;
    } else if (planes < 1 || planes > 8 || (pic.chunky && planes != 8)) {
        fail(kErrUnsupported);
    }
    const bool ehb = kind == Kind::Indexed && planes == 6 && (pic.camg & kCamgEhb) != 0;
    const int bits = kind != Kind::Indexed ? 24 : planes == 1 ? 1 : planes <= 4 ? 4 : 8;
    checkDimensions(h.width, h.height, bits);
    out.create(static_cast<int32_t>(h.width), static_cast<int32_t>(h.height), bits);
    out.setDpi(pic.xdpi, pic.ydpi);

    // Colour table: CMAP entries, the rest black; without CMAP a grey ramp over the planes' range.
    uint32_t colours[256] = {};
    const int entries = kind == Kind::Deep ? 0 : 1 << std::min(planes, 8);
    for (int i = 0; i < entries; ++i) {
        if (pic.cmapCount == 0) {
            const auto v = static_cast<uint32_t>(i * 255 / std::max(entries - 1, 1));
            colours[i] = v << 16 | v << 8 | v;
        } else if (i < pic.cmapCount) {
            colours[i] =
                uint32_t{pic.cmap[i][0]} << 16 | uint32_t{pic.cmap[i][1]} << 8 | pic.cmap[i][2];
        } else if (ehb && i >= 32) {
            colours[i] = (colours[i - 32] >> 1) & 0x7f7f7f;
        }
    }
    if (kind == Kind::Indexed) {
        for (int i = 0; i < (1 << bits); ++i) {
            out.setColor(i, static_cast<uint8_t>(colours[i] >> 16),
                         static_cast<uint8_t>(colours[i] >> 8), static_cast<uint8_t>(colours[i]));
        }
    }

    const int64_t width = h.width;
    const size_t planeBytes = pic.chunky ? static_cast<size_t>(width + (width & 1))
                                         : static_cast<size_t>((width + 15) / 16 * 2);
    const int filePlanes = pic.chunky ? 1 : planes + (h.masking == kMaskHasMask ? 1 : 0);
    std::vector<uint8_t> rowData(planeBytes * static_cast<size_t>(filePlanes));
    BodyReader body(pic.body, pic.bodySize, h.compression == 1);
    int64_t rowsRead = 0;
    for (int64_t y = 0; y < h.height; ++y) {
        const bool complete = body.read(rowData.data(), rowData.size());
        uint8_t* row = out.rowTop(static_cast<int32_t>(y));
        uint32_t held = colours[0]; // HAM starts every row from the background colour
        for (int64_t x = 0; x < width; ++x) {
            uint32_t v = 0;
            if (pic.chunky) {
                v = rowData[static_cast<size_t>(x)];
            } else {
                const size_t byte = static_cast<size_t>(x >> 3);
                const int shift = 7 - static_cast<int>(x & 7);
                for (int p = planes - 1; p >= 0; --p) {
                    v = v << 1 |
                        ((rowData[planeBytes * static_cast<size_t>(p) + byte] >> shift) & 1u);
                }
            }
            if (kind == Kind::Indexed) {
                setPixel(row, bits, x, v);
            } else if (kind == Kind::Deep) {
                // Planes 0-7 red, 8-15 green, 16-23 blue, 24-31 alpha (lowest bit first).
                const uint32_t r = v & 0xff;
                const uint32_t g = (v >> 8) & 0xff;
                const uint32_t b = (v >> 16) & 0xff;
                const uint32_t a = planes == 32 ? (v >> 24) & 0xff : 255;
                setPixel(row, 24, x, composeOnWhite(r, g, b, a));
            } else {
                // The top two bits say what to do: 0 takes a colour table entry, 1 modifies
                // blue, 2 red, 3 green. HAM6 replaces the whole (4-bit) channel, so 15 means full
                // intensity; HAM8 replaces the top six bits and keeps the low two.
                const int dataBits = planes - 2;
                const uint32_t ctrl = v >> dataBits;
                const uint32_t d = v & ((1u << dataBits) - 1);
                auto modify = [&](int shift) {
                    const uint32_t old = (held >> shift) & 0xff;
                    const uint32_t c = dataBits == 4 ? d * 17 : d << 2 | (old & 3);
                    held = (held & ~(0xffu << shift)) | c << shift;
                };
                switch (ctrl) {
                case 0:
                    held = colours[d];
                    break;
                case 1:
                    modify(0);
                    break;
                case 2:
                    modify(16);
                    break;
                default:
                    modify(8);
                    break;
                }
                setPixel(row, 24, x, held);
            }
        }
        if (!complete) {
            break; // a cut-off body keeps its complete rows; the rest stays black
        }
        ++rowsRead;
    }
    if (rowsRead == 0) {
        fail(kErrDamaged);
    }
}

// ByteRun1 (PackBits) coding of one row of one plane: runs of 3 or more equal bytes become
// repeat runs, everything else literal runs of up to 128 bytes.
void packBits(const uint8_t* src, size_t n, std::vector<uint8_t>& out) {
    size_t i = 0;
    while (i < n) {
        size_t run = 1;
        while (i + run < n && run < 128 && src[i + run] == src[i]) {
            ++run;
        }
        if (run >= 3) {
            out.push_back(static_cast<uint8_t>(257 - run)); // -(run - 1) as a signed byte
            out.push_back(src[i]);
            i += run;
            continue;
        }
        size_t j = i;
        while (j < n && j - i < 128) {
            if (j + 2 < n && src[j] == src[j + 1] && src[j] == src[j + 2]) {
                break;
            }
            ++j;
        }
        out.push_back(static_cast<uint8_t>(j - i - 1));
        out.insert(out.end(), src + i, src + j);
        i = j;
    }
}

size_t beginChunk(std::vector<uint8_t>& out, const char* id) {
    out.insert(out.end(), id, id + 4);
    putU32be(out, 0);
    return out.size();
}

void endChunk(std::vector<uint8_t>& out, size_t start) {
    const auto len = static_cast<uint32_t>(out.size() - start);
    for (int i = 0; i < 4; ++i) {
        out[start - 4 + static_cast<size_t>(i)] = static_cast<uint8_t>(len >> (24 - 8 * i));
    }
    if ((len & 1) != 0) {
        out.push_back(0);
    }
}

} // namespace

bool sniffIff(const uint8_t* data, size_t size) {
    return size >= 12 && isId(data, "FORM") && (isId(data + 8, "ILBM") || isId(data + 8, "PBM "));
}

void readIff(const uint8_t* data, size_t size, DibHolder& out) {
    if (!sniffIff(data, size)) {
        fail(kErrUnknownFormat);
    }
    auto pic = std::make_unique<IffPicture>();
    parseForm(data, size, *pic);
    decodeIff(*pic, out);
}

void writeIff(const dib& in, std::vector<uint8_t>& out) {
    const BITMAPINFOHEADER& bh = in.pmi->bmiHeader;
    if (bh.biWidth <= 0 || bh.biHeight <= 0) {
        fail(kErrEmpty);
    }
    if (bh.biWidth > 65535 || bh.biHeight > 65535) {
        fail(kErrTooLarge);
    }
    const IndexedPicture pic(in);
    int planes = pic.bits();
    if (pic.quantized()) {
        planes = 1;
        while ((1 << planes) < pic.colors()) {
            ++planes;
        }
    }
    const auto width = static_cast<uint32_t>(pic.width());
    const auto height = static_cast<uint32_t>(pic.height());

    out.insert(out.end(), {'F', 'O', 'R', 'M', 0, 0, 0, 0, 'I', 'L', 'B', 'M'});
    size_t c = beginChunk(out, "BMHD");
    putU16be(out, width);
    putU16be(out, height);
    putU32be(out, 0); // position
    out.push_back(static_cast<uint8_t>(planes));
    out.push_back(0); // no mask
    out.push_back(1); // ByteRun1
    out.push_back(0);
    putU16be(out, 0); // transparent colour
    out.push_back(1); // square pixels: aspect 1:1
    out.push_back(1);
    putU16be(out, std::min<uint32_t>(width, 32767)); // page size (a signed field)
    putU16be(out, std::min<uint32_t>(height, 32767));
    endChunk(out, c);

    c = beginChunk(out, "CMAP");
    const int used = std::min(pic.colors(), 1 << pic.bits());
    for (int i = 0; i < (1 << planes); ++i) {
        const RGBQUAD q = i < used ? pic.color(i) : RGBQUAD{0, 0, 0, 0};
        out.push_back(q.rgbRed);
        out.push_back(q.rgbGreen);
        out.push_back(q.rgbBlue);
    }
    endChunk(out, c);

    if (bh.biXPelsPerMeter > 0 && bh.biYPelsPerMeter > 0) {
        const long xdpi = std::lround(bh.biXPelsPerMeter * 0.0254);
        const long ydpi = std::lround(bh.biYPelsPerMeter * 0.0254);
        if (xdpi > 0 && ydpi > 0 && xdpi <= 65535 && ydpi <= 65535) {
            c = beginChunk(out, "DPI ");
            putU16be(out, static_cast<uint32_t>(xdpi));
            putU16be(out, static_cast<uint32_t>(ydpi));
            endChunk(out, c);
        }
    }

    c = beginChunk(out, "BODY");
    const size_t planeBytes = (width + 15) / 16 * 2;
    std::vector<uint8_t> line(width);
    std::vector<uint8_t> plane(planeBytes);
    for (uint32_t y = 0; y < height; ++y) {
        pic.row(static_cast<int32_t>(y), line.data());
        for (int p = 0; p < planes; ++p) {
            std::fill(plane.begin(), plane.end(), 0);
            for (uint32_t x = 0; x < width; ++x) {
                if (((line[x] >> p) & 1) != 0) {
                    plane[x >> 3] = static_cast<uint8_t>(plane[x >> 3] | (0x80u >> (x & 7)));
                }
            }
            packBits(plane.data(), plane.size(), out);
        }
    }
    endChunk(out, c);
    const auto formSize = static_cast<uint32_t>(out.size() - 8);
    for (int i = 0; i < 4; ++i) {
        out[4 + static_cast<size_t>(i)] = static_cast<uint8_t>(formSize >> (24 - 8 * i));
    }
}

} // namespace qly::img
