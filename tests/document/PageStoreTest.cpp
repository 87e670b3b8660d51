// Pages in files: a child process changes its pages through the page model with a journal and is
// killed with SIGKILL; what comes back from its session folder must be exactly the pages it last
// had, in order, byte for byte. The same sequence of changes on a plain list of pictures says what
// that is.
#include "document/PageStore.h"
#include "document/Dib.h"
#include "document/DynaArray.h"
#include "document/PageDocument.h"
#include "document/PageJournal.h"
#include "document/PageList.h"
#include "platform/GrafikRW3.h"

#include "common/FileSizeCap.h"
#include "common/RecordingSink.h"
#include "common/TestDib.h"
#include "pdf/PdfTestUtil.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using qlytest::TempDir;

// A page's whole content: header, colour table and rows.
std::string pageBytes(const dib& d) {
    const int bits = dibbits(d);
    const size_t table = bits <= 8 ? (size_t{1} << bits) * 4 : 0;
    std::string out(reinterpret_cast<const char*>(&d.pmi->bmiHeader), 16); // size, width, height
    out.append(reinterpret_cast<const char*>(&d.pmi->bmiHeader.biBitCount), 2);
    out.append(reinterpret_cast<const char*>(d.pmi->bmiColors), table);
    out.append(reinterpret_cast<const char*>(d.poi), size_t(d.bytew) * size_t(dibheight(d)));
    return out;
}

dib makePage(std::mt19937& rng) {
    static const int depths[] = {1, 4, 8, 24, 32};
    qlytest::OwnedDib pic;
    const int width = 20 + int(rng() % 60);
    const int height = 10 + int(rng() % 40);
    const int bits = depths[rng() % 5];
    qlytest::makePattern(pic, width, height, bits, rng());
    const dib page = *pic;
    *pic = dib{}; // the page is the caller's now
    return page;
}

// The changes the window makes, chosen by a seeded generator, applied to the page model and to a
// plain list of page contents alike.
enum class Op { Add, Scan, Delete, Move, Interleave, Turn, Open, New };
constexpr Op kOps[] = {Op::Add, Op::Scan, Op::Delete, Op::Move, Op::Interleave, Op::Turn, Op::Open};

struct Pages {
    Pages() : bilder(sizeof(dib), &current) {}
    ~Pages() { releaseAllPages(bilder); }
    void* current = nullptr;
    TDynaArray bilder;
};

void apply(Op op, std::mt19937& rng, PageDocument& doc, std::vector<std::string>& plain) {
    TDynaArray& bilder = doc.bilder();
    const uint32_t n = bilder.count;
    switch (op) {
    case Op::Add:
    case Op::Scan: {
        const uint32_t before = n;
        for (int k = op == Op::Add ? 1 + int(rng() % 3) : 1; k > 0; --k) {
            dib page = makePage(rng);
            plain.push_back(pageBytes(page));
            std::memcpy(bilder.Add(), &page, sizeof page);
        }
        doc.appended(before);
        break;
    }
    case Op::Delete:
        if (n > 0) {
            const uint32_t k = rng() % n;
            doc.remove(k + 1);
            plain.erase(plain.begin() + k);
        }
        break;
    case Op::Move:
        if (n > 1) {
            int32_t adib = 2 + int32_t(rng() % (n - 1));
            std::swap(plain[size_t(adib) - 1], plain[size_t(adib) - 2]);
            doc.moveForward(adib);
        }
        break;
    case Op::Interleave: {
        const int64_t back = 1 + int64_t(rng() % (n + 1));
        const std::vector<uint32_t> order = interleaveOrder(n, back - 1);
        std::vector<std::string> reordered;
        for (uint32_t i : order) {
            reordered.push_back(plain[i]);
        }
        plain = reordered;
        doc.interleave(back);
        break;
    }
    case Op::Turn:
        if (n > 0) {
            // A turned page is a new picture in the same place.
            const uint32_t k = rng() % n;
            dib page = makePage(rng);
            plain[k] = pageBytes(page);
            doc.replacePicture(k + 1, page);
        }
        break;
    case Op::Open: {
        void* cur = nullptr;
        TDynaArray fresh(sizeof(dib), &cur);
        plain.clear();
        for (int k = 1 + int(rng() % 3); k > 0; --k) {
            dib page = makePage(rng);
            plain.push_back(pageBytes(page));
            std::memcpy(fresh.Add(), &page, sizeof page);
        }
        doc.replaceAll(fresh);
        break;
    }
    case Op::New:
        doc.clear();
        plain.clear();
        break;
    }
}

class PagesInFiles : public ::testing::Test {
  protected:
    std::string base() const { return (dir_.path() / "state").string(); }
    // What comes back from the session folder left under base(): none is offered when the
    // session had no pages.
    std::vector<std::string> restore(std::vector<std::string>& problems) {
        std::vector<qly::LeftSession> left = qly::findLeftSessions(base());
        EXPECT_LE(left.size(), 1u);
        std::vector<std::string> out;
        if (left.empty()) {
            return out;
        }
        std::string error;
        auto store = qly::PageStore::open(base(), error);
        EXPECT_NE(store, nullptr) << error;
        Pages pages;
        left[0].restoreInto(*store, pages.bilder, problems);
        for (uint32_t i = 0; i < pages.bilder.count; ++i) {
            out.push_back(pageBytes(*static_cast<dib*>(pages.bilder.GetObject(i))));
        }
        EXPECT_FALSE(fs::exists(left[0].folder())) << "the old folder goes";
        return out;
    }
    TempDir dir_;
};

// Runs `ops` changes in a child with a journal, reporting each finished one on a pipe, and kills
// it with SIGKILL once `killAfter` are done (or, with killAfter < 0, at a random moment while it
// works on). Returns how many changes the child reported done.
int runAndKill(const std::string& base, uint32_t seed, int ops, int killAfter,
               const std::vector<Op>& lastOps = {}) {
    int channel[2];
    if (::pipe(channel) != 0) {
        return -1;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::mt19937 rng(seed);
        std::string error;
        auto store = qly::PageStore::open(base, error);
        if (store == nullptr) {
            ::_exit(3);
        }
        Pages pages;
        PageDocument doc(pages.bilder);
        doc.setStore(store.get());
        PageJournalWriter journal(doc, *store, [] { return DocumentLayout{}; });
        std::vector<std::string> plain;
        for (int i = 0; i < ops || killAfter < 0; ++i) {
            const Op op = i >= ops - int(lastOps.size()) && i < ops
                              ? lastOps[size_t(i - (ops - int(lastOps.size())))]
                              : kOps[rng() % std::size(kOps)];
            apply(op, rng, doc, plain);
            const char done = 1;
            if (::write(channel[1], &done, 1) != 1) {
                ::_exit(4);
            }
        }
        ::pause();
        ::_exit(0);
    }
    ::close(channel[1]);
    int done = 0;
    char c = 0;
    std::mt19937 timing(seed * 7 + 1);
    const int stopAt = killAfter >= 0 ? killAfter : 1 + int(timing() % 12);
    while (done < stopAt && ::read(channel[0], &c, 1) == 1) {
        ++done;
    }
    if (killAfter < 0) {
        ::usleep(timing() % 3000); // somewhere inside the next change
    }
    ::kill(child, SIGKILL);
    while (::read(channel[0], &c, 1) == 1) {
        ++done; // changes finished before the signal landed
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return done;
}

// The plain list after the first `count` changes of the sequence.
std::vector<std::string> expected(uint32_t seed, int count, int ops = 0,
                                  const std::vector<Op>& lastOps = {}) {
    std::mt19937 rng(seed);
    Pages pages;
    PageDocument doc(pages.bilder);
    std::vector<std::string> plain;
    for (int i = 0; i < count; ++i) {
        const Op op = i >= ops - int(lastOps.size()) && i < ops
                          ? lastOps[size_t(i - (ops - int(lastOps.size())))]
                          : kOps[rng() % std::size(kOps)];
        apply(op, rng, doc, plain);
    }
    return plain;
}

TEST_F(PagesInFiles, AKilledSessionComesBackAsTheUserLastSawItAfterEveryKindOfChange) {
    qlytest::ScopedRecordingSink sink;
    uint32_t seed = 11;
    for (Op last : kOps) {
        for (int round = 0; round < 3; ++round, ++seed) {
            SCOPED_TRACE(testing::Message() << "last change " << int(last) << ", seed " << seed);
            const int ops = 6 + int(seed % 5);
            const int done = runAndKill(base(), seed, ops, ops, {Op::Add, last});
            ASSERT_EQ(done, ops);
            std::vector<std::string> problems;
            const std::vector<std::string> back = restore(problems);
            EXPECT_TRUE(problems.empty()) << problems.front();
            const std::vector<std::string> want = expected(seed, ops, ops, {Op::Add, last});
            ASSERT_EQ(back.size(), want.size());
            EXPECT_TRUE(back == want) << "pages differ";
        }
    }
}

TEST_F(PagesInFiles, AKillInTheMiddleOfAChangeGivesTheStateBeforeOrAfterIt) {
    qlytest::ScopedRecordingSink sink;
    for (uint32_t seed = 100; seed < 112; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        const int done = runAndKill(base(), seed, 0, -1);
        std::vector<std::string> problems;
        const std::vector<std::string> back = restore(problems);
        EXPECT_TRUE(problems.empty()) << problems.front();
        // The change under way when the signal came either reached the journal or did not.
        const bool before = back == expected(seed, done);
        const bool after = back == expected(seed, done + 1);
        EXPECT_TRUE(before || after) << done << " changes done, " << back.size() << " pages back";
    }
}

TEST_F(PagesInFiles, AFolderInUseIsNotOfferedAndEmptyOnesAreNot) {
    std::string error;
    auto running = qly::PageStore::open(base(), error);
    ASSERT_NE(running, nullptr) << error;
    Pages pages;
    PageDocument doc(pages.bilder);
    doc.setStore(running.get());
    PageJournalWriter journal(doc, *running, [] { return DocumentLayout{}; });
    std::mt19937 rng(1);
    std::vector<std::string> plain;
    apply(Op::Add, rng, doc, plain);
    EXPECT_TRUE(qly::findLeftSessions(base()).empty()) << "its lock is held";
    // A left folder with a journal that names no page is not offered either.
    fs::create_directories(base() + "/session-empty");
    std::ofstream(base() + "/session-empty/journal") << qly::journalText({});
    EXPECT_TRUE(qly::findLeftSessions(base()).empty());
}

TEST_F(PagesInFiles, DamagedJournalsAndPageFilesAreReportedAndEveryReadablePageComesBack) {
    qlytest::ScopedRecordingSink sink;
    enum class Damage { Journal, Missing, Truncated, Foreign, Header };
    for (Damage damage :
         {Damage::Journal, Damage::Missing, Damage::Truncated, Damage::Foreign, Damage::Header}) {
        SCOPED_TRACE(int(damage));
        const uint32_t seed = 500 + uint32_t(damage);
        ASSERT_EQ(runAndKill(base(), seed, 3, 3, {Op::Add, Op::Add, Op::Add}), 3);
        std::vector<std::string> want = expected(seed, 3, 3, {Op::Add, Op::Add, Op::Add});
        std::vector<qly::LeftSession> left = qly::findLeftSessions(base());
        ASSERT_EQ(left.size(), 1u);
        const std::string folder = left[0].folder();
        const std::vector<std::string> names = left[0].journal().pages;
        ASSERT_EQ(names.size(), want.size());
        left.clear();
        const std::string victim = folder + names[1];
        switch (damage) {
        case Damage::Journal:
            std::ofstream(folder + "journal", std::ios::app) << "page ../../etc/passwd\n";
            break;
        case Damage::Missing:
            fs::remove(victim);
            break;
        case Damage::Truncated:
            fs::resize_file(victim, fs::file_size(victim) - 1);
            break;
        case Damage::Foreign:
            std::ofstream(victim, std::ios::trunc) << "not a page at all, but long enough to be "
                                                      "read as one if nobody looked at it closely";
            break;
        case Damage::Header: {
            std::fstream f(victim, std::ios::in | std::ios::out | std::ios::binary);
            f.seekp(64 + 4); // the width in the bitmap header
            const int32_t huge = 70000;
            f.write(reinterpret_cast<const char*>(&huge), 4);
            break;
        }
        }
        std::vector<std::string> problems;
        const std::vector<std::string> back = restore(problems);
        if (damage == Damage::Journal) {
            // Every page comes back all the same, in the order the files were made.
            EXPECT_TRUE(back == want);
        } else {
            ASSERT_EQ(problems.size(), 1u);
            EXPECT_NE(problems[0].find(names[1]), std::string::npos) << problems[0];
            want.erase(want.begin() + 1);
            EXPECT_TRUE(back == want);
        }
    }
}

TEST_F(PagesInFiles, APageThatFindsNoRoomStaysInMemoryAndTheJournalStaysValid) {
    qlytest::ScopedRecordingSink sink;
    std::string error;
    auto store = qly::PageStore::open(base(), error);
    ASSERT_NE(store, nullptr) << error;
    Pages pages;
    PageDocument doc(pages.bilder);
    doc.setStore(store.get());
    PageJournalWriter journal(doc, *store, [] { return DocumentLayout{}; });
    std::mt19937 rng(3);
    std::vector<std::string> plain;
    apply(Op::Scan, rng, doc, plain);
    apply(Op::Scan, rng, doc, plain);
    const std::string journalBefore = pdftest::readFile(store->folder() + "journal");
    {
        // No file may grow past 1000 bytes now: the next page's file cannot be made.
        qlytest::FileSizeCap cap(1000);
        apply(Op::Scan, rng, doc, plain);
    }
    ASSERT_EQ(sink.captions.size(), 1u);
    EXPECT_EQ(sink.captions[0], "Seite nicht gesichert");
    EXPECT_NE(sink.texts[0].find(store->folder()), std::string::npos) << sink.texts[0];
    const dib& third = *static_cast<dib*>(pages.bilder.GetObject(2));
    EXPECT_FALSE(qly::PageStore::isStored(third));
    EXPECT_EQ(pageBytes(third), plain[2]) << "the page itself is whole";
    qly::JournalContents c;
    ASSERT_TRUE(qly::parseJournal(pdftest::readFile(store->folder() + "journal"), c));
    ASSERT_EQ(c.pages.size(), 2u);
    for (const std::string& name : c.pages) {
        EXPECT_TRUE(fs::exists(store->folder() + name));
    }
    // With room again, pages are stored as before.
    apply(Op::Scan, rng, doc, plain);
    EXPECT_TRUE(qly::PageStore::isStored(*static_cast<dib*>(pages.bilder.GetObject(3))));
    EXPECT_NE(pdftest::readFile(store->folder() + "journal"), journalBefore);
}

TEST(Journal, TextReadsBackAndAnyChangeToItIsDamageOrTheSame) {
    qly::JournalContents c;
    c.time = 1765000000;
    c.layout.BorderCheck = true;
    c.layout.RandHEd = 12.5;
    c.layout.BreitEd = 148;
    c.pages = {"p000001.page", "p000017.page", "../p000003.page"};
    qly::JournalContents back;
    // Nothing but a page file's name in the folder itself is accepted.
    EXPECT_FALSE(qly::parseJournal(qly::journalText(c), back));
    c.pages.pop_back();
    const std::string text = qly::journalText(c);
    ASSERT_TRUE(qly::parseJournal(text, back));
    EXPECT_EQ(back.pages, c.pages);
    EXPECT_EQ(back.time, c.time);
    EXPECT_EQ(back.layout.RandHEd, 12.5);
    EXPECT_TRUE(back.layout.BorderCheck);
    // Every shortened journal is refused (the count at the end guards the list).
    for (size_t n = 0; n < text.size(); ++n) {
        EXPECT_FALSE(qly::parseJournal(text.substr(0, n), back)) << n;
        EXPECT_TRUE(back.pages.empty());
    }
}

} // namespace
