#pragma once
// JPEG files kept as they are: what their markers say (read without decoding the picture), the
// quality libjpeg's quality scale gives their quantisation tables, reading a picture file
// together with its JPEG bytes, and libjpeg-turbo's lossless quarter turn. No Qt.

#include "platform/DibRecord.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qly {

// How libjpeg turns a file's components into colours (its choice of jpeg_color_space).
enum class JpegColour : uint8_t { Grey, YCbCr, Rgb, Cmyk, Ycck };

// What the markers of a JPEG file say.
struct JpegFacts {
    int32_t width = 0;
    int32_t height = 0;
    int32_t components = 0;               // 1, 3 or 4
    JpegColour colour = JpegColour::Grey; // as libjpeg decodes the file
    bool progressive = false;             // SOF2; else sequential (SOF0 baseline or SOF1)
    bool jfif = false;                    // a JFIF APP0 marker
    int32_t adobeTransform = -1;          // the transform of an Adobe APP14 marker; -1: none
    int32_t orientation = 1;              // the EXIF orientation tag; 1 when there is none
    int32_t quality = 0;                  // 1..100, see jpegTableQuality
};

// Reads the markers of a JPEG file (ISO/IEC 10918-1, annex B) without decoding the picture. True
// only for a complete file of one frame coded with Huffman tables, sequential (SOF0, SOF1) or
// progressive (SOF2), with 8 bits per sample, 1, 3 or 4 components of non-zero size (no DNL), a
// quantisation table for each component, at least one scan, nothing but fill bytes between
// segments, and EOI after the last scan (bytes after EOI do not count). False for anything else,
// a file cut off or damaged between markers included; `facts` is then undefined. Reads nothing
// outside [data, data + size).
bool readJpegFacts(const uint8_t* data, size_t size, JpegFacts& facts);

// The quality 1..100 that libjpeg's jpeg_set_quality (with baseline tables) would give: the one
// whose scaled standard tables (ITU-T T.81 annex K, tables K.1 and K.2) are closest to the given
// tables, by the sum of squared differences over both; among equally close qualities the highest.
// Tables are 64 entries in natural (row by row) order; `chrominance` may be null (grey files,
// and files whose colour components share the first component's table).
int32_t jpegTableQuality(const uint16_t* luminance, const uint16_t* chrominance);

// True when a PDF's DCTDecode filter, taking the file as it is (with the colour space for its
// component count), shows the colours libjpeg decodes: grey files; three components that are
// YCbCr without an Adobe marker or with one of transform 1, or RGB through an Adobe marker of
// transform 0 without a JFIF marker (the Adobe marker rules in PDF, the JFIF marker in libjpeg);
// and EXIF orientation 1. Four-component files (CMYK, YCCK) are not: the renderers convert
// DeviceCMYK each their own way, so such a page would look different in each viewer.
bool jpegShowsAlikeInPdf(const JpegFacts& facts);

// Reads a picture file as OpenDib does. When it is a JPEG file that readJpegFacts accepts and
// that libjpeg decodes without any warning (files with corrupt data or a premature end still give
// a picture, with a warning), `jpeg` receives the file's bytes and `facts` what its markers say;
// otherwise `jpeg` is left empty.
//
// When `pixelsLater` is given and answers true for such a file of one or three components (a
// four-component file is always decoded at once), its pixels are not decoded: the
// file is only checked (decoded at an eighth of its size, which runs every check and meets every
// warning a full decoding would), and `out` gets a bitmap of the picture's size, depth and
// resolution with all pixels zero, to be filled with decodeJpegPixels before anything looks at
// them. A file that fails the check is read in full as OpenDib reads it.
void OpenDibKeepingJpeg(dib& out, const std::string& fileName, std::vector<uint8_t>& jpeg,
                        JpegFacts& facts,
                        const std::function<bool(const JpegFacts&)>& pixelsLater = {});
// The same from bytes in memory (copied into `jpeg` when kept).
void OpenDibKeepingJpegFromMemory(dib& out, const uint8_t* data, size_t size,
                                  std::vector<uint8_t>& jpeg, JpegFacts& facts,
                                  const std::function<bool(const JpegFacts&)>& pixelsLater = {});

// Decodes the JPEG file into the pixels of `picture`, a bitmap of the file's size and of the
// depth the image library reads it at (8-bit grey or 24-bit). False, with the pixels unchanged
// or partly written, when the file does not fit the bitmap or cannot be decoded.
bool decodeJpegPixels(const dib& picture, const uint8_t* data, size_t size);

// Turns a JPEG file by a quarter turn on its DCT coefficients (libjpeg-turbo's lossless
// transform), clockwise or counter-clockwise, into `out` as a progressive file (whose Huffman
// tables are made for its data) with the file's other markers copied. Decoding it gives what
// decoding the file and turning the pixels gives, up to the rounding of the inverse DCT. False
// (`out` empty) when the turn cannot be exact: the edge that becomes the left or the top is not
// a whole number of coding blocks (MCUs); also for a damaged file.
bool turnJpegLossless(const uint8_t* data, size_t size, bool clockwise, std::vector<uint8_t>& out);

} // namespace qly
