#pragma once
// The compositor and the motion without a window: a clock that stands still
// and a stage on noise pictures that walks the real motion's positions. The
// tools render frames with it, the benchmarks time it, the tests read it.
#include <cstddef>
#include <vector>

#include "animation/panel_view.h"
#include "animation/motion.h"

namespace morvelux::tools {

class StillClock : public Clock {
public:
    explicit StillClock(Millis at = 0) : time(at) {}
    Millis time;
    Millis now() override { return time; }
};

// Where the two layers stand: the display image's left edge L and Layer2's OffsetX.
struct LayerPosition {
    int imageLeft = 0;
    int offsetX = 0;
};

// A picture of random pixels with the patterns' colour table (0 white, 1 black).
Bitmap1 noiseBitmap(Size size, unsigned seed);

// Random layers and title at a time when the title is due, so that every
// frame does all of its work; `path` holds the first leg of the motion from
// BmpInit and the way back, frame by frame.
struct NoiseStage {
    NoiseStage();
    NoiseStage(const NoiseStage&) = delete;
    NoiseStage& operator=(const NoiseStage&) = delete;

    void moveTo(std::size_t frame);  // to path[frame], round and round

    TSaverState state;
    FixedView view;
    StillClock clock{1000};
    Bitmap1 img1, img2, title;
    Stage stage;
    std::vector<LayerPosition> path;
};

}  // namespace morvelux::tools
