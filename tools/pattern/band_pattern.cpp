#include "tools/pattern/band_pattern.h"

#include <cmath>

namespace morvelux::pattern {

namespace {

struct Unit {
    double cos, sin;
};

// Written out rather than taken from std::cos/std::sin: C libraries may differ
// in the last bit, and a pixel on a band edge would flip between platforms.
constexpr double kCos22 = 0.92387953251128674;  // cos 22.5 degrees
constexpr double kSin22 = 0.38268343236508977;  // sin 22.5 degrees
constexpr double kCos45 = 0.70710678118654752;
constexpr std::array<Unit, 8> kNormals{{
    {1.0, 0.0}, {kCos22, kSin22}, {kCos45, kCos45}, {kSin22, kCos22},
    {0.0, 1.0}, {-kSin22, kCos22}, {-kCos45, kCos45}, {-kCos22, kSin22},
}};

// fmod is exact, so the remainder does not depend on the C library either.
double positiveModulo(double value, double period) {
    const double r = std::fmod(value, period);
    return r < 0.0 ? r + period : r;
}

}  // namespace

const Layout kImg1Layout{{{1, 11.047}, {3, 26.451}, {5, 21.582}, {7, 5.929}}};
const Layout kImg2Layout{{{0, 3.31}, {2, 31.27}, {4, 25.31}, {6, 14.98}}};

bool inBand(const BandFamily& family, int x, int y) {
    const Unit n = kNormals[static_cast<std::size_t>(family.direction) % kNormals.size()];
    const double u = x * n.cos + y * n.sin;
    return positiveModulo(u - family.phase, kPeriod) < kBandWidth;
}

int bandCount(const Layout& layout, int x, int y) {
    int count = 0;
    for (const BandFamily& family : layout) count += inBand(family, x, y) ? 1 : 0;
    return count;
}

Bitmap1 generate(const Layout& layout) {
    Bitmap1 layer(kLayerSize.width, kLayerSize.height, {kWhite, kBlack});
    for (int y = 0; y < kLayerSize.height; ++y)
        for (int x = 0; x < kLayerSize.width; ++x) layer.setPixel(x, y, bandCount(layout, x, y) % 2);
    return layer;
}

}  // namespace morvelux::pattern
