#pragma once
// A small JBIG2 decoder for tests and fuzzing targets, written from ITU-T T.88 independently of
// the encoder: the MQ decoder of Annex E.3 and generic region decoding (6.2.5) with any AT pixel
// positions for template 0, plus enough segment parsing (7.2, 7.4.1, 7.4.6, 7.4.8) to read an
// embedded page stream. It decodes pixel by pixel from scratch, which is slow but obviously
// right; tests keep their pictures small.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qlytest {

// T.88 Table E.1 as the decoder reads it.
struct QeEntry {
    uint16_t qe;
    uint8_t nmps;
    uint8_t nlps;
    uint8_t swtch;
};
inline constexpr QeEntry kDecoderQe[47] = {
    {0x5601, 1, 1, 1},   {0x3401, 2, 6, 0},   {0x1801, 3, 9, 0},   {0x0AC1, 4, 12, 0},
    {0x0521, 5, 29, 0},  {0x0221, 38, 33, 0}, {0x5601, 7, 6, 1},   {0x5401, 8, 14, 0},
    {0x4801, 9, 14, 0},  {0x3801, 10, 14, 0}, {0x3001, 11, 17, 0}, {0x2401, 12, 18, 0},
    {0x1C01, 13, 20, 0}, {0x1601, 29, 21, 0}, {0x5601, 15, 14, 1}, {0x5401, 16, 14, 0},
    {0x5101, 17, 15, 0}, {0x4801, 18, 16, 0}, {0x3801, 19, 17, 0}, {0x3401, 20, 18, 0},
    {0x3001, 21, 19, 0}, {0x2801, 22, 19, 0}, {0x2401, 23, 20, 0}, {0x2201, 24, 21, 0},
    {0x1C01, 25, 22, 0}, {0x1801, 26, 23, 0}, {0x1601, 27, 24, 0}, {0x1401, 28, 25, 0},
    {0x1201, 29, 26, 0}, {0x1101, 30, 27, 0}, {0x0AC1, 31, 28, 0}, {0x09C1, 32, 29, 0},
    {0x08A1, 33, 30, 0}, {0x0521, 34, 31, 0}, {0x0441, 35, 32, 0}, {0x02A1, 36, 33, 0},
    {0x0221, 37, 34, 0}, {0x0141, 38, 35, 0}, {0x0111, 39, 36, 0}, {0x0085, 40, 37, 0},
    {0x0049, 41, 38, 0}, {0x0025, 42, 39, 0}, {0x0015, 43, 40, 0}, {0x0009, 44, 41, 0},
    {0x0005, 45, 42, 0}, {0x0001, 45, 43, 0}, {0x5601, 46, 46, 0},
};

// MQ decoder (T.88 E.3: INITDEC, DECODE, BYTEIN, RENORMD), reading 0xFF bytes past the end of its
// data.
class MqDecoder {
  public:
    struct Context {
        uint8_t index = 0;
        uint8_t mps = 0;
    };

    MqDecoder(const uint8_t* data, size_t size) : data_(data), size_(size) {
        // INITDEC
        c_ = static_cast<uint32_t>(byteAt(0) ^ 0xFF) << 16;
        byteIn();
        c_ <<= 7;
        ct_ -= 7;
        a_ = 0x8000;
    }

    int decode(Context& cx) {
        const QeEntry& q = kDecoderQe[cx.index];
        a_ -= q.qe;
        int d;
        if ((c_ >> 16) < a_) {
            if ((a_ & 0x8000) != 0) {
                return cx.mps;
            }
            // MPS_EXCHANGE
            if (a_ < q.qe) {
                d = 1 - cx.mps;
                if (q.swtch != 0) {
                    cx.mps = static_cast<uint8_t>(1 - cx.mps);
                }
                cx.index = q.nlps;
            } else {
                d = cx.mps;
                cx.index = q.nmps;
            }
        } else {
            c_ -= a_ << 16;
            // LPS_EXCHANGE
            if (a_ < q.qe) {
                a_ = q.qe;
                d = cx.mps;
                cx.index = q.nmps;
            } else {
                a_ = q.qe;
                d = 1 - cx.mps;
                if (q.swtch != 0) {
                    cx.mps = static_cast<uint8_t>(1 - cx.mps);
                }
                cx.index = q.nlps;
            }
        }
        // RENORMD
        do {
            if (ct_ == 0) {
                byteIn();
            }
            a_ <<= 1;
            c_ <<= 1;
            --ct_;
        } while ((a_ & 0x8000) == 0);
        return d;
    }

    // Bytes the decoder has consumed so far (it never consumes a terminating marker).
    size_t position() const { return bp_; }

  private:
    uint32_t byteAt(size_t i) const { return i < size_ ? data_[i] : 0xFFu; }

    void byteIn() {
        if (byteAt(bp_) == 0xFF) {
            if (byteAt(bp_ + 1) > 0x8F) {
                ct_ = 8; // a marker: feed 1 bits from here on
            } else {
                ++bp_;
                c_ += 0xFE00 - (byteAt(bp_) << 9);
                ct_ = 7;
            }
        } else {
            ++bp_;
            c_ += 0xFF00 - (byteAt(bp_) << 8);
            ct_ = 8;
        }
    }

    const uint8_t* data_;
    size_t size_;
    size_t bp_ = 0;
    uint32_t a_ = 0;
    uint32_t c_ = 0;
    int ct_ = 0;
};

// A decoded bitmap: rows top-down, packed MSB first, 1 = black.
struct DecodedPage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> bits;
    uint32_t stride() const { return (width + 7) / 8; }
    int pixel(int64_t x, int64_t y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) {
            return 0;
        }
        return (bits[static_cast<size_t>(y) * stride() + static_cast<size_t>(x / 8)] >>
                (7 - x % 8)) &
               1;
    }
    void set(uint32_t x, uint32_t y, int v) {
        uint8_t& b = bits[static_cast<size_t>(y) * stride() + x / 8];
        const auto mask = static_cast<uint8_t>(0x80u >> (x % 8));
        b = static_cast<uint8_t>(v != 0 ? b | mask : b & ~mask);
    }
};

// Generic region decoding with template 0 (T.88 6.2.5.3), the AT pixels `at` (A1x, A1y, ...,
// A4x, A4y) and optional typical prediction. `consumed` receives the number of coded bytes read.
inline DecodedPage decodeGenericTemplate0(const uint8_t* data, size_t size, uint32_t width,
                                          uint32_t height, const int8_t at[8], bool tpgdon,
                                          size_t* consumed = nullptr) {
    DecodedPage page;
    page.width = width;
    page.height = height;
    page.bits.assign(static_cast<size_t>(page.stride()) * height, 0);
    MqDecoder mq(data, size);
    std::vector<MqDecoder::Context> cx(65536);
    int ltp = 0;
    for (uint32_t y = 0; y < height; ++y) {
        if (tpgdon) {
            ltp ^= mq.decode(cx[0x9B25]);
            if (ltp != 0) {
                for (uint32_t x = 0; x < width; ++x) {
                    page.set(x, y, page.pixel(x, int64_t{y} - 1));
                }
                continue;
            }
        }
        for (uint32_t x = 0; x < width; ++x) {
            const int64_t X = x;
            const int64_t Y = y;
            uint32_t c = 0;
            c |= page.pixel(X - 1, Y) << 0;
            c |= page.pixel(X - 2, Y) << 1;
            c |= page.pixel(X - 3, Y) << 2;
            c |= page.pixel(X - 4, Y) << 3;
            c |= page.pixel(X + at[0], Y + at[1]) << 4;
            c |= page.pixel(X + 2, Y - 1) << 5;
            c |= page.pixel(X + 1, Y - 1) << 6;
            c |= page.pixel(X, Y - 1) << 7;
            c |= page.pixel(X - 1, Y - 1) << 8;
            c |= page.pixel(X - 2, Y - 1) << 9;
            c |= page.pixel(X + at[2], Y + at[3]) << 10;
            c |= page.pixel(X + at[4], Y + at[5]) << 11;
            c |= page.pixel(X + 1, Y - 2) << 12;
            c |= page.pixel(X, Y - 2) << 13;
            c |= page.pixel(X - 1, Y - 2) << 14;
            c |= page.pixel(X + at[6], Y + at[7]) << 15;
            page.set(x, y, mq.decode(cx[c]));
        }
    }
    if (consumed != nullptr) {
        *consumed = mq.position();
    }
    return page;
}

inline uint32_t readU32(const std::vector<uint8_t>& s, size_t at) {
    return uint32_t{s[at]} << 24 | uint32_t{s[at + 1]} << 16 | uint32_t{s[at + 2]} << 8 |
           uint32_t{s[at + 3]};
}

// Decodes an embedded page stream (page information segment followed by immediate generic
// regions coded arithmetically with template 0, all on page 1). On anything unexpected it
// returns false with a reason in `error`.
inline bool decodePageStream(const std::vector<uint8_t>& s, DecodedPage& page, std::string& error) {
    size_t pos = 0;
    bool havePage = false;
    while (pos < s.size()) {
        if (s.size() - pos < 11) {
            error = "truncated segment header";
            return false;
        }
        const uint8_t flags = s[pos + 4];
        const int type = flags & 0x3F;
        const size_t pageBytes = (flags & 0x40) != 0 ? 4 : 1;
        if (s[pos + 5] != 0) {
            error = "segment refers to other segments";
            return false;
        }
        const size_t headerBytes = 6 + pageBytes + 4;
        if (s.size() - pos < headerBytes) {
            error = "truncated segment header";
            return false;
        }
        const uint32_t pageNo = pageBytes == 1 ? s[pos + 6] : readU32(s, pos + 6);
        const uint32_t length = readU32(s, pos + 6 + pageBytes);
        pos += headerBytes;
        if (pageNo != 1) {
            error = "segment not on page 1";
            return false;
        }
        if (s.size() - pos < length) {
            error = "segment data runs past the end";
            return false;
        }
        if (type == 48) {
            if (length != 19) {
                error = "page information of wrong length";
                return false;
            }
            page = DecodedPage{};
            page.width = readU32(s, pos);
            page.height = readU32(s, pos + 4);
            const int defaultPixel = (s[pos + 16] >> 2) & 1;
            page.bits.assign(static_cast<size_t>(page.stride()) * page.height,
                             defaultPixel != 0 ? 0xFF : 0);
            havePage = true;
        } else if (type == 38 || type == 39) {
            if (!havePage || length < 18) {
                error = "region without page or too short";
                return false;
            }
            const uint32_t w = readU32(s, pos);
            const uint32_t h = readU32(s, pos + 4);
            const uint32_t x0 = readU32(s, pos + 8);
            const uint32_t y0 = readU32(s, pos + 12);
            const uint8_t op = s[pos + 16] & 7;
            const uint8_t gflags = s[pos + 17];
            if ((gflags & 1) != 0 || ((gflags >> 1) & 3) != 0 || length < 26) {
                error = "only arithmetic template 0 regions are supported";
                return false;
            }
            int8_t at[8];
            for (int i = 0; i < 8; ++i) {
                at[i] = static_cast<int8_t>(s[pos + 18 + static_cast<size_t>(i)]);
            }
            const DecodedPage region = decodeGenericTemplate0(s.data() + pos + 26, length - 26, w,
                                                              h, at, (gflags & 0x08) != 0);
            for (uint32_t y = 0; y < h; ++y) {
                for (uint32_t x = 0; x < w; ++x) {
                    if (x0 + x < page.width && y0 + y < page.height) {
                        const int v = region.pixel(x, y);
                        const int old = page.pixel(x0 + x, y0 + y);
                        const int r = op == 0   ? (old | v)
                                      : op == 1 ? (old & v)
                                      : op == 2 ? (old ^ v)
                                      : op == 3 ? !(old ^ v)
                                                : v;
                        page.set(x0 + x, y0 + y, r);
                    }
                }
            }
        } else {
            error = "unexpected segment type " + std::to_string(type);
            return false;
        }
        pos += length;
    }
    if (!havePage) {
        error = "no page information segment";
        return false;
    }
    return true;
}

} // namespace qlytest
