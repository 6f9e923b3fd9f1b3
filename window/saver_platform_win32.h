#pragma once
#include "window/saver_platform.h"

namespace morvelux {

// The saver window's system calls, for real. `hideApp` hides the
// application's own top-level window (the toolkit's runner knows it).
SaverPlatform& win32SaverPlatform(void (*hideApp)());

}  // namespace morvelux
