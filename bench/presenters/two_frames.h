#pragma once
// Two moiré frames one tick apart, composed once before a presenter's loop,
// so that what it puts on the screen has the saver's content and the loop
// does nothing but put it.
#include <time.h>

#include <cstdint>
#include <vector>

#include "animation/panel_bits.h"

namespace morvelux::bench {

class TwoFrames {
public:
    // Ends the program with a message when the pictures do not decode.
    TwoFrames();
    PanelBits frame(int which) const;  // 0 or 1

private:
    std::vector<std::uint8_t> bytes_[2];
    std::size_t stride_ = 0;
    int width_ = 0;
    int height_ = 0;
};

// Moves a CLOCK_MONOTONIC time on by one frame interval.
void advanceFrame(timespec& due);
// Moves `due` on by one frame interval and sleeps until then.
void sleepToNextFrame(timespec& due);

}  // namespace morvelux::bench
