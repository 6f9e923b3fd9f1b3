#pragma once
// The saver as every front end but the Windows window drives it: the first
// activation, the paced tick, pause and resume, the mouse rule, and the
// panel as shown. The X11, Wayland and browser programs share it, so a
// frame of any of them equals the Windows saver's at the same tick.
#include <cstdint>
#include <memory>
#include <string>

#include "animation/clock.h"
#include "animation/mouse_moves.h"
#include "animation/panel_bits.h"

namespace morvelux {

// What the last composition was: the motion step it shows, when it was
// composed (milliseconds after activation; negative for the frame composed
// during activation) and whether the title card lay over it.
struct FrameInfo {
    int tick = 0;
    std::int32_t composedAt = 0;
    bool title = false;
};

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
    // Back to before the first activation, as if loaded anew, for the saver shown again.
    void restart();

    // The paced tick; true when it composed a new frame.
    bool advance();
    // Milliseconds until the next tick is due (0: due now).
    Millis msUntilNextTick();

    void pause();
    void resume();

    // One move of the mouse over `area`, by the full-screen saver's rule;
    // true when the moves so far end the saver.
    bool mouseMoved(MoveArea area);

    // The panel as last composed, cropped once per new frame. The bytes are
    // the core's own (see PanelBits).
    PanelBits panel();
    FrameInfo frameInfo() const;

private:
    struct Parts;
    explicit SaverCore(std::unique_ptr<Parts> parts);
    std::unique_ptr<Parts> parts_;
};

}  // namespace morvelux
