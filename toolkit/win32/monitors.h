#pragma once
// The monitors of the desktop and their DPI, from whichever calls this
// Windows has: the multi-monitor calls came with Windows 98 and 2000, the
// per-monitor DPI with Windows 8.1, so both are looked up at run time.
#include <vector>

#include "toolkit/geometry.h"

namespace tk::win32 {

// Every monitor, the primary first; the primary screen alone where the
// system cannot list them. Never empty.
std::vector<Monitor> displayMonitors();

// The DPI of the primary monitor.
int primaryDpi();

// The DPI of the monitor that has most of `area` (the primary's when none has any).
int dpiAt(const Bounds& area);

}  // namespace tk::win32
