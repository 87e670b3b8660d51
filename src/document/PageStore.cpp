#include "document/PageStore.h"

#include "platform/GrafikRW3.h"
#include "platform/Texts.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unordered_map>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace qly {
namespace {

namespace fs = std::filesystem;

constexpr char kMagic[8] = {'Q', 'L', 'Y', 'P', 'A', 'G', 'E', '1'};
constexpr uint64_t kHeadBytes = 64;
constexpr uint64_t kMaxSide = 65535;
constexpr uint64_t kMaxPixelBytes = uint64_t{1} << 31;

// The head of a page file, little-endian as the machine writes it (the files never leave it).
struct PageHead {
    char magic[8];
    uint32_t headerBytes; // bitmap header and colour table
    uint32_t dataOffset;  // where the rows start
    uint64_t pixelBytes;
    uint8_t reserved[40];
};
static_assert(sizeof(PageHead) == kHeadBytes);

int tableEntries(int bits) {
    return bits <= 8 ? 1 << bits : 0;
}

uint64_t strideOf(int64_t width, int bits) {
    return static_cast<uint64_t>(((width * bits + 31) / 32) * 4);
}

// One mapped page file: which store it belongs to (null once that store has ended) and its name.
struct Mapping {
    PageStore* store;
    std::string name; // within the folder
    std::string path;
    uint64_t length;
};

struct Registry {
    std::mutex mutex;
    std::unordered_map<uintptr_t, Mapping> mappings; // by the mapping's first byte
};

Registry& registry() {
    static Registry* r = new Registry; // outlives every static page record
    return *r;
}

bool writeAll(int fd, const void* data, size_t n, uint64_t at) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (n > 0) {
        const ssize_t w = ::pwrite(fd, p, n, static_cast<off_t>(at));
        if (w < 0 && errno == EINTR) {
            continue;
        }
        if (w <= 0) {
            if (w == 0) {
                errno = ENOSPC;
            }
            return false;
        }
        p += w;
        n -= static_cast<size_t>(w);
        at += static_cast<uint64_t>(w);
    }
    return true;
}

std::string describe(int error) {
    switch (error) {
    case ENOSPC:
        return qly::translate("PageStore", "Auf dem Datenträger ist kein Platz mehr frei.");
    case EDQUOT:
        return qly::translate("PageStore", "Das Speicherkontingent des Benutzers ist erschöpft.");
    case EFBIG:
        return qly::translate("PageStore", "Die Datei würde zu groß.");
    case EACCES:
    case EPERM:
    case EROFS:
        return qly::translate("PageStore", "Der Ordner darf nicht beschrieben werden.");
    default:
        return std::strerror(error);
    }
}

void fillPaletteCopy(dib& d) {
    const int n = tableEntries(d.pmi->bmiHeader.biBitCount);
    d.pal.ver = 0x300;
    d.pal.num = static_cast<uint16_t>(n);
    for (int i = 0; i < n; ++i) {
        const RGBQUAD& q = d.pmi->bmiColors[i];
        d.pal.rgb0[i] = PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
    }
    d.ispal = n > 0 ? 1 : 0;
}

} // namespace

std::string pageStateFolder() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && state[0] == '/') {
        return std::string(state) + "/quillory";
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return std::string(home) + "/.local/state/quillory";
    }
    std::error_code ec;
    return (fs::temp_directory_path(ec) / "quillory-state").string();
}

std::unique_ptr<PageStore> PageStore::open(const std::string& base, std::string& error) {
    std::error_code ec;
    fs::create_directories(base, ec);
    ::chmod(base.c_str(), 0700); // pages are private, as the temporary folder is
    std::string pattern = base + "/session-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) {
        error = qly::withArgs(
            qly::translate("PageStore",
                           "Der Ordner für die Seiten kann nicht angelegt werden: %1 (%2)"),
            {base, describe(errno)});
        return nullptr;
    }
    // Held while the store lives: another process sees by it that the folder is in use.
    const int lockFd = ::open(buffer.data(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (lockFd < 0 || ::flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
        const int saved = errno;
        if (lockFd >= 0) {
            ::close(lockFd);
        }
        ::rmdir(buffer.data());
        error = qly::withArgs(
            qly::translate("PageStore",
                           "Der Ordner für die Seiten kann nicht gesperrt werden: %1 (%2)"),
            {base, describe(saved)});
        return nullptr;
    }
    return std::unique_ptr<PageStore>(new PageStore(std::string(buffer.data()) + "/", lockFd));
}

PageStore::PageStore(std::string folder, int lockFd)
    : folder_(std::move(folder)), lockFd_(lockFd) {}

PageStore::~PageStore() {
    {
        Registry& r = registry();
        const std::lock_guard<std::mutex> lock(r.mutex);
        for (auto& [address, m] : r.mappings) {
            if (m.store == this) {
                m.store = nullptr; // the mapping stays valid after its file is gone
            }
        }
    }
    for (int fd : unsynced_) {
        ::close(fd);
    }
    std::error_code ec;
    fs::remove_all(fs::path(folder_), ec);
    ::close(lockFd_);
}

bool PageStore::isStored(const dib& d) {
    if (d.poi == nullptr) {
        return false;
    }
    Registry& r = registry();
    const std::lock_guard<std::mutex> lock(r.mutex);
    return r.mappings.count(d.poih) != 0;
}

std::string PageStore::fileOf(const dib& d) {
    if (d.poi == nullptr) {
        return {};
    }
    Registry& r = registry();
    const std::lock_guard<std::mutex> lock(r.mutex);
    const auto it = r.mappings.find(d.poih);
    return it == r.mappings.end() ? std::string() : it->second.name;
}

bool PageStore::map(int fd, const std::string& name, uint64_t length, dib& d, std::string& error) {
    void* base = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (base == MAP_FAILED) {
        error = qly::withArgs(
            qly::translate("PageStore", "Die Seitendatei %1 kann nicht eingeblendet werden (%2)"),
            {folder_ + name, describe(errno)});
        return false;
    }
    const auto* head = static_cast<const PageHead*>(base);
    auto* bytes = static_cast<uint8_t*>(base);
    d.pmi = reinterpret_cast<BITMAPINFO*>(bytes + kHeadBytes);
    d.poi = bytes + head->dataOffset;
    d.pmih = reinterpret_cast<uintptr_t>(base);
    d.poih = reinterpret_cast<uintptr_t>(base);
    d.bytew = static_cast<int32_t>(strideOf(d.pmi->bmiHeader.biWidth, d.pmi->bmiHeader.biBitCount));
    Registry& r = registry();
    const std::lock_guard<std::mutex> lock(r.mutex);
    r.mappings[d.poih] = Mapping{this, name, folder_ + name, length};
    return true;
}

int PageStore::createPageFile(std::string& name) {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "p%06llu.page",
                      static_cast<unsigned long long>(next_++));
        name = buffer;
        const int fd =
            ::open((folder_ + name).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

std::string PageStore::reserveName() {
    std::string name;
    const int fd = createPageFile(name);
    if (fd < 0) {
        return {};
    }
    ::close(fd);
    return name;
}

bool PageStore::adopt(dib& d, std::string& error) {
    if (d.poi == nullptr || d.pmi == nullptr || isStored(d)) {
        return true;
    }
    const BITMAPINFOHEADER& h = d.pmi->bmiHeader;
    const int bits = h.biBitCount;
    const uint64_t stride = strideOf(h.biWidth, bits);
    if (h.biWidth <= 0 || h.biHeight <= 0 || static_cast<int64_t>(stride) != d.bytew) {
        return true; // not a page of the usual layout: it stays on the heap
    }
    PageHead head{};
    std::memcpy(head.magic, kMagic, sizeof kMagic);
    head.headerBytes =
        static_cast<uint32_t>(sizeof(BITMAPINFOHEADER) + size_t(tableEntries(bits)) * 4);
    head.dataOffset = static_cast<uint32_t>((kHeadBytes + head.headerBytes + 63) & ~uint64_t{63});
    head.pixelBytes = stride * static_cast<uint64_t>(h.biHeight);
    const uint64_t length = head.dataOffset + head.pixelBytes;

    std::string name;
    const int fd = createPageFile(name);
    if (fd < 0) {
        error = qly::withArgs(
            qly::translate("PageStore", "Die Seite kann nicht im Ordner %1 abgelegt werden: %2"),
            {folder_, describe(errno)});
        return false;
    }
    // Space first, so a full disk is found before anything is written; then the bytes.
    int rc = 0;
    do {
        rc = ::posix_fallocate(fd, 0, static_cast<off_t>(length));
    } while (rc == EINTR);
    BITMAPINFOHEADER header = h;
    header.biSizeImage = static_cast<uint32_t>(head.pixelBytes);
    header.biClrUsed = static_cast<uint32_t>(tableEntries(bits));
    const bool written = (rc == 0 || rc == EOPNOTSUPP || rc == EINVAL) &&
                         writeAll(fd, &head, sizeof head, 0) &&
                         writeAll(fd, &header, sizeof header, kHeadBytes) &&
                         writeAll(fd, d.pmi->bmiColors, size_t(tableEntries(bits)) * 4,
                                  kHeadBytes + sizeof header) &&
                         writeAll(fd, d.poi, head.pixelBytes, head.dataOffset);
    if (!written) {
        const int saved = rc != 0 && rc != EOPNOTSUPP && rc != EINVAL ? rc : errno;
        ::close(fd);
        ::unlink((folder_ + name).c_str());
        error = qly::withArgs(
            qly::translate(
                "PageStore",
                "Die Seite kann nicht im Ordner %1 abgelegt werden: %2 Benötigt werden %3 MB."),
            {folder_, describe(saved), std::to_string((length + (1 << 20) - 1) >> 20)});
        return false;
    }
    bool journaled = false;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        journaled = defer_;
    }
    if (journaled) {
        // Start writing the file back now; the journal waits for it in flushPages.
        ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    }
    dib stored = d;
    if (!map(fd, name, length, stored, error)) {
        ::close(fd);
        ::unlink((folder_ + name).c_str());
        return false;
    }
    {
        // Kept open for the journal's flush; without a journal nothing waits for the disk.
        const std::lock_guard<std::mutex> lock(mutex_);
        if (journaled) {
            unsynced_.push_back(fd);
        } else {
            ::close(fd);
        }
    }
    // The heap blocks go; the record points into the file from now on.
    dib old = d;
    old.pal = {};
    d.pmi = stored.pmi;
    d.poi = stored.poi;
    d.pmih = stored.pmih;
    d.poih = stored.poih;
    deldib(old);
    return true;
}

bool PageStore::adoptFile(const std::string& name, dib& d, std::string& error) {
    const std::string path = folder_ + name;
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0) {
            ::close(fd);
        }
        error = qly::withArgs(qly::translate("PageStore", "Die Seitendatei %1 fehlt."), {path});
        return false;
    }
    // Everything the head and the bitmap header say is checked against the file before mapping.
    PageHead head{};
    BITMAPINFOHEADER h{};
    const auto size = static_cast<uint64_t>(st.st_size);
    const bool read = size >= kHeadBytes + sizeof h &&
                      ::pread(fd, &head, sizeof head, 0) == static_cast<ssize_t>(sizeof head) &&
                      ::pread(fd, &h, sizeof h, kHeadBytes) == static_cast<ssize_t>(sizeof h);
    const bool ours = read && std::memcmp(head.magic, kMagic, sizeof kMagic) == 0;
    const int bits = h.biBitCount;
    const bool depthKnown =
        bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    const bool consistent =
        ours && depthKnown && h.biSize == sizeof h && h.biWidth > 0 && h.biHeight > 0 &&
        static_cast<uint64_t>(h.biWidth) <= kMaxSide &&
        static_cast<uint64_t>(h.biHeight) <= kMaxSide &&
        head.headerBytes == sizeof h + size_t(tableEntries(bits)) * 4 &&
        head.dataOffset == ((kHeadBytes + head.headerBytes + 63) & ~uint64_t{63}) &&
        head.pixelBytes == strideOf(h.biWidth, bits) * static_cast<uint64_t>(h.biHeight) &&
        head.pixelBytes <= kMaxPixelBytes;
    if (!consistent || size < head.dataOffset + head.pixelBytes) {
        ::close(fd);
        error = qly::withArgs(
            !ours ? qly::translate("PageStore", "Die Datei %1 ist keine Seitendatei.")
                  : qly::translate("PageStore",
                                   "Die Seitendatei %1 ist unvollständig oder beschädigt."),
            {path});
        return false;
    }
    dib page{};
    if (!map(fd, name, head.dataOffset + head.pixelBytes, page, error)) {
        ::close(fd);
        return false;
    }
    ::close(fd); // the mapping keeps the file; it is complete on the disk already
    fillPaletteCopy(page);
    d = page;
    return true;
}

bool PageStore::flushPages() {
    std::vector<int> files;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        files.swap(unsynced_);
    }
    bool ok = true;
    for (int fd : files) {
        ok = ::fdatasync(fd) == 0 && ok;
        ::close(fd);
    }
    return ok;
}

void PageStore::deferRemoval(bool defer) {
    const std::lock_guard<std::mutex> lock(mutex_);
    defer_ = defer;
}

void PageStore::removeReleased() {
    std::vector<std::string> files;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        files.swap(released_);
    }
    for (const std::string& path : files) {
        ::unlink(path.c_str());
    }
}

uint64_t PageStore::freeBytes() const {
    struct statvfs fsInfo {};
    if (::statvfs(folder_.c_str(), &fsInfo) != 0) {
        return 0;
    }
    return static_cast<uint64_t>(fsInfo.f_bavail) * fsInfo.f_frsize;
}

bool PageStore::release(dib& d) {
    if (d.poi == nullptr) {
        return false;
    }
    Mapping m;
    {
        Registry& r = registry();
        const std::lock_guard<std::mutex> lock(r.mutex);
        const auto it = r.mappings.find(d.poih);
        if (it == r.mappings.end()) {
            return false;
        }
        m = it->second;
        r.mappings.erase(it);
        if (m.store != nullptr) {
            const std::lock_guard<std::mutex> storeLock(m.store->mutex_);
            if (m.store->defer_) {
                m.store->released_.push_back(m.path);
                m.path.clear();
            }
        }
        if (!m.path.empty() && m.store != nullptr) {
            ::unlink(m.path.c_str());
        }
    }
    ::munmap(reinterpret_cast<void*>(d.poih), m.length);
    d.pmi = nullptr;
    d.poih = 0;
    d.pmih = 0;
    d.poi = nullptr;
    return true;
}

} // namespace qly
