#include "document/DynaArray.h"

#include "platform/Heap.h"
#include "platform/Messages.h"
#include "platform/TempFolder.h"

#include <cstring>
#include <vector>

namespace {

void reportAllocation(int which, uint32_t bytes, bool withErrorCode) {
    std::string text = "Error " + std::to_string(which) + " while trying to allocate " +
                       std::to_string(bytes) + " bytes of RAM. Not enough memory.";
    if (withErrorCode) {
        text += std::to_string(qly::heapLastError());
    }
    qly::messageSink().showMessage("", text, qly::MessageIcon::Error);
}

} // namespace

TDynaArray::TDynaArray(uint32_t thesize, void** typpoi)
    : outeraobj(typpoi), aobj(nullptr), poi(nullptr), count(0), aobjnr(-1), amemsize(0),
      buffersize(100), size(thesize) {
    if (outeraobj != nullptr) {
        *outeraobj = nullptr;
    }
}

TDynaArray::~TDynaArray() {
    qly::heapFree(poi);
    poi = nullptr;
    clearCurrent();
}

void TDynaArray::setCurrent(int32_t nr) {
    aobjnr = nr;
    aobj = poi + static_cast<size_t>(static_cast<uint32_t>(nr)) * size;
    if (outeraobj != nullptr) {
        *outeraobj = aobj;
    }
}

void TDynaArray::clearCurrent() {
    aobjnr = -1;
    aobj = nullptr;
    if (outeraobj != nullptr) {
        *outeraobj = nullptr;
    }
}

uint32_t TDynaArray::capacityBytes() const {
    // Unsigned 32-bit arithmetic, as the block size is kept in 32 bits.
    return ((count - 1) / buffersize + 1) * size * buffersize;
}

void* TDynaArray::GetObject(uint32_t Index) {
    setCurrent(static_cast<int32_t>(Index));
    return aobj;
}

bool TDynaArray::AllocMoreMem() {
    allocFailed_ = false;
    const uint32_t capacity = capacityBytes();
    if (capacity == amemsize) {
        return false;
    }
    if (count == 1 || poi == nullptr) {
        auto* block = static_cast<uint8_t*>(qly::heapAlloc(capacity));
        if (block == nullptr) {
            reportAllocation(1, capacity, false);
            allocFailed_ = true;
            return false;
        }
        qly::heapFree(poi);
        poi = block;
    } else {
        auto* block = static_cast<uint8_t*>(qly::heapAlloc(capacity));
        if (block == nullptr) {
            reportAllocation(2, capacity, true);
            allocFailed_ = true;
            return false;
        }
        // Only the records there were before the count grew: after shrinks that failed the old
        // block can be larger than the new one, and its slots past them hold stale copies.
        std::memcpy(block, poi, static_cast<size_t>(count - 1) * size);
        qly::heapFree(poi);
        poi = block;
    }
    amemsize = capacity;
    return true;
}

void TDynaArray::AllocLessMem() {
    if (count == 0) {
        qly::heapFree(poi);
        poi = nullptr;
        amemsize = 0;
        return;
    }
    const uint32_t capacity = capacityBytes();
    if (capacity == amemsize) {
        return;
    }
    auto* block = static_cast<uint8_t*>(qly::heapAlloc(capacity));
    if (block == nullptr) {
        // The larger block stays in use; every record is still in it.
        reportAllocation(3, capacity, false);
        return;
    }
    std::memcpy(block, poi, capacity);
    qly::heapFree(poi);
    poi = block;
    amemsize = capacity;
}

void* TDynaArray::Add() {
    ++count;
    const bool installed = AllocMoreMem();
    if (allocFailed_) {
        --count;
        return nullptr;
    }
    uint8_t* record = poi + static_cast<size_t>(count - 1) * size;
    if (!installed) {
        std::memset(record, 0, size); // a slot freed by Delete still holds old bytes
    }
    setCurrent(static_cast<int32_t>(count - 1));
    return aobj;
}

void* TDynaArray::Insert(int32_t nr) {
    if (nr < 0 || static_cast<uint32_t>(nr) > count) {
        return nullptr;
    }
    ++count;
    AllocMoreMem();
    if (allocFailed_) {
        --count;
        return nullptr;
    }
    uint8_t* record = poi + static_cast<size_t>(nr) * size;
    std::memmove(record + size, record,
                 static_cast<size_t>(count - static_cast<uint32_t>(nr) - 1) * size);
    std::memset(record, 0, size);
    setCurrent(nr);
    return aobj;
}

void TDynaArray::Delete(int32_t nr) {
    if (nr < 0 || static_cast<uint32_t>(nr) >= count) {
        return;
    }
    for (uint32_t i = static_cast<uint32_t>(nr); i + 1 < count; ++i) {
        std::memcpy(poi + static_cast<size_t>(i) * size, poi + static_cast<size_t>(i + 1) * size,
                    size);
    }
    --count;
    AllocLessMem();
    clearCurrent();
}

void TDynaArray::Change(int32_t nr1, int32_t nr2) {
    if (nr1 < 0 || nr2 < 0 || static_cast<uint32_t>(nr1) >= count ||
        static_cast<uint32_t>(nr2) >= count) {
        return;
    }
    std::vector<uint8_t> temp(size);
    uint8_t* a = poi + static_cast<size_t>(nr1) * size;
    uint8_t* b = poi + static_cast<size_t>(nr2) * size;
    std::memcpy(temp.data(), a, size);
    std::memcpy(a, b, size);
    std::memcpy(b, temp.data(), size);
    setCurrent(nr2);
}

void TDynaArray::Clear() {
    count = 0;
    qly::heapFree(poi);
    poi = nullptr;
    amemsize = 0;
    clearCurrent();
}

void TDynaArray::First() {
    if (count > 0) {
        setCurrent(0);
    }
}

bool TDynaArray::Next() {
    if (count > 0 && aobjnr >= -1 && aobjnr < static_cast<int32_t>(count) - 1) {
        setCurrent(aobjnr + 1);
        return true;
    }
    return false;
}

bool TDynaArray::WhileNext() {
    if (count > 0 && aobjnr >= 0 && aobjnr <= static_cast<int32_t>(count) - 1) {
        setCurrent(aobjnr);
        ++aobjnr;
        return true;
    }
    return false;
}

std::string GetUniqueTempFileName(const std::string& prefix, const std::string& suffix) {
    return qly::uniqueTempName(prefix, suffix);
}

std::string CreateUniqueTempFile(const std::string& prefix, const std::string& suffix) {
    return qly::createTempFile(prefix, suffix);
}

void infobox(const std::string& text) {
    qly::messageSink().showMessage("", text, qly::MessageIcon::Information);
}
