#pragma once
// The multimedia timer's counterpart on POSIX systems (and in the browser):
// milliseconds of a clock that never jumps, as an unsigned 32-bit count
// that wraps.
#include <time.h>

#include <cstdint>

#include "animation/clock.h"

namespace morvelux {

class MonotonicClock : public Clock {
public:
    Millis now() override {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        const auto seconds = static_cast<std::uint64_t>(ts.tv_sec);
        return static_cast<Millis>(seconds * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u);
    }
};

}  // namespace morvelux
