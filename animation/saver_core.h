#pragma once
// The saver as every front end but the Windows window sees it: a panel of
// the designed size over the two layers, the first activation, the paced
// tick and the panel as shown. The X11, Wayland and browser programs share
// it, so a frame of any of them equals the Windows saver's at the same tick.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "animation/dimensions.h"
#include "animation/mouse_moves.h"
#include "animation/stage.h"

namespace morvelux {

// A panel of kPanelSize over a display image of kLayerSize that remembers
// where the image stands and what it shows; nothing is drawn.
class FixedView : public SaverView {
public:
    Size panelSize() const override { return kPanelSize; }
    Size imageSize() const override { return kLayerSize; }
    Point imagePos() const override { return pos_; }
    void setImagePos(Point pos) override { pos_ = pos; }
    void showBitmap(const Bitmap1& bitmap) override { shown_ = &bitmap; }
    void setReadout(Readout, const std::string&) override {}

    const Bitmap1* shown() const { return shown_; }

private:
    Point pos_{};
    const Bitmap1* shown_ = nullptr;
};

// panel := what a panel of panel's size shows of `composed` with the
// display image at `imagePos`, mapped by colour into panel's palette.
void cropPanel(Bitmap1& panel, const Bitmap1& composed, Point imagePos);

// The first activation of the full-screen saver: the layers back to the
// start, the first frame, the motion started; the title card's time and the
// mouse's grace period begin when it is done.
void activateSaver(Stage& stage);

// Where the panel's top-left corner lies in an area of `area` pixels when
// the panel is enlarged `zoom` times: centred, and on a smaller area cropped
// equally on both sides.
Point panelPlacement(Size area, int zoom = 1);

// One-bit rows, leftmost pixel in the most significant bit, 1 = white.
struct PanelBits {
    const std::uint8_t* bytes = nullptr;
    std::size_t stride = 0;
    int width = 0;
    int height = 0;
};

// What the last composition was: the motion step it shows, when it was
// composed (milliseconds after activation; negative for the frame composed
// during activation) and whether the title card lay over it.
struct FrameInfo {
    int tick = 0;
    std::int32_t composedAt = 0;
    bool title = false;
};

// The line a front end's -trace file holds for a frame it shows:
// "tick N at MS title 0|1", flushed at once for a reader on the other side.
void writeTraceLine(std::FILE* trace, const FrameInfo& frame);

class SaverCore {
public:
    // Nothing, with `error` saying why, when an embedded picture does not
    // decode. The clock must outlive the core.
    static std::unique_ptr<SaverCore> load(Clock& clock, std::string& error);
    ~SaverCore();
    SaverCore(const SaverCore&) = delete;
    SaverCore& operator=(const SaverCore&) = delete;

    void activate();  // the first activation; later calls change nothing
    bool activated() const;

    // The paced tick; true when it composed a new frame.
    bool advance();
    // Milliseconds until the next tick is due (0: due now).
    Millis msUntilNextTick();

    void pause();
    void resume();

    // One move of the mouse over `area`, by the full-screen saver's rule;
    // true when the moves so far end the saver.
    bool mouseMoved(MoveArea area);

    PanelBits panel();  // the panel as last composed
    FrameInfo frameInfo() const;

private:
    struct Parts;
    explicit SaverCore(std::unique_ptr<Parts> parts);
    std::unique_ptr<Parts> parts_;
};

}  // namespace morvelux
