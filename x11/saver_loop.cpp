#include "x11/saver_loop.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "x11/x_errors.h"

namespace morvelux::x11 {

namespace {

enum class Next { Go, End, Fail };

class SaverLoop {
public:
    SaverLoop(Display* display, Canvas& canvas, SaverCore& animation, std::FILE* trace)
        : display_(display), canvas_(canvas), animation_(animation), trace_(trace) {}

    Next handle(XEvent& event);
    Next checkErrors();
    void tick();
    int sleepMs() { return animation_.activated() ? static_cast<int>(animation_.msUntilNextTick()) : -1; }

private:
    Next handleKey(XKeyEvent& key, bool pressed);
    void activate();
    void show();

    Display* display_;
    Canvas& canvas_;
    SaverCore& animation_;
    std::FILE* trace_;
};

Next SaverLoop::handle(XEvent& event) {
    const bool ours = event.xany.window == canvas_.window();
    switch (event.type) {
        case Expose:
            if (!ours) break;
            canvas_.shown();
            if (event.xexpose.count == 0) canvas_.paintAll(animation_.panel());
            break;
        case VisibilityNotify:
            if (ours) canvas_.shown();
            break;
        case ConfigureNotify:
            if (ours && canvas_.resize(event.xconfigure.width, event.xconfigure.height))
                canvas_.paintAll(animation_.panel());
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
    if (sym == XK_space) pressed ? animation_.pause() : animation_.resume();
    return Next::Go;
}

Next SaverLoop::checkErrors() {
    XErrorSeen error;
    if (!takeXError(error)) return Next::Go;
    if (windowGone(error, canvas_.window())) {
        canvas_.lost();
        return Next::End;
    }
    std::fprintf(stderr, "morvelux: X error: %s (request %d)\n", error.text.c_str(), error.request);
    return Next::Fail;
}

void SaverLoop::activate() {
    animation_.activate();
    canvas_.paintAll(animation_.panel());
    XSync(display_, False);
}

void SaverLoop::tick() {
    if (!animation_.activated()) {
        if (canvas_.viewable()) {
            activate();
            show();
        }
        return;
    }
    if (animation_.advance()) {
        canvas_.present(animation_.panel());
        show();
    }
}

void SaverLoop::show() {
    if (trace_) writeTraceLine(trace_, animation_.frameInfo());
}

bool drainWakePipe(int fd) {
    char buffer[16];
    return read(fd, buffer, sizeof buffer) > 0;
}

}  // namespace

int runSaver(Display* display, Canvas& canvas, SaverCore& animation, int wakeFd, std::FILE* trace) {
    XkbSetDetectableAutoRepeat(display, True, nullptr);  // a held Space sends no releases until let go
    SaverLoop loop(display, canvas, animation, trace);
    if (trace) std::fprintf(trace, "present %s\n", canvas.sharedMemory() ? "shm" : "putimage");
    for (;;) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (loop.handle(event) == Next::End) return 0;
        }
        loop.tick();
        if (const Next next = loop.checkErrors(); next != Next::Go) return next == Next::End ? 0 : 1;
        if (XEventsQueued(display, QueuedAfterFlush) > 0) continue;

        pollfd fds[] = {{ConnectionNumber(display), POLLIN, 0}, {wakeFd, POLLIN, 0}};
        const int ready = poll(fds, 2, loop.sleepMs());
        if (ready < 0 && errno != EINTR) return 1;
        if (fds[1].revents && drainWakePipe(wakeFd)) return 0;
        if (fds[0].revents & (POLLHUP | POLLERR)) return 1;
    }
}

}  // namespace morvelux::x11
