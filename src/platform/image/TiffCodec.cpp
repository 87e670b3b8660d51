// TIFF reading and writing through libtiff, over the file's bytes in memory (TIFFClientOpenExt).
//
// Reading takes the first page. Bilevel, grey and palette pictures of 1, 2, 4 and 8 bits in one
// sample per pixel keep their depth (2-bit ones become 4-bit) and are decoded strip by strip or
// tile by tile; every other layout (RGB, alpha, 16-bit, CMYK, YCbCr, JPEG, ...) goes through
// libtiff's RGBA interface and becomes 24-bit colour, or 8-bit grey when the picture is grey.
// Writing: 1-bit black-and-white pictures as CCITT Group 4 (ITU-T T.6), everything else LZW,
// with the horizontal predictor for grey and colour samples (TIFF 6.0 section 14).
#include "platform/image/Codec.h"

#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

namespace qly::img {
namespace {

// libtiff's largest single allocation; the caps on the picture bound the rest.
constexpr tmsize_t kMaxLibtiffAlloc = tmsize_t{1} << 30;

// The bytes libtiff reads from or writes to. Reading maps the caller's buffer; writing grows a
// vector, with a position because libtiff seeks back to patch offsets.
struct MemFile {
    const uint8_t* data = nullptr; // reading
    size_t size = 0;
    std::vector<uint8_t>* out = nullptr; // writing
    uint64_t pos = 0;
    bool failed = false;
};

tmsize_t memRead(thandle_t h, void* buf, tmsize_t n) {
    auto* m = static_cast<MemFile*>(h);
    const uint8_t* base = m->out != nullptr ? m->out->data() : m->data;
    const uint64_t size = m->out != nullptr ? m->out->size() : m->size;
    if (n <= 0 || m->pos >= size) {
        return 0;
    }
    const auto k = static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(n), size - m->pos));
    std::memcpy(buf, base + m->pos, k);
    m->pos += k;
    return static_cast<tmsize_t>(k);
}

tmsize_t memWrite(thandle_t h, void* buf, tmsize_t n) {
    auto* m = static_cast<MemFile*>(h);
    if (m->out == nullptr || n < 0) {
        return -1;
    }
    try {
        const uint64_t end = m->pos + static_cast<uint64_t>(n);
        if (end > m->out->size()) {
            m->out->resize(static_cast<size_t>(end));
        }
    } catch (...) {
        m->failed = true; // no exception may cross libtiff's C frames
        return -1;
    }
    std::memcpy(m->out->data() + m->pos, buf, static_cast<size_t>(n));
    m->pos += static_cast<uint64_t>(n);
    return n;
}

toff_t memSeek(thandle_t h, toff_t off, int whence) {
    auto* m = static_cast<MemFile*>(h);
    const uint64_t size = m->out != nullptr ? m->out->size() : m->size;
    uint64_t base = 0;
    if (whence == SEEK_CUR) {
        base = m->pos;
    } else if (whence == SEEK_END) {
        base = size;
    }
    const uint64_t to = base + off;
    // A reader may not seek past the end; a writer may (the gap is filled on the next write).
    if (to < base || (m->out == nullptr && to > size) || to > (uint64_t{1} << 40)) {
        return static_cast<toff_t>(-1);
    }
    m->pos = to;
    return to;
}

int memClose(thandle_t) {
    return 0;
}

toff_t memSize(thandle_t h) {
    auto* m = static_cast<MemFile*>(h);
    return m->out != nullptr ? m->out->size() : m->size;
}

// Reading works on the caller's bytes directly; libtiff does not write to a file opened for
// reading.
int memMap(thandle_t h, void** base, toff_t* size) {
    auto* m = static_cast<MemFile*>(h);
    if (m->out != nullptr) {
        return 0;
    }
    *base = const_cast<uint8_t*>(m->data);
    *size = m->size;
    return 1;
}

void memUnmap(thandle_t, void*, toff_t) {}

// libtiff's messages would go to standard error; the reason reported is our own.
int quiet(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct TiffCloser {
    void operator()(TIFF* t) const { TIFFClose(t); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

struct OptionsFree {
    void operator()(TIFFOpenOptions* o) const { TIFFOpenOptionsFree(o); }
};

TiffHandle openMemory(MemFile& file, const char* mode) {
    std::unique_ptr<TIFFOpenOptions, OptionsFree> opts(TIFFOpenOptionsAlloc());
    if (!opts) {
        fail(kErrNoMemory);
    }
    TIFFOpenOptionsSetMaxSingleMemAlloc(opts.get(), kMaxLibtiffAlloc);
    TIFFOpenOptionsSetErrorHandlerExtR(opts.get(), quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(opts.get(), quiet, nullptr);
    return TiffHandle(TIFFClientOpenExt("memory", mode, &file, memRead, memWrite, memSeek, memClose,
                                        memSize, memMap, memUnmap, opts.get()));
}

// ---- reading ----

struct Layout {
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t bps = 1;
    uint16_t spp = 1;
    uint16_t photometric = PHOTOMETRIC_MINISWHITE;
    uint16_t compression = COMPRESSION_NONE;
    uint16_t orientation = ORIENTATION_TOPLEFT;
    uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    uint16_t extra = 0;
};

// The file's rows top-down, packed as in the file (rowBytes each), decoded from strips or tiles.
// Strips or tiles that fail to decode stay zero: a damaged part of a page is better than none.
std::vector<uint8_t> decodePacked(TIFF* tif, const Layout& l, size_t rowBytes) {
    std::vector<uint8_t> buf(rowBytes * l.height);
    bool any = false;
    if (TIFFIsTiled(tif) != 0) {
        uint32_t tw = 0;
        uint32_t th = 0;
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tw);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &th);
        if (tw == 0 || th == 0 || (uint64_t{tw} * l.bps) % 8 != 0) {
            fail(kErrDamaged);
        }
        checkDimensions(tw, th, l.bps);
        const uint64_t tileRow = TIFFTileRowSize64(tif);
        const uint64_t tileSize = TIFFTileSize64(tif);
        if (tileRow == 0 || tileSize < tileRow * th) {
            fail(kErrDamaged);
        }
        std::vector<uint8_t> tile(static_cast<size_t>(tileSize));
        for (uint64_t ty = 0; ty < l.height; ty += th) {
            for (uint64_t tx = 0; tx < l.width; tx += tw) {
                const uint32_t index = TIFFComputeTile(tif, static_cast<uint32_t>(tx),
                                                       static_cast<uint32_t>(ty), 0, 0);
                if (TIFFReadEncodedTile(tif, index, tile.data(), static_cast<tmsize_t>(tileSize)) <
                    0) {
                    continue;
                }
                any = true;
                const size_t xByte = static_cast<size_t>(tx * l.bps / 8);
                const size_t copy =
                    static_cast<size_t>(std::min<uint64_t>(tileRow, rowBytes - xByte));
                const uint64_t rows = std::min<uint64_t>(th, l.height - ty);
                for (uint64_t r = 0; r < rows; ++r) {
                    std::memcpy(buf.data() + (ty + r) * rowBytes + xByte, tile.data() + r * tileRow,
                                copy);
                }
            }
        }
    } else {
        uint32_t rps = l.height;
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rps);
        rps = std::clamp<uint32_t>(rps, 1, l.height);
        const uint32_t strips = TIFFNumberOfStrips(tif);
        for (uint32_t s = 0; s < strips; ++s) {
            const uint64_t row0 = uint64_t{s} * rps;
            if (row0 >= l.height) {
                break;
            }
            const uint64_t rows = std::min<uint64_t>(rps, l.height - row0);
            const tmsize_t n = TIFFReadEncodedStrip(tif, s, buf.data() + row0 * rowBytes,
                                                    static_cast<tmsize_t>(rows * rowBytes));
            if (n > 0) {
                any = true;
            }
        }
    }
    if (!any) {
        fail(kErrDamaged);
    }
    return buf;
}

// Colour map entries are 16 bits; some old writers put 8-bit values there (TIFF 6.0 section 5
// says 16, libtiff's RGBA interface makes the same guess).
bool colormapIsEightBit(const uint16_t* r, const uint16_t* g, const uint16_t* b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (r[i] >= 256 || g[i] >= 256 || b[i] >= 256) {
            return false;
        }
    }
    return true;
}

// One sample per pixel of 1, 2, 4 or 8 bits: bilevel, grey or palette, kept at its depth.
void readIndexed(TIFF* tif, const Layout& l, DibHolder& out) {
    const int bits = l.bps == 2 ? 4 : l.bps;
    checkDimensions(l.width, l.height, bits);
    const size_t rowBytes = static_cast<size_t>((uint64_t{l.width} * l.bps + 7) / 8);
    if (TIFFScanlineSize64(tif) != rowBytes) {
        fail(kErrDamaged);
    }
    const int entries = 1 << l.bps;
    uint16_t* cr = nullptr;
    uint16_t* cg = nullptr;
    uint16_t* cb = nullptr;
    if (l.photometric == PHOTOMETRIC_PALETTE &&
        TIFFGetField(tif, TIFFTAG_COLORMAP, &cr, &cg, &cb) == 0) {
        fail(kErrDamaged);
    }
    const std::vector<uint8_t> packed = decodePacked(tif, l, rowBytes);
    out.create(static_cast<int32_t>(l.width), static_cast<int32_t>(l.height), bits);
    // MinIsWhite bilevel pictures are inverted so that every 1-bit picture has 0 black, 1 white.
    const bool invert = l.bps == 1 && l.photometric == PHOTOMETRIC_MINISWHITE;
    if (l.photometric == PHOTOMETRIC_PALETTE) {
        const bool eight = colormapIsEightBit(cr, cg, cb, size_t(entries));
        for (int i = 0; i < entries; ++i) {
            auto c = [eight](uint16_t v) { return static_cast<uint8_t>(eight ? v : v >> 8); };
            out.setColor(i, c(cr[i]), c(cg[i]), c(cb[i]));
        }
        for (int i = entries; i < (1 << bits); ++i) {
            out.setColor(i, 0, 0, 0);
        }
    } else if (l.bps == 1) {
        out.setColor(0, 0, 0, 0);
        out.setColor(1, 255, 255, 255);
    } else {
        for (int i = 0; i < (1 << bits); ++i) {
            const int level = std::min(i, entries - 1) * 255 / (entries - 1);
            const auto v =
                static_cast<uint8_t>(l.photometric == PHOTOMETRIC_MINISWHITE ? 255 - level : level);
            out.setColor(i, v, v, v);
        }
    }
    const bool bottomUp = l.orientation == ORIENTATION_BOTLEFT;
    for (uint32_t y = 0; y < l.height; ++y) {
        const uint8_t* src = packed.data() + size_t{bottomUp ? l.height - 1 - y : y} * rowBytes;
        uint8_t* dst = out.rowTop(static_cast<int32_t>(y));
        if (l.bps == 2) {
            // Each 2-bit value becomes a 4-bit one with the same index.
            for (uint32_t x = 0; x < l.width; ++x) {
                const auto v = static_cast<uint8_t>((src[x / 4] >> (6 - 2 * (x % 4))) & 3);
                dst[x / 2] |= static_cast<uint8_t>(x % 2 == 0 ? v << 4 : v);
            }
            continue;
        }
        std::memcpy(dst, src, rowBytes);
        if (invert) {
            for (size_t i = 0; i < rowBytes; ++i) {
                dst[i] = static_cast<uint8_t>(~dst[i]);
            }
            if (l.width % 8 != 0) {
                dst[rowBytes - 1] &= static_cast<uint8_t>(0xff00 >> (l.width % 8));
            }
        }
    }
}

struct RgbaEnd {
    void operator()(TIFFRGBAImage* img) const { TIFFRGBAImageEnd(img); }
};

// Everything else, through libtiff's RGBA interface, composed onto white paper.
void readRgba(TIFF* tif, const Layout& l, DibHolder& out) {
    char message[1024] = {};
    if (TIFFRGBAImageOK(tif, message) == 0) {
        fail(kErrUnsupported);
    }
    const bool grey =
        l.photometric == PHOTOMETRIC_MINISBLACK || l.photometric == PHOTOMETRIC_MINISWHITE;
    const int bits = grey ? 8 : 24;
    checkDimensions(l.width, l.height, bits);
    checkDimensions(l.width, l.height, 32); // the RGBA raster
    TIFFRGBAImage img{};
    if (TIFFRGBAImageBegin(&img, tif, 0, message) == 0) {
        fail(kErrUnsupported);
    }
    std::unique_ptr<TIFFRGBAImage, RgbaEnd> guard(&img);
    img.req_orientation = ORIENTATION_TOPLEFT;
    std::vector<uint32_t> raster(size_t{l.width} * l.height);
    if (TIFFRGBAImageGet(&img, raster.data(), l.width, l.height) == 0) {
        fail(kErrDamaged);
    }
    out.create(static_cast<int32_t>(l.width), static_cast<int32_t>(l.height), bits);
    for (uint32_t y = 0; y < l.height; ++y) {
        uint8_t* dst = out.rowTop(static_cast<int32_t>(y));
        const uint32_t* src = raster.data() + size_t{y} * l.width;
        for (uint32_t x = 0; x < l.width; ++x) {
            const uint32_t p = src[x];
            // The raster holds colour premultiplied by alpha; white shows through the rest.
            const uint32_t cover = 255 - TIFFGetA(p);
            const auto r = static_cast<uint8_t>(std::min<uint32_t>(TIFFGetR(p) + cover, 255));
            const auto g = static_cast<uint8_t>(std::min<uint32_t>(TIFFGetG(p) + cover, 255));
            const auto b = static_cast<uint8_t>(std::min<uint32_t>(TIFFGetB(p) + cover, 255));
            if (grey) {
                dst[x] = r;
            } else {
                dst[x * 3] = b;
                dst[x * 3 + 1] = g;
                dst[x * 3 + 2] = r;
            }
        }
    }
}

void readResolution(TIFF* tif, DibHolder& out) {
    float xres = 0;
    float yres = 0;
    uint16_t unit = RESUNIT_INCH;
    if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres) == 0 ||
        TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres) == 0) {
        return;
    }
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (!std::isfinite(xres) || !std::isfinite(yres) || unit == RESUNIT_NONE) {
        return;
    }
    const double f = unit == RESUNIT_CENTIMETER ? 2.54 : 1.0;
    out.setDpi(xres * f, yres * f);
}

// ---- writing ----

// Dots per inch for a pixels-per-metre value: the whole number when it stands for the same
// value (11811 is 300 dpi), else the exact quotient.
float dpiOf(int32_t ppm) {
    const double dpi = ppm * 0.0254;
    const double whole = std::round(dpi);
    return static_cast<float>(std::lround(whole / 0.0254) == ppm ? whole : dpi);
}

// The depth and photometric interpretation a picture is written with.
enum class Kind { Bilevel, Grey, Palette, Rgb };

Kind kindOf(const dib& in) {
    const int bits = in.pmi->bmiHeader.biBitCount;
    if (bits > 8) {
        return Kind::Rgb;
    }
    auto same = [](const RGBQUAD& q, uint8_t v) {
        return q.rgbRed == v && q.rgbGreen == v && q.rgbBlue == v;
    };
    if (bits == 1) {
        // Any other pair of colours keeps them as a two-entry palette.
        return dibIsBlackAndWhite(in) ? Kind::Bilevel : Kind::Palette;
    }
    // A grey ramp is written as grey of its depth; any other table as a palette.
    const int n = 1 << bits;
    for (int i = 0; i < n; ++i) {
        if (!same(in.pmi->bmiColors[i], static_cast<uint8_t>(i * 255 / (n - 1)))) {
            return Kind::Palette;
        }
    }
    return Kind::Grey;
}

} // namespace

bool sniffTiff(const uint8_t* data, size_t size) {
    if (size < 4) {
        return false;
    }
    // "II" or "MM", then 42 (classic TIFF) or 43 (BigTIFF) in that byte order.
    const bool ii =
        data[0] == 'I' && data[1] == 'I' && data[3] == 0 && (data[2] == 42 || data[2] == 43);
    const bool mm =
        data[0] == 'M' && data[1] == 'M' && data[2] == 0 && (data[3] == 42 || data[3] == 43);
    return ii || mm;
}

void readTiff(const uint8_t* data, size_t size, DibHolder& out) {
    if (!sniffTiff(data, size)) {
        fail(kErrUnknownFormat);
    }
    MemFile file;
    file.data = data;
    file.size = size;
    TiffHandle tif = openMemory(file, "r");
    if (!tif) {
        fail(kErrDamaged);
    }
    Layout l;
    if (TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &l.width) == 0 ||
        TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &l.height) == 0) {
        fail(kErrDamaged);
    }
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &l.bps);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &l.spp);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_COMPRESSION, &l.compression);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_ORIENTATION, &l.orientation);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLEFORMAT, &l.sampleFormat);
    uint16_t* extraTypes = nullptr;
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_EXTRASAMPLES, &l.extra, &extraTypes);
    if (TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &l.photometric) == 0) {
        // Missing in some old bilevel files; TIFF 6.0 readers take MinIsWhite then.
        l.photometric = l.spp >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISWHITE;
    }
    checkDimensions(l.width, l.height, 8);
    if (TIFFIsCODECConfigured(l.compression) == 0) {
        fail(kErrUnsupported);
    }
    const bool indexed =
        l.spp == 1 && (l.bps == 1 || l.bps == 2 || l.bps == 4 || l.bps == 8) &&
        l.sampleFormat == SAMPLEFORMAT_UINT &&
        (l.photometric == PHOTOMETRIC_MINISWHITE || l.photometric == PHOTOMETRIC_MINISBLACK ||
         l.photometric == PHOTOMETRIC_PALETTE) &&
        (l.orientation == ORIENTATION_TOPLEFT || l.orientation == ORIENTATION_BOTLEFT);
    if (indexed) {
        readIndexed(tif.get(), l, out);
    } else {
        readRgba(tif.get(), l, out);
    }
    readResolution(tif.get(), out);
}

void writeTiff(const dib& in, std::vector<uint8_t>& out) {
    checkWritable(in);
    const BITMAPINFOHEADER& h = in.pmi->bmiHeader;
    const int bits = h.biBitCount;
    const auto w = static_cast<uint32_t>(h.biWidth);
    const auto ht = static_cast<uint32_t>(h.biHeight);
    const Kind kind = kindOf(in);
    MemFile file;
    file.out = &out;
    TiffHandle tif = openMemory(file, "w");
    if (!tif) {
        fail(kErrCannotWrite);
    }
    TIFF* t = tif.get();
    const uint16_t bps = kind == Kind::Rgb ? 8 : static_cast<uint16_t>(bits);
    const uint16_t spp = kind == Kind::Rgb ? 3 : 1;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, ht);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, bps);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, spp);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    std::vector<uint16_t> map;
    switch (kind) {
    case Kind::Bilevel:
        // Fax convention: MinIsWhite, 1 is black, the whole page in one strip.
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(t, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, ht);
        break;
    case Kind::Grey:
    case Kind::Rgb:
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC,
                     kind == Kind::Rgb ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
        if (bps == 8) {
            TIFFSetField(t, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
        }
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
        break;
    case Kind::Palette: {
        // Differences of palette indices mean nothing, so no predictor here.
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
        const size_t n = size_t{1} << bits;
        map.resize(3 * n);
        for (size_t i = 0; i < n; ++i) {
            const RGBQUAD q = in.pmi->bmiColors[i];
            map[i] = static_cast<uint16_t>(q.rgbRed * 257);
            map[n + i] = static_cast<uint16_t>(q.rgbGreen * 257);
            map[2 * n + i] = static_cast<uint16_t>(q.rgbBlue * 257);
        }
        TIFFSetField(t, TIFFTAG_COLORMAP, map.data(), map.data() + n, map.data() + 2 * n);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
        break;
    }
    }
    if (h.biXPelsPerMeter > 0 && h.biYPelsPerMeter > 0) {
        TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        TIFFSetField(t, TIFFTAG_XRESOLUTION, dpiOf(h.biXPelsPerMeter));
        TIFFSetField(t, TIFFTAG_YRESOLUTION, dpiOf(h.biYPelsPerMeter));
    } else {
        // The tags TIFF 6.0 asks for, saying that the size on paper is not known.
        TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_NONE);
        TIFFSetField(t, TIFFTAG_XRESOLUTION, 1.0f);
        TIFFSetField(t, TIFFTAG_YRESOLUTION, 1.0f);
    }

    const bool invert = kind == Kind::Bilevel && in.pmi->bmiColors[0].rgbRed == 0;
    const size_t rowBytes =
        kind == Kind::Rgb ? size_t{w} * 3 : static_cast<size_t>((uint64_t{w} * bits + 7) / 8);
    std::vector<uint8_t> row(rowBytes);
    bool ok = true;
    for (uint32_t y = 0; y < ht && ok; ++y) {
        const uint8_t* src = DibRowTop(in, static_cast<int32_t>(y));
        if (kind != Kind::Rgb) {
            std::memcpy(row.data(), src, rowBytes);
            if (invert) {
                for (uint8_t& b : row) {
                    b = static_cast<uint8_t>(~b);
                }
            }
        } else {
            for (uint32_t x = 0; x < w; ++x) {
                uint8_t* d = row.data() + size_t{x} * 3;
                if (bits == 24 || bits == 32) {
                    const uint8_t* p = src + size_t{x} * (bits / 8);
                    d[0] = p[2];
                    d[1] = p[1];
                    d[2] = p[0];
                } else {
                    const uint32_t v = src[x * 2] | uint32_t{src[x * 2 + 1]} << 8;
                    d[0] = static_cast<uint8_t>(((v >> 10) & 31) * 255 / 31);
                    d[1] = static_cast<uint8_t>(((v >> 5) & 31) * 255 / 31);
                    d[2] = static_cast<uint8_t>((v & 31) * 255 / 31);
                }
            }
        }
        ok = TIFFWriteScanline(t, row.data(), y, 0) == 1;
    }
    ok = ok && TIFFFlush(t) == 1;
    tif.reset();
    if (file.failed) {
        fail(kErrNoMemory);
    }
    if (!ok || out.empty()) {
        fail(kErrCannotWrite);
    }
}

} // namespace qly::img
