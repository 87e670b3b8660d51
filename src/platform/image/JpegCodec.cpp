// JPEG reading through libjpeg-turbo's TurboJPEG API and writing through its libjpeg API
// (which offers optimised Huffman tables).
#include "platform/image/Codec.h"

#include <cmath>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <cstdlib>
#include <memory>

#include <jpeglib.h>
#include <turbojpeg.h>

namespace qly::img {
namespace {

struct TjCloser {
    void operator()(void* h) const { tjDestroy(h); }
};
using TjHandle = std::unique_ptr<void, TjCloser>;

// Resolution from a JFIF APP0 segment, if the file starts with one (dots per inch; 0 if unknown).
void jfifDensity(const uint8_t* data, size_t size, double& xdpi, double& ydpi) {
    xdpi = ydpi = 0;
    if (size < 20 || data[2] != 0xff || data[3] != 0xe0 || data[6] != 'J' || data[7] != 'F' ||
        data[8] != 'I' || data[9] != 'F' || data[10] != 0) {
        return;
    }
    const int units = data[13];
    const int xd = data[14] << 8 | data[15];
    const int yd = data[16] << 8 | data[17];
    if (units == 1) {
        xdpi = xd;
        ydpi = yd;
    } else if (units == 2) {
        xdpi = xd * 2.54;
        ydpi = yd * 2.54;
    }
}

bool isIdentityGreyRamp(const dib& d) {
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD& q = d.pmi->bmiColors[i];
        if (q.rgbRed != i || q.rgbGreen != i || q.rgbBlue != i) {
            return false;
        }
    }
    return true;
}

struct MallocFree {
    void operator()(unsigned char* p) const { std::free(p); }
};

struct RowSource {
    const dib* picture;
    uint8_t* buffer; // row of expanded pixels, or null when rows are used as they are
};

// Everything the compressor needs, kept in plain data so that the function running under
// libjpeg's setjmp holds no C++ objects with destructors.
struct JpegJob {
    int width;
    int height;
    int components;
    J_COLOR_SPACE colorSpace;
    int quality;
    unsigned xdpi;
    unsigned ydpi;
    void* rows;
    const unsigned char* (*nextRow)(void* ctx, int y); // row y, counted from the top
};

struct JpegErrorJump {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

[[noreturn]] void jumpOnJpegError(j_common_ptr cinfo) {
    longjmp(reinterpret_cast<JpegErrorJump*>(cinfo->err)->jump, 1);
}

void ignoreJpegMessage(j_common_ptr, int) {}

// Baseline JPEG with optimised Huffman tables (smaller files for one extra pass), 4:2:0 chroma
// subsampling for colour, the resolution in the JFIF header. libjpeg reports errors by longjmp;
// this function returns false then.
bool compressGuarded(const JpegJob* job, unsigned char** mem, unsigned long* memSize) {
    jpeg_compress_struct cinfo;
    JpegErrorJump err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = jumpOnJpegError;
    err.pub.emit_message = ignoreJpegMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, mem, memSize);
    cinfo.image_width = static_cast<JDIMENSION>(job->width);
    cinfo.image_height = static_cast<JDIMENSION>(job->height);
    cinfo.input_components = job->components;
    cinfo.in_color_space = job->colorSpace;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, job->quality, TRUE);
    cinfo.optimize_coding = TRUE;
    cinfo.dct_method = JDCT_ISLOW;
    if (job->xdpi > 0 && job->ydpi > 0 && job->xdpi <= 65535 && job->ydpi <= 65535) {
        cinfo.density_unit = 1;
        cinfo.X_density = static_cast<UINT16>(job->xdpi);
        cinfo.Y_density = static_cast<UINT16>(job->ydpi);
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row =
            const_cast<JSAMPROW>(job->nextRow(job->rows, static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

// Compresses into `out` (appended); throws kErrCannotWrite when libjpeg fails.
void compressInto(const JpegJob& job, std::vector<uint8_t>& out) {
    unsigned char* mem = nullptr;
    unsigned long memSize = 0;
    const bool ok = compressGuarded(&job, &mem, &memSize);
    std::unique_ptr<unsigned char, MallocFree> owner(mem);
    if (!ok) {
        fail(kErrCannotWrite);
    }
    out.insert(out.end(), mem, mem + memSize);
}

} // namespace

bool sniffJpeg(const uint8_t* data, size_t size) {
    return size >= 3 && data[0] == 0xff && data[1] == 0xd8 && data[2] == 0xff;
}

void readJpeg(const uint8_t* data, size_t size, DibHolder& out) {
    bool clean = true;
    readJpegChecked(data, size, out, true, clean);
}

void readJpegChecked(const uint8_t* data, size_t size, DibHolder& out, bool pixels, bool& clean) {
    if (!sniffJpeg(data, size)) {
        fail(kErrUnknownFormat);
    }
    TjHandle tj(tjInitDecompress());
    if (!tj) {
        fail(kErrNoMemory);
    }
    int width = 0;
    int height = 0;
    int subsamp = 0;
    int colorspace = 0;
    if (tjDecompressHeader3(tj.get(), data, static_cast<unsigned long>(size), &width, &height,
                            &subsamp, &colorspace) != 0) {
        fail(kErrDamaged);
    }
    const bool grey = colorspace == TJCS_GRAY;
    const bool cmyk = colorspace == TJCS_CMYK || colorspace == TJCS_YCCK;
    checkDimensions(width, height, grey ? 8 : cmyk ? 32 : 24);
    // Hostile progressive files with thousands of scans are refused rather than decoded slowly.
    const int flags = TJFLAG_BOTTOMUP | TJFLAG_LIMITSCANS;
    clean = true;
    auto decompress = [&](unsigned char* dst, int w, int pitch, int h, int format) {
        if (tjDecompress2(tj.get(), data, static_cast<unsigned long>(size), dst, w, pitch, h,
                          format, flags) != 0) {
            if (tjGetErrorCode(tj.get()) != TJERR_WARNING) {
                fail(kErrDamaged);
            }
            // A warning (a truncated file, say) still leaves a picture: keep what was decoded.
            clean = false;
        }
    };
    if (!pixels && !cmyk) {
        // At an eighth of the size the decoder still reads every coefficient of every scan, so it
        // meets every damage and warning a full decoding meets, at a fraction of the work.
        // Grey output spares the colour conversion; the colour components are still decoded.
        const tjscalingfactor eighth{1, 8};
        const int w = TJSCALED(width, eighth);
        const int h = TJSCALED(height, eighth);
        const std::unique_ptr<unsigned char[]> small(new unsigned char[size_t(w) * size_t(h)]);
        decompress(small.get(), w, w, h, TJPF_GRAY);
        out.create(width, height, grey ? 8 : 24);
    } else if (cmyk) {
        // Decode to CMYK in a 32-bit bitmap, then turn it into 24-bit in place of a second one.
        DibHolder tmp;
        tmp.create(width, height, 32);
        decompress(tmp.get().poi, width, tmp.get().bytew, height, TJPF_CMYK);
        out.create(width, height, 24);
        for (int y = 0; y < height; ++y) {
            const uint8_t* s = tmp.rowTop(y);
            uint8_t* d = out.rowTop(y);
            for (int x = 0; x < width; ++x, s += 4, d += 3) {
                // libjpeg delivers Adobe-style inverted CMYK: 255 means no ink.
                const unsigned k = s[3];
                d[0] = static_cast<uint8_t>(s[2] * k / 255);
                d[1] = static_cast<uint8_t>(s[1] * k / 255);
                d[2] = static_cast<uint8_t>(s[0] * k / 255);
            }
        }
    } else {
        out.create(width, height, grey ? 8 : 24);
        decompress(out.get().poi, width, out.get().bytew, height, grey ? TJPF_GRAY : TJPF_BGR);
    }
    double xdpi = 0;
    double ydpi = 0;
    jfifDensity(data, size, xdpi, ydpi);
    out.setDpi(xdpi, ydpi);
}

bool decodeJpegInto(const dib& picture, const uint8_t* data, size_t size) {
    TjHandle tj(tjInitDecompress());
    int width = 0;
    int height = 0;
    int subsamp = 0;
    int colorspace = 0;
    if (!tj || picture.poi == nullptr || picture.pmi == nullptr ||
        tjDecompressHeader3(tj.get(), data, static_cast<unsigned long>(size), &width, &height,
                            &subsamp, &colorspace) != 0) {
        return false;
    }
    const BITMAPINFOHEADER& h = picture.pmi->bmiHeader;
    const bool grey = colorspace == TJCS_GRAY;
    if (colorspace == TJCS_CMYK || colorspace == TJCS_YCCK || h.biWidth != width ||
        h.biHeight != height || h.biBitCount != (grey ? 8 : 24)) {
        return false;
    }
    return tjDecompress2(tj.get(), data, static_cast<unsigned long>(size), picture.poi, width,
                         picture.bytew, height, grey ? TJPF_GRAY : TJPF_BGR,
                         TJFLAG_BOTTOMUP | TJFLAG_LIMITSCANS) == 0;
}

void writeJpeg(const dib& in, std::vector<uint8_t>& out) {
    const BITMAPINFOHEADER& h = in.pmi->bmiHeader;
    const int width = h.biWidth;
    const int height = h.biHeight;
    const int bits = h.biBitCount;
    if (width <= 0 || height <= 0) {
        fail(kErrEmpty);
    }
    JpegJob job{};
    job.width = width;
    job.height = height;
    job.quality = GetJPEGQual();
    std::vector<uint8_t> rowBuffer;
    if (bits == 24) {
        job.colorSpace = JCS_EXT_BGR;
        job.components = 3;
    } else if (bits == 32) {
        job.colorSpace = JCS_EXT_BGRX;
        job.components = 4;
    } else if (bits == 8 && isIdentityGreyRamp(in)) {
        // The indices are the grey values: a one-channel JPEG.
        job.colorSpace = JCS_GRAYSCALE;
        job.components = 1;
    } else if (bits == 1 || bits == 4 || bits == 8 || bits == 16) {
        // Palette and 16-bit rows are expanded to blue, green, red one row at a time.
        job.colorSpace = JCS_EXT_BGR;
        job.components = 3;
        rowBuffer.resize(static_cast<size_t>(width) * 3);
    } else {
        fail(kErrDepth);
    }
    if (h.biXPelsPerMeter > 0 && h.biYPelsPerMeter > 0) {
        job.xdpi = static_cast<unsigned>(std::lround(h.biXPelsPerMeter * 0.0254));
        job.ydpi = static_cast<unsigned>(std::lround(h.biYPelsPerMeter * 0.0254));
    }
    RowSource source{&in, rowBuffer.empty() ? nullptr : rowBuffer.data()};
    job.rows = &source;
    job.nextRow = [](void* ctx, int y) -> const unsigned char* {
        auto* src = static_cast<RowSource*>(ctx);
        const dib& d = *src->picture;
        if (src->buffer == nullptr) {
            return DibRowTop(d, y);
        }
        const int bitsPerPixel = d.pmi->bmiHeader.biBitCount;
        uint8_t* p = src->buffer;
        for (int x = 0; x < d.pmi->bmiHeader.biWidth; ++x, p += 3) {
            const uint32_t v = getpixel(d, x, y);
            if (bitsPerPixel == 16) {
                p[0] = static_cast<uint8_t>((v & 0x1f) * 255 / 31);
                p[1] = static_cast<uint8_t>(((v >> 5) & 0x1f) * 255 / 31);
                p[2] = static_cast<uint8_t>(((v >> 10) & 0x1f) * 255 / 31);
            } else {
                const RGBQUAD q = dibColor(d, v);
                p[0] = q.rgbBlue;
                p[1] = q.rgbGreen;
                p[2] = q.rgbRed;
            }
        }
        return src->buffer;
    };
    compressInto(job, out);
}

} // namespace qly::img

namespace qly::img {

void writeJpegRows(const DibRowFeed& rows, int32_t quality, std::vector<uint8_t>& out) {
    struct Feed {
        const DibRowFeed* rows;
        std::vector<uint8_t> scratch;
    } feed{&rows, std::vector<uint8_t>(size_t(rows.width) * size_t(rows.bytesPerPixel))};
    JpegJob job{};
    job.width = rows.width;
    job.height = rows.height;
    job.quality = quality;
    job.components = rows.bytesPerPixel;
    job.colorSpace = rows.bytesPerPixel == 4 ? JCS_EXT_BGRX : JCS_EXT_BGR;
    // The same density a bitmap header with these values gives (see writeJpeg).
    if (rows.xPelsPerMeter > 0 && rows.yPelsPerMeter > 0) {
        job.xdpi = static_cast<unsigned>(std::lround(rows.xPelsPerMeter * 0.0254));
        job.ydpi = static_cast<unsigned>(std::lround(rows.yPelsPerMeter * 0.0254));
    }
    job.rows = &feed;
    job.nextRow = [](void* ctx, int y) -> const unsigned char* {
        auto* f = static_cast<Feed*>(ctx);
        return f->rows->row(f->rows->ctx, y, f->scratch.data());
    };
    compressInto(job, out);
}

} // namespace qly::img
