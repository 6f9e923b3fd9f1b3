#include <gtest/gtest.h>

#include <vector>

#include "x11/bit_layout.h"

namespace morvelux::x11 {
namespace {

std::vector<std::uint8_t> converted(std::vector<std::uint8_t> row, BitLayout layout) {
    std::vector<std::uint8_t> out(row.size());
    convertRow(row, out, layout);
    return out;
}

// Pixels 0 and 9 set: 0x80 0x40 in the panel's own order.
const std::vector<std::uint8_t> kRow{0x80, 0x40, 0x00, 0x00};

TEST(BitLayout, EveryServerOrder) {
    EXPECT_EQ(converted(kRow, {8, false, false}), kRow);
    EXPECT_EQ(converted(kRow, {32, false, false}), kRow);
    EXPECT_EQ(converted(kRow, {8, true, false}), (std::vector<std::uint8_t>{0x01, 0x02, 0, 0}));
    EXPECT_EQ(converted(kRow, {32, true, true}), (std::vector<std::uint8_t>{0x01, 0x02, 0, 0}));
    // Bit and byte orders that disagree turn the bytes of each unit round.
    EXPECT_EQ(converted(kRow, {32, false, true}), (std::vector<std::uint8_t>{0, 0, 0x40, 0x80}));
    EXPECT_EQ(converted(kRow, {16, true, false}), (std::vector<std::uint8_t>{0x02, 0x01, 0, 0}));
    EXPECT_FALSE(supported({64, false, false}));
}

TEST(BitLayout, LongRowsTurnEveryByteOnce) {
    // Long enough for the word-wide path and an odd tail after it.
    std::vector<std::uint8_t> row(21), expected(21);
    for (std::size_t i = 0; i < row.size(); ++i) {
        row[i] = static_cast<std::uint8_t>(0x80u >> (i % 8) | (i % 3 ? 0x01u : 0u));
        expected[i] = static_cast<std::uint8_t>(0x01u << (i % 8) | (i % 3 ? 0x80u : 0u));
    }
    EXPECT_EQ(converted(row, {8, true, false}), expected);
}

}  // namespace
}  // namespace morvelux::x11
