#pragma once
// The four pictures the program carries: BMP files compiled in (native) or
// bitmap resources (Windows).
#include <cstdint>
#include <optional>
#include <span>

#include "animation/images/picture_ids.h"
#include "gfx/bitmap1.h"
#include "gfx/bmp.h"

namespace morvelux {

enum class PictureId : int { Img1 = IDB_IMG1, Img2 = IDB_IMG2, Title = IDB_TITLE, Sample = IDB_SAMPLE };

// The picture's bytes: a BMP file natively, a packed DIB from the resources on Windows.
std::span<const std::uint8_t> pictureBytes(PictureId id);

std::optional<Dib> loadPicture(PictureId id);
std::optional<Bitmap1> loadBitmap1(PictureId id);

}  // namespace morvelux
