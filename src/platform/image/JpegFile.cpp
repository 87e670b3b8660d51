// JPEG files kept as they are: reading their markers, estimating their quality, and the lossless
// quarter turn through libjpeg-turbo.
#include "platform/JpegFile.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <turbojpeg.h>

namespace qly {
namespace {

// Position in natural (row by row) order of the k-th coefficient in zigzag order (T.81, figure 5).
constexpr std::array<uint8_t, 64> kNaturalOrder = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// The example tables of T.81 annex K (K.1 luminance, K.2 chrominance), natural order: the tables
// libjpeg scales by its quality setting.
constexpr std::array<uint16_t, 64> kLuminance = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr std::array<uint16_t, 64> kChrominance = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

// libjpeg's jpeg_quality_scaling and jpeg_add_quant_table with baseline tables (entries 1..255).
uint16_t scaledEntry(uint16_t standard, int32_t quality) {
    const int32_t scale = quality < 50 ? 5000 / quality : 200 - quality * 2;
    const int64_t v = (int64_t{standard} * scale + 50) / 100;
    return static_cast<uint16_t>(v < 1 ? 1 : v > 255 ? 255 : v);
}

uint16_t be16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

// The orientation tag (0x0112) of IFD 0 of an EXIF block (a TIFF structure, either byte order);
// 1 when it is missing or cannot be read.
int32_t exifOrientation(const uint8_t* tiff, size_t size) {
    if (size < 8) {
        return 1;
    }
    const bool little = tiff[0] == 'I' && tiff[1] == 'I';
    if (!little && !(tiff[0] == 'M' && tiff[1] == 'M')) {
        return 1;
    }
    auto u16 = [&](size_t at) -> uint32_t {
        return little ? tiff[at] | tiff[at + 1] << 8 : tiff[at] << 8 | tiff[at + 1];
    };
    auto u32 = [&](size_t at) -> uint32_t {
        return little ? u16(at) | u16(at + 2) << 16 : u16(at) << 16 | u16(at + 2);
    };
    const size_t ifd = u32(4);
    if (ifd > size - 2) {
        return 1;
    }
    const size_t entries = u16(ifd);
    for (size_t i = 0; i < entries; ++i) {
        const size_t at = ifd + 2 + i * 12;
        if (at > size - 12) {
            break;
        }
        if (u16(at) == 0x0112 && u16(at + 2) == 3 && u32(at + 4) == 1) {
            return static_cast<int32_t>(u16(at + 8));
        }
    }
    return 1;
}

// libjpeg's choice of colour space for the file (jpeg_read_header's default_decompress_parms).
JpegColour colourOf(const JpegFacts& f, const std::array<uint8_t, 4>& ids) {
    if (f.components == 1) {
        return JpegColour::Grey;
    }
    if (f.components == 3) {
        if (f.jfif) {
            return JpegColour::YCbCr;
        }
        if (f.adobeTransform >= 0) {
            return f.adobeTransform == 0 ? JpegColour::Rgb : JpegColour::YCbCr;
        }
        return ids[0] == 'R' && ids[1] == 'G' && ids[2] == 'B' ? JpegColour::Rgb
                                                               : JpegColour::YCbCr;
    }
    return f.adobeTransform > 0 ? JpegColour::Ycck : JpegColour::Cmyk;
}

struct TjFree {
    void operator()(unsigned char* p) const { tjFree(p); }
};
struct TjDestroy {
    void operator()(void* h) const { tjDestroy(h); }
};

} // namespace

int32_t jpegTableQuality(const uint16_t* luminance, const uint16_t* chrominance) {
    int32_t best = 1;
    int64_t bestError = -1;
    for (int32_t q = 1; q <= 100; ++q) {
        int64_t error = 0;
        for (size_t i = 0; i < 64; ++i) {
            const int64_t d = int64_t{luminance[i]} - scaledEntry(kLuminance[i], q);
            error += d * d;
            if (chrominance != nullptr) {
                const int64_t c = int64_t{chrominance[i]} - scaledEntry(kChrominance[i], q);
                error += c * c;
            }
        }
        // Ties go to the higher quality, so a file is never taken for worse than it may be.
        if (bestError < 0 || error <= bestError) {
            best = q;
            bestError = error;
        }
    }
    return best;
}

bool readJpegFacts(const uint8_t* data, size_t size, JpegFacts& facts) {
    facts = JpegFacts{};
    if (size < 4 || data[0] != 0xff || data[1] != 0xd8) {
        return false;
    }
    std::array<std::array<uint16_t, 64>, 4> tables{};
    std::array<bool, 4> defined{};
    std::array<uint8_t, 4> ids{};
    std::array<uint8_t, 4> tableOf{};
    bool frame = false;
    bool scan = false;
    size_t pos = 2;
    for (;;) {
        // A segment starts with 0xFF; more 0xFF bytes before the marker code are fill bytes.
        if (pos >= size || data[pos] != 0xff) {
            return false;
        }
        while (pos < size && data[pos] == 0xff) {
            ++pos;
        }
        if (pos >= size) {
            return false;
        }
        const uint8_t marker = data[pos++];
        if (marker == 0xd9) { // EOI
            facts.colour = colourOf(facts, ids);
            return frame && scan;
        }
        if (marker == 0x00 || marker == 0x01 || marker == 0xd8 ||
            (marker >= 0xd0 && marker <= 0xd7)) {
            return false; // no standalone marker belongs between segments
        }
        if (size - pos < 2) {
            return false;
        }
        const size_t length = be16(data + pos);
        if (length < 2 || length > size - pos) {
            return false;
        }
        const uint8_t* seg = data + pos + 2;
        const size_t n = length - 2;
        switch (marker) {
        case 0xc0: // baseline
        case 0xc1: // extended sequential, Huffman
        case 0xc2: // progressive, Huffman
        {
            if (frame || n < 6) {
                return false;
            }
            frame = true;
            facts.progressive = marker == 0xc2;
            facts.height = be16(seg + 1);
            facts.width = be16(seg + 3);
            facts.components = seg[5];
            if (seg[0] != 8 || facts.width == 0 || facts.height == 0 ||
                (facts.components != 1 && facts.components != 3 && facts.components != 4) ||
                n != 6 + 3 * size_t(facts.components)) {
                return false;
            }
            for (int c = 0; c < facts.components; ++c) {
                ids[size_t(c)] = seg[6 + 3 * c];
                tableOf[size_t(c)] = seg[8 + 3 * c];
                if (tableOf[size_t(c)] > 3) {
                    return false;
                }
            }
            break;
        }
        case 0xc4: // Huffman tables
        case 0xdd: // restart interval
            break;
        case 0xdb: { // quantisation tables
            size_t at = 0;
            while (at < n) {
                const int precision = seg[at] >> 4;
                const int id = seg[at] & 15;
                const size_t bytes = precision == 0 ? 64 : 128;
                if (precision > 1 || id > 3 || n - at - 1 < bytes) {
                    return false;
                }
                for (size_t k = 0; k < 64; ++k) {
                    tables[size_t(id)][kNaturalOrder[k]] =
                        precision == 0 ? seg[at + 1 + k] : be16(seg + at + 1 + 2 * k);
                }
                defined[size_t(id)] = true;
                at += 1 + bytes;
            }
            break;
        }
        case 0xda: { // start of scan
            if (!frame || n < 1 || n != 4 + 2 * size_t(seg[0])) {
                return false;
            }
            if (!scan) {
                // The tables in force for the first scan give the quality.
                for (int c = 0; c < facts.components; ++c) {
                    if (!defined[tableOf[size_t(c)]]) {
                        return false;
                    }
                }
                const bool ownChroma = facts.components > 1 && tableOf[1] != tableOf[0];
                facts.quality = jpegTableQuality(tables[tableOf[0]].data(),
                                                 ownChroma ? tables[tableOf[1]].data() : nullptr);
            }
            scan = true;
            // The entropy-coded data run to the next marker that is neither a stuffed 0xFF
            // (0xFF 0x00) nor a restart marker.
            size_t p = pos + length;
            for (;;) {
                if (p < size && data[p] != 0xff) {
                    const void* ff = std::memchr(data + p, 0xff, size - p);
                    p = ff != nullptr ? size_t(static_cast<const uint8_t*>(ff) - data) : size;
                }
                if (p + 1 >= size) {
                    return false;
                }
                if (data[p + 1] == 0x00 || (data[p + 1] >= 0xd0 && data[p + 1] <= 0xd7)) {
                    p += 2;
                } else if (data[p + 1] == 0xff) {
                    ++p;
                } else {
                    break;
                }
            }
            pos = p;
            continue;
        }
        case 0xe0: // APP0
            if (n >= 5 && seg[0] == 'J' && seg[1] == 'F' && seg[2] == 'I' && seg[3] == 'F' &&
                seg[4] == 0) {
                facts.jfif = true;
            }
            break;
        case 0xe1: // APP1
            if (n >= 6 && seg[0] == 'E' && seg[1] == 'x' && seg[2] == 'i' && seg[3] == 'f' &&
                seg[4] == 0 && seg[5] == 0) {
                facts.orientation = exifOrientation(seg + 6, n - 6);
            }
            break;
        case 0xee: // APP14
            if (n >= 12 && seg[0] == 'A' && seg[1] == 'd' && seg[2] == 'o' && seg[3] == 'b' &&
                seg[4] == 'e') {
                facts.adobeTransform = seg[11];
            }
            break;
        default:
            // Every other frame type (lossless, hierarchical, arithmetic coding), arithmetic
            // conditioning and DNL is refused; other application segments and comments are not
            // looked at.
            if ((marker >= 0xc3 && marker <= 0xcf) || marker == 0xdc) {
                return false;
            }
            break;
        }
        pos += length;
    }
}

bool jpegShowsAlikeInPdf(const JpegFacts& f) {
    if (f.orientation != 1) {
        return false;
    }
    switch (f.components) {
    case 1:
        return true;
    case 3:
        if (f.adobeTransform < 0) {
            return f.colour == JpegColour::YCbCr; // DCTDecode's default transform for 3 components
        }
        return f.adobeTransform == 1 || (f.adobeTransform == 0 && !f.jfif);
    default:
        return false;
    }
}

bool turnJpegLossless(const uint8_t* data, size_t size, bool clockwise, std::vector<uint8_t>& out) {
    out.clear();
    std::unique_ptr<void, TjDestroy> tj(tjInitTransform());
    if (!tj) {
        return false;
    }
    tjtransform turn{};
    turn.op = clockwise ? TJXOP_ROT90 : TJXOP_ROT270;
    // Progressive coding makes Huffman tables for the data; the default tables would make the
    // turned file about a quarter larger than an optimised original.
    turn.options = TJXOPT_PERFECT | TJXOPT_PROGRESSIVE;
    unsigned char* result = nullptr;
    unsigned long resultSize = 0;
    const int rc = tjTransform(tj.get(), data, static_cast<unsigned long>(size), 1, &result,
                               &resultSize, &turn, TJFLAG_LIMITSCANS | TJFLAG_STOPONWARNING);
    std::unique_ptr<unsigned char, TjFree> owner(result);
    if (rc != 0 || result == nullptr) {
        return false;
    }
    out.assign(result, result + resultSize);
    return true;
}

} // namespace qly
