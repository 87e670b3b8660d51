// JPEG 2000 reading and writing through OpenJPEG: JP2 files (ISO/IEC 15444-1 Annex I) and raw
// code streams (ISO/IEC 15444-1 Annex A), both over memory streams.
//
// Reading decodes the header first and checks the declared size against the library's caps
// before OpenJPEG allocates its sample planes. Writing codes one quality layer at the size set
// with SetJPEG2000Qual, with OpenJPEG's worker threads.
#include "platform/image/Codec.h"

#include <openjpeg.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <thread>

namespace qly::img {
namespace {

// JP2 signature box (Annex I.5.1) and the start of a code stream: SOC followed by SIZ.
constexpr std::array<uint8_t, 12> kJp2Signature = {0x00, 0x00, 0x00, 0x0c, 0x6a, 0x50,
                                                   0x20, 0x20, 0x0d, 0x0a, 0x87, 0x0a};
constexpr std::array<uint8_t, 4> kCodeStreamStart = {0xff, 0x4f, 0xff, 0x51};

struct CodecCloser {
    void operator()(opj_codec_t* c) const { opj_destroy_codec(c); }
};
struct StreamCloser {
    void operator()(opj_stream_t* s) const { opj_stream_destroy(s); }
};
struct ImageCloser {
    void operator()(opj_image_t* i) const { opj_image_destroy(i); }
};
using OpjCodec = std::unique_ptr<opj_codec_t, CodecCloser>;
using OpjStream = std::unique_ptr<opj_stream_t, StreamCloser>;
using OpjImage = std::unique_ptr<opj_image_t, ImageCloser>;

// OpenJPEG prints nothing: its messages would go to the terminal of a desktop program.
void quiet(const char*, void*) {}

void silence(opj_codec_t* codec) {
    opj_set_info_handler(codec, quiet, nullptr);
    opj_set_warning_handler(codec, quiet, nullptr);
    opj_set_error_handler(codec, quiet, nullptr);
}

int workerThreads() {
    if (opj_has_thread_support() == 0) {
        return 1;
    }
    const unsigned n = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(n, 1u, 8u));
}

// ---- memory streams ----

struct MemIn {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

OPJ_SIZE_T memRead(void* buf, OPJ_SIZE_T n, void* user) {
    auto* m = static_cast<MemIn*>(user);
    if (m->pos >= m->size) {
        return static_cast<OPJ_SIZE_T>(-1);
    }
    const size_t k = std::min<size_t>(n, m->size - m->pos);
    std::memcpy(buf, m->data + m->pos, k);
    m->pos += k;
    return k;
}

OPJ_OFF_T memSkipIn(OPJ_OFF_T n, void* user) {
    auto* m = static_cast<MemIn*>(user);
    if (n < 0) {
        const auto back = static_cast<size_t>(-n);
        if (back > m->pos) {
            return -1;
        }
        m->pos -= back;
        return n;
    }
    const size_t k = std::min<uint64_t>(static_cast<uint64_t>(n), m->size - m->pos);
    m->pos += k;
    return static_cast<OPJ_OFF_T>(k);
}

OPJ_BOOL memSeekIn(OPJ_OFF_T to, void* user) {
    auto* m = static_cast<MemIn*>(user);
    if (to < 0 || static_cast<uint64_t>(to) > m->size) {
        return OPJ_FALSE;
    }
    m->pos = static_cast<size_t>(to);
    return OPJ_TRUE;
}

// The JP2 writer seeks back to fill in box lengths, so the output stream keeps a position.
struct MemOut {
    std::vector<uint8_t>* out;
    size_t pos;
    bool failed;
};

OPJ_SIZE_T memWrite(void* buf, OPJ_SIZE_T n, void* user) {
    auto* m = static_cast<MemOut*>(user);
    try {
        if (m->pos + n > m->out->size()) {
            m->out->resize(m->pos + n);
        }
    } catch (...) {
        m->failed = true; // no exception may cross OpenJPEG's C frames
        return static_cast<OPJ_SIZE_T>(-1);
    }
    std::memcpy(m->out->data() + m->pos, buf, n);
    m->pos += n;
    return n;
}

OPJ_OFF_T memSkipOut(OPJ_OFF_T n, void* user) {
    auto* m = static_cast<MemOut*>(user);
    if (n < 0 && static_cast<size_t>(-n) > m->pos) {
        return -1;
    }
    m->pos = static_cast<size_t>(static_cast<OPJ_OFF_T>(m->pos) + n);
    return n;
}

OPJ_BOOL memSeekOut(OPJ_OFF_T to, void* user) {
    auto* m = static_cast<MemOut*>(user);
    if (to < 0) {
        return OPJ_FALSE;
    }
    m->pos = static_cast<size_t>(to);
    return OPJ_TRUE;
}

// ---- JP2 boxes (Annex I.4) ----

struct Box {
    uint32_t type;
    size_t start;   // first byte of the box header
    size_t content; // first byte of the contents
    size_t end;     // one past the last byte
};

constexpr uint32_t fourCc(const char* s) {
    return uint32_t{uint8_t(s[0])} << 24 | uint32_t{uint8_t(s[1])} << 16 |
           uint32_t{uint8_t(s[2])} << 8 | uint32_t{uint8_t(s[3])};
}

// The boxes directly inside [from, to); stops at the first malformed box.
std::vector<Box> boxesIn(const uint8_t* data, size_t from, size_t to) {
    std::vector<Box> boxes;
    size_t pos = from;
    while (to - pos >= 8) {
        ByteReader r(data + pos, to - pos);
        uint64_t length = r.u32be();
        const uint32_t type = r.u32be();
        size_t header = 8;
        if (length == 1) {
            if (r.remaining() < 8) {
                break;
            }
            length = uint64_t{r.u32be()} << 32;
            length |= r.u32be();
            header = 16;
        } else if (length == 0) {
            length = to - pos; // the last box runs to the end
        }
        if (length < header || length > to - pos) {
            break;
        }
        boxes.push_back(Box{type, pos, pos + header, pos + static_cast<size_t>(length)});
        pos += static_cast<size_t>(length);
    }
    return boxes;
}

// Pixels per metre from a resolution box ('resc' or 'resd', Annex I.5.3.7): vertical and
// horizontal numerator, denominator and exponent of ten.
bool resolutionFrom(const uint8_t* p, size_t n, double& xppm, double& yppm) {
    if (n < 10) {
        return false;
    }
    ByteReader r(p, n);
    const uint16_t vn = r.u16be();
    const uint16_t vd = r.u16be();
    const uint16_t hn = r.u16be();
    const uint16_t hd = r.u16be();
    const auto ve = static_cast<int8_t>(r.u8());
    const auto he = static_cast<int8_t>(r.u8());
    if (vn == 0 || vd == 0 || hn == 0 || hd == 0) {
        return false;
    }
    yppm = double(vn) / vd * std::pow(10.0, ve);
    xppm = double(hn) / hd * std::pow(10.0, he);
    return true;
}

// The resolution of a JP2 file in dots per inch (0 when it names none). The capture resolution
// is preferred: it is the scanner's.
void jp2Resolution(const uint8_t* data, size_t size, double& xdpi, double& ydpi) {
    xdpi = ydpi = 0;
    for (const Box& top : boxesIn(data, 0, size)) {
        if (top.type != fourCc("jp2h")) {
            continue;
        }
        for (const Box& sub : boxesIn(data, top.content, top.end)) {
            if (sub.type != fourCc("res ")) {
                continue;
            }
            double x = 0;
            double y = 0;
            bool found = false;
            for (const char* kind : {"resc", "resd"}) {
                const uint32_t want = fourCc(kind);
                for (const Box& b : boxesIn(data, sub.content, sub.end)) {
                    if (!found && b.type == want &&
                        resolutionFrom(data + b.content, b.end - b.content, x, y)) {
                        found = true;
                    }
                }
            }
            if (found) {
                xdpi = x * 0.0254;
                ydpi = y * 0.0254;
            }
            return;
        }
        return;
    }
}

// Numerator and exponent for a pixels-per-metre value (denominator 1).
void splitResolution(int32_t ppm, uint16_t& num, int8_t& exp) {
    int64_t v = ppm;
    exp = 0;
    while (v > 65535) {
        v = (v + 5) / 10;
        ++exp;
    }
    num = static_cast<uint16_t>(v);
}

// Adds a 'res ' box with the capture resolution to the header box of a JP2 file made by
// OpenJPEG, which writes no resolution itself.
void addJp2Resolution(std::vector<uint8_t>& file, int32_t xppm, int32_t yppm) {
    if (xppm <= 0 || yppm <= 0) {
        return;
    }
    for (const Box& top : boxesIn(file.data(), 0, file.size())) {
        if (top.type != fourCc("jp2h")) {
            continue;
        }
        if (top.content - top.start != 8) {
            return; // an extended length is never written by OpenJPEG
        }
        uint16_t hn = 0;
        uint16_t vn = 0;
        int8_t he = 0;
        int8_t ve = 0;
        splitResolution(xppm, hn, he);
        splitResolution(yppm, vn, ve);
        std::vector<uint8_t> res;
        putU32be(res, 8 + 18);
        putU32be(res, fourCc("res "));
        putU32be(res, 18);
        putU32be(res, fourCc("resc"));
        putU16be(res, vn);
        putU16be(res, 1);
        putU16be(res, hn);
        putU16be(res, 1);
        res.push_back(static_cast<uint8_t>(ve));
        res.push_back(static_cast<uint8_t>(he));
        const uint64_t newLength = top.end - top.start + res.size();
        if (newLength > std::numeric_limits<uint32_t>::max()) {
            return;
        }
        file.insert(file.begin() + static_cast<std::ptrdiff_t>(top.end), res.begin(), res.end());
        file[top.start] = static_cast<uint8_t>(newLength >> 24);
        file[top.start + 1] = static_cast<uint8_t>(newLength >> 16);
        file[top.start + 2] = static_cast<uint8_t>(newLength >> 8);
        file[top.start + 3] = static_cast<uint8_t>(newLength);
        return;
    }
}

// ---- decoding ----

// One decoded component scaled to 8 bits, sampled at picture pixel positions.
class Plane {
  public:
    Plane(const opj_image_t& image, const opj_image_comp_t& c) : c_(c) {
        // Position of the component's first sample on the reference grid (Annex B.2).
        x0_ = c.x0;
        y0_ = c.y0;
        imageX0_ = image.x0;
        imageY0_ = image.y0;
        const int64_t offset = c.sgnd != 0 ? int64_t{1} << (c.prec - 1) : 0;
        const int64_t maxv = (int64_t{1} << c.prec) - 1;
        lut_ = c.prec <= 16;
        if (lut_) {
            table_.resize(static_cast<size_t>(maxv) + 1);
            for (int64_t v = 0; v <= maxv; ++v) {
                table_[static_cast<size_t>(v)] = static_cast<uint8_t>((v * 255 + maxv / 2) / maxv);
            }
        }
        offset_ = offset;
        maxv_ = maxv;
        direct_ = c.dx == 1 && c.dy == 1 && c.x0 == image.x0 && c.y0 == image.y0;
    }

    // The sample covering picture pixel (x, y), 0..255.
    uint8_t at(uint32_t x, uint32_t y) const {
        if (direct_ && lut_ && x < c_.w && y < c_.h) {
            const int64_t v =
                std::clamp<int64_t>(c_.data[size_t{y} * c_.w + x] + offset_, 0, maxv_);
            return table_[static_cast<size_t>(v)];
        }
        uint64_t sx = (uint64_t{imageX0_} + x) / c_.dx;
        uint64_t sy = (uint64_t{imageY0_} + y) / c_.dy;
        sx = sx > x0_ ? std::min<uint64_t>(sx - x0_, c_.w - 1) : 0;
        sy = sy > y0_ ? std::min<uint64_t>(sy - y0_, c_.h - 1) : 0;
        int64_t v = int64_t{c_.data[sy * c_.w + sx]} + offset_;
        v = std::clamp<int64_t>(v, 0, maxv_);
        if (lut_) {
            return table_[static_cast<size_t>(v)];
        }
        return static_cast<uint8_t>((v * 255 + maxv_ / 2) / maxv_);
    }

  private:
    const opj_image_comp_t& c_;
    uint32_t x0_ = 0;
    uint32_t y0_ = 0;
    uint32_t imageX0_ = 0;
    uint32_t imageY0_ = 0;
    int64_t offset_ = 0;
    int64_t maxv_ = 255;
    bool lut_ = false;
    bool direct_ = false;
    std::vector<uint8_t> table_;
};

uint8_t clampByte(double v) {
    return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

// Composes a colour value with its coverage onto white paper.
uint8_t onWhite(uint8_t v, uint8_t alpha) {
    return static_cast<uint8_t>((v * alpha + 255 * (255 - alpha) + 127) / 255);
}

void decodeInto(const uint8_t* data, size_t size, DibHolder& out) {
    const bool jp2 = size >= kJp2Signature.size() &&
                     std::memcmp(data, kJp2Signature.data(), kJp2Signature.size()) == 0;
    const bool j2k = size >= kCodeStreamStart.size() &&
                     std::memcmp(data, kCodeStreamStart.data(), kCodeStreamStart.size()) == 0;
    if (!jp2 && !j2k) {
        fail(kErrUnknownFormat);
    }
    OpjCodec codec(opj_create_decompress(jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
    if (!codec) {
        fail(kErrNoMemory);
    }
    silence(codec.get());
    opj_dparameters_t params;
    opj_set_default_decoder_parameters(&params);
    if (opj_setup_decoder(codec.get(), &params) == 0) {
        fail(kErrDamaged);
    }
    opj_codec_set_threads(codec.get(), workerThreads());
    OpjStream stream(opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE));
    if (!stream) {
        fail(kErrNoMemory);
    }
    MemIn mem{data, size, 0};
    opj_stream_set_user_data(stream.get(), &mem, nullptr);
    opj_stream_set_user_data_length(stream.get(), size);
    opj_stream_set_read_function(stream.get(), memRead);
    opj_stream_set_skip_function(stream.get(), memSkipIn);
    opj_stream_set_seek_function(stream.get(), memSeekIn);

    opj_image_t* raw = nullptr;
    const OPJ_BOOL headerOk = opj_read_header(stream.get(), codec.get(), &raw);
    OpjImage image(raw);
    if (headerOk == 0 || !image) {
        fail(kErrDamaged);
    }
    // The size and layout the header declares, checked before any sample plane exists.
    const opj_image_t& hdr = *image;
    if (hdr.x1 <= hdr.x0 || hdr.y1 <= hdr.y0) {
        fail(kErrEmpty);
    }
    const int64_t width = int64_t{hdr.x1} - hdr.x0;
    const int64_t height = int64_t{hdr.y1} - hdr.y0;
    if (hdr.numcomps < 1 || hdr.comps == nullptr) {
        fail(kErrDamaged);
    }
    if (hdr.numcomps > 4) {
        fail(kErrUnsupported);
    }
    for (OPJ_UINT32 i = 0; i < hdr.numcomps; ++i) {
        const opj_image_comp_t& c = hdr.comps[i];
        if (c.dx == 0 || c.dy == 0 || c.prec < 1 || c.prec > 31) {
            fail(kErrUnsupported);
        }
    }
    const bool colour = hdr.numcomps >= 3;
    checkDimensions(width, height, colour ? 24 : 8);
    // OpenJPEG holds every sample as a 32-bit integer: those planes must fit the same caps.
    checkDimensions(width, height, static_cast<int32_t>(32 * hdr.numcomps));

    if (opj_decode(codec.get(), stream.get(), image.get()) == 0) {
        fail(kErrDamaged);
    }
    opj_end_decompress(codec.get(), stream.get());

    // The decoded components: the palette (pclr) and channel definitions (cdef) of a JP2 file
    // are already applied, so the components are colour channels, possibly with alpha.
    const opj_image_t& img = *image;
    if (img.numcomps < 1 || img.numcomps > 4 || img.comps == nullptr) {
        fail(kErrDamaged);
    }
    for (OPJ_UINT32 i = 0; i < img.numcomps; ++i) {
        const opj_image_comp_t& c = img.comps[i];
        if (c.data == nullptr || c.w == 0 || c.h == 0 || c.dx == 0 || c.dy == 0 || c.prec < 1 ||
            c.prec > 31) {
            fail(kErrDamaged);
        }
    }
    std::vector<std::unique_ptr<Plane>> planes;
    for (OPJ_UINT32 i = 0; i < img.numcomps; ++i) {
        planes.push_back(std::make_unique<Plane>(img, img.comps[i]));
    }
    const auto w = static_cast<uint32_t>(width);
    const auto h = static_cast<uint32_t>(height);
    const OPJ_UINT32 n = img.numcomps;
    const bool cmyk = img.color_space == OPJ_CLRSPC_CMYK && n == 4;
    const bool ycc =
        (img.color_space == OPJ_CLRSPC_SYCC || img.color_space == OPJ_CLRSPC_EYCC) && n >= 3;
    // Alpha: the component the channel definition marks, else a second grey or fourth colour
    // component.
    int alpha = -1;
    for (OPJ_UINT32 i = 0; i < n; ++i) {
        if (img.comps[i].alpha != 0) {
            alpha = static_cast<int>(i);
        }
    }
    if (alpha < 0 && !cmyk && (n == 2 || n == 4)) {
        alpha = static_cast<int>(n) - 1;
    }

    const bool grey = n < 3;
    out.create(static_cast<int32_t>(w), static_cast<int32_t>(h), grey ? 8 : 24);
    double xdpi = 0;
    double ydpi = 0;
    if (jp2) {
        jp2Resolution(data, size, xdpi, ydpi);
    }
    out.setDpi(xdpi, ydpi);
    for (uint32_t y = 0; y < h; ++y) {
        uint8_t* row = out.rowTop(static_cast<int32_t>(y));
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t a = alpha >= 0 ? planes[static_cast<size_t>(alpha)]->at(x, y) : 255;
            if (grey) {
                row[x] = onWhite(planes[0]->at(x, y), a);
                continue;
            }
            uint8_t r = planes[0]->at(x, y);
            uint8_t g = planes[1]->at(x, y);
            uint8_t b = planes[2]->at(x, y);
            if (cmyk) {
                // Ink amounts: no ink is white.
                const int k = 255 - planes[3]->at(x, y);
                r = static_cast<uint8_t>((255 - r) * k / 255);
                g = static_cast<uint8_t>((255 - g) * k / 255);
                b = static_cast<uint8_t>((255 - b) * k / 255);
            } else if (ycc) {
                // ITU-R BT.601 YCbCr with the chroma centred on 128.
                const double yy = r;
                const double cb = g - 128.0;
                const double cr = b - 128.0;
                r = clampByte(yy + 1.402 * cr);
                g = clampByte(yy - 0.344136 * cb - 0.714136 * cr);
                b = clampByte(yy + 1.772 * cb);
            }
            uint8_t* p = row + size_t{x} * 3;
            p[0] = onWhite(b, a);
            p[1] = onWhite(g, a);
            p[2] = onWhite(r, a);
        }
    }
}

// ---- encoding ----

// An image of `numcomps` 8-bit components of w x h samples, to be filled by the caller.
OpjImage createImage(OPJ_UINT32 numcomps, uint32_t w, uint32_t h, bool grey) {
    std::array<opj_image_cmptparm_t, 3> parms{};
    for (OPJ_UINT32 i = 0; i < numcomps; ++i) {
        parms[i].dx = 1;
        parms[i].dy = 1;
        parms[i].w = w;
        parms[i].h = h;
        parms[i].prec = 8;
        parms[i].sgnd = 0;
    }
    OpjImage image(
        opj_image_create(numcomps, parms.data(), grey ? OPJ_CLRSPC_GRAY : OPJ_CLRSPC_SRGB));
    if (!image) {
        fail(kErrNoMemory);
    }
    image->x0 = 0;
    image->y0 = 0;
    image->x1 = w;
    image->y1 = h;
    return image;
}

// Codes a filled image at the size `quality` (see SetJPEG2000Qual) with `threads` threads; a JP2
// file gets the resolution box of the pixels-per-metre values.
void codeImage(opj_image_t* image, bool grey, uint32_t w, uint32_t h, int32_t quality, int threads,
               OPJ_CODEC_FORMAT format, int32_t xPelsPerMeter, int32_t yPelsPerMeter,
               std::vector<uint8_t>& out) {
    opj_cparameters_t params;
    opj_set_default_encoder_parameters(&params);
    params.tcp_numlayers = 1;
    params.cp_disto_alloc = 1;
    if (quality >= 10000) {
        // Lossless: the reversible 5/3 wavelet and colour transform, no rate limit.
        params.irreversible = 0;
        params.tcp_rates[0] = 0;
    } else {
        // The quality is the compressed size in hundredths of a per cent of the raw size.
        params.irreversible = 1;
        params.tcp_rates[0] = static_cast<float>(10000.0 / quality);
    }
    params.tcp_mct = grey ? 0 : 1;
    // Every resolution level must keep at least one sample on the shorter side.
    const uint32_t shorter = std::min(w, h);
    params.numresolution = 6;
    while (params.numresolution > 1 && (uint32_t{1} << (params.numresolution - 1)) > shorter) {
        --params.numresolution;
    }

    OpjCodec codec(opj_create_compress(format));
    if (!codec) {
        fail(kErrNoMemory);
    }
    silence(codec.get());
    if (opj_setup_encoder(codec.get(), &params, image) == 0) {
        fail(kErrCannotWrite);
    }
    opj_codec_set_threads(codec.get(), threads);
    OpjStream stream(opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE));
    if (!stream) {
        fail(kErrNoMemory);
    }
    MemOut mem{&out, 0, false};
    opj_stream_set_user_data(stream.get(), &mem, nullptr);
    opj_stream_set_write_function(stream.get(), memWrite);
    opj_stream_set_skip_function(stream.get(), memSkipOut);
    opj_stream_set_seek_function(stream.get(), memSeekOut);
    const bool ok = opj_start_compress(codec.get(), image, stream.get()) != 0 &&
                    opj_encode(codec.get(), stream.get()) != 0 &&
                    opj_end_compress(codec.get(), stream.get()) != 0;
    if (mem.failed) {
        fail(kErrNoMemory);
    }
    if (!ok || out.empty()) {
        fail(kErrCannotWrite);
    }
    if (format == OPJ_CODEC_JP2) {
        addJp2Resolution(out, xPelsPerMeter, yPelsPerMeter);
    }
}

void encode(const dib& in, OPJ_CODEC_FORMAT format, std::vector<uint8_t>& out) {
    checkWritable(in);
    const BITMAPINFOHEADER& hdr = in.pmi->bmiHeader;
    const int bits = hdr.biBitCount;
    const auto w = static_cast<uint32_t>(hdr.biWidth);
    const auto h = static_cast<uint32_t>(hdr.biHeight);
    // Palette pictures with a grey table are coded as one grey component, others as RGB.
    const bool grey = bits <= 8 && dibIsGrey(in);
    const OPJ_UINT32 numcomps = grey ? 1 : 3;

    OpjImage image = createImage(numcomps, w, h, grey);

    // Colour table as red, green, blue for palette pictures.
    std::array<std::array<uint8_t, 3>, 256> table{};
    if (bits <= 8) {
        for (int i = 0; i < (1 << bits); ++i) {
            const RGBQUAD q = in.pmi->bmiColors[i];
            table[static_cast<size_t>(i)] = {q.rgbRed, q.rgbGreen, q.rgbBlue};
        }
    }
    OPJ_INT32* c0 = image->comps[0].data;
    OPJ_INT32* c1 = grey ? nullptr : image->comps[1].data;
    OPJ_INT32* c2 = grey ? nullptr : image->comps[2].data;
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* row = DibRowTop(in, static_cast<int32_t>(y));
        const size_t base = size_t{y} * w;
        for (uint32_t x = 0; x < w; ++x) {
            uint32_t r = 0;
            uint32_t g = 0;
            uint32_t b = 0;
            switch (bits) {
            case 24:
                b = row[x * 3];
                g = row[x * 3 + 1];
                r = row[x * 3 + 2];
                break;
            case 32:
                b = row[x * 4];
                g = row[x * 4 + 1];
                r = row[x * 4 + 2];
                break;
            case 16: {
                const uint32_t v = row[x * 2] | uint32_t{row[x * 2 + 1]} << 8;
                r = ((v >> 10) & 31) * 255 / 31;
                g = ((v >> 5) & 31) * 255 / 31;
                b = (v & 31) * 255 / 31;
                break;
            }
            default: {
                uint32_t index = 0;
                if (bits == 8) {
                    index = row[x];
                } else if (bits == 4) {
                    index = (row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 15;
                } else {
                    index = (row[x / 8] >> (7 - x % 8)) & 1;
                }
                r = table[index][0];
                g = table[index][1];
                b = table[index][2];
                break;
            }
            }
            if (grey) {
                c0[base + x] = static_cast<OPJ_INT32>(r);
            } else {
                c0[base + x] = static_cast<OPJ_INT32>(r);
                c1[base + x] = static_cast<OPJ_INT32>(g);
                c2[base + x] = static_cast<OPJ_INT32>(b);
            }
        }
    }

    codeImage(image.get(), grey, w, h, GetJPEG2000Qual(), workerThreads(), format,
              hdr.biXPelsPerMeter, hdr.biYPelsPerMeter, out);
}

} // namespace

bool sniffJp2(const uint8_t* data, size_t size) {
    return size >= kJp2Signature.size() &&
           std::memcmp(data, kJp2Signature.data(), kJp2Signature.size()) == 0;
}

bool sniffJ2k(const uint8_t* data, size_t size) {
    return size >= kCodeStreamStart.size() &&
           std::memcmp(data, kCodeStreamStart.data(), kCodeStreamStart.size()) == 0;
}

void readJpeg2000(const uint8_t* data, size_t size, DibHolder& out) {
    decodeInto(data, size, out);
}

void writeJp2(const dib& in, std::vector<uint8_t>& out) {
    encode(in, OPJ_CODEC_JP2, out);
}

void writeJ2k(const dib& in, std::vector<uint8_t>& out) {
    encode(in, OPJ_CODEC_J2K, out);
}

} // namespace qly::img

namespace qly::img {

void writeJp2Rows(const DibRowFeed& rows, int32_t quality, int32_t threads,
                  std::vector<uint8_t>& out) {
    const auto w = static_cast<uint32_t>(rows.width);
    const auto h = static_cast<uint32_t>(rows.height);
    OpjImage image = createImage(3, w, h, false);
    OPJ_INT32* c0 = image->comps[0].data;
    OPJ_INT32* c1 = image->comps[1].data;
    OPJ_INT32* c2 = image->comps[2].data;
    std::vector<uint8_t> scratch(size_t(w) * size_t(rows.bytesPerPixel));
    const size_t step = static_cast<size_t>(rows.bytesPerPixel);
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* p = rows.row(rows.ctx, static_cast<int32_t>(y), scratch.data());
        const size_t base = size_t{y} * w;
        for (uint32_t x = 0; x < w; ++x, p += step) {
            c0[base + x] = p[2];
            c1[base + x] = p[1];
            c2[base + x] = p[0];
        }
    }
    codeImage(image.get(), false, w, h, quality, threads > 0 ? threads : workerThreads(),
              OPJ_CODEC_JP2, rows.xPelsPerMeter, rows.yPelsPerMeter, out);
}

} // namespace qly::img
