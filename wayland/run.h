#pragma once
// The saver on a Wayland desktop: a surface on every output of the
// compositor that $WAYLAND_DISPLAY names, in one loop of compositor events,
// the paced tick and sleep in poll() until the next tick is due.
#include "animation/saver_core.h"
#include "frontend/loop.h"
#include "wayland/options.h"

namespace morvelux::wayland {

// Runs until a key, a button, sustained pointer motion, the compositor
// closing every surface or the last output going, or the context's wake
// descriptor (a signal). With options.idleSeconds it stays instead, shows
// the saver each time the desktop has been idle that long and takes it away
// on input, until a signal or the compositor going away. Returns the exit
// code; says why on stderr when it is not 0.
int run(SaverCore& core, const LoopContext& context, const Options& options);

}  // namespace morvelux::wayland
