#include "gfx/zoom.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace morvelux {
namespace {

// Each pixel byte (MSB first) with every bit repeated `zoom` times: 8 x zoom
// bits, MSB-aligned in the low 8 x zoom bits of the entry.
std::array<std::uint64_t, 256> spreadTable(int zoom) {
    std::array<std::uint64_t, 256> table{};
    const std::uint64_t run = (std::uint64_t{1} << zoom) - 1;
    for (unsigned byte = 0; byte < 256; ++byte) {
        std::uint64_t spread = 0;
        for (int bit = 7; bit >= 0; --bit) spread = (spread << zoom) | (((byte >> bit) & 1u) ? run : 0);
        table[byte] = spread;
    }
    return table;
}

Rect clipped(Rect area, const Bitmap1& src) {
    return Rect::fromEdges(std::max(area.left, 0) & ~7, std::max(area.top, 0), std::min(area.right(), src.width()),
                           std::min(area.bottom(), src.height()));
}

// One source row's bytes enlarged across: each byte becomes `zoom` bytes.
void spreadRow(std::uint8_t* out, const std::uint8_t* in, int byteCount, int zoom,
               const std::array<std::uint64_t, 256>& table) {
    for (int i = 0; i < byteCount; ++i) {
        const std::uint64_t spread = table[in[i]];
        for (int b = zoom - 1; b >= 0; --b) *out++ = static_cast<std::uint8_t>(spread >> (8 * b));
    }
}

}  // namespace

int zoomInto(Bitmap1& dst, const Bitmap1& src, Rect area, int zoom) {
    zoom = std::clamp(zoom, 1, kMaxZoom);
    area = clipped(area, src);
    dst.setPalette(src.palette());
    if (area.empty()) {
        dst.resize(0, 0);
        return area.left;
    }
    const int byteCount = (area.width + 7) / 8;
    dst.resize(byteCount * 8 * zoom, area.height * zoom);
    const auto table = spreadTable(zoom);
    const std::size_t stride = dst.strideBytes();
    for (int y = area.top; y < area.bottom(); ++y) {
        std::uint8_t* first = dst.bytes() + static_cast<std::size_t>(y - area.top) * zoom * stride;
        spreadRow(first, src.bytes() + static_cast<std::size_t>(y) * src.strideBytes() + area.left / 8, byteCount,
                  zoom, table);
        for (int copy = 1; copy < zoom; ++copy) std::memcpy(first + copy * stride, first, stride);
    }
    return area.left;
}

}  // namespace morvelux
