#include "x11/bit_layout.h"

#include <algorithm>
#include <array>

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

}  // namespace

bool supported(const BitLayout& layout) {
    return layout.unitBits == 8 || layout.unitBits == 16 || layout.unitBits == 32;
}

void convertRow(std::span<const std::uint8_t> from, std::span<std::uint8_t> to, const BitLayout& layout) {
    const std::size_t n = std::min(from.size(), to.size());
    if (layout.lsbBitFirst)
        std::transform(from.begin(), from.begin() + static_cast<std::ptrdiff_t>(n), to.begin(),
                       [](std::uint8_t b) { return kReversed[b]; });
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
