#pragma once
// Plain pixel-by-pixel versions of the blits and the fill: slow, obviously
// right, and the yardstick the word-at-a-time versions are measured against.
#include "gfx/bitmap1.h"
#include "gfx/blit.h"

namespace morvelux::reference {

void blit(Bitmap1& dst, int dx, int dy, int w, int h, const Bitmap1& src, int sx, int sy, RasterOp op);
void copyWhole(Bitmap1& dst, const Bitmap1& src);
void fill(Bitmap1& bitmap, Rect area, Rgb colour);

}  // namespace morvelux::reference
