// GIF reading and writing through giflib (GIF87a/GIF89a, CompuServe's "Graphics Interchange
// Format" version 89a).
//
// Reading takes the first picture of the file, placed on the logical screen: interlaced pictures,
// local and global colour tables, and the graphic control extension's transparent colour, which
// becomes paper white. The colour table's size decides the depth: 2 colours give a 1-bit
// bitmap, up to 16 a 4-bit one, more an 8-bit one.
//
// Writing keeps 1-, 4- and 8-bit pictures with their colour table; deeper pictures are reduced to
// at most 256 colours first (Quantize.h).
#include "platform/image/Codec.h"
#include "platform/image/Quantize.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace qly::img {
namespace {

struct MemSource {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

int readFromMemory(GifFileType* gif, GifByteType* buf, int n) {
    auto* src = static_cast<MemSource*>(gif->UserData);
    const size_t k = std::min(static_cast<size_t>(std::max(n, 0)), src->size - src->pos);
    std::memcpy(buf, src->data + src->pos, k);
    src->pos += k;
    return static_cast<int>(k);
}

int writeToVector(GifFileType* gif, const GifByteType* buf, int n) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    try {
        out->insert(out->end(), buf, buf + n);
    } catch (...) {
        return 0; // giflib turns a short write into an error; no exception crosses its C frames
    }
    return n;
}

struct DecoderClose {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifDecoder = std::unique_ptr<GifFileType, DecoderClose>;

struct MapFree {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using GifMap = std::unique_ptr<ColorMapObject, MapFree>;

// The four passes of an interlaced picture: first row and row step of each.
constexpr int kPassStart[4] = {0, 4, 2, 1};
constexpr int kPassStep[4] = {8, 8, 4, 2};

// Where the pixels that show paper (transparent pixels, screen outside the picture, rows a damaged
// file did not deliver) go: a colour table index, and whether that entry must be made white.
struct Paper {
    int index = 0;
    bool makeWhite = false;
    bool used = false;
};

Paper choosePaper(const ColorMapObject* map, int tableSize, int transparent, int background) {
    Paper p;
    if (transparent >= 0 && transparent < tableSize) {
        p.index = transparent;
        p.makeWhite = true;
        return p;
    }
    const int count = map != nullptr ? map->ColorCount : 0;
    for (int i = 0; i < std::min(count, tableSize); ++i) {
        const GifColorType& c = map->Colors[i];
        if (c.Red == 255 && c.Green == 255 && c.Blue == 255) {
            p.index = i;
            return p;
        }
    }
    if (count < tableSize) {
        p.index = count; // a free table entry
        p.makeWhite = true;
        return p;
    }
    // A full table without white: the screen's background colour, as GIF viewers of old did.
    p.index = background >= 0 && background < count ? background : 0;
    return p;
}

void putIndex(uint8_t* row, int bits, int64_t x, uint8_t v) {
    switch (bits) {
    case 1:
        if (v != 0) {
            row[x >> 3] = static_cast<uint8_t>(row[x >> 3] | (0x80u >> (x & 7)));
        } else {
            row[x >> 3] = static_cast<uint8_t>(row[x >> 3] & ~(0x80u >> (x & 7)));
        }
        break;
    case 4:
        if ((x & 1) != 0) {
            row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0xf0) | v);
        } else {
            row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0x0f) | v << 4);
        }
        break;
    default:
        row[x] = v;
        break;
    }
}

// Skips the sub-blocks of an extension, noting a graphic control block's transparent colour.
void readExtension(GifFileType* gif, int& transparent) {
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) {
        fail(kErrDamaged);
    }
    if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr) {
        GraphicsControlBlock gcb{};
        if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK) {
            transparent = gcb.TransparentColor;
        }
    }
    while (block != nullptr) {
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) {
            fail(kErrDamaged);
        }
    }
}

void decodeFirstPicture(GifFileType* gif, DibHolder& out) {
    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR) {
            fail(kErrDamaged);
        }
        if (type == EXTENSION_RECORD_TYPE) {
            readExtension(gif, transparent);
        } else if (type == IMAGE_DESC_RECORD_TYPE) {
            break;
        } else if (type == TERMINATE_RECORD_TYPE) {
            fail(kErrEmpty);
        } else {
            fail(kErrDamaged);
        }
    }
    if (DGifGetImageDesc(gif) == GIF_ERROR) {
        fail(kErrDamaged);
    }
    const GifImageDesc& desc = gif->Image;
    if (desc.Width <= 0 || desc.Height <= 0 || desc.Left < 0 || desc.Top < 0) {
        fail(kErrEmpty);
    }
    // The picture on its logical screen; a screen too small for the picture (some writers put
    // 0 x 0 there) grows to hold it.
    const int64_t right = int64_t{desc.Left} + desc.Width;
    const int64_t bottom = int64_t{desc.Top} + desc.Height;
    const int64_t width = std::max<int64_t>(gif->SWidth, right);
    const int64_t height = std::max<int64_t>(gif->SHeight, bottom);

    const ColorMapObject* map = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
    const int count = map != nullptr ? std::clamp(map->ColorCount, 0, 256) : 256;
    const int bits = count <= 2 ? 1 : count <= 16 ? 4 : 8;
    const int tableSize = 1 << bits;
    checkDimensions(width, height, bits);
    out.create(static_cast<int32_t>(width), static_cast<int32_t>(height), bits);
    if (map != nullptr) {
        for (int i = 0; i < tableSize; ++i) {
            const GifColorType c = i < count ? map->Colors[i] : GifColorType{0, 0, 0};
            out.setColor(i, c.Red, c.Green, c.Blue);
        }
    } // without any colour table the indices are shown as greys (newdib's grey ramp)

    Paper paper = choosePaper(map, tableSize, transparent, gif->SBackGroundColor);
    const auto paperIndex = static_cast<uint8_t>(paper.index);
    const bool coversScreen = desc.Left == 0 && desc.Top == 0 && right == width && bottom == height;
    std::vector<bool> rowDone(static_cast<size_t>(desc.Height), false);
    std::vector<GifPixelType> line(static_cast<size_t>(desc.Width));
    int rowsRead = 0;
    bool damaged = false;
    const int passes = desc.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes && !damaged; ++pass) {
        const int start = desc.Interlace ? kPassStart[pass] : 0;
        const int step = desc.Interlace ? kPassStep[pass] : 1;
        for (int y = start; y < desc.Height; y += step) {
            // giflib reports a file that ends right after the last pixels (without the closing
            // empty block) as an error on the last row, with the row decoded. So a failing row
            // is kept as far as it got, the rest of it paper.
            std::fill(line.begin(), line.end(), paperIndex);
            if (DGifGetLine(gif, line.data(), desc.Width) == GIF_ERROR) {
                damaged = true;
                paper.used = true;
            }
            uint8_t* row = out.rowTop(static_cast<int32_t>(desc.Top + y));
            for (int x = 0; x < desc.Width; ++x) {
                uint8_t v = line[static_cast<size_t>(x)];
                if (v == transparent) {
                    v = paperIndex;
                    paper.used = true;
                } else if (v >= tableSize) {
                    v = 0; // an index beyond the colour table
                }
                putIndex(row, bits, desc.Left + x, v);
            }
            rowDone[static_cast<size_t>(y)] = true;
            if (damaged) {
                break;
            }
            ++rowsRead;
        }
    }
    // A file cut off inside the picture keeps the rows that arrived, since a partial page is more
    // useful than none; one without a single complete row is refused.
    if (rowsRead == 0) {
        fail(kErrDamaged);
    }
    for (int64_t y = 0; y < height; ++y) {
        const bool inside = y >= desc.Top && y < bottom;
        const bool fullRow = !inside || !rowDone[static_cast<size_t>(y - desc.Top)];
        if (coversScreen && !fullRow) {
            continue;
        }
        uint8_t* row = out.rowTop(static_cast<int32_t>(y));
        for (int64_t x = 0; x < width; ++x) {
            if (fullRow || x < desc.Left || x >= right) {
                putIndex(row, bits, x, paperIndex);
                paper.used = true;
            }
        }
    }
    if (paper.used && paper.makeWhite) {
        out.setColor(paper.index, 255, 255, 255);
    }
}

} // namespace

bool sniffGif(const uint8_t* data, size_t size) {
    return size >= 13 && std::memcmp(data, "GIF8", 4) == 0 && (data[4] == '7' || data[4] == '9') &&
           data[5] == 'a';
}

void readGif(const uint8_t* data, size_t size, DibHolder& out) {
    if (!sniffGif(data, size)) {
        fail(kErrUnknownFormat);
    }
    MemSource src{data, size, 0};
    int error = 0;
    GifDecoder gif(DGifOpen(&src, readFromMemory, &error));
    if (!gif) {
        fail(error == D_GIF_ERR_NOT_ENOUGH_MEM ? kErrNoMemory : kErrDamaged);
    }
    decodeFirstPicture(gif.get(), out);
}

void writeGif(const dib& in, std::vector<uint8_t>& out) {
    const BITMAPINFOHEADER& h = in.pmi->bmiHeader;
    if (h.biWidth <= 0 || h.biHeight <= 0) {
        fail(kErrEmpty);
    }
    if (h.biWidth > 65535 || h.biHeight > 65535) {
        fail(kErrTooLarge);
    }
    const IndexedPicture pic(in);
    // The colour table of a GIF has 2^n entries, n = 1..8.
    int tableBits = 1;
    while ((1 << tableBits) < pic.colors()) {
        ++tableBits;
    }
    std::vector<GifColorType> colours(size_t{1} << tableBits);
    for (size_t i = 0; i < colours.size(); ++i) {
        const bool used = static_cast<int>(i) < std::min(pic.colors(), 1 << pic.bits());
        const RGBQUAD q = used ? pic.color(static_cast<int>(i)) : RGBQUAD{0, 0, 0, 0};
        colours[i] = GifColorType{q.rgbRed, q.rgbGreen, q.rgbBlue};
    }
    GifMap map(GifMakeMapObject(static_cast<int>(colours.size()), colours.data()));
    if (!map) {
        fail(kErrNoMemory);
    }
    int error = 0;
    GifFileType* gif = EGifOpen(&out, writeToVector, &error);
    if (gif == nullptr) {
        fail(kErrNoMemory);
    }
    bool ok = EGifPutScreenDesc(gif, h.biWidth, h.biHeight, 8, 0, map.get()) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, h.biWidth, h.biHeight, false, nullptr) == GIF_OK;
    std::vector<GifPixelType> line(static_cast<size_t>(h.biWidth));
    for (int32_t y = 0; ok && y < h.biHeight; ++y) {
        pic.row(y, line.data());
        ok = EGifPutLine(gif, line.data(), h.biWidth) == GIF_OK;
    }
    // EGifCloseFile writes the trailer and frees the encoder whatever happened before.
    const bool closed = EGifCloseFile(gif, &error) == GIF_OK;
    if (!ok || !closed) {
        out.clear();
        fail(kErrCannotWrite);
    }
}

} // namespace qly::img
