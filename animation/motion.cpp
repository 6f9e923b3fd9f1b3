#include "animation/motion.h"

#include <cstdint>
#include <limits>

#include "animation/compositor.h"

namespace morvelux {

namespace {

constexpr std::int32_t kMoveTickLimit = std::numeric_limits<std::int32_t>::max();

std::int32_t nextMoveTick(std::int32_t tick) {
    // Widen first: the increment must not overflow on its way to the limit.
    const std::int64_t next = static_cast<std::int64_t>(tick) + 1;
    return next >= kMoveTickLimit ? 1 : static_cast<std::int32_t>(next);
}

}  // namespace

void AutoMove(Stage& stage) {
    TSaverState& s = stage.state;
    s.MoveTick = nextMoveTick(s.MoveTick);
    if (s.MoveTick % 2 != 0) {
        s.OffsetX += s.PanRight == 0 ? -1 : 1;
        return;
    }
    const int leftEnd = stage.view.panelSize().width - stage.view.imageSize().width;  // PW - IW
    Point image = stage.view.imagePos();
    if (s.PanRight == 0) {
        ++image.x;
        if (image.x > -kTurnTest) {
            s.PanRight = 1;
            image.x = -kTurnPosition;
            s.OffsetX = leftEnd + kTurnPosition;
        }
    } else {
        --image.x;
        if (image.x < leftEnd + kTurnTest) {
            s.PanRight = 0;
            image.x = leftEnd + kTurnPosition;
            s.OffsetX = -kTurnPosition;
        }
    }
    stage.view.setImagePos(image);
}

bool tickDue(Millis lastTick, Millis now, Millis interval) {
    // A call in the very millisecond of the previous tick waits too: otherwise
    // a fast machine would take several steps at once and drift too fast.
    if (now == lastTick) return false;
    const bool withinInterval = lastTick < now && now < static_cast<Millis>(lastTick + interval);
    return !withinInterval;  // also due when the clock wrapped around or went back
}

Millis tickWait(Millis lastTick, Millis now, Millis interval) {
    if (tickDue(lastTick, now, interval)) return 0;
    const Millis dueAt = lastTick + interval;
    if (dueAt < lastTick) return 1;  // the deadline wrapped: any later millisecond is due
    return dueAt - now;
}

bool AnimeLoop(Stage& stage) {
    TSaverState& s = stage.state;
    const Millis now = stage.clock.now();
    if (!tickDue(s.LastTickAt, now, s.FrameInterval)) return false;
    s.LastTickAt = now;
    if (!s.Animating) return false;
    AutoMove(stage);
    ReDraw(stage);
    return true;
}

void activateSaver(Stage& stage) {
    BmpInit(stage);
    ReDraw(stage);
    startAnimation(stage.state);
    stage.state.ActivatedAt = stage.clock.now();
    stage.state.Activated = true;
}

void startAnimation(TSaverState& state) { state.Animating = true; }
void stopAnimation(TSaverState& state) { state.Animating = false; }

}  // namespace morvelux
