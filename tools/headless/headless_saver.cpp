#include "tools/headless/headless_saver.h"

#include "animation/compositor.h"
#include "animation/motion.h"

namespace morvelux::tools {

HeadlessSaver::HeadlessSaver(const Bitmap1& img1, const Bitmap1& img2, const Bitmap1& title)
    : stage_{state_, view_, clock_, {img1, img2, title}} {
    BmpInit(stage_);
}

void HeadlessSaver::advance(int ticks) {
    for (int i = 0; i < ticks; ++i) AutoMove(stage_);
}

void HeadlessSaver::placeAt(LayerPosition position) {
    view_.setImagePos({position.imageLeft, 0});
    state_.OffsetX = position.offsetX;
}

LayerPosition HeadlessSaver::position() const { return {view_.imagePos().x, state_.OffsetX}; }

Bitmap1 HeadlessSaver::composePanel(bool withTitle) {
    // The clock stands at the activation time, so the title is due exactly
    // when it lasts longer than no time at all.
    state_.ActivatedAt = clock_.time;
    state_.TitleDuration = withTitle ? kTitleDuration : 0;
    ReDraw(stage_);

    Bitmap1 shown(kPanelSize.width, kPanelSize.height, {kBlack, kWhite});
    cropPanel(shown, *view_.shown(), view_.imagePos());
    return shown;
}

}  // namespace morvelux::tools
