#pragma once
// The page image record shared by the image library and the rest of the program: a Windows
// device-independent bitmap (header block with colour table, and a block of pixel rows) plus a
// palette copy. Field order follows the record's fixed layout; pointer and handle fields are
// pointer-sized, so on a 64-bit build the record is larger than on the original 32-bit layout.

#include <cstddef>
#include <cstdint>

// Windows BITMAPINFOHEADER (40 bytes, little-endian on disk and in memory).
struct BITMAPINFOHEADER {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight; // positive: the first row in memory is the bottom row
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

// Colour table entry of a DIB: blue, green, red, reserved.
struct RGBQUAD {
    uint8_t rgbBlue;
    uint8_t rgbGreen;
    uint8_t rgbRed;
    uint8_t rgbReserved;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1]; // really as many entries as the depth needs (up to 256)
};

constexpr uint32_t BI_RGB = 0;

// Palette entry of the record's palette copy: red, green, blue, flags (in this order).
struct PALETTEENTRY {
    uint8_t peRed;
    uint8_t peGreen;
    uint8_t peBlue;
    uint8_t peFlags;
};

// Palette copy filled by the image library (a logical palette of up to 256 entries). After a
// failed read the entries `rgb0` hold a zero-terminated UTF-16 text naming the reason instead.
struct LPAL {
    uint16_t ver;
    uint16_t num;
    PALETTEENTRY rgb0[256];
};
static_assert(sizeof(LPAL) == 1028);

// Handles are the addresses of blocks from the zero-filling heap (platform/Heap.h).
using HGLOBAL_ = uintptr_t;

struct dib {
    BITMAPINFO* pmi; // header and colour table; null when the record holds no bitmap
    HGLOBAL_ poih;   // heap block of the pixel rows
    HGLOBAL_ pmih;   // heap block of the header; may equal poih when both share one block
    uint8_t* poi;    // first byte of the pixel rows; null when the record holds no bitmap
    int32_t bytew;   // bytes per pixel row (row stride, a multiple of 4)
    uint8_t ispal;   // palette flag set by the library; not used by the program
    uint8_t align1;
    LPAL pal; // palette copy (red, green, blue, flags) or the failure text
    uint16_t align2;
    uintptr_t NOTUSEDINFIXEDMEMlp;
    int32_t zoom;
    int32_t scx;
    int32_t scy;
    int32_t mx1;
    int32_t my1;
    int32_t mx2;
    int32_t my2;
};

// The failure text after a failed read starts here: `pal.rgb0`, 256 entries of 4 bytes, room for
// 511 UTF-16 code units plus the terminating zero.
constexpr size_t kDibErrorTextCapacity = sizeof(LPAL::rgb0) / (sizeof(char16_t)) - 1;
