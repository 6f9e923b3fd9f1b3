#include "about/desktop_windows.h"

namespace morvelux {
namespace {

class NoWindows : public DesktopWindows {
public:
    std::intptr_t foregroundWindow() override { return 0; }
    void enableWindow(std::intptr_t, bool) override {}
};

}  // namespace

DesktopWindows& systemDesktopWindows() {
    static NoWindows windows;
    return windows;
}

}  // namespace morvelux
