#pragma once
// What the X11 front end is told: which display, and which window to draw on.
#include <cstdint>
#include <string>

namespace morvelux::x11 {

enum class Target { OwnWindow, Root, Given };

struct Options {
    std::string display;                 // empty: $DISPLAY
    Target target = Target::OwnWindow;
    std::uint32_t window = 0;            // for Given
};

}  // namespace morvelux::x11
