#pragma once
// Where a panel and the black around it go in a window: the part of the
// panel the window shows, and up to four black bands round it.
#include <vector>

#include "gfx/geometry.h"

namespace morvelux {

struct PanelLayout {
    Rect shown;     // the visible part of the panel, in window coordinates
    int fromX = 0;  // where `shown` starts in the panel
    int fromY = 0;
    std::vector<Rect> black;  // the window outside the panel, none of them empty
};

PanelLayout layOutPanel(Size window, Size panel, Point at);

}  // namespace morvelux
