#include "platform/faxencode.h"

#include "platform/CodePage.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct TiffCloser {
    void operator()(TIFF* t) const { TIFFClose(t); }
};
using Tiff = std::unique_ptr<TIFF, TiffCloser>;

struct OptionsFree {
    void operator()(TIFFOpenOptions* o) const { TIFFOpenOptionsFree(o); }
};
using TiffOptions = std::unique_ptr<TIFFOpenOptions, OptionsFree>;

// The image in progress. Rows are packed most significant bit first, a set bit being black (the
// TIFF "min-is-white" layout that libtiff's coder takes).
struct FaxImage {
    File file;
    std::string fileName;
    bool failed = false;
    bool ended = false;
    int32_t width = 0;
    int32_t height = 0;
    size_t stride = 0;
    std::vector<uint8_t> bits;
    int32_t row = 0;
    int32_t x = 0;
    uint8_t* rowBits = nullptr; // start of the current row; null when no more pixels are taken
};

FaxImage gImage;

// A TIFF file held in memory, for libtiff's client I/O.
struct MemoryFile {
    std::vector<uint8_t> data;
    uint64_t pos = 0;
};

tmsize_t memRead(thandle_t h, void* buf, tmsize_t size) {
    auto* m = static_cast<MemoryFile*>(h);
    if (size <= 0 || m->pos >= m->data.size()) {
        return 0;
    }
    const uint64_t n = std::min<uint64_t>(uint64_t(size), m->data.size() - m->pos);
    std::memcpy(buf, m->data.data() + m->pos, n);
    m->pos += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t memWrite(thandle_t h, void* buf, tmsize_t size) {
    auto* m = static_cast<MemoryFile*>(h);
    if (size <= 0) {
        return 0;
    }
    try {
        const uint64_t end = m->pos + uint64_t(size);
        if (end > m->data.size()) {
            m->data.resize(end);
        }
    } catch (const std::bad_alloc&) {
        return -1;
    }
    std::memcpy(m->data.data() + m->pos, buf, size_t(size));
    m->pos += uint64_t(size);
    return size;
}

toff_t memSeek(thandle_t h, toff_t off, int whence) {
    auto* m = static_cast<MemoryFile*>(h);
    uint64_t base = 0;
    if (whence == SEEK_CUR) {
        base = m->pos;
    } else if (whence == SEEK_END) {
        base = m->data.size();
    }
    m->pos = base + off;
    return m->pos;
}

int memClose(thandle_t) {
    return 0;
}
toff_t memSize(thandle_t h) {
    return static_cast<MemoryFile*>(h)->data.size();
}
int memMap(thandle_t, void**, toff_t*) {
    return 0;
}
void memUnmap(thandle_t, void*, toff_t) {}

// libtiff's messages stay inside: a failure shows as a failed call.
int quietHandler(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

Tiff openMemoryTiff(MemoryFile& m, const char* mode) {
    TiffOptions options(TIFFOpenOptionsAlloc());
    if (!options) {
        return nullptr;
    }
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), quietHandler, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), quietHandler, nullptr);
    return Tiff(TIFFClientOpenExt("g4", mode, &m, memRead, memWrite, memSeek, memClose, memSize,
                                  memMap, memUnmap, options.get()));
}

// Codes the packed rows with libtiff's Group 4 coder as a one-strip TIFF in memory and returns
// the strip's raw bytes: the T.6 code of all rows followed by EOFB. Empty on failure.
std::vector<uint8_t> codeGroup4(int32_t width, int32_t height, const uint8_t* packed) {
    MemoryFile m;
    {
        Tiff t = openMemoryTiff(m, "w");
        if (!t) {
            return {};
        }
        const bool ok = TIFFSetField(t.get(), TIFFTAG_IMAGEWIDTH, uint32_t(width)) == 1 &&
                        TIFFSetField(t.get(), TIFFTAG_IMAGELENGTH, uint32_t(height)) == 1 &&
                        TIFFSetField(t.get(), TIFFTAG_BITSPERSAMPLE, 1) == 1 &&
                        TIFFSetField(t.get(), TIFFTAG_SAMPLESPERPIXEL, 1) == 1 &&
                        TIFFSetField(t.get(), TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4) == 1 &&
                        TIFFSetField(t.get(), TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE) == 1 &&
                        TIFFSetField(t.get(), TIFFTAG_FILLORDER, FILLORDER_MSB2LSB) == 1 &&
                        TIFFSetField(t.get(), TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) == 1 &&
                        TIFFSetField(t.get(), TIFFTAG_ROWSPERSTRIP, uint32_t(height)) == 1;
        if (!ok) {
            return {};
        }
        // libtiff codes from a buffer it may modify, so it gets its own copy.
        std::vector<uint8_t> rows(packed, packed + (size_t(width) + 7) / 8 * size_t(height));
        if (TIFFWriteEncodedStrip(t.get(), 0, rows.data(), tmsize_t(rows.size())) < 0) {
            return {};
        }
        if (TIFFWriteDirectory(t.get()) != 1) {
            return {};
        }
    }
    m.pos = 0;
    Tiff r = openMemoryTiff(m, "r");
    if (!r) {
        return {};
    }
    uint64_t* counts = nullptr;
    if (TIFFGetField(r.get(), TIFFTAG_STRIPBYTECOUNTS, &counts) != 1 || counts == nullptr ||
        counts[0] == 0 || counts[0] > m.data.size()) {
        return {};
    }
    std::vector<uint8_t> strip(static_cast<size_t>(counts[0]));
    if (TIFFReadRawStrip(r.get(), 0, strip.data(), tmsize_t(strip.size())) !=
        tmsize_t(strip.size())) {
        return {};
    }
    return strip;
}

inline void putRun(int32_t run, bool black) {
    FaxImage& img = gImage;
    if (img.rowBits == nullptr || run < 1) {
        return;
    }
    if (run == 1) { // the usual call: one pixel
        if (img.x < img.width) {
            if (black) {
                img.rowBits[img.x >> 3] |= uint8_t(0x80u >> (img.x & 7));
            }
            ++img.x;
        }
        return;
    }
    const int32_t end = img.x + std::min(run, img.width - img.x);
    if (black) {
        for (int32_t x = img.x; x < end; ++x) {
            img.rowBits[x >> 3] |= uint8_t(0x80u >> (x & 7));
        }
    }
    img.x = end;
}

void resetImage() {
    gImage = FaxImage{};
}

} // namespace

bool openccittfile(const char16_t* fileName) {
    resetImage();
    if (fileName == nullptr) {
        gImage.failed = true;
        return false;
    }
    gImage.fileName = qly::utf16ToUtf8(fileName);
    gImage.file.reset(std::fopen(gImage.fileName.c_str(), "wb"));
    if (!gImage.file) {
        gImage.failed = true;
        return false;
    }
    return true;
}

void g4j_initialize(int32_t width, int32_t height) {
    FaxImage& img = gImage;
    if (!img.file || img.failed) {
        img.failed = true;
        return;
    }
    if (width < 1 || height < 1) {
        img.failed = true;
        return;
    }
    img.width = width;
    img.height = height;
    img.stride = (size_t(width) + 7) / 8;
    try {
        img.bits.assign(img.stride * size_t(height), 0);
    } catch (const std::bad_alloc&) {
        img.failed = true;
        return;
    }
    img.row = 0;
    img.x = 0;
    img.rowBits = img.bits.data();
}

void g4j_encode_white(int32_t run) {
    putRun(run, false);
}
void g4j_encode_black(int32_t run) {
    putRun(run, true);
}

void g4j_encode_new_row() {
    FaxImage& img = gImage;
    if (img.rowBits == nullptr) {
        return;
    }
    ++img.row;
    img.x = 0;
    img.rowBits = img.row < img.height ? img.bits.data() + img.stride * size_t(img.row) : nullptr;
}

void g4j_encode_EOFB() {
    // libtiff's coder ends every strip with EOFB; from here on nothing more is taken.
    gImage.ended = true;
    gImage.rowBits = nullptr;
}

bool closeccittfile() {
    FaxImage& img = gImage;
    bool ok = img.file && !img.failed && img.width > 0;
    if (ok) {
        std::vector<uint8_t> code;
        try {
            code = codeGroup4(img.width, img.height, img.bits.data());
        } catch (const std::bad_alloc&) {
            code.clear();
        }
        ok = !code.empty() &&
             std::fwrite(code.data(), 1, code.size(), img.file.get()) == code.size() &&
             std::fflush(img.file.get()) == 0;
    }
    if (img.file) {
        ok = std::fclose(img.file.release()) == 0 && ok;
        if (!ok) {
            std::error_code ec;
            std::filesystem::remove(img.fileName, ec);
        }
    }
    resetImage();
    return ok;
}

bool g4EncodePacked(const uint8_t* rows, int32_t width, int32_t height, std::vector<uint8_t>& out) {
    out.clear();
    if (rows == nullptr || width < 1 || height < 1) {
        return false;
    }
    try {
        out = codeGroup4(width, height, rows);
    } catch (const std::bad_alloc&) {
        out.clear();
    }
    return !out.empty();
}
