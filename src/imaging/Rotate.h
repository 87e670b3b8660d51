#pragma once
// Turning pictures by a quarter turn, and turning a page of the record array in place.

#include "platform/DibRecord.h"

#include <cstdint>
#include <functional>

class TDynaArray;

enum class RotateDirection { Left, Right };

// Progress 0..100, reported only when the value changes.
using RotateProgress = std::function<void(int)>;

// Fills `out` with `src` turned by a quarter turn (Left: counter-clockwise, Right: clockwise, row
// 0 being the top row as displayed). Returns false (out.poi null, nothing allocated) when the new
// bitmap cannot be made.
//
// The result is H wide and W high (W, H: the source's width and height), has the source's depth,
// colour table, palette copy and resolution (the two axes swapped), and the pixel (x, y) of the
// source lands at (y, W-1-x) turning left and at (H-1-y, x) turning right. Row padding stays zero.
// For each source row y, from the top, the progress is y * 100 div (H-1) (0 for one row).
bool rotateDib(dib& out, const dib& src, RotateDirection dir, const RotateProgress& progress = {});

// Turns page n (1-based) of `bilder` (records of type dib) in place. Out of range (n < 1 or n >
// count, compared in 64 bits): nothing happens, returns false. Sets progress 0 first and 0 at the
// end (also on failure). On allocation failure the page stays exactly as it was, no message,
// returns false. On success the old bitmap is released (freedib) and the record replaced. The
// current record of `bilder` does not change. A page that keeps the JPEG file it was read from
// (document/JpegOriginals.h) keeps that file turned losslessly (turnJpegLossless) where the turn
// is exact, else nothing; its pixels are turned as any page's.
bool rotatePage(TDynaArray& bilder, int64_t n, RotateDirection dir,
                const RotateProgress& progress = {});

// The picture of `page` turned, as a new picture in `out`, the page left as it is (for a history
// that keeps the old picture): what rotatePage puts in the page's place, the JPEG file kept as
// rotatePage keeps it. False (nothing made) without memory.
bool turnPicture(dib& out, const dib& page, RotateDirection dir,
                 const RotateProgress& progress = {});
