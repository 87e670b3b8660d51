#pragma once
// Page geometry of the PDF export: paper size, margins, scaling and placement of each picture,
// and the names of the files of a one-file-per-page export. Pure functions, no I/O.
//
// Lengths the user enters are millimetres; PDF geometry is in whole points (1/72 inch), measured
// from the page's top-left corner with y growing downwards.

#include <cstdint>
#include <string>

// The settings the export reads (the controls of the main window's layout and PDF tabs).
struct ExportSettings {
    double BreitEd = 210;                   // paper width, mm
    double HochEd = 297;                    // paper height, mm
    bool BorderCheck = false;               // margins on
    double RandHEd = 15;                    // left and right margin, mm
    double RandVEd = 15;                    // top and bottom margin, mm
    bool ZentCheck = false;                 // centre each picture inside the margins
    bool MaxSizeCheck = true;               // fit every picture to the area on its own
    bool RelSizeCheck = false;              // one scale for all pictures, from the largest
    bool setpaperheichec = false;           // page height follows the picture's aspect ratio
    bool UsePageSizeFromPicChecked = false; // page width follows the picture at ScanResEd
    double ScanResEd = 300;                 // dots per inch assumed for the pictures
    double JpegEd = 75;                     // JPEG quality 1..100
    double Jpeg2000ED = 1.0;                // JPEG 2000 size in per cent of the original
    bool JPEG2000 = true;                   // embed colour pictures as JPEG 2000
    bool OcrCheck = false;                  // recognise the text and put it under the pictures
    std::string OcrLangEd = "deu+eng";      // its languages in Tesseract's form
};

// Trunc(mm / 25.39995 * 72): 210 -> 595, 297 -> 841, 15 -> 42, 215.9 -> 612, 279.4 -> 792.
// Values outside the int32 range are clamped.
int32_t mmToPoints(double mm);

// Prefixes "0" while the text is shorter than four characters (7 -> 0007, 12345 stays).
std::string PadToFourDigits(std::string text);

// The name without its extension: the part of the last path element from its last "." on is
// removed; a name without an extension stays whole.
std::string batchBaseName(const std::string& fileName);
// base + PadToFourDigits(counter) + ".pdf".
std::string batchFileName(const std::string& base, int64_t counter);

// The smallest side of a page whose size follows its picture. The writer's MediaBox ends one unit
// before the page size, so this is a box of 3 x 3 units, the smallest page PDF allows
// (ISO 32000-1, annex C); a tiny picture at a high resolution still gets a valid page it is
// drawn on.
constexpr int32_t kMinPagePoints = 4;

// Where one picture goes on its page.
struct PagePlacement {
    int32_t pageWidth = 0; // the page's size after the picture-following rules
    int32_t pageHeight = 0;
    int32_t x = 0; // the picture's box, top-left corner and size
    int32_t y = 0;
    int32_t w = 0;
    int32_t h = 0;
    // False when the page has no room for a picture (margins of half the paper or more) or the
    // picture has no pixels; the page is then written without a picture.
    bool drawn = false;
    bool noRoom = false;       // margins are on and the area inside them is empty
    bool emptyPicture = false; // the picture's width or height is 0
};

// The picture's box inside the area of aw x ah left by the margins mx, my (all in the same unit):
// the largest size that fits, or in relative mode (RelSizeCheck) one scale for all pictures from
// the largest width Wmax and height Hmax; centred when ZentCheck is on. W, H, aw and ah are at
// least 1. Shared by the export (points) and the page view (screen pixels).
struct PictureBox {
    int32_t x = 0;
    int32_t y = 0;
    int32_t w = 0;
    int32_t h = 0;
};
PictureBox placeInArea(const ExportSettings& s, int64_t aw, int64_t ah, int64_t mx, int64_t my,
                       int32_t W, int32_t H, int32_t Wmax, int32_t Hmax);

// Lays out one page. `pageWidth`/`pageHeight` are the writer's current page size in points;
// they are updated by the rules that let the page follow the picture (a size taken from the
// picture is at least kMinPagePoints) and keep their values for the next page, as the writer's
// own fields do. W and H are the picture's size in pixels; Wmax and Hmax the largest width and
// height of all pictures (each at least 1), used in relative mode. Products and quotients are
// computed in 64 bits, so no size can overflow.
PagePlacement layoutPage(const ExportSettings& s, int32_t& pageWidth, int32_t& pageHeight,
                         int32_t W, int32_t H, int32_t Wmax, int32_t Hmax);
