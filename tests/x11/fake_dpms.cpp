// Stands in for the server's DPMS extension, preloaded into morvelux (Xvfb
// has none): the monitor is off while the file named by MORVELUX_FAKE_DPMS
// says "off", on otherwise.
#include <X11/Xlib.h>
#include <X11/Xmd.h>
#include <X11/extensions/dpms.h>

#include <cstdlib>
#include <fstream>
#include <string>

extern "C" {

Bool DPMSQueryExtension(Display*, int* event, int* error) {
    *event = *error = 0;
    return True;
}

Bool DPMSCapable(Display*) { return True; }

Status DPMSInfo(Display*, CARD16* level, BOOL* enabled) {
    const char* path = std::getenv("MORVELUX_FAKE_DPMS");
    std::string state;
    if (path) std::ifstream(path) >> state;
    *level = state == "off" ? DPMSModeOff : DPMSModeOn;
    *enabled = True;
    return 1;
}

}  // extern "C"
