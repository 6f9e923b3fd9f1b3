#pragma once
// The one-bit panel as 32-bit pixels, each panel pixel a zoom x zoom block,
// in the two words a front end's pixel format gives black and white: a
// Wayland shared-memory buffer, the browser's ImageData.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "animation/panel_bits.h"
#include "gfx/panel_layout.h"

namespace morvelux {

class PanelPainter {
public:
    PanelPainter(int zoom, std::uint32_t black, std::uint32_t white);

    // Writes the `shown` part of the panel enlarged `zoom` times, where the
    // layout was made for a panel of the enlarged size, into `pixels` rows of
    // `stride` pixels. The black around it is left as it is.
    void paint(const PanelBits& panel, const PanelLayout& layout, std::uint32_t* pixels, std::size_t stride);

private:
    void expandRow(const std::uint8_t* bits, int bytes, std::uint32_t* out) const;

    int zoom_;
    std::vector<std::uint32_t> byteRuns_;  // for each byte value its 8 x zoom pixels
    std::vector<std::uint32_t> row_;       // one panel row, enlarged
};

}  // namespace morvelux
