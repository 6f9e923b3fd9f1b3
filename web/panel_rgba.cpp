#include "web/panel_rgba.h"

#include <cstring>

namespace morvelux::web {

namespace {

// Opaque white and black in ImageData's byte order on a little-endian
// machine (WebAssembly is one).
constexpr std::uint32_t kWhite = 0xFFFFFFFFu;
constexpr std::uint32_t kBlack = 0xFF000000u;

}  // namespace

RgbaExpander::RgbaExpander() {
    for (unsigned byte = 0; byte < 256; ++byte)
        for (unsigned bit = 0; bit < 8; ++bit) byteWords_[byte][bit] = (byte & (0x80u >> bit)) ? kWhite : kBlack;
}

void RgbaExpander::expand(const PanelBits& panel, std::span<std::uint32_t> out) const {
    const auto width = static_cast<std::size_t>(panel.width);
    const std::size_t wholeBytes = width / 8;
    const std::size_t rest = width % 8;
    std::uint32_t* to = out.data();
    for (int y = 0; y < panel.height; ++y) {
        const std::uint8_t* row = panel.bytes + static_cast<std::size_t>(y) * panel.stride;
        for (std::size_t i = 0; i < wholeBytes; ++i, to += 8) std::memcpy(to, byteWords_[row[i]].data(), 32);
        if (rest) {
            std::memcpy(to, byteWords_[row[wholeBytes]].data(), rest * 4);
            to += rest;
        }
    }
}

}  // namespace morvelux::web
