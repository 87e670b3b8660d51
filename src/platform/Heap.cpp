#include "platform/Heap.h"

#include <sys/mman.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace qly {
namespace {

// A page picture is tens of megabytes that are written once, right after they are allocated.
// Backed by 2 MB pages instead of 4 KB ones, filling it costs a few dozen page faults instead of
// thousands, which on a scanned A4 page is a good part of the whole time spent reading it.
constexpr size_t kHugePage = size_t{2} << 20;

void* callocAlloc(size_t size) {
    void* block = std::calloc(1, size);
    if (block != nullptr && size >= 4 * kHugePage) {
        const auto start = reinterpret_cast<uintptr_t>(block);
        const uintptr_t first = (start + kHugePage - 1) & ~uintptr_t{kHugePage - 1};
        const uintptr_t end = (start + size) & ~uintptr_t{kHugePage - 1};
        if (end > first) {
            // Only advice: where the system has no such pages, nothing changes.
            ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
        }
    }
    return block;
}
void callocFree(void* block) {
    std::free(block);
}

HeapAllocator gDefault{callocAlloc, callocFree};
const HeapAllocator* gAllocator = &gDefault;
// Per thread, so pictures can be read on several threads at once.
thread_local int gLastError = 0;

} // namespace

void* heapAlloc(size_t size) {
    if (size == 0) {
        gLastError = EINVAL;
        return nullptr;
    }
    errno = 0;
    void* block = gAllocator->alloc(size);
    if (block == nullptr) {
        gLastError = errno != 0 ? errno : ENOMEM;
    }
    return block;
}

void heapFree(void* block) {
    if (block != nullptr) {
        gAllocator->free(block);
    }
}

int heapLastError() {
    return gLastError;
}

void setHeapAllocator(const HeapAllocator* allocator) {
    gAllocator = allocator != nullptr ? allocator : &gDefault;
}

} // namespace qly
