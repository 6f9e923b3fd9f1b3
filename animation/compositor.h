#pragma once
// Composes the moiré: Layer1 XOR Layer2 seen through the panel, with the
// title card laid over the middle while it is due.
#include "animation/stage.h"

namespace morvelux {

// Clears the display: Layer1 white over the display image's client area, and
// the display image shows it.
void clearImage(Stage& stage);

// Puts the layers and positions back to the start of the animation.
void BmpInit(Stage& stage);

// Composes one frame into WorkBmp and hands it to the display image.
void ReDraw(Stage& stage);

// Whether the title card lies over a frame composed at `at`, when the saver
// was activated at `activatedAt` (unsigned, the sum modulo 2^32).
bool titleDue(Millis at, Millis activatedAt, Millis duration);

// Where the title card's top-left corner goes in WorkBmp for the current image position.
Point titlePosition(const Stage& stage);

}  // namespace morvelux
