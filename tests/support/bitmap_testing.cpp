#include "tests/support/bitmap_testing.h"

#include <array>

namespace morvelux::testing {

std::span<const NamedPalette> samplePalettes() {
    static const std::array<NamedPalette, 6> palettes{{
        {"black/white", {kBlack, kWhite}},
        {"white/black", {kWhite, kBlack}},
        {"white/white", {kWhite, kWhite}},
        {"black/black", {kBlack, kBlack}},
        {"red/navy", {Rgb{200, 40, 30}, Rgb{20, 30, 120}}},
        {"light/dark grey", {Rgb{190, 190, 190}, Rgb{60, 60, 60}}},
    }};
    return palettes;
}

Bitmap1 randomBitmap(int width, int height, const Palette2& palette, std::mt19937& random) {
    Bitmap1 b(width, height, palette);
    const int rowBits = b.wordsPerRow() * Bitmap1::kWordBits;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = b.bytes() + b.strideBytes() * static_cast<std::size_t>(y);
        for (std::size_t i = 0; i < b.strideBytes(); ++i) row[i] = static_cast<std::uint8_t>(random());
        for (int x = width; x < rowBits; ++x) row[x / 8] &= static_cast<std::uint8_t>(~(0x80u >> (x % 8)));
    }
    return b;
}

int randomIn(std::mt19937& random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

bool paddingIsClear(const Bitmap1& b) {
    const int rowBits = b.wordsPerRow() * Bitmap1::kWordBits;
    for (int y = 0; y < b.height(); ++y) {
        const std::uint8_t* row = b.bytes() + b.strideBytes() * static_cast<std::size_t>(y);
        for (int x = b.width(); x < rowBits; ++x)
            if (row[x / 8] & (0x80u >> (x % 8))) return false;
    }
    return true;
}

::testing::AssertionResult sameBitmap(const Bitmap1& actual, const Bitmap1& expected) {
    if (actual.width() != expected.width() || actual.height() != expected.height())
        return ::testing::AssertionFailure() << "size " << actual.width() << "x" << actual.height() << ", want "
                                             << expected.width() << "x" << expected.height();
    if (actual.palette() != expected.palette()) return ::testing::AssertionFailure() << "colour table differs";
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (actual.pixel(x, y) != expected.pixel(x, y))
                return ::testing::AssertionFailure() << "first difference at (" << x << ", " << y << "): index "
                                                     << actual.pixel(x, y) << ", want " << expected.pixel(x, y);
    if (!paddingIsClear(actual)) return ::testing::AssertionFailure() << "padding bits past the width are set";
    return ::testing::AssertionSuccess();
}

}  // namespace morvelux::testing
