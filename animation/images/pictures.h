#pragma once
// The four pictures the program carries: BMP files compiled in (native) or
// bitmap resources (Windows).
#include <cstdint>
#include <optional>
#include <span>

#include "gfx/bitmap1.h"
#include "gfx/bmp.h"

namespace morvelux {

enum class PictureId : int { Img1 = 101, Img2 = 102, Title = 103, Sample = 104 };

// The picture's bytes: a BMP file natively, a packed DIB from the resources on Windows.
std::span<const std::uint8_t> pictureBytes(PictureId id);

std::optional<Dib> loadPicture(PictureId id);
std::optional<Bitmap1> loadBitmap1(PictureId id);

}  // namespace morvelux
