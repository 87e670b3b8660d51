#pragma once
// The document file (.qly): the pages of unfinished work and the layout values, kept between runs.
//
// Layout of the file (integers little-endian, int32 signed, float64 IEEE 754, Booleans one byte
// 0 or 1, nothing aligned or padded):
//   int32 magic 52654 (bytes AE CD 00 00), int32 N = number of pages,
//   N picture blocks, each:
//     int32 L = 40 + 4 * c, int32 c = colour table entries (2^bits for 1, 4 and 8 bits, else 0),
//     L bytes: BITMAPINFOHEADER and the colour table (blue, green, red, reserved),
//     height x bytew bytes: the pixel rows in memory order (bottom row first), padding included,
//   36-byte trailer: BorderCheck, ZentCheck, MaxSizeCheck (Booleans at 0, 1, 2), RandHEd, RandVEd,
//     BreitEd, HochEd (float64 at 3, 11, 19, 27), ShowPDFCheck (Boolean at 35).
// An empty document is 44 bytes long.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class TDynaArray;
struct dib;

// The layout values a document keeps besides its pages (millimetres for the lengths).
struct DocumentLayout {
    bool BorderCheck = false;
    bool ZentCheck = false;
    bool MaxSizeCheck = true; // false: the size is relative to the largest picture
    double RandHEd = 15;
    double RandVEd = 15;
    double BreitEd = 210;
    double HochEd = 297;
    bool ShowPDFCheck = true;
};

// Progress of one picture's rows: 0 before the first row, r*100 div (H-1) before row r (0 for a
// picture one row high), 0 after the last row. A picture of 3 rows reports 0, 0, 50, 100, 0.
using DocumentProgress = std::function<void(int)>;

enum class DocumentStatus { Ok, CannotCreate, CannotOpen, NotADocument, WriteFailed };

// Writes the pages of `bilder` (records of type dib, in order) and `layout` to `fileName`.
//
// The file is written as a qly::ReplacingFile: under a temporary name in the target's folder
// (with the mode a new file gets under the umask, or the permission bits of the file it
// replaces), every write checked, flushed to the disk and put in the target's place only when
// everything was written. On any failure an earlier file of that name is left intact. A target
// that is a symbolic link is resolved: the file it points to is replaced and the link stays; one
// with several hard links keeps them.
//
// CannotCreate: the temporary file could not be created (missing or read-only folder), or the
// target exists and is not a regular file (or is a name under /dev or /proc). WriteFailed: a write,
// flush, close or the rename failed (a full disk, say), or a page cannot be stored (no bitmap, a
// depth other than 1/4/8/16/24/32, a size of 0 or over 65535 per side, a row length that is not the
// DIB row length, a header that is not an uncompressed 40-byte one); pages are checked before
// anything is created.
DocumentStatus saveDocument(const std::string& fileName, TDynaArray& bilder,
                            const DocumentLayout& layout, const DocumentProgress& progress = {});

// Reads and validates the whole document into `pages` (an empty array with record size
// sizeof(dib), which the caller owns, as it owns the pictures added) and `layout`.
//
// The file is opened read-only (a write-protected file opens); only a regular file is read: FIFOs,
// folders and devices are refused without blocking. CannotOpen: the file cannot be opened.
// NotADocument: anything that is not a complete valid document: a wrong magic number, a negative
// N or one the file length cannot hold, L != 40 + 4c, c not 2^bits for 1/4/8 bits or not 0 for
// 16/24/32 bits, another depth, biSize != 40, biPlanes != 1, biCompression != BI_RGB, a width or
// height <= 0 or over the image library's caps (newdib failing for want of memory counts too),
// a Boolean other than 0 or 1, a length that is not a finite number, and any file length but the
// exact one (truncated, or with bytes after the trailer). The remaining length is checked before
// each picture is allocated, so no hostile count or size allocates more than the file holds.
//
// Each page is what newdib makes for the header's size and depth, with the file's colour table
// (and palette copy), and the file's header fields except the image size, which stays the one
// newdib sets. Pixel rows are read straight into the picture. On any failure `pages` is left as it
// was (empty) with every picture read so far released, and `layout` is untouched.
//
// `pageRead`, when given, is called with each page as soon as its rows are in, so the caller can
// move its pixels elsewhere (into the page store) before the next page is read.
using PageRead = std::function<void(dib&)>;
DocumentStatus readDocument(const std::string& fileName, TDynaArray& pages, DocumentLayout& layout,
                            const DocumentProgress& progress = {}, const PageRead& pageRead = {});

// The same from bytes in memory (used by the fuzzing target and tests).
DocumentStatus readDocumentFromMemory(const uint8_t* data, size_t size, TDynaArray& pages,
                                      DocumentLayout& layout);

// True when `fileName` is a regular file that starts with the document magic number (a quick look
// at four bytes; tells documents from pictures on the command line).
bool looksLikeDocument(const std::string& fileName);
