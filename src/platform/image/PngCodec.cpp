// PNG reading (every colour type and depth) and writing through libpng.
//
// libpng reports errors by longjmp. The functions that call libpng under setjmp (the ones named
// *Guarded) hold no C++ objects with destructors in their frames; they return false after an
// error, and the callers turn that into a DibError.
#include "platform/image/Codec.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <memory>

namespace qly::img {
namespace {

struct MemReader {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t n) {
    auto* r = static_cast<MemReader*>(png_get_io_ptr(png));
    if (n > r->size - r->pos) {
        png_error(png, "read past end");
    }
    std::memcpy(out, r->data + r->pos, n);
    r->pos += n;
}

void writeToVector(png_structp png, png_bytep data, png_size_t n) {
    auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    bool ok = true;
    try {
        v->insert(v->end(), data, data + n);
    } catch (...) {
        ok = false; // no exception may cross libpng's C frames
    }
    if (!ok) {
        png_error(png, "out of memory");
    }
}

void flushNothing(png_structp) {}

void silentWarning(png_structp, png_const_charp) {}

[[noreturn]] void jumpOnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

struct PngRead {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngRead() { png_destroy_read_struct(&png, &info, nullptr); }
};

struct PngWrite {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngWrite() { png_destroy_write_struct(&png, &info); }
};

// What the header asks for after our transformations.
struct PngShape {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bits = 0; // depth of the bitmap to make: 1, 4, 8 or 24
    bool palette = false;
    int paletteSize = 0;
    png_color colors[256] = {};
    double xdpi = 0;
    double ydpi = 0;
};

bool readHeaderGuarded(png_structp png, png_infop info, PngShape* shape) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_read_info(png, info);
    png_uint_32 w = 0;
    png_uint_32 h = 0;
    int depth = 0;
    int type = 0;
    int interlace = 0;
    png_get_IHDR(png, info, &w, &h, &depth, &type, &interlace, nullptr, nullptr);
    shape->width = w;
    shape->height = h;
    const bool trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    const bool alpha = (type & PNG_COLOR_MASK_ALPHA) != 0 || trns;
    if (depth == 16) {
        png_set_strip_16(png);
    }
    if (alpha) {
        // Transparent pixels are composed onto white paper.
        png_color_16 white{};
        white.red = white.green = white.blue = 255;
        white.gray = 255;
        white.index = 0;
        if (type == PNG_COLOR_TYPE_GRAY && depth < 8) {
            png_set_expand_gray_1_2_4_to_8(png);
        }
        if (type == PNG_COLOR_TYPE_PALETTE) {
            png_set_palette_to_rgb(png);
        }
        png_set_background(png, &white, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    }
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) {
        if (!alpha && (depth == 1 || depth == 4)) {
            shape->bits = depth; // kept at its depth with a grey table
        } else {
            if (depth < 8) {
                png_set_expand_gray_1_2_4_to_8(png);
            }
            shape->bits = 8;
        }
    } else if (type == PNG_COLOR_TYPE_PALETTE && !alpha) {
        png_colorp pal = nullptr;
        int n = 0;
        png_get_PLTE(png, info, &pal, &n);
        shape->palette = true;
        shape->paletteSize = n < 0 ? 0 : n > 256 ? 256 : n;
        for (int i = 0; i < shape->paletteSize; ++i) {
            shape->colors[i] = pal[i];
        }
        if (depth == 2) {
            png_set_packing(png); // two-bit indices become bytes
            shape->bits = 8;
        } else {
            shape->bits = depth;
        }
    } else {
        png_set_bgr(png);
        shape->bits = 24;
    }
    if (interlace != PNG_INTERLACE_NONE) {
        png_set_interlace_handling(png);
    }
    png_uint_32 resx = 0;
    png_uint_32 resy = 0;
    int unit = 0;
    if (png_get_pHYs(png, info, &resx, &resy, &unit) != 0 && unit == PNG_RESOLUTION_METER) {
        shape->xdpi = resx * 0.0254;
        shape->ydpi = resy * 0.0254;
    }
    png_read_update_info(png, info);
    return true;
}

bool readRowsGuarded(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    // What follows the image data (text, time stamps) is of no use here, so png_read_end is
    // not called.
    png_read_image(png, rows);
    return true;
}

struct PngOut {
    png_uint_32 width;
    png_uint_32 height;
    int depth;
    int colorType;
    int paletteSize;
    const png_color* palette;
    png_bytepp rows;
    png_uint_32 ppmX;
    png_uint_32 ppmY;
};

bool writeGuarded(png_structp png, png_infop info, const PngOut* o) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_IHDR(png, info, o->width, o->height, o->depth, o->colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (o->colorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_PLTE(png, info, o->palette, o->paletteSize);
    }
    if (o->ppmX > 0 && o->ppmY > 0) {
        png_set_pHYs(png, info, o->ppmX, o->ppmY, PNG_RESOLUTION_METER);
    }
    png_write_info(png, info);
    if (o->colorType == PNG_COLOR_TYPE_RGB) {
        png_set_bgr(png);
    }
    png_write_image(png, o->rows);
    png_write_end(png, info);
    return true;
}

// Length of the part of the file whose chunks are whole: the signature and every chunk up to
// IEND or up to the first chunk that claims more bytes than the file has. libpng allocates a
// chunk's declared length before reading it, so a damaged length must never reach it.
size_t wholeChunksLength(const uint8_t* data, size_t size) {
    size_t pos = 8;
    while (size - pos >= 12) {
        const uint32_t length = uint32_t{data[pos]} << 24 | uint32_t{data[pos + 1]} << 16 |
                                uint32_t{data[pos + 2]} << 8 | uint32_t{data[pos + 3]};
        if (length > size - pos - 12) {
            break;
        }
        const bool end = std::memcmp(data + pos + 4, "IEND", 4) == 0;
        pos += 12 + size_t{length};
        if (end) {
            break;
        }
    }
    return pos;
}

} // namespace

bool sniffPng(const uint8_t* data, size_t size) {
    return size >= 8 && png_sig_cmp(data, 0, 8) == 0;
}

void readPng(const uint8_t* data, size_t size, DibHolder& out) {
    if (!sniffPng(data, size)) {
        fail(kErrUnknownFormat);
    }
    PngRead r;
    r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, jumpOnError, silentWarning);
    if (r.png == nullptr) {
        fail(kErrNoMemory);
    }
    r.info = png_create_info_struct(r.png);
    if (r.info == nullptr) {
        fail(kErrNoMemory);
    }
    // Our own caps apply; libpng's default row limit of 1e6 is lifted to them.
    png_set_user_limits(r.png, 0x7fffffff, 0x7fffffff);
    png_set_chunk_malloc_max(r.png, 64u << 20);
#ifdef PNG_IGNORE_ADLER32
    // Every chunk's CRC already guards the compressed image data, so zlib's Adler-32 check of
    // the inflated bytes is skipped: it only costs time.
    png_set_option(r.png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    MemReader mem{data, wholeChunksLength(data, size), 0};
    png_set_read_fn(r.png, &mem, readFromMemory);
    auto shape = std::make_unique<PngShape>();
    if (!readHeaderGuarded(r.png, r.info, shape.get())) {
        fail(kErrDamaged);
    }
    checkDimensions(shape->width, shape->height, shape->bits);
    out.create(static_cast<int32_t>(shape->width), static_cast<int32_t>(shape->height),
               shape->bits);
    if (shape->palette) {
        for (int i = 0; i < (1 << shape->bits); ++i) {
            const png_color c = i < shape->paletteSize ? shape->colors[i] : png_color{0, 0, 0};
            out.setColor(i, c.red, c.green, c.blue);
        }
    }
    out.setDpi(shape->xdpi, shape->ydpi);
    std::vector<png_bytep> rows(shape->height);
    for (png_uint_32 y = 0; y < shape->height; ++y) {
        rows[y] = out.rowTop(static_cast<int32_t>(y));
    }
    if (!readRowsGuarded(r.png, rows.data())) {
        fail(kErrDamaged);
    }
}

void writePng(const dib& in, std::vector<uint8_t>& out) {
    const BITMAPINFOHEADER& h = in.pmi->bmiHeader;
    const int bits = h.biBitCount;
    if (h.biWidth <= 0 || h.biHeight <= 0) {
        fail(kErrEmpty);
    }
    PngOut o{};
    o.width = static_cast<png_uint_32>(h.biWidth);
    o.height = static_cast<png_uint_32>(h.biHeight);
    o.ppmX = static_cast<png_uint_32>(std::max(h.biXPelsPerMeter, 0));
    o.ppmY = static_cast<png_uint_32>(std::max(h.biYPelsPerMeter, 0));
    std::vector<png_color> palette;
    std::vector<uint8_t> converted;
    std::vector<png_bytep> rows(o.height);
    size_t stride = static_cast<size_t>(in.bytew);
    const uint8_t* base = nullptr; // first row top-down
    if (bits == 1 || bits == 4 || bits == 8) {
        o.depth = bits;
        o.colorType = PNG_COLOR_TYPE_PALETTE;
        palette.resize(size_t{1} << bits);
        for (size_t i = 0; i < palette.size(); ++i) {
            const RGBQUAD q = in.pmi->bmiColors[i];
            palette[i] = png_color{q.rgbRed, q.rgbGreen, q.rgbBlue};
        }
        // A table that is the plain grey ramp of its depth is written as a grey picture.
        bool ramp = true;
        for (size_t i = 0; i < palette.size() && ramp; ++i) {
            const auto v = static_cast<uint8_t>(i * 255 / (palette.size() - 1));
            ramp = palette[i].red == v && palette[i].green == v && palette[i].blue == v;
        }
        if (ramp) {
            o.colorType = PNG_COLOR_TYPE_GRAY;
        }
        o.palette = palette.data();
        o.paletteSize = static_cast<int>(palette.size());
    } else if (bits == 24) {
        o.depth = 8;
        o.colorType = PNG_COLOR_TYPE_RGB;
    } else if (bits == 16 || bits == 32) {
        o.depth = 8;
        o.colorType = PNG_COLOR_TYPE_RGB;
        stride = size_t{o.width} * 3;
        converted.resize(stride * o.height);
        for (png_uint_32 y = 0; y < o.height; ++y) {
            uint8_t* d = converted.data() + stride * y;
            for (png_uint_32 x = 0; x < o.width; ++x, d += 3) {
                const uint32_t v = getpixel(in, static_cast<int32_t>(x), static_cast<int32_t>(y));
                if (bits == 16) {
                    d[0] = static_cast<uint8_t>((v & 0x1f) * 255 / 31);
                    d[1] = static_cast<uint8_t>(((v >> 5) & 0x1f) * 255 / 31);
                    d[2] = static_cast<uint8_t>(((v >> 10) & 0x1f) * 255 / 31);
                } else {
                    d[0] = static_cast<uint8_t>(v);
                    d[1] = static_cast<uint8_t>(v >> 8);
                    d[2] = static_cast<uint8_t>(v >> 16);
                }
            }
        }
        base = converted.data();
    } else {
        fail(kErrDepth);
    }
    for (png_uint_32 y = 0; y < o.height; ++y) {
        rows[y] = base != nullptr ? const_cast<png_bytep>(base + stride * y)
                                  : DibRowTop(in, static_cast<int32_t>(y));
    }
    o.rows = rows.data();
    PngWrite w;
    w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, jumpOnError, silentWarning);
    if (w.png == nullptr) {
        fail(kErrNoMemory);
    }
    w.info = png_create_info_struct(w.png);
    if (w.info == nullptr) {
        fail(kErrNoMemory);
    }
    png_set_write_fn(w.png, &out, writeToVector, flushNothing);
    if (!writeGuarded(w.png, w.info, &o)) {
        fail(kErrCannotWrite);
    }
}

} // namespace qly::img
