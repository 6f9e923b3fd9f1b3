#pragma once
// The compositor and the motion run without a window: a view that only
// remembers where the display image is and what it shows, and a clock that
// stands still. Used to render frames for pictures and documentation.
#include "animation/stage.h"

namespace morvelux::tools {

class StillClock : public Clock {
public:
    Millis time = 0;
    Millis now() override { return time; }
};

class HeadlessView : public SaverView {
public:
    Size panelSize() const override { return {1024, 768}; }
    Size imageSize() const override { return {1600, 768}; }
    Point imagePos() const override { return pos_; }
    void setImagePos(Point pos) override { pos_ = pos; }
    void showBitmap(const Bitmap1& bitmap) override { shown_ = &bitmap; }
    void setReadout(Readout, const std::string&) override {}

    const Bitmap1* shown() const { return shown_; }

private:
    Point pos_{};
    const Bitmap1* shown_ = nullptr;
};

// Where the two layers stand: the display image's left edge L and Layer2's OffsetX.
struct LayerPosition {
    int imageLeft = 0;
    int offsetX = 0;
};

// A saver at the start of its animation (after BmpInit) that can be moved
// and asked for the panel as it would appear.
class HeadlessSaver {
public:
    HeadlessSaver(const Bitmap1& img1, const Bitmap1& img2, const Bitmap1& title);
    HeadlessSaver(const HeadlessSaver&) = delete;
    HeadlessSaver& operator=(const HeadlessSaver&) = delete;

    void advance(int ticks);  // AutoMove, `ticks` times
    void placeAt(LayerPosition position);
    LayerPosition position() const;

    // The panel (1024 x 768; index 0 black, 1 white) composed by ReDraw,
    // with or without the title card.
    Bitmap1 composePanel(bool withTitle);

private:
    TSaverState state_;
    HeadlessView view_;
    StillClock clock_;
    Stage stage_;
};

}  // namespace morvelux::tools
