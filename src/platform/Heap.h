#pragma once
// The program's heap for bitmap and record-array memory: zero-filled blocks, released one by one.
// Allocation goes through a replaceable allocator so that tests can make it fail on purpose.

#include <cstddef>

namespace qly {

// Returns a zero-filled block of `size` bytes, or null when no memory is available (size 0 gives
// null as well). Release it with heapFree.
void* heapAlloc(size_t size);
// Releases a block from heapAlloc; null is ignored.
void heapFree(void* block);
// The error code of the last failed heapAlloc (errno at that moment; 0 when none failed).
int heapLastError();

// Replaces the allocator (null restores calloc). The free function must match the allocator.
struct HeapAllocator {
    void* (*alloc)(size_t size);
    void (*free)(void* block);
};
void setHeapAllocator(const HeapAllocator* allocator);

} // namespace qly
