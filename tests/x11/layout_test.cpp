#include <gtest/gtest.h>

#include <vector>

#include "x11/bit_layout.h"
#include "x11/panel_layout.h"

namespace morvelux::x11 {
namespace {

TEST(Placement, CentredWithHalvesToEven) {
    EXPECT_EQ(MoireAnimation::place(1280, 1024), (Placement{128, 128}));
    EXPECT_EQ(MoireAnimation::place(800, 600), (Placement{-112, -84}));
    EXPECT_EQ(MoireAnimation::place(1025, 771), (Placement{0, 2}));     // 0.5 -> 0, 1.5 -> 2
    EXPECT_EQ(MoireAnimation::place(1023, 765), (Placement{0, -2}));    // -0.5 -> 0, -1.5 -> -2
}

long long area(const std::vector<Box>& boxes) {
    long long sum = 0;
    for (const Box& b : boxes) sum += static_cast<long long>(b.width) * b.height;
    return sum;
}

TEST(PanelLayout, BlackBandsCoverTheRestOfALargerWindow) {
    const PanelLayout l = layOutPanel(1280, 1024, 1024, 768, {128, 128});
    EXPECT_EQ(l.shown, (Box{128, 128, 1024, 768}));
    EXPECT_EQ(l.fromX, 0);
    EXPECT_EQ(l.fromY, 0);
    EXPECT_EQ(area(l.black), 1280LL * 1024 - 1024LL * 768);
    for (const Box& b : l.black) EXPECT_FALSE(b.empty());
}

TEST(PanelLayout, SmallerWindowShowsTheMiddleAndNoBlack) {
    const PanelLayout l = layOutPanel(800, 600, 1024, 768, {-112, -84});
    EXPECT_EQ(l.shown, (Box{0, 0, 800, 600}));
    EXPECT_EQ(l.fromX, 112);
    EXPECT_EQ(l.fromY, 84);
    EXPECT_TRUE(l.black.empty());
}

TEST(PanelLayout, WiderButShorterWindowGetsSideBandsOnly) {
    const PanelLayout l = layOutPanel(1100, 700, 1024, 768, {38, -34});
    EXPECT_EQ(l.shown, (Box{38, 0, 1024, 700}));
    EXPECT_EQ(l.fromY, 34);
    EXPECT_EQ(l.black, (std::vector<Box>{{0, 0, 38, 700}, {1062, 0, 38, 700}}));
}

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

}  // namespace
}  // namespace morvelux::x11
