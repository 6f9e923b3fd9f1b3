#pragma once
// Rounding a quotient of whole numbers to the nearest whole number, in exact
// integer arithmetic; the two rules differ only on exact halves.
namespace morvelux {

enum class Ties { ToEven, AwayFromZero };

// round(numerator / denominator) for a positive denominator.
constexpr int roundedQuotient(long long numerator, long long denominator, Ties ties) {
    long long whole = numerator / denominator;
    long long twiceRest = 2 * (numerator % denominator);
    if (twiceRest < 0) {  // floor, so that the rest is 0 .. denominator - 1
        whole -= 1;
        twiceRest += 2 * denominator;
    }
    const bool up = twiceRest > denominator ||
                    (twiceRest == denominator && (ties == Ties::ToEven ? whole % 2 != 0 : whole >= 0));
    return static_cast<int>(up ? whole + 1 : whole);
}

}  // namespace morvelux
