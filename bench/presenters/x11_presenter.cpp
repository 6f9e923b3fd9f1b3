// x11_presenter: the least an X client can do to show the saver's panel.
// It puts two frames composed beforehand, each in a shared-memory segment
// of its own in the server's bit order, on the root window in turn every
// frame interval, with nothing else: no composing, no conversion, no waiting
// for the server. Runs until killed.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>

#include "animation/dimensions.h"
#include "animation/panel_view.h"
#include "bench/presenters/two_frames.h"
#include "gfx/panel_layout.h"
#include "x11/bit_layout.h"

using namespace morvelux;

namespace {

[[noreturn]] void die(const char* why) {
    std::fprintf(stderr, "x11_presenter: %s\n", why);
    std::exit(1);
}

XImage* sharedFrame(Display* display, XShmSegmentInfo& info, const PanelBits& frame) {
    XImage* image = XShmCreateImage(display, DefaultVisual(display, DefaultScreen(display)), 1, XYBitmap, nullptr,
                                    &info, static_cast<unsigned>(frame.width), static_cast<unsigned>(frame.height));
    if (!image) die("cannot make a shared image");
    const auto rowBytes = static_cast<std::size_t>(image->bytes_per_line);
    info.shmid = shmget(IPC_PRIVATE, rowBytes * static_cast<std::size_t>(frame.height), IPC_CREAT | 0600);
    if (info.shmid < 0) die("cannot make a shared-memory segment");
    info.shmaddr = image->data = static_cast<char*>(shmat(info.shmid, nullptr, 0));
    info.readOnly = True;
    const x11::BitLayout layout{image->bitmap_unit, image->bitmap_bit_order == LSBFirst, image->byte_order == LSBFirst};
    auto* out = reinterpret_cast<std::uint8_t*>(image->data);
    for (int y = 0; y < frame.height; ++y)
        x11::convertRow({frame.bytes + static_cast<std::size_t>(y) * frame.stride, frame.stride},
                        {out + static_cast<std::size_t>(y) * rowBytes, rowBytes}, layout);
    if (!XShmAttach(display, &info)) die("cannot attach a shared-memory segment");
    return image;
}

}  // namespace

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) die("cannot open the X display");
    if (!XShmQueryExtension(display)) die("the X server offers no MIT-SHM");
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    const Size size{DisplayWidth(display, screen), DisplayHeight(display, screen)};
    const PanelLayout layout = layOutPanel(size, kPanelSize, panelPlacement(size));

    const bench::TwoFrames frames;
    XShmSegmentInfo info[2]{};
    XImage* images[2] = {sharedFrame(display, info[0], frames.frame(0)), sharedFrame(display, info[1], frames.frame(1))};
    XGCValues values{};
    values.foreground = BlackPixel(display, screen);
    values.graphics_exposures = False;
    GC gc = XCreateGC(display, root, GCForeground | GCGraphicsExposures, &values);
    XFillRectangle(display, root, gc, 0, 0, static_cast<unsigned>(size.width), static_cast<unsigned>(size.height));
    XSetForeground(display, gc, WhitePixel(display, screen));
    XSetBackground(display, gc, BlackPixel(display, screen));
    XSync(display, False);
    for (const auto& segment : info) shmctl(segment.shmid, IPC_RMID, nullptr);

    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    for (int i = 0;; i ^= 1) {
        XShmPutImage(display, root, gc, images[i], layout.fromX, layout.fromY, layout.shown.left, layout.shown.top,
                     static_cast<unsigned>(layout.shown.width), static_cast<unsigned>(layout.shown.height), False);
        XFlush(display);
        bench::sleepToNextFrame(next);
    }
}
