// Full screen on every monitor: the window spans the desktop, and each
// monitor shows the same frame in a panel centred on it, the primary's being
// Panel1. Laid out again whenever the screens change, without touching the
// animation.
#include <algorithm>

#include "animation/dimensions.h"
#include "gfx/layout.h"
#include "gfx/zoom.h"
#include "window/unit1.h"

namespace morvelux {

namespace {

tk::Bounds desktopOf(const std::vector<tk::Monitor>& monitors) {
    int left = monitors.front().bounds.left, top = monitors.front().bounds.top;
    int right = monitors.front().bounds.right(), bottom = monitors.front().bounds.bottom();
    for (const tk::Monitor& m : monitors) {
        left = std::min(left, m.bounds.left);
        top = std::min(top, m.bounds.top);
        right = std::max(right, m.bounds.right());
        bottom = std::max(bottom, m.bounds.bottom());
    }
    return {left, top, right - left, bottom - top};
}

int zoomOn(const tk::Monitor& monitor) {
    return wholeZoom({monitor.bounds.width, monitor.bounds.height}, monitor.dpi, kPanelSize);
}

}  // namespace

TForm1::MonitorPanel::MonitorPanel(TForm1& form) : panel(&form, "MonitorPanel"), image(&panel, "MonitorImage") {
    panel.colour = tk::Colour::Black;
    image.cursor = form.Image1.cursor;
    image.OnMouseDown = [&form](tk::MouseButton b, tk::Shift s, int x, int y) { form.Image1MouseDown(b, s, x, y); };
    image.OnDblClick = [&form] { form.Image1DblClick(); };
    image.OnMouseMove = [&form](tk::Shift shift, int x, int y) { form.Image1MouseMove(shift, x, y); };
}

void TForm1::layOutMonitors() {
    std::vector<tk::Monitor> monitors = platform_.monitors();
    // Nothing to go by, or nothing changed: keep the layout there is.
    if (monitors.empty() || monitors == monitors_) return;
    monitors_ = std::move(monitors);
    const tk::Bounds desktop = desktopOf(monitors_);
    setBounds(desktop);
    keepMonitorPanels(monitors_.size() - 1);
    placePanel(Panel1, Image1, monitors_.front());
    for (std::size_t i = 0; i < monitorPanels_.size(); ++i)
        placePanel(monitorPanels_[i]->panel, monitorPanels_[i]->image, monitors_[i + 1]);
}

void TForm1::keepMonitorPanels(std::size_t count) {
    if (monitorPanels_.size() > count) monitorPanels_.resize(count);
    while (monitorPanels_.size() < count) {
        auto added = std::make_unique<MonitorPanel>(*this);
        added->image.setBitmap(Image1.bitmap());
        // A monitor whose panel cannot be made stays black; the others still show.
        if (!adopt(added->panel)) break;
        monitorPanels_.push_back(std::move(added));
    }
}

void TForm1::placePanel(tk::Panel& panel, tk::Image& image, const tk::Monitor& monitor) const {
    const int zoom = zoomOn(monitor);
    const Size shown{kPanelSize.width * zoom, kPanelSize.height * zoom};
    const tk::Bounds& m = monitor.bounds;
    panel.setBounds({m.left - left() + centred(m.width, shown.width), m.top - top() + centred(m.height, shown.height),
                     shown.width, shown.height});
    image.setZoom(zoom);
    placeImage(image);
}

void TForm1::placeImage(tk::Image& image) const {
    const int zoom = image.zoom();
    image.setBounds({imagePos_.x * zoom, imagePos_.y * zoom, kLayerSize.width * zoom, kLayerSize.height * zoom});
}

void TForm1::FormDisplayChange() {
    if (!preview()) layOutMonitors();
}

}  // namespace morvelux
