// What the page calls: the saver core behind a handle the page owns, the
// panel as RGBA words, and where the panel goes in the page's canvas.
#include <emscripten/emscripten.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "animation/monotonic_clock.h"
#include "animation/panel_pixels.h"
#include "animation/panel_view.h"
#include "animation/saver_core.h"
#include "gfx/panel_layout.h"
#include "gfx/zoom.h"

namespace {

using namespace morvelux;

// Opaque black and white in ImageData's byte order (red, green, blue, alpha)
// on a little-endian machine, which WebAssembly is.
constexpr std::uint32_t kRgbaBlack = 0xFF000000u;
constexpr std::uint32_t kRgbaWhite = 0xFFFFFFFFu;

struct Page {
    MonotonicClock clock;
    std::unique_ptr<SaverCore> core;
    PanelPainter painter{1, kRgbaBlack, kRgbaWhite};
    PanelLayout wholePanel = layOutPanel(kPanelSize, kPanelSize, {0, 0});
    std::vector<std::uint32_t> rgba =
        std::vector<std::uint32_t>(static_cast<std::size_t>(kPanelSize.width) * kPanelSize.height);
    int placement[3] = {1, 0, 0};  // zoom, then the panel's left and top in canvas pixels
};

}  // namespace

extern "C" {

// A new page with the saver loaded, or null (the reason on the console)
// when the pictures do not decode.
EMSCRIPTEN_KEEPALIVE Page* web_open() {
    auto page = std::make_unique<Page>();
    std::string error;
    page->core = SaverCore::load(page->clock, error);
    if (!page->core) {
        std::fprintf(stderr, "morvelux: %s\n", error.c_str());
        return nullptr;
    }
    return page.release();
}

// The first frame, with the title card's time starting now.
EMSCRIPTEN_KEEPALIVE void web_activate(Page* page) { page->core->activate(); }

// The paced tick: 1 when it composed a new frame.
EMSCRIPTEN_KEEPALIVE int web_advance(Page* page) { return page->core->advance() ? 1 : 0; }

EMSCRIPTEN_KEEPALIVE void web_pause(Page* page, int paused) {
    paused ? page->core->pause() : page->core->resume();
}

// The panel as last composed: kPanelSize pixels, 4 bytes each, as ImageData lays them out.
EMSCRIPTEN_KEEPALIVE const std::uint32_t* web_rgba(Page* page) {
    page->painter.paint(page->core->panel(), page->wholePanel, page->rgba.data(),
                        static_cast<std::size_t>(kPanelSize.width));
    return page->rgba.data();
}

EMSCRIPTEN_KEEPALIVE int web_panel_width() { return kPanelSize.width; }
EMSCRIPTEN_KEEPALIVE int web_panel_height() { return kPanelSize.height; }

EMSCRIPTEN_KEEPALIVE int web_tick(Page* page) { return page->core->frameInfo().tick; }
EMSCRIPTEN_KEEPALIVE int web_title(Page* page) { return page->core->frameInfo().title ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE int web_composed_at(Page* page) { return page->core->frameInfo().composedAt; }

// Zoom and position of the panel on a canvas of width x height device
// pixels at `dpi` (96 times the device pixel ratio): three ints.
EMSCRIPTEN_KEEPALIVE const int* web_place(Page* page, int width, int height, int dpi) {
    const Size area{width, height};
    const int zoom = wholeZoom(area, dpi, kPanelSize);
    const Point at = panelPlacement(area, zoom);
    page->placement[0] = zoom;
    page->placement[1] = at.x;
    page->placement[2] = at.y;
    return page->placement;
}

}  // extern "C"
