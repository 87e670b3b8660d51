#pragma once
// The arithmetic of the picture viewer and of printing, apart from any widget: the zoomed
// picture, panning by dragging, the picture's box on the printer page and in the preview, and
// the two percentages kept in step with the picture's aspect ratio.
//
// Pictures are W x H pixels; printer pages are PW x PH device pixels (the printable area).
// Integer arithmetic truncates toward zero. A picture or a page without pixels gives empty boxes
// and leaves the percentages alone.

#include <cstdint>

// ---- viewer -------------------------------------------------------------------------------------

struct ZoomedSize {
    int32_t w = 0;
    int32_t h = 0;
};
// Trunc(W * zoom / 100) x Trunc(H * zoom / 100).
ZoomedSize zoomedSize(int32_t W, int32_t H, int32_t zoom);

// The scroll position after dragging: `position` + `grabbed` - `pointer`, where `grabbed` is the
// pointer's position in the picture widget when the button went down and `pointer` its position
// there now. Kept within 0 .. range - 1, `range` being the number of positions the scroll bar
// has (0 or 1: the picture fits, the position stays 0).
int32_t dragScrollPosition(int32_t position, int32_t grabbed, int32_t pointer, int32_t range);

// Scroll pixels per wheel notch.
inline constexpr int32_t kViewerWheelStep = 20;

// ---- printing -----------------------------------------------------------------------------------

// The print window's choices.
struct PrintSizing {
    bool useFull = true; // "Seite voll nutzen"; otherwise "Benutzerdefiniert"
    int32_t breit = 50;  // width in per cent of the page width (user-defined size)
    int32_t hoch = 50;   // height in per cent of the page height (user-defined size)
    bool aspect = true;  // "Seitenverhältnis beibehalten" (full page)
    bool centred = true; // "Zentrierte Ausgabe"
};

// A box on the page or in the preview; right = x + w, bottom = y + h.
struct PrintBox {
    int32_t x = 0;
    int32_t y = 0;
    int32_t w = 0;
    int32_t h = 0;
    bool operator==(const PrintBox&) const = default;
};

// num / den rounded to the nearest integer, a half going to the even neighbour (num >= 0,
// den > 0).
int64_t roundHalfEven(int64_t num, int64_t den);

// Where a W x H picture is printed on a PW x PH page. Full page: the whole page, or with the
// aspect kept the largest box of the picture's shape (W * PH div H wide or H * PW div W high).
// User-defined: Round(PW * breit / 100) x Round(PH * hoch / 100), halves to even. Centred:
// ((PW - w) div 2, (PH - h) div 2); otherwise at (0, 0).
PrintBox printBox(int32_t W, int32_t H, int32_t PW, int32_t PH, const PrintSizing& s);

// The preview widget's size.
inline constexpr int32_t kPreviewBox = 190;

// The sheet in a box of boxW x boxH pixels: landscape pages (PH < PW) span the box's width,
// the others its height, centred.
PrintBox previewSheet(int32_t PW, int32_t PH, int32_t boxW = kPreviewBox,
                      int32_t boxH = kPreviewBox);
// The picture in the preview: as printBox on the sheet's size, moved onto the sheet.
PrintBox previewPicture(int32_t W, int32_t H, int32_t PW, int32_t PH, const PrintSizing& s,
                        int32_t boxW = kPreviewBox, int32_t boxH = kPreviewBox);

// ---- the two percentages ------------------------------------------------------------------------

inline constexpr int32_t kPercentMin = 1;
inline constexpr int32_t kPercentMax = 100;

struct Percentages {
    int32_t breit = 50;
    int32_t hoch = 50;
    bool operator==(const Percentages&) const = default;
};

// The percentages after the width was edited with the aspect kept: the height follows the width
// as Trunc((H * breit) / W * PW / PH) (the first product in integers, the rest in extended
// precision in this order), kept within 1..100. When the height had to be kept at 1 or 100, the
// width is taken back to the one that matches that height, so the printed picture still has the
// picture's shape as nearly as whole percentages allow. Without pixels on either side nothing
// changes.
Percentages afterBreitEdit(int32_t W, int32_t H, int32_t PW, int32_t PH, Percentages p);
// The mirror: the width follows the height as Trunc((W * hoch) / H * PH / PW).
Percentages afterHochEdit(int32_t W, int32_t H, int32_t PW, int32_t PH, Percentages p);
