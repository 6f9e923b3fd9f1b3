#include "x11/canvas.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "animation/dimensions.h"
#include "animation/panel_view.h"
#include "gfx/zoom.h"
#include "x11/screen_dpi.h"
#include "x11/x_errors.h"

namespace morvelux::x11 {

namespace {

Window createOwnWindow(Display* display, Atom& deleteWindow) {
    const int screen = DefaultScreen(display);
    const Size screenSize{DisplayWidth(display, screen), DisplayHeight(display, screen)};
    const int zoom = wholeZoom(screenSize, screenDpi(display, screen), kPanelSize);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(display, screen);
    const Window window = XCreateWindow(
        display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(kPanelSize.width * zoom),
        static_cast<unsigned>(kPanelSize.height * zoom), 0, CopyFromParent, InputOutput, CopyFromParent,
        CWBackPixel, &attributes);
    XStoreName(display, window, "MORVELUX");
    XClassHint hint{const_cast<char*>("morvelux"), const_cast<char*>("Morvelux")};
    XSetClassHint(display, window, &hint);
    deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    XSelectInput(display, window,
                 ExposureMask | VisibilityChangeMask | StructureNotifyMask | KeyPressMask | KeyReleaseMask);
    XMapWindow(display, window);
    return window;
}

std::string hex(Window window) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(window));
    return text;
}

// The window's own colormap decides which pixel values are black and white.
unsigned long pixelOf(Display* display, Colormap colormap, unsigned short level, unsigned long fallback) {
    XColor colour{};
    colour.red = colour.green = colour.blue = level;
    colour.flags = DoRed | DoGreen | DoBlue;
    return colormap != None && XAllocColor(display, colormap, &colour) ? colour.pixel : fallback;
}

}  // namespace

Canvas::Canvas(Display* display, Window window, bool owned) : display_(display), window_(window), owned_(owned) {}

std::unique_ptr<Canvas> Canvas::open(Display* display, const Options& options, std::string& error) {
    std::unique_ptr<Canvas> canvas;
    switch (options.target) {
        case Target::OwnWindow: {
            Atom deleteWindow = None;
            const Window window = createOwnWindow(display, deleteWindow);
            canvas.reset(new Canvas(display, window, true));
            canvas->deleteWindow_ = deleteWindow;
            break;
        }
        case Target::Root:
            canvas.reset(new Canvas(display, DefaultRootWindow(display), false));
            break;
        case Target::Given:
            canvas.reset(new Canvas(display, options.window, false));
            break;
    }
    if (!canvas->prepare(error)) return nullptr;
    return canvas;
}

bool Canvas::prepare(std::string& error) {
    XWindowAttributes attributes{};
    XErrorSeen seen;
    const Status found = XGetWindowAttributes(display_, window_, &attributes);
    if (takeXError(seen) || !found) {
        lost_ = true;
        error = "there is no window " + hex(window_);
        return false;
    }
    if (attributes.c_class == InputOnly) {
        lost_ = true;
        error = "window " + hex(window_) + " cannot be drawn on (input only)";
        return false;
    }
    // A daemon's window keeps its input to itself: only changes of size,
    // exposures, visibility and its end are asked for.
    if (!owned_) XSelectInput(display_, window_, ExposureMask | VisibilityChangeMask | StructureNotifyMask);
    viewable_ = !owned_ && attributes.map_state == IsViewable;
    root_ = attributes.root == window_;
    width_ = attributes.width;
    height_ = attributes.height;

    const int screen = XScreenNumberOfScreen(attributes.screen);
    const unsigned long black = pixelOf(display_, attributes.colormap, 0, BlackPixel(display_, screen));
    const unsigned long white = pixelOf(display_, attributes.colormap, 0xFFFF, WhitePixel(display_, screen));
    XGCValues values{};
    values.foreground = white;
    values.background = black;
    values.graphics_exposures = False;
    panelGc_ = XCreateGC(display_, window_, GCForeground | GCBackground | GCGraphicsExposures, &values);
    values.foreground = black;
    blackGc_ = XCreateGC(display_, window_, GCForeground | GCGraphicsExposures, &values);
    dpi_ = screenDpi(display_, screen);
    resize(width_, height_);
    return true;
}

Canvas::~Canvas() {
    image_.reset();
    if (panelGc_) XFreeGC(display_, panelGc_);
    if (blackGc_) XFreeGC(display_, blackGc_);
    if (owned_ && !lost_) XDestroyWindow(display_, window_);
    XSync(display_, False);
    XErrorSeen ignored;
    takeXError(ignored);  // a window that went away meanwhile is no fault of ours
}

bool Canvas::resize(int width, int height) {
    const bool changed = width != width_ || height != height_;
    width_ = width;
    height_ = height;
    const int zoom = wholeZoom({width, height}, dpi_, kPanelSize);
    if (zoom != zoom_) {
        zoom_ = zoom;
        image_ = PanelImage::create(display_, kPanelSize.width * zoom, kPanelSize.height * zoom);
    }
    const Size panel{kPanelSize.width * zoom, kPanelSize.height * zoom};
    layout_ = layOutPanel({width, height}, panel, panelPlacement({width, height}, zoom));
    return changed;
}

PanelBits Canvas::enlarged(const PanelBits& panel) {
    if (zoom_ == 1) return panel;
    panelCopy_.resize(panel.width, panel.height);
    const std::size_t rowBytes = std::min(panel.stride, panelCopy_.strideBytes());
    for (int y = 0; y < panel.height; ++y)
        std::memcpy(panelCopy_.bytes() + static_cast<std::size_t>(y) * panelCopy_.strideBytes(),
                    panel.bytes + static_cast<std::size_t>(y) * panel.stride, rowBytes);
    zoomInto(zoomed_, panelCopy_, {0, 0, panel.width, panel.height}, zoom_);
    return {zoomed_.bytes(), zoomed_.strideBytes(), zoomed_.width(), zoomed_.height()};
}

void Canvas::paintAll(const PanelBits& panel) {
    if (lost_) return;
    for (const Rect& band : layout_.black)
        XFillRectangle(display_, window_, blackGc_, band.left, band.top, static_cast<unsigned>(band.width),
                       static_cast<unsigned>(band.height));
    present(panel);
}

void Canvas::present(const PanelBits& panel) {
    if (lost_) return;
    image_->put(window_, panelGc_, enlarged(panel), layout_);
    XFlush(display_);
}

}  // namespace morvelux::x11
