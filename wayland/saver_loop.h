#pragma once
// The saver on a Wayland desktop: a surface on every output of the
// compositor that $WAYLAND_DISPLAY names, in one loop of compositor events,
// the paced tick and sleep in poll() until the next tick is due.
#include <cstdio>

#include "animation/saver_core.h"

namespace morvelux::wayland {

// Runs until a key, a button, sustained pointer motion, the compositor
// closing every surface, or a byte on `wakeFd` (a signal). Writes a line per
// frame to `trace` when there is one. With `layerShell` false it draws in
// full-screen windows even where layer surfaces are offered. Returns the
// exit code; says why on stderr when it is not 0.
int runSaver(SaverCore& core, int wakeFd, std::FILE* trace, bool layerShell);

}  // namespace morvelux::wayland
