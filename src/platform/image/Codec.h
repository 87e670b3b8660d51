#pragma once
// Internal interface between the image library's front end (OpenDib/SaveDib) and its codecs.
// A reader gets the whole file in memory and fills a DibHolder; a writer appends the encoded file
// to a byte vector. Both report failures by throwing DibError with a short German reason, which
// the front end puts into the record or DibLastError; those give it in the user's language.

#include "platform/GrafikRW3.h"
#include "platform/Texts.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qly::img {

// Reasons shown to the user after a failed read or write, UTF-8 (context "ImageFormats").
inline constexpr const char* kErrUnknownFormat =
    QLY_TRANSLATE_NOOP("ImageFormats", "Unbekanntes Dateiformat");
inline constexpr const char* kErrDamaged =
    QLY_TRANSLATE_NOOP("ImageFormats", "Datei ist beschädigt");
inline constexpr const char* kErrTooLarge = QLY_TRANSLATE_NOOP("ImageFormats", "Bild ist zu groß");
inline constexpr const char* kErrEmpty = QLY_TRANSLATE_NOOP("ImageFormats", "Bild hat keine Pixel");
inline constexpr const char* kErrCannotOpen =
    QLY_TRANSLATE_NOOP("ImageFormats", "Datei kann nicht geöffnet werden");
inline constexpr const char* kErrCannotWrite =
    QLY_TRANSLATE_NOOP("ImageFormats", "Datei kann nicht geschrieben werden");
inline constexpr const char* kErrNoMemory =
    QLY_TRANSLATE_NOOP("ImageFormats", "Nicht genug Arbeitsspeicher");
inline constexpr const char* kErrUnsupported =
    QLY_TRANSLATE_NOOP("ImageFormats", "Nicht unterstützte Bildvariante");
inline constexpr const char* kErrNoWriter =
    QLY_TRANSLATE_NOOP("ImageFormats", "Format kann nicht geschrieben werden");
inline constexpr const char* kErrDepth =
    QLY_TRANSLATE_NOOP("ImageFormats", "Farbtiefe wird nicht unterstützt");

struct DibError {
    std::u16string reason;
};

[[noreturn]] void fail(const char* reason);
// A reason as the record and DibLastError keep it.
std::u16string reasonText(const char* reason);

// Owns a bitmap under construction; releases it unless handed out with release().
class DibHolder {
  public:
    DibHolder() = default;
    DibHolder(const DibHolder&) = delete;
    DibHolder& operator=(const DibHolder&) = delete;
    ~DibHolder();

    // Allocates the bitmap (see newdib); throws DibError when that fails.
    void create(int32_t width, int32_t height, int32_t bits, const BITMAPINFO* palsrc = nullptr,
                int32_t ncolors = 0);
    // Sets colour table entry i (and the palette copy) of a 1/4/8-bit bitmap.
    void setColor(int i, uint8_t r, uint8_t g, uint8_t b);
    // Sets the resolution in dots per inch (0 leaves it unknown).
    void setDpi(double xdpi, double ydpi);

    dib& get() { return d_; }
    const dib& get() const { return d_; }
    uint8_t* rowTop(int32_t y) const { return DibRowTop(d_, y); }
    bool empty() const { return d_.poi == nullptr; }
    dib release();

  private:
    dib d_{};
};

// Throws kErrTooLarge/kErrEmpty when a declared size cannot become a bitmap (checked in 64 bits
// against the caps before anything is allocated).
void checkDimensions(int64_t width, int64_t height, int32_t bits);
// Throws kErrEmpty/kErrDepth unless the bitmap has pixels at a depth the library handles (1, 4,
// 8, 16, 24 or 32 bits): the common first step of every writer.
void checkWritable(const dib& in);
// Row stride in bytes of a DIB row.
int64_t dibStride(int64_t width, int32_t bits);

// Colour of pixel value v of a 1/4/8-bit bitmap, from its colour table.
RGBQUAD dibColor(const dib& d, uint32_t index);
// True when every colour table entry has red == green == blue.
bool dibIsGrey(const dib& d);
// True for a 1-bit bitmap whose two colours are black and white, in either order: the pictures
// that formats with a fixed black-and-white 1-bit form (PBM, PCX, TIFF bilevel) take as they are.
bool dibIsBlackAndWhite(const dib& d);

struct Codec {
    int32_t code;
    const char* name;     // shown in the file-dialog filters
    const char* patterns; // file name patterns, e.g. "*.tif;*.tiff"
    // True when the bytes look like this format; null: never chosen by content.
    bool (*sniff)(const uint8_t* data, size_t size);
    // Decodes the whole file. Throws DibError.
    void (*read)(const uint8_t* data, size_t size, DibHolder& out);
    // Encodes; null when the format is read-only. Throws DibError.
    void (*write)(const dib& in, std::vector<uint8_t>& out);
};

// Every codec, in code order.
const std::vector<Codec>& allCodecs();
// The codec of a format code, or null.
const Codec* codecForCode(int32_t code);
// The codec whose sniffer accepts the bytes, or null.
const Codec* detectCodec(const uint8_t* data, size_t size);

// Little-endian readers over a bounds-checked cursor; reading past the end throws kErrDamaged.
class ByteReader {
  public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t pos() const { return pos_; }
    size_t size() const { return size_; }
    size_t remaining() const { return size_ - pos_; }
    void seek(size_t pos);
    void skip(size_t n);
    uint8_t u8();
    uint16_t u16le();
    uint32_t u32le();
    uint16_t u16be();
    uint32_t u32be();
    int32_t i32le() { return static_cast<int32_t>(u32le()); }
    // Pointer to the next n bytes, which must all be present; advances.
    const uint8_t* bytes(size_t n);

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

void putU16le(std::vector<uint8_t>& out, uint32_t v);
void putU32le(std::vector<uint8_t>& out, uint32_t v);
void putU16be(std::vector<uint8_t>& out, uint32_t v);
void putU32be(std::vector<uint8_t>& out, uint32_t v);

// Per-format entry points (one .cpp each).
bool sniffBmp(const uint8_t* data, size_t size);
void readBmp(const uint8_t* data, size_t size, DibHolder& out);
void writeBmp(const dib& in, std::vector<uint8_t>& out);
// The file and bitmap headers and colour table of an uncompressed BMP; the pixel rows follow them
// in the file exactly as they are in memory. Returns the number of pixel bytes.
size_t writeBmpHeaders(const dib& in, std::vector<uint8_t>& out);
void writeBmpRle(const dib& in, std::vector<uint8_t>& out);

bool sniffJpeg(const uint8_t* data, size_t size);
void readJpeg(const uint8_t* data, size_t size, DibHolder& out);
// readJpeg, telling in `clean` whether libjpeg decoded the file without a warning. With `pixels`
// false the file is decoded at an eighth of its size only (every check, no pixels) and `out` is a
// bitmap of the picture's size, depth and resolution with zero pixels (CMYK files, whose 24-bit
// pixels are made from a decoding, are always decoded in full).
void readJpegChecked(const uint8_t* data, size_t size, DibHolder& out, bool pixels, bool& clean);
// Decodes a grey or colour JPEG into a bitmap of its size and depth; false when it does not fit,
// cannot be decoded or decodes with a warning.
bool decodeJpegInto(const dib& picture, const uint8_t* data, size_t size);
void writeJpeg(const dib& in, std::vector<uint8_t>& out);
void writeJpegRows(const DibRowFeed& rows, int32_t quality, std::vector<uint8_t>& out);

bool sniffPng(const uint8_t* data, size_t size);
void readPng(const uint8_t* data, size_t size, DibHolder& out);
void writePng(const dib& in, std::vector<uint8_t>& out);

bool sniffTiff(const uint8_t* data, size_t size);
void readTiff(const uint8_t* data, size_t size, DibHolder& out);
void writeTiff(const dib& in, std::vector<uint8_t>& out);

// JPEG 2000: JP2 files (code 14) and raw code streams (code 18); the reader takes either.
bool sniffJp2(const uint8_t* data, size_t size);
bool sniffJ2k(const uint8_t* data, size_t size);
void readJpeg2000(const uint8_t* data, size_t size, DibHolder& out);
void writeJp2(const dib& in, std::vector<uint8_t>& out);
void writeJ2k(const dib& in, std::vector<uint8_t>& out);
// JP2 of three colour components from rows; threads 0 uses as many as the machine has.
void writeJp2Rows(const DibRowFeed& rows, int32_t quality, int32_t threads,
                  std::vector<uint8_t>& out);

bool sniffPnm(const uint8_t* data, size_t size);
void readPnm(const uint8_t* data, size_t size, DibHolder& out);
void writePnm(const dib& in, std::vector<uint8_t>& out);

// WebP, read only.
bool sniffWebp(const uint8_t* data, size_t size);
void readWebp(const uint8_t* data, size_t size, DibHolder& out);

bool sniffGif(const uint8_t* data, size_t size);
void readGif(const uint8_t* data, size_t size, DibHolder& out);
void writeGif(const dib& in, std::vector<uint8_t>& out);

bool sniffIff(const uint8_t* data, size_t size);
void readIff(const uint8_t* data, size_t size, DibHolder& out);
void writeIff(const dib& in, std::vector<uint8_t>& out);

bool sniffPcx(const uint8_t* data, size_t size);
void readPcx(const uint8_t* data, size_t size, DibHolder& out);
void writePcx(const dib& in, std::vector<uint8_t>& out);

// TGA has no signature: the sniffer accepts only a consistent header whose pixel data is all
// there (or a TGA 2.0 footer), and never bytes that another format's sniffer claims.
bool sniffTga(const uint8_t* data, size_t size);
void readTga(const uint8_t* data, size_t size, DibHolder& out);
void writeTga(const dib& in, std::vector<uint8_t>& out);

} // namespace qly::img
