#include "x11/bit_layout.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace morvelux::x11 {

namespace {

constexpr std::array<std::uint8_t, 256> reversedBits() {
    std::array<std::uint8_t, 256> table{};
    for (int b = 0; b < 256; ++b) {
        int r = 0;
        for (int i = 0; i < 8; ++i)
            if (b & (1 << i)) r |= 0x80 >> i;
        table[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(r);
    }
    return table;
}

constexpr auto kReversed = reversedBits();

// Each byte of a word turned round bit for bit: eight bytes at a time.
std::uint64_t reverseBitsOfBytes(std::uint64_t v) {
    v = ((v >> 1) & 0x5555555555555555u) | ((v & 0x5555555555555555u) << 1);
    v = ((v >> 2) & 0x3333333333333333u) | ((v & 0x3333333333333333u) << 2);
    return ((v >> 4) & 0x0F0F0F0F0F0F0F0Fu) | ((v & 0x0F0F0F0F0F0F0F0Fu) << 4);
}

void reverseBits(const std::uint8_t* from, std::uint8_t* to, std::size_t n) {
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, from + i, 8);
        word = reverseBitsOfBytes(word);
        std::memcpy(to + i, &word, 8);
    }
    for (; i < n; ++i) to[i] = kReversed[from[i]];
}

}  // namespace

bool supported(const BitLayout& layout) {
    return layout.unitBits == 8 || layout.unitBits == 16 || layout.unitBits == 32;
}

void convertRow(std::span<const std::uint8_t> from, std::span<std::uint8_t> to, const BitLayout& layout) {
    const std::size_t n = std::min(from.size(), to.size());
    if (layout.lsbBitFirst)
        reverseBits(from.data(), to.data(), n);
    else
        std::copy_n(from.begin(), n, to.begin());
    // In a unit the pixels run from its top bit down (or bottom bit up), so
    // units stored the other way round than their bit order have their bytes turned.
    const std::size_t unitBytes = static_cast<std::size_t>(layout.unitBits) / 8;
    if (unitBytes < 2 || layout.lsbBitFirst == layout.lsbByteFirst) return;
    for (std::size_t i = 0; i + unitBytes <= n; i += unitBytes) {
        const auto unit = to.begin() + static_cast<std::ptrdiff_t>(i);
        std::reverse(unit, unit + static_cast<std::ptrdiff_t>(unitBytes));
    }
}

}  // namespace morvelux::x11
