#include "document/DynaArray.h"
#include "common/RecordingSink.h"
#include "platform/Heap.h"
#include "platform/Messages.h"
#include "platform/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include <sys/stat.h>

namespace {

struct Rec {
    uint32_t id;
    uint8_t payload[12];
};

int gFailAfter = -1; // allocations left before failing; -1: never fail
void* flakyAlloc(size_t n) {
    if (gFailAfter == 0) {
        return nullptr;
    }
    if (gFailAfter > 0) {
        --gFailAfter;
    }
    return std::calloc(1, n);
}
void plainFree(void* p) {
    std::free(p);
}

class DynaArray : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = qly::setMessageSink(&sink_);
        qly::setHeapAllocator(&flaky_);
        gFailAfter = -1;
    }
    void TearDown() override {
        qly::setHeapAllocator(nullptr);
        qly::setMessageSink(previous_);
    }
    Rec* add(TDynaArray& a, uint32_t id) {
        auto* r = static_cast<Rec*>(a.Add());
        if (r != nullptr) {
            r->id = id;
        }
        return r;
    }
    Rec* at(TDynaArray& a, uint32_t i) { return reinterpret_cast<Rec*>(a.poi + i * a.size); }

    qlytest::RecordingSink sink_;
    qly::MessageSink* previous_ = nullptr;
    qly::HeapAllocator flaky_{flakyAlloc, plainFree};
};

TEST_F(DynaArray, CreateStartsEmptyAndIterationOverNothingDoesNothing) {
    void* cur = reinterpret_cast<void*>(1);
    TDynaArray a(sizeof(Rec), &cur);
    EXPECT_EQ(a.count, 0u);
    EXPECT_EQ(a.aobjnr, -1);
    EXPECT_EQ(a.buffersize, 100u);
    EXPECT_EQ(a.amemsize, 0u);
    EXPECT_EQ(a.poi, nullptr);
    EXPECT_EQ(a.size, sizeof(Rec));
    EXPECT_EQ(cur, nullptr);
    a.First();
    int visits = 0;
    while (a.WhileNext()) {
        ++visits;
    }
    EXPECT_EQ(visits, 0);
    EXPECT_FALSE(a.Next());
}

TEST_F(DynaArray, GrowsInStepsAndTheNewSlotIsZero) {
    void* cur = nullptr;
    TDynaArray a(sizeof(Rec), &cur);
    for (uint32_t i = 0; i < 100; ++i) {
        ASSERT_NE(add(a, i + 1), nullptr);
        ASSERT_EQ(a.amemsize, 100 * sizeof(Rec));
    }
    uint8_t* oldBlock = a.poi;
    Rec* r = static_cast<Rec*>(a.Add());
    EXPECT_NE(a.poi, oldBlock);
    EXPECT_EQ(a.amemsize, 200 * sizeof(Rec));
    EXPECT_EQ(cur, r);
    EXPECT_EQ(a.aobjnr, 100);
    EXPECT_EQ(r->id, 0u);
    for (uint32_t i = 0; i < 100; ++i) {
        ASSERT_EQ(at(a, i)->id, i + 1);
    }
}

TEST_F(DynaArray, ShrinksAtStepBoundariesAndAFreedSlotKeepsOldBytesUntilAdd) {
    void* cur = nullptr;
    TDynaArray a(sizeof(Rec), &cur);
    for (uint32_t i = 0; i < 101; ++i) {
        add(a, i);
    }
    a.Delete(100);
    EXPECT_EQ(a.count, 100u);
    EXPECT_EQ(a.amemsize, 100 * sizeof(Rec));
    EXPECT_EQ(cur, nullptr);
    EXPECT_EQ(a.aobjnr, -1);
    // Delete at 100 keeps the block: record 99's old bytes stay in the freed slot.
    uint8_t* block = a.poi;
    a.Delete(5);
    EXPECT_EQ(a.poi, block);
    EXPECT_EQ(at(a, 5)->id, 6u);
    EXPECT_EQ(at(a, 99)->id, 99u); // stale copy of the last record
    Rec* fresh = static_cast<Rec*>(a.Add());
    EXPECT_EQ(fresh, at(a, 99));
    EXPECT_EQ(fresh->id, 0u);
    // Deleting everything releases the block.
    while (a.count > 0) {
        a.Delete(0);
    }
    EXPECT_EQ(a.poi, nullptr);
    EXPECT_EQ(a.amemsize, 0u);
    a.Delete(0); // out of range: nothing
    a.Delete(-1);
}

TEST_F(DynaArray, InsertMovesRecordsUpAndChecksItsIndex) {
    void* cur = nullptr;
    TDynaArray a(sizeof(Rec), &cur);
    add(a, 1);
    add(a, 2);
    add(a, 3);
    Rec* r = static_cast<Rec*>(a.Insert(1));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->id, 0u);
    r->id = 9;
    EXPECT_EQ(a.aobjnr, 1);
    EXPECT_EQ(at(a, 0)->id, 1u);
    EXPECT_EQ(at(a, 2)->id, 2u);
    EXPECT_EQ(at(a, 3)->id, 3u);
    EXPECT_EQ(a.Insert(5), nullptr); // count + 1
    EXPECT_EQ(a.Insert(-1), nullptr);
    EXPECT_EQ(a.count, 4u);
    Rec* last = static_cast<Rec*>(a.Insert(4)); // at count: like Add
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(a.count, 5u);
    EXPECT_EQ(a.aobjnr, 4);
    EXPECT_EQ(cur, last);
}

TEST_F(DynaArray, ChangeSwapsAndLeavesTheSecondCurrent) {
    void* cur = nullptr;
    TDynaArray a(sizeof(Rec), &cur);
    for (uint32_t i = 0; i < 4; ++i) {
        add(a, i);
    }
    a.Change(0, 3);
    EXPECT_EQ(at(a, 0)->id, 3u);
    EXPECT_EQ(at(a, 3)->id, 0u);
    EXPECT_EQ(a.aobjnr, 3);
    EXPECT_EQ(cur, at(a, 3));
    a.Change(0, 4); // out of range: nothing
    EXPECT_EQ(at(a, 0)->id, 3u);
    EXPECT_EQ(a.aobjnr, 3);
}

TEST_F(DynaArray, IterationIdiomVisitsEveryRecordInOrder) {
    void* cur = nullptr;
    TDynaArray a(sizeof(Rec), &cur);
    for (uint32_t i = 0; i < 250; ++i) {
        add(a, i);
    }
    a.First();
    uint32_t expected = 0;
    while (a.WhileNext()) {
        ASSERT_EQ(static_cast<Rec*>(cur)->id, expected);
        ASSERT_EQ(a.aobjnr, static_cast<int32_t>(expected) + 1);
        ++expected;
    }
    EXPECT_EQ(expected, 250u);
    EXPECT_EQ(a.aobjnr, 250);
    // Next from "no current record" starts at 0 and stops at the end.
    a.Delete(0);
    int steps = 0;
    while (a.Next()) {
        ++steps;
    }
    EXPECT_EQ(steps, 249);
    a.Clear();
    EXPECT_EQ(a.count, 0u);
    EXPECT_EQ(a.poi, nullptr);
    EXPECT_EQ(cur, nullptr);
    a.First();
    EXPECT_EQ(a.aobjnr, -1);
}

TEST_F(DynaArray, FailedAllocationsAreReportedAndLoseNothing) {
    void* cur = nullptr;
    TDynaArray a(sizeof(Rec), &cur);
    gFailAfter = 0;
    EXPECT_EQ(a.Add(), nullptr);
    ASSERT_EQ(sink_.texts.size(), 1u);
    EXPECT_EQ(sink_.texts[0],
              "Error 1 while trying to allocate 1600 bytes of RAM. Not enough memory.");
    EXPECT_EQ(sink_.icons[0], qly::MessageIcon::Error);
    EXPECT_EQ(sink_.captions[0], "");
    EXPECT_EQ(a.count, 0u);
    EXPECT_EQ(a.poi, nullptr);

    gFailAfter = -1;
    for (uint32_t i = 0; i < 100; ++i) {
        add(a, i + 1);
    }
    gFailAfter = 0;
    EXPECT_EQ(a.Add(), nullptr);
    EXPECT_EQ(a.Insert(3), nullptr);
    ASSERT_EQ(sink_.texts.size(), 3u);
    EXPECT_EQ(sink_.texts[1].rfind(
                  "Error 2 while trying to allocate 3200 bytes of RAM. Not enough memory.", 0),
              0u);
    EXPECT_GT(
        sink_.texts[1].size(),
        std::strlen("Error 2 while trying to allocate 3200 bytes of RAM. Not enough memory."));
    EXPECT_EQ(a.count, 100u);
    for (uint32_t i = 0; i < 100; ++i) {
        ASSERT_EQ(at(a, i)->id, i + 1);
    }

    // Shrinking that fails keeps the bigger block with every record.
    gFailAfter = -1;
    add(a, 101);
    gFailAfter = 0;
    a.Delete(0);
    ASSERT_EQ(sink_.texts.size(), 4u);
    EXPECT_EQ(sink_.texts[3],
              "Error 3 while trying to allocate 1600 bytes of RAM. Not enough memory.");
    EXPECT_EQ(a.count, 100u);
    EXPECT_EQ(a.amemsize, 200 * sizeof(Rec));
    for (uint32_t i = 0; i < 100; ++i) {
        ASSERT_EQ(at(a, i)->id, i + 2);
    }
    gFailAfter = -1;
    add(a, 500); // still works afterwards
    EXPECT_EQ(at(a, 100)->id, 500u);
}

TEST_F(DynaArray, GrowingAfterFailedShrinksCopiesOnlyTheRecordsIntoTheSmallerBlock) {
    // Two failed shrinks leave a block of 200 records for 99; the next Add or Insert gets a
    // block of 100 and must not copy the old block's 200 records into it.
    for (const bool insert : {false, true}) {
        SCOPED_TRACE(insert ? "Insert" : "Add");
        void* cur = nullptr;
        TDynaArray a(sizeof(Rec), &cur);
        for (uint32_t i = 0; i < 101; ++i) {
            add(a, i + 1);
        }
        gFailAfter = 0;
        a.Delete(0);
        a.Delete(0);
        ASSERT_EQ(a.count, 99u);
        ASSERT_EQ(a.amemsize, 200 * sizeof(Rec));
        gFailAfter = -1;
        auto* r = static_cast<Rec*>(insert ? a.Insert(99) : a.Add());
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(a.count, 100u);
        EXPECT_EQ(a.amemsize, 100 * sizeof(Rec));
        EXPECT_EQ(r, at(a, 99));
        const Rec zero{};
        EXPECT_EQ(std::memcmp(r, &zero, sizeof zero), 0); // not the stale copy of record 101
        for (uint32_t i = 0; i < 99; ++i) {
            ASSERT_EQ(at(a, i)->id, i + 3);
        }
        a.Clear();
    }
}

TEST(TempFileName, NamesLieInThePrivateFolderPastTakenOnes) {
    const std::string dir = qly::tempFolder();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(GetUniqueTempFileName("tempim", ".jpg"), dir + "tempim0.jpg");
    for (const char* taken : {"tempim0.jpg", "tempim1.jpg", "tempim2.jpg"}) {
        std::ofstream(dir + taken) << "x";
    }
    EXPECT_EQ(GetUniqueTempFileName("tempim", ".jpg"), dir + "tempim3.jpg");
    EXPECT_EQ(GetUniqueTempFileName("tempim0", ".bmp"), dir + "tempim00.bmp");
    EXPECT_FALSE(std::filesystem::exists(dir + "tempim3.jpg"));
    // The creating variant takes the next free name and makes the file at once, private.
    const std::string made = CreateUniqueTempFile("tempim", ".jpg");
    EXPECT_EQ(made, dir + "tempim3.jpg");
    struct stat st {};
    ASSERT_EQ(::stat(made.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode, S_IFREG | 0600u);
    qly::removeTempFolder();
    EXPECT_FALSE(std::filesystem::exists(dir));
}

TEST_F(DynaArray, InfoboxUsesTheInformationIconAndNoCaption) {
    infobox("Konnte PDF-Datei nicht erstellen!");
    ASSERT_EQ(sink_.texts.size(), 1u);
    EXPECT_EQ(sink_.texts[0], "Konnte PDF-Datei nicht erstellen!");
    EXPECT_EQ(sink_.captions[0], "");
    EXPECT_EQ(sink_.icons[0], qly::MessageIcon::Information);
}

} // namespace
