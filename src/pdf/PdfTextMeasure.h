#pragma once
// Text measurement for the PDF writer: the font metrics a screen canvas at 72 pixels per inch
// would give (one pixel is one point), used to place text and to describe fonts in the font
// objects. The writer talks to this interface only; the implementation below uses Qt's font
// machinery, and other sources (tests, another font library) can stand in for it.

#include <cstdint>
#include <memory>
#include <string_view>

namespace qly {

class PdfTextMeasure {
  public:
    // The font box and italic angle of a font with outline metrics (a TrueType or OpenType font).
    struct Outline {
        double left = 0; // font box in points at the selected size, y growing upward
        double bottom = 0;
        double right = 0;
        double top = 0;
        double italicAngle = 0; // degrees, counter-clockwise from the vertical
    };

    virtual ~PdfTextMeasure() = default;

    // Selects the font for the following calls: family name, style bits (bold = 1, italic = 2;
    // underline and strike-out do not change the metrics) and size in points.
    virtual void setFont(std::u16string_view name, uint8_t style, int32_t size) = 0;
    // False when the selected font cannot be had (no font machinery, a size of 0 or less); every
    // measurement below is 0 then.
    virtual bool hasFont() const = 0;

    // Distances in points at the selected size, not rounded to whole points.
    virtual double ascent() const = 0;              // baseline to the top of the text cell, >= 0
    virtual double descent() const = 0;             // baseline to the bottom of the text cell, >= 0
    virtual double maxCharWidth() const = 0;        // the widest character's advance
    virtual double charWidth(char16_t c) const = 0; // the advance of the one character c
    // Outline metrics, when the font has them; false for fonts without (Type 1, bitmap fonts).
    virtual bool outline(Outline& out) const = 0;
    // The lowest and the highest character code (UTF-16) the font maps to a glyph.
    virtual char16_t firstChar() const = 0;
    virtual char16_t lastChar() const = 0;
};

// Measurement through Qt Gui (QFont, QRawFont): fontconfig picks the installed font nearest to the
// name asked for. Needs a QGuiApplication (the offscreen platform will do); without one no font
// can be had and hasFont() is false, so a program without it can still write PDF files.
std::unique_ptr<PdfTextMeasure> makeQtTextMeasure();

} // namespace qly
