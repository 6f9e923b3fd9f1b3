#include "wayland/panel_pixels.h"

#include <cstring>

namespace morvelux::wayland {

PanelPainter::PanelPainter(int zoom) : zoom_(zoom), byteRuns_(256u * 8u * static_cast<std::size_t>(zoom)) {
    const auto run = static_cast<std::size_t>(8 * zoom);
    for (std::size_t value = 0; value < 256; ++value)
        for (std::size_t x = 0; x < run; ++x)
            byteRuns_[value * run + x] = (value << (x / static_cast<std::size_t>(zoom))) & 0x80 ? kWhitePixel : 0;
}

void PanelPainter::expandRow(const std::uint8_t* bits, int bytes) {
    const auto run = static_cast<std::size_t>(8 * zoom_);
    for (int i = 0; i < bytes; ++i)
        std::memcpy(&row_[static_cast<std::size_t>(i) * run], &byteRuns_[bits[i] * run], run * sizeof(std::uint32_t));
}

void PanelPainter::paint(const PanelBits& panel, const PanelLayout& layout, std::uint32_t* pixels,
                         std::size_t stride) {
    const Box& shown = layout.shown;
    if (shown.empty()) return;
    const int bytes = (panel.width + 7) / 8;
    row_.resize(static_cast<std::size_t>(bytes) * 8u * static_cast<std::size_t>(zoom_));
    int expanded = -1;
    for (int y = 0; y < shown.height; ++y) {
        const int source = (layout.fromY + y) / zoom_;
        if (source != expanded) {
            expandRow(panel.bytes + static_cast<std::size_t>(source) * panel.stride, bytes);
            expanded = source;
        }
        std::memcpy(pixels + static_cast<std::size_t>(shown.y + y) * stride + static_cast<std::size_t>(shown.x),
                    &row_[static_cast<std::size_t>(layout.fromX)],
                    static_cast<std::size_t>(shown.width) * sizeof(std::uint32_t));
    }
}

}  // namespace morvelux::wayland
