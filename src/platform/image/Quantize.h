#pragma once
// Colour reduction for the formats that store palette pictures only (GIF, IFF/LBM): a 16-, 24- or
// 32-bit picture becomes an 8-bit palette picture of at most 256 colours.

#include "platform/image/Codec.h"

#include <cstdint>

namespace qly::img {

// Reduces a 16-, 24- or 32-bit picture to an 8-bit palette picture of at most `maxColors`
// (clamped to 2..256) colours and returns the number of colour table entries in use (1..maxColors).
// A picture with no more distinct colours than that keeps them exactly, so no pixel changes;
// otherwise libimagequant chooses the palette and the pixels are dithered by error diffusion.
// The palette is in `out`'s colour table, sorted by red, green, blue in the exact case; entries
// from the returned count on are black. The resolution is copied. Throws DibError: kErrDepth for
// a 1/4/8-bit or otherwise unsupported input, kErrNoMemory when the quantizer cannot run.
int quantizeToPalette(const dib& in, DibHolder& out, int maxColors = 256);

// Red, green and blue of pixel x of a row (top-down address from DibRowTop) of a 16-, 24- or
// 32-bit picture, as 0xRRGGBB. 16-bit pixels are 5-5-5 and each channel is scaled to 0..255.
uint32_t trueColourAt(const uint8_t* row, int bits, int32_t x);

// A picture as colour indices: 1/4/8-bit pictures as they are (all 2^bits table entries count),
// deeper ones through quantizeToPalette. The input must outlive this object.
class IndexedPicture {
  public:
    // Throws DibError as quantizeToPalette does.
    explicit IndexedPicture(const dib& in, int maxColors = 256);
    IndexedPicture(const IndexedPicture&) = delete;
    IndexedPicture& operator=(const IndexedPicture&) = delete;

    int32_t width() const { return view_->pmi->bmiHeader.biWidth; }
    int32_t height() const { return view_->pmi->bmiHeader.biHeight; }
    // Depth of the indices: 1, 4 or 8.
    int bits() const { return view_->pmi->bmiHeader.biBitCount; }
    // Number of colour table entries that matter (2^bits for palette input).
    int colors() const { return colors_; }
    // Colour table entry i (0 <= i < 2^bits).
    RGBQUAD color(int i) const { return view_->pmi->bmiColors[i]; }
    // The colour indices of row y (0 = top), one byte per pixel, into `line` (width() bytes).
    void row(int32_t y, uint8_t* line) const;
    // True when the picture was reduced from true colour here.
    bool quantized() const { return !own_.empty(); }

  private:
    DibHolder own_;
    const dib* view_ = nullptr;
    int colors_ = 0;
};

} // namespace qly::img
