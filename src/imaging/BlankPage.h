#pragma once
// Finding the blank pages of a batch: the backs of one-sided sheets in a duplex scan. A page is
// looked at without its margin band (punch holes, the sheet's edges and a scanner's shadow lie
// there) in small cells of about 0.7 mm; a cell holds ink when a quarter of its pixels are
// clearly darker than the page's paper, so dust and scanner noise of a pixel or two count for
// nothing, while a page number already fills several cells. Pages are only marked: the user
// looks at them before anything is deleted.

#include "platform/DibRecord.h"

#include <cstdint>

struct BlankPageOptions {
    // Share of the cells inside the margins that may hold ink, in parts per ten thousand; a page
    // with more is not blank. 0.2 is about two cells of an A4 page at 300 dpi, so a page number
    // of 10 points (four cells or more) makes a page written on.
    double inkedCells = 0.2;
    // Width of the band along each edge that is not looked at, as a share of the side.
    double margin = 0.08;
};

struct BlankPageReport {
    int64_t cells = 0;      // cells looked at
    int64_t inkedCells = 0; // of them holding ink
    int paperLevel = 255;   // the paper's brightness found, 0..255
    bool blank = false;
};

// Looks at one page (any depth the page records have). A page without pixels is blank.
BlankPageReport lookForBlank(const dib& page, const BlankPageOptions& options = {});

// A white page of `widthMm` x `heightMm` at `dpi` (each side at least one pixel, at most 65535),
// in one bit, with its resolution recorded; false (and `out` empty) without memory for it.
bool makeWhitePage(dib& out, double widthMm, double heightMm, double dpi);
