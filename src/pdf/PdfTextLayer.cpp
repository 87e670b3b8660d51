// TPDFCanvas: invisible text over the pictures (ISO 32000-1, 9.3.6 text rendering mode 3) and the
// one composite font it goes through (9.7 composite fonts, 9.9 embedded font programs, 9.10.3
// ToUnicode), with the TrueType program of that font built here from the OpenType specification.
#include "pdf/PDFWriterCanvas.h"

#include "platform/CodePage.h"
#include "platform/IoError.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

std::string num(int64_t v) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// A number with at most `decimals` digits after the point and no exponent (PDF numbers have
// none, ISO 32000-1, 7.3.3); trailing zeros are dropped.
std::string fixedNumber(double v, int decimals) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    std::string s(buf, r.ptr);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') {
            s.pop_back();
        }
        if (s.back() == '.') {
            s.pop_back();
        }
    }
    if (s == "-0") {
        s = "0";
    }
    return s;
}

// ---------------------------------------------------------------------------------------------
// The TrueType program (OpenType specification 1.9: the table directory, and the tables head,
// hhea, hmtx, maxp, loca, glyf and post). Big-endian throughout.

void be16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void be32(std::vector<uint8_t>& out, uint32_t v) {
    be16(out, v >> 16);
    be16(out, v & 0xFFFF);
}

// The sum of a table's big-endian 32-bit words, the table padded with zeros to a multiple of four.
uint32_t tableChecksum(const std::vector<uint8_t>& t) {
    uint32_t sum = 0;
    for (size_t i = 0; i < t.size(); i += 4) {
        uint32_t word = 0;
        for (size_t k = 0; k < 4; ++k) {
            word = (word << 8) | (i + k < t.size() ? t[i + k] : 0);
        }
        sum += word;
    }
    return sum;
}

constexpr uint16_t kGlyphs = 2; // .notdef and the blank glyph every character is shown with

std::vector<uint8_t> headTable() {
    std::vector<uint8_t> t;
    be32(t, 0x00010000); // version 1.0
    be32(t, 0x00010000); // fontRevision 1.0
    be32(t, 0);          // checksumAdjustment, set once the whole font is known
    be32(t, 0x5F0F3CF5); // magicNumber
    be16(t, 0x000B);     // flags: baseline at y = 0, left side bearing at x = 0, integer ppem
    be16(t, qly::kTextLayerUnitsPerEm);
    // created and modified, in seconds since 1904: a fixed day (1 January 2024), so the bytes
    // never change.
    for (int i = 0; i < 2; ++i) {
        be32(t, 0);
        be32(t, 0xE1B7B100);
    }
    be16(t, 0);                                                      // xMin
    be16(t, static_cast<uint16_t>(int16_t{qly::kTextLayerDescent})); // yMin
    be16(t, qly::kTextLayerAdvance);                                 // xMax
    be16(t, qly::kTextLayerAscent);                                  // yMax
    be16(t, 0);                                                      // macStyle
    be16(t, 3);                                                      // lowestRecPPEM
    be16(t, 2);                                                      // fontDirectionHint
    be16(t, 0); // indexToLocFormat: short offsets
    be16(t, 0); // glyphDataFormat
    return t;
}

std::vector<uint8_t> hheaTable() {
    std::vector<uint8_t> t;
    be32(t, 0x00010000);
    be16(t, qly::kTextLayerAscent);
    be16(t, static_cast<uint16_t>(int16_t{qly::kTextLayerDescent}));
    be16(t, 0);                      // lineGap
    be16(t, qly::kTextLayerAdvance); // advanceWidthMax
    be16(t, 0);                      // minLeftSideBearing
    be16(t, 0);                      // minRightSideBearing
    be16(t, 0);                      // xMaxExtent
    be16(t, 1);                      // caretSlopeRise: upright
    be16(t, 0);                      // caretSlopeRun
    be16(t, 0);                      // caretOffset
    for (int i = 0; i < 4; ++i) {
        be16(t, 0); // reserved
    }
    be16(t, 0); // metricDataFormat
    be16(t, 1); // numberOfHMetrics: one advance for all glyphs
    return t;
}

std::vector<uint8_t> hmtxTable() {
    std::vector<uint8_t> t;
    be16(t, qly::kTextLayerAdvance); // advance and left side bearing of glyph 0 ...
    be16(t, 0);
    for (uint16_t g = 1; g < kGlyphs; ++g) {
        be16(t, 0); // ... and the left side bearings of the glyphs that share its advance
    }
    return t;
}

std::vector<uint8_t> maxpTable() {
    std::vector<uint8_t> t;
    be32(t, 0x00010000); // version 1.0, as TrueType outlines require
    be16(t, kGlyphs);
    for (int i = 0; i < 13; ++i) {
        // maxPoints ... maxComponentDepth: no outline, no instruction; maxZones is 2 (no
        // twilight zone used, but 1 is only for fonts that say so).
        be16(t, i == 4 ? 2 : 0);
    }
    return t;
}

std::vector<uint8_t> locaTable() {
    // Short offsets (offset / 2) of each glyph and of the end: every glyph is empty.
    std::vector<uint8_t> t;
    for (uint16_t g = 0; g <= kGlyphs; ++g) {
        be16(t, 0);
    }
    return t;
}

std::vector<uint8_t> postTable() {
    std::vector<uint8_t> t;
    be32(t, 0x00030000);                           // version 3.0: no glyph names
    be32(t, 0);                                    // italicAngle
    be16(t, static_cast<uint16_t>(int16_t{-100})); // underlinePosition
    be16(t, 50);                                   // underlineThickness
    be32(t, 1);                                    // isFixedPitch
    for (int i = 0; i < 4; ++i) {
        be32(t, 0); // memory use when downloaded
    }
    return t;
}

// ---------------------------------------------------------------------------------------------
// Streams of the font objects

std::vector<uint8_t> deflated(const std::vector<uint8_t>& data, const std::string& file,
                              int64_t offset) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::vector<uint8_t> out(size);
    static const Bytef kEmpty = 0;
    if (compress2(out.data(), &size, data.empty() ? &kEmpty : data.data(),
                  static_cast<uLong>(data.size()), Z_BEST_COMPRESSION) != Z_OK) {
        throw qly::IoError("The font data could not be compressed", file, offset);
    }
    out.resize(size);
    return out;
}

// UTF-16BE of a character in hexadecimal digits, as a CMap writes a destination string.
std::string utf16Hex(char32_t c) {
    static const char kHex[] = "0123456789ABCDEF";
    auto unit = [](std::string& s, uint32_t u) {
        for (int shift = 12; shift >= 0; shift -= 4) {
            s += kHex[(u >> shift) & 15];
        }
    };
    std::string s;
    if (c >= 0x10000) {
        const uint32_t v = static_cast<uint32_t>(c) - 0x10000;
        unit(s, 0xD800 + (v >> 10));
        unit(s, 0xDC00 + (v & 0x3FF));
    } else {
        unit(s, static_cast<uint32_t>(c));
    }
    return s;
}

// A character code of the text layer in hexadecimal digits: two for a one-byte code, four for a
// two-byte one.
std::string codeHex(uint16_t code) {
    return code < 0x100 ? utf16Hex(code).substr(2) : utf16Hex(code);
}

// The lines of a CMap's blocks: at most 100 entries between a begin and its end.
void cmapBlocks(std::string& s, const std::vector<std::string>& lines, const char* kind) {
    for (size_t i = 0; i < lines.size(); i += 100) {
        const size_t n = std::min<size_t>(100, lines.size() - i);
        s += num(static_cast<int64_t>(n)) + " begin" + kind + "\n";
        for (size_t k = i; k < i + n; ++k) {
            s += lines[k] + "\n";
        }
        s += std::string("end") + kind + "\n";
    }
}

// The two code spaces of the text layer's codes (PdfTextLayer.h): one byte up to 7F, two bytes
// from 8000.
constexpr const char* kCodeSpaces = "2 begincodespacerange\n<00> <7F>\n<8000> <FFFF>\n"
                                    "endcodespacerange\n";

// The ToUnicode CMap of the codes used (ISO 32000-1, 9.10.3; the syntax of Adobe's CMap files).
// Codes that follow each other with characters that follow each other become one range, within
// one value of the first byte as bfrange requires; characters beyond the Basic Multilingual
// Plane are single entries mapping to a surrogate pair.
std::string toUnicodeCMap(const std::map<uint16_t, char32_t>& codes) {
    std::vector<std::string> ranges;
    std::vector<std::string> singles;
    for (auto it = codes.begin(); it != codes.end();) {
        const uint16_t first = it->first;
        const char32_t c = it->second;
        if (c >= 0x10000) {
            singles.push_back("<" + codeHex(first) + "> <" + utf16Hex(c) + ">");
            ++it;
            continue;
        }
        uint16_t last = first;
        auto next = std::next(it);
        while (next != codes.end() && next->first == last + 1 &&
               (next->first >> 8) == (first >> 8) && next->second == c + (next->first - first) &&
               next->second < 0x10000) {
            last = next->first;
            ++next;
        }
        ranges.push_back("<" + codeHex(first) + "> <" + codeHex(last) + "> <" + utf16Hex(c) + ">");
        it = next;
    }
    std::string s = "/CIDInit /ProcSet findresource begin\n"
                    "12 dict begin\n"
                    "begincmap\n"
                    "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                    "/CMapName /Adobe-Identity-UCS def\n"
                    "/CMapType 2 def\n";
    s += kCodeSpaces;
    cmapBlocks(s, ranges, "bfrange");
    cmapBlocks(s, singles, "bfchar");
    s += "endcmap\n"
         "CMapName currentdict /CMap defineresource pop\n"
         "end\n"
         "end\n";
    return s;
}

// The font's encoding, a CMap from the codes to CIDs (ISO 32000-1, 9.7.5): each code is its own
// CID, which keeps the CIDs within the code spaces, as some readers expect when they map CIDs
// back to text. A range of two-byte codes may only differ in its last byte, so those up to
// `lastCode` go in ranges of 256.
std::string encodingCMap(uint16_t lastCode) {
    std::vector<std::string> ranges = {"<00> <7F> 0"};
    for (uint32_t first = 0x8000; first <= lastCode; first += 0x100) {
        const uint32_t last = std::min<uint32_t>(first + 0xFF, lastCode);
        ranges.push_back("<" + codeHex(static_cast<uint16_t>(first)) + "> <" +
                         codeHex(static_cast<uint16_t>(last)) + "> " + num(int64_t(first)));
    }
    std::string s = "/CIDInit /ProcSet findresource begin\n"
                    "12 dict begin\n"
                    "begincmap\n"
                    "/CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> "
                    "def\n"
                    "/CMapName /QuilloryText def\n"
                    "/CMapType 1 def\n";
    s += kCodeSpaces;
    cmapBlocks(s, ranges, "cidrange");
    s += "endcmap\n"
         "CMapName currentdict /CMap defineresource pop\n"
         "end\n"
         "end\n";
    return s;
}

} // namespace

namespace qly {

std::vector<uint8_t> textLayerFontProgram() {
    struct Table {
        const char* tag;
        std::vector<uint8_t> data;
    };
    // In the order of their tags, as the table directory lists them. glyf is empty: no glyph has
    // an outline.
    std::array<Table, 7> tables = {{{"glyf", {}},
                                    {"head", headTable()},
                                    {"hhea", hheaTable()},
                                    {"hmtx", hmtxTable()},
                                    {"loca", locaTable()},
                                    {"maxp", maxpTable()},
                                    {"post", postTable()}}};
    const uint16_t n = static_cast<uint16_t>(tables.size());
    uint16_t searchRange = 16;
    uint16_t entrySelector = 0;
    while (searchRange * 2 <= n * 16) {
        searchRange = static_cast<uint16_t>(searchRange * 2);
        ++entrySelector;
    }
    std::vector<uint8_t> font;
    be32(font, 0x00010000); // sfntVersion: TrueType outlines
    be16(font, n);
    be16(font, searchRange);
    be16(font, entrySelector);
    be16(font, static_cast<uint16_t>(n * 16 - searchRange));
    uint32_t offset = 12 + 16u * n;
    size_t headOffset = 0;
    for (const Table& t : tables) {
        for (int i = 0; i < 4; ++i) {
            font.push_back(static_cast<uint8_t>(t.tag[i]));
        }
        be32(font, tableChecksum(t.data));
        be32(font, offset);
        be32(font, static_cast<uint32_t>(t.data.size()));
        if (std::strcmp(t.tag, "head") == 0) {
            headOffset = offset;
        }
        offset += (static_cast<uint32_t>(t.data.size()) + 3) & ~3u;
    }
    for (const Table& t : tables) {
        font.insert(font.end(), t.data.begin(), t.data.end());
        font.resize((font.size() + 3) & ~size_t{3}, 0);
    }
    // head.checksumAdjustment makes the whole font sum to 0xB1B0AFBA.
    const uint32_t adjust = 0xB1B0AFBA - tableChecksum(font);
    for (int i = 0; i < 4; ++i) {
        font[headOffset + 8 + size_t(i)] = static_cast<uint8_t>(adjust >> (24 - 8 * i));
    }
    return font;
}

} // namespace qly

// ---------------------------------------------------------------------------------------------
// The text in the page content

uint16_t TPDFCanvas::TextLayerCode(char32_t c) {
    // Printable ASCII is its own one-byte code.
    if (c >= 0x20 && c < 0x7F) {
        textcodes.emplace(static_cast<uint16_t>(c), c);
        return static_cast<uint16_t>(c);
    }
    if (const auto it = textextracodes.find(c); it != textextracodes.end()) {
        return it->second;
    }
    // Other characters take codes in the order they come: the 32 one-byte codes ASCII leaves
    // (01 to 1F and 7F) first, so most European text stays one byte per character, then two-byte
    // codes from 8000. FFFF is kept for U+FFFD, which stands for any character beyond the last.
    const size_t n = textextracodes.size();
    uint16_t code = 0;
    if (n < 31) {
        code = static_cast<uint16_t>(n + 1);
    } else if (n == 31) {
        code = 0x7F;
    } else if (n - 32 < 0x7FFF) {
        code = static_cast<uint16_t>(0x8000 + (n - 32));
    } else if (c != 0xFFFD) {
        return TextLayerCode(0xFFFD);
    } else {
        code = 0xFFFF;
    }
    textextracodes.emplace(c, code);
    textcodes.emplace(code, c);
    return code;
}

void TPDFCanvas::DrawTextLayer(int32_t x1, int32_t y1, int32_t x2w, int32_t y2w, int32_t picWidth,
                               int32_t picHeight, const std::vector<qly::TextLayerWord>& words) {
    if (!isincreation || words.empty() || picWidth <= 0 || picHeight <= 0) {
        return;
    }
    // The picture's box as Placement draws it: shrunk by one unit towards zero.
    const int64_t w = x2w >= 1 ? int64_t(x2w) - 1 : int64_t(x2w) + 1;
    const int64_t h = y2w >= 1 ? int64_t(y2w) - 1 : int64_t(y2w) + 1;
    if (w <= 0 || h <= 0) {
        return;
    }
    try {
        // Text space is a grid over the picture's pixels, origin at its bottom-left corner, one
        // unit a square of whole pixels about a point on the page wide (4 at 300 dpi shown at
        // full size): positions and sizes on it are off by half a point at most, and their
        // numbers are short and often alike, which compresses well.
        const double kx = double(w) / picWidth;
        const double ky = double(h) / picHeight;
        const double unit = std::max(1.0, std::floor(1.0 / std::max(kx, ky)));
        constexpr double kAscent = qly::kTextLayerAscent / double(qly::kTextLayerUnitsPerEm);
        constexpr double kDescent = -qly::kTextLayerDescent / double(qly::kTextLayerUnitsPerEm);
        constexpr double kAdvance = qly::kTextLayerAdvance / double(qly::kTextLayerUnitsPerEm);
        // A word keeps the size, baseline and stretch of the word before when its box comes out
        // within a point of its own that way, so a line of like words shares its operators.
        const double tolX = 1.0 / kx;
        const double tolY = 1.0 / ky;
        // The top and bottom of the glyphs' cells, in pixel rows from the picture's top, of a
        // baseline and size in units.
        auto topOf = [&](int64_t baseline, int64_t size) {
            return picHeight - (double(baseline) + kAscent * double(size)) * unit;
        };
        auto bottomOf = [&](int64_t baseline, int64_t size) {
            return picHeight - (double(baseline) - kDescent * double(size)) * unit;
        };

        std::string out;
        bool started = false;
        int64_t lineX = 0; // the start of the last word (the text line matrix), in units
        int64_t lineY = 0; // and its baseline
        int64_t size = 0;  // its font size, in units
        double scale = 0;  // its horizontal scaling, per cent
        for (const qly::TextLayerWord& word : words) {
            const int64_t bw = int64_t(word.right) - word.left;
            const int64_t bh = int64_t(word.bottom) - word.top;
            if (bw <= 0 || bh <= 0 || bh > INT32_MAX) {
                continue;
            }
            std::string codes;
            int32_t count = 0;
            const std::u16string text = qly::utf8ToUtf16(word.text);
            for (size_t i = 0; i < text.size(); ++i) {
                char32_t c = text[i];
                if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                    text[i + 1] < 0xE000) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
                    ++i;
                }
                if (c <= 0x20) {
                    continue; // a blank or a control character: nothing to find or copy
                }
                const uint16_t code = TextLayerCode(c);
                // One or two bytes in a literal string (ISO 32000-1, 7.3.4.2): the delimiters
                // and the backslash escaped, and a carriage return too, which a reader would
                // otherwise take for a line end.
                const std::array<uint8_t, 2> bytes = {static_cast<uint8_t>(code >> 8),
                                                      static_cast<uint8_t>(code)};
                for (size_t k = code < 0x100 ? 1 : 0; k < bytes.size(); ++k) {
                    const uint8_t b = bytes[k];
                    if (b == '(' || b == ')' || b == '\\') {
                        codes += '\\';
                        codes += static_cast<char>(b);
                    } else if (b == '\r') {
                        codes += "\\r";
                    } else {
                        codes += static_cast<char>(b);
                    }
                }
                ++count;
            }
            if (count == 0) {
                continue;
            }
            // The font size is the box's height and the baseline lies kAscent of it below the
            // top, so the glyphs' cells (ascent to descent) cover the box from top to bottom.
            int64_t wordSize = std::max<int64_t>(1, std::llround(double(bh) / unit));
            int64_t wordY =
                std::llround((picHeight - word.top - kAscent * double(wordSize) * unit) / unit);
            if (started && std::abs(topOf(lineY, size) - word.top) <= tolY &&
                std::abs(bottomOf(lineY, size) - word.bottom) <= tolY) {
                wordSize = size;
                wordY = lineY;
            }
            const int64_t x = std::llround(word.left / unit);
            // Stretched to the box's width: the scaling of the word before when that is close
            // enough, else the coarsest of whole twenties, tens, fives, twos and ones of per
            // cents that is (fewer different numbers compress better), else tenths.
            const double width = word.right - double(x) * unit;              // from where it starts
            const double plain = count * kAdvance * double(wordSize) * unit; // at 100 %
            const double exact = 100.0 * width / plain;
            double wordScale = std::round(exact * 10) / 10;
            if (started && std::abs(scale * plain / 100 - width) <= tolX) {
                wordScale = scale;
            } else {
                for (const double step : {20.0, 10.0, 5.0, 2.0, 1.0}) {
                    const double candidate = std::round(exact / step) * step;
                    if (candidate > 0 && std::abs(candidate * plain / 100 - width) <= tolX) {
                        wordScale = candidate;
                        break;
                    }
                }
            }
            if (wordScale <= 0) {
                continue; // a box far narrower than a grid unit
            }
            if (!started) {
                out += "q\nBT\n3 Tr\n" + fixedNumber(kx * unit, 6) + " 0 0 " +
                       fixedNumber(ky * unit, 6) + " " + num(x1) + " " +
                       num(int64_t(PageHeight) - y1 - h) + " Tm\n";
                out += num(x) + " " + num(wordY) + " Td";
            } else if (x != lineX || wordY != lineY) {
                out += num(x - lineX) + " " + num(wordY - lineY) + " Td";
            }
            // Operators and operands only need a blank between two numbers or names.
            if (!started || wordSize != size) {
                out += "/TL " + num(wordSize) + " Tf";
            }
            if (!started || wordScale != scale) {
                out += " " + fixedNumber(wordScale, 1) + " Tz";
            }
            out += "(" + codes + ")Tj\n";
            started = true;
            lineX = x;
            lineY = wordY;
            size = wordSize;
            scale = wordScale;
        }
        if (!started) {
            return;
        }
        // q and Q keep the rendering mode, font and scaling from everything drawn after.
        out += "ET\nQ\n";
        put(out);
        const int32_t page = apages - 1;
        if (textpages.empty() || textpages.back() != page) {
            textpages.push_back(page);
        }
    } catch (const qly::IoError&) {
        AbortDoc();
        throw;
    } catch (const std::bad_alloc&) {
        AbortDoc();
        throw qly::IoError("Not enough memory for the page's text", f.name(), f.written());
    }
}

// ---------------------------------------------------------------------------------------------
// The font objects

void TPDFCanvas::WriteTextLayerFont() {
    const int64_t n = textfontnr;
    // The Type0 font the pages name, its CIDFont and the descriptor.
    BeginDictObject();
    putln("/Type /Font /Subtype /Type0 /BaseFont /QuilloryText /Encoding " + num(n + 6) + " 0 R");
    putln("/DescendantFonts [" + num(n + 1) + " 0 R] /ToUnicode " + num(n + 4) + " 0 R");
    EndDictObject();
    BeginDictObject();
    putln("/Type /Font /Subtype /CIDFontType2 /BaseFont /QuilloryText");
    putln("/CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>");
    putln("/FontDescriptor " + num(n + 2) + " 0 R /DW " + num(qly::kTextLayerAdvance) +
          " /CIDToGIDMap " + num(n + 5) + " 0 R");
    EndDictObject();
    BeginDictObject();
    // Flagged symbolic: its glyphs are not those of a standard character set.
    putln("/Type /FontDescriptor /FontName /QuilloryText /Flags 4 /FontBBox [0 " +
          num(qly::kTextLayerDescent) + " " + num(qly::kTextLayerAdvance) + " " +
          num(qly::kTextLayerAscent) + "]");
    putln("/ItalicAngle 0 /Ascent " + num(qly::kTextLayerAscent) + " /Descent " +
          num(qly::kTextLayerDescent) + " /CapHeight " + num(qly::kTextLayerAscent) +
          " /StemV 80 /FontFile2 " + num(n + 3) + " 0 R");
    EndDictObject();

    // The font program.
    const std::vector<uint8_t> program = qly::textLayerFontProgram();
    std::vector<uint8_t> packed = deflated(program, f.name(), f.written());
    BeginObject();
    WriteStreamObject("<< /Length " + num(int64_t(packed.size())) + " /Length1 " +
                          num(int64_t(program.size())) + " /Filter /FlateDecode >>",
                      packed, true);

    // ToUnicode.
    const std::string cmap = toUnicodeCMap(textcodes);
    packed = deflated(std::vector<uint8_t>(cmap.begin(), cmap.end()), f.name(), f.written());
    BeginObject();
    WriteStreamObject("<< /Length " + num(int64_t(packed.size())) + " /Filter /FlateDecode >>",
                      packed, true);

    // CIDToGIDMap: every CID up to the highest code used shows glyph 1, the blank one;
    // CID 0 stays .notdef.
    const uint16_t lastCode = textcodes.empty() ? 0 : textcodes.rbegin()->first;
    const size_t cids = size_t(lastCode) + 1;
    std::vector<uint8_t> map(2 * cids, 0);
    for (size_t cid = 1; cid < cids; ++cid) {
        map[2 * cid + 1] = 1;
    }
    packed = deflated(map, f.name(), f.written());
    BeginObject();
    WriteStreamObject("<< /Length " + num(int64_t(packed.size())) + " /Filter /FlateDecode >>",
                      packed, true);

    // The encoding: one-byte and two-byte codes to CIDs.
    const std::string encoding = encodingCMap(lastCode);
    packed =
        deflated(std::vector<uint8_t>(encoding.begin(), encoding.end()), f.name(), f.written());
    BeginObject();
    WriteStreamObject("<< /Type /CMap /CMapName /QuilloryText /CIDSystemInfo << /Registry "
                      "(Adobe) /Ordering (Identity) /Supplement 0 >> /Length " +
                          num(int64_t(packed.size())) + " /Filter /FlateDecode >>",
                      packed, true);
}
