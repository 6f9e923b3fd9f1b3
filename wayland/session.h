#pragma once
// The connection to the compositor as the saver uses it: the globals, the
// outputs with a surface on each, the seat's keyboard and pointer, and the
// tick that draws the same frame on every output.
#include <wayland-client.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "animation/saver_core.h"
#include "frontend/loop.h"
#include "wayland/output.h"

namespace morvelux::wayland {

// Why the connection to the compositor ended, in one line: the protocol
// error of ours that ended it, or the compositor's going away.
std::string whyBroken(wl_display* display);

class Session {
public:
    // Nothing, with `error` set, when the compositor lacks what the saver
    // needs. Uses full-screen windows when `layerShell` is false or the
    // compositor has no layer shell.
    static std::unique_ptr<Session> start(wl_display* display, SaverCore& core, std::FILE* trace, bool layerShell,
                                          std::string& error);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // After the events of a dispatch: surfaces for new outputs, the tick,
    // and every output that is due drawn. End when input or the compositor
    // ended the saver; Fail with `error()` set when it cannot go on.
    Next update();
    // Milliseconds poll() may sleep: until the next tick, or for ever before
    // activation and while no output can show a frame.
    int waitMs();
    const std::string& error() const { return error_; }
    // Whether something came over the saver and took its input (a lock
    // screen): the keyboard left our surfaces and the pointer is on none.
    bool inputTakenAway() const { return keyboardLeft_ && !pointerOver_; }

private:
    Session(wl_display* display, SaverCore& core, std::FILE* trace, bool layerShell);
    friend struct SessionEvents;  // the protocol listeners

    Output* outputOf(const wl_surface* surface);
    void removeOutput(std::uint32_t registryName);
    bool everyOutputClosed() const;
    bool anyOutputCanShow() const;
    void tick();
    void show();

    wl_display* display_;
    SaverCore& core_;
    std::FILE* trace_;
    bool layerShellWanted_;
    wl_registry* registry_ = nullptr;
    Globals globals_;
    wl_seat* seat_ = nullptr;
    wl_pointer* pointer_ = nullptr;
    wl_keyboard* keyboard_ = nullptr;
    std::vector<std::uint32_t> heldAtEnter_;  // keys down when the keyboard came to a surface of ours
    bool keyboardLeft_ = false;               // the keyboard left a surface of ours for another
    Output* pointerOver_ = nullptr;
    std::vector<std::unique_ptr<Output>> outputs_;
    bool surfaceTaken_ = false;  // a surface of ours went with its output
    bool ended_ = false;
    bool held_ = false;  // no output could show a frame: the motion waits
    std::string error_;
    PanelBits panel_;
};

}  // namespace morvelux::wayland
