#include "tests/support/reference_blit.h"

#include <cstdint>

namespace morvelux::reference {

namespace {

bool inside(const Bitmap1& b, std::int64_t x, std::int64_t y) {
    return x >= 0 && y >= 0 && x < b.width() && y < b.height();
}

void blitFrom(Bitmap1& dst, int dx, int dy, int w, int h, const Bitmap1& src, int sx, int sy, RasterOp op) {
    for (std::int64_t y = 0; y < h; ++y)
        for (std::int64_t x = 0; x < w; ++x) {
            const std::int64_t tx = dx + x, ty = dy + y, fx = sx + x, fy = sy + y;
            if (!inside(dst, tx, ty) || !inside(src, fx, fy)) continue;
            const int to = static_cast<int>(tx), toY = static_cast<int>(ty);
            const int mapped = dst.nearestIndex(src.colourAt(static_cast<int>(fx), static_cast<int>(fy)));
            dst.setPixel(to, toY, op == RasterOp::SrcCopy ? mapped : dst.pixel(to, toY) ^ mapped);
        }
}

}  // namespace

void blit(Bitmap1& dst, int dx, int dy, int w, int h, const Bitmap1& src, int sx, int sy, RasterOp op) {
    if (&dst == &src) {
        const Bitmap1 before = src;
        blitFrom(dst, dx, dy, w, h, before, sx, sy, op);
    } else {
        blitFrom(dst, dx, dy, w, h, src, sx, sy, op);
    }
}

void copyWhole(Bitmap1& dst, const Bitmap1& src) {
    if (&dst == &src) {
        const Bitmap1 before = src;
        reference::copyWhole(dst, before);
        return;
    }
    dst.resize(src.width(), src.height());
    blitFrom(dst, 0, 0, src.width(), src.height(), src, 0, 0, RasterOp::SrcCopy);
}

void fill(Bitmap1& bitmap, Rect area, Rgb colour) {
    const int index = bitmap.nearestIndex(colour);
    for (std::int64_t y = area.top; y < area.bottom(); ++y)
        for (std::int64_t x = area.left; x < area.right(); ++x)
            if (inside(bitmap, x, y)) bitmap.setPixel(static_cast<int>(x), static_cast<int>(y), index);
}

}  // namespace morvelux::reference
