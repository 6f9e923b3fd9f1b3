#include <windows.h>

#include "about/desktop_windows.h"

namespace morvelux {
namespace {

class User32Windows : public DesktopWindows {
public:
    std::intptr_t foregroundWindow() override { return reinterpret_cast<std::intptr_t>(GetForegroundWindow()); }
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
