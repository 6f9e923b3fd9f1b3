#include "gfx/panel_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace morvelux::testing {
namespace {

long long area(const std::vector<Rect>& boxes) {
    long long sum = 0;
    for (const Rect& b : boxes) sum += static_cast<long long>(b.width) * b.height;
    return sum;
}

TEST(PanelLayout, BlackBandsCoverTheRestOfALargerWindow) {
    const PanelLayout l = layOutPanel({1280, 1024}, {1024, 768}, {128, 128});
    EXPECT_EQ(l.shown, (Rect{128, 128, 1024, 768}));
    EXPECT_EQ(l.fromX, 0);
    EXPECT_EQ(l.fromY, 0);
    EXPECT_EQ(area(l.black), 1280LL * 1024 - 1024LL * 768);
    for (const Rect& b : l.black) EXPECT_FALSE(b.empty());
}

TEST(PanelLayout, SmallerWindowShowsTheMiddleAndNoBlack) {
    const PanelLayout l = layOutPanel({800, 600}, {1024, 768}, {-112, -84});
    EXPECT_EQ(l.shown, (Rect{0, 0, 800, 600}));
    EXPECT_EQ(l.fromX, 112);
    EXPECT_EQ(l.fromY, 84);
    EXPECT_TRUE(l.black.empty());
}

TEST(PanelLayout, WiderButShorterWindowGetsSideBandsOnly) {
    const PanelLayout l = layOutPanel({1100, 700}, {1024, 768}, {38, -34});
    EXPECT_EQ(l.shown, (Rect{38, 0, 1024, 700}));
    EXPECT_EQ(l.fromY, 34);
    EXPECT_EQ(l.black, (std::vector<Rect>{{0, 0, 38, 700}, {1062, 0, 38, 700}}));
}

}  // namespace
}  // namespace morvelux::testing
