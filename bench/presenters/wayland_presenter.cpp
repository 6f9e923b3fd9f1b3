// wayland_presenter: the least a Wayland client can do to show the saver's
// panel. A layer-shell overlay on the first output with two full-output
// XRGB buffers; every frame interval, once the compositor's frame callback
// has come, the panel region of the free buffer is rewritten from one of two
// frames composed beforehand (already as pixels), damaged and committed.
// Runs until killed.
#include <poll.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "animation/dimensions.h"
#include "animation/panel_pixels.h"
#include "animation/panel_view.h"
#include "bench/presenters/two_frames.h"
#include "gfx/panel_layout.h"
#include "wayland/protocols.h"
#include "wayland/shm_buffer.h"

using namespace morvelux;

namespace {

constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

[[noreturn]] void die(const std::string& why) {
    std::fprintf(stderr, "wayland_presenter: %s\n", why.c_str());
    std::exit(1);
}

struct Presenter {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    wl_output* output = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;
    wl_surface* surface = nullptr;
    zwlr_layer_surface_v1* layer = nullptr;
    wl_callback* frame = nullptr;
    Size size;
    bool configured = false;
    std::unique_ptr<wayland::ShmBuffer> buffers[2];
    bool fresh[2] = {true, true};
    PanelLayout layout;
    std::vector<std::uint32_t> pixels[2];  // the two frames' panel rows, as shown
};

void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
    auto& p = *static_cast<Presenter*>(data);
    if (!std::strcmp(interface, wl_compositor_interface.name))
        p.compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 4));
    else if (!std::strcmp(interface, wl_shm_interface.name))
        p.shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    else if (!std::strcmp(interface, wl_output_interface.name) && !p.output)
        p.output = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 1));
    else if (!std::strcmp(interface, zwlr_layer_shell_v1_interface.name))
        p.layerShell = static_cast<zwlr_layer_shell_v1*>(
            wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface, 1));
}
void globalRemoved(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kRegistry = {.global = global, .global_remove = globalRemoved};

void configure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width,
               std::uint32_t height) {
    auto& p = *static_cast<Presenter*>(data);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    p.size = {static_cast<int>(width), static_cast<int>(height)};
    p.configured = true;
}
void closed(void*, zwlr_layer_surface_v1*) { std::exit(0); }
const zwlr_layer_surface_v1_listener kLayer = {.configure = configure, .closed = closed};

void frameDone(void* data, wl_callback* callback, std::uint32_t) {
    wl_callback_destroy(callback);
    static_cast<Presenter*>(data)->frame = nullptr;
}
const wl_callback_listener kFrame = {.done = frameDone};

// The panel of both frames as the buffer's pixels, once.
void preparePixels(Presenter& p) {
    const bench::TwoFrames frames;
    p.layout = layOutPanel(p.size, kPanelSize, panelPlacement(p.size));
    PanelPainter painter(1, kBlack, kWhite);
    for (int i = 0; i < 2; ++i) {
        std::vector<std::uint32_t> whole(static_cast<std::size_t>(p.size.width) * p.size.height, kBlack);
        painter.paint(frames.frame(i), p.layout, whole.data(), static_cast<std::size_t>(p.size.width));
        const Rect& r = p.layout.shown;
        for (int y = r.top; y < r.top + r.height; ++y) {
            const auto* row = whole.data() + static_cast<std::size_t>(y) * p.size.width + r.left;
            p.pixels[i].insert(p.pixels[i].end(), row, row + r.width);
        }
    }
    for (auto& buffer : p.buffers) {
        std::string error;
        buffer = wayland::ShmBuffer::create(p.shm, p.size.width, p.size.height, error);
        if (!buffer) die(error);
        std::fill_n(buffer->pixels(), static_cast<std::size_t>(p.size.width) * p.size.height, kBlack);
    }
}

// Rewrites the panel region of a free buffer with frame `which` and commits it.
bool present(Presenter& p, int which) {
    int slot = p.buffers[0]->busy() ? 1 : 0;
    if (p.buffers[slot]->busy()) return false;
    const Rect& r = p.layout.shown;
    for (int y = 0; y < r.height; ++y)
        std::memcpy(p.buffers[slot]->pixels() + static_cast<std::size_t>(r.top + y) * p.size.width + r.left,
                    p.pixels[which].data() + static_cast<std::size_t>(y) * r.width,
                    static_cast<std::size_t>(r.width) * 4u);
    p.buffers[slot]->attachTo(p.surface);
    if (p.fresh[slot])
        wl_surface_damage_buffer(p.surface, 0, 0, p.size.width, p.size.height);
    else
        wl_surface_damage_buffer(p.surface, r.left, r.top, r.width, r.height);
    p.fresh[slot] = false;
    p.frame = wl_surface_frame(p.surface);
    wl_callback_add_listener(p.frame, &kFrame, &p);
    wl_surface_commit(p.surface);
    return true;
}

long msUntil(const timespec& at) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const long ms = (at.tv_sec - now.tv_sec) * 1000L + (at.tv_nsec - now.tv_nsec) / 1000000L;
    return ms < 0 ? 0 : ms;
}

}  // namespace

int main() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) die("cannot reach a Wayland compositor");
    Presenter p;
    wl_registry_add_listener(wl_display_get_registry(display), &kRegistry, &p);
    wl_display_roundtrip(display);
    if (!p.compositor || !p.shm || !p.output || !p.layerShell) die("the compositor lacks an output or the layer shell");
    p.surface = wl_compositor_create_surface(p.compositor);
    p.layer = zwlr_layer_shell_v1_get_layer_surface(p.layerShell, p.surface, p.output,
                                                    ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "presenter");
    zwlr_layer_surface_v1_add_listener(p.layer, &kLayer, &p);
    zwlr_layer_surface_v1_set_anchor(p.layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                                  ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT |
                                                  ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_exclusive_zone(p.layer, -1);
    wl_surface_commit(p.surface);
    while (!p.configured)
        if (wl_display_dispatch(display) < 0) die("lost the compositor");
    if (p.size.width <= 0 || p.size.height <= 0) die("the output has no size");
    preparePixels(p);

    timespec due{};
    clock_gettime(CLOCK_MONOTONIC, &due);
    for (int which = 0;;) {
        bool stalled = false;  // due, but both buffers still held: wait for a release
        if (!p.frame && msUntil(due) == 0) {
            stalled = !present(p, which);
            if (!stalled) {
                which ^= 1;
                bench::advanceFrame(due);
            }
        }
        wl_display_dispatch_pending(display);
        while (wl_display_prepare_read(display) != 0) wl_display_dispatch_pending(display);
        wl_display_flush(display);
        pollfd fd{wl_display_get_fd(display), POLLIN, 0};
        const int waited = poll(&fd, 1, p.frame || stalled ? -1 : static_cast<int>(msUntil(due)));
        if (waited > 0 && (fd.revents & POLLIN)) {
            if (wl_display_read_events(display) < 0) die("lost the compositor");
        } else {
            wl_display_cancel_read(display);
            if (waited > 0) die("lost the compositor");
        }
        wl_display_dispatch_pending(display);
    }
}
