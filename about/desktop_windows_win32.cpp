#include <windows.h>

#include "about/desktop_windows.h"
#include "toolkit/win32/system_function.h"

namespace morvelux {
namespace {

// Looked up at run time: no source we trust says Windows 98 exports it, and
// without it the dialog is simply owned by no window.
HWND foreground() {
    using Foreground = HWND(WINAPI*)();
    const auto get = tk::win32::loadedFunction<Foreground>("user32.dll", "GetForegroundWindow");
    return get ? get() : nullptr;
}

class User32Windows : public DesktopWindows {
public:
    std::intptr_t foregroundWindow() override { return reinterpret_cast<std::intptr_t>(foreground()); }
    void enableWindow(std::intptr_t window, bool enable) override {
        EnableWindow(reinterpret_cast<HWND>(window), enable ? TRUE : FALSE);
    }
};

}  // namespace

DesktopWindows& systemDesktopWindows() {
    static User32Windows windows;
    return windows;
}

}  // namespace morvelux
