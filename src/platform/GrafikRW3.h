#pragma once
// The image library: reads and writes picture files into `dib` records, allocates, accesses and
// releases bitmaps, and makes halftoned copies for screens of 256 colours or fewer.
//
// Bitmaps are Windows DIBs: rows bottom-up in memory, each row padded to a multiple of 4 bytes.
// Pixel coordinates of getpixel/setpixel run from (0, 0) at the top-left corner as displayed.
// Every bitmap made here (newdib, OpenDib, the halftoning functions) is released by either deldib
// or freedib (document/Dib.h); both free exactly the blocks named in the record.
//
// Untrusted sizes: no bitmap is larger than 65535 pixels per side, 2 GiB of pixel bytes, or the
// pixel cap set with SetDibPixelLimit. Readers check declared sizes against these caps before they
// allocate anything.

#include "platform/DibRecord.h"

#include <cstdint>
#include <string>
#include <vector>

// Format codes. 0 takes the format from the file's bytes (never from its name); 3..14 are the
// twelve save formats in the order of the save filter; the codes above 14 are formats this
// library adds.
enum DibFormat : int32_t {
    DIB_AUTO = 0,
    DIB_BMP = 3,
    DIB_DIB = 4,
    DIB_GIF = 5,
    DIB_IFF = 6,
    DIB_JIF = 7,
    DIB_JPG = 8,
    DIB_LBM = 9,
    DIB_PCX = 10,
    DIB_RLE = 11,
    DIB_TGA = 12,
    DIB_TIF = 13,
    DIB_JP2 = 14,
    DIB_PNG = 15,  // PNG, read and written
    DIB_PNM = 16,  // PBM/PGM/PPM (binary and ASCII), read and written (binary)
    DIB_WEBP = 17, // WebP, read only
    DIB_J2K = 18,  // raw JPEG 2000 code stream, read and written
};

// Fills `out` with a new bitmap of width x height at `bits` per pixel (1, 4, 8, 16, 24 or 32), all
// pixels zero, `bytew` = row stride (a multiple of 4). For 1, 4 and 8 bits the colour table has
// 2^bits entries: the first `ncolors` are copied from `palsrc` (when given; the rest stay black),
// without `palsrc` it is a grey ramp from black to white. The palette copy `pal` mirrors the colour
// table. On failure (bad depth, size 0 or over the caps, no memory) `out.poi` is null and
// `out.pal.rgb0` holds the reason.
void newdib(dib& out, int32_t width, int32_t height, int32_t bits, const BITMAPINFO* palsrc,
            int32_t ncolors);
// Releases a bitmap made by this library (same effect as freedib, which also zeroes the record).
void deldib(const dib& d);

// 1-bit: the colour index 0 or 1; 4/8-bit: the index; 16-bit: the 16-bit word; 24-bit: blue in
// bits 0-7, green 8-15, red 16-23; 32-bit: the 32-bit word. Outside the picture: 0.
uint32_t getpixel(const dib& d, int32_t x, int32_t y);
// Stores a value in the form getpixel returns it; outside the picture nothing happens.
void setpixel(const dib& d, int32_t x, int32_t y, uint32_t value);

// Reads a picture file. On failure `out.poi` is null and `out.pal.rgb0` holds a short reason as a
// zero-terminated UTF-16 text. `wnd` is accepted for compatibility and not used. Pictures may be
// read on several threads at once (the quality and pixel-cap settings are read, not written).
void OpenDib(dib& out, const std::string& fileName, int32_t format, void* wnd = nullptr);
// The same from bytes in memory (used by tests and the fuzzing targets).
void OpenDibFromMemory(dib& out, const uint8_t* data, size_t size, int32_t format);
// The format code a read with format code 0 takes the file for, judged by its bytes as OpenDib
// judges them (never by its name), without decoding it; DIB_AUTO (0) when no reader recognises
// it, or it is not a regular file or cannot be read.
int32_t DibFileFormat(const std::string& fileName);

// Writes a picture file in the given format; returns 1 on success and 0 on failure (then
// DibLastError tells why). The file is written completely or not at all.
int32_t SaveDib(const dib& d, const std::string& fileName, int32_t format, void* wnd = nullptr);
// Encodes into memory; returns false on failure (DibLastError tells why).
bool SaveDibToMemory(const dib& d, int32_t format, std::vector<uint8_t>& out);

// A true-colour picture handed to a coder row by row, so that no converted copy of it is needed.
// Rows are counted from the top; each holds `width` pixels of blue, green, red (3 bytes per
// pixel) or blue, green, red, unused (4 bytes per pixel).
struct DibRowFeed {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bytesPerPixel = 3;
    // The resolution written into the file when both are above 0, in pixels per metre as in a
    // bitmap header.
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    // Returns row y. `scratch` has room for one row; the feed may fill it and return it, or return
    // a row of its own that stays valid until the next call. Rows are asked for in order.
    const uint8_t* (*row)(const void* ctx, int32_t y, uint8_t* scratch) = nullptr;
    const void* ctx = nullptr;
};
// Codes the rows as JPEG (DIB_JIF or DIB_JPG) at `quality` 1..100, or as JPEG 2000 (DIB_JP2) at
// the size `quality` 1..10000 (as SetJPEG2000Qual takes it) with up to `threads` coding threads
// (0: as many as the machine has), into `out`. The picture is always coded as three colour
// components. The result is byte for byte what SaveDibToMemory gives for a 24-bit (or 32-bit)
// bitmap of these rows and resolution at the same quality. Reads no process-wide setting, so
// any number of threads may code at once. Returns false on failure (DibLastError tells why).
bool SaveRowsToMemory(const DibRowFeed& rows, int32_t format, int32_t quality, int32_t threads,
                      std::vector<uint8_t>& out);

// The reason of the last failed SaveDib/SaveDibToMemory on this thread, UTF-8 in the user's
// language.
std::string DibLastError();

// JPEG quality 1..100 (clamped) for later JPEG writes; the default is 75.
void SetJPEGQual(int32_t quality);
// JPEG 2000 size for later writes, 1..10000 (clamped): the compressed size in hundredths of a per
// cent of the uncompressed size, so 100 means 1 % (a ratio of 100:1) and 10000 means lossless.
void SetJPEG2000Qual(int32_t quality);
int32_t GetJPEGQual();
int32_t GetJPEG2000Qual();

// Zero-terminated file-dialog filter strings ("Text|*.ext;*.ext|..."), their texts in the user's
// language; each stays valid until the next call of the same function on this thread. The open
// filter starts with an entry for every readable picture; the save filter lists the save formats
// in the order of their codes 3..15 (the twelve classic formats, then PNG).
const char* GetDIBOpenFilter();
const char* GetDIBSaveFilter();

// A copy of `src` with a fixed 256-colour palette (6x6x6 colour cube plus 40 greys), dithered by
// error diffusion, drawable with its own header. On failure `out.poi` is null.
void DIBHalftoneDIB(dib& out, const dib& src);
// The same, first resampled to width x height (area averaging when reducing).
void DIBHalftoneDIBXY(dib& out, const dib& src, int32_t width, int32_t height);

// Caps the number of pixels of any bitmap a reader or newdib makes (default 2^31 - 1; the fuzzing
// targets lower it). Returns the previous cap.
uint64_t SetDibPixelLimit(uint64_t maxPixels);

// Helpers over the record.
// The failure text a failed read left in the record, as UTF-8 in the user's language (the record
// keeps the German text).
std::string DibErrorText(const dib& d);
// Writes a failure text into the record's palette copy (truncated to the room there).
void SetDibErrorText(dib& d, const std::u16string& text);
// Address of row y counted from the top as displayed (y = 0 is the top row).
uint8_t* DibRowTop(const dib& d, int32_t y);
