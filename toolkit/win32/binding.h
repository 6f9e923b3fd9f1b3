#pragma once
// A window knows its control: the control's address is in the window's
// GWLP_USERDATA from WM_NCCREATE (our classes) or right after creation
// (native controls) until the window is destroyed.
#include <windows.h>

#include "toolkit/control.h"

namespace tk::win32 {

void bind(HWND hwnd, Control& control);
// Forgets the windows of a control and its descendants (they are going or gone).
void unbind(Control& control);
// Our own control of a window: forms and panels carry it, native controls
// are found among their parent's children. Nothing for windows not ours.
Control* controlOf(HWND hwnd);
// The window a control shows in: its own, or for a windowless control its parent's.
HWND hostWindow(const Control& control);

}  // namespace tk::win32
