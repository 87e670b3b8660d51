#include "imaging/Rotate.h"

#include "document/Dib.h"
#include "document/DynaArray.h"
#include "document/JpegOriginals.h"
#include "imaging/RotatePixelwise.h"
#include "platform/GrafikRW3.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>

// Memory rows of a DIB run bottom-up. Counting rows as they lie in memory (m = H-1-y), with W and
// H the source's width and height, the quarter turns are plain index maps between memory rows and
// columns of source S and target D (D is H wide and W high):
//   left:  D[r][c] = S[H-1-c][r]
//   right: D[r][c] = S[c][W-1-r]
// So every target column c is one source memory row, and every target row r one source column.
// The turn is done in bands of target columns (groups of source rows), in the order of the source
// rows from the top, which is also the order the progress is reported in.

namespace {

// Reports y * 100 div (rows-1) for the source rows 0..rows-1 as they are reached, each value once.
class RowProgress {
  public:
    RowProgress(const RotateProgress& callback, int32_t rows) : callback_(callback), rows_(rows) {}
    // Every row below `rowsReached` has been reached.
    void reach(int32_t rowsReached) {
        if (!callback_) {
            return;
        }
        for (; next_ < rowsReached; ++next_) {
            const int value = rows_ > 1 ? static_cast<int>(int64_t{next_} * 100 / (rows_ - 1)) : 0;
            if (value != last_) {
                last_ = value;
                callback_(value);
            }
        }
    }

  private:
    const RotateProgress& callback_;
    int32_t rows_;
    int32_t next_ = 0;
    int last_ = -1;
};

// One turn: both bitmaps with their rows as they lie in memory.
struct Turn {
    const uint8_t* src; // bottom row of the source
    ptrdiff_t srcStride;
    uint8_t* dst; // bottom row of the target
    ptrdiff_t dstStride;
    int32_t w; // source width = target height
    int32_t h; // source height = target width
    bool left;

    const uint8_t* srcRow(int32_t m) const { return src + m * srcStride; }
    uint8_t* dstRow(int32_t r) const { return dst + r * dstStride; }
    // The source memory row that becomes target column c.
    int32_t srcRowOfColumn(int32_t c) const { return left ? h - 1 - c : c; }
};

// Calls band(c0, c1) for target columns [c0, c1) in bands of `width` columns (the last one may be
// narrower), ordered by source rows from the top, and reports the progress of each band's rows
// before it is turned.
template <typename Band>
void forEachBand(const Turn& t, int32_t width, RowProgress& progress, Band band) {
    const int32_t bands = (t.h + width - 1) / width;
    for (int32_t k = 0; k < bands; ++k) {
        // Turning left, target column c holds source row y = c; turning right, y = H-1-c.
        const int32_t b = t.left ? k : bands - 1 - k;
        const int32_t c0 = b * width;
        const int32_t c1 = std::min(c0 + width, t.h);
        progress.reach(t.left ? c1 : t.h - c0);
        band(c0, c1);
    }
}

// Pixels of whole bytes (8, 16, 24 and 32 bits) are copied in square tiles, so that the source
// rows a tile reads and the target rows it writes both stay in the first-level cache.
constexpr int32_t kTile = 64;

template <int Bytes> void turnBytePixels(const Turn& t, RowProgress& progress) {
    const ptrdiff_t step = t.left ? -t.srcStride : t.srcStride;
    forEachBand(t, kTile, progress, [&](int32_t c0, int32_t c1) {
        const int32_t n = c1 - c0;
        const uint8_t* first = t.srcRow(t.srcRowOfColumn(c0));
        for (int32_t r0 = 0; r0 < t.w; r0 += kTile) {
            const int32_t r1 = std::min(r0 + kTile, t.w);
            for (int32_t r = r0; r < r1; ++r) {
                const int32_t x = t.left ? r : t.w - 1 - r;
                const uint8_t* s = first + ptrdiff_t{x} * Bytes;
                uint8_t* d = t.dstRow(r) + ptrdiff_t{c0} * Bytes;
                int32_t i = 0;
                if constexpr (Bytes == 3) {
                    // Four bytes move faster than three. The fourth byte read belongs to the
                    // next source pixel of the row (so not for the last column), the fourth byte
                    // written is overwritten by the next target pixel (so not for the last one).
                    if (x < t.w - 1) {
                        for (; i + 1 < n; ++i) {
                            std::memcpy(d + ptrdiff_t{i} * 3, s + i * step, 4);
                        }
                    }
                }
                for (; i < n; ++i) {
                    std::memcpy(d + ptrdiff_t{i} * Bytes, s + i * step, Bytes);
                }
            }
        }
    });
}

// 1- and 4-bit pixels are turned in blocks of 8 x 8 pixels. A block's 8 rows of 8 pixels are held
// as 8 words (8 bits for 1-bit pixels, 32 bits for 4-bit ones), the leftmost pixel in the highest
// bits as in the DIB rows, and the block is transposed within these words.
template <int Bits> struct BlockWord;
template <> struct BlockWord<1> {
    using Type = uint8_t;
    // The pixels m with (m & s) != 0, for s = 4, 2, 1.
    static constexpr uint8_t kMasks[3] = {0x0f, 0x33, 0x55};
};
template <> struct BlockWord<4> {
    using Type = uint32_t;
    static constexpr uint32_t kMasks[3] = {0x0000ffffu, 0x00ff00ffu, 0x0f0f0f0fu};
};

// Transposes the block: pixel m of word j becomes pixel j of word m. Each step swaps the
// off-diagonal quarters of the 2s x 2s sub-blocks, exchanging bit s of the row and column index.
template <int Bits> void transposeBlock(typename BlockWord<Bits>::Type (&m)[8]) {
    using Word = typename BlockWord<Bits>::Type;
    int level = 0;
    for (int s = 4; s >= 1; s >>= 1, ++level) {
        const int shift = s * Bits;
        const Word mask = BlockWord<Bits>::kMasks[level];
        for (int j = 0; j < 8; ++j) {
            if ((j & s) != 0) {
                continue;
            }
            const auto swap = static_cast<Word>(((m[j + s] >> shift) ^ m[j]) & mask);
            m[j] = static_cast<Word>(m[j] ^ swap);
            m[j + s] = static_cast<Word>(m[j + s] ^ (swap << shift));
        }
    }
}

// A block word is Bits bytes: 8 pixels of Bits bits, the first pixel in the highest bits.
template <int Bits> typename BlockWord<Bits>::Type loadWord(const uint8_t* p) {
    if constexpr (Bits == 1) {
        return *p;
    } else {
        uint32_t w;
        std::memcpy(&w, p, sizeof w);
        if constexpr (std::endian::native == std::endian::little) {
            w = __builtin_bswap32(w);
        }
        return w;
    }
}

template <int Bits> void storeWord(uint8_t* p, typename BlockWord<Bits>::Type w) {
    if constexpr (Bits == 1) {
        *p = w;
    } else {
        if constexpr (std::endian::native == std::endian::little) {
            w = __builtin_bswap32(w);
        }
        std::memcpy(p, &w, sizeof w);
    }
}

// The 8 pixels of a row from column x0 on, for any x0 with x0 + 7 inside the row; x0 may be
// negative, the pixels left of column 0 come out zero. Only bytes holding pixels of columns
// 0..x0+7 are read.
template <int Bits> typename BlockWord<Bits>::Type loadPixels(const uint8_t* row, int32_t x0) {
    const int64_t bit = int64_t{x0} * Bits;
    const int64_t firstByte = bit >= 0 ? bit / 8 : -((-bit + 7) / 8);
    const int skip = static_cast<int>(bit - firstByte * 8);
    if (skip == 0 && firstByte >= 0) {
        return loadWord<Bits>(row + firstByte);
    }
    // The pixels span Bits bytes, or Bits + 1 when they do not start at a byte boundary; the
    // `skip` bits in front of them are dropped.
    const int bytes = skip == 0 ? Bits : Bits + 1;
    uint64_t acc = 0;
    for (int k = 0; k < bytes; ++k) {
        const int64_t at = firstByte + k;
        acc = acc << 8 | (at >= 0 ? row[at] : 0u);
    }
    if (skip != 0) {
        acc >>= 8 - skip;
    }
    return static_cast<typename BlockWord<Bits>::Type>(acc);
}

template <int Bits> void turnBitPixels(const Turn& t, RowProgress& progress) {
    using Word = typename BlockWord<Bits>::Type;
    const int32_t rowBlocks = (t.w + 7) / 8;
    // 8 blocks of target columns per band: 64 source rows.
    forEachBand(t, 64, progress, [&](int32_t c0, int32_t c1) {
        const int32_t j1 = (c1 + 7) / 8;
        for (int32_t k = 0; k < rowBlocks; ++k) {
            // Turning left, target rows 8k..8k+7 are source columns 8k..8k+7 (a whole word of
            // each source row); turning right they are source columns W-1-8k down to W-8-8k.
            const int32_t x0 = t.left ? 8 * k : t.w - 8 - 8 * k;
            for (int32_t j = c0 / 8; j < j1; ++j) {
                Word m[8];
                for (int32_t i = 0; i < 8; ++i) {
                    const int32_t c = 8 * j + i;
                    // Columns past the target's width are its row padding: zero.
                    m[i] = c < t.h ? loadPixels<Bits>(t.srcRow(t.srcRowOfColumn(c)), x0) : 0;
                }
                transposeBlock<Bits>(m);
                // Word i now holds source column x0 + i for the 8 target columns.
                for (int32_t i = 0; i < 8; ++i) {
                    const int32_t r = t.left ? 8 * k + i : 8 * k + 7 - i;
                    if (r < t.w) {
                        storeWord<Bits>(t.dstRow(r) + ptrdiff_t{j} * Bits, m[i]);
                    }
                }
            }
        }
    });
}

// Makes the target bitmap: H x W, the source's depth, colour table, palette copy and resolution.
bool newTurnedDib(dib& out, const dib& src) {
    if (src.poi == nullptr || src.pmi == nullptr) {
        out = dib{};
        return false;
    }
    const BITMAPINFOHEADER& h = src.pmi->bmiHeader;
    const int32_t bits = h.biBitCount;
    const bool table = bits == 1 || bits == 4 || bits == 8;
    newdib(out, h.biHeight, h.biWidth, bits, table ? src.pmi : nullptr, table ? 1 << bits : 0);
    if (out.poi == nullptr) {
        return false;
    }
    out.pal = src.pal;
    out.pmi->bmiHeader.biXPelsPerMeter = h.biYPelsPerMeter;
    out.pmi->bmiHeader.biYPelsPerMeter = h.biXPelsPerMeter;
    return true;
}

} // namespace

bool rotateDib(dib& out, const dib& src, RotateDirection dir, const RotateProgress& progress) {
    if (!newTurnedDib(out, src)) {
        return false;
    }
    const Turn t{src.poi,
                 src.bytew,
                 out.poi,
                 out.bytew,
                 src.pmi->bmiHeader.biWidth,
                 src.pmi->bmiHeader.biHeight,
                 dir == RotateDirection::Left};
    RowProgress rows(progress, t.h);
    switch (src.pmi->bmiHeader.biBitCount) {
    case 1:
        turnBitPixels<1>(t, rows);
        break;
    case 4:
        turnBitPixels<4>(t, rows);
        break;
    case 8:
        turnBytePixels<1>(t, rows);
        break;
    case 16:
        turnBytePixels<2>(t, rows);
        break;
    case 24:
        turnBytePixels<3>(t, rows);
        break;
    default: // 32: newdib takes no other depth
        turnBytePixels<4>(t, rows);
        break;
    }
    return true;
}

bool rotateDibPixelwise(dib& out, const dib& src, RotateDirection dir,
                        const RotateProgress& progress) {
    if (!newTurnedDib(out, src)) {
        return false;
    }
    const int32_t w = src.pmi->bmiHeader.biWidth;
    const int32_t h = src.pmi->bmiHeader.biHeight;
    RowProgress rows(progress, h);
    for (int32_t y = 0; y < h; ++y) {
        rows.reach(y + 1);
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t v = getpixel(src, x, y);
            if (dir == RotateDirection::Left) {
                setpixel(out, y, w - 1 - x, v);
            } else {
                setpixel(out, h - 1 - y, x, v);
            }
        }
    }
    return true;
}

namespace {

// A page read from a JPEG file stays a JPEG file when turned: the file turned on its DCT
// coefficients, where that is exact, is kept for the turned page, so the turn costs no quality
// in the PDF. Where it is not exact (an edge that is no whole number of coding blocks comes to
// the left or the top) the turned page keeps nothing and is coded from its pixels.
void keepTurnedOriginal(dib& page, const JpegOriginal& original, RotateDirection dir) {
    try {
        auto turned = std::make_shared<JpegOriginal>();
        if (!qly::turnJpegLossless(original.bytes.data(), original.bytes.size(),
                                   dir == RotateDirection::Right, turned->bytes) ||
            !qly::readJpegFacts(turned->bytes.data(), turned->bytes.size(), turned->facts)) {
            return;
        }
        // The turned tables are the transposed ones; the loss is still that of the file read.
        turned->facts.quality = original.facts.quality;
        keepJpegOriginal(page, std::move(turned));
    } catch (const std::bad_alloc&) {
        // Without memory for the turned file the page is coded from its pixels.
    }
}

} // namespace

bool rotatePage(TDynaArray& bilder, int64_t n, RotateDirection dir,
                const RotateProgress& progress) {
    if (n < 1 || n > int64_t{bilder.count}) {
        return false;
    }
    const auto report = [&progress](int value) {
        if (progress) {
            progress(value);
        }
    };
    report(0);
    dib& page = *reinterpret_cast<dib*>(bilder.poi + static_cast<size_t>(n - 1) * bilder.size);
    ensurePagePixels(page);
    dib turned{};
    const bool done = rotateDib(turned, page, dir, progress);
    if (done) {
        const std::shared_ptr<const JpegOriginal> original = jpegOriginalOf(page);
        freedib(page);
        page = turned;
        if (original != nullptr) {
            keepTurnedOriginal(page, *original, dir);
        }
    }
    report(0);
    return done;
}

bool turnPicture(dib& out, const dib& page, RotateDirection dir, const RotateProgress& progress) {
    ensurePagePixels(page);
    if (!rotateDib(out, page, dir, progress)) {
        return false;
    }
    if (const std::shared_ptr<const JpegOriginal> original = jpegOriginalOf(page)) {
        keepTurnedOriginal(out, *original, dir);
    }
    return true;
}
