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

}  // namespace

bool countMouseMove(TSaverState& state, Millis now, MoveArea area) {
    if (area == MoveArea::Black) {
        countOne(state);
        return state.MouseMoveCount > kMovesOverBorder;
    }
    if (now > static_cast<Millis>(state.LastMouseMoveAt + kMoveRestartAfter)) state.MouseMoveCount = 0;
    if (now > static_cast<Millis>(state.ActivatedAt + kMoveGracePeriod)) countOne(state);
    state.LastMouseMoveAt = now;
    return state.MouseMoveCount > kMovesOverPicture;
}

}  // namespace morvelux
