#pragma once
// Centring arithmetic: every halving of a pixel distance rounds to the
// nearest integer, ties to even.

namespace morvelux {

constexpr int halfToEven(int distance) {
    const int down = distance >= 0 ? distance / 2 : -((-distance + 1) / 2);  // floor(distance / 2)
    if (distance % 2 == 0) return down;
    return down % 2 == 0 ? down : down + 1;  // exactly .5 away: take the even neighbour
}

// Offset that centres `inner` in `outer` (negative when inner is larger).
constexpr int centred(int outer, int inner) { return halfToEven(outer - inner); }

}  // namespace morvelux
