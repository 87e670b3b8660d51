// WebP reading through libwebp: lossy and lossless still pictures, and the first frame of an
// animation (through libwebpdemux). Pictures become 24-bit; alpha is composed onto white paper.
#include "platform/image/Codec.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace qly::img {
namespace {

struct AnimDecoderFree {
    void operator()(WebPAnimDecoder* d) const { WebPAnimDecoderDelete(d); }
};

struct DecBufferFree {
    void operator()(WebPDecBuffer* b) const { WebPFreeDecBuffer(b); }
};

// Composes premultiplied blue, green, red, alpha samples onto white into a 24-bit row.
void composeRow(const uint8_t* bgra, uint32_t width, uint8_t* row) {
    for (uint32_t x = 0; x < width; ++x, bgra += 4, row += 3) {
        const int white = 255 - bgra[3];
        row[0] = static_cast<uint8_t>(std::min(255, bgra[0] + white));
        row[1] = static_cast<uint8_t>(std::min(255, bgra[1] + white));
        row[2] = static_cast<uint8_t>(std::min(255, bgra[2] + white));
    }
}

void readAnimationFirstFrame(const uint8_t* data, size_t size, uint32_t width, uint32_t height,
                             DibHolder& out) {
    // The decoder holds the whole canvas as 4 bytes per pixel.
    checkDimensions(width, height, 32);
    WebPAnimDecoderOptions options;
    if (WebPAnimDecoderOptionsInit(&options) == 0) {
        fail(kErrUnsupported);
    }
    options.color_mode = MODE_bgrA;
    options.use_threads = 0;
    const WebPData webp{data, size};
    std::unique_ptr<WebPAnimDecoder, AnimDecoderFree> dec(WebPAnimDecoderNew(&webp, &options));
    if (!dec) {
        fail(kErrDamaged);
    }
    WebPAnimInfo info;
    if (WebPAnimDecoderGetInfo(dec.get(), &info) == 0 || info.canvas_width != width ||
        info.canvas_height != height) {
        fail(kErrDamaged);
    }
    uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (WebPAnimDecoderGetNext(dec.get(), &canvas, &timestamp) == 0 || canvas == nullptr) {
        fail(kErrDamaged);
    }
    out.create(static_cast<int32_t>(width), static_cast<int32_t>(height), 24);
    for (uint32_t y = 0; y < height; ++y) {
        composeRow(canvas + size_t{y} * width * 4, width, out.rowTop(static_cast<int32_t>(y)));
    }
}

} // namespace

bool sniffWebp(const uint8_t* data, size_t size) {
    return size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WEBP", 4) == 0;
}

void readWebp(const uint8_t* data, size_t size, DibHolder& out) {
    if (!sniffWebp(data, size)) {
        fail(kErrUnknownFormat);
    }
    WebPDecoderConfig config;
    if (WebPInitDecoderConfig(&config) == 0) {
        fail(kErrUnsupported);
    }
    const VP8StatusCode status = WebPGetFeatures(data, size, &config.input);
    if (status == VP8_STATUS_UNSUPPORTED_FEATURE) {
        fail(kErrUnsupported);
    }
    if (status != VP8_STATUS_OK) {
        fail(kErrDamaged);
    }
    const auto width = static_cast<uint32_t>(config.input.width);
    const auto height = static_cast<uint32_t>(config.input.height);
    checkDimensions(config.input.width, config.input.height, 24);
    if (config.input.has_animation != 0) {
        readAnimationFirstFrame(data, size, width, height, out);
        return;
    }
    if (config.input.has_alpha == 0) {
        // Straight into the bitmap: blue, green, red rows, flipped to the bottom-up order.
        out.create(config.input.width, config.input.height, 24);
        dib& d = out.get();
        config.output.colorspace = MODE_BGR;
        config.output.is_external_memory = 1;
        config.output.u.RGBA.rgba = d.poi;
        config.output.u.RGBA.stride = d.bytew;
        config.output.u.RGBA.size = static_cast<size_t>(d.bytew) * height;
        config.options.flip = 1;
        std::unique_ptr<WebPDecBuffer, DecBufferFree> guard(&config.output);
        if (WebPDecode(data, size, &config) != VP8_STATUS_OK) {
            fail(kErrDamaged);
        }
        return;
    }
    // With alpha: premultiplied samples in a buffer of libwebp's, then onto white.
    checkDimensions(config.input.width, config.input.height, 32);
    config.output.colorspace = MODE_bgrA;
    std::unique_ptr<WebPDecBuffer, DecBufferFree> guard(&config.output);
    if (WebPDecode(data, size, &config) != VP8_STATUS_OK) {
        fail(kErrDamaged);
    }
    const WebPRGBABuffer& buf = config.output.u.RGBA;
    if (buf.rgba == nullptr || buf.stride < static_cast<int>(width * 4)) {
        fail(kErrDamaged);
    }
    out.create(config.input.width, config.input.height, 24);
    for (uint32_t y = 0; y < height; ++y) {
        composeRow(buf.rgba + size_t{y} * static_cast<size_t>(buf.stride), width,
                   out.rowTop(static_cast<int32_t>(y)));
    }
}

} // namespace qly::img
