#pragma once
// Raster copies between one-bit bitmaps, mapping colours from the source's
// table to the destination's the way GDI does for monochrome bitmaps.
#include "gfx/bitmap1.h"

namespace morvelux {

enum class RasterOp : std::uint32_t {
    SrcCopy = 0x00CC0020,    // destination := mapped source
    SrcInvert = 0x00660046,  // destination := destination XOR mapped source
};

// Copies the w x h block at (sx, sy) of `src` to (dx, dy) of `dst`. The block
// is clipped to both bitmaps; parts outside either are left alone.
void blit(Bitmap1& dst, int dx, int dy, int w, int h,
          const Bitmap1& src, int sx, int sy, RasterOp op);

// dst := src by colour: dst takes src's size, keeps its own palette, and every
// pixel becomes the index of dst's palette nearest to the source colour.
void copyWhole(Bitmap1& dst, const Bitmap1& src);

// What a source index becomes in the destination: for each source index, the
// destination index nearest to its colour.
std::array<int, 2> colourMap(const Palette2& from, const Palette2& to);

}  // namespace morvelux
