// libFuzzer target for the JBIG2 encoder: every picture must code into a page stream that the
// independent test decoder turns back into exactly the same pixels.
//
// Input: a picture file that the image library reads as a 1-bit picture (coded through the page
// record as jbig2encode does it), or else raw bits: byte 0 the width - 1, byte 1 the height - 1,
// byte 2 option bits (black as 0, no typical prediction, extra bytes per row), then the rows;
// missing bytes are white.
#include "common/Jbig2Decoder.h"
#include "platform/GrafikRW3.h"
#include "platform/jbig2/DibImage.h"
#include "platform/jbig2/Segments.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// Decodes `stream` and checks it against pixel(x, y) (1 = black).
template <typename Pixel>
void expectRoundTrip(const std::vector<uint8_t>& stream, uint32_t width, uint32_t height,
                     Pixel pixel) {
    qlytest::DecodedPage page;
    std::string error;
    if (!qlytest::decodePageStream(stream, page, error) || page.width != width ||
        page.height != height) {
        std::abort();
    }
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            if (page.pixel(x, y) != pixel(x, y)) {
                std::abort();
            }
        }
    }
}

void codeDib(const dib& d) {
    const uint32_t width = static_cast<uint32_t>(d.pmi->bmiHeader.biWidth);
    const uint32_t height = static_cast<uint32_t>(d.pmi->bmiHeader.biHeight);
    if (uint64_t{width} * height > 65536) {
        return; // the test decoder works pixel by pixel
    }
    qly::jbig2::BilevelImage image;
    std::vector<uint8_t> flat;
    if (!qly::jbig2::bilevelImageOfDib(d, image, flat)) {
        std::abort();
    }
    const auto polarity = qly::jbig2::dibPolarity(d.pmi->bmiColors[0], d.pmi->bmiColors[1]);
    expectRoundTrip(qly::jbig2::encodePageStream(image), width, height,
                    [&](uint32_t x, uint32_t y) -> int {
                        switch (polarity) {
                        case qly::jbig2::DibPolarity::AllWhite:
                            return 0;
                        case qly::jbig2::DibPolarity::AllBlack:
                            return 1;
                        case qly::jbig2::DibPolarity::ZeroIsBlack:
                            return getpixel(d, int32_t(x), int32_t(y)) == 0 ? 1 : 0;
                        case qly::jbig2::DibPolarity::OneIsBlack:
                            break;
                        }
                        return static_cast<int>(getpixel(d, int32_t(x), int32_t(y)));
                    });
}

void codeRaw(const uint8_t* data, size_t size) {
    if (size < 3) {
        return;
    }
    const uint32_t width = data[0] + 1u;
    const uint32_t height = data[1] + 1u;
    const uint8_t options = data[2];
    const size_t stride = (width + 7) / 8 + (options >> 4);
    std::vector<uint8_t> bits(stride * height, 0);
    for (size_t i = 0; i < bits.size() && 3 + i < size; ++i) {
        bits[i] = data[3 + i];
    }
    qly::jbig2::BilevelImage image;
    image.top = bits.data();
    image.stride = static_cast<ptrdiff_t>(stride);
    image.width = width;
    image.height = height;
    image.zeroIsBlack = (options & 1) != 0;
    qly::jbig2::GenericRegionOptions o;
    o.typicalPrediction = (options & 2) == 0;
    expectRoundTrip(qly::jbig2::encodePageStream(image, 0, 0, o), width, height,
                    [&](uint32_t x, uint32_t y) {
                        const int v = (bits[y * stride + x / 8] >> (7 - x % 8)) & 1;
                        return image.zeroIsBlack ? 1 - v : v;
                    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const uint64_t previous = SetDibPixelLimit(uint64_t{1} << 22);
    (void)previous;
    dib d{};
    OpenDibFromMemory(d, data, size, DIB_AUTO);
    if (d.poi != nullptr) {
        if (d.pmi->bmiHeader.biBitCount == 1) {
            codeDib(d);
        }
        deldib(d);
        return 0;
    }
    codeRaw(data, size);
    return 0;
}
