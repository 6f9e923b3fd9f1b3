// What the page calls: the saver core behind a handle the page owns, the
// panel as RGBA words, and where the panel goes in the page's canvas.
#include <emscripten/emscripten.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "animation/clock.h"
#include "animation/dimensions.h"
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

// The page's time in milliseconds, as the page last told it: the core reads
// the time a tick was due, not the animation frame that happens to take it.
class PageClock : public Clock {
public:
    Millis now() override { return now_; }
    void set(Millis now) { now_ = now; }

private:
    Millis now_ = 0;
};

// The saver's own pace on any refresh rate: a tick is due one interval after
// the previous one was due, so ticks that land on later frames do not slow
// the motion down. A page more than an interval behind (a stall, a tab shown
// again) starts the schedule again from now rather than catching up.
class TickSchedule {
public:
    void start(Millis now) { due_ = now + kFrameInterval; }

    // Whether a frame at `now` takes a tick; if so, `dueAt` is when it was due.
    bool take(Millis now, Millis& dueAt) {
        const auto late = static_cast<std::int32_t>(now - due_);  // the clock wraps
        if (late < 0) return false;
        if (late > static_cast<std::int32_t>(kFrameInterval)) due_ = now;
        dueAt = due_;
        due_ += kFrameInterval;
        return true;
    }

private:
    Millis due_ = 0;
};

struct Page {
    PageClock clock;
    TickSchedule schedule;
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

// The first frame at `now` (the page's milliseconds), with the title card's
// time starting then.
EMSCRIPTEN_KEEPALIVE void web_activate(Page* page, Millis now) {
    page->clock.set(now);
    page->schedule.start(now);
    page->core->activate();
}

// An animation frame at `now`: at most one tick, when one is due; 1 when it
// composed a new frame.
EMSCRIPTEN_KEEPALIVE int web_advance(Page* page, Millis now) {
    Millis dueAt = 0;
    if (!page->schedule.take(now, dueAt)) return 0;
    page->clock.set(dueAt);
    return page->core->advance() ? 1 : 0;
}

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
// pixels at `pixelRatio` device pixels to a CSS pixel: three ints.
EMSCRIPTEN_KEEPALIVE const int* web_place(Page* page, int width, int height, double pixelRatio) {
    const Size area{width, height};
    const int dpi = static_cast<int>(std::lround(kDesignedDpi * pixelRatio));
    const int zoom = wholeZoom(area, dpi, kPanelSize);
    const Point at = panelPlacement(area, zoom);
    page->placement[0] = zoom;
    page->placement[1] = at.x;
    page->placement[2] = at.y;
    return page->placement;
}

}  // extern "C"
