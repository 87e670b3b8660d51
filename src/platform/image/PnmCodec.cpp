// Netpbm pictures: PBM, PGM and PPM in their plain (ASCII, P1-P3) and raw (P4-P6) forms, with
// any maximum value up to 65535 (two bytes per sample, most significant first, above 255).
// Written as raw PBM for 1-bit pictures, raw PGM for grey ones and raw PPM for the rest.
#include "platform/image/Codec.h"

#include <algorithm>
#include <array>
#include <string>

namespace qly::img {
namespace {

bool isSpace(uint8_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool isDigit(uint8_t c) {
    return c >= '0' && c <= '9';
}

// Reads the header and the plain samples; white space and comments ('#' to the end of the line)
// may stand between any two tokens of the header and the samples of a plain file.
class PnmScanner {
  public:
    PnmScanner(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    void skipSpaceAndComments() {
        while (pos_ < size_) {
            if (data_[pos_] == '#') {
                while (pos_ < size_ && data_[pos_] != '\n' && data_[pos_] != '\r') {
                    ++pos_;
                }
            } else if (isSpace(data_[pos_])) {
                ++pos_;
            } else {
                break;
            }
        }
    }

    // A decimal number; very long numbers saturate at 2^32 - 1.
    uint32_t number() {
        skipSpaceAndComments();
        if (pos_ >= size_ || !isDigit(data_[pos_])) {
            fail(kErrDamaged);
        }
        uint64_t v = 0;
        while (pos_ < size_ && isDigit(data_[pos_])) {
            v = std::min<uint64_t>(v * 10 + (data_[pos_] - '0'), 0xffffffffu);
            ++pos_;
        }
        return static_cast<uint32_t>(v);
    }

    // One pixel of a plain PBM: a single '0' or '1', with or without space between pixels.
    uint8_t bit() {
        skipSpaceAndComments();
        if (pos_ >= size_ || (data_[pos_] != '0' && data_[pos_] != '1')) {
            fail(kErrDamaged);
        }
        return data_[pos_++] == '1' ? 1 : 0;
    }

    // The single white-space character that ends the header of a raw file.
    void endOfHeader() {
        if (pos_ >= size_ || !isSpace(data_[pos_])) {
            fail(kErrDamaged);
        }
        ++pos_;
    }

    size_t pos() const { return pos_; }
    size_t remaining() const { return size_ - pos_; }
    const uint8_t* here() const { return data_ + pos_; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 2; // after the magic number
};

// Maps a sample of 0..maxval onto 0..255, rounding.
class Scale {
  public:
    explicit Scale(uint32_t maxval) : maxval_(maxval) {}
    uint8_t operator()(uint32_t v) const {
        v = std::min(v, maxval_);
        return static_cast<uint8_t>((v * 255 + maxval_ / 2) / maxval_);
    }

  private:
    uint32_t maxval_;
};

// Luminance of a colour table entry (ITU-R BT.601 weights), 0..255000.
uint32_t luminance(const RGBQUAD& q) {
    return 299u * q.rgbRed + 587u * q.rgbGreen + 114u * q.rgbBlue;
}

void putText(std::vector<uint8_t>& out, const std::string& s) {
    out.insert(out.end(), s.begin(), s.end());
}

} // namespace

bool sniffPnm(const uint8_t* data, size_t size) {
    return size >= 3 && data[0] == 'P' && data[1] >= '1' && data[1] <= '6' &&
           (isSpace(data[2]) || data[2] == '#');
}

void readPnm(const uint8_t* data, size_t size, DibHolder& out) {
    if (!sniffPnm(data, size)) {
        fail(kErrUnknownFormat);
    }
    const int kind = data[1] - '0';
    const bool plain = kind <= 3;
    const bool bitmap = kind == 1 || kind == 4;
    const bool colour = kind == 3 || kind == 6;
    PnmScanner s(data, size);
    const uint32_t width = s.number();
    const uint32_t height = s.number();
    const uint32_t maxval = bitmap ? 1 : s.number();
    if (maxval == 0 || maxval > 65535) {
        fail(kErrDamaged);
    }
    const int bits = bitmap ? 1 : colour ? 24 : 8;
    checkDimensions(width, height, bits);
    const uint64_t channels = colour ? 3 : 1;
    const uint64_t samples = uint64_t{width} * height * channels;
    const uint64_t sampleBytes = maxval > 255 ? 2 : 1;
    // The samples must be there before the bitmap is made: a raw file needs every byte, a plain
    // one at least one character per sample.
    uint64_t needed = 0;
    if (plain) {
        s.skipSpaceAndComments();
        needed = samples;
    } else {
        s.endOfHeader();
        needed = bitmap ? uint64_t{(width + 7) / 8} * height : samples * sampleBytes;
    }
    if (s.remaining() < needed) {
        fail(kErrDamaged);
    }

    out.create(static_cast<int32_t>(width), static_cast<int32_t>(height), bits);
    if (bitmap) {
        // PBM: 1 is black. The bitmap keeps the usual table, 0 black and 1 white.
        out.setColor(0, 0, 0, 0);
        out.setColor(1, 255, 255, 255);
    }
    const Scale scale(maxval);
    const uint8_t* raw = s.here();
    const size_t rowBytes = (size_t{width} + 7) / 8;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = out.rowTop(static_cast<int32_t>(y));
        if (bitmap) {
            if (plain) {
                for (uint32_t x = 0; x < width; ++x) {
                    if (s.bit() == 0) {
                        row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
                    }
                }
            } else {
                const uint8_t* src = raw + rowBytes * y;
                for (size_t i = 0; i < rowBytes; ++i) {
                    row[i] = static_cast<uint8_t>(~src[i]);
                }
                if (width % 8 != 0) {
                    row[rowBytes - 1] &= static_cast<uint8_t>(0xff00 >> (width % 8));
                }
            }
            continue;
        }
        const uint64_t perRow = uint64_t{width} * channels;
        const uint8_t* src = raw + perRow * sampleBytes * y;
        for (uint64_t i = 0; i < perRow; ++i) {
            uint32_t v = 0;
            if (plain) {
                v = s.number(); // values above the maximum are taken as the maximum
            } else if (sampleBytes == 2) {
                v = uint32_t{src[2 * i]} << 8 | src[2 * i + 1];
            } else {
                v = src[i];
            }
            const uint8_t b = scale(v);
            if (colour) {
                // The file gives red, green, blue; the bitmap holds blue, green, red.
                row[(i / 3) * 3 + (2 - i % 3)] = b;
            } else {
                row[i] = b;
            }
        }
    }
}

void writePnm(const dib& in, std::vector<uint8_t>& out) {
    checkWritable(in);
    const BITMAPINFOHEADER& h = in.pmi->bmiHeader;
    const int bits = h.biBitCount;
    const auto w = static_cast<uint32_t>(h.biWidth);
    const auto ht = static_cast<uint32_t>(h.biHeight);
    const std::string size = std::to_string(w) + " " + std::to_string(ht) + "\n";
    if (bits == 1 && dibIsBlackAndWhite(in)) {
        // PBM 1 is black: whichever table entry is darker becomes black. Other pairs of colours
        // are written below as grey or colour pixels.
        const bool zeroIsBlack = luminance(in.pmi->bmiColors[0]) <= luminance(in.pmi->bmiColors[1]);
        putText(out, "P4\n" + size);
        const size_t rowBytes = (size_t{w} + 7) / 8;
        const auto mask = static_cast<uint8_t>(w % 8 == 0 ? 0xff : 0xff00 >> (w % 8));
        for (uint32_t y = 0; y < ht; ++y) {
            const uint8_t* row = DibRowTop(in, static_cast<int32_t>(y));
            for (size_t i = 0; i < rowBytes; ++i) {
                uint8_t b = zeroIsBlack ? static_cast<uint8_t>(~row[i]) : row[i];
                if (i + 1 == rowBytes) {
                    b &= mask; // padding bits are zero
                }
                out.push_back(b);
            }
        }
        return;
    }
    const bool grey = bits <= 8 && dibIsGrey(in);
    putText(out, (grey ? "P5\n" : "P6\n") + size + "255\n");
    out.reserve(out.size() + size_t{w} * ht * (grey ? 1 : 3));
    for (uint32_t y = 0; y < ht; ++y) {
        const uint8_t* row = DibRowTop(in, static_cast<int32_t>(y));
        for (uint32_t x = 0; x < w; ++x) {
            RGBQUAD q{};
            switch (bits) {
            case 1:
                q = dibColor(in, (row[x / 8] >> (7 - x % 8)) & 1);
                break;
            case 4:
                q = dibColor(in, (row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 15);
                break;
            case 8:
                q = dibColor(in, row[x]);
                break;
            case 16: {
                const uint32_t v = row[x * 2] | uint32_t{row[x * 2 + 1]} << 8;
                q.rgbRed = static_cast<uint8_t>(((v >> 10) & 31) * 255 / 31);
                q.rgbGreen = static_cast<uint8_t>(((v >> 5) & 31) * 255 / 31);
                q.rgbBlue = static_cast<uint8_t>((v & 31) * 255 / 31);
                break;
            }
            case 24:
                q = RGBQUAD{row[x * 3], row[x * 3 + 1], row[x * 3 + 2], 0};
                break;
            default:
                q = RGBQUAD{row[x * 4], row[x * 4 + 1], row[x * 4 + 2], 0};
                break;
            }
            if (grey) {
                out.push_back(q.rgbRed);
            } else {
                out.push_back(q.rgbRed);
                out.push_back(q.rgbGreen);
                out.push_back(q.rgbBlue);
            }
        }
    }
}

} // namespace qly::img
