#pragma once
// The saver on an X display: on its own window, the root window or one a
// screen-saver daemon gives it, in one loop of X events, the paced tick and
// sleep in poll() until the next tick is due. While the window is unmapped or
// covered, or the monitor dark, the motion stands still and nothing wakes
// the loop but events (and, for a dark monitor, a look every few seconds).
#include "animation/saver_core.h"
#include "frontend/loop.h"
#include "x11/options.h"

namespace morvelux::x11 {

// Runs until Esc or q in its own window, a close request, the window's end,
// or the context's wake descriptor (a signal). Returns the exit code; says
// why on stderr when it is not 0.
int run(SaverCore& core, const LoopContext& context, const Options& options);

}  // namespace morvelux::x11
