#include "platform/Heap.h"

#include <cerrno>
#include <cstdlib>

namespace qly {
namespace {

void* callocAlloc(size_t size) { return std::calloc(1, size); }
void callocFree(void* block) { std::free(block); }

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

int heapLastError() { return gLastError; }

void setHeapAllocator(const HeapAllocator* allocator) {
    gAllocator = allocator != nullptr ? allocator : &gDefault;
}

} // namespace qly
