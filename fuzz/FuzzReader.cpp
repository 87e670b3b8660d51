// libFuzzer target for one picture reader, chosen at build time by QLY_FUZZ_FORMAT (a format
// code; 0 lets the library detect the format). Any input must give either a picture or a null
// pixel pointer with a reason, with no crash, leak or out-of-bounds access.
#include "platform/GrafikRW3.h"
#include "platform/JpegFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Keep single allocations well under libFuzzer's malloc limit.
    static const uint64_t previous = SetDibPixelLimit(uint64_t{1} << 22);
    (void)previous;
    dib d{};
    OpenDibFromMemory(d, data, size, QLY_FUZZ_FORMAT);
    if (d.poi != nullptr) {
        // Touch the first and last pixel rows so the sanitizers see any wrong stride.
        const int32_t h = d.pmi->bmiHeader.biHeight;
        volatile uint8_t sink = d.poi[0] ^ d.poi[static_cast<size_t>(h - 1) * d.bytew];
        (void)sink;
        deldib(d);
    } else if (DibErrorText(d).empty()) {
        std::abort(); // a failure must always come with a reason
    }
    if (QLY_FUZZ_FORMAT == DIB_AUTO || QLY_FUZZ_FORMAT == DIB_JPG) {
        // The marker reader that decides whether a JPEG file is kept, and the reader that keeps
        // it with its pixels left for later.
        qly::JpegFacts facts;
        (void)qly::readJpegFacts(data, size, facts);
        std::vector<uint8_t> kept;
        dib k{};
        qly::OpenDibKeepingJpegFromMemory(k, data, size, kept, facts,
                                          [](const qly::JpegFacts&) { return true; });
        if (k.poi != nullptr) {
            // A kept file whose pixels were left for later decodes into its own bitmap (a
            // four-component file is decoded at once and kept only for what its markers say).
            if (!kept.empty() && facts.components != 4 &&
                !qly::decodeJpegPixels(k, kept.data(), kept.size())) {
                std::abort();
            }
            deldib(k);
        }
    }
    return 0;
}
