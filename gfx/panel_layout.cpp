#include "gfx/panel_layout.h"

#include <algorithm>

namespace morvelux {

PanelLayout layOutPanel(Size window, Size panel, Point at) {
    const int windowWidth = window.width, windowHeight = window.height;
    const int panelWidth = panel.width, panelHeight = panel.height;
    const int left = std::clamp(at.x, 0, windowWidth);
    const int right = std::clamp(at.x + panelWidth, left, windowWidth);
    const int top = std::clamp(at.y, 0, windowHeight);
    const int bottom = std::clamp(at.y + panelHeight, top, windowHeight);

    PanelLayout layout;
    layout.shown = {left, top, right - left, bottom - top};
    layout.fromX = left - at.x;
    layout.fromY = top - at.y;
    const Rect bands[] = {{0, 0, windowWidth, top},
                          {0, bottom, windowWidth, windowHeight - bottom},
                          {0, top, left, bottom - top},
                          {right, top, windowWidth - right, bottom - top}};
    for (const Rect& band : bands)
        if (!band.empty()) layout.black.push_back(band);
    return layout;
}

}  // namespace morvelux
