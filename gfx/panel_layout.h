#pragma once
// Where a panel and the black around it go in a window: the part of the
// panel the window shows, and up to four black bands round it.
#include <vector>

#include "gfx/geometry.h"

namespace morvelux {

struct Box {
    int x = 0, y = 0, width = 0, height = 0;
    bool empty() const { return width <= 0 || height <= 0; }
    friend bool operator==(const Box&, const Box&) = default;
};

struct PanelLayout {
    Box shown;      // the visible part of the panel, in window coordinates
    int fromX = 0;  // where `shown` starts in the panel
    int fromY = 0;
    std::vector<Box> black;  // the window outside the panel, none of them empty
};

PanelLayout layOutPanel(Size window, Size panel, Point at);

}  // namespace morvelux
