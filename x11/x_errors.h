#pragma once
// X protocol errors arrive late and, by default, end the program with a
// message. The front end collects them instead and decides: a window that
// went away ends the saver quietly, anything else is reported once.
#include <X11/Xlib.h>

#include <string>

namespace morvelux::x11 {

struct XErrorSeen {
    unsigned char code = 0;
    unsigned char request = 0;
    XID resource = 0;
    std::string text;
};

// From now on errors are collected, and a lost connection ends the program
// with one line and exit code 1.
void collectXErrors();

// The first error collected since the last call, if any (and forgets them).
bool takeXError(XErrorSeen& seen);

// Whether the error says that this window no longer exists.
bool windowGone(const XErrorSeen& error, Window window);

}  // namespace morvelux::x11
