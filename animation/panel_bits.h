#pragma once
// The panel as a front end puts it on its screen.
#include <cstddef>
#include <cstdint>

namespace morvelux {

// One-bit rows, leftmost pixel in the most significant bit, 1 = white.
// The bytes belong to whoever handed them out (SaverCore::panel()): they
// stay at the same address for its life and hold the frame they were taken
// for until the next frame is composed.
struct PanelBits {
    const std::uint8_t* bytes = nullptr;
    std::size_t stride = 0;
    int width = 0;
    int height = 0;
};

}  // namespace morvelux
