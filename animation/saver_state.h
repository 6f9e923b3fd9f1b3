#pragma once
// The record that the saver window and the animation share. The saver
// window owns it; everything that reads or writes it gets it from there.
#include <cstdint>

#include "animation/clock.h"
#include "animation/dimensions.h"
#include "gfx/bitmap1.h"

namespace morvelux {

struct TSaverState {
    std::int32_t PreviewParent = 0;  // host window handle; non-zero means preview
    bool Activated = false;
    Bitmap1 Layer1;
    Bitmap1 Layer2;
    Bitmap1 WorkBmp;
    std::int32_t OffsetX = 0;
    std::int32_t OffsetY = 0;
    bool Animating = false;
    Millis ActivatedAt = 0;
    Millis LastRedrawAt = 0;
    Millis LastTickAt = 0;
    Millis LastMouseMoveAt = 0;
    std::int32_t MouseMoveCount = 0;
    std::int32_t MoveTick = 0;
    std::uint32_t PanRight = 0;  // 0: image moves right, Layer2 left; 1: the reverse
    Millis FrameInterval = 0;
    Millis TitleDuration = kTitleDuration;
};

}  // namespace morvelux
