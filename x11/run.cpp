#include "x11/run.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "x11/canvas.h"
#include "x11/x_errors.h"

namespace morvelux::x11 {

namespace {

class SaverLoop {
public:
    SaverLoop(Display* display, Canvas& canvas, SaverCore& core, std::FILE* trace)
        : display_(display), canvas_(canvas), core_(core), trace_(trace) {}

    Next handle(XEvent& event);
    Next checkErrors();
    void tick();

private:
    Next handleKey(XKeyEvent& key, bool pressed);
    void activate();
    void show();

    Display* display_;
    Canvas& canvas_;
    SaverCore& core_;
    std::FILE* trace_;
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
            if (ours) canvas_.shown();
            break;
        case ConfigureNotify:
            if (ours && canvas_.resize(event.xconfigure.width, event.xconfigure.height))
                canvas_.paintAll(core_.panel());
            break;
        case MapNotify:
            if (ours) canvas_.shown();
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
            break;
    }
    return Next::Go;
}

Next SaverLoop::handleKey(XKeyEvent& key, bool pressed) {
    const KeySym sym = XLookupKeysym(&key, 0);
    if (pressed && (sym == XK_Escape || sym == XK_q)) return Next::End;
    if (sym == XK_space) pressed ? core_.pause() : core_.resume();
    return Next::Go;
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

void SaverLoop::activate() {
    core_.activate();
    canvas_.paintAll(core_.panel());
    XSync(display_, False);
}

void SaverLoop::tick() {
    if (!core_.activated()) {
        if (canvas_.viewable()) {
            activate();
            show();
        }
        return;
    }
    if (core_.advance()) {
        canvas_.present(core_.panel());
        show();
    }
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
        if (XEventsQueued(display, QueuedAfterFlush) > 0) continue;

        pollfd fds[] = {{ConnectionNumber(display), POLLIN, 0}, {context.wakeFd, POLLIN, 0}};
        if (poll(fds, 2, sleepMs(core)) < 0 && errno != EINTR)
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
