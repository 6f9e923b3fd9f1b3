#pragma once
// Drawing on a window: the windowless controls paint through it. The null
// canvas of native tests draws nothing.
#include <string>

#include "gfx/bitmap1.h"
#include "gfx/bmp.h"
#include "toolkit/font.h"
#include "toolkit/geometry.h"

namespace tk {

using morvelux::Bitmap1;
using morvelux::Dib;
using morvelux::Rgb;

enum class Alignment { Left, Center, Right };

struct TextStyle {
    const Font& font;
    Alignment alignment = Alignment::Left;
    bool enabled = true;
};

class Canvas {
public:
    virtual ~Canvas() = default;
    // Pictures with their top-left at (x, y), in their own colours, clipped
    // to `visible` (the whole window when empty). A one-bit picture may be
    // enlarged by a whole number: each pixel a zoom x zoom square.
    virtual void draw(int x, int y, const Bitmap1& bitmap, const Bounds& visible = {}, int zoom = 1);
    virtual void draw(int x, int y, const Dib& dib, const Bounds& visible = {});
    virtual void text(const Bounds& area, const std::string& text, const TextStyle& style);
};

}  // namespace tk
