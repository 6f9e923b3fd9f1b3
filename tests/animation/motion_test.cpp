#include <gtest/gtest.h>

#include <limits>

#include "animation/compositor.h"
#include "animation/motion.h"
#include "tests/animation/fake_stage.h"

namespace morvelux::testing {
namespace {

class MotionTest : public ::testing::Test {
protected:
    TestStage t;

    MotionTest() {
        t.clock.time = 10000;
        BmpInit(t.stage);
        ReDraw(t.stage);
        startAnimation(t.state);
    }

    bool idleAt(Millis now) {
        t.clock.time = now;
        const int before = t.view.repaints;
        const bool composed = AnimeLoop(t.stage);
        EXPECT_EQ(composed, t.view.repaints != before) << "it says whether it composed a frame";
        return composed;
    }

    int L() const { return t.view.pos.x; }
};

TEST_F(MotionTest, TickWaitsForTheFrameInterval) {
    EXPECT_TRUE(idleAt(20000));
    EXPECT_FALSE(idleAt(20059));
    EXPECT_FALSE(idleAt(20059));
    EXPECT_TRUE(idleAt(20060));
    EXPECT_EQ(t.state.LastTickAt, 20060u);
}

TEST_F(MotionTest, CallInTheSameMillisecondAsTheTickDoesNotTickAgain) {
    EXPECT_TRUE(idleAt(20000));
    EXPECT_FALSE(idleAt(20000));
    EXPECT_FALSE(idleAt(20000));
    EXPECT_EQ(t.state.MoveTick, 1);
}

TEST(TickWaitTest, SleepsExactlyUntilTheNextTickIsDue) {
    EXPECT_EQ(tickWait(1000, 1000, 60), 60u);
    EXPECT_EQ(tickWait(1000, 1001, 60), 59u);
    EXPECT_EQ(tickWait(1000, 1059, 60), 1u);
    EXPECT_EQ(tickWait(1000, 1060, 60), 0u);
    EXPECT_EQ(tickWait(1000, 999, 60), 0u);                // the clock went back
    EXPECT_EQ(tickWait(0xFFFFFFF0u, 0xFFFFFFF0u, 60), 60u);  // the deadline wraps: still a whole interval
    for (Millis now = 1000; now < 1060; ++now)
        EXPECT_TRUE(tickDue(1000, now + tickWait(1000, now, 60), 60)) << now;
}

TEST_F(MotionTest, TicksBeforeTheTopOfTheClockStillComeAnIntervalApart) {
    int ticks = 0;
    for (Millis now = 0xFFFFFF00u; now != 0; ++now) ticks += idleAt(now) ? 1 : 0;
    EXPECT_EQ(ticks, 5);  // every 60 ms of the last 256, not one a millisecond once the deadline wraps
}

TEST_F(MotionTest, ClockWrappingOrGoingBackTicksAtOnce) {
    EXPECT_TRUE(idleAt(0xFFFFFFFFu));
    EXPECT_TRUE(idleAt(0));
    EXPECT_FALSE(idleAt(59));
    EXPECT_TRUE(idleAt(5000));
    EXPECT_TRUE(idleAt(4990));  // went back
}

TEST_F(MotionTest, WhileStoppedTicksAdvanceButNothingMovesOrIsDrawn) {
    stopAnimation(t.state);
    const Point pos = t.view.pos;
    EXPECT_FALSE(idleAt(20000));
    EXPECT_EQ(t.state.LastTickAt, 20000u);
    EXPECT_FALSE(idleAt(20060));
    EXPECT_EQ(t.state.LastTickAt, 20060u);
    EXPECT_EQ(t.view.pos, pos);
    EXPECT_EQ(t.state.OffsetX, 0);
    EXPECT_EQ(t.state.MoveTick, 0);

    startAnimation(t.state);
    EXPECT_FALSE(idleAt(20100));
    EXPECT_TRUE(idleAt(20120));
    EXPECT_EQ(t.state.OffsetX, -1);
}

TEST_F(MotionTest, OddStepsMoveLayer2AndEvenStepsTheImage) {
    AutoMove(t.stage);
    EXPECT_EQ(t.state.OffsetX, -1);
    EXPECT_EQ(L(), -576);
    AutoMove(t.stage);
    EXPECT_EQ(t.state.OffsetX, -1);
    EXPECT_EQ(L(), -575);
}

TEST_F(MotionTest, PingPongTravelAndTurns) {
    auto steps = [&](int n) {
        for (int i = 0; i < n; ++i) {
            AutoMove(t.stage);
            const int sum = L() + t.state.OffsetX;
            ASSERT_GE(sum, -577);
            ASSERT_LE(sum, -575);
        }
    };
    steps(1144);
    EXPECT_EQ(L(), -4);
    EXPECT_EQ(t.state.PanRight, 1u);
    EXPECT_EQ(t.state.OffsetX, -572);
    EXPECT_EQ(t.state.MoveTick, 1144);

    steps(1136);
    EXPECT_EQ(L(), -572);
    EXPECT_EQ(t.state.PanRight, 0u);
    EXPECT_EQ(t.state.OffsetX, -4);

    steps(1136);  // and the next leg ends back at the right
    EXPECT_EQ(L(), -4);
    EXPECT_EQ(t.state.PanRight, 1u);
}

TEST_F(MotionTest, MoveTickSkipsItsLimitAndTheMotionCarriesOn) {
    t.state.MoveTick = std::numeric_limits<std::int32_t>::max() - 2;  // odd: the next step is even
    AutoMove(t.stage);
    EXPECT_EQ(L(), -575);
    AutoMove(t.stage);  // would reach 2^31 - 1: becomes 1, odd, moves Layer2
    EXPECT_EQ(t.state.MoveTick, 1);
    EXPECT_EQ(t.state.OffsetX, -1);
    AutoMove(t.stage);
    EXPECT_EQ(t.state.MoveTick, 2);
    EXPECT_EQ(L(), -574);
}

TEST_F(MotionTest, EachTickMovesThenRedrawsTheNewPosition) {
    for (Millis now = 20000; now < 20000 + 60 * 10; now += 60) ASSERT_TRUE(idleAt(now));
    EXPECT_EQ(t.state.MoveTick, 10);
    EXPECT_EQ(L(), -571);
    EXPECT_EQ(t.state.OffsetX, -5);
    EXPECT_EQ(t.view.shown, &t.state.WorkBmp);
    // The frame shows the moved layers: panel (0,0) combines Layer1 (571, 0) with Layer2 (5, 0).
    const bool differ = t.img1.colourAt(571, 0) != t.img2.colourAt(5, 0);
    EXPECT_EQ(panelPixel(t.view, 0, 0), differ ? kWhite : kBlack);
}

}  // namespace
}  // namespace morvelux::testing
