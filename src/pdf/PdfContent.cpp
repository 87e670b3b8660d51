// TPDFCanvas: lines, rectangles and text in the page content (ISO 32000-1, 8.5 paths, 9.4 text
// objects), the state operators they need, and the font objects EndDoc writes for the fonts
// used (9.6.3 TrueType fonts, 9.8 font descriptors).
#include "pdf/PDFWriterCanvas.h"

#include "platform/CodePage.h"
#include "platform/Heap.h"
#include "platform/IoError.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

std::string num(int64_t v) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// Font objects describe the font measured at 12 points; their numbers are in thousandths of the
// em (ISO 32000-1, 9.2.4), so a measurement is scaled by 1000 / 12.
constexpr int32_t kFontObjectSize = 12;
constexpr double kScale = 1000.0 / kFontObjectSize;

// s x value, truncated towards zero. A product that should be whole can come out a hair short of
// it (6 x 83.33... gives 499.99...); the hair is not truncated away.
int64_t scaled(double value) {
    const double v = value * kScale;
    return static_cast<int64_t>(std::trunc(v + std::copysign(1e-7, v)));
}

// The range of codes whose widths a font object lists, from the first and last character codes
// the font maps. The content holds single Windows-1252 bytes, so the range is that of the font
// within 0..255: a font that goes on beyond 255 (as nearly every font does) is listed up to 255.
struct CodeRange {
    int32_t first;
    int32_t last;
};
CodeRange widthRange(char16_t firstChar, char16_t lastChar) {
    const int32_t first = std::min<int32_t>(firstChar, 255);
    return {first, std::clamp<int32_t>(lastChar, first, 255)};
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Numbers and strings

// PDF numbers take a decimal point (ISO 32000-1, 7.3.3), whatever separator the locale uses.
std::string TPDFCanvas::DecimalPoint(std::string s) {
    std::replace(s.begin(), s.end(), ',', '.');
    return s;
}

std::string TPDFCanvas::ColourText(uint32_t color) {
    // Each byte / 255 as a general number of up to 15 significant digits (0, 1,
    // 0.501960784313725), whatever the locale.
    std::string out;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double c = double((color >> shift) & 0xFF) / 255.0;
        char buf[32];
        const auto r = std::to_chars(buf, buf + sizeof buf, c, std::chars_format::general, 15);
        if (shift > 0) {
            out += ' ';
        }
        out += DecimalPoint(std::string(buf, r.ptr));
    }
    return out;
}

std::u16string TPDFCanvas::EscapeString(std::u16string_view s) {
    // Literal string escapes (ISO 32000-1, 7.3.4.2).
    std::u16string out;
    out.reserve(s.size());
    for (const char16_t c : s) {
        switch (c) {
        case u'\\':
            out += u"\\\\";
            break;
        case u'(':
            out += u"\\(";
            break;
        case u')':
            out += u"\\)";
            break;
        case u'\n':
            out += u"\\n";
            break;
        case u'\r':
            out += u"\\r";
            break;
        case u'\t':
            out += u"\\t";
            break;
        case u'\b':
            out += u"\\b";
            break;
        case u'\f':
            out += u"\\f";
            break;
        default:
            if (c < 32) {
                out += u'\\';
                out += static_cast<char16_t>(u'0' + ((c >> 6) & 7));
                out += static_cast<char16_t>(u'0' + ((c >> 3) & 7));
                out += static_cast<char16_t>(u'0' + (c & 7));
            } else {
                out += c;
            }
        }
    }
    return out;
}

std::string TPDFCanvas::PDFFontName(std::u16string_view name, uint8_t style) {
    // A name's regular characters stand as they are; delimiters, '#' and everything outside
    // 33..126 are written as '#' and two hexadecimal digits (ISO 32000-1, 7.3.5).
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    auto escaped = [&out](uint8_t b) {
        out += '#';
        out += kHex[b >> 4];
        out += kHex[b & 15];
    };
    for (size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        if (c == 0) {
            continue;
        }
        if (c >= 33 && c <= 126 && std::strchr("%()<>[]{}/#", static_cast<char>(c)) == nullptr) {
            out += static_cast<char>(c);
        } else if (c <= 0xFF) {
            escaped(static_cast<uint8_t>(c));
        } else {
            // Beyond one byte a character is written as its UTF-8 bytes, each escaped, as the
            // standard recommends for names; its code in more than two hexadecimal digits would
            // be read as another character followed by digits.
            const bool pair = c >= 0xD800 && c < 0xDC00 && i + 1 < name.size() &&
                              name[i + 1] >= 0xDC00 && name[i + 1] < 0xE000;
            for (const char b : qly::utf16ToUtf8(name.substr(i, pair ? 2 : 1))) {
                escaped(static_cast<uint8_t>(b));
            }
            i += pair ? 1 : 0;
        }
    }
    if ((style & fsBold) != 0 && (style & fsItalic) != 0) {
        out += ",BoldItalic";
    } else if ((style & fsItalic) != 0) {
        out += ",Italic";
    } else if ((style & fsBold) != 0) {
        out += ",Bold";
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Drawing state

void TPDFCanvas::SetPenState() {
    if (pensetted && pen.Style == open.Style && pen.Width == open.Width &&
        pen.Color == open.Color) {
        return;
    }
    noline = false;
    switch (pen.Style) {
    case psSolid:
    case psInsideFrame:
        putln("[ ] 0 d");
        break;
    case psDash:
        putln("[3] 0 d");
        break;
    case psDot:
        putln("[1] 0 d");
        break;
    case psDashDot:
        putln("[3 1 1 1] 0 d");
        break;
    case psDashDotDot:
        putln("[3 1 1 1 1 1] 0 d");
        break;
    case psClear:
        noline = true;
        break;
    default:
        break; // an unknown style keeps the dash pattern in force
    }
    if (!noline) {
        putln(num(pen.Width) + " w");
        putln(ColourText(pen.Color) + " RG");
    }
    pensetted = true;
    open = pen;
}

void TPDFCanvas::SetBrushState() {
    if (brushsetted && brush.Style == oBrush.Style && brush.Color == oBrush.Color) {
        return;
    }
    nofill = brush.Style == bsClear;
    if (!nofill) {
        putln(ColourText(brush.Color) + " rg");
    }
    brushsetted = true;
    oBrush = brush;
}

void TPDFCanvas::SetFontState() {
    // Text is painted in the fill colour. The colour oBrush records was written only when that
    // brush was not clear, so after a clear brush the font colour is written in any case.
    if (!brushsetted || nofill || oBrush.Color != font.Color) {
        putln(ColourText(font.Color) + " rg");
        oBrush.Color = font.Color;
    }
    const int32_t n = FontIndex(font.Name, font.Style);
    if (!fontsetted || n != ofontnr || font.Size != ofontsize) {
        putln("/F" + num(n) + " " + num(font.Size) + " Tf");
        ofontnr = n;
        ofontsize = font.Size;
        fontsetted = true;
    }
}

int32_t TPDFCanvas::FontIndex(std::u16string_view name, uint8_t style) {
    // The table keeps zero-terminated copies, so a name counts up to its first zero.
    name = name.substr(0, name.find(u'\0'));
    for (uint32_t i = 0; i < FontList->count; ++i) {
        const auto* e = static_cast<const TPDFFontEntry*>(FontList->GetObject(i));
        if (e->style == style && name == std::u16string_view(e->name)) {
            return static_cast<int32_t>(i + 1);
        }
    }
    auto* copy = static_cast<char16_t*>(qly::heapAlloc((name.size() + 1) * sizeof(char16_t)));
    if (copy == nullptr) {
        throw qly::IoError("Not enough memory for the font table", f.name(), f.written());
    }
    std::memcpy(copy, name.data(), name.size() * sizeof(char16_t)); // the block is zero-filled
    auto* e = static_cast<TPDFFontEntry*>(FontList->Add());
    if (e == nullptr) {
        qly::heapFree(copy);
        throw qly::IoError("Not enough memory for the font table", f.name(), f.written());
    }
    e->name = copy;
    e->style = style;
    return static_cast<int32_t>(FontList->count);
}

// ---------------------------------------------------------------------------------------------
// Lines and rectangles

void TPDFCanvas::MoveTo(int32_t xp, int32_t yp) {
    if (isincreation) {
        penpos = {xp, yp};
    }
}

void TPDFCanvas::StrokeLine(int64_t xa, int64_t ya, int64_t xb, int64_t yb) {
    putln(num(xa) + " " + num(PageHeight - ya - 1) + " m");
    putln(num(xb) + " " + num(PageHeight - yb - 1) + " l");
    putln("S");
}

void TPDFCanvas::LineTo(int32_t xp, int32_t yp) {
    if (!isincreation) {
        return;
    }
    try {
        SetPenState();
        if (!noline) {
            StrokeLine(penpos.x, penpos.y, xp, yp);
        }
        penpos = {xp, yp};
    } catch (...) {
        AbortDoc();
        throw;
    }
}

std::string TPDFCanvas::RectOperands(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const {
    // Width and height are shrunk by one unit towards zero, so a rectangle covers the units from
    // its first corner up to, not including, the second.
    int64_t w = int64_t(x2) - x1;
    int64_t h = int64_t(y2) - y1;
    w += w > 0 ? -1 : 1;
    h += h > 0 ? -1 : 1;
    return num(x1) + " " + num(int64_t(PageHeight) - y2) + " " + num(w) + " " + num(h) + " re";
}

void TPDFCanvas::FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    if (!isincreation || x2 == x1 || y2 == y1) {
        return;
    }
    try {
        SetBrushState();
        if (!nofill) {
            putln(RectOperands(x1, y1, x2, y2));
            putln("f");
        }
    } catch (...) {
        AbortDoc();
        throw;
    }
}

void TPDFCanvas::FillRect(const TRect& rre) {
    FillRect(rre.Left, rre.Top, rre.Right, rre.Bottom);
}

void TPDFCanvas::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    if (pen.Style == psClear) {
        FillRect(x1, y1, x2, y2);
        return;
    }
    if (!isincreation || x2 == x1 || y2 == y1) {
        return;
    }
    try {
        SetPenState();
        SetBrushState();
        if (!nofill) {
            putln(RectOperands(x1, y1, x2, y2));
            putln("B"); // fill, then stroke
        } else if (!noline) {
            // The outline alone, as four lines through the corner points.
            const int64_t r = int64_t(x2) - 1;
            const int64_t b = int64_t(y2) - 1;
            StrokeLine(x1, y1, r, y1);
            StrokeLine(r, y1, r, b);
            StrokeLine(r, b, x1, b);
            StrokeLine(x1, b, x1, y1);
            penpos = {x1, y1};
        }
    } catch (...) {
        AbortDoc();
        throw;
    }
}

void TPDFCanvas::Rectangle(const TRect& rre) {
    Rectangle(rre.Left, rre.Top, rre.Right, rre.Bottom);
}

// ---------------------------------------------------------------------------------------------
// Text

qly::PdfTextMeasure& TPDFCanvas::Measure() {
    if (mycanbit == nullptr) {
        mycanbit = qly::makeQtTextMeasure();
    }
    return *mycanbit;
}

void TPDFCanvas::setTextMeasure(std::unique_ptr<qly::PdfTextMeasure> measure) {
    mycanbit = std::move(measure);
}

int32_t TPDFCanvas::TextWidth(std::u16string_view text) {
    qly::PdfTextMeasure& m = Measure();
    m.setFont(font.Name, font.Style, font.Size);
    // The characters as the content holds them, each with its own advance (no kerning), as a
    // viewer lays them out from the font's widths.
    double width = 0;
    for (const char16_t c : qly::fromAnsi(qly::toAnsi(text))) {
        width += m.charWidth(c);
    }
    return static_cast<int32_t>(std::lround(width));
}

int32_t TPDFCanvas::TextHeight(std::u16string_view /*text*/) {
    // The height of the text cell, the same for every text in a font.
    qly::PdfTextMeasure& m = Measure();
    m.setFont(font.Name, font.Style, font.Size);
    return static_cast<int32_t>(std::lround(m.ascent() + m.descent()));
}

void TPDFCanvas::TextOut(int32_t x, int32_t y, std::u16string_view text) {
    if (!isincreation) {
        return;
    }
    try {
        const int64_t th = TextHeight(text);
        putln("BT");
        SetFontState();
        // The baseline goes to the bottom of the text cell.
        putln(num(x) + " " + num(int64_t(PageHeight) - y - th - 1) + " Td (" +
              qly::toAnsi(EscapeString(text)) + ") Tj");
        putln("ET");
    } catch (...) {
        AbortDoc();
        throw;
    }
}

// ---------------------------------------------------------------------------------------------
// Font objects

void TPDFCanvas::WriteFontObjects() {
    for (uint32_t i = 0; i < FontList->count; ++i) {
        const TPDFFontEntry e = *static_cast<const TPDFFontEntry*>(FontList->GetObject(i));
        WriteFontObject(e);
    }
}

void TPDFCanvas::WriteFontObject(const TPDFFontEntry& e) {
    qly::PdfTextMeasure& m = Measure();
    m.setFont(e.name, e.style, kFontObjectSize);
    BeginDictObject();
    putln("/Type /Font");
    putln("/Subtype /TrueType");
    putln("/Encoding /WinAnsiEncoding");
    putln("/BaseFont /" + PDFFontName(e.name, e.style));
    // Without a font to measure the widths are left to the viewer's font: better than wrong ones.
    if (m.hasFont()) {
        // The descriptor is written inline. Its flags say "nonsymbolic" (bit 6): the font's
        // glyphs are then found through the standard names /WinAnsiEncoding gives the codes
        // (ISO 32000-1, 9.6.6.4). Flagged "symbolic", the encoding is ignored by some viewers
        // (mupdf, ghostscript), which then show and copy other characters beyond ASCII.
        putln("/FontDescriptor <</Type/FontDescriptor");
        qly::PdfTextMeasure::Outline o;
        if (m.outline(o)) {
            putln("/FontBBox[" + num(scaled(o.left)) + " " + num(scaled(o.bottom)) + " " +
                  num(scaled(o.right)) + " " + num(scaled(o.top)) + "]");
            putln("/Flags 32/Ascent " + num(scaled(m.ascent())) + "/Descent " +
                  num(scaled(-m.descent())) + "/ItalicAngle " +
                  num(static_cast<int64_t>(o.italicAngle)) + ">>");
        } else {
            // Without outline metrics the box spans the widest character and the text cell.
            putln("/FontBBox[0 " + num(-scaled(m.descent())) + " " + num(scaled(m.maxCharWidth())) +
                  " " + num(scaled(m.ascent())) + "]");
            putln("/Flags 32/Ascent " + num(scaled(m.ascent())) + "/Descent " +
                  num(-scaled(m.descent())) + ">>");
        }
        const CodeRange range = widthRange(m.firstChar(), m.lastChar());
        putln("/FirstChar " + num(range.first));
        putln("/LastChar " + num(range.last));
        // Code c shows the Windows-1252 character c (/WinAnsiEncoding), so its width is that
        // character's: the same as U+00c except for the typographic characters at 0x80..0x9F.
        std::string codes;
        for (int32_t c = range.first; c <= range.last; ++c) {
            codes.push_back(static_cast<char>(c));
        }
        std::string widths = "/Widths [";
        for (const char16_t c : qly::fromAnsi(codes)) {
            widths += num(scaled(m.charWidth(c))) + " ";
        }
        widths += "]";
        putln(widths);
    }
    EndDictObject();
}
