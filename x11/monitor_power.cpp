#include "x11/monitor_power.h"

#include <X11/Xmd.h>
#include <X11/extensions/dpms.h>

namespace morvelux::x11 {

MonitorPower::MonitorPower(Display* display) : display_(display) {
    int event = 0;
    int error = 0;
    offered_ = DPMSQueryExtension(display, &event, &error) && DPMSCapable(display);
}

bool MonitorPower::dark() const {
    if (!offered_) return false;
    CARD16 level = DPMSModeOn;
    BOOL enabled = False;
    if (!DPMSInfo(display_, &level, &enabled) || !enabled) return false;
    return level != DPMSModeOn;
}

}  // namespace morvelux::x11
