#pragma once
// A saver without a window, for rendering frames as pictures.
#include "tools/headless/headless_stage.h"

namespace morvelux::tools {

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
    FixedView view_;
    StillClock clock_;
    Stage stage_;
};

}  // namespace morvelux::tools
