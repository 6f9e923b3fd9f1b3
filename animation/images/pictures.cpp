#include "animation/images/pictures.h"

namespace morvelux {

std::optional<Dib> loadPicture(PictureId id) { return readDib(pictureBytes(id)); }

std::optional<Bitmap1> loadBitmap1(PictureId id) {
    const auto dib = loadPicture(id);
    if (!dib) return std::nullopt;
    return toBitmap1(*dib);
}

}  // namespace morvelux
