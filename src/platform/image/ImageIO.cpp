// Front end of the image library: format table, detection, file access and quality settings.
#include "platform/FileAccess.h"
#include "platform/GrafikRW3.h"
#include "platform/JpegFile.h"
#include "platform/Texts.h"
#include "platform/image/Codec.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <new>
#include <system_error>

namespace qly::img {
namespace {

// Largest picture file we read into memory.
constexpr uint64_t kMaxFileBytes = uint64_t{2} << 30;

const std::vector<Codec>& codecTable() {
    static const std::vector<Codec> table = {
        {DIB_BMP, QLY_TRANSLATE_NOOP("ImageFormats", "Windows Bitmap"), "*.bmp", sniffBmp, readBmp,
         writeBmp},
        {DIB_DIB, QLY_TRANSLATE_NOOP("ImageFormats", "Device Independent Bitmap"), "*.dib", nullptr,
         readBmp, writeBmp},
        {DIB_GIF, QLY_TRANSLATE_NOOP("ImageFormats", "CompuServe GIF"), "*.gif", sniffGif, readGif,
         writeGif},
        {DIB_IFF, QLY_TRANSLATE_NOOP("ImageFormats", "Amiga IFF"), "*.iff;*.ilbm", sniffIff,
         readIff, writeIff},
        {DIB_JIF, QLY_TRANSLATE_NOOP("ImageFormats", "JPEG JFIF"), "*.jif;*.jfif", nullptr,
         readJpeg, writeJpeg},
        {DIB_JPG, QLY_TRANSLATE_NOOP("ImageFormats", "JPEG"), "*.jpg;*.jpeg;*.jpe", sniffJpeg,
         readJpeg, writeJpeg},
        {DIB_LBM, QLY_TRANSLATE_NOOP("ImageFormats", "Deluxe Paint LBM"), "*.lbm", sniffIff,
         readIff, writeIff},
        {DIB_PCX, QLY_TRANSLATE_NOOP("ImageFormats", "ZSoft PCX"), "*.pcx", sniffPcx, readPcx,
         writePcx},
        {DIB_RLE, QLY_TRANSLATE_NOOP("ImageFormats", "Windows Bitmap RLE"), "*.rle", nullptr,
         readBmp, writeBmpRle},
        // TGA has no signature; its sniffer refuses whatever another sniffer accepts.
        {DIB_TGA, QLY_TRANSLATE_NOOP("ImageFormats", "Truevision TGA"), "*.tga;*.vda;*.icb;*.vst",
         sniffTga, readTga, writeTga},
        {DIB_TIF, QLY_TRANSLATE_NOOP("ImageFormats", "TIFF"), "*.tif;*.tiff", sniffTiff, readTiff,
         writeTiff},
        {DIB_JP2, QLY_TRANSLATE_NOOP("ImageFormats", "JPEG 2000"), "*.jp2", sniffJp2, readJpeg2000,
         writeJp2},
        {DIB_PNG, QLY_TRANSLATE_NOOP("ImageFormats", "Portable Network Graphics"), "*.png",
         sniffPng, readPng, writePng},
        {DIB_PNM, QLY_TRANSLATE_NOOP("ImageFormats", "Portable Anymap"), "*.pnm;*.pbm;*.pgm;*.ppm",
         sniffPnm, readPnm, writePnm},
        {DIB_WEBP, QLY_TRANSLATE_NOOP("ImageFormats", "WebP"), "*.webp", sniffWebp, readWebp,
         nullptr},
        {DIB_J2K, QLY_TRANSLATE_NOOP("ImageFormats", "JPEG 2000 Codestream"), "*.j2k;*.j2c;*.jpc",
         sniffJ2k, readJpeg2000, writeJ2k},
    };
    return table;
}

// Per thread: the reason of the last failed write on this thread.
thread_local std::u16string gLastError;
int32_t gJpegQuality = 75;
int32_t gJpeg2000Quality = 100;

std::vector<uint8_t> readWholeFile(const std::string& name) {
    std::vector<uint8_t> data;
    switch (qly::readRegularFile(name, data, kMaxFileBytes)) {
    case qly::FileStatus::Ok:
        return data;
    case qly::FileStatus::TooLarge:
        fail(kErrTooLarge);
    case qly::FileStatus::NoMemory:
        fail(kErrNoMemory);
    default:
        fail(kErrCannotOpen);
    }
}

// The target is complete or untouched; see qly::replaceFile for links and permissions.
void writeWholeFile(const std::string& name, std::initializer_list<qly::FilePiece> pieces) {
    if (qly::replaceFile(name, pieces) != qly::FileStatus::Ok) {
        fail(kErrCannotWrite);
    }
}

void decode(dib& out, const uint8_t* data, size_t size, int32_t format) {
    out = dib{};
    try {
        const Codec* codec = nullptr;
        if (format == DIB_AUTO) {
            codec = detectCodec(data, size);
        } else {
            codec = codecForCode(format);
            // A file that is plainly another known format is read as what it is.
            if (codec != nullptr && codec->sniff != nullptr && !codec->sniff(data, size)) {
                if (const Codec* other = detectCodec(data, size)) {
                    codec = other;
                }
            }
        }
        if (codec == nullptr || codec->read == nullptr) {
            fail(size == 0 ? kErrDamaged : kErrUnknownFormat);
        }
        DibHolder holder;
        codec->read(data, size, holder);
        if (holder.empty()) {
            fail(kErrDamaged);
        }
        out = holder.release();
    } catch (const DibError& e) {
        out = dib{};
        SetDibErrorText(out, e.reason);
    } catch (const std::bad_alloc&) {
        out = dib{};
        SetDibErrorText(out, reasonText(kErrNoMemory));
    }
}

std::string utf8(const std::u16string& s) {
    dib d{};
    SetDibErrorText(d, s);
    return DibErrorText(d);
}

} // namespace

const std::vector<Codec>& allCodecs() {
    return codecTable();
}

const Codec* codecForCode(int32_t code) {
    for (const Codec& c : codecTable()) {
        if (c.code == code) {
            return &c;
        }
    }
    return nullptr;
}

const Codec* detectCodec(const uint8_t* data, size_t size) {
    for (const Codec& c : codecTable()) {
        if (c.sniff != nullptr && c.read != nullptr && c.sniff(data, size)) {
            return &c;
        }
    }
    return nullptr;
}

} // namespace qly::img

using namespace qly::img;

namespace {

// Runs `body`; when it fails, `out` is left empty holding the reason. False then.
template <class Body> bool withReason(dib& out, Body body) {
    try {
        body();
        return true;
    } catch (const DibError& e) {
        out = dib{};
        SetDibErrorText(out, e.reason);
    } catch (const std::bad_alloc&) {
        out = dib{};
        SetDibErrorText(out, reasonText(kErrNoMemory));
    }
    return false;
}

} // namespace

void OpenDib(dib& out, const std::string& fileName, int32_t format, void* /*wnd*/) {
    out = dib{};
    std::vector<uint8_t> data;
    if (withReason(out, [&] { data = readWholeFile(fileName); })) {
        decode(out, data.data(), data.size(), format);
    }
}

void OpenDibFromMemory(dib& out, const uint8_t* data, size_t size, int32_t format) {
    decode(out, data, size, format);
}

namespace {

// OpenDibKeepingJpeg over the bytes of a file; `keep` hands them over when they are kept.
template <class Keep>
void decodeKeepingJpeg(dib& out, const uint8_t* data, size_t size, qly::JpegFacts& facts,
                       const std::function<bool(const qly::JpegFacts&)>& pixelsLater, Keep keep) {
    if (!sniffJpeg(data, size) || !qly::readJpegFacts(data, size, facts)) {
        decode(out, data, size, DIB_AUTO);
        return;
    }
    // Only a grey or three-component file can have its pixels decoded later (decodeJpegPixels
    // makes 8-bit grey or 24-bit pixels); a four-component one is read now, whatever is asked.
    const bool later =
        pixelsLater && (facts.components == 1 || facts.components == 3) && pixelsLater(facts);
    out = dib{};
    withReason(out, [&] {
        bool clean = true;
        {
            DibHolder holder;
            readJpegChecked(data, size, holder, !later, clean);
            if (!later || clean) {
                out = holder.release();
            }
        }
        if (clean) {
            keep();
        } else if (later) {
            // The file is not kept, so its pixels are needed now.
            decode(out, data, size, DIB_AUTO);
        }
    });
}

} // namespace

void qly::OpenDibKeepingJpeg(dib& out, const std::string& fileName, std::vector<uint8_t>& jpeg,
                             qly::JpegFacts& facts,
                             const std::function<bool(const qly::JpegFacts&)>& pixelsLater) {
    out = dib{};
    jpeg.clear();
    std::vector<uint8_t> data;
    if (!withReason(out, [&] { data = readWholeFile(fileName); })) {
        return;
    }
    decodeKeepingJpeg(out, data.data(), data.size(), facts, pixelsLater,
                      [&] { jpeg = std::move(data); });
}

void qly::OpenDibKeepingJpegFromMemory(
    dib& out, const uint8_t* data, size_t size, std::vector<uint8_t>& jpeg, qly::JpegFacts& facts,
    const std::function<bool(const qly::JpegFacts&)>& pixelsLater) {
    jpeg.clear();
    decodeKeepingJpeg(out, data, size, facts, pixelsLater, [&] { jpeg.assign(data, data + size); });
}

bool qly::decodeJpegPixels(const dib& picture, const uint8_t* data, size_t size) {
    return decodeJpegInto(picture, data, size);
}

int32_t DibFileFormat(const std::string& fileName) {
    std::error_code ec;
    // A FIFO would block the read, a device may never end.
    if (!std::filesystem::is_regular_file(fileName, ec)) {
        return DIB_AUTO;
    }
    try {
        const std::vector<uint8_t> data = readWholeFile(fileName);
        const Codec* codec = detectCodec(data.data(), data.size());
        return codec != nullptr ? codec->code : DIB_AUTO;
    } catch (const DibError&) {
    } catch (const std::bad_alloc&) {
    }
    return DIB_AUTO;
}

namespace {

// Runs a writer into `out`; a failure leaves `out` empty and its reason for DibLastError.
template <class Writer> bool encodeGuarded(std::vector<uint8_t>& out, Writer write) {
    out.clear();
    gLastError.clear();
    try {
        write();
        return true;
    } catch (const DibError& e) {
        gLastError = e.reason;
    } catch (const std::bad_alloc&) {
        gLastError = reasonText(kErrNoMemory);
    }
    out.clear();
    return false;
}

} // namespace

bool SaveDibToMemory(const dib& d, int32_t format, std::vector<uint8_t>& out) {
    return encodeGuarded(out, [&] {
        if (d.poi == nullptr || d.pmi == nullptr) {
            fail(kErrEmpty);
        }
        const Codec* codec = codecForCode(format);
        if (codec == nullptr || codec->write == nullptr) {
            fail(kErrNoWriter);
        }
        codec->write(d, out);
    });
}

bool SaveRowsToMemory(const DibRowFeed& rows, int32_t format, int32_t quality, int32_t threads,
                      std::vector<uint8_t>& out) {
    return encodeGuarded(out, [&] {
        if (rows.row == nullptr || (rows.bytesPerPixel != 3 && rows.bytesPerPixel != 4)) {
            fail(kErrDepth);
        }
        checkDimensions(rows.width, rows.height, rows.bytesPerPixel * 8);
        if (format == DIB_JIF || format == DIB_JPG) {
            writeJpegRows(rows, std::clamp(quality, 1, 100), out);
        } else if (format == DIB_JP2) {
            writeJp2Rows(rows, std::clamp(quality, 1, 10000), threads, out);
        } else {
            fail(kErrNoWriter);
        }
    });
}

int32_t SaveDib(const dib& d, const std::string& fileName, int32_t format, void* /*wnd*/) {
    std::vector<uint8_t> data;
    size_t pixelBytes = 0;
    if ((format == DIB_BMP || format == DIB_DIB) && d.poi != nullptr && d.pmi != nullptr) {
        // An uncompressed BMP holds the rows as they are in memory: they go to the file straight
        // from the bitmap, without a copy (this is how the PDF writer parks its pages).
        gLastError.clear();
        try {
            pixelBytes = writeBmpHeaders(d, data);
        } catch (const DibError& e) {
            gLastError = e.reason;
            return 0;
        }
    } else if (!SaveDibToMemory(d, format, data)) {
        return 0;
    }
    try {
        writeWholeFile(fileName, {{data.data(), data.size()}, {d.poi, pixelBytes}});
    } catch (const DibError& e) {
        gLastError = e.reason;
        return 0;
    }
    return 1;
}

std::string DibLastError() {
    return utf8(gLastError);
}

void SetJPEGQual(int32_t quality) {
    gJpegQuality = std::clamp(quality, 1, 100);
}
void SetJPEG2000Qual(int32_t quality) {
    gJpeg2000Quality = std::clamp(quality, 1, 10000);
}
int32_t GetJPEGQual() {
    return gJpegQuality;
}
int32_t GetJPEG2000Qual() {
    return gJpeg2000Quality;
}

namespace {

// A format's name as the file dialogs show it.
std::string formatName(const Codec& c) {
    return qly::translate("ImageFormats", c.name);
}

} // namespace

const char* GetDIBOpenFilter() {
    // Built at every call, in the language of the moment; the caller reads it before calling
    // again on this thread.
    thread_local std::string filter;
    std::string all;
    std::string each;
    for (const Codec& c : codecTable()) {
        if (c.read == nullptr) {
            continue;
        }
        for (const char* p = c.patterns; *p != 0;) {
            const char* end = std::strchr(p, ';');
            const std::string pat(p, end != nullptr ? end : p + std::strlen(p));
            if (all.find(pat + ";") == std::string::npos) {
                all += pat + ";";
            }
            p = end != nullptr ? end + 1 : p + std::strlen(p);
        }
        each += formatName(c) + " (" + c.patterns + ")|" + c.patterns + "|";
    }
    all.pop_back();
    filter = qly::withArgs(qly::translate("ImageFormats", "Alle Bilder (%1)"), {all}) + "|" + all +
             "|" + each + qly::translate("ImageFormats", "Alle Dateien (*.*)") + "|*.*|";
    return filter.c_str();
}

const char* GetDIBSaveFilter() {
    // Codes 3..15 in order: the filter index plus 2 is the format code. Each format with its
    // first pattern only, the extension a saved file gets.
    thread_local std::string filter;
    filter.clear();
    for (int32_t code = DIB_BMP; code <= DIB_PNG; ++code) {
        const Codec* c = codecForCode(code);
        const char* end = std::strchr(c->patterns, ';');
        const std::string first(c->patterns,
                                end != nullptr ? end : c->patterns + std::strlen(c->patterns));
        filter += formatName(*c) + " (" + first + ")|" + first + "|";
    }
    return filter.c_str();
}
