#pragma once
// One-bit rows in the order an X server wants them. The panel's rows have
// the leftmost pixel in the most significant bit of the first byte; a
// server may want the leftmost pixel in the least significant bit, and may
// store its scanline units (8, 16 or 32 bits) with either byte first.
#include <cstddef>
#include <cstdint>
#include <span>

namespace morvelux::x11 {

struct BitLayout {
    int unitBits = 8;                // the server's bitmap scanline unit
    bool lsbBitFirst = false;        // leftmost pixel in the least significant bit
    bool lsbByteFirst = false;       // units stored least significant byte first
    friend bool operator==(const BitLayout&, const BitLayout&) = default;
};

// Whether rows in this layout can be made by `convertRow` (units of 8, 16 or 32 bits).
bool supported(const BitLayout& layout);

// Writes a row of `from` (leftmost pixel in the top bit, bytes in order)
// into `to` in the given layout. Both spans are whole units long.
void convertRow(std::span<const std::uint8_t> from, std::span<std::uint8_t> to, const BitLayout& layout);

}  // namespace morvelux::x11
