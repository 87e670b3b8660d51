#include "document/Dib.h"
#include "platform/GrafikRW3.h"
#include "platform/Heap.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace {

std::multiset<void*> gFreed;
void* countingAlloc(size_t n) {
    return std::calloc(1, n);
}
void countingFree(void* p) {
    gFreed.insert(p);
    std::free(p);
}

class DibRelease : public ::testing::Test {
  protected:
    void SetUp() override {
        gFreed.clear();
        qly::setHeapAllocator(&counting_);
    }
    void TearDown() override { qly::setHeapAllocator(nullptr); }
    qly::HeapAllocator counting_{countingAlloc, countingFree};
};

TEST(DibAccessors, RecordWithoutHeaderGivesZero) {
    dib d{};
    EXPECT_EQ(dibwidth(d), 0);
    EXPECT_EQ(dibheight(d), 0);
    EXPECT_EQ(dibbits(d), 0);
    newdib(d, 7, 5, 4, nullptr, 0);
    EXPECT_EQ(dibwidth(d), 7);
    EXPECT_EQ(dibheight(d), 5);
    EXPECT_EQ(dibbits(d), 4);
    EXPECT_EQ(dibcolors(d), 16);
    freedib(d);
    newdib(d, 1, 1, 24, nullptr, 0);
    EXPECT_EQ(dibcolors(d), 16777216);
    freedib(d);
}

TEST_F(DibRelease, SharedBlockIsReleasedOnceAndTheRecordZeroed) {
    dib d{};
    newdib(d, 10, 10, 8, nullptr, 0);
    ASSERT_EQ(d.poih, d.pmih);
    void* block = reinterpret_cast<void*>(d.pmih);
    freedib(d);
    EXPECT_EQ(gFreed.count(block), 1u);
    EXPECT_EQ(gFreed.size(), 1u);
    EXPECT_EQ(d.poi, nullptr);
    EXPECT_EQ(d.pmi, nullptr);
    EXPECT_EQ(d.poih, 0u);
    EXPECT_EQ(d.pmih, 0u);
    freedib(d); // second release sees the zeroed record
    EXPECT_EQ(gFreed.size(), 1u);
}

TEST_F(DibRelease, SeparateBlocksAreEachReleasedOnce) {
    // A record whose header and pixels live in two blocks (as a scanner delivers them).
    dib d{};
    auto* header = static_cast<BITMAPINFO*>(qly::heapAlloc(sizeof(BITMAPINFOHEADER) + 8));
    auto* pixels = static_cast<uint8_t*>(qly::heapAlloc(16));
    header->bmiHeader.biSize = 40;
    header->bmiHeader.biWidth = 2;
    header->bmiHeader.biHeight = 2;
    header->bmiHeader.biBitCount = 1;
    d.pmi = header;
    d.pmih = reinterpret_cast<HGLOBAL_>(header);
    d.poi = pixels;
    d.poih = reinterpret_cast<HGLOBAL_>(pixels);
    dib copy = d; // copying a record copies handles, not pixels
    freedib(d);
    EXPECT_EQ(gFreed.count(header), 1u);
    EXPECT_EQ(gFreed.count(pixels), 1u);
    EXPECT_EQ(gFreed.size(), 2u);
    EXPECT_EQ(copy.poi, pixels);
    dib empty{};
    freedib(empty);
    EXPECT_EQ(gFreed.size(), 2u);
}

TEST_F(DibRelease, DeldibAndFreedibBothReleaseLibraryBitmaps) {
    dib a{};
    OpenDibFromMemory(a, nullptr, 0, 0);
    EXPECT_EQ(a.poi, nullptr);
    newdib(a, 3, 3, 24, nullptr, 0);
    void* block = reinterpret_cast<void*>(a.pmih);
    deldib(a);
    EXPECT_EQ(gFreed.count(block), 1u);
}

} // namespace
