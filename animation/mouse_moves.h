#pragma once
// Sustained mouse movement ends the full-screen saver; a nudge does not.
// Over the panel the moves count only after a grace period from activation
// and start again from nothing after a pause; over the black around it a
// few moves suffice.
#include "animation/saver_state.h"

namespace morvelux {

enum class MoveArea { Panel, Black };

// Counts one move of the mouse at `now` over `area` into the state's move
// count; true when the moves so far end the saver.
bool countMouseMove(TSaverState& state, Millis now, MoveArea area);

}  // namespace morvelux
