#include "x11/moire_animation.h"

#include <time.h>

#include "gfx/blit.h"
#include "animation/compositor.h"
#include "animation/images/pictures.h"
#include "gfx/layout.h"
#include "animation/motion.h"
#include "animation/stage.h"
#include "tools/headless/headless_saver.h"

namespace morvelux::x11 {

namespace {

constexpr Millis kFrameInterval = 60;

// The multimedia timer's counterpart: milliseconds of a clock that never
// jumps, as an unsigned 32-bit count that wraps.
class MonotonicClock : public Clock {
public:
    Millis now() override {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        const auto seconds = static_cast<std::uint64_t>(ts.tv_sec);
        return static_cast<Millis>(seconds * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u);
    }
};

}  // namespace

struct MoireAnimation::Core {
    Core(Bitmap1 a, Bitmap1 b, Bitmap1 t) : img1(std::move(a)), img2(std::move(b)), title(std::move(t)) {
        state.FrameInterval = kFrameInterval;
    }

    Bitmap1 img1, img2, title;
    TSaverState state;
    tools::HeadlessView view;  // a fixed 1024 x 768 panel over the 1600 x 768 image
    MonotonicClock clock;
    Stage stage{state, view, clock, {img1, img2, title}};
    Bitmap1 shown{view.panelSize().width, view.panelSize().height, {kBlack, kWhite}};
    Millis titleFrom = 0;  // ActivatedAt as the last composition saw it

    bool titleOverLastFrame() const {
        return state.LastRedrawAt < static_cast<Millis>(titleFrom + state.TitleDuration);
    }
};

std::unique_ptr<MoireAnimation> MoireAnimation::load(std::string& error) {
    auto img1 = loadBitmap1(PictureId::Img1);
    auto img2 = loadBitmap1(PictureId::Img2);
    auto title = loadBitmap1(PictureId::Title);
    if (!img1 || !img2 || !title) {
        error = "an embedded picture does not decode";
        return nullptr;
    }
    return std::unique_ptr<MoireAnimation>(
        new MoireAnimation(std::make_unique<Core>(std::move(*img1), std::move(*img2), std::move(*title))));
}

MoireAnimation::MoireAnimation(std::unique_ptr<Core> core) : core_(std::move(core)) {}
MoireAnimation::~MoireAnimation() = default;

int MoireAnimation::panelWidth() { return tools::HeadlessView().panelSize().width; }
int MoireAnimation::panelHeight() { return tools::HeadlessView().panelSize().height; }

Placement MoireAnimation::place(int windowWidth, int windowHeight) {
    return {centred(windowWidth, panelWidth()), centred(windowHeight, panelHeight())};
}

void MoireAnimation::activate() {
    Core& c = *core_;
    if (c.state.Activated) return;
    BmpInit(c.stage);
    c.titleFrom = c.state.ActivatedAt;
    ReDraw(c.stage);
    AnimeStart(c.state);
    c.state.ActivatedAt = c.clock.now();
    c.state.Activated = true;
}

bool MoireAnimation::activated() const { return core_->state.Activated; }

bool MoireAnimation::advance() {
    Core& c = *core_;
    const std::int32_t before = c.state.MoveTick;
    c.titleFrom = c.state.ActivatedAt;
    bool done = false;
    AnimeLoop(c.stage, done);
    return c.state.MoveTick != before;
}

int MoireAnimation::msUntilNextTick() {
    Core& c = *core_;
    return static_cast<int>(TickWait(c.state.LastTickAt, c.clock.now(), c.state.FrameInterval));
}

void MoireAnimation::pause() { AnimeStop(core_->state); }
void MoireAnimation::resume() { AnimeStart(core_->state); }

PanelBits MoireAnimation::panel() {
    Core& c = *core_;
    const Bitmap1* composed = c.view.shown();
    const Size size = c.view.panelSize();
    if (composed) {
        const Point image = c.view.imagePos();
        blit(c.shown, 0, 0, size.width, size.height, *composed, -image.x, -image.y, RasterOp::SrcCopy);
    }
    return {c.shown.bytes(), c.shown.strideBytes(), size.width, size.height};
}

FrameInfo MoireAnimation::frameInfo() const {
    const Core& c = *core_;
    return {c.state.MoveTick, static_cast<std::int32_t>(c.state.LastRedrawAt - c.state.ActivatedAt),
            c.titleOverLastFrame()};
}

}  // namespace morvelux::x11
