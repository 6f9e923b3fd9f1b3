#pragma once
// Pixel positions, sizes and rectangles.

namespace morvelux {

struct Point {
    int x = 0, y = 0;
    friend bool operator==(Point, Point) = default;
};

struct Size {
    int width = 0, height = 0;
    friend bool operator==(Size, Size) = default;
};

// A rectangle by its top-left corner and size; right() and bottom() lie just
// outside it.
struct Rect {
    int left = 0, top = 0, width = 0, height = 0;

    static constexpr Rect fromEdges(int left, int top, int right, int bottom) {
        return {left, top, right - left, bottom - top};
    }
    constexpr int right() const { return left + width; }
    constexpr int bottom() const { return top + height; }
    constexpr bool empty() const { return width <= 0 || height <= 0; }
    constexpr bool contains(int x, int y) const { return x >= left && x < right() && y >= top && y < bottom(); }
    friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace morvelux
