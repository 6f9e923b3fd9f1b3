#pragma once
// Geometry of the window toolkit: outer bounds of a control in its parent's
// client coordinates (gfx's one rectangle), scaling by DPI, the thickness of
// a window's frame, and the monitors.
#include "gfx/rounding.h"
#include "gfx/zoom.h"

namespace tk {

using Bounds = morvelux::Rect;

// round(x * numerator / denominator), halves away from zero.
constexpr int scaledBy(int x, int numerator, int denominator) {
    using morvelux::roundedQuotient, morvelux::Ties;
    return roundedQuotient(static_cast<long long>(x) * numerator, denominator, Ties::AwayFromZero);
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
