// The one rounding of a quotient against floating point (exact for these
// small values), over negative and positive numerators and odd and even
// denominators, so that every kind of half is met.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>

#include "gfx/rounding.h"

namespace morvelux::testing {
namespace {

TEST(RoundedQuotient, MatchesFloatingPointRoundingInBothModes) {
    ASSERT_EQ(std::fegetround(), FE_TONEAREST);
    for (long long denominator = 1; denominator <= 40; ++denominator)
        for (long long numerator = -300; numerator <= 300; ++numerator) {
            const double exact = static_cast<double>(numerator) / static_cast<double>(denominator);
            ASSERT_EQ(roundedQuotient(numerator, denominator, Ties::ToEven), std::nearbyint(exact))
                << numerator << " / " << denominator;
            ASSERT_EQ(roundedQuotient(numerator, denominator, Ties::AwayFromZero), std::round(exact))
                << numerator << " / " << denominator;
        }
}

TEST(RoundedQuotient, ProductsBeyondThirtyTwoBits) {
    EXPECT_EQ(roundedQuotient(3'000'000'000LL * 2, 4, Ties::ToEven), 1'500'000'000);
    EXPECT_EQ(roundedQuotient(-5'000'000'001LL, 5, Ties::AwayFromZero), -1'000'000'000);
}

}  // namespace
}  // namespace morvelux::testing
