// The word-at-a-time blits against the pixel-by-pixel reference, on random
// bitmaps from fixed seeds; a failure names the case that broke.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <map>
#include <ostream>
#include <random>
#include <set>
#include <string>

#include "gfx/blit.h"
#include "tests/support/bitmap_testing.h"
#include "tests/support/reference_blit.h"

namespace morvelux::testing {
namespace {

constexpr std::array kOps{RasterOp::SrcCopy, RasterOp::SrcInvert};

struct BlitCase {
    int dstWidth = 0, dstHeight = 0, srcWidth = 0, srcHeight = 0;
    int dx = 0, dy = 0, w = 0, h = 0, sx = 0, sy = 0;
    RasterOp op = RasterOp::SrcCopy;
    const NamedPalette* dstPalette = &samplePalettes()[0];
    const NamedPalette* srcPalette = &samplePalettes()[0];
};

std::ostream& operator<<(std::ostream& out, const BlitCase& c) {
    return out << (c.op == RasterOp::SrcCopy ? "SRCCOPY" : "SRCINVERT") << " of " << c.w << "x" << c.h << " from ("
               << c.sx << ", " << c.sy << ") of a " << c.srcWidth << "x" << c.srcHeight << " " << c.srcPalette->name
               << " source to (" << c.dx << ", " << c.dy << ") of a " << c.dstWidth << "x" << c.dstHeight << " "
               << c.dstPalette->name << " destination";
}

const NamedPalette* anyPalette(std::mt19937& random) {
    const auto palettes = samplePalettes();
    return &palettes[static_cast<std::size_t>(randomIn(random, 0, static_cast<int>(palettes.size()) - 1))];
}

::testing::AssertionResult agreesWithReference(const BlitCase& c, std::mt19937& random) {
    const Bitmap1 src = randomBitmap(c.srcWidth, c.srcHeight, c.srcPalette->colours, random);
    Bitmap1 actual = randomBitmap(c.dstWidth, c.dstHeight, c.dstPalette->colours, random);
    Bitmap1 expected = actual;
    blit(actual, c.dx, c.dy, c.w, c.h, src, c.sx, c.sy, c.op);
    reference::blit(expected, c.dx, c.dy, c.w, c.h, src, c.sx, c.sy, c.op);
    ::testing::AssertionResult result = sameBitmap(actual, expected);
    if (!result) result << "\n  in " << c;
    return result;
}

// A block inside both bitmaps at the given bit alignments, sometimes ending
// right at a bitmap's right edge.
BlitCase alignedCase(int dstAlign, int srcAlign, RasterOp op, std::mt19937& random) {
    BlitCase c;
    c.op = op;
    c.dx = dstAlign + 64 * randomIn(random, 0, 2);
    c.sx = srcAlign + 64 * randomIn(random, 0, 2);
    c.w = randomIn(random, 1, 200);
    c.h = randomIn(random, 1, 3);
    c.dstWidth = c.dx + c.w + randomIn(random, 0, 70);
    c.srcWidth = c.sx + c.w + randomIn(random, 0, 70);
    c.dstHeight = c.h + randomIn(random, 0, 2);
    c.srcHeight = c.h + randomIn(random, 0, 2);
    c.dy = randomIn(random, 0, c.dstHeight - c.h);
    c.sy = randomIn(random, 0, c.srcHeight - c.h);
    c.dstPalette = anyPalette(random);
    c.srcPalette = anyPalette(random);
    return c;
}

TEST(BlitTest, AgreesWithReferenceAtEveryBitAlignment) {
    std::mt19937 random(20240601);
    for (int dstAlign = 0; dstAlign < 64; ++dstAlign)
        for (int srcAlign = 0; srcAlign < 64; ++srcAlign)
            for (RasterOp op : kOps) ASSERT_TRUE(agreesWithReference(alignedCase(dstAlign, srcAlign, op, random), random));
}

TEST(BlitTest, AgreesWithReferenceOnLayerSizedRows) {
    std::mt19937 random(1600);
    for (int i = 0; i < 200; ++i) {
        BlitCase c;
        c.op = kOps[static_cast<std::size_t>(i % 2)];
        c.dstWidth = c.srcWidth = 1600;
        c.dstHeight = c.srcHeight = c.h = 2;
        if (i % 4 < 2) {  // whole rows, shifted a little either way
            c.w = 1600;
            c.dx = i < 8 ? 0 : randomIn(random, -70, 70);
            c.sx = i < 8 ? 0 : randomIn(random, -70, 70);
        } else {  // the panel's width, as the compositor blits it
            c.w = 1024;
            c.dx = randomIn(random, 0, 576);
            c.sx = randomIn(random, -8, 584);
        }
        c.dstPalette = anyPalette(random);
        c.srcPalette = anyPalette(random);
        ASSERT_TRUE(agreesWithReference(c, random));
    }
}

// Which edges a case clips at, so that the test can show it covered them all.
std::set<std::string> clippings(const BlitCase& c) {
    std::set<std::string> found;
    if (c.w <= 0 || c.h <= 0) found.insert("empty size");
    if (c.dx < 0 || c.sx < 0) found.insert("left");
    if (c.dy < 0 || c.sy < 0) found.insert("top");
    if (c.dx + c.w > c.dstWidth || c.sx + c.w > c.srcWidth) found.insert("right");
    if (c.dy + c.h > c.dstHeight || c.sy + c.h > c.srcHeight) found.insert("bottom");
    const bool missesDst = c.dx >= c.dstWidth || c.dy >= c.dstHeight || c.dx + c.w <= 0 || c.dy + c.h <= 0;
    const bool missesSrc = c.sx >= c.srcWidth || c.sy >= c.srcHeight || c.sx + c.w <= 0 || c.sy + c.h <= 0;
    if (c.w > 0 && c.h > 0 && (missesDst || missesSrc)) found.insert("wholly outside");
    return found;
}

TEST(BlitTest, ClipsToBothBitmapsAtEveryEdge) {
    std::mt19937 random(7);
    std::map<std::string, int> covered;
    for (int i = 0; i < 4000; ++i) {
        BlitCase c;
        c.op = kOps[static_cast<std::size_t>(i % 2)];
        c.dstWidth = randomIn(random, 1, 150);
        c.srcWidth = randomIn(random, 1, 150);
        c.dstHeight = randomIn(random, 1, 6);
        c.srcHeight = randomIn(random, 1, 6);
        c.w = randomIn(random, -3, 220);
        c.h = randomIn(random, -1, 8);
        c.dx = randomIn(random, -220, c.dstWidth + 20);
        c.sx = randomIn(random, -220, c.srcWidth + 20);
        c.dy = randomIn(random, -8, c.dstHeight + 2);
        c.sy = randomIn(random, -8, c.srcHeight + 2);
        c.dstPalette = anyPalette(random);
        c.srcPalette = anyPalette(random);
        for (const std::string& edge : clippings(c)) ++covered[edge];
        ASSERT_TRUE(agreesWithReference(c, random)) << "case " << i;
    }
    for (const char* edge : {"empty size", "left", "top", "right", "bottom", "wholly outside"})
        EXPECT_GE(covered[edge], 100) << "too few cases clipped at: " << edge;
}

TEST(BlitTest, MapsColoursForEveryPairOfTables) {
    std::mt19937 random(42);
    std::set<std::array<int, 2>> mappings;
    for (const NamedPalette& from : samplePalettes())
        for (const NamedPalette& to : samplePalettes()) {
            mappings.insert(colourMap(from.colours, to.colours));
            for (RasterOp op : kOps)
                for (int i = 0; i < 12; ++i) {
                    BlitCase c = alignedCase(randomIn(random, 0, 63), randomIn(random, 0, 63), op, random);
                    c.srcPalette = &from;
                    c.dstPalette = &to;
                    ASSERT_TRUE(agreesWithReference(c, random));
                }
        }
    // identity, inverted, all 0 and all 1 all occur among the pairs
    EXPECT_EQ(mappings.size(), 4u);
}

TEST(BlitTest, OverlappingBlockWithinOneBitmapReadsTheSourceAsItWas) {
    std::mt19937 random(99);
    for (int i = 0; i < 300; ++i) {
        const RasterOp op = kOps[static_cast<std::size_t>(i % 2)];
        Bitmap1 actual = randomBitmap(200, 8, anyPalette(random)->colours, random);
        Bitmap1 expected = actual;
        const int sx = randomIn(random, 0, 100), sy = randomIn(random, 0, 4);
        const int dx = sx + randomIn(random, -70, 70), dy = sy + randomIn(random, -2, 2);
        const int w = randomIn(random, 1, 100), h = randomIn(random, 1, 4);
        blit(actual, dx, dy, w, h, actual, sx, sy, op);
        reference::blit(expected, dx, dy, w, h, expected, sx, sy, op);
        ASSERT_TRUE(sameBitmap(actual, expected)) << w << "x" << h << " from (" << sx << ", " << sy << ") to (" << dx
                                                  << ", " << dy << ")";
    }
}

TEST(BlitTest, ExtremePositionsAndSizesNeitherOverflowNorReachOutside) {
    std::mt19937 random(5);
    const Bitmap1 src = randomBitmap(70, 5, {kWhite, kBlack}, random);
    const Bitmap1 before = randomBitmap(90, 4, {kBlack, kWhite}, random);
    struct Extreme {
        int dx, dy, w, h, sx, sy;
    };
    const Extreme touchNothing[] = {
        {INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0, 0}, {INT_MAX, INT_MAX, INT_MAX, INT_MAX, 0, 0},
        {0, 0, INT_MAX, INT_MAX, INT_MIN, INT_MIN}, {0, 0, INT_MAX, INT_MAX, INT_MAX, 0},
        {0, 0, INT_MIN, INT_MIN, 0, 0},             {INT_MAX, 0, INT_MIN, 1, INT_MIN, 0},
    };
    for (RasterOp op : kOps) {
        for (const Extreme& e : touchNothing) {
            Bitmap1 dst = before;
            blit(dst, e.dx, e.dy, e.w, e.h, src, e.sx, e.sy, op);
            EXPECT_TRUE(sameBitmap(dst, before)) << e.dx << " " << e.dy << " " << e.w << " " << e.h;
        }
        Bitmap1 dst = before, expected = before;
        blit(dst, -5, -2, INT_MAX, INT_MAX, src, 0, 0, op);
        reference::blit(expected, -5, -2, 95, 6, src, 0, 0, op);
        EXPECT_TRUE(sameBitmap(dst, expected));
    }
}

TEST(CopyWholeTest, AgreesWithReferenceForEveryPairOfTablesAndSize) {
    std::mt19937 random(11);
    const std::array<std::array<int, 2>, 7> sizes{{{0, 0}, {1, 1}, {63, 2}, {64, 3}, {65, 2}, {200, 5}, {1600, 3}}};
    for (const auto& [width, height] : sizes)
        for (const NamedPalette& from : samplePalettes())
            for (const NamedPalette& to : samplePalettes())
                for (bool sameSize : {true, false}) {
                    const Bitmap1 src = randomBitmap(width, height, from.colours, random);
                    Bitmap1 actual = sameSize ? randomBitmap(width, height, to.colours, random)
                                              : randomBitmap(37, 4, to.colours, random);
                    Bitmap1 expected = actual;
                    copyWhole(actual, src);
                    reference::copyWhole(expected, src);
                    ASSERT_TRUE(sameBitmap(actual, expected)) << width << "x" << height << " " << from.name << " into "
                                                              << to.name << (sameSize ? "" : " of another size");
                }
}

TEST(CopyWholeTest, IntoItselfMapsByItsOwnTable) {
    std::mt19937 random(12);
    for (const NamedPalette& palette : samplePalettes()) {
        Bitmap1 actual = randomBitmap(130, 3, palette.colours, random);
        Bitmap1 expected = actual;
        copyWhole(actual, actual);
        reference::copyWhole(expected, expected);
        EXPECT_TRUE(sameBitmap(actual, expected)) << palette.name;
    }
}

TEST(FillTest, AgreesWithReference) {
    std::mt19937 random(3);
    const Rgb colours[] = {kBlack, kWhite, Rgb{200, 40, 30}, Rgb{128, 128, 128}};
    for (const NamedPalette& palette : samplePalettes())
        for (Rgb colour : colours)
            for (int i = 0; i < 100; ++i) {
                Bitmap1 actual = randomBitmap(randomIn(random, 1, 150), randomIn(random, 1, 5), palette.colours, random);
                Bitmap1 expected = actual;
                const int left = randomIn(random, -20, 170), top = randomIn(random, -2, 6);
                const int width = randomIn(random, -3, 200);
                const Rect area{left, top, width, randomIn(random, -1, 7)};
                actual.fill(area, colour);
                reference::fill(expected, area, colour);
                ASSERT_TRUE(sameBitmap(actual, expected))
                    << "fill of (" << area.left << ", " << area.top << ")-(" << area.right() << ", " << area.bottom()
                    << ") in a " << actual.width() << "x" << actual.height() << " " << palette.name << " bitmap";
            }
}

}  // namespace
}  // namespace morvelux::testing
