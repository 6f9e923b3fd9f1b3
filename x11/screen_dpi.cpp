#include "x11/screen_dpi.h"

#include <X11/Xresource.h>

#include <charconv>
#include <cmath>
#include <string_view>

#include "gfx/zoom.h"

namespace morvelux::x11 {

namespace {

// Xft.dpi as desktops write it: a number, perhaps with a fraction ("192", "144.5").
int resourceDpi(Display* display) {
    const char* resources = XResourceManagerString(display);
    if (!resources) return 0;
    XrmInitialize();
    const XrmDatabase database = XrmGetStringDatabase(resources);
    if (!database) return 0;
    char* type = nullptr;
    XrmValue value{};
    double dpi = 0;
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr) {
        const std::string_view text(value.addr);
        std::from_chars(text.data(), text.data() + text.size(), dpi);
    }
    XrmDestroyDatabase(database);
    return std::isfinite(dpi) && dpi >= 1 && dpi < 10000 ? static_cast<int>(std::lround(dpi)) : 0;
}

int sizeDpi(Display* display, int screen) {
    const int millimetres = DisplayWidthMM(display, screen);
    if (millimetres <= 0) return 0;
    return static_cast<int>(std::lround(DisplayWidth(display, screen) * 25.4 / millimetres));
}

}  // namespace

int screenDpi(Display* display, int screen) {
    if (const int dpi = resourceDpi(display)) return dpi;
    if (const int dpi = sizeDpi(display, screen)) return dpi;
    return kDesignedDpi;
}

}  // namespace morvelux::x11
