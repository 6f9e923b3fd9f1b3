#pragma once
// The panel without a window: where the display image stands in it, what
// it shows of the composed frame, and where it lies on a screen.
#include <cstdint>
#include <string>

#include "animation/dimensions.h"
#include "animation/saver_view.h"

namespace morvelux {

// A panel of kPanelSize over a display image of kLayerSize that remembers
// where the image stands and what it shows; nothing is drawn.
class FixedView : public SaverView {
public:
    Size panelSize() const override { return kPanelSize; }
    Size imageSize() const override { return kLayerSize; }
    Point imagePos() const override { return pos_; }
    void setImagePos(Point pos) override {
        pos_ = pos;
        ++changes_;
    }
    void showBitmap(const Bitmap1& bitmap) override {
        shown_ = &bitmap;
        ++changes_;
    }
    void setReadout(Readout, const std::string&) override {}

    const Bitmap1* shown() const { return shown_; }
    // Counts every move of the image and every bitmap shown: equal counts, the same picture.
    std::uint64_t changes() const { return changes_; }

private:
    Point pos_{};
    const Bitmap1* shown_ = nullptr;
    std::uint64_t changes_ = 0;
};

// panel := what a panel of panel's size shows of `composed` with the
// display image at `imagePos`, mapped by colour into panel's palette.
void cropPanel(Bitmap1& panel, const Bitmap1& composed, Point imagePos);

// Where the panel's top-left corner lies in an area of `area` pixels when
// the panel is enlarged `zoom` times: centred, and on a smaller area cropped
// equally on both sides.
Point panelPlacement(Size area, int zoom = 1);

}  // namespace morvelux
