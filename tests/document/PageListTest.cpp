#include "document/PageList.h"
#include "common/RecordingHeap.h"
#include "common/TestDib.h"
#include "document/Dib.h"
#include "document/DynaArray.h"
#include "platform/Heap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <numeric>
#include <vector>

namespace {

TEST(InterleaveOrder, Examples) {
    const struct {
        uint32_t n;
        int64_t b;
        std::vector<uint32_t> expected;
    } cases[] = {
        {6, 3, {0, 5, 1, 4, 2, 3}},
        {6, 1, {0, 5, 4, 3, 2, 1}},
        {6, 0, {5, 4, 3, 2, 1, 0}},
        {5, 3, {0, 4, 1, 3, 2}},
        {5, 9, {0, 4, 1, 3, 2}},
        {4, 3, {0, 3, 1, 2}},
        {3, -2, {2, 1, 0}},
        {1, 1, {0}},
        {0, 0, {}},
        {0, 4, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(interleaveOrder(c.n, c.b), c.expected) << c.n << " " << c.b;
    }
}

TEST(InterleaveOrder, IsAPermutationForEveryNumberOfFrontSides) {
    const int64_t huge = std::numeric_limits<int64_t>::max();
    for (uint32_t n = 0; n <= 12; ++n) {
        std::vector<int64_t> bs{huge, int64_t{n} * 1000};
        for (int64_t b = 0; b <= n + 3; ++b) {
            bs.push_back(b);
        }
        for (int64_t b : bs) {
            std::vector<uint32_t> order = interleaveOrder(n, b);
            std::sort(order.begin(), order.end());
            std::vector<uint32_t> all(n);
            std::iota(all.begin(), all.end(), 0u);
            EXPECT_EQ(order, all) << n << " " << b;
        }
    }
}

TEST(InterleavePreset, HalfTheCountRoundedUpPlusOne) {
    const std::pair<uint32_t, int32_t> cases[] = {
        {0, 1}, {1, 2}, {2, 2}, {5, 4}, {6, 4}, {0xffffffffu, std::numeric_limits<int32_t>::max()}};
    for (const auto& [count, preset] : cases) {
        EXPECT_EQ(interleavePreset(count), preset) << count;
    }
}

using qlytest::gFreed;
using qlytest::kNoMemory;
using qlytest::kRecording;

// Pages without pictures, told apart by an id in their scx field.
class PageList : public ::testing::Test {
  protected:
    void TearDown() override { qly::setHeapAllocator(nullptr); }
    void addPages(int count) {
        for (int i = 1; i <= count; ++i) {
            static_cast<dib*>(pages_.Add())->scx = i;
        }
    }
    std::vector<int> ids() {
        std::vector<int> out;
        for (uint32_t i = 0; i < pages_.count; ++i) {
            out.push_back(reinterpret_cast<dib*>(pages_.poi)[i].scx);
        }
        return out;
    }
    int currentId() { return current_ != nullptr ? static_cast<dib*>(current_)->scx : 0; }

    void* current_ = nullptr;
    TDynaArray pages_{sizeof(dib), &current_};
};

TEST_F(PageList, MovesSwapWithTheNeighbourAndFollowThePage) {
    const struct {
        int count;
        bool forward;
        int32_t adib;
        bool moved;
        int32_t adibAfter;
        std::vector<int> ids;
    } cases[] = {
        {3, true, 1, false, 1, {1, 2, 3}},  {3, true, 2, true, 1, {2, 1, 3}},
        {3, true, 3, true, 2, {1, 3, 2}},   {3, true, 4, false, 4, {1, 2, 3}},
        {3, false, 0, false, 0, {1, 2, 3}}, {3, false, 1, true, 2, {2, 1, 3}},
        {3, false, 2, true, 3, {1, 3, 2}},  {3, false, 3, false, 3, {1, 2, 3}},
        {0, true, 1, false, 1, {}},         {0, false, 0, false, 0, {}},
    };
    for (const auto& c : cases) {
        pages_.Clear();
        addPages(c.count);
        int32_t adib = c.adib;
        const bool moved = c.forward ? movePageForward(pages_, adib) : movePageBack(pages_, adib);
        EXPECT_EQ(moved, c.moved) << c.forward << c.adib;
        EXPECT_EQ(adib, c.adibAfter) << c.forward << c.adib;
        EXPECT_EQ(ids(), c.ids) << c.forward << c.adib;
        if (c.moved) {
            EXPECT_EQ(currentId(), c.ids[c.adibAfter - 1]);
        }
    }
}

TEST_F(PageList, DeleteOutOfRangeChangesNothing) {
    addPages(3);
    for (int64_t n : {int64_t{0}, int64_t{-1}, int64_t{4}, (int64_t{1} << 32) + 2}) {
        EXPECT_FALSE(deletePage(pages_, n)) << n;
    }
    EXPECT_EQ(ids(), (std::vector<int>{1, 2, 3}));
}

TEST_F(PageList, DeleteReleasesThePictureAndRemovesTheRecord) {
    addPages(3);
    qlytest::OwnedDib pic;
    qlytest::makePattern(pic, 9, 4, 24);
    dib& second = reinterpret_cast<dib*>(pages_.poi)[1];
    second = *pic;
    second.scx = 2;
    *pic = dib{}; // the page owns the picture now
    void* block = reinterpret_cast<void*>(second.pmih);
    qly::setHeapAllocator(&kRecording);
    gFreed.clear();
    EXPECT_TRUE(deletePage(pages_, 2));
    EXPECT_EQ(std::count(gFreed.begin(), gFreed.end(), block), 1);
    EXPECT_EQ(ids(), (std::vector<int>{1, 3}));
    EXPECT_EQ(current_, nullptr);
}

TEST_F(PageList, InterleaveReordersTheRecordsAndLeavesNoCurrentRecord) {
    addPages(6);
    ASSERT_NE(current_, nullptr);
    EXPECT_TRUE(interleavePages(pages_, interleavePreset(6)));
    EXPECT_EQ(ids(), (std::vector<int>{1, 6, 2, 5, 3, 4}));
    EXPECT_EQ(current_, nullptr);
    EXPECT_EQ(pages_.aobjnr, -1);
    EXPECT_TRUE(interleavePages(pages_, 1)); // no front sides: the order is reversed
    EXPECT_EQ(ids(), (std::vector<int>{4, 3, 5, 2, 6, 1}));
}

TEST_F(PageList, InterleaveWithoutMemoryChangesNothing) {
    addPages(5);
    qly::setHeapAllocator(&kNoMemory);
    EXPECT_FALSE(interleavePages(pages_, 3));
    EXPECT_EQ(ids(), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(currentId(), 5);
}

} // namespace
