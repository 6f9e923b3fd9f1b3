#pragma once
// The two pattern layers as a rule: four families of parallel bands whose
// directions are 45 degrees apart; a pixel is black where it lies in an odd
// number of bands. Shared by the picture generator and the tests that check
// the stored pictures against the rule, so it must give the same bits on
// every platform.
#include <array>

#include "animation/dimensions.h"
#include "gfx/bitmap1.h"

namespace morvelux::pattern {

inline constexpr double kPeriod = 36.0;
inline constexpr double kBandWidth = 18.385;  // 13 * sqrt(2) to three decimals: band edges about 18 px apart

struct BandFamily {
    int direction;  // the normal's angle in steps of 22.5 degrees, 0..7
    double phase;   // where a band starts along the normal, in pixels
};

using Layout = std::array<BandFamily, 4>;

// Layer 1 is layer 2's arrangement turned by 22.5 degrees.
extern const Layout kImg1Layout;
extern const Layout kImg2Layout;

bool inBand(const BandFamily& family, int x, int y);
int bandCount(const Layout& layout, int x, int y);

// A 1600 x 768 layer with the patterns' colour table: index 0 white, 1 black.
Bitmap1 generate(const Layout& layout);

}  // namespace morvelux::pattern
