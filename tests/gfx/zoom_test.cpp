// Whole-number enlargement against a pixel-by-pixel reference on random
// bitmaps and areas: every pixel a square, none shifted, nothing past the rows.
#include <gtest/gtest.h>

#include <random>

#include "gfx/zoom.h"
#include "tests/support/bitmap_testing.h"

namespace morvelux::testing {
namespace {

TEST(Zoom, EveryPixelBecomesASquareOfItsIndex) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 200; ++round) {
        const int zoom = randomIn(random, 1, kMaxZoom);
        const Bitmap1 src = randomBitmap(randomIn(random, 1, 200), randomIn(random, 1, 20), {kBlack, kWhite}, random);
        const int left = randomIn(random, -10, src.width() - 1);
        const int top = randomIn(random, -3, src.height() - 1);
        const Rect area = Rect::fromEdges(left, top, randomIn(random, std::max(left, 0) + 1, src.width() + 10),
                                          src.height() + 2);
        Bitmap1 dst;
        const int first = zoomInto(dst, src, area, zoom);
        SCOPED_TRACE(::testing::Message() << "zoom " << zoom << " of " << src.width() << "x" << src.height()
                                          << " from column " << area.left);
        ASSERT_LE(first, std::max(area.left, 0));
        ASSERT_GT(first, std::max(area.left, 0) - 8);
        ASSERT_GE(dst.width(), (std::min(area.right(), src.width()) - first) * zoom);
        const int shownTop = std::max(area.top, 0);
        ASSERT_EQ(dst.height(), (src.height() - shownTop) * zoom);
        for (int y = 0; y < dst.height(); ++y)
            for (int x = 0; x < dst.width(); ++x) {
                const int sx = first + x / zoom;
                const int expected = sx < src.width() ? src.pixel(sx, shownTop + y / zoom) : 0;
                ASSERT_EQ(dst.pixel(x, y), expected) << "at " << x << "," << y;
            }
        ASSERT_TRUE(paddingIsClear(dst));
        ASSERT_EQ(dst.palette(), src.palette());
    }
}

TEST(Zoom, AnAreaOutsideTheBitmapGivesAnEmptyOne) {
    const Bitmap1 src(16, 16, {kBlack, kWhite});
    Bitmap1 dst(4, 4, {kBlack, kWhite});
    zoomInto(dst, src, {20, 0, 10, 16}, 2);
    EXPECT_EQ(dst.width() * dst.height(), 0);
}

}  // namespace
}  // namespace morvelux::testing
