#include "x11/x_errors.h"

#include <X11/Xproto.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace morvelux::x11 {

namespace {

bool pending = false;
XErrorSeen first;

int onError(Display* display, XErrorEvent* event) {
    if (pending) return 0;
    pending = true;
    char text[160] = {};
    XGetErrorText(display, event->error_code, text, sizeof text);
    first = {event->error_code, event->request_code, event->resourceid, text};
    return 0;
}

int onConnectionLost(Display*) {
    static const char message[] = "morvelux: lost the connection to the X display\n";
    (void)!write(STDERR_FILENO, message, sizeof message - 1);
    _exit(1);
}

}  // namespace

void collectXErrors() {
    XSetErrorHandler(onError);
    XSetIOErrorHandler(onConnectionLost);
}

bool takeXError(XErrorSeen& seen) {
    if (!pending) return false;
    seen = first;
    pending = false;
    return true;
}

bool windowGone(const XErrorSeen& error, Window window) {
    return (error.code == BadWindow || error.code == BadDrawable) && error.resource == window;
}

}  // namespace morvelux::x11
