#pragma once
// Whether the monitor is lit, as the server's DPMS extension tells it.
// Servers without the extension, or without power management enabled, are
// taken to have a monitor that is always on.
#include <X11/Xlib.h>

namespace morvelux::x11 {

class MonitorPower {
public:
    explicit MonitorPower(Display* display);

    // Whether asking is worth it: the server offers DPMS.
    bool offered() const { return offered_; }
    // Off, standby or suspended; one round trip to the server.
    bool dark() const;

private:
    Display* display_;
    bool offered_ = false;
};

}  // namespace morvelux::x11
