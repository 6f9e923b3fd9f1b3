#include "toolkit/image.h"

#include <algorithm>

namespace tk {

void Image::setBitmap(const Bitmap1* bitmap) {
    bitmap_ = bitmap;
    dib_ = nullptr;
    invalidate();
}

void Image::setDib(const Dib* dib) {
    // A DIB does not change once shown, so setting it again (as a paint
    // handler may) must not ask for yet another paint.
    if (dib == dib_ && dib) {
        setBounds({left(), top(), dib->width, dib->height});
        return;
    }
    dib_ = dib;
    bitmap_ = nullptr;
    if (dib) setBounds({left(), top(), dib->width, dib->height});
    invalidate();
}

void Image::setZoom(int zoom) {
    zoom = std::max(zoom, 1);
    if (zoom == zoom_) return;
    zoom_ = zoom;
    invalidate();
}

Bounds Image::pictureBounds() const {
    int w = 0, h = 0;
    if (bitmap_) {
        w = bitmap_->width() * zoom_;
        h = bitmap_->height() * zoom_;
    } else if (dib_) {
        w = dib_->width;
        h = dib_->height;
    }
    return {left(), top(), std::min(w, width()), std::min(h, height())};
}

void Image::paint(Canvas& canvas) const {
    if (bitmap_)
        canvas.draw(left(), top(), *bitmap_, bounds(), zoom_);
    else if (dib_)
        canvas.draw(left(), top(), *dib_, bounds());
}

}  // namespace tk
