#pragma once
// The panel on its way to the X server as a one-bit image: in shared memory
// (MIT-SHM) when the server offers it and can attach our segment, else sent
// over the connection with XPutImage. One-bit images take the GC's
// foreground for 1 and its background for 0, whatever the window's depth.
#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <memory>
#include <vector>

#include "animation/saver_core.h"
#include "gfx/panel_layout.h"

namespace morvelux::x11 {

class PanelImage {
public:
    virtual ~PanelImage() = default;
    virtual bool shared() const = 0;
    // Puts the `shown` part of the panel into the drawable.
    virtual void put(Drawable drawable, GC gc, const PanelBits& bits, const PanelLayout& layout) = 0;
    // Every event the loop reads: the server's word that it has read a put.
    virtual void seen(const XEvent&) {}

    // The shared-memory image when it works on this display, the plain one otherwise.
    static std::unique_ptr<PanelImage> create(Display* display, int width, int height);
};

}  // namespace morvelux::x11
