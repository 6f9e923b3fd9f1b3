#include "animation/compositor.h"

#include <string>

#include "gfx/blit.h"
#include "gfx/layout.h"

namespace morvelux {

namespace {

std::string millisText(Millis ms) { return std::to_string(ms) + " ms"; }

}  // namespace

bool titleDue(Millis at, Millis activatedAt, Millis duration) {
    return at < static_cast<Millis>(activatedAt + duration);
}

void clearImage(Stage& stage) {
    const Size image = stage.view.imageSize();
    stage.state.Layer1.fill({0, 0, image.width, image.height}, kWhite);
    stage.view.showBitmap(stage.state.Layer1);
}

void BmpInit(Stage& stage) {
    TSaverState& s = stage.state;
    clearImage(stage);
    s.Layer1 = stage.pictures.img1;
    s.Layer2 = stage.pictures.img2;
    s.LastRedrawAt = stage.clock.now();
    stage.view.setImagePos({stage.view.panelSize().width - s.Layer1.width(), 0});
    s.OffsetX = 0;
    s.OffsetY = 0;
    s.PanRight = 0;
}

Point titlePosition(const Stage& stage) {
    const Size panel = stage.view.panelSize();
    const Point image = stage.view.imagePos();
    const Bitmap1& title = stage.pictures.title;
    return {centred(panel.width, title.width()) - image.x, centred(panel.height, title.height()) - image.y};
}

void ReDraw(Stage& stage) {
    TSaverState& s = stage.state;
    const Millis t0 = stage.clock.now();
    stage.view.setReadout(Readout::FrameInterval, millisText(t0 - s.LastRedrawAt));
    s.LastRedrawAt = t0;

    // The text colour may have changed since the last frame.
    s.WorkBmp.setPalette({stage.view.windowText(), kWhite});
    copyWhole(s.WorkBmp, s.Layer1);

    const Size panel = stage.view.panelSize();
    const Point image = stage.view.imagePos();
    blit(s.WorkBmp, -image.x, -image.y, panel.width, panel.height, s.Layer2, -s.OffsetX, -s.OffsetY,
         RasterOp::SrcInvert);

    if (titleDue(stage.clock.now(), s.ActivatedAt, s.TitleDuration)) {
        const Bitmap1& title = stage.pictures.title;
        const Point at = titlePosition(stage);
        blit(s.WorkBmp, at.x, at.y, title.width(), title.height(), title, 0, 0, RasterOp::SrcCopy);
    }

    stage.view.showBitmap(s.WorkBmp);
    stage.view.setReadout(Readout::RenderTime, millisText(stage.clock.now() - t0));
}

}  // namespace morvelux
