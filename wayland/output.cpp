#include "wayland/output.h"

#include <algorithm>
#include <cmath>

#include "animation/panel_view.h"
#include "gfx/zoom.h"
#include "wayland/protocols.h"

namespace morvelux::wayland {

namespace {

constexpr std::uint32_t kAllEdges = ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;

Output& of(void* data) { return *static_cast<Output*>(data); }

// XRGB8888, the format every compositor takes.
constexpr std::uint32_t kXrgbBlack = 0;
constexpr std::uint32_t kXrgbWhite = 0x00FFFFFF;

}  // namespace

Size logicalOutputSize(Size mode, int scale, std::int32_t transform) {
    const bool quarterTurn = transform % 2 != 0;  // 90 and 270, flipped or not
    const Size turned = quarterTurn ? Size{mode.height, mode.width} : mode;
    return {turned.width / scale, turned.height / scale};
}

int bufferScaleFor(std::uint32_t surfaceVersion, int outputScale) {
    return surfaceVersion >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION ? outputScale : 1;
}

// The protocol's events, each a small function that updates the output.
struct OutputEvents {
    static void geometry(void* data, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                         std::int32_t, const char*, const char*, std::int32_t transform) {
        of(data).transform_ = transform;
    }
    static void mode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
                     std::int32_t) {
        if (flags & WL_OUTPUT_MODE_CURRENT) of(data).mode_ = {width, height};
    }
    static void done(void* data, wl_output*) { of(data).described_ = true; }
    static void scale(void* data, wl_output*, std::int32_t factor) {
        Output& o = of(data);
        o.scale_ = factor > 0 ? factor : 1;
        o.dirty_ = true;
    }
    static void name(void* data, wl_output*, const char* name) { of(data).name_ = name; }
    static void description(void*, wl_output*, const char*) {}

    static void layerConfigure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width,
                               std::uint32_t height) {
        zwlr_layer_surface_v1_ack_configure(layer, serial);
        of(data).configured(width, height);
    }
    static void layerClosed(void* data, zwlr_layer_surface_v1*) { of(data).closed_ = true; }

    static void xdgConfigure(void* data, xdg_surface* surface, std::uint32_t serial) {
        xdg_surface_ack_configure(surface, serial);
        Output& o = of(data);
        o.configured(static_cast<std::uint32_t>(o.pendingSize_.width),
                     static_cast<std::uint32_t>(o.pendingSize_.height));
    }
    static void toplevelConfigure(void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*) {
        of(data).pendingSize_ = {width, height};
    }
    static void toplevelClose(void* data, xdg_toplevel*) { of(data).closeRequested_ = true; }
    static void toplevelBounds(void*, xdg_toplevel*, std::int32_t, std::int32_t) {}
    static void toplevelCapabilities(void*, xdg_toplevel*, wl_array*) {}

    static void frameDone(void* data, wl_callback* callback, std::uint32_t) {
        wl_callback_destroy(callback);
        of(data).frame_ = nullptr;
    }
};

namespace {

const wl_output_listener kOutputListener = {
    .geometry = OutputEvents::geometry,
    .mode = OutputEvents::mode,
    .done = OutputEvents::done,
    .scale = OutputEvents::scale,
    .name = OutputEvents::name,
    .description = OutputEvents::description,
};
const zwlr_layer_surface_v1_listener kLayerListener = {
    .configure = OutputEvents::layerConfigure,
    .closed = OutputEvents::layerClosed,
};
const xdg_surface_listener kXdgSurfaceListener = {.configure = OutputEvents::xdgConfigure};
const xdg_toplevel_listener kToplevelListener = {
    .configure = OutputEvents::toplevelConfigure,
    .close = OutputEvents::toplevelClose,
    .configure_bounds = OutputEvents::toplevelBounds,
    .wm_capabilities = OutputEvents::toplevelCapabilities,
};
const wl_callback_listener kFrameListener = {.done = OutputEvents::frameDone};

}  // namespace

Output::Output(wl_output* output, std::uint32_t registryName)
    : output_(output), registryName_(registryName), name_("output-" + std::to_string(registryName)) {
    wl_output_add_listener(output_, &kOutputListener, this);
}

Output::~Output() {
    destroySurface();
    letGo(output_, wl_output_release, WL_OUTPUT_RELEASE_SINCE_VERSION);
}

void Output::createSurface(const Globals& globals) {
    surface_ = wl_compositor_create_surface(globals.compositor);
    if (globals.layerShell) {
        layer_ = zwlr_layer_shell_v1_get_layer_surface(globals.layerShell, surface_, output_,
                                                       ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "morvelux");
        zwlr_layer_surface_v1_add_listener(layer_, &kLayerListener, this);
        zwlr_layer_surface_v1_set_anchor(layer_, kAllEdges);
        zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1);
        zwlr_layer_surface_v1_set_keyboard_interactivity(layer_,
                                                          ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    } else {
        xdgSurface_ = xdg_wm_base_get_xdg_surface(globals.wmBase, surface_);
        xdg_surface_add_listener(xdgSurface_, &kXdgSurfaceListener, this);
        toplevel_ = xdg_surface_get_toplevel(xdgSurface_);
        xdg_toplevel_add_listener(toplevel_, &kToplevelListener, this);
        xdg_toplevel_set_title(toplevel_, "MORVELUX");
        xdg_toplevel_set_app_id(toplevel_, "morvelux");
        xdg_toplevel_set_fullscreen(toplevel_, output_);
    }
    wl_surface_commit(surface_);
}

void Output::destroySurface() {
    if (frame_) wl_callback_destroy(frame_);
    if (layer_) zwlr_layer_surface_v1_destroy(layer_);
    if (toplevel_) xdg_toplevel_destroy(toplevel_);
    if (xdgSurface_) xdg_surface_destroy(xdgSurface_);
    if (surface_) wl_surface_destroy(surface_);
    frame_ = nullptr;
    layer_ = nullptr;
    toplevel_ = nullptr;
    xdgSurface_ = nullptr;
    surface_ = nullptr;
    for (Slot& slot : slots_) slot = {};
}

void Output::configured(std::uint32_t width, std::uint32_t height) {
    // A size left to us is the whole output.
    logical_ = {static_cast<int>(width), static_cast<int>(height)};
    if (width == 0 || height == 0) logical_ = logicalOutputSize(mode_, scale_, transform_);
    configured_ = true;
    dirty_ = true;
}

void Output::prepareBuffers(std::FILE* trace) {
    const int scale = bufferScaleFor(wl_surface_get_version(surface_), scale_);
    const Size size{logical_.width * scale, logical_.height * scale};
    if (painter_ && size == bufferSize_ && scale == bufferScale_) return;
    const int zoom = wholeZoom(size, kDesignedDpi * scale, kPanelSize);
    painter_.emplace(zoom, kXrgbBlack, kXrgbWhite);
    layout_ = layOutPanel(size, {kPanelSize.width * zoom, kPanelSize.height * zoom}, panelPlacement(size, zoom));
    bufferSize_ = size;
    bufferScale_ = scale;
    for (Slot& slot : slots_) slot = {};
    if (trace) std::fprintf(trace, "output %s %dx%d scale %d zoom %d\n", name_.c_str(), size.width, size.height,
                            scale, zoom);
}

ShmBuffer* Output::freeBuffer(wl_shm* shm, std::string& error, bool& fresh) {
    for (Slot& slot : slots_) {
        if (!slot.buffer) {
            slot.buffer = ShmBuffer::create(shm, bufferSize_.width, bufferSize_.height, error);
            if (!slot.buffer) return nullptr;
            slot.fresh = true;
        }
        if (!slot.buffer->busy()) {
            fresh = slot.fresh;
            slot.fresh = false;
            return slot.buffer.get();
        }
    }
    return nullptr;
}

bool Output::paintIfDue(const PanelBits& panel, wl_shm* shm, std::FILE* trace, std::string& error) {
    if (!dirty_ || !ready() || frame_) return true;
    if (logical_.width <= 0 || logical_.height <= 0) return true;
    prepareBuffers(trace);
    bool fresh = false;
    ShmBuffer* buffer = freeBuffer(shm, error, fresh);
    if (!buffer) return error.empty();  // both still held: drawn when one comes back
    painter_->paint(panel, layout_, buffer->pixels(), buffer->stride());
    if (wl_surface_get_version(surface_) >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION)
        wl_surface_set_buffer_scale(surface_, bufferScale_);
    buffer->attachTo(surface_);
    // Both buffers hold the same black: after the first time only the panel changes.
    const Rect damage = fresh ? Rect{0, 0, bufferSize_.width, bufferSize_.height} : layout_.shown;
    if (wl_surface_get_version(surface_) >= WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION)
        wl_surface_damage_buffer(surface_, damage.left, damage.top, damage.width, damage.height);
    else
        wl_surface_damage(surface_, 0, 0, logical_.width, logical_.height);
    frame_ = wl_surface_frame(surface_);
    wl_callback_add_listener(frame_, &kFrameListener, this);
    wl_surface_commit(surface_);
    dirty_ = false;
    return true;
}

MoveArea Output::areaAt(double x, double y) const {
    const Rect& shown = layout_.shown;
    // Whole buffer pixels: the pixel a fractional position lies in.
    const int scale = std::max(bufferScale_, 1);
    const auto px = static_cast<int>(std::floor(x * scale)), py = static_cast<int>(std::floor(y * scale));
    return shown.contains(px, py) ? MoveArea::Panel : MoveArea::Black;
}

}  // namespace morvelux::wayland
