#pragma once
// Everything one frame of the animation touches: the shared state, the
// window's panel and image, the clock and the embedded pictures.
#include "animation/clock.h"
#include "animation/saver_state.h"
#include "animation/saver_view.h"
#include "gfx/bitmap1.h"

namespace morvelux {

struct Pictures {
    const Bitmap1& img1;   // pattern layer 1
    const Bitmap1& img2;   // pattern layer 2
    const Bitmap1& title;  // title card
};

struct Stage {
    TSaverState& state;
    SaverView& view;
    Clock& clock;
    Pictures pictures;
};

}  // namespace morvelux
