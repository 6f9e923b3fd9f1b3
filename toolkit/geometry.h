#pragma once
// Rectangles of the window toolkit: outer bounds of a control in its
// parent's client coordinates, and the thickness of a window's frame.

namespace tk {

struct Bounds {
    int left = 0, top = 0, width = 0, height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool contains(int x, int y) const { return x >= left && x < right() && y >= top && y < bottom(); }
    friend bool operator==(const Bounds&, const Bounds&) = default;
};

struct Insets {
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const Insets&, const Insets&) = default;
};

}  // namespace tk
