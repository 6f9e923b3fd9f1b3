#pragma once
// The moiré as the X11 front end sees it. The portable core (saver state,
// motion, compositor, pictures) sits behind this one class; none of its types
// appear here, so the rest of the front end only sees plain bits and numbers.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace morvelux::x11 {

// One-bit rows, leftmost pixel in the most significant bit, 1 = white.
struct PanelBits {
    const std::uint8_t* bytes = nullptr;
    std::size_t stride = 0;
    int width = 0;
    int height = 0;
};

// The panel's top-left corner in the window it is shown in.
struct Placement {
    int x = 0;
    int y = 0;
    friend bool operator==(Placement, Placement) = default;
};

// What the last composition was: the motion step it shows, when it was
// composed (milliseconds after activation; negative for the frame composed
// during activation) and whether the title card lay over it.
struct FrameInfo {
    int tick = 0;
    std::int32_t composedAt = 0;
    bool title = false;
};

class MoireAnimation {
public:
    // Nothing, with `error` saying why, when an embedded picture does not decode.
    static std::unique_ptr<MoireAnimation> load(std::string& error);
    ~MoireAnimation();
    MoireAnimation(const MoireAnimation&) = delete;
    MoireAnimation& operator=(const MoireAnimation&) = delete;

    static int panelWidth();
    static int panelHeight();
    // Centred in a window of this size; on a smaller one it is cropped equally.
    static Placement place(int windowWidth, int windowHeight);

    // The first activation: resets the layers, composes the first frame,
    // starts the motion, and the title card's time begins.
    void activate();
    bool activated() const;

    // The paced tick; true when it composed a new frame.
    bool advance();
    // Milliseconds until the next tick is due (0: due now).
    int msUntilNextTick();

    void pause();
    void resume();

    PanelBits panel();  // the panel as last composed
    FrameInfo frameInfo() const;

private:
    struct Core;
    explicit MoireAnimation(std::unique_ptr<Core> core);
    std::unique_ptr<Core> core_;
};

}  // namespace morvelux::x11
