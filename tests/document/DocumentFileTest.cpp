#include "document/DocumentFile.h"

#include "common/Shell.h"
#include "common/TestDib.h"
#include "document/Dib.h"
#include "document/DynaArray.h"
#include "platform/GrafikRW3.h"
#include "platform/Heap.h"

#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <future>
#include <random>
#include <tuple>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using qlytest::readFileBytes;
using qlytest::writeFileBytes;

// A record array of pages that owns its pictures.
class Pages {
  public:
    Pages() : array(sizeof(dib), nullptr) {}
    ~Pages() {
        for (uint32_t i = 0; i < array.count; ++i) {
            freedib(at(i));
        }
    }
    dib& at(uint32_t i) { return *reinterpret_cast<dib*>(array.poi + i * sizeof(dib)); }
    void add(const dib& d) { std::memcpy(array.Add(), &d, sizeof(dib)); }
    TDynaArray array;
};

// Appends little-endian fields, each a value and its width in bytes.
using Fields = std::initializer_list<std::pair<int64_t, int>>;
void le(std::vector<uint8_t>& b, Fields fields) {
    for (auto [value, width] : fields) {
        for (int i = 0; i < width; ++i) {
            b.push_back(uint8_t(uint64_t(value) >> (8 * i)));
        }
    }
}

void header(std::vector<uint8_t>& b, int32_t w, int32_t h, int bits, int64_t image, int64_t res,
            int64_t used) {
    le(b, {{40, 4},
           {w, 4},
           {h, 4},
           {1, 2},
           {bits, 2},
           {0, 4},
           {image, 4},
           {res, 4},
           {res, 4},
           {used, 4},
           {0, 4}});
}

const DocumentLayout kLayout{true, false, false, 12.5, 0.1, 148, 210.25, false};
auto fields(const DocumentLayout& l) {
    return std::tuple(l.BorderCheck, l.ZentCheck, l.MaxSizeCheck, l.RandHEd, l.RandVEd, l.BreitEd,
                      l.HochEd, l.ShowPDFCheck);
}

// kLayout as the file holds it.
std::vector<uint8_t>& trailer(std::vector<uint8_t>& b) {
    le(b, {{1, 1},
           {0, 1},
           {0, 1},
           {std::bit_cast<int64_t>(12.5), 8},
           {std::bit_cast<int64_t>(0.1), 8},
           {std::bit_cast<int64_t>(148.0), 8},
           {std::bit_cast<int64_t>(210.25), 8},
           {0, 1}});
    return b;
}

// Two pages: a 4-bit 3 x 2 picture at 2835 pixels per metre (table entry i = blue i, green 2i,
// red 3i, reserved 7) and a 24-bit 1 x 1 one, with padding bytes that are not zero.
const std::vector<uint8_t> kRows4 = {0x12, 0x3f, 0xaa, 0xbb, 0xc4, 0x50, 0x01, 0x02};
const std::vector<uint8_t> kRow24 = {10, 20, 30, 0x99};

std::vector<uint8_t> handWrittenDocument() {
    std::vector<uint8_t> b;
    le(b, {{52654, 4}, {2, 4}, {104, 4}, {16, 4}});
    header(b, 3, 2, 4, 8, 2835, 16);
    for (int i = 0; i < 16; ++i) {
        le(b, {{i, 1}, {2 * i, 1}, {3 * i, 1}, {7, 1}});
    }
    b.insert(b.end(), kRows4.begin(), kRows4.end());
    le(b, {{40, 4}, {0, 4}});
    header(b, 1, 1, 24, 4, 0, 0);
    b.insert(b.end(), kRow24.begin(), kRow24.end());
    return trailer(b);
}

void addHandWrittenPages(Pages& pages) {
    dib d{};
    newdib(d, 3, 2, 4, nullptr, 0);
    for (int i = 0; i < 16; ++i) {
        d.pmi->bmiColors[i] = RGBQUAD{uint8_t(i), uint8_t(2 * i), uint8_t(3 * i), 7};
    }
    d.pmi->bmiHeader.biXPelsPerMeter = 2835;
    d.pmi->bmiHeader.biYPelsPerMeter = 2835;
    std::memcpy(d.poi, kRows4.data(), kRows4.size());
    pages.add(d);
    newdib(d, 1, 1, 24, nullptr, 0);
    d.pmi->bmiHeader.biClrUsed = 0;
    std::memcpy(d.poi, kRow24.data(), kRow24.size());
    pages.add(d);
}

// A page with a random colour table and random row bytes, padding and reserved bytes included.
void addRandomPage(Pages& pages, int32_t w, int32_t h, int32_t bits, uint32_t seed) {
    dib d{};
    newdib(d, w, h, bits, nullptr, 0);
    ASSERT_NE(d.poi, nullptr);
    std::mt19937 rng(seed);
    for (int i = 0; bits <= 8 && i < (1 << bits); ++i) {
        d.pmi->bmiColors[i] =
            RGBQUAD{uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), uint8_t(rng())};
    }
    for (size_t i = 0; i < size_t(d.bytew) * size_t(h); ++i) {
        d.poi[i] = uint8_t(rng());
    }
    d.pmi->bmiHeader.biXPelsPerMeter = 1000 + int32_t(seed);
    d.pmi->bmiHeader.biYPelsPerMeter = 2000 + int32_t(seed);
    d.pmi->bmiHeader.biClrImportant = seed;
    pages.add(d);
}

TEST(DocumentFile, EmptyDocumentIsMagicCountAndTrailer) {
    qlytest::TempDir dir;
    Pages none;
    ASSERT_EQ(saveDocument(dir.file("e.qly"), none.array, kLayout), DocumentStatus::Ok);
    std::vector<uint8_t> expected = {0xae, 0xcd, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(readFileBytes(dir.file("e.qly")), trailer(expected));
    EXPECT_EQ(expected.size(), 44u);
}

TEST(DocumentFile, BlockSizesFollowTheDepth) {
    struct Case {
        int bits;
        int32_t infoBytes;
        int32_t entries;
        size_t rowBytes; // of a 5 pixels wide row
    };
    const Case cases[] = {{1, 48, 2, 4},   {4, 104, 16, 4}, {8, 1064, 256, 8},
                          {16, 40, 0, 12}, {24, 40, 0, 16}, {32, 40, 0, 20}};
    qlytest::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        Pages pages;
        addRandomPage(pages, 5, 3, c.bits, 1);
        ASSERT_EQ(saveDocument(dir.file("s.qly"), pages.array, {}), DocumentStatus::Ok);
        const std::vector<uint8_t> file = readFileBytes(dir.file("s.qly"));
        ASSERT_EQ(file.size(), 8 + 8 + size_t(c.infoBytes) + 3 * c.rowBytes + 36);
        EXPECT_EQ(file[8] | file[9] << 8, c.infoBytes);
        EXPECT_EQ(file[12] | file[13] << 8, c.entries);
        EXPECT_EQ(file[16 + 14], c.bits);
    }
}

TEST(DocumentFile, EveryDepthAndTheLayoutSurviveARoundTrip) {
    qlytest::TempDir dir;
    Pages saved;
    const int depths[] = {1, 4, 8, 16, 24, 32};
    for (int i = 0; i < 6; ++i) {
        addRandomPage(saved, 7 + 2 * i, 3 + i, depths[i], uint32_t(i + 1));
    }
    ASSERT_EQ(saveDocument(dir.file("r.qly"), saved.array, kLayout), DocumentStatus::Ok);
    Pages read;
    DocumentLayout layout;
    ASSERT_EQ(readDocument(dir.file("r.qly"), read.array, layout), DocumentStatus::Ok);
    ASSERT_EQ(read.array.count, 6u);
    for (uint32_t i = 0; i < 6; ++i) {
        const dib& a = saved.at(i);
        const dib& b = read.at(i);
        SCOPED_TRACE(dibbits(a));
        const int entries = dibbits(a) <= 8 ? 1 << dibbits(a) : 0;
        // Header and colour table, then every row byte.
        EXPECT_EQ(std::memcmp(a.pmi, b.pmi, 40 + size_t(entries) * 4), 0);
        ASSERT_EQ(b.bytew, a.bytew);
        EXPECT_EQ(std::memcmp(a.poi, b.poi, size_t(a.bytew) * size_t(dibheight(a))), 0);
        for (int e = 0; e < entries; ++e) {
            EXPECT_EQ(b.pal.rgb0[e].peRed, a.pmi->bmiColors[e].rgbRed);
        }
    }
    EXPECT_EQ(fields(layout), fields(kLayout));
}

TEST(DocumentFile, ReadsAFileWrittenByHand) {
    qlytest::TempDir dir;
    writeFileBytes(dir.file("h.qly"), handWrittenDocument());
    Pages pages;
    DocumentLayout layout;
    ASSERT_EQ(readDocument(dir.file("h.qly"), pages.array, layout), DocumentStatus::Ok);
    ASSERT_EQ(pages.array.count, 2u);
    const dib& p4 = pages.at(0);
    EXPECT_EQ(std::tuple(dibwidth(p4), dibheight(p4), dibbits(p4), p4.bytew),
              std::tuple(3, 2, 4, 4));
    EXPECT_EQ(p4.pmi->bmiHeader.biYPelsPerMeter, 2835);
    EXPECT_EQ(p4.pmi->bmiColors[5].rgbRed, 15);
    EXPECT_EQ(p4.pmi->bmiColors[5].rgbReserved, 7);
    EXPECT_EQ(p4.pal.rgb0[15].peGreen, 30);
    EXPECT_EQ(std::vector<uint8_t>(p4.poi, p4.poi + 8), kRows4);
    EXPECT_EQ(getpixel(p4, 0, 1), 1u); // the bottom row comes first
    const dib& p24 = pages.at(1);
    EXPECT_EQ(std::tuple(dibwidth(p24), dibbits(p24), getpixel(p24, 0, 0), p24.poi[3]),
              std::tuple(1, 24, 0x1e140au, 0x99));
    EXPECT_EQ(fields(layout), fields(kLayout));
}

TEST(DocumentFile, WriterGivesTheExpectedBytes) {
    qlytest::TempDir dir;
    Pages pages;
    addHandWrittenPages(pages);
    ASSERT_EQ(saveDocument(dir.file("w.qly"), pages.array, kLayout), DocumentStatus::Ok);
    EXPECT_EQ(readFileBytes(dir.file("w.qly")), handWrittenDocument());
}

// Offsets in the hand-written document: the first picture's sizes at 8, its header at 16; the
// second's sizes at 128, its header at 136; the trailer at 180.
void put32(std::vector<uint8_t>& f, size_t at, int32_t v) {
    for (int i = 0; i < 4; ++i) {
        f[at + i] = uint8_t(uint32_t(v) >> (8 * i));
    }
}

void expectRefused(const std::vector<uint8_t>& file, const std::string& fileName) {
    Pages pages;
    DocumentLayout layout; // the defaults, unlike the layout in the file
    EXPECT_EQ(readDocumentFromMemory(file.data(), file.size(), pages.array, layout),
              DocumentStatus::NotADocument);
    EXPECT_EQ(pages.array.count, 0u);
    EXPECT_EQ(pages.array.poi, nullptr);
    EXPECT_EQ(fields(layout), fields(DocumentLayout{}));
    if (!fileName.empty()) {
        writeFileBytes(fileName, file);
        EXPECT_EQ(readDocument(fileName, pages.array, layout), DocumentStatus::NotADocument);
        EXPECT_EQ(pages.array.count, 0u);
    }
}

TEST(DocumentFile, RefusesDamagedFilesAndKeepsNothing) {
    const std::vector<uint8_t> good = handWrittenDocument();
    ASSERT_EQ(good.size(), 216u);
    struct Case {
        const char* what;
        size_t at;
        int32_t value;
    };
    const Case cases[] = {
        {"magic", 0, 52655},
        {"one page more", 4, 3},
        {"absurd count", 4, INT32_MAX},
        {"negative count", 4, -1},
        {"L mismatch", 8, 108},
        {"c 256 with L 104", 8 + 4, 256},
        {"8 bits with c 16", 16 + 12, 8 << 16 | 1},
        {"1 bit with c 0", 136 + 12, 1 << 16 | 1},
        {"depth 2", 136 + 12, 2 << 16 | 1},
        {"depth 15", 136 + 12, 15 << 16 | 1},
        {"two planes", 16 + 12, 4 << 16 | 2},
        {"biSize 12", 16, 12},
        {"RLE compression", 16 + 16, 2},
        {"width 0", 16 + 4, 0},
        {"height 0", 16 + 8, 0},
        {"top-down", 16 + 8, -2},
        {"huge width", 136 + 4, INT32_MAX},
        {"Boolean 2", 180, 2},
        {"not a number", 180 + 3 + 4, 0x7ff80000},
    };
    qlytest::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bad = good;
        put32(bad, c.at, c.value);
        expectRefused(bad, dir.file("bad.qly"));
    }
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    expectRefused(longer, dir.file("long.qly"));
    for (size_t n = 0; n < good.size(); ++n) {
        SCOPED_TRACE(n);
        expectRefused(std::vector<uint8_t>(good.begin(), good.begin() + ptrdiff_t(n)),
                      n % 20 == 0 ? dir.file("short.qly") : "");
    }
}

// A complete document of one picture with blank rows.
std::vector<uint8_t> onePage(int32_t w, int32_t h, int bits) {
    std::vector<uint8_t> b;
    const int entries = bits <= 8 ? 1 << bits : 0;
    const auto stride = size_t((int64_t(w) * bits + 31) / 32 * 4);
    le(b, {{52654, 4}, {1, 4}, {40 + 4 * entries, 4}, {entries, 4}});
    header(b, w, h, bits, 0, 0, 0);
    b.resize(b.size() + size_t(entries) * 4 + stride * size_t(h));
    return trailer(b);
}

TEST(DocumentFile, SidesOverTheCapAreRefusedEvenWithAllTheirRows) {
    struct Case {
        int32_t w;
        int32_t h;
        DocumentStatus expected;
    };
    const Case cases[] = {{65535, 1, DocumentStatus::Ok},
                          {65536, 1, DocumentStatus::NotADocument},
                          {1, 65535, DocumentStatus::Ok},
                          {1, 65536, DocumentStatus::NotADocument}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
        const std::vector<uint8_t> file = onePage(c.w, c.h, 1);
        Pages pages;
        DocumentLayout layout;
        EXPECT_EQ(readDocumentFromMemory(file.data(), file.size(), pages.array, layout),
                  c.expected);
        EXPECT_EQ(pages.array.count, c.expected == DocumentStatus::Ok ? 1u : 0u);
    }
}

int gAllocations = 0;
int gFrees = 0;
int gFailAt = -1;
void* countingAlloc(size_t n) {
    return gAllocations++ == gFailAt ? nullptr : std::calloc(1, n);
}
void countingFree(void* p) {
    gFrees += p != nullptr ? 1 : 0;
    std::free(p);
}

TEST(DocumentFile, PicturesOverThePixelCapOrWithoutMemoryAreRefusedAndReleased) {
    const std::vector<uint8_t> good = handWrittenDocument();
    const uint64_t previous = SetDibPixelLimit(5); // the first page has 6 pixels
    expectRefused(good, "");
    SetDibPixelLimit(previous);
    // Allocations: the first picture, the array's block, the second picture (which fails).
    const qly::HeapAllocator counting{countingAlloc, countingFree};
    qly::setHeapAllocator(&counting);
    gAllocations = gFrees = 0;
    gFailAt = 2;
    expectRefused(good, "");
    qly::setHeapAllocator(nullptr);
    EXPECT_EQ(gAllocations, 3);
    EXPECT_EQ(gFrees, 2);
}

TEST(DocumentFile, ReadsOnlyRegularFilesWithoutBlocking) {
    qlytest::TempDir dir;
    Pages pages;
    DocumentLayout layout;
    EXPECT_EQ(readDocument(dir.file("missing.qly"), pages.array, layout),
              DocumentStatus::CannotOpen);
    EXPECT_EQ(readDocument(dir.path().string(), pages.array, layout), DocumentStatus::NotADocument);
    const std::string fifo = dir.file("fifo.qly");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto reading = std::async(std::launch::async, [&] {
        Pages p;
        DocumentLayout l;
        return std::make_pair(readDocument(fifo, p.array, l), looksLikeDocument(fifo));
    });
    if (reading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        const int unblock = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        ADD_FAILURE() << "reading a FIFO blocked";
        reading.wait();
        ::close(unblock);
    }
    EXPECT_EQ(reading.get(), std::make_pair(DocumentStatus::NotADocument, false));
}

TEST(DocumentFile, WriteProtectedFileOpens) {
    qlytest::TempDir dir;
    const std::string name = dir.file("p.qly");
    writeFileBytes(name, handWrittenDocument());
    ASSERT_EQ(::chmod(name.c_str(), 0444), 0);
    if (::geteuid() != 0) { // root may write whatever the mode says
        EXPECT_LT(::open(name.c_str(), O_WRONLY), 0);
    }
    Pages pages;
    DocumentLayout layout;
    EXPECT_EQ(readDocument(name, pages.array, layout), DocumentStatus::Ok);
    EXPECT_EQ(pages.array.count, 2u);
}

TEST(DocumentFile, LooksLikeDocumentChecksTheMagicNumber) {
    qlytest::TempDir dir;
    writeFileBytes(dir.file("d.qly"), handWrittenDocument());
    writeFileBytes(dir.file("short.qly"), {0xae, 0xcd, 0});
    writeFileBytes(dir.file("p.bmp"), {'B', 'M', 0, 0, 0, 0});
    EXPECT_TRUE(looksLikeDocument(dir.file("d.qly")));
    EXPECT_FALSE(looksLikeDocument(dir.file("short.qly")));
    EXPECT_FALSE(looksLikeDocument(dir.file("p.bmp")));
    EXPECT_FALSE(looksLikeDocument(dir.file("missing.qly")));
    EXPECT_FALSE(looksLikeDocument(dir.path().string()));
}

size_t entriesIn(const fs::path& folder) {
    return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(DocumentSave, RefusesPagesItCouldNotReadBackAndMissingFolders) {
    qlytest::TempDir dir;
    Pages empty;
    empty.add(dib{});
    EXPECT_EQ(saveDocument(dir.file("x.qly"), empty.array, {}), DocumentStatus::WriteFailed);
    Pages compressed;
    addHandWrittenPages(compressed);
    compressed.at(1).pmi->bmiHeader.biCompression = 1;
    EXPECT_EQ(saveDocument(dir.file("x.qly"), compressed.array, {}), DocumentStatus::WriteFailed);
    EXPECT_EQ(entriesIn(dir.path()), 0u);
    Pages good;
    addHandWrittenPages(good);
    EXPECT_EQ(saveDocument(dir.file("no/x.qly"), good.array, {}), DocumentStatus::CannotCreate);
    EXPECT_FALSE(fs::exists(dir.file("no")));
}

TEST(DocumentSave, NewFilesFollowTheUmaskAndReplacedOnesKeepModeAndLinks) {
    qlytest::TempDir dir;
    Pages pages;
    addHandWrittenPages(pages);
    const mode_t previous = ::umask(027);
    const DocumentStatus made = saveDocument(dir.file("n.qly"), pages.array, {});
    ::umask(previous);
    ASSERT_EQ(made, DocumentStatus::Ok);
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("n.qly").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    ASSERT_EQ(::chmod(dir.file("n.qly").c_str(), 0604), 0);
    fs::create_symlink("n.qly", dir.file("link.qly"));
    ASSERT_EQ(saveDocument(dir.file("link.qly"), pages.array, kLayout), DocumentStatus::Ok);
    EXPECT_TRUE(fs::is_symlink(dir.file("link.qly")));
    EXPECT_EQ(readFileBytes(dir.file("n.qly")), handWrittenDocument());
    ASSERT_EQ(::stat(dir.file("n.qly").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0604u);
    EXPECT_EQ(entriesIn(dir.path()), 2u);
}

TEST(DocumentSave, AWriteThatFailsMidwayKeepsTheEarlierFile) {
    qlytest::TempDir dir;
    const std::string name = dir.file("a.qly");
    Pages small;
    addHandWrittenPages(small);
    ASSERT_EQ(saveDocument(name, small.array, kLayout), DocumentStatus::Ok);
    Pages big;
    addRandomPage(big, 300, 300, 24, 3); // 270000 bytes of rows
    // A child process whose files may not grow beyond 100000 bytes; with SIGXFSZ ignored the
    // write that crosses the limit fails with EFBIG instead of ending the process.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100000, 100000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(static_cast<int>(saveDocument(name, big.array, {})));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), static_cast<int>(DocumentStatus::WriteFailed));
    EXPECT_EQ(readFileBytes(name), handWrittenDocument());
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(DocumentFile, ProgressRunsOverTheRowsOfEachPicture) {
    qlytest::TempDir dir;
    Pages pages;
    addRandomPage(pages, 2, 3, 8, 1);
    addRandomPage(pages, 2, 1, 8, 2);
    const std::vector<int> expected = {0, 0, 50, 100, 0, 0, 0, 0};
    std::vector<int> seen;
    auto record = [&seen](int p) { seen.push_back(p); };
    ASSERT_EQ(saveDocument(dir.file("p.qly"), pages.array, {}, record), DocumentStatus::Ok);
    EXPECT_EQ(seen, expected);
    seen.clear();
    Pages read;
    DocumentLayout layout;
    ASSERT_EQ(readDocument(dir.file("p.qly"), read.array, layout, record), DocumentStatus::Ok);
    EXPECT_EQ(seen, expected);
}

} // namespace
