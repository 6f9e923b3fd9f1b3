#pragma once
// The panel's one-bit rows as the browser's ImageData wants them: one
// 32-bit word per pixel, red, green, blue and alpha in memory order.
#include <array>
#include <cstdint>
#include <span>

#include "animation/saver_core.h"

namespace morvelux::web {

// Each pixel byte of a panel row, already as the eight words it becomes.
class RgbaExpander {
public:
    RgbaExpander();
    // out := `panel`, row after row; out holds width * height words.
    void expand(const PanelBits& panel, std::span<std::uint32_t> out) const;

private:
    std::array<std::array<std::uint32_t, 8>, 256> byteWords_{};
};

}  // namespace morvelux::web
