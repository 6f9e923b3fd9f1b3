#include "animation/mouse_moves.h"

#include <limits>

namespace morvelux {

namespace {

constexpr Millis kMoveRestartAfter = 1000;  // a pause this long starts the count again
constexpr Millis kMoveGracePeriod = 2000;   // moves right after activation do not count
constexpr int kMovesOverPicture = 25;
constexpr int kMovesOverBorder = 8;
constexpr std::int32_t kCountCeiling = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kCountAfterCeiling = 100;

void countOne(TSaverState& state) {
    // Widened so that the count can never overflow on its way to the ceiling.
    const std::int64_t next = static_cast<std::int64_t>(state.MouseMoveCount) + 1;
    state.MouseMoveCount = next >= kCountCeiling ? kCountAfterCeiling : static_cast<std::int32_t>(next);
}

// Whether more than `period` has passed from `since` to `now` on the 32-bit
// clock: the difference is taken modulo 2^32, so it holds across the wrap.
bool morePassedThan(Millis since, Millis now, Millis period) { return static_cast<Millis>(now - since) > period; }

}  // namespace

bool countMouseMove(TSaverState& state, Millis now, MoveArea area) {
    if (area == MoveArea::Black) {
        countOne(state);
        return state.MouseMoveCount > kMovesOverBorder;
    }
    if (morePassedThan(state.LastMouseMoveAt, now, kMoveRestartAfter)) state.MouseMoveCount = 0;
    if (morePassedThan(state.ActivatedAt, now, kMoveGracePeriod)) countOne(state);
    state.LastMouseMoveAt = now;
    return state.MouseMoveCount > kMovesOverPicture;
}

}  // namespace morvelux
