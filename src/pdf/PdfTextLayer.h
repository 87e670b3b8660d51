#pragma once
// Invisible text over a picture: the words recognised on a page, written with text rendering
// mode 3 (neither filled nor stroked, ISO 32000-1, 9.3.6) so that nothing visible changes while
// viewers can search, select and copy the text where it stands.
//
// The words go through one composite font per file (a Type0 font over a CIDFontType2, ISO
// 32000-1, 9.7) whose embedded TrueType program is a tiny font of ours without outlines, every
// glyph advancing half an em. Its encoding is a CMap of our own with codes of one and of two
// bytes: printable ASCII is its own one-byte code, the first 32 other characters of a file take
// the one-byte codes ASCII leaves, and any further ones two-byte codes from 8000 on, so most text
// in Latin scripts costs a byte per character. A ToUnicode map (9.10.3), written when the file
// ends for the codes it used, gives the text back to every viewer in any script.

#include <cstdint>
#include <string>
#include <vector>

namespace qly {

// One recognised word: its box in the pixels of the picture it was read from (top row 0; left
// and top inclusive, right and bottom exclusive) and its text in UTF-8.
struct TextLayerWord {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    std::string text;
};

// The em of the text layer's font in font units, the advance of every glyph, and where its
// baseline lies within the em: a word's box spans kTextLayerAscent above the baseline and
// -kTextLayerDescent below it, in thousandths of the font size.
inline constexpr int32_t kTextLayerUnitsPerEm = 1000;
inline constexpr int32_t kTextLayerAdvance = 500;
inline constexpr int32_t kTextLayerAscent = 800;
inline constexpr int32_t kTextLayerDescent = -200;

// The text layer's TrueType font program (OpenType specification, "TrueType outlines"): the
// tables head, hhea, hmtx, maxp, loca, glyf and post, two glyphs (.notdef and one blank glyph),
// neither with an outline, both kTextLayerAdvance wide. Always the same bytes.
std::vector<uint8_t> textLayerFontProgram();

} // namespace qly
