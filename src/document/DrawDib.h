#pragma once
// Drawing a rectangle of a page image, scaled, onto a QPainter (window, QImage, printer).
//
// Source coordinates follow the DIB convention: XSrc counts columns from the left, YSrc counts
// rows from the bottom of the picture. The source rectangle is clipped to the picture first, the
// destination shrinking in proportion (planDrawDib); then the picture is drawn by one of three
// methods chosen from its depth, the screen depth, the Halftone flag and the kind of target.

#include "platform/DibRecord.h"

#include <QImage>

#include <cstdint>

class QPainter;
class QRect;

enum class DrawMethod {
    Nothing,           // nothing left to draw after clipping
    HalftoneReduced,   // halftoned, resampled copy drawn one to one
    HalftoneStretched, // halftoned copy of the same size, stretched
    Rows24,            // 24-bit rows routine
    Rows8,             // 8-bit rows routine
    Stretch,           // the whole clipped rectangle stretched in one go
};

struct DrawDibPlan {
    DrawMethod method = DrawMethod::Nothing;
    // Destination and source after clipping.
    int32_t x = 0;
    int32_t y = 0;
    int32_t destW = 0;
    int32_t destH = 0;
    int32_t xSrc = 0;
    int32_t ySrc = 0;
    int32_t srcW = 0;
    int32_t srcH = 0;
    // HalftoneReduced: size of the halftoned copy and where the drawn part starts in it (DIB
    // convention, rows from the bottom).
    int32_t copyW = 0;
    int32_t copyH = 0;
    int32_t copyX = 0;
    int32_t copyY = 0;
};

// The quotient a / b rounded to the nearest integer, a half going to the even neighbour.
int32_t roundQuotient(double a, double b);

// Clipping and method choice, without drawing. `rasterPrinter` is true when the target is a
// printer page.
DrawDibPlan planDrawDib(int32_t x, int32_t y, int32_t destW, int32_t destH, int32_t width,
                        int32_t height, int32_t bits, int32_t xSrc, int32_t ySrc, int32_t srcW,
                        int32_t srcH, bool halftone, int32_t screenBits, bool rasterPrinter);

// The rows routine: a DestW x DestH picture whose column i is source column
// XSrc + SrcW * i div DestW and whose row j is source row TopRow + SrcH * j div DestH (rows from
// the top, TopRow = height - YSrc - SrcH); columns and rows outside the picture stay black.
// 24-bit pictures give Format_RGB888-like BGR rows, 8-bit ones an indexed picture with the
// picture's colour table.
QImage drawDibRows(const dib& d, int32_t destW, int32_t destH, int32_t xSrc, int32_t topRow,
                   int32_t srcW, int32_t srcH);
// The part of that picture that starts at column partX, row partY and is partW x partH pixels
// (cut to the picture's DestW x DestH), made without making the rest: pixel for pixel the same
// as the part cut out of drawDibRows.
QImage drawDibRowsPart(const dib& d, int32_t destW, int32_t destH, int32_t xSrc, int32_t topRow,
                       int32_t srcW, int32_t srcH, int32_t partX, int32_t partY, int32_t partW,
                       int32_t partH);

// A top-down QImage of the source rectangle (DIB convention), with the picture's colours.
QImage dibToQImage(const dib& d, int32_t xSrc, int32_t ySrc, int32_t srcW, int32_t srcH);

// Bits per pixel of the primary screen (32 when there is none).
int32_t screenbits();

// Draws the source rectangle into the destination rectangle. `halftone` is true for screen
// previews. `rop` is accepted for compatibility; drawing always copies the source.
void drawdib(QPainter& painter, int32_t x, int32_t y, int32_t destW, int32_t destH, const dib& d,
             int32_t xSrc, int32_t ySrc, int32_t srcW, int32_t srcH, bool halftone,
             uint32_t rop = 0);
// As drawdib, but only the part of the destination inside `visible` (painter coordinates) is
// drawn, each of its pixels as drawdib draws it. Memory and time follow the visible part, not the
// destination, which matters for large enlargements of which a window shows a small part.
void drawdibVisible(QPainter& painter, const QRect& visible, int32_t x, int32_t y, int32_t destW,
                    int32_t destH, const dib& d, int32_t xSrc, int32_t ySrc, int32_t srcW,
                    int32_t srcH, bool halftone);
