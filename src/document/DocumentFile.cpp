// Reading and writing the document file; the format is described in DocumentFile.h.
#include "document/DocumentFile.h"

#include "document/Dib.h"
#include "document/DynaArray.h"
#include "platform/FileAccess.h"
#include "platform/GrafikRW3.h"

#include <array>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int32_t kMagic = 52654;
constexpr size_t kHeadBytes = 8;     // magic and page count
constexpr size_t kSizesBytes = 8;    // L and c in front of each picture
constexpr size_t kInfoBytes = 40;    // BITMAPINFOHEADER
constexpr size_t kTrailerBytes = 36; // the layout values
constexpr uint64_t kMinBlockBytes = kSizesBytes + kInfoBytes + 4; // a 1 x 1 picture of 24 bits
constexpr int64_t kMaxSide = 65535;                               // the image library's caps
constexpr int64_t kMaxPixelBytes = int64_t{1} << 31;

// Offsets in the trailer.
constexpr size_t kBorderAt = 0;
constexpr size_t kZentAt = 1;
constexpr size_t kMaxSizeAt = 2;
constexpr size_t kRandHAt = 3;
constexpr size_t kRandVAt = 11;
constexpr size_t kBreitAt = 19;
constexpr size_t kHochAt = 27;
constexpr size_t kShowPdfAt = 35;

void storeLe(uint8_t* p, uint64_t v, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

uint64_t loadLe(const uint8_t* p, size_t n) {
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) {
        v |= uint64_t{p[i]} << (8 * i);
    }
    return v;
}

int32_t loadI32(const uint8_t* p) {
    return static_cast<int32_t>(loadLe(p, 4));
}

// Colour table entries a picture of `bits` per pixel stores; -1 for a depth we do not keep.
int32_t tableEntries(int32_t bits) {
    switch (bits) {
    case 1:
    case 4:
    case 8:
        return 1 << bits;
    case 16:
    case 24:
    case 32:
        return 0;
    default:
        return -1;
    }
}

// The DIB row length: rows padded to whole 32-bit words, as newdib makes them.
int64_t rowBytes(int64_t width, int32_t bits) {
    return (width * bits + 31) / 32 * 4;
}

// True for the headers a document holds: 40 bytes, one plane, uncompressed, a kept depth and a
// size within the image library's caps (the settable pixel cap is left to newdib).
bool headerAcceptable(const BITMAPINFOHEADER& h) {
    return h.biSize == kInfoBytes && h.biPlanes == 1 && h.biCompression == BI_RGB &&
           tableEntries(h.biBitCount) >= 0 && h.biWidth > 0 && h.biWidth <= kMaxSide &&
           h.biHeight > 0 && h.biHeight <= kMaxSide &&
           rowBytes(h.biWidth, h.biBitCount) * h.biHeight <= kMaxPixelBytes;
}

void encodeHeader(const BITMAPINFOHEADER& h, uint8_t* p) {
    storeLe(p, h.biSize, 4);
    storeLe(p + 4, static_cast<uint32_t>(h.biWidth), 4);
    storeLe(p + 8, static_cast<uint32_t>(h.biHeight), 4);
    storeLe(p + 12, h.biPlanes, 2);
    storeLe(p + 14, h.biBitCount, 2);
    storeLe(p + 16, h.biCompression, 4);
    storeLe(p + 20, h.biSizeImage, 4);
    storeLe(p + 24, static_cast<uint32_t>(h.biXPelsPerMeter), 4);
    storeLe(p + 28, static_cast<uint32_t>(h.biYPelsPerMeter), 4);
    storeLe(p + 32, h.biClrUsed, 4);
    storeLe(p + 36, h.biClrImportant, 4);
}

BITMAPINFOHEADER decodeHeader(const uint8_t* p) {
    BITMAPINFOHEADER h{};
    h.biSize = static_cast<uint32_t>(loadLe(p, 4));
    h.biWidth = loadI32(p + 4);
    h.biHeight = loadI32(p + 8);
    h.biPlanes = static_cast<uint16_t>(loadLe(p + 12, 2));
    h.biBitCount = static_cast<uint16_t>(loadLe(p + 14, 2));
    h.biCompression = static_cast<uint32_t>(loadLe(p + 16, 4));
    h.biSizeImage = static_cast<uint32_t>(loadLe(p + 20, 4));
    h.biXPelsPerMeter = loadI32(p + 24);
    h.biYPelsPerMeter = loadI32(p + 28);
    h.biClrUsed = static_cast<uint32_t>(loadLe(p + 32, 4));
    h.biClrImportant = static_cast<uint32_t>(loadLe(p + 36, 4));
    return h;
}

void encodeTrailer(const DocumentLayout& l, uint8_t* p) {
    p[kBorderAt] = l.BorderCheck ? 1 : 0;
    p[kZentAt] = l.ZentCheck ? 1 : 0;
    p[kMaxSizeAt] = l.MaxSizeCheck ? 1 : 0;
    storeLe(p + kRandHAt, std::bit_cast<uint64_t>(l.RandHEd), 8);
    storeLe(p + kRandVAt, std::bit_cast<uint64_t>(l.RandVEd), 8);
    storeLe(p + kBreitAt, std::bit_cast<uint64_t>(l.BreitEd), 8);
    storeLe(p + kHochAt, std::bit_cast<uint64_t>(l.HochEd), 8);
    p[kShowPdfAt] = l.ShowPDFCheck ? 1 : 0;
}

// False when a Boolean is neither 0 nor 1 or a length is not a finite number.
bool decodeTrailer(const uint8_t* p, DocumentLayout& l) {
    bool ok = true;
    auto flag = [&](size_t at) {
        ok = ok && p[at] <= 1;
        return p[at] == 1;
    };
    auto number = [&](size_t at) {
        const double v = std::bit_cast<double>(loadLe(p + at, 8));
        ok = ok && std::isfinite(v);
        return v;
    };
    l.BorderCheck = flag(kBorderAt);
    l.ZentCheck = flag(kZentAt);
    l.MaxSizeCheck = flag(kMaxSizeAt);
    l.RandHEd = number(kRandHAt);
    l.RandVEd = number(kRandVAt);
    l.BreitEd = number(kBreitAt);
    l.HochEd = number(kHochAt);
    l.ShowPDFCheck = flag(kShowPdfAt);
    return ok;
}

// The progress reports of one picture's rows: 0 before the first row, the share of rows done
// before each row (0 for a picture of one row) and 0 after the last.
class RowProgress {
  public:
    RowProgress(const DocumentProgress& progress, int32_t height)
        : progress_(progress), height_(height) {
        report(0);
    }
    void beforeRow(int32_t row) const { report(height_ > 1 ? row * 100 / (height_ - 1) : 0); }
    void afterLastRow() const { report(0); }

  private:
    void report(int percent) const {
        if (progress_) {
            progress_(percent);
        }
    }
    const DocumentProgress& progress_;
    int32_t height_;
};

// A copy of record i of a record array of dib records (the array's current record is kept).
dib recordAt(const TDynaArray& a, uint32_t i) {
    dib d{};
    std::memcpy(&d, a.poi + size_t{i} * a.size, sizeof(dib));
    return d;
}

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

// ---- Writing ----

bool writeAll(int fd, const uint8_t* p, size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0 && errno == EINTR) {
            continue;
        }
        if (w <= 0) {
            return false;
        }
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

// Gathers the small pieces of the file into large writes; after the first failure it writes
// nothing more and ok() stays false.
class BufferedWriter {
  public:
    explicit BufferedWriter(int fd) : fd_(fd), buffer_(kBufferBytes) {}

    void bytes(const uint8_t* p, size_t n) {
        if (used_ + n > buffer_.size()) {
            flush();
        }
        if (!ok_) {
            return;
        }
        if (n >= buffer_.size()) {
            ok_ = writeAll(fd_, p, n);
            return;
        }
        std::memcpy(buffer_.data() + used_, p, n);
        used_ += n;
    }
    void i32(int32_t v) {
        std::array<uint8_t, 4> b{};
        storeLe(b.data(), static_cast<uint32_t>(v), 4);
        bytes(b.data(), b.size());
    }
    bool flush() {
        ok_ = ok_ && writeAll(fd_, buffer_.data(), used_);
        used_ = 0;
        return ok_;
    }

  private:
    static constexpr size_t kBufferBytes = size_t{1} << 16;
    int fd_;
    std::vector<uint8_t> buffer_;
    size_t used_ = 0;
    bool ok_ = true;
};

// A page the reader will take back: the header it checks and the DIB row length.
bool storable(const dib& d) {
    return d.pmi != nullptr && d.poi != nullptr && headerAcceptable(d.pmi->bmiHeader) &&
           d.bytew == rowBytes(d.pmi->bmiHeader.biWidth, d.pmi->bmiHeader.biBitCount);
}

void writePicture(BufferedWriter& out, const dib& d, const DocumentProgress& progress) {
    const BITMAPINFOHEADER& h = d.pmi->bmiHeader;
    const int32_t entries = tableEntries(h.biBitCount);
    out.i32(static_cast<int32_t>(kInfoBytes) + 4 * entries);
    out.i32(entries);
    std::array<uint8_t, kInfoBytes> info{};
    encodeHeader(h, info.data());
    out.bytes(info.data(), info.size());
    out.bytes(reinterpret_cast<const uint8_t*>(d.pmi->bmiColors), size_t(entries) * 4);
    const RowProgress rows(progress, h.biHeight);
    for (int32_t r = 0; r < h.biHeight; ++r) {
        rows.beforeRow(r);
        out.bytes(d.poi + size_t(r) * size_t(d.bytew), size_t(d.bytew));
    }
    rows.afterLastRow();
}

// ---- Reading ----

// Where the reader takes its bytes from, with the count of bytes still to come.
class Source {
  public:
    explicit Source(uint64_t size) : remaining_(size) {}
    virtual ~Source() = default;
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;
    uint64_t remaining() const { return remaining_; }
    // Copies the next n bytes to `to`; false when they are not all there.
    bool read(void* to, size_t n) {
        if (n > remaining_ || !fetch(static_cast<uint8_t*>(to), n)) {
            return false;
        }
        remaining_ -= n;
        return true;
    }
    // True when nothing follows (a file that grew since it was opened is not at its end).
    virtual bool atEnd() { return remaining_ == 0; }

  private:
    virtual bool fetch(uint8_t* to, size_t n) = 0;
    uint64_t remaining_;
};

class MemorySource final : public Source {
  public:
    MemorySource(const uint8_t* data, size_t size) : Source(size), data_(data) {}

  private:
    bool fetch(uint8_t* to, size_t n) override {
        if (n > 0) {
            std::memcpy(to, data_, n);
            data_ += n;
        }
        return true;
    }
    const uint8_t* data_;
};

class FileSource final : public Source {
  public:
    FileSource(int fd, uint64_t size) : Source(size), fd_(fd) {}
    bool atEnd() override {
        uint8_t extra = 0;
        return Source::atEnd() && ::read(fd_, &extra, 1) == 0;
    }

  private:
    bool fetch(uint8_t* to, size_t n) override {
        while (n > 0) {
            const ssize_t got = ::read(fd_, to, n);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                return false; // a read error, or the file was cut short while we read it
            }
            to += got;
            n -= static_cast<size_t>(got);
        }
        return true;
    }
    int fd_;
};

// The pictures a read adds to the caller's array; released and removed again unless the whole
// document was read.
class AddedPages {
  public:
    explicit AddedPages(TDynaArray& pages) : pages_(pages), start_(pages.count) {}
    ~AddedPages() {
        if (kept_) {
            return;
        }
        for (uint32_t n = pages_.count; n > start_; --n) {
            dib d = recordAt(pages_, n - 1);
            freedib(d);
            pages_.Delete(static_cast<int32_t>(n - 1));
        }
    }
    AddedPages(const AddedPages&) = delete;
    AddedPages& operator=(const AddedPages&) = delete;
    // Appends a picture; false (the picture released) when the array cannot grow.
    bool add(dib& d) {
        void* slot = pages_.Add();
        if (slot == nullptr) {
            freedib(d);
            return false;
        }
        std::memcpy(slot, &d, sizeof(dib));
        return true;
    }
    void keep() { kept_ = true; }

  private:
    TDynaArray& pages_;
    uint32_t start_;
    bool kept_ = false;
};

// A header with room for the largest colour table, in the layout newdib takes its colours from.
struct InfoWithTable {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[256];
};

bool readPicture(Source& in, AddedPages& pages, const DocumentProgress& progress) {
    std::array<uint8_t, kSizesBytes> sizes{};
    if (!in.read(sizes.data(), sizes.size())) {
        return false;
    }
    const int32_t infoBytes = loadI32(sizes.data());
    const int32_t entries = loadI32(sizes.data() + 4);
    if (entries < 0 || entries > 256 ||
        infoBytes != static_cast<int32_t>(kInfoBytes) + 4 * entries) {
        return false;
    }
    std::array<uint8_t, kInfoBytes> raw{};
    if (!in.read(raw.data(), raw.size())) {
        return false;
    }
    InfoWithTable info{};
    info.bmiHeader = decodeHeader(raw.data());
    const BITMAPINFOHEADER& h = info.bmiHeader;
    if (!headerAcceptable(h) || tableEntries(h.biBitCount) != entries ||
        !in.read(info.bmiColors, size_t(entries) * 4)) {
        return false;
    }
    // The rows and the trailer must still fit in what is left before anything is allocated.
    const int64_t stride = rowBytes(h.biWidth, h.biBitCount);
    const auto pixelBytes = static_cast<uint64_t>(stride * h.biHeight);
    if (in.remaining() < kTrailerBytes || pixelBytes > in.remaining() - kTrailerBytes) {
        return false;
    }
    dib d{};
    newdib(d, h.biWidth, h.biHeight, h.biBitCount, reinterpret_cast<const BITMAPINFO*>(&info),
           entries);
    if (d.poi == nullptr) {
        return false; // over the pixel cap, or no memory
    }
    if (d.bytew != stride) {
        freedib(d);
        return false;
    }
    // The file's header is kept but for the image size, which stays the one of the rows.
    BITMAPINFOHEADER& kept = d.pmi->bmiHeader;
    kept.biXPelsPerMeter = h.biXPelsPerMeter;
    kept.biYPelsPerMeter = h.biYPelsPerMeter;
    kept.biClrUsed = h.biClrUsed;
    kept.biClrImportant = h.biClrImportant;
    if (!pages.add(d)) {
        return false;
    }
    // The picture is the array's now, so a short read below releases it with the others.
    const RowProgress rows(progress, h.biHeight);
    for (int32_t r = 0; r < h.biHeight; ++r) {
        rows.beforeRow(r);
        if (!in.read(d.poi + size_t(r) * size_t(stride), size_t(stride))) {
            return false;
        }
    }
    rows.afterLastRow();
    return true;
}

DocumentStatus readFrom(Source& in, TDynaArray& pages, DocumentLayout& layout,
                        const DocumentProgress& progress, const PageRead& pageRead) {
    if (pages.size != sizeof(dib)) {
        return DocumentStatus::NotADocument; // an array of other records takes no pages
    }
    AddedPages added(pages);
    std::array<uint8_t, kHeadBytes> head{};
    if (!in.read(head.data(), head.size()) || loadI32(head.data()) != kMagic) {
        return DocumentStatus::NotADocument;
    }
    const int32_t count = loadI32(head.data() + 4);
    const uint64_t room = in.remaining() < kTrailerBytes ? 0 : in.remaining() - kTrailerBytes;
    if (count < 0 || static_cast<uint64_t>(count) > room / kMinBlockBytes) {
        return DocumentStatus::NotADocument;
    }
    for (int32_t i = 0; i < count; ++i) {
        if (!readPicture(in, added, progress)) {
            return DocumentStatus::NotADocument;
        }
        if (pageRead) {
            pageRead(*static_cast<dib*>(pages.GetObject(pages.count - 1)));
        }
    }
    std::array<uint8_t, kTrailerBytes> trailer{};
    DocumentLayout read;
    if (!in.read(trailer.data(), trailer.size()) || !in.atEnd() ||
        !decodeTrailer(trailer.data(), read)) {
        return DocumentStatus::NotADocument;
    }
    layout = read;
    added.keep();
    return DocumentStatus::Ok;
}

// Opens a file for reading without blocking on FIFOs or devices; -1 when it cannot be opened.
int openForReading(const std::string& fileName) {
    return ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
}

bool isRegularFile(int fd, uint64_t& size) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        return false;
    }
    size = static_cast<uint64_t>(st.st_size);
    return true;
}

} // namespace

DocumentStatus saveDocument(const std::string& fileName, TDynaArray& bilder,
                            const DocumentLayout& layout, const DocumentProgress& progress) {
    if (bilder.count > 0 && bilder.size != sizeof(dib)) {
        return DocumentStatus::WriteFailed;
    }
    if (bilder.count > static_cast<uint32_t>(INT32_MAX)) {
        return DocumentStatus::WriteFailed;
    }
    for (uint32_t i = 0; i < bilder.count; ++i) {
        if (!storable(recordAt(bilder, i))) {
            return DocumentStatus::WriteFailed;
        }
    }
    qly::ReplacingFile file;
    if (file.open(fileName, false) != qly::ReplacingFile::Opened::Replacing) {
        return DocumentStatus::CannotCreate;
    }
    BufferedWriter out(file.fd());
    out.i32(kMagic);
    out.i32(static_cast<int32_t>(bilder.count));
    for (uint32_t i = 0; i < bilder.count; ++i) {
        writePicture(out, recordAt(bilder, i), progress);
    }
    std::array<uint8_t, kTrailerBytes> trailer{};
    encodeTrailer(layout, trailer.data());
    out.bytes(trailer.data(), trailer.size());
    if (!out.flush() || !file.commit()) {
        return DocumentStatus::WriteFailed;
    }
    return DocumentStatus::Ok;
}

DocumentStatus readDocument(const std::string& fileName, TDynaArray& pages, DocumentLayout& layout,
                            const DocumentProgress& progress, const PageRead& pageRead) {
    const FileDescriptor fd(openForReading(fileName));
    if (fd.get() < 0) {
        return DocumentStatus::CannotOpen;
    }
    uint64_t size = 0;
    if (!isRegularFile(fd.get(), size)) {
        return DocumentStatus::NotADocument;
    }
    FileSource in(fd.get(), size);
    return readFrom(in, pages, layout, progress, pageRead);
}

DocumentStatus readDocumentFromMemory(const uint8_t* data, size_t size, TDynaArray& pages,
                                      DocumentLayout& layout) {
    MemorySource in(data, data != nullptr ? size : 0);
    return readFrom(in, pages, layout, {}, {});
}

bool looksLikeDocument(const std::string& fileName) {
    const FileDescriptor fd(openForReading(fileName));
    uint64_t size = 0;
    if (fd.get() < 0 || !isRegularFile(fd.get(), size)) {
        return false;
    }
    FileSource in(fd.get(), size);
    std::array<uint8_t, 4> magic{};
    return in.read(magic.data(), magic.size()) && loadI32(magic.data()) == kMagic;
}
