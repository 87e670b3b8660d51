// libFuzzer target for the document reader. Any input must give either a whole document whose
// pages account for every byte of it, or NotADocument with no page left behind, with no crash,
// leak or out-of-bounds access.
#include "document/Dib.h"
#include "document/DocumentFile.h"
#include "document/DynaArray.h"
#include "platform/GrafikRW3.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Keep single allocations well under libFuzzer's malloc limit.
    static const uint64_t previous = SetDibPixelLimit(uint64_t{1} << 22);
    (void)previous;
    TDynaArray pages(sizeof(dib), nullptr);
    DocumentLayout layout;
    const DocumentStatus status = readDocumentFromMemory(data, size, pages, layout);
    if (status != DocumentStatus::Ok) {
        if (status != DocumentStatus::NotADocument || pages.count != 0 || pages.poi != nullptr) {
            std::abort();
        }
        return 0;
    }
    uint64_t expected = 8 + 36;
    for (uint32_t i = 0; i < pages.count; ++i) {
        dib d{};
        std::memcpy(&d, pages.poi + size_t{i} * sizeof(dib), sizeof(dib));
        const int32_t bits = dibbits(d);
        const uint64_t rows = uint64_t(d.bytew) * uint64_t(dibheight(d));
        expected += 8 + 40 + (bits <= 8 ? 4u << bits : 0) + rows;
        // Touch the first and last byte of the rows so the sanitizers see any wrong size.
        volatile uint8_t sink = d.poi[0] ^ d.poi[rows - 1];
        (void)sink;
        freedib(d);
    }
    if (expected != size) {
        std::abort();
    }
    pages.Clear();
    return 0;
}
