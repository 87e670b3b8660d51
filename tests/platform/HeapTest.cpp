#include "platform/Heap.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace {

void* failingAlloc(size_t) {
    errno = ENOMEM;
    return nullptr;
}
void plainFree(void* p) {
    std::free(p);
}

TEST(Heap, BlocksAreZeroFilledAndZeroSizeFails) {
    auto* p = static_cast<uint8_t*>(qly::heapAlloc(4096));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 4096; ++i) {
        ASSERT_EQ(p[i], 0);
    }
    qly::heapFree(p);
    EXPECT_EQ(qly::heapAlloc(0), nullptr);
    qly::heapFree(nullptr); // harmless
}

TEST(Heap, ReplaceableAllocatorReportsItsError) {
    const qly::HeapAllocator failing{failingAlloc, plainFree};
    qly::setHeapAllocator(&failing);
    EXPECT_EQ(qly::heapAlloc(16), nullptr);
    EXPECT_EQ(qly::heapLastError(), ENOMEM);
    qly::setHeapAllocator(nullptr);
    void* p = qly::heapAlloc(16);
    EXPECT_NE(p, nullptr);
    qly::heapFree(p);
}

} // namespace
