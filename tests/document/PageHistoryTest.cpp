// The page model's history against a plain list: random changes, each undone and redone, must give
// exactly the pages (byte for byte) and the selection the plain list says, and no picture is ever
// copied or lost. The order arithmetic of every move and interleave variant is a permutation.
#include "document/Dib.h"
#include "document/DynaArray.h"
#include "document/PageDocument.h"
#include "document/PageList.h"
#include "platform/GrafikRW3.h"

#include "common/RecordingSink.h"
#include "common/TestDib.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

std::string pageBytes(const dib& d) {
    const int bits = dibbits(d);
    const size_t table = bits <= 8 ? (size_t{1} << bits) * 4 : 0;
    std::string out(reinterpret_cast<const char*>(&d.pmi->bmiHeader), 16);
    out.append(reinterpret_cast<const char*>(d.pmi->bmiColors), table);
    out.append(reinterpret_cast<const char*>(d.poi), size_t(d.bytew) * size_t(dibheight(d)));
    return out;
}

dib makePage(std::mt19937& rng) {
    qlytest::OwnedDib pic;
    qlytest::makePattern(pic, 8 + int(rng() % 30), 4 + int(rng() % 20), rng() % 2 ? 24 : 8, rng());
    const dib page = *pic;
    *pic = dib{};
    return page;
}

struct Pages {
    Pages() : bilder(sizeof(dib), &current) {}
    ~Pages() { releaseAllPages(bilder); }
    void* current = nullptr;
    TDynaArray bilder;
};

std::vector<std::string> contents(TDynaArray& bilder) {
    std::vector<std::string> out;
    for (uint32_t i = 0; i < bilder.count; ++i) {
        out.push_back(pageBytes(*static_cast<dib*>(bilder.GetObject(i))));
    }
    return out;
}

// One random change, made to the model and to the plain list of contents alike.
void change(std::mt19937& rng, PageDocument& doc, std::vector<std::string>& plain) {
    TDynaArray& bilder = doc.bilder();
    const uint32_t n = bilder.count;
    switch (rng() % 8) {
    case 0: { // pictures added, maybe dropped in between
        const uint32_t before = n;
        const int64_t at = n > 0 && rng() % 2 ? int64_t(rng() % n) : -1;
        std::vector<std::string> added;
        for (int k = 1 + int(rng() % 3); k > 0; --k) {
            dib page = makePage(rng);
            added.push_back(pageBytes(page));
            std::memcpy(bilder.Add(), &page, sizeof page);
        }
        doc.appended(before, "Hinzufügen", at);
        plain.insert(at >= 0 ? plain.begin() + at : plain.end(), added.begin(), added.end());
        break;
    }
    case 1: { // a selection deleted
        if (n == 0) {
            break;
        }
        std::vector<uint32_t> gone;
        for (uint32_t i = 0; i < n; ++i) {
            if (rng() % 3 == 0) {
                gone.push_back(i);
            }
        }
        if (doc.removePages(gone)) {
            for (auto it = gone.rbegin(); it != gone.rend(); ++it) {
                plain.erase(plain.begin() + *it);
            }
        }
        break;
    }
    case 2: { // a selection dragged somewhere
        if (n == 0) {
            break;
        }
        std::vector<uint32_t> moving;
        for (uint32_t i = 0; i < n; ++i) {
            if (rng() % 3 == 0) {
                moving.push_back(i);
            }
        }
        const uint32_t before = rng() % (n + 1);
        if (doc.movePages(moving, before)) {
            std::vector<std::string> rest;
            std::vector<std::string> taken;
            size_t insertAt = 0;
            for (uint32_t i = 0; i < n; ++i) {
                if (i == before) {
                    insertAt = rest.size();
                }
                (std::find(moving.begin(), moving.end(), i) != moving.end() ? taken : rest)
                    .push_back(plain[i]);
            }
            if (before == n) {
                insertAt = rest.size();
            }
            rest.insert(rest.begin() + long(insertAt), taken.begin(), taken.end());
            plain = rest;
        }
        break;
    }
    case 3: { // one step forward or back
        if (n < 2) {
            break;
        }
        int32_t adib = 2 + int32_t(rng() % (n - 1));
        std::swap(plain[size_t(adib) - 1], plain[size_t(adib) - 2]);
        doc.moveForward(adib);
        break;
    }
    case 4: { // interleaved in any of the three ways
        const InterleaveStyle style = InterleaveStyle(rng() % 3);
        const int64_t back = 1 + int64_t(rng() % (n + 1));
        const std::vector<uint32_t> order = interleaveOrder(n, back - 1, style);
        std::vector<std::string> reordered;
        for (uint32_t i : order) {
            reordered.push_back(plain[i]);
        }
        plain = reordered;
        doc.interleave(back, style);
        break;
    }
    case 5: { // pages turned (a new picture each)
        if (n == 0) {
            break;
        }
        std::vector<std::pair<uint32_t, dib>> turned;
        for (uint32_t i = 0; i < n; ++i) {
            if (rng() % 3 == 0) {
                turned.emplace_back(i, makePage(rng));
                plain[i] = pageBytes(turned.back().second);
            }
        }
        if (!turned.empty()) {
            doc.replacePictures(turned);
        }
        break;
    }
    case 6: { // a document opened
        void* cur = nullptr;
        TDynaArray fresh(sizeof(dib), &cur);
        plain.clear();
        for (int k = int(rng() % 3); k > 0; --k) {
            dib page = makePage(rng);
            plain.push_back(pageBytes(page));
            std::memcpy(fresh.Add(), &page, sizeof page);
        }
        doc.replaceAll(fresh);
        break;
    }
    default: // a new document
        if (rng() % 4 == 0) {
            doc.clear();
            plain.clear();
        }
        break;
    }
}

TEST(PageHistory, EveryStepUndoesAndRedoesToExactlyThePagesOfAPlainList) {
    qlytest::ScopedRecordingSink sink;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        Pages pages;
        PageDocument doc(pages.bilder);
        // For each step: the pages and the selection before it, and the pages after it.
        struct Seen {
            std::vector<std::string> before;
            std::vector<uint32_t> selectionBefore;
            std::vector<std::string> after;
        };
        std::vector<Seen> steps;
        std::vector<std::string> plain;
        for (int i = 5 + int(rng() % 25); i > 0; --i) {
            // Now and then a click: the selection is part of each step.
            if (pages.bilder.count > 0 && rng() % 3 == 0) {
                doc.click(rng() % pages.bilder.count, rng() % 2, rng() % 2);
            }
            const size_t known = doc.undoSteps();
            Seen seen{plain, doc.selection(), {}};
            change(rng, doc, plain);
            ASSERT_TRUE(contents(pages.bilder) == plain);
            if (doc.undoSteps() > known) {
                seen.after = plain;
                steps.push_back(std::move(seen));
            }
        }
        for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
            ASSERT_TRUE(doc.undo());
            EXPECT_TRUE(contents(pages.bilder) == it->before);
            EXPECT_EQ(doc.selection(), it->selectionBefore);
        }
        EXPECT_FALSE(doc.canUndo());
        for (const Seen& step : steps) {
            ASSERT_TRUE(doc.redo());
            EXPECT_TRUE(contents(pages.bilder) == step.after);
        }
        EXPECT_FALSE(doc.canRedo());
    }
}

TEST(PageHistory, UndoRestoresTheSelectionAndANewChangeForgetsWhatWasUndone) {
    Pages pages;
    PageDocument doc(pages.bilder);
    std::mt19937 rng(7);
    for (int i = 0; i < 5; ++i) {
        dib page = makePage(rng);
        std::memcpy(pages.bilder.Add(), &page, sizeof page);
    }
    doc.appended(0);
    EXPECT_TRUE(doc.selection().empty()) << "pages added at the end leave the selection";
    EXPECT_EQ(doc.current(), -1);
    doc.click(1);
    doc.click(3, true);
    EXPECT_EQ(doc.selection(), (std::vector<uint32_t>{1, 3}));
    const std::vector<std::string> before = contents(pages.bilder);
    ASSERT_TRUE(doc.removePages(doc.selection()));
    EXPECT_EQ(pages.bilder.count, 3u);
    EXPECT_EQ(doc.undoName(), "Löschen");
    ASSERT_TRUE(doc.undo());
    EXPECT_TRUE(contents(pages.bilder) == before);
    EXPECT_EQ(doc.selection(), (std::vector<uint32_t>{1, 3}));
    EXPECT_EQ(doc.current(), 3);
    // Shift extends from the current page; Ctrl+A takes all.
    doc.click(1, false, true);
    EXPECT_EQ(doc.selection(), (std::vector<uint32_t>{1, 2, 3}));
    doc.selectAll();
    EXPECT_EQ(doc.selection().size(), 5u);
    // A new change after an undo: the undone step cannot come back.
    int32_t adib = 2;
    ASSERT_TRUE(doc.moveForward(adib));
    EXPECT_FALSE(doc.canRedo());
}

TEST(PageSelection, CommandsActOnTheSelectionOrTheCurrentPageAndShiftGoesOnFromItsMovingEnd) {
    Pages pages;
    PageDocument doc(pages.bilder);
    EXPECT_TRUE(doc.selectionOrCurrent().empty()) << "no pages, nothing to act on";
    EXPECT_EQ(doc.extentEnd(), -1);
    std::mt19937 rng(11);
    for (int i = 0; i < 8; ++i) {
        dib page = makePage(rng);
        std::memcpy(pages.bilder.Add(), &page, sizeof page);
    }
    doc.appended(0);
    doc.setCurrent(4);
    EXPECT_EQ(doc.selectionOrCurrent(), (std::vector<uint32_t>{4}));
    // Each row: a click (index, Ctrl, Shift); then the selection and where Shift goes on from.
    struct Row {
        uint32_t index;
        bool toggle, extend;
        std::vector<uint32_t> selection;
        int64_t extentEnd;
    };
    const Row rows[] = {
        {2, false, false, {2}, 2},         // a plain click: the page alone
        {4, false, true, {2, 3, 4}, 4},    // Shift: from the current page to it
        {5, false, true, {2, 3, 4, 5}, 5}, // again: the anchor stays, the end moves on
        {0, false, true, {0, 1, 2}, 0},    // and may cross the anchor
        {6, true, false, {0, 1, 2, 6}, 6}, // Ctrl adds a page and makes it current
        {6, true, false, {0, 1, 2}, 6},    // Ctrl again takes it out; it stays current
        {7, false, false, {7}, 7},         // a plain click starts anew
    };
    for (const Row& r : rows) {
        doc.click(r.index, r.toggle, r.extend);
        EXPECT_EQ(doc.selectionOrCurrent(), r.selection) << "click on " << r.index;
        EXPECT_EQ(doc.extentEnd(), r.extentEnd) << "click on " << r.index;
    }
    // Moving the page number field's page ends an extension.
    doc.click(3, false, true);
    doc.setCurrent(1);
    EXPECT_EQ(doc.extentEnd(), 1);

    // One place toward the start or the end, together; nothing moves past either end.
    const std::vector<std::string> order = contents(pages.bilder);
    doc.click(0);
    doc.click(1, true);
    EXPECT_FALSE(doc.moveSelectionOnePlace(true));
    ASSERT_TRUE(doc.moveSelectionOnePlace(false));
    EXPECT_EQ(doc.selection(), (std::vector<uint32_t>{1, 2}));
    EXPECT_TRUE(contents(pages.bilder) ==
                (std::vector<std::string>{order[2], order[0], order[1], order[3], order[4],
                                          order[5], order[6], order[7]}));
    doc.click(7);
    EXPECT_FALSE(doc.moveSelectionOnePlace(false));
    ASSERT_TRUE(doc.moveSelectionOnePlace(true));
    EXPECT_EQ(doc.selection(), (std::vector<uint32_t>{6}));

    // Marks follow a test over the pictures and replace the earlier ones; progress counts up.
    std::vector<uint32_t> seen;
    const size_t hits = doc.markWhere([](const dib& d) { return dibbits(d) == 8; },
                                      [&seen](uint32_t done, uint32_t all) {
                                          EXPECT_EQ(all, 8u);
                                          seen.push_back(done);
                                      });
    std::vector<uint32_t> grey;
    for (uint32_t i = 0; i < 8; ++i) {
        if (dibbits(*static_cast<dib*>(pages.bilder.GetObject(i))) == 8) {
            grey.push_back(i);
        }
    }
    EXPECT_EQ(doc.marked(), grey);
    EXPECT_EQ(hits, grey.size());
    EXPECT_EQ(seen, (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(doc.markWhere([](const dib&) { return false; }), 0u);
    EXPECT_TRUE(doc.marked().empty());
}

TEST(PageHistory, ThePicturesThemselvesComeBackAndNoneIsCopied) {
    Pages pages;
    PageDocument doc(pages.bilder);
    std::mt19937 rng(9);
    std::vector<uint8_t*> pixels;
    for (int i = 0; i < 4; ++i) {
        dib page = makePage(rng);
        pixels.push_back(page.poi);
        std::memcpy(pages.bilder.Add(), &page, sizeof page);
    }
    doc.appended(0);
    doc.removePages({0, 2});
    doc.movePages({1}, 0);
    doc.clear();
    while (doc.undo()) {
    }
    ASSERT_EQ(pages.bilder.count, 0u);
    doc.redo();
    for (uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(static_cast<dib*>(pages.bilder.GetObject(i))->poi, pixels[i]);
    }
}

TEST(PageOrders, EveryMoveAndInterleaveIsAPermutationForEveryCount) {
    for (uint32_t n = 0; n <= 12; ++n) {
        for (int64_t fronts = -1; fronts <= int64_t{n} + 1; ++fronts) {
            for (InterleaveStyle style :
                 {InterleaveStyle::BacksReversed, InterleaveStyle::BacksSameOrder,
                  InterleaveStyle::FrontsReversed}) {
                std::vector<uint32_t> order = interleaveOrder(n, fronts, style);
                ASSERT_EQ(order.size(), n);
                std::sort(order.begin(), order.end());
                for (uint32_t i = 0; i < n; ++i) {
                    ASSERT_EQ(order[i], i) << n << " " << fronts << " " << int(style);
                }
            }
        }
    }
    // Six sheets' sides, three fronts: how each way of scanning comes out.
    const struct {
        InterleaveStyle style;
        std::vector<uint32_t> order;
    } cases[] = {
        {InterleaveStyle::BacksReversed, {0, 5, 1, 4, 2, 3}},
        {InterleaveStyle::BacksSameOrder, {0, 3, 1, 4, 2, 5}},
        {InterleaveStyle::FrontsReversed, {2, 3, 1, 4, 0, 5}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(interleaveOrder(6, 3, c.style), c.order) << int(c.style);
    }
    // Five sides, three fronts: the front left over comes last.
    EXPECT_EQ(interleaveOrder(5, 3, InterleaveStyle::BacksSameOrder),
              (std::vector<uint32_t>{0, 3, 1, 4, 2}));
}

} // namespace
