#include "animation/mouse_moves.h"

#include <gtest/gtest.h>

namespace morvelux::testing {
namespace {

// Moves over the panel every 100 ms from `start` on, the saver activated
// at `activatedAt`: how many moves it takes to end the saver (0: never in 60).
int movesToEnd(Millis activatedAt, Millis start) {
    TSaverState state;
    state.ActivatedAt = activatedAt;
    state.LastMouseMoveAt = activatedAt;
    for (int move = 1; move <= 60; ++move)
        if (countMouseMove(state, start + static_cast<Millis>(move * 100), MoveArea::Panel)) return move;
    return 0;
}

TEST(MouseMoves, TheSameWhereverTheClockStandsAndAcrossItsWrap) {
    constexpr Millis kNearWrap = 0xFFFFFFFFu - 1500;  // 49.7 days after boot
    // Activated at `a`, moving from `a + 2000`: moves 1 to 25 count, the 26th ends it.
    for (const Millis activatedAt : {Millis{1000}, Millis{123456789}, kNearWrap, Millis{0xFFFFFFFFu - 100}}) {
        SCOPED_TRACE(activatedAt);
        EXPECT_EQ(movesToEnd(activatedAt, activatedAt + 2000), 26);
        // Within the grace period moves do not count yet: 20 of them first.
        EXPECT_EQ(movesToEnd(activatedAt, activatedAt), 46);
    }
}

}  // namespace
}  // namespace morvelux::testing
