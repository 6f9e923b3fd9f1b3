#pragma once
// The window the saver draws on: its own, the root, or one a daemon gave
// it. Knows the window's size, keeps the panel centred in it and the rest
// black, and puts frames there; on a screen of twice the designed density
// or more the panel is enlarged by a whole number, each pixel a sharp square.
#include <X11/Xlib.h>

#include <memory>
#include <string>

#include "animation/panel_bits.h"
#include "gfx/bitmap1.h"
#include "gfx/panel_layout.h"
#include "x11/options.h"
#include "x11/panel_image.h"

namespace morvelux::x11 {

class Canvas {
public:
    // Nothing, with `error` set, when the window cannot be drawn on.
    static std::unique_ptr<Canvas> open(Display* display, const Options& options, std::string& error);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    Window window() const { return window_; }
    bool ownsWindow() const { return owned_; }
    // A root window: whether it is covered is not reported by every server.
    bool isRoot() const { return root_; }
    bool viewable() const { return viewable_; }
    bool sharedMemory() const { return image_->shared(); }
    Atom closeRequest() const { return deleteWindow_; }

    // Mapped, exposed or seen: the window can be seen now. A window mapped
    // while its parent is not gets no MapNotify when the parent comes up.
    void shown() { viewable_ = true; }
    // The window is gone: nothing more is drawn on it or done to it.
    void lost() { lost_ = true; }
    // Takes a new size; true when it changed (the caller then paints all).
    bool resize(int width, int height);

    // Every event the loop reads; the canvas takes what concerns its puts.
    void seen(const XEvent& event) { image_->seen(event); }

    void paintAll(const PanelBits& panel);  // the black around the panel and the panel
    void present(const PanelBits& panel);   // the panel only

private:
    Canvas(Display* display, Window window, bool owned);
    bool prepare(std::string& error);
    PanelBits enlarged(const PanelBits& panel);


    Display* display_;
    Window window_;
    bool owned_;
    bool root_ = false;
    bool viewable_ = false;
    bool lost_ = false;
    Atom deleteWindow_ = None;
    int width_ = 0;
    int height_ = 0;
    GC panelGc_ = nullptr;  // foreground white, background black
    GC blackGc_ = nullptr;
    int dpi_ = 0;
    int zoom_ = 0;
    Bitmap1 panelCopy_;  // the panel as a bitmap, and enlarged, when zoom_ > 1
    Bitmap1 zoomed_;
    std::unique_ptr<PanelImage> image_;
    PanelLayout layout_;
};

}  // namespace morvelux::x11
