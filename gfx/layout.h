#pragma once
// Centring arithmetic: every halving of a pixel distance rounds to the
// nearest integer, ties to even.
#include "gfx/rounding.h"

namespace morvelux {

// Offset that centres `inner` in `outer` (negative when inner is larger).
constexpr int centred(int outer, int inner) { return roundedQuotient(outer - inner, 2, Ties::ToEven); }

}  // namespace morvelux
