#pragma once
// The ping-pong drift and its pacing: one step of one layer per tick, a
// tick at most every FrameInterval milliseconds.
#include "animation/stage.h"

namespace morvelux {

inline constexpr int kTurnTest = 5;      // turn when the image comes this close to an end
inline constexpr int kTurnPosition = 4;  // and settle this far from it

// One motion step: odd steps move Layer2, even steps move the display image.
void AutoMove(Stage& stage);

// The idle handler: takes a tick when FrameInterval has passed. True when
// the tick moved the layers and composed a new frame (not while paused).
// The saver always has more to do, so its idle hook calls it again.
bool AnimeLoop(Stage& stage);

// Whether an idle call at `now` takes a tick after one taken at `lastTick`.
bool tickDue(Millis lastTick, Millis now, Millis interval);

// How many milliseconds from `now` until an idle call would take the next
// tick (0: it would take one now), so the caller can sleep until then.
Millis tickWait(Millis lastTick, Millis now, Millis interval);

// The first activation of the full-screen saver: the layers back to the
// start, the first frame, the motion started; the title card's time and the
// mouse's grace period begin when it is done.
void activateSaver(Stage& stage);

// Lets the ticks move and compose again, or holds the picture still.
void startAnimation(TSaverState& state);
void stopAnimation(TSaverState& state);

}  // namespace morvelux
