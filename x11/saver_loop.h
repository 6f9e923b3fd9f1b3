#pragma once
// The saver's one loop: X events, the paced tick, and sleep in poll() on
// the X connection and the wake-up pipe until the next tick is due.
#include <X11/Xlib.h>

#include <cstdio>

#include "x11/canvas.h"
#include "animation/saver_core.h"

namespace morvelux::x11 {

// Runs until Esc or q in its own window, a close request, the window's end,
// or a byte on `wakeFd` (a signal). Writes a line per frame shown to
// `trace` when there is one. Returns the exit code.
int runSaver(Display* display, Canvas& canvas, SaverCore& animation, int wakeFd, std::FILE* trace);

}  // namespace morvelux::x11
