#include "wayland/run.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "wayland/idle_source.h"
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
// next tick is due, a signal arrives or `also` (when it is a descriptor) is ready.
Woke waitForEvents(wl_display* display, int wakeFd, int timeoutMs, pollfd also = {-1, 0, 0}) {
    if (wl_display_prepare_read(display) != 0) return Woke::Events;  // queued already: the caller dispatches
    if (wl_display_flush(display) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(display);
        return Woke::Broken;
    }
    pollfd fds[] = {{wl_display_get_fd(display), POLLIN, 0}, {wakeFd, POLLIN, 0}, also};
    const int ready = poll(fds, 3, timeoutMs);
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

// How a showing of the saver ended.
enum class Shown { Ended, Stopped, Gone, Failed };

// The saver on every output until input, the compositor or a signal ends it;
// `error` says why when it Failed or the compositor is Gone. With `idle`,
// input the desktop saw elsewhere ends it too.
Shown show(wl_display* display, SaverCore& core, const LoopContext& context, const Options& options,
           IdleSource* idle, std::string& error) {
    auto session = Session::start(display, core, context.trace, options.layerShell, error);
    if (!session) return Shown::Failed;
    if (idle) {
        idle->becameActive();  // the input before the saver came up
        idle->saverShown();
    }
    Shown how = Shown::Gone;
    for (;;) {
        if (wl_display_dispatch_pending(display) < 0) break;
        if (idle && !idle->process(error)) return Shown::Failed;
        // Input the desktop saw after something over the saver (a lock screen)
        // took its keyboard went there: it ends the saver all the same.
        const bool elsewhere = idle && idle->becameActive() && session->inputTakenAway();
        const Next next = elsewhere ? Next::End : session->update();
        if (next == Next::Fail) {
            error = session->error();
            return Shown::Failed;
        }
        if (next == Next::End) {
            how = Shown::Ended;
            break;
        }
        const Woke woke = waitForEvents(display, context.wakeFd, session->waitMs(),
                                         idle ? idle->descriptor() : pollfd{-1, 0, 0});
        if (woke == Woke::Signal) how = Shown::Stopped;
        if (woke != Woke::Events) break;
    }
    if (how != Shown::Gone) {
        session.reset();
        if (wl_display_roundtrip(display) >= 0) return how;
    }
    error = whyBroken(display);
    return Shown::Gone;
}

// The compositor gone is the session ending, which ends a resident saver
// quietly; a protocol error of ours is a failure.
int whenGone(wl_display* display, const std::string& why) {
    return wl_display_get_error(display) == EPROTO ? fail(why) : 0;
}

// -idle: resident and quiet; the saver shown whenever the desktop says the
// user has been idle long enough, each time from its start.
int runResident(wl_display* display, SaverCore& core, const LoopContext& context, const Options& options) {
    std::string error;
    auto idle = findIdleSource(display, options.idleSeconds, context.trace, error);
    if (!idle) return fail(error);
    for (;;) {
        if (wl_display_dispatch_pending(display) < 0) return whenGone(display, whyBroken(display));
        if (!idle->process(error)) return fail(error);
        if (idle->becameIdle()) {
            if (core.activated()) core.restart();
            traceLine(context.trace, "idle shown");
            const Shown shown = show(display, core, context, options, idle.get(), error);
            if (shown == Shown::Failed) return fail(error);
            if (shown == Shown::Gone) return whenGone(display, error);
            if (shown == Shown::Stopped) return 0;
            traceLine(context.trace, "idle over");
            // What it said while the saver was shown is past.
            if (!idle->process(error)) return fail(error);
            idle->becameIdle();
            continue;
        }
        const Woke woke = waitForEvents(display, context.wakeFd, idle->timeoutMs(), idle->descriptor());
        if (woke == Woke::Signal) return 0;
        if (woke == Woke::Broken) return whenGone(display, whyBroken(display));
    }
}

}  // namespace

int run(SaverCore& core, const LoopContext& context, const Options& options) {
    wl_log_set_handler_client(quiet);
    const std::unique_ptr<wl_display, Disconnect> display(wl_display_connect(nullptr));
    if (!display) return fail(whyNoCompositor());
    if (options.idleSeconds > 0) return runResident(display.get(), core, context, options);
    std::string error;
    const Shown shown = show(display.get(), core, context, options, nullptr, error);
    return shown == Shown::Failed || shown == Shown::Gone ? fail(error) : 0;
}

}  // namespace morvelux::wayland
