#include "x11/run.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "x11/canvas.h"
#include "x11/monitor_power.h"
#include "x11/x_errors.h"

namespace morvelux::x11 {

namespace {

// How often the monitor's power is asked about while the saver draws, or
// while it waits for a dark monitor to come on.
constexpr auto kPowerCheckEvery = std::chrono::seconds(5);

class SaverLoop {
public:
    SaverLoop(Display* display, Canvas& canvas, SaverCore& core, std::FILE* trace)
        : display_(display), canvas_(canvas), core_(core), trace_(trace), power_(display),
          nextPowerCheck_(std::chrono::steady_clock::now()) {}

    Next handle(XEvent& event);
    Next checkErrors();
    void tick();
    // Milliseconds poll() may sleep: until the next power check while the
    // monitor is dark; for ever while only events can change what is drawn
    // (Space held, the window hidden, not yet activated); else until the
    // next tick or power check.
    int sleepMs() const;
    // While frames are drawn, X events wait for the next tick (at most a
    // frame interval): the server's word on each put wakes no one.
    bool listening() const { return !core_.activated() || paused_ || !visible(); }

private:
    Next handleKey(XKeyEvent& key, bool pressed);
    void setHidden(bool hidden);
    void checkPower();
    void settle();
    void activate();
    void show();
    bool visible() const { return !hidden_ && !dark_; }

    Display* display_;
    Canvas& canvas_;
    SaverCore& core_;
    std::FILE* trace_;
    MonitorPower power_;
    std::chrono::steady_clock::time_point nextPowerCheck_;
    bool paused_ = false;  // Space is held in the own window
    bool hidden_ = false;  // the window is unmapped or fully covered
    bool dark_ = false;    // the monitor is off, on standby or suspended
    bool holding_ = false;      // the core was told to pause for one of the above
    bool seenVisible_ = true;   // visible() when the loop last settled
};

Next SaverLoop::handle(XEvent& event) {
    const bool ours = event.xany.window == canvas_.window();
    switch (event.type) {
        case Expose:
            if (!ours) break;
            canvas_.shown();
            if (event.xexpose.count == 0) canvas_.paintAll(core_.panel());
            break;
        case VisibilityNotify:
            if (!ours) break;
            canvas_.shown();
            setHidden(event.xvisibility.state == VisibilityFullyObscured);
            break;
        case ConfigureNotify:
            if (ours && canvas_.resize(event.xconfigure.width, event.xconfigure.height))
                canvas_.paintAll(core_.panel());
            break;
        case MapNotify:
            if (!ours) break;
            canvas_.shown();
            setHidden(false);  // a VisibilityNotify follows when it is covered
            break;
        case UnmapNotify:
            if (ours) setHidden(true);
            break;
        case DestroyNotify:
            if (event.xdestroywindow.window == canvas_.window()) {
                canvas_.lost();
                return Next::End;
            }
            break;
        case ClientMessage:
            if (ours && static_cast<Atom>(event.xclient.data.l[0]) == canvas_.closeRequest()) return Next::End;
            break;
        case KeyPress:
        case KeyRelease:
            if (ours && canvas_.ownsWindow()) return handleKey(event.xkey, event.type == KeyPress);
            break;
        default:
            canvas_.seen(event);
            break;
    }
    return Next::Go;
}

Next SaverLoop::handleKey(XKeyEvent& key, bool pressed) {
    const KeySym sym = XLookupKeysym(&key, 0);
    if (pressed && (sym == XK_Escape || sym == XK_q)) return Next::End;
    if (sym == XK_space) paused_ = pressed;
    return Next::Go;
}

// Some servers tell the root window nothing of what covers it; there the
// monitor's power alone decides.
void SaverLoop::setHidden(bool hidden) {
    if (!canvas_.isRoot()) hidden_ = hidden;
}

Next SaverLoop::checkErrors() {
    XErrorSeen error;
    if (!takeXError(error)) return Next::Go;
    if (windowGone(error, canvas_.window())) {
        canvas_.lost();
        return Next::End;
    }
    complain("X error: " + error.text + " (request " + std::to_string(error.request) + ")");
    return Next::Fail;
}

// Asked only when a frame would otherwise be drawn: never while Space is
// held or the window is hidden.
void SaverLoop::checkPower() {
    if (!power_.offered() || paused_ || hidden_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now < nextPowerCheck_) return;
    dark_ = power_.dark();
    nextPowerCheck_ = now + kPowerCheckEvery;
}

// Holds the motion while nothing can be seen or Space is held, and lets it
// go on from the same frame, shown again at once, when it can be seen.
void SaverLoop::settle() {
    const bool hold = paused_ || !visible();
    if (hold != holding_) {
        hold ? core_.pause() : core_.resume();
        holding_ = hold;
    }
    if (visible() && !seenVisible_) canvas_.paintAll(core_.panel());
    seenVisible_ = visible();
}

void SaverLoop::activate() {
    core_.activate();
    if (holding_) core_.pause();  // activation sets the motion going
    canvas_.paintAll(core_.panel());
    XSync(display_, False);
}

void SaverLoop::tick() {
    checkPower();
    if (!core_.activated()) {
        holding_ = paused_ || !visible();
        seenVisible_ = visible();
        if (canvas_.viewable() && visible()) {
            activate();
            show();
        }
        return;
    }
    settle();
    if (!holding_ && core_.advance()) {
        canvas_.present(core_.panel());
        show();
    }
}

int SaverLoop::sleepMs() const {
    if (paused_ || hidden_) return -1;
    int untilCheck = -1;
    if (power_.offered()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(nextPowerCheck_ -
                                                                      std::chrono::steady_clock::now());
        untilCheck = static_cast<int>(std::max<std::int64_t>(left.count(), 0));
    }
    if (dark_) return untilCheck;
    if (!core_.activated()) return -1;
    const int untilTick = static_cast<int>(core_.msUntilNextTick());
    return untilCheck < 0 ? untilTick : std::min(untilCheck, untilTick);
}

void SaverLoop::show() { traceFrame(trace_, core_.frameInfo()); }

struct CloseDisplay {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

std::string whyNoDisplay(const char* name) {
    const std::string shown = XDisplayName(name);
    return "cannot open the X display " + (shown.empty() ? "(DISPLAY is not set)" : shown);
}

int runLoop(Display* display, Canvas& canvas, SaverCore& core, const LoopContext& context) {
    XkbSetDetectableAutoRepeat(display, True, nullptr);  // a held Space sends no releases until let go
    SaverLoop loop(display, canvas, core, context.trace);
    if (context.trace) std::fprintf(context.trace, "present %s\n", canvas.sharedMemory() ? "shm" : "putimage");
    for (;;) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (loop.handle(event) == Next::End) return 0;
        }
        loop.tick();
        if (const Next next = loop.checkErrors(); next != Next::Go) return next == Next::End ? 0 : 1;
        // Sent now; events already read are handled before sleeping, those
        // still on the way wake poll() (or wait for the next tick while drawing).
        XFlush(display);
        if (XEventsQueued(display, QueuedAlready) > 0) continue;

        const short xEvents = loop.listening() ? POLLIN : 0;
        pollfd fds[] = {{ConnectionNumber(display), xEvents, 0}, {context.wakeFd, POLLIN, 0}};
        if (poll(fds, 2, loop.sleepMs()) < 0 && errno != EINTR)
            return fail(std::string("cannot wait for X events: ") + std::strerror(errno));
        if (fds[1].revents && drainWake(context.wakeFd)) return 0;
        if (fds[0].revents & (POLLHUP | POLLERR)) return fail("lost the connection to the X display");
    }
}

}  // namespace

int run(SaverCore& core, const LoopContext& context, const Options& options) {
    const char* name = options.display.empty() ? nullptr : options.display.c_str();
    const std::unique_ptr<Display, CloseDisplay> display(XOpenDisplay(name));
    if (!display) return fail(whyNoDisplay(name));
    collectXErrors();
    std::string error;
    auto canvas = Canvas::open(display.get(), options, error);
    if (!canvas) return fail(error);
    return runLoop(display.get(), *canvas, core, context);
}

}  // namespace morvelux::x11
