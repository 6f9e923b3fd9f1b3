#pragma once
// One output of the compositor and the saver's surface on it: a layer
// surface over everything, or a full-screen window where the compositor has
// no layer shell. Black, with the panel centred at the largest whole zoom
// the output's scale allows, in two shared-memory buffers drawn in turn.
#include <wayland-client.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "animation/mouse_moves.h"
#include "animation/panel_pixels.h"
#include "animation/panel_bits.h"
#include "gfx/panel_layout.h"
#include "wayland/shm_buffer.h"

struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;
struct xdg_wm_base;
struct xdg_surface;
struct xdg_toplevel;

namespace morvelux::wayland {

struct Globals {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;  // null: full-screen windows
    xdg_wm_base* wmBase = nullptr;
};

// The output's size in surface coordinates from its current mode, as a
// surface covering it would be: divided by its scale, and turned with it
// when the output is turned a quarter (a rotated output is taller than wide).
Size logicalOutputSize(Size mode, int scale, std::int32_t transform);

// The scale our buffers can have on a surface of `surfaceVersion`: setting
// a buffer scale came with version 3 of the compositor's surfaces.
int bufferScaleFor(std::uint32_t surfaceVersion, int outputScale);

class Output {
public:
    Output(wl_output* output, std::uint32_t registryName);
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    std::uint32_t registryName() const { return registryName_; }
    bool owns(const wl_surface* surface) const { return surface && surface == surface_; }

    // Whether the compositor has described the output and no surface was made yet.
    bool wantsSurface() const { return described_ && !surface_ && !closed_; }
    void createSurface(const Globals& globals);

    bool closed() const { return closed_; }                  // the compositor took our surface away
    void dropSurfaceIfClosed() {
        if (closed_) destroySurface();
    }
    bool closeRequested() const { return closeRequested_; }  // a window of ours was asked to close
    bool live() const { return surface_ != nullptr; }
    bool ready() const { return live() && configured_; }
    // Ready and not still waiting for the compositor to show the last frame:
    // an output that is asleep or hidden gives no frame callbacks, and waits.
    bool canShow() const { return ready() && !frame_; }

    void markDirty() { dirty_ = true; }
    // Draws `panel` when it is due, the output shows frames and a buffer is
    // free; false, with `error` set, when no buffer can be made.
    bool paintIfDue(const PanelBits& panel, wl_shm* shm, std::FILE* trace, std::string& error);

    // Where a pointer at surface coordinates (x, y) lies.
    MoveArea areaAt(double x, double y) const;

private:
    void prepareBuffers(std::FILE* trace);  // new buffers and layout when the size or scale changed
    ShmBuffer* freeBuffer(wl_shm* shm, std::string& error, bool& fresh);
    void destroySurface();
    void configured(std::uint32_t width, std::uint32_t height);

    friend struct OutputEvents;  // the protocol listeners

    wl_output* output_;
    std::uint32_t registryName_;
    std::string name_;  // the compositor's, from version 4 on
    int scale_ = 1;
    std::int32_t transform_ = WL_OUTPUT_TRANSFORM_NORMAL;
    Size mode_{};
    bool described_ = false;

    wl_surface* surface_ = nullptr;
    zwlr_layer_surface_v1* layer_ = nullptr;
    xdg_surface* xdgSurface_ = nullptr;
    xdg_toplevel* toplevel_ = nullptr;
    Size pendingSize_{};
    Size logical_{};
    bool configured_ = false;
    bool closed_ = false;
    bool closeRequested_ = false;

    wl_callback* frame_ = nullptr;  // a frame drawn and not yet shown
    bool dirty_ = false;
    int bufferScale_ = 0;
    Size bufferSize_{};
    std::optional<PanelPainter> painter_;
    PanelLayout layout_;
    struct Slot {
        std::unique_ptr<ShmBuffer> buffer;
        bool fresh = true;  // the compositor has seen none of it yet
    };
    std::array<Slot, 2> slots_;
};

}  // namespace morvelux::wayland
