#pragma once
// The two calls the About dialog makes on windows that are not its own:
// which window is in front, and disabling it while the dialog is open.
#include <cstdint>

namespace morvelux {

class DesktopWindows {
public:
    virtual ~DesktopWindows() = default;
    virtual std::intptr_t foregroundWindow() = 0;  // 0: none
    virtual void enableWindow(std::intptr_t window, bool enable) = 0;
};

// user32 on Windows; elsewhere there is no window in front.
DesktopWindows& systemDesktopWindows();

}  // namespace morvelux
