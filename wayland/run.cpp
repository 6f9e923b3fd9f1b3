#include "wayland/run.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "wayland/session.h"

namespace morvelux::wayland {

namespace {

struct Disconnect {
    void operator()(wl_display* display) const { wl_display_disconnect(display); }
};

std::string whyNoCompositor() {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (!name || !*name) return "cannot reach a Wayland compositor (WAYLAND_DISPLAY is not set)";
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (*name != '/' && (!runtime || !*runtime))
        return "cannot reach a Wayland compositor (XDG_RUNTIME_DIR is not set)";
    return std::string("cannot reach the Wayland compositor at ") + name;
}

// The library's own messages would come beside ours, which say what matters.
void quiet(const char*, va_list) {}

enum class Woke { Events, Signal, Broken };

// Reads the compositor's events into the queue when they come before the
// next tick is due or a signal arrives.
Woke waitForEvents(wl_display* display, int wakeFd, int timeoutMs) {
    if (wl_display_prepare_read(display) != 0) return Woke::Events;  // queued already: the caller dispatches
    if (wl_display_flush(display) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(display);
        return Woke::Broken;
    }
    pollfd fds[] = {{wl_display_get_fd(display), POLLIN, 0}, {wakeFd, POLLIN, 0}};
    const int ready = poll(fds, 2, timeoutMs);
    if (ready <= 0 || !(fds[0].revents & POLLIN)) {
        wl_display_cancel_read(display);
        if (ready < 0 && errno != EINTR) return Woke::Broken;
        if (fds[1].revents && drainWake(wakeFd)) return Woke::Signal;
        return fds[0].revents & (POLLHUP | POLLERR) ? Woke::Broken : Woke::Events;
    }
    if (wl_display_read_events(display) < 0) return Woke::Broken;
    if (fds[1].revents && drainWake(wakeFd)) return Woke::Signal;
    return Woke::Events;
}

}  // namespace

int run(SaverCore& core, const LoopContext& context, const Options& options) {
    wl_log_set_handler_client(quiet);
    const std::unique_ptr<wl_display, Disconnect> display(wl_display_connect(nullptr));
    if (!display) return fail(whyNoCompositor());
    std::string error;
    auto session = Session::start(display.get(), core, context.trace, options.layerShell, error);
    if (!session) return fail(error);
    for (;;) {
        if (wl_display_dispatch_pending(display.get()) < 0) return fail(whyBroken(display.get()));
        const Next next = session->update();
        if (next == Next::Fail) return fail(session->error());
        if (next == Next::End) break;
        const Woke woke = waitForEvents(display.get(), context.wakeFd, sleepMs(core));
        if (woke == Woke::Signal) break;
        if (woke == Woke::Broken) return fail(whyBroken(display.get()));
    }
    session.reset();
    if (wl_display_roundtrip(display.get()) < 0) return fail(whyBroken(display.get()));
    return 0;
}

}  // namespace morvelux::wayland
