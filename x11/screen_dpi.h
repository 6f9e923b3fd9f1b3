#pragma once
// How many pixels per inch an X screen has, as desktops tell their programs.
#include <X11/Xlib.h>

namespace morvelux::x11 {

// The Xft.dpi resource when the desktop sets one, else what the screen's
// size in millimetres gives; the designed 96 when neither says anything.
int screenDpi(Display* display, int screen);

}  // namespace morvelux::x11
