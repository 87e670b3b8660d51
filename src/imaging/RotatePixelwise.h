#pragma once
// The quarter turn done the slow way, one getpixel/setpixel per pixel, exactly as rotateDib is
// defined. It is the yardstick the fast turn is measured and checked against; the program itself
// uses rotateDib.

#include "imaging/Rotate.h"

bool rotateDibPixelwise(dib& out, const dib& src, RotateDirection dir,
                        const RotateProgress& progress = {});
