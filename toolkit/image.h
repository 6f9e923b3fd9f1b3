#pragma once
#include "toolkit/control.h"

namespace tk {

// Shows a picture with its top-left at the view's own top-left. A one-bit
// picture (shared, not copied) is drawn with its own two colours, enlarged by
// `zoom` (whole pixels, for high-DPI screens); a DIB (the preview sample)
// unscaled with its own colour table.
class Image : public Control {
public:
    using Control::Control;
    bool windowed() const override { return false; }
    void paint(Canvas& canvas) const override;
    Bounds opaqueArea() const override { return pictureBounds(); }
    bool drawnAtOnce() const override { return true; }

    // Also to show new contents of the same bitmap.
    void setBitmap(const Bitmap1* bitmap);
    const Bitmap1* bitmap() const { return bitmap_; }
    void setDib(const Dib* dib);  // sizes the view to the picture; the DIB must not change while shown
    const Dib* dib() const { return dib_; }
    void setZoom(int zoom);  // 1 and up
    int zoom() const { return zoom_; }
    // The part of the view the picture covers, in the parent's coordinates.
    Bounds pictureBounds() const;

private:
    const Bitmap1* bitmap_ = nullptr;
    const Dib* dib_ = nullptr;
    int zoom_ = 1;
};

}  // namespace tk
