#include "animation/saver_core.h"

#include "animation/compositor.h"
#include "animation/images/pictures.h"
#include "animation/motion.h"
#include "animation/panel_view.h"

namespace morvelux {

struct SaverCore::Parts {
    Parts(Clock& c, Bitmap1 a, Bitmap1 b, Bitmap1 t)
        : clock(c), img1(std::move(a)), img2(std::move(b)), title(std::move(t)) {
        state.FrameInterval = kFrameInterval;
    }

    Clock& clock;
    Bitmap1 img1, img2, title;
    TSaverState state;
    FixedView view;
    Stage stage{state, view, clock, {img1, img2, title}};
    Bitmap1 shown{kPanelSize.width, kPanelSize.height, {kBlack, kWhite}};
    Millis titleFrom = 0;  // ActivatedAt as the last composition saw it
    std::uint64_t croppedAt = ~std::uint64_t{0};  // the view's change count `shown` was cropped at
};

std::unique_ptr<SaverCore> SaverCore::load(Clock& clock, std::string& error) {
    auto img1 = loadBitmap1(PictureId::Img1);
    auto img2 = loadBitmap1(PictureId::Img2);
    auto title = loadBitmap1(PictureId::Title);
    if (!img1 || !img2 || !title) {
        error = "an embedded picture does not decode";
        return nullptr;
    }
    return std::unique_ptr<SaverCore>(
        new SaverCore(std::make_unique<Parts>(clock, std::move(*img1), std::move(*img2), std::move(*title))));
}

SaverCore::SaverCore(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}
SaverCore::~SaverCore() = default;

void SaverCore::activate() {
    Parts& p = *parts_;
    if (p.state.Activated) return;
    p.titleFrom = p.state.ActivatedAt;
    activateSaver(p.stage);
}

bool SaverCore::activated() const { return parts_->state.Activated; }

void SaverCore::restart() {
    Parts& p = *parts_;
    parts_ = std::make_unique<Parts>(p.clock, std::move(p.img1), std::move(p.img2), std::move(p.title));
}

bool SaverCore::advance() {
    Parts& p = *parts_;
    p.titleFrom = p.state.ActivatedAt;
    return AnimeLoop(p.stage);
}

Millis SaverCore::msUntilNextTick() {
    const Parts& p = *parts_;
    return tickWait(p.state.LastTickAt, p.clock.now(), p.state.FrameInterval);
}

void SaverCore::pause() { stopAnimation(parts_->state); }
void SaverCore::resume() { startAnimation(parts_->state); }

bool SaverCore::mouseMoved(MoveArea area) {
    Parts& p = *parts_;
    return countMouseMove(p.state, p.clock.now(), area);
}

PanelBits SaverCore::panel() {
    Parts& p = *parts_;
    const Bitmap1* composed = p.view.shown();
    if (composed && p.croppedAt != p.view.changes()) {
        cropPanel(p.shown, *composed, p.view.imagePos());
        p.croppedAt = p.view.changes();
    }
    return {p.shown.bytes(), p.shown.strideBytes(), p.shown.width(), p.shown.height()};
}

FrameInfo SaverCore::frameInfo() const {
    const TSaverState& s = parts_->state;
    return {s.MoveTick, static_cast<std::int32_t>(s.LastRedrawAt - s.ActivatedAt),
            titleDue(s.LastRedrawAt, parts_->titleFrom, s.TitleDuration)};
}

}  // namespace morvelux
