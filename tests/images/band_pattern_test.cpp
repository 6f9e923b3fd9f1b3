#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "gfx/bmp.h"
#include "tests/images/committed_files.h"
#include "tools/pattern/band_pattern.h"

namespace morvelux::testing {
namespace {

using pattern::BandFamily;
using pattern::inBand;
using pattern::kImg1Layout;
using pattern::kImg2Layout;

// Lengths of the runs of pixels in the band along a row, leaving out runs cut
// by the picture's edges.
std::vector<int> runsAlongRow(const BandFamily& family, int y) {
    std::vector<int> runs;
    int length = 0;
    bool touchesEdge = true;
    for (int x = 0; x < kLayerSize.width; ++x) {
        if (inBand(family, x, y)) {
            ++length;
            continue;
        }
        if (length > 0 && !touchesEdge) runs.push_back(length);
        length = 0;
        touchesEdge = false;
    }
    return runs;
}

TEST(BandPattern, Img2AxisBandsAreWholeColumnsAndRows) {
    const BandFamily& vertical = kImg2Layout[0];
    const BandFamily& horizontal = kImg2Layout[2];
    for (int x = 0; x < kLayerSize.width; ++x) {
        const int inPeriod = x % 36;
        EXPECT_EQ(inBand(vertical, x, 0), inPeriod >= 4 && inPeriod <= 21) << "column " << x;
        EXPECT_EQ(inBand(vertical, x, 0), inBand(vertical, x, 767)) << "column " << x;
    }
    for (int y = 0; y < kLayerSize.height; ++y) {
        const int inPeriod = (y + 36 - 26) % 36;  // rows 26 to 43 of every 36
        EXPECT_EQ(inBand(horizontal, 0, y), inPeriod < 18) << "row " << y;
        EXPECT_EQ(inBand(horizontal, 0, y), inBand(horizontal, 1599, y)) << "row " << y;
    }
}

TEST(BandPattern, Img2DiagonalBandsCoverTwentySixPixelsOfARow) {
    // Along a row x + y (or x - y) runs through consecutive values; the falling
    // diagonal has its projection negative over most of the picture.
    for (const BandFamily& diagonal : {kImg2Layout[1], kImg2Layout[3]})
        for (int y : {0, 383, 767}) {
            const auto runs = runsAlongRow(diagonal, y);
            EXPECT_GT(runs.size(), 25u);
            for (int length : runs) EXPECT_EQ(length, 26) << "direction " << diagonal.direction << ", row " << y;
        }
}

TEST(BandPattern, BandsAndGapsAlternateAlongEveryNormal) {
    // Along a family's normal, 18.385 in and 17.615 out; a row crosses both
    // stretched alike, so the share in the band stays the same.
    for (const auto* layout : {&kImg1Layout, &kImg2Layout})
        for (const BandFamily& family : *layout) {
            if (family.direction == 4) continue;  // parallel to the rows
            long in = 0, total = 0;
            for (int x = 0; x < kLayerSize.width; ++x, ++total) in += inBand(family, x, 100) ? 1 : 0;
            EXPECT_NEAR(static_cast<double>(in) / static_cast<double>(total), 18.385 / 36, 0.02)
                << "direction " << family.direction;
        }
}

TEST(BandPattern, CommittedLayersAreTheRuleBitForBit) {
    const auto img1 = writeBmp(fromBitmap1(pattern::generate(kImg1Layout)));
    const auto img2 = writeBmp(fromBitmap1(pattern::generate(kImg2Layout)));
    const auto committed1 = committedFile("img1"), committed2 = committedFile("img2");
    EXPECT_TRUE(std::equal(img1.begin(), img1.end(), committed1.begin(), committed1.end()));
    EXPECT_TRUE(std::equal(img2.begin(), img2.end(), committed2.begin(), committed2.end()));
}

}  // namespace
}  // namespace morvelux::testing
