#pragma once
// Rectangles of the window toolkit: outer bounds of a control in its
// parent's client coordinates, and the thickness of a window's frame.
#include "gfx/zoom.h"

namespace tk {

struct Bounds {
    int left = 0, top = 0, width = 0, height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool contains(int x, int y) const { return x >= left && x < right() && y >= top && y < bottom(); }
    friend bool operator==(const Bounds&, const Bounds&) = default;
};

// round(x * numerator / denominator), halves away from zero.
constexpr int scaledBy(int x, int numerator, int denominator) {
    const long long product = static_cast<long long>(x) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

struct Insets {
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const Insets&, const Insets&) = default;
};

}  // namespace tk

namespace tk {

// The layouts are designed for screens of this many pixels per inch.
using morvelux::kDesignedDpi;

// One monitor of the desktop, in screen coordinates (the primary's top-left
// is 0, 0; monitors left of or above it have negative coordinates).
struct Monitor {
    Bounds bounds;
    int dpi = kDesignedDpi;
    bool primary = false;
    friend bool operator==(const Monitor&, const Monitor&) = default;
};

}  // namespace tk
