#pragma once
// The process-wide record that the saver window and the animation share.
#include <cstdint>

#include "animation/bitmap1.h"
#include "animation/clock.h"

class TForm1;

namespace morvelux {

struct TSaverState {
    TForm1* Form1 = nullptr;
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
    Millis TitleDuration = 4500;
};

extern TSaverState SaverState;

}  // namespace morvelux
