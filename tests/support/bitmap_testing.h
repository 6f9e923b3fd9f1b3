#pragma once
// Random bitmaps, a set of colour tables that between them give every way a
// source can map into a destination, and a comparison that says where two
// bitmaps first differ.
#include <gtest/gtest.h>

#include <random>
#include <span>
#include <string>

#include "gfx/bitmap1.h"

namespace morvelux::testing {

struct NamedPalette {
    const char* name;
    Palette2 colours;
};

// Plain and swapped black/white, both-white, both-black and two tables of
// other colours.
std::span<const NamedPalette> samplePalettes();

Bitmap1 randomBitmap(int width, int height, const Palette2& palette, std::mt19937& random);

int randomIn(std::mt19937& random, int low, int high);  // inclusive

// Same size, table and pixels, and the padding past the width clear in both.
::testing::AssertionResult sameBitmap(const Bitmap1& actual, const Bitmap1& expected);

bool paddingIsClear(const Bitmap1& b);

}  // namespace morvelux::testing
