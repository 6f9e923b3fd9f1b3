#include "toolkit/win32/monitors.h"

#include <windows.h>

#include <algorithm>

#include "toolkit/win32/system_function.h"
#include "toolkit/win32/system_library.h"

namespace tk::win32 {
namespace {

using EnumMonitors = BOOL(WINAPI*)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);
using MonitorInfo = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);
using DpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

// The DPI every monitor has where the system knows no per-monitor DPI.
int systemDpi() {
    const HDC screen = GetDC(nullptr);
    if (!screen) return kDesignedDpi;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDesignedDpi;
}

class MonitorList {
public:
    MonitorList() : shcore_(loadSystemLibrary("shcore.dll")) {
        enumMonitors_ = loadedFunction<EnumMonitors>("user32.dll", "EnumDisplayMonitors");
        monitorInfo_ = loadedFunction<MonitorInfo>("user32.dll", "GetMonitorInfoA");
        dpiForMonitor_ = functionOf<DpiForMonitor>(shcore_, "GetDpiForMonitor");
    }
    ~MonitorList() {
        if (shcore_) FreeLibrary(shcore_);
    }
    MonitorList(const MonitorList&) = delete;
    MonitorList& operator=(const MonitorList&) = delete;

    std::vector<Monitor> list() {
        fallbackDpi_ = systemDpi();
        if (enumMonitors_ && monitorInfo_) enumMonitors_(nullptr, nullptr, visit, reinterpret_cast<LPARAM>(this));
        if (monitors_.empty())
            monitors_.push_back({{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, fallbackDpi_,
                                 true});
        std::stable_partition(monitors_.begin(), monitors_.end(), [](const Monitor& m) { return m.primary; });
        return monitors_;
    }

private:
    static BOOL CALLBACK visit(HMONITOR monitor, HDC, LPRECT, LPARAM self) {
        reinterpret_cast<MonitorList*>(self)->add(monitor);
        return TRUE;
    }

    void add(HMONITOR monitor) {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (!monitorInfo_(monitor, &info)) return;  // gone since it was listed
        const RECT& r = info.rcMonitor;
        monitors_.push_back({{r.left, r.top, r.right - r.left, r.bottom - r.top}, dpiOf(monitor),
                             (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
    }

    int dpiOf(HMONITOR monitor) const {
        UINT x = 0, y = 0;
        if (dpiForMonitor_ && dpiForMonitor_(monitor, kEffectiveDpi, &x, &y) == S_OK && x > 0)
            return static_cast<int>(x);
        return fallbackDpi_;
    }

    HMODULE shcore_;
    EnumMonitors enumMonitors_ = nullptr;
    MonitorInfo monitorInfo_ = nullptr;
    DpiForMonitor dpiForMonitor_ = nullptr;
    int fallbackDpi_ = kDesignedDpi;
    std::vector<Monitor> monitors_;
};

}  // namespace

std::vector<Monitor> displayMonitors() { return MonitorList().list(); }

int primaryDpi() { return displayMonitors().front().dpi; }

int dpiAt(const Bounds& area) {
    const auto overlap = [&area](const Monitor& m) {
        const long long w = std::min(area.right(), m.bounds.right()) - std::max(area.left, m.bounds.left);
        const long long h = std::min(area.bottom(), m.bounds.bottom()) - std::max(area.top, m.bounds.top);
        return w > 0 && h > 0 ? w * h : 0;
    };
    const std::vector<Monitor> monitors = displayMonitors();
    const auto most = std::max_element(monitors.begin(), monitors.end(),
                                       [&](const Monitor& a, const Monitor& b) { return overlap(a) < overlap(b); });
    return overlap(*most) > 0 ? most->dpi : monitors.front().dpi;
}

}  // namespace tk::win32
