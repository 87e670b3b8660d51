#include "imaging/Rotate.h"
#include "common/RecordingHeap.h"
#include "common/RecordingSink.h"
#include "common/TestDib.h"
#include "document/Dib.h"
#include "document/DynaArray.h"
#include "imaging/RotatePixelwise.h"
#include "platform/Heap.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <numeric>
#include <random>
#include <tuple>
#include <vector>

namespace {

using qlytest::OwnedDib;
constexpr RotateDirection kLeft = RotateDirection::Left;
constexpr RotateDirection kRight = RotateDirection::Right;

// A picture whose rows are random bytes throughout, row padding included, so that a turn that
// copied padding or stray bits into the result would show.
void makeNoise(OwnedDib& out, int32_t w, int32_t h, int32_t bits, uint32_t seed) {
    out.reset();
    newdib(*out, w, h, bits, nullptr, 0);
    ASSERT_NE(out->poi, nullptr);
    std::mt19937 rng(seed);
    for (int64_t i = 0; i < int64_t{out->bytew} * h; ++i) {
        out->poi[i] = static_cast<uint8_t>(rng());
    }
    for (int i = 0; bits <= 8 && i < (1 << bits); ++i) {
        out->pmi->bmiColors[i] = RGBQUAD{static_cast<uint8_t>(rng()), 1, 2, 0};
    }
}

// Same size, depth and colour table, and the same bytes in every row including its padding.
void expectSameBitmap(const dib& a, const dib& b) {
    ASSERT_EQ(dibwidth(a), dibwidth(b));
    ASSERT_EQ(dibheight(a), dibheight(b));
    ASSERT_EQ(dibbits(a), dibbits(b));
    ASSERT_EQ(a.bytew, b.bytew);
    const int colours = dibbits(a) <= 8 ? 1 << dibbits(a) : 0;
    EXPECT_EQ(std::memcmp(a.pmi->bmiColors, b.pmi->bmiColors, colours * sizeof(RGBQUAD)), 0);
    EXPECT_EQ(qlytest::pixelDifferences(a, b), 0);
    EXPECT_EQ(std::memcmp(a.poi, b.poi, size_t(a.bytew) * size_t(dibheight(a))), 0);
}

OwnedDib turned(const dib& src, RotateDirection dir, bool pixelwise = false) {
    dib out{};
    EXPECT_TRUE(pixelwise ? rotateDibPixelwise(out, src, dir) : rotateDib(out, src, dir));
    return OwnedDib(out);
}

TEST(Rotate, BothTurnsOfASmallPictureLookAsExpected) {
    OwnedDib src; // 1 2 3 / 4 5 6, as displayed
    newdib(*src, 3, 2, 8, nullptr, 0);
    for (int i = 0; i < 6; ++i) {
        setpixel(*src, i % 3, i / 3, uint32_t(i + 1));
    }
    const struct {
        RotateDirection dir;
        std::vector<uint32_t> rows; // 2 wide, 3 high
    } cases[] = {{kLeft, {3, 6, 2, 5, 1, 4}}, {kRight, {4, 1, 5, 2, 6, 3}}};
    for (const auto& c : cases) {
        for (bool pixelwise : {false, true}) {
            OwnedDib out = turned(*src, c.dir, pixelwise);
            ASSERT_EQ(out.width(), 2);
            ASSERT_EQ(out.height(), 3);
            for (int i = 0; i < 6; ++i) {
                EXPECT_EQ(getpixel(*out, i % 2, i / 2), c.rows[i]) << i << pixelwise;
            }
        }
    }
}

class RotateMatchesPixelwise
    : public ::testing::TestWithParam<std::tuple<int, RotateDirection, std::pair<int, int>>> {};

TEST_P(RotateMatchesPixelwise, InEveryPixelAndPaddingByte) {
    const auto [bits, dir, size] = GetParam();
    OwnedDib src;
    makeNoise(src, size.first, size.second, bits, uint32_t(bits * 1000 + size.first));
    OwnedDib fast = turned(*src, dir);
    OwnedDib slow = turned(*src, dir, true);
    expectSameBitmap(*fast, *slow);
}

INSTANTIATE_TEST_SUITE_P(
    DepthsDirectionsSizes, RotateMatchesPixelwise,
    ::testing::Combine(::testing::Values(1, 4, 8, 16, 24, 32), ::testing::Values(kLeft, kRight),
                       ::testing::Values(std::pair{1, 1}, std::pair{1, 7}, std::pair{7, 1},
                                         std::pair{13, 5}, std::pair{67, 33}, std::pair{33, 67},
                                         std::pair{64, 64}, std::pair{130, 9}, std::pair{9, 200})));

TEST(Rotate, FourTurnsOrLeftThenRightGiveBackTheStart) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        OwnedDib src;
        qlytest::makePattern(src, 67, 33, bits, 7);
        OwnedDib back = turned(*turned(*src, kLeft), kRight);
        expectSameBitmap(*back, *src);
        OwnedDib r4 = turned(*turned(*turned(*turned(*src, kRight), kRight), kRight), kRight);
        expectSameBitmap(*r4, *src);
    }
}

TEST(Rotate, KeepsColourTablePaletteCopyAndResolutionWithTheAxesSwapped) {
    for (int bits : {1, 4, 8, 24}) {
        OwnedDib src;
        makeNoise(src, 10, 3, bits, 3);
        src->pmi->bmiHeader.biXPelsPerMeter = 11811;
        src->pmi->bmiHeader.biYPelsPerMeter = 3937;
        src->pal.rgb0[5] = PALETTEENTRY{9, 8, 7, 0}; // the copy is kept even where it differs
        OwnedDib out = turned(*src, kRight);
        EXPECT_EQ(out->pmi->bmiHeader.biXPelsPerMeter, 3937);
        EXPECT_EQ(out->pmi->bmiHeader.biYPelsPerMeter, 11811);
        EXPECT_EQ(out->pmi->bmiHeader.biClrUsed, bits <= 8 ? 1u << bits : 0u);
        EXPECT_EQ(std::memcmp(&out->pal, &src->pal, sizeof(LPAL)), 0) << bits;
    }
}

TEST(Rotate, ProgressCountsTheSourceRowsFromTheTop) {
    std::vector<int> all(101); // tall pictures go through several bands: every value once
    std::iota(all.begin(), all.end(), 0);
    const struct {
        int w, h, bits;
        RotateDirection dir;
        std::vector<int> expected;
    } cases[] = {{5, 1, 24, kLeft, {0}},
                 {5, 1, 1, kRight, {0}},
                 {5, 2, 8, kRight, {0, 100}},
                 {9, 3, 4, kLeft, {0, 50, 100}},
                 {4, 5, 32, kRight, {0, 25, 50, 75, 100}},
                 {3, 250, 1, kLeft, all},
                 {3, 250, 1, kRight, all},
                 {3, 250, 24, kLeft, all},
                 {3, 250, 24, kRight, all}};
    for (const auto& c : cases) {
        OwnedDib src;
        qlytest::makePattern(src, c.w, c.h, c.bits);
        std::vector<int> seen;
        OwnedDib out;
        ASSERT_TRUE(rotateDib(*out, *src, c.dir, [&seen](int p) { seen.push_back(p); }));
        EXPECT_EQ(seen, c.expected) << c.h << " " << c.bits;
    }
}

using qlytest::gFreed;
using qlytest::kNoMemory;
using qlytest::kRecording;

// A record array of three pages, each holding a small picture.
class RotatePage : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int i = 0; i < 3; ++i) {
            auto* page = static_cast<dib*>(pages_.Add());
            OwnedDib pic;
            qlytest::makePattern(pic, 5 + i, 3, 8, uint32_t(i));
            *page = pic->poi != nullptr ? *pic : dib{};
            *pic = dib{}; // the array owns it now
        }
    }
    void TearDown() override {
        qly::setHeapAllocator(nullptr);
        for (uint32_t i = 0; i < pages_.count; ++i) {
            freedib(page(i + 1));
        }
    }
    dib& page(int64_t n) { return reinterpret_cast<dib*>(pages_.poi)[n - 1]; }
    std::vector<uint8_t> recordBytes() {
        return {pages_.poi, pages_.poi + pages_.count * pages_.size};
    }

    void* current_ = nullptr;
    TDynaArray pages_{sizeof(dib), &current_};
    std::vector<int> progress_;
    RotateProgress record_ = [this](int p) { progress_.push_back(p); };
};

TEST_F(RotatePage, TurnsOnlyTheNamedPage) {
    OwnedDib expected = turned(page(2), kLeft);
    const dib first = page(1);
    void* oldBlock = reinterpret_cast<void*>(page(2).pmih);
    qly::setHeapAllocator(&kRecording);
    gFreed.clear();
    ASSERT_TRUE(rotatePage(pages_, 2, kLeft, record_));
    EXPECT_EQ(gFreed, std::vector<void*>{oldBlock});
    expectSameBitmap(page(2), *expected);
    EXPECT_EQ(std::memcmp(&page(1), &first, sizeof(dib)), 0);
    EXPECT_EQ(progress_, (std::vector<int>{0, 0, 50, 100, 0}));
}

TEST_F(RotatePage, OutOfRangeDoesNothing) {
    const std::vector<uint8_t> before = recordBytes();
    for (int64_t n : {int64_t{0}, int64_t{-1}, int64_t{4}, (int64_t{1} << 32) + 1}) {
        EXPECT_FALSE(rotatePage(pages_, n, kRight, record_)) << n;
    }
    EXPECT_EQ(recordBytes(), before);
    EXPECT_TRUE(progress_.empty());
}

TEST_F(RotatePage, WithoutMemoryThePageStaysAsItWasAndNothingIsShown) {
    qlytest::ScopedRecordingSink sink;
    const std::vector<uint8_t> before = recordBytes();
    OwnedDib copy = turned(*turned(page(3), kLeft), kRight);
    qly::setHeapAllocator(&kNoMemory);
    dib out{};
    EXPECT_FALSE(rotateDib(out, page(3), kLeft));
    EXPECT_EQ(out.poi, nullptr);
    EXPECT_FALSE(rotatePage(pages_, 3, kLeft, record_));
    qly::setHeapAllocator(nullptr);
    EXPECT_EQ(recordBytes(), before);
    expectSameBitmap(page(3), *copy);
    EXPECT_EQ(progress_, (std::vector<int>{0, 0}));
    EXPECT_TRUE(sink.texts.empty());
}

} // namespace
