#pragma once
// The sizes and times the moiré is made of, for the saver, its tools, its
// benchmarks and its tests alike.
#include "animation/clock.h"
#include "gfx/geometry.h"

namespace morvelux {

inline constexpr Size kPanelSize{1024, 768};  // the viewport the moiré is seen through
inline constexpr Size kLayerSize{1600, 768};  // each pattern layer, and the display image
inline constexpr Size kTitleSize{320, 240};   // the title card
inline constexpr Millis kTitleDuration = 4500;  // how long the title card lies over the panel
inline constexpr Millis kFrameInterval = 60;    // the least time between two ticks

}  // namespace morvelux
