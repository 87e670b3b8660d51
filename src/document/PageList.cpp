#include "document/PageList.h"

#include "document/Dib.h"
#include "document/DynaArray.h"
#include "platform/Heap.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace {

dib& pageRecord(TDynaArray& bilder, int64_t n) {
    return *reinterpret_cast<dib*>(bilder.poi + static_cast<size_t>(n - 1) * bilder.size);
}

} // namespace

bool deletePage(TDynaArray& bilder, int64_t n) {
    if (n < 1 || n > int64_t{bilder.count}) {
        return false;
    }
    freedib(pageRecord(bilder, n));
    bilder.Delete(static_cast<int32_t>(n - 1));
    return true;
}

bool movePageForward(TDynaArray& bilder, int32_t& adib) {
    if (adib < 2 || int64_t{adib} > int64_t{bilder.count}) {
        return false;
    }
    bilder.Change(adib - 1, adib - 2);
    --adib;
    return true;
}

bool movePageBack(TDynaArray& bilder, int32_t& adib) {
    if (adib < 1 || int64_t{adib} >= int64_t{bilder.count}) {
        return false;
    }
    bilder.Change(adib - 1, adib);
    ++adib;
    return true;
}

int32_t interleavePreset(uint32_t count) {
    // In 64 bits, so that the largest counts do not wrap; the result is capped at the int32 range.
    const int64_t preset = (int64_t{count} + 1) / 2 + 1;
    return static_cast<int32_t>(std::min<int64_t>(preset, std::numeric_limits<int32_t>::max()));
}

std::vector<uint32_t> interleaveOrder(uint32_t n, int64_t b) {
    std::vector<uint32_t> order;
    order.reserve(n);
    // Front sides i are paired with back sides n-1-i while i < b. Taking exactly n entries stops
    // the pairing where front and back meet, so a b beyond n/2 never reaches past the middle;
    // after the pairs the remaining records follow from the back.
    uint32_t i = 0;
    bool backNext = false;
    while (order.size() < n) {
        if (int64_t{i} < b && !backNext) {
            order.push_back(i);
            backNext = true;
        } else {
            order.push_back(n - 1 - i);
            backNext = false;
            ++i;
        }
    }
    return order;
}

bool interleavePages(TDynaArray& bilder, int64_t firstBackSide) {
    const uint32_t n = bilder.count;
    const size_t size = bilder.size;
    const int64_t frontSides =
        firstBackSide > std::numeric_limits<int64_t>::min() ? firstBackSide - 1 : firstBackSide;
    uint8_t* reordered = nullptr;
    if (n > 0) {
        reordered = static_cast<uint8_t*>(qly::heapAlloc(n * size));
        if (reordered == nullptr) {
            return false;
        }
        try {
            const std::vector<uint32_t> order = interleaveOrder(n, frontSides);
            for (uint32_t k = 0; k < n; ++k) {
                std::memcpy(reordered + k * size, bilder.poi + order[k] * size, size);
            }
        } catch (const std::bad_alloc&) {
            qly::heapFree(reordered);
            return false;
        }
        std::memcpy(bilder.poi, reordered, n * size);
        qly::heapFree(reordered);
    }
    bilder.aobj = nullptr;
    bilder.aobjnr = -1;
    if (bilder.outeraobj != nullptr) {
        *bilder.outeraobj = nullptr;
    }
    return true;
}

void replacePages(TDynaArray& bilder, TDynaArray& fresh) {
    releaseAllPages(bilder);
    // The block changes hands with its bookkeeping; each array keeps its own current-record
    // variable.
    std::swap(bilder.poi, fresh.poi);
    std::swap(bilder.count, fresh.count);
    std::swap(bilder.amemsize, fresh.amemsize);
    std::swap(bilder.buffersize, fresh.buffersize); // the block's size follows its step
    bilder.aobj = nullptr;
    bilder.aobjnr = -1;
    fresh.aobj = nullptr;
    fresh.aobjnr = -1;
    for (TDynaArray* a : {&bilder, &fresh}) {
        if (a->outeraobj != nullptr) {
            *a->outeraobj = nullptr;
        }
    }
}
