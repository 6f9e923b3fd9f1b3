#pragma once
// Whole-number enlargement of a one-bit bitmap: every pixel becomes a
// zoom x zoom square of the same index, never interpolated, as a high-DPI
// screen needs to keep a pixel pattern crisp.
#include <algorithm>

#include "gfx/bitmap1.h"
#include "gfx/geometry.h"

namespace morvelux {

inline constexpr int kDesignedDpi = 96;  // the pictures are drawn for screens of this many pixels per inch
inline constexpr int kMaxZoom = 8;       // a pixel byte still enlarges into one 64-bit word

// The zoom of a picture of `picture` pixels on a screen of `screen` pixels at
// `dpi`: the largest whole number up to dpi / 96 at which the enlarged
// picture still fits the screen both ways, and at least 1.
constexpr int wholeZoom(Size screen, int dpi, Size picture) {
    int zoom = std::clamp(dpi / kDesignedDpi, 1, kMaxZoom);
    while (zoom > 1 && (picture.width * zoom > screen.width || picture.height * zoom > screen.height)) --zoom;
    return zoom;
}

// dst := the pixels of `area` (clipped to src) enlarged by `zoom`, clamped to
// 1..kMaxZoom; dst takes src's palette. The area is widened to whole bytes of
// pixels at both ends, so dst may show up to 7 source pixels more on either
// side: the return value is the first source column dst shows.
int zoomInto(Bitmap1& dst, const Bitmap1& src, Rect area, int zoom);

}  // namespace morvelux
