#pragma once
// Pixel positions and sizes.

namespace morvelux {

struct Point {
    int x = 0, y = 0;
    friend bool operator==(Point, Point) = default;
};

struct Size {
    int width = 0, height = 0;
    friend bool operator==(Size, Size) = default;
};

}  // namespace morvelux
