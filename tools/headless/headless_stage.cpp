#include "tools/headless/headless_stage.h"

#include <cstdint>
#include <random>

#include "animation/compositor.h"
#include "animation/motion.h"

namespace morvelux::tools {

Bitmap1 noiseBitmap(Size size, unsigned seed) {
    Bitmap1 b(size.width, size.height, {kWhite, kBlack});
    std::mt19937 random(seed);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x) b.setPixel(x, y, static_cast<int>(random() & 1));
    return b;
}

NoiseStage::NoiseStage()
    : img1(noiseBitmap(kLayerSize, 1)),
      img2(noiseBitmap(kLayerSize, 2)),
      title(noiseBitmap(kTitleSize, 3)),
      stage{state, view, clock, {img1, img2, title}} {
    state.WorkBmp = Bitmap1(kLayerSize.width, kLayerSize.height, {kBlack, kWhite});
    BmpInit(stage);
    // The first leg turns the motion left, the way back turns it right again.
    for (std::uint32_t turns = 0; turns < 2;) {
        const std::uint32_t direction = state.PanRight;
        AutoMove(stage);
        path.push_back({view.imagePos().x, state.OffsetX});
        if (state.PanRight != direction) ++turns;
    }
    BmpInit(stage);
}

void NoiseStage::moveTo(std::size_t frame) {
    const LayerPosition& p = path[frame % path.size()];
    view.setImagePos({p.imageLeft, 0});
    state.OffsetX = p.offsetX;
}

}  // namespace morvelux::tools
