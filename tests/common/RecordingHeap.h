#pragma once
// Heaps for tests: one that records every block it releases, one that has no memory (and
// records releases too). Installed heaps must outlive every block they release, so they are
// static objects here.

#include "platform/Heap.h"

#include <cstdlib>
#include <vector>

namespace qlytest {

inline std::vector<void*> gFreed;

inline void* plainAlloc(size_t n) {
    return std::calloc(1, n);
}
inline void recordingFree(void* p) {
    gFreed.push_back(p);
    std::free(p);
}
inline void* noMemory(size_t) {
    return nullptr;
}

inline const qly::HeapAllocator kRecording{plainAlloc, recordingFree};
inline const qly::HeapAllocator kNoMemory{noMemory, recordingFree};

} // namespace qlytest
