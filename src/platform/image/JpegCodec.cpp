// JPEG reading and writing through libjpeg-turbo's TurboJPEG API.
#include "platform/image/Codec.h"

#include <turbojpeg.h>

#include <cmath>
#include <memory>

namespace qly::img {
namespace {

struct TjCloser {
    void operator()(void* h) const { tjDestroy(h); }
};
using TjHandle = std::unique_ptr<void, TjCloser>;

struct TjFree {
    void operator()(unsigned char* p) const { tjFree(p); }
};

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

// Puts the resolution into the JFIF APP0 segment TurboJPEG writes.
void patchDensity(unsigned char* jpeg, unsigned long size, const BITMAPINFOHEADER& h) {
    if (size < 20 || jpeg[2] != 0xff || jpeg[3] != 0xe0 || jpeg[6] != 'J' || h.biXPelsPerMeter <= 0 ||
        h.biYPelsPerMeter <= 0) {
        return;
    }
    const long xd = std::lround(h.biXPelsPerMeter * 0.0254);
    const long yd = std::lround(h.biYPelsPerMeter * 0.0254);
    if (xd <= 0 || yd <= 0 || xd > 65535 || yd > 65535) {
        return;
    }
    jpeg[13] = 1;
    jpeg[14] = static_cast<unsigned char>(xd >> 8);
    jpeg[15] = static_cast<unsigned char>(xd);
    jpeg[16] = static_cast<unsigned char>(yd >> 8);
    jpeg[17] = static_cast<unsigned char>(yd);
}

} // namespace

bool sniffJpeg(const uint8_t* data, size_t size) {
    return size >= 3 && data[0] == 0xff && data[1] == 0xd8 && data[2] == 0xff;
}

void readJpeg(const uint8_t* data, size_t size, DibHolder& out) {
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
    auto decompress = [&](unsigned char* dst, int pitch, int format) {
        if (tjDecompress2(tj.get(), data, static_cast<unsigned long>(size), dst, width, pitch,
                          height, format, flags) != 0 &&
            tjGetErrorCode(tj.get()) != TJERR_WARNING) {
            fail(kErrDamaged);
        }
        // A warning (a truncated file, say) still leaves a picture: keep what was decoded.
    };
    if (cmyk) {
        // Decode to CMYK in a 32-bit bitmap, then turn it into 24-bit in place of a second one.
        DibHolder tmp;
        tmp.create(width, height, 32);
        decompress(tmp.get().poi, tmp.get().bytew, TJPF_CMYK);
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
    } else if (grey) {
        out.create(width, height, 8);
        decompress(out.get().poi, out.get().bytew, TJPF_GRAY);
    } else {
        out.create(width, height, 24);
        decompress(out.get().poi, out.get().bytew, TJPF_BGR);
    }
    double xdpi = 0;
    double ydpi = 0;
    jfifDensity(data, size, xdpi, ydpi);
    out.setDpi(xdpi, ydpi);
}

void writeJpeg(const dib& in, std::vector<uint8_t>& out) {
    const BITMAPINFOHEADER& h = in.pmi->bmiHeader;
    const int width = h.biWidth;
    const int height = h.biHeight;
    const int bits = h.biBitCount;
    if (width <= 0 || height <= 0) {
        fail(kErrEmpty);
    }
    TjHandle tj(tjInitCompress());
    if (!tj) {
        fail(kErrNoMemory);
    }
    const unsigned char* src = in.poi;
    int pitch = in.bytew;
    int format = TJPF_BGR;
    int subsamp = TJSAMP_420;
    std::vector<uint8_t> converted;
    if (bits == 24) {
        format = TJPF_BGR;
    } else if (bits == 32) {
        format = TJPF_BGRX;
    } else if (bits == 8 && dibIsGrey(in) &&
               [&] {
                   for (int i = 0; i < 256; ++i) {
                       if (in.pmi->bmiColors[i].rgbRed != i) {
                           return false;
                       }
                   }
                   return true;
               }()) {
        format = TJPF_GRAY; // the identity grey ramp: indices are the grey values
        subsamp = TJSAMP_GRAY;
    } else if (bits == 1 || bits == 4 || bits == 8 || bits == 16) {
        // Expand palette and 16-bit pixels to blue, green, red rows.
        pitch = width * 3;
        converted.resize(static_cast<size_t>(pitch) * static_cast<size_t>(height));
        for (int y = 0; y < height; ++y) {
            uint8_t* d = converted.data() + static_cast<size_t>(pitch) * static_cast<size_t>(y);
            for (int x = 0; x < width; ++x, d += 3) {
                const uint32_t v = getpixel(in, x, height - 1 - y); // memory row y
                if (bits == 16) {
                    d[0] = static_cast<uint8_t>((v & 0x1f) * 255 / 31);
                    d[1] = static_cast<uint8_t>(((v >> 5) & 0x1f) * 255 / 31);
                    d[2] = static_cast<uint8_t>(((v >> 10) & 0x1f) * 255 / 31);
                } else {
                    const RGBQUAD q = dibColor(in, v);
                    d[0] = q.rgbBlue;
                    d[1] = q.rgbGreen;
                    d[2] = q.rgbRed;
                }
            }
        }
        src = converted.data();
    } else {
        fail(kErrDepth);
    }
    unsigned char* jpeg = nullptr;
    unsigned long jpegSize = 0;
    const int rc = tjCompress2(tj.get(), src, width, pitch, height, format, &jpeg, &jpegSize,
                               subsamp, GetJPEGQual(), TJFLAG_BOTTOMUP);
    std::unique_ptr<unsigned char, TjFree> owner(jpeg);
    if (rc != 0) {
        fail(kErrCannotWrite);
    }
    patchDensity(jpeg, jpegSize, h);
    out.insert(out.end(), jpeg, jpeg + jpegSize);
}

} // namespace qly::img
