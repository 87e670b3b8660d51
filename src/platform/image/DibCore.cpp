// Bitmap allocation, release and pixel access of the image library.
#include "platform/CodePage.h"
#include "platform/GrafikRW3.h"
#include "platform/Heap.h"
#include "platform/image/Codec.h"

#include <cmath>
#include <cstring>
#include <string_view>

namespace {

constexpr int64_t kMaxSide = 65535;
constexpr int64_t kMaxPixelBytes = int64_t{1} << 31; // 2 GiB
uint64_t gPixelLimit = (uint64_t{1} << 31) - 1;

bool validDepth(int32_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

void fillPalCopy(dib& d) {
    const int n = d.pmi->bmiHeader.biBitCount <= 8 ? 1 << d.pmi->bmiHeader.biBitCount : 0;
    d.pal.ver = 0x300;
    d.pal.num = static_cast<uint16_t>(n);
    for (int i = 0; i < n; ++i) {
        const RGBQUAD& q = d.pmi->bmiColors[i];
        d.pal.rgb0[i] = PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
    }
}

} // namespace

namespace qly::img {

void fail(const char* reason) {
    throw DibError{reasonText(reason)};
}

std::u16string reasonText(const char* reason) {
    return qly::utf8ToUtf16(reason);
}

int64_t dibStride(int64_t width, int32_t bits) {
    return ((width * bits + 31) / 32) * 4;
}

void checkDimensions(int64_t width, int64_t height, int32_t bits) {
    if (width <= 0 || height <= 0) {
        fail(kErrEmpty);
    }
    if (width > kMaxSide || height > kMaxSide) {
        fail(kErrTooLarge);
    }
    if (static_cast<uint64_t>(width * height) > gPixelLimit ||
        dibStride(width, bits) * height > kMaxPixelBytes) {
        fail(kErrTooLarge);
    }
}

void checkWritable(const dib& in) {
    const int bits = in.pmi->bmiHeader.biBitCount;
    if (in.pmi->bmiHeader.biWidth <= 0 || in.pmi->bmiHeader.biHeight <= 0) {
        fail(kErrEmpty);
    }
    if (!validDepth(bits)) {
        fail(kErrDepth);
    }
}

DibHolder::~DibHolder() {
    if (d_.poi != nullptr) {
        deldib(d_);
    }
}

void DibHolder::create(int32_t width, int32_t height, int32_t bits, const BITMAPINFO* palsrc,
                       int32_t ncolors) {
    if (!validDepth(bits)) {
        fail(kErrDepth);
    }
    checkDimensions(width, height, bits);
    if (d_.poi != nullptr) {
        deldib(d_);
    }
    d_ = dib{};
    newdib(d_, width, height, bits, palsrc, ncolors);
    if (d_.poi == nullptr) {
        const std::u16string reason(reinterpret_cast<const char16_t*>(d_.pal.rgb0));
        d_ = dib{};
        throw DibError{reason};
    }
}

void DibHolder::setColor(int i, uint8_t r, uint8_t g, uint8_t b) {
    const int bits = d_.pmi->bmiHeader.biBitCount;
    if (bits > 8 || i < 0 || i >= (1 << bits)) {
        return;
    }
    d_.pmi->bmiColors[i] = RGBQUAD{b, g, r, 0};
    d_.pal.rgb0[i] = PALETTEENTRY{r, g, b, 0};
}

void DibHolder::setDpi(double xdpi, double ydpi) {
    auto toPpm = [](double dpi) {
        return dpi > 0 && dpi < 1e6 ? static_cast<int32_t>(std::lround(dpi / 0.0254)) : 0;
    };
    d_.pmi->bmiHeader.biXPelsPerMeter = toPpm(xdpi);
    d_.pmi->bmiHeader.biYPelsPerMeter = toPpm(ydpi);
}

dib DibHolder::release() {
    dib d = d_;
    d_ = dib{};
    return d;
}

RGBQUAD dibColor(const dib& d, uint32_t index) {
    const int bits = d.pmi->bmiHeader.biBitCount;
    if (bits > 8 || index >= (1u << bits)) {
        return RGBQUAD{0, 0, 0, 0};
    }
    return d.pmi->bmiColors[index];
}

bool dibIsGrey(const dib& d) {
    const int bits = d.pmi->bmiHeader.biBitCount;
    if (bits > 8) {
        return false;
    }
    for (int i = 0; i < (1 << bits); ++i) {
        const RGBQUAD& q = d.pmi->bmiColors[i];
        if (q.rgbRed != q.rgbGreen || q.rgbGreen != q.rgbBlue) {
            return false;
        }
    }
    return true;
}

bool dibIsBlackAndWhite(const dib& d) {
    if (d.pmi->bmiHeader.biBitCount != 1) {
        return false;
    }
    auto same = [](const RGBQUAD& q, uint8_t v) {
        return q.rgbRed == v && q.rgbGreen == v && q.rgbBlue == v;
    };
    const RGBQUAD& c0 = d.pmi->bmiColors[0];
    const RGBQUAD& c1 = d.pmi->bmiColors[1];
    return (same(c0, 0) && same(c1, 255)) || (same(c0, 255) && same(c1, 0));
}

void ByteReader::seek(size_t pos) {
    if (pos > size_) {
        fail(kErrDamaged);
    }
    pos_ = pos;
}

void ByteReader::skip(size_t n) {
    if (n > remaining()) {
        fail(kErrDamaged);
    }
    pos_ += n;
}

const uint8_t* ByteReader::bytes(size_t n) {
    if (n > remaining()) {
        fail(kErrDamaged);
    }
    const uint8_t* p = data_ + pos_;
    pos_ += n;
    return p;
}

uint8_t ByteReader::u8() {
    return *bytes(1);
}
uint16_t ByteReader::u16le() {
    const uint8_t* p = bytes(2);
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t ByteReader::u32le() {
    const uint8_t* p = bytes(4);
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
uint16_t ByteReader::u16be() {
    const uint8_t* p = bytes(2);
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}
uint32_t ByteReader::u32be() {
    const uint8_t* p = bytes(4);
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}

void putU16le(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void putU32le(std::vector<uint8_t>& out, uint32_t v) {
    putU16le(out, v & 0xffff);
    putU16le(out, v >> 16);
}
void putU16be(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}
void putU32be(std::vector<uint8_t>& out, uint32_t v) {
    putU16be(out, v >> 16);
    putU16be(out, v & 0xffff);
}

} // namespace qly::img

using namespace qly::img;

void newdib(dib& out, int32_t width, int32_t height, int32_t bits, const BITMAPINFO* palsrc,
            int32_t ncolors) {
    out = dib{};
    try {
        if (!validDepth(bits)) {
            fail(kErrDepth);
        }
        checkDimensions(width, height, bits);
    } catch (const DibError& e) {
        SetDibErrorText(out, e.reason);
        return;
    }
    const int tableSize = bits <= 8 ? 1 << bits : 0;
    const size_t headerBytes = sizeof(BITMAPINFOHEADER) + size_t(tableSize) * sizeof(RGBQUAD);
    const int64_t stride = dibStride(width, bits);
    const size_t imageBytes = static_cast<size_t>(stride * height);
    // Header and pixels share one block; the pixel rows start 16-byte aligned.
    const size_t pixelOffset = (headerBytes + 15) & ~size_t{15};
    void* block = qly::heapAlloc(pixelOffset + imageBytes);
    if (block == nullptr) {
        SetDibErrorText(out, reasonText(kErrNoMemory));
        return;
    }
    auto* pmi = static_cast<BITMAPINFO*>(block);
    BITMAPINFOHEADER& h = pmi->bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<uint16_t>(bits);
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<uint32_t>(imageBytes);
    h.biClrUsed = static_cast<uint32_t>(tableSize);
    if (tableSize > 0) {
        RGBQUAD* table = pmi->bmiColors;
        if (palsrc != nullptr) {
            const int n = std::min(std::max(ncolors, 0), tableSize);
            std::memcpy(table, palsrc->bmiColors, size_t(n) * sizeof(RGBQUAD));
        } else {
            for (int i = 0; i < tableSize; ++i) {
                const auto v = static_cast<uint8_t>(i * 255 / (tableSize - 1));
                table[i] = RGBQUAD{v, v, v, 0};
            }
        }
    }
    out.pmi = pmi;
    out.pmih = reinterpret_cast<HGLOBAL_>(block);
    out.poih = out.pmih;
    out.poi = static_cast<uint8_t*>(block) + pixelOffset;
    out.bytew = static_cast<int32_t>(stride);
    out.ispal = tableSize > 0 ? 1 : 0;
    fillPalCopy(out);
}

void deldib(const dib& d) {
    if (d.poi == nullptr && d.pmi == nullptr) {
        return;
    }
    if (d.poih != 0 && d.poih != d.pmih) {
        qly::heapFree(reinterpret_cast<void*>(d.poih));
    }
    if (d.pmih != 0) {
        qly::heapFree(reinterpret_cast<void*>(d.pmih));
    }
}

uint8_t* DibRowTop(const dib& d, int32_t y) {
    const int32_t h = d.pmi->bmiHeader.biHeight;
    return d.poi + static_cast<ptrdiff_t>(h - 1 - y) * d.bytew;
}

uint32_t getpixel(const dib& d, int32_t x, int32_t y) {
    if (d.poi == nullptr || x < 0 || y < 0 || x >= d.pmi->bmiHeader.biWidth ||
        y >= d.pmi->bmiHeader.biHeight) {
        return 0;
    }
    const uint8_t* row = DibRowTop(d, y);
    switch (d.pmi->bmiHeader.biBitCount) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4:
        return (x & 1) != 0 ? row[x >> 1] & 0x0fu : row[x >> 1] >> 4;
    case 8:
        return row[x];
    case 16:
        return uint32_t{row[2 * x]} | uint32_t{row[2 * x + 1]} << 8;
    case 24: {
        const uint8_t* p = row + 3 * static_cast<ptrdiff_t>(x);
        return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
    }
    case 32: {
        const uint8_t* p = row + 4 * static_cast<ptrdiff_t>(x);
        return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
    }
    default:
        return 0;
    }
}

void setpixel(const dib& d, int32_t x, int32_t y, uint32_t value) {
    if (d.poi == nullptr || x < 0 || y < 0 || x >= d.pmi->bmiHeader.biWidth ||
        y >= d.pmi->bmiHeader.biHeight) {
        return;
    }
    uint8_t* row = DibRowTop(d, y);
    switch (d.pmi->bmiHeader.biBitCount) {
    case 1: {
        const auto mask = static_cast<uint8_t>(0x80u >> (x & 7));
        row[x >> 3] = (value & 1u) != 0 ? row[x >> 3] | mask : row[x >> 3] & ~mask;
        break;
    }
    case 4:
        if ((x & 1) != 0) {
            row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0xf0u) | (value & 0x0fu));
        } else {
            row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0x0fu) | (value & 0x0fu) << 4);
        }
        break;
    case 8:
        row[x] = static_cast<uint8_t>(value);
        break;
    case 16:
        row[2 * x] = static_cast<uint8_t>(value);
        row[2 * x + 1] = static_cast<uint8_t>(value >> 8);
        break;
    case 24: {
        uint8_t* p = row + 3 * static_cast<ptrdiff_t>(x);
        p[0] = static_cast<uint8_t>(value);
        p[1] = static_cast<uint8_t>(value >> 8);
        p[2] = static_cast<uint8_t>(value >> 16);
        break;
    }
    case 32: {
        uint8_t* p = row + 4 * static_cast<ptrdiff_t>(x);
        p[0] = static_cast<uint8_t>(value);
        p[1] = static_cast<uint8_t>(value >> 8);
        p[2] = static_cast<uint8_t>(value >> 16);
        p[3] = static_cast<uint8_t>(value >> 24);
        break;
    }
    default:
        break;
    }
}

uint64_t SetDibPixelLimit(uint64_t maxPixels) {
    const uint64_t previous = gPixelLimit;
    gPixelLimit = maxPixels;
    return previous;
}

void SetDibErrorText(dib& d, const std::u16string& text) {
    auto* dst = reinterpret_cast<char16_t*>(d.pal.rgb0);
    const size_t n = std::min(text.size(), kDibErrorTextCapacity);
    std::memcpy(dst, text.data(), n * sizeof(char16_t));
    dst[n] = 0;
}

std::string DibErrorText(const dib& d) {
    const auto* p = reinterpret_cast<const char16_t*>(d.pal.rgb0);
    size_t n = 0;
    while (n < kDibErrorTextCapacity && p[n] != 0) {
        ++n;
    }
    // The record keeps the German text; the user reads it in the language of the window.
    const std::string text = qly::utf16ToUtf8(std::u16string_view(p, n));
    return text.empty() ? text : qly::translate("ImageFormats", text.c_str());
}
