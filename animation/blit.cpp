#include "animation/blit.h"

#include <algorithm>

namespace morvelux {

std::array<int, 2> colourMap(const Palette2& from, const Palette2& to) {
    Bitmap1 probe(0, 0, to);
    return {probe.nearestIndex(from[0]), probe.nearestIndex(from[1])};
}

// Simple first version; a word-at-a-time one replaces it.
void blit(Bitmap1& dst, int dx, int dy, int w, int h, const Bitmap1& src, int sx, int sy, RasterOp op) {
    const auto map = colourMap(src.palette(), dst.palette());
    for (int y = 0; y < h; ++y) {
        const int ty = dy + y, fy = sy + y;
        if (ty < 0 || ty >= dst.height() || fy < 0 || fy >= src.height()) continue;
        for (int x = 0; x < w; ++x) {
            const int tx = dx + x, fx = sx + x;
            if (tx < 0 || tx >= dst.width() || fx < 0 || fx >= src.width()) continue;
            const int v = map[src.pixel(fx, fy)];
            dst.setPixel(tx, ty, op == RasterOp::SrcCopy ? v : (dst.pixel(tx, ty) ^ v));
        }
    }
}

void copyWhole(Bitmap1& dst, const Bitmap1& src) {
    dst.resize(src.width(), src.height());
    blit(dst, 0, 0, src.width(), src.height(), src, 0, 0, RasterOp::SrcCopy);
}

}  // namespace morvelux
