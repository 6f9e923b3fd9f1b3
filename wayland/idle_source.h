#pragma once
// Where the desktop's idle time comes from: the compositor's idle
// notifications where it offers them, else GNOME's idle monitor on the
// session bus. A source says when the user has been idle the time asked for.
#include <poll.h>
#include <wayland-client.h>

#include <cstdio>
#include <memory>
#include <string>

namespace morvelux::wayland {

class IdleSource {
public:
    virtual ~IdleSource() = default;
    // A descriptor to poll beside the compositor's; fd -1 when the
    // compositor's own events carry everything.
    virtual pollfd descriptor() { return {-1, 0, 0}; }
    // How long poll() may sleep for the source's sake; -1: as long as it likes.
    virtual int timeoutMs() { return -1; }
    // Handles what came on the descriptor; false, with `error` set, when the source is gone.
    virtual bool process(std::string& error) {
        (void)error;
        return true;
    }
    // Whether the user became idle since the last call and nothing on the
    // desktop holds the saver off (a video playing).
    virtual bool becameIdle() = 0;
    // The saver is up: from now on the source tells of the user's return.
    virtual void saverShown() {}
    // Whether the desktop saw input since the last call, wherever it went.
    virtual bool becameActive() = 0;
};

// The first source the desktop offers, watching for `seconds` without
// input; its name goes to `trace` as "idle from NAME". Nothing, with `error`
// naming what is missing, when there is none.
std::unique_ptr<IdleSource> findIdleSource(wl_display* display, int seconds, std::FILE* trace, std::string& error);

}  // namespace morvelux::wayland
