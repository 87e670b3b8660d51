#include "platform/jbig2/GenericRegion.h"

#include "platform/jbig2/MqEncoder.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace qly::jbig2 {
namespace {

// Template 0 (T.88 6.2.5.3) with the nominal AT pixels covers three contiguous runs:
// row y-2 from x-2 to x+2 (context bits 15..11), row y-1 from x-3 to x+3 (bits 10..4) and row y
// from x-4 to x-1 (bits 3..0), each with its leftmost pixel in the highest bit. Moving one pixel
// to the right shifts the context left by one, drops the bit that leaves each run (the mask) and
// brings in one new pixel per run.
constexpr uint32_t kShiftMask = 0xF7EE;
// Context of the TPGDON decision SLTP for template 0 (T.88 6.2.5.7).
constexpr uint32_t kSltpContext = 0x9B25;

// Line buffers: one zero byte ahead of the row and one behind it, so the context windows of the
// first and last byte read white pixels outside the picture, as T.88 6.2.5.2 requires.
class Line {
  public:
    explicit Line(size_t rowBytes) : bytes_(rowBytes + 2, 0) {}
    uint8_t* data() { return bytes_.data() + 1; }
    const uint8_t* data() const { return bytes_.data() + 1; }
    // 24 pixels around byte j (bytes j-1, j, j+1) in bits 31..8, pixel 8j at bit 23.
    uint32_t window(size_t j) const {
        const uint8_t* p = bytes_.data() + j;
        return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8);
    }

  private:
    std::vector<uint8_t> bytes_;
};

// Copies row y of the picture into `line` with black as 1 and the bits past the width cleared.
void loadRow(const BilevelImage& image, uint32_t y, size_t rowBytes, uint8_t lastMask, Line& line) {
    const uint8_t* src = image.top + static_cast<ptrdiff_t>(y) * image.stride;
    uint8_t* dst = line.data();
    if (image.zeroIsBlack) {
        for (size_t i = 0; i < rowBytes; ++i) {
            dst[i] = static_cast<uint8_t>(~src[i]);
        }
    } else {
        std::memcpy(dst, src, rowBytes);
    }
    dst[rowBytes - 1] &= lastMask;
}

// Codes the pixels of one row from its two rows above.
void encodeRow(MqEncoder& mq, MqContext* cx, const Line& above2, const Line& above1,
               const Line& row, uint32_t width) {
    const size_t rowBytes = (static_cast<size_t>(width) + 7) / 8;
    const uint8_t* cur = row.data();
    // The context of pixel 0: the runs of rows y-2 and y-1 start left of the picture.
    uint32_t ctx = ((above2.window(0) >> 21) & 0x1F) << 11 | ((above1.window(0) >> 20) & 0x7F) << 4;
    for (size_t j = 0; j < rowBytes; ++j) {
        const uint32_t w2 = above2.window(j);
        const uint32_t w1 = above1.window(j);
        const uint32_t byte = cur[j];
        const unsigned count =
            j + 1 < rowBytes ? 8u : static_cast<unsigned>(width - static_cast<uint32_t>(j * 8));
        // Pixel 8j+m sits at bit 23-m of the windows. A white byte whose neighbourhood is white
        // (row y-1 up to pixel 8j+10, row y-2 up to 8j+9, the four pixels to the left) is coded
        // as a run in context 0.
        if (count == 8 && (ctx | byte | (w1 & 0x00FFE000u) | (w2 & 0x00FFC000u)) == 0) {
            mq.encodeRepeated(cx[0], 0, 8);
            ctx = ((w2 >> 13) & 0x1F) << 11 | ((w1 >> 12) & 0x7F) << 4; // pixel 8j+8
            continue;
        }
        for (unsigned k = 0; k < count; ++k) {
            const uint32_t bit = (byte >> (7 - k)) & 1u;
            mq.encode(cx[ctx], bit);
            // Next pixel x+1 brings in row y-1 at x+4 and row y-2 at x+3.
            ctx = ((ctx << 1) & kShiftMask) | bit | ((w1 >> (15 - k)) & 0x10) |
                  ((w2 >> (9 - k)) & 0x800);
        }
    }
}

} // namespace

void encodeGenericRegion(const BilevelImage& image, const GenericRegionOptions& options,
                         std::vector<uint8_t>& out) {
    if (image.top == nullptr || image.width == 0 || image.height == 0) {
        throw std::invalid_argument("generic region without pixels");
    }
    const size_t rowBytes = (static_cast<size_t>(image.width) + 7) / 8;
    const unsigned tailBits = image.width % 8;
    const auto lastMask = static_cast<uint8_t>(tailBits == 0 ? 0xFF : 0xFF00u >> tailBits);

    std::vector<MqContext> contexts(size_t{1} << 16, 0);
    MqEncoder mq(out);
    // Three rotating line buffers: y-2, y-1 and y. Rows above the picture are white.
    Line lines[3] = {Line(rowBytes), Line(rowBytes), Line(rowBytes)};
    unsigned above2 = 0;
    unsigned above1 = 1;
    unsigned current = 2;
    bool ltp = false; // whether the previous row was coded as typical
    for (uint32_t y = 0; y < image.height; ++y) {
        loadRow(image, y, rowBytes, lastMask, lines[current]);
        if (options.typicalPrediction) {
            // A row is typical when it equals the row above (T.88 6.2.5.7); SLTP codes the
            // change of that property from the previous row.
            const bool typical =
                std::memcmp(lines[current].data(), lines[above1].data(), rowBytes) == 0;
            mq.encode(contexts[kSltpContext], typical != ltp ? 1u : 0u);
            ltp = typical;
        }
        if (!ltp) {
            encodeRow(mq, contexts.data(), lines[above2], lines[above1], lines[current],
                      image.width);
        }
        const unsigned oldest = above2;
        above2 = above1;
        above1 = current;
        current = oldest;
    }
    mq.finish();
}

} // namespace qly::jbig2
