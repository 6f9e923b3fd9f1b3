#pragma once
// The title card: black lettering on a white 320 x 240 card.
#include <iosfwd>

#include "gfx/bitmap1.h"

namespace morvelux::tools {

inline constexpr int kTitleWidth = 320;
inline constexpr int kTitleHeight = 240;

// Renders the card (index 0 white, 1 black) and describes on `report` where
// each line's ink ended up. Throws std::runtime_error when a font is missing.
Bitmap1 makeTitleCard(std::ostream& report);

}  // namespace morvelux::tools
