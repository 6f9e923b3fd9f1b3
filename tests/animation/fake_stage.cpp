#include "tests/animation/fake_stage.h"

#include <random>

namespace morvelux::testing {

namespace {
constexpr Palette2 kPatternPalette{kWhite, kBlack};
}

Bitmap1 patternBitmap(int width, int height, unsigned seed) {
    Bitmap1 b(width, height, kPatternPalette);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) b.setPixel(x, y, static_cast<int>(random() & 1));
    return b;
}

Bitmap1 solidBitmap(int width, int height, int index) {
    Bitmap1 b(width, height, kPatternPalette);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) b.setPixel(x, y, index);
    return b;
}

Rgb panelPixel(const FakeView& view, int px, int py) {
    return view.shown->colourAt(px - view.pos.x, py - view.pos.y);
}

TestStage::TestStage()
    : img1(patternBitmap(1600, 768, 1)), img2(patternBitmap(1600, 768, 2)), title(patternBitmap(320, 240, 3)) {
    state.Layer1 = Bitmap1(1600, 768, {kBlack, kWhite});
    state.Layer2 = Bitmap1(1600, 768, {kBlack, kWhite});
    state.WorkBmp = Bitmap1(1600, 768, {kBlack, kWhite});
    state.FrameInterval = 60;
}

}  // namespace morvelux::testing
