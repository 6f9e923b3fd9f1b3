#pragma once
// The preview picture: a frame of the moiré shrunk to a small grey image.
#include "gfx/bitmap1.h"
#include "gfx/bmp.h"

namespace morvelux::tools {

inline constexpr int kSampleWidth = 210;
inline constexpr int kSampleHeight = 156;
inline constexpr int kSampleGreys = 234;

// An 8-bit picture with 234 greys, white at index 0 darkening to black.
Dib makePreviewSample(const Bitmap1& img1, const Bitmap1& img2, const Bitmap1& title);

}  // namespace morvelux::tools
