#pragma once
// Test doubles for the window and the clock, and a stage built from them.
#include <deque>
#include <map>
#include <string>

#include "animation/stage.h"

namespace morvelux::testing {

class FakeClock : public Clock {
public:
    Millis time = 0;
    std::deque<Millis> script;  // readings to hand out first, one per call
    Millis now() override {
        if (script.empty()) return time;
        const Millis t = script.front();
        script.pop_front();
        return t;
    }
};

class FakeView : public SaverView {
public:
    Size panel{1024, 768};
    Size image{1600, 768};
    Point pos{0, 0};
    const Bitmap1* shown = nullptr;
    int repaints = 0;
    std::map<Readout, std::string> readouts;

    Size panelSize() const override { return panel; }
    Size imageSize() const override { return image; }
    Point imagePos() const override { return pos; }
    void setImagePos(Point p) override { pos = p; }
    void showBitmap(const Bitmap1& b) override {
        shown = &b;
        ++repaints;
    }
    void setReadout(Readout label, const std::string& text) override { readouts[label] = text; }
};

// A plain one-bit picture with the patterns' own colour table (0 white, 1 black).
Bitmap1 patternBitmap(int width, int height, unsigned seed);
Bitmap1 solidBitmap(int width, int height, int index);

// What the panel shows at (px, py): the display image's pixel there, by colour.
Rgb panelPixel(const FakeView& view, int px, int py);

struct TestStage {
    TSaverState state;
    FakeView view;
    FakeClock clock;
    Bitmap1 img1, img2, title;
    Stage stage{state, view, clock, {img1, img2, title}};

    TestStage();
};

}  // namespace morvelux::testing
