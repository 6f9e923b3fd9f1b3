#include <gtest/gtest.h>

#include "animation/compositor.h"
#include "tests/animation/fake_stage.h"

namespace morvelux::testing {
namespace {

class CompositorTest : public ::testing::Test {
protected:
    TestStage t;

    void initAt(Millis now) {
        t.clock.time = now;
        BmpInit(t.stage);
    }

    // The moiré by definition: white where the two layers differ in colour.
    Rgb expectedMoire(int px, int py) const {
        const Rgb a = t.state.Layer1.colourAt(px - t.view.pos.x, py - t.view.pos.y);
        const Rgb b = t.state.Layer2.colourAt(px - t.state.OffsetX, py - t.state.OffsetY);
        return a == b ? kBlack : kWhite;
    }

    void expectPanelIsMoire(Rect except = {}) const {
        int wrong = 0;
        for (int py = 0; py < t.view.panel.height; ++py)
            for (int px = 0; px < t.view.panel.width; ++px) {
                const bool excepted = except.contains(px, py);
                if (!excepted && panelPixel(t.view, px, py) != expectedMoire(px, py)) ++wrong;
            }
        EXPECT_EQ(wrong, 0);
    }

    void expectPanelIsMoireOutsideTitle() const {
        const Point at = titlePosition(t.stage);
        const int left = at.x + t.view.pos.x, top = at.y + t.view.pos.y;
        expectPanelIsMoire({left, top, t.title.width(), t.title.height()});
    }

    bool titleShown() const {
        const Point at = titlePosition(t.stage);
        for (int y = 0; y < t.title.height(); ++y)
            for (int x = 0; x < t.title.width(); ++x)
                if (t.state.WorkBmp.colourAt(at.x + x, at.y + y) != t.title.colourAt(x, y)) return false;
        return true;
    }
};

TEST_F(CompositorTest, BmpInitPutsTheAnimationAtItsStart) {
    t.state.OffsetX = 17;
    t.state.OffsetY = 3;
    t.state.PanRight = 1;
    initAt(1234);
    EXPECT_EQ(t.view.pos, (Point{-576, 0}));
    EXPECT_EQ(t.state.OffsetX, 0);
    EXPECT_EQ(t.state.OffsetY, 0);
    EXPECT_EQ(t.state.PanRight, 0u);
    EXPECT_EQ(t.state.LastRedrawAt, 1234u);
    EXPECT_EQ(t.state.Layer1, t.img1);
    EXPECT_EQ(t.state.Layer2, t.img2);
    EXPECT_EQ(t.view.shown, &t.state.Layer1);
}

TEST_F(CompositorTest, FrameIsTheExclusiveOrOfTheLayersAtTheirPositions) {
    initAt(100000);
    ReDraw(t.stage);
    ASSERT_EQ(t.view.shown, &t.state.WorkBmp);
    // Panel (0, 0) combines Layer1 (576, 0) with Layer2 (0, 0).
    const bool differ = t.img1.colourAt(576, 0) != t.img2.colourAt(0, 0);
    EXPECT_EQ(panelPixel(t.view, 0, 0), differ ? kWhite : kBlack);
    expectPanelIsMoire();

    t.view.pos = {-300, 0};
    t.state.OffsetX = -277;
    ReDraw(t.stage);
    expectPanelIsMoire();
}

TEST_F(CompositorTest, IdenticalLayersAtOnePlaceGiveABlackPanel) {
    t.img2 = t.img1;
    initAt(100000);
    t.state.OffsetX = t.view.pos.x;
    ReDraw(t.stage);
    for (int py = 0; py < 768; py += 7)
        for (int px = 0; px < 1024; px += 3) ASSERT_EQ(panelPixel(t.view, px, py), kBlack) << px << "," << py;
}

TEST_F(CompositorTest, WhiteLayerInvertsTheOtherAndBlackLeavesIt) {
    for (int index : {0, 1}) {  // 0 = white, 1 = black in the patterns' table
        t.img2 = solidBitmap(1600, 768, index);
        initAt(100000);
        ReDraw(t.stage);
        for (int py = 0; py < 768; py += 5)
            for (int px = 0; px < 1024; px += 3) {
                const Rgb layer = t.img1.colourAt(px + 576, py);
                const Rgb inverted = layer == kWhite ? kBlack : kWhite;
                ASSERT_EQ(panelPixel(t.view, px, py), index == 0 ? inverted : layer) << px << "," << py;
            }
    }
}

TEST_F(CompositorTest, ReadoutsGiveTheIntervalAndTheRenderTime) {
    initAt(1000);
    t.clock.script = {1060, 1061, 1063};  // start, title check, end
    ReDraw(t.stage);
    EXPECT_EQ(t.view.readouts[Readout::FrameInterval], "60 ms");
    EXPECT_EQ(t.view.readouts[Readout::RenderTime], "3 ms");
    EXPECT_EQ(t.state.LastRedrawAt, 1060u);

    t.clock.script = {5, 5, 5};  // the clock wrapped: the difference is taken modulo 2^32
    ReDraw(t.stage);
    EXPECT_EQ(t.view.readouts[Readout::FrameInterval], "4294966241 ms");
}

TEST_F(CompositorTest, TitleCardIsCentredInThePanel) {
    initAt(0);
    EXPECT_EQ(titlePosition(t.stage), (Point{352 + 576, 264}));
}

TEST_F(CompositorTest, TitleCardUpToTheLastFrameBelowActivationPlusDuration) {
    initAt(0);
    t.state.ActivatedAt = 1000;
    t.clock.script = {5000, 5499, 5499};
    ReDraw(t.stage);
    EXPECT_TRUE(titleShown());
    expectPanelIsMoireOutsideTitle();

    t.clock.script = {5499, 5500, 5500};  // only the second reading counts
    ReDraw(t.stage);
    EXPECT_FALSE(titleShown());
    expectPanelIsMoire();
}

TEST_F(CompositorTest, TitleDeadlineIsComparedModulo2To32) {
    initAt(0);
    t.state.ActivatedAt = 0xFFFFF000u;  // the deadline wraps to 4500 - 4096 = 404
    t.clock.script = {0xFFFFF800u, 0xFFFFF800u, 0xFFFFF800u};
    ReDraw(t.stage);
    EXPECT_FALSE(titleShown()) << "before the clock wraps, the wrapped deadline is already behind";
    t.clock.script = {403, 403, 403};
    ReDraw(t.stage);
    EXPECT_TRUE(titleShown());
    t.clock.script = {404, 404, 404};
    ReDraw(t.stage);
    EXPECT_FALSE(titleShown());
}

TEST_F(CompositorTest, FirstFrameBeforeActivationShowsTitleOnlyWhileClockIsBelowDuration) {
    initAt(0);  // ActivatedAt is still 0
    t.clock.time = 4499;
    ReDraw(t.stage);
    EXPECT_TRUE(titleShown());
    t.clock.time = 4500;
    ReDraw(t.stage);
    EXPECT_FALSE(titleShown());
}

TEST_F(CompositorTest, SmallPanelStillComposesAllOfIt) {
    t.view.panel = {800, 600};
    initAt(100000);
    EXPECT_EQ(t.view.pos, (Point{-800, 0}));
    t.state.OffsetX = -5;
    ReDraw(t.stage);
    expectPanelIsMoire();
    EXPECT_EQ(titlePosition(t.stage), (Point{240 + 800, 180}));
}

}  // namespace
}  // namespace morvelux::testing
