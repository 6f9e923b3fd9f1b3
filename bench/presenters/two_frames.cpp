#include "bench/presenters/two_frames.h"

#include <time.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "animation/dimensions.h"
#include "animation/saver_core.h"

namespace morvelux::bench {

namespace {

class SteppedClock : public Clock {
public:
    Millis time = 0;
    Millis now() override { return time; }
};

}  // namespace

TwoFrames::TwoFrames() {
    SteppedClock clock;
    std::string error;
    auto core = SaverCore::load(clock, error);
    if (!core) {
        std::fprintf(stderr, "presenter: %s\n", error.c_str());
        std::exit(1);
    }
    core->activate();
    clock.time = 10000;  // past the title card
    for (auto& bytes : bytes_) {
        core->advance();
        clock.time += kFrameInterval;
        const PanelBits panel = core->panel();
        bytes.assign(panel.bytes, panel.bytes + panel.stride * static_cast<std::size_t>(panel.height));
        stride_ = panel.stride;
        width_ = panel.width;
        height_ = panel.height;
    }
}

PanelBits TwoFrames::frame(int which) const { return {bytes_[which & 1].data(), stride_, width_, height_}; }

void advanceFrame(timespec& due) {
    due.tv_nsec += static_cast<long>(kFrameInterval) * 1000000L;
    if (due.tv_nsec >= 1000000000L) {
        due.tv_sec += due.tv_nsec / 1000000000L;
        due.tv_nsec %= 1000000000L;
    }
}

void sleepToNextFrame(timespec& due) {
    advanceFrame(due);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) == EINTR) {
    }
}

}  // namespace morvelux::bench
