// The main block's modes on real windows (under Wine in the cross build),
// when the system refuses to make our windows: each mode must end at once.
#include <gtest/gtest.h>
#include <windows.h>

#include "about/desktop_windows.h"
#include "app/run_modes.h"
#include "toolkit/win32/platform.h"
#include "window/saver_platform_win32.h"

namespace morvelux {
namespace {

// Refuses every window this thread asks for, as a system out of resources would.
LRESULT CALLBACK refuseWindows(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class RefusingSystem : public SystemServices {
public:
    explicit RefusingSystem(tk::Runner& runner) : saver_(runner) {}
    SaverPlatform& saverPlatform() override { return saver_; }
    Registry& registry() override { return systemRegistry(); }
    DesktopWindows& desktopWindows() override { return systemDesktopWindows(); }
    bool windowAlive(std::int32_t window) override { return window != 0; }
    void changePassword(std::int32_t) override {}

private:
    Win32SaverPlatform saver_;
};

TEST(RunModesWin32, EveryModeEndsAtOnceWhenNoWindowCanBeMade) {
    tk::win32::Platform platform(GetModuleHandleA(nullptr));
    if (!platform.ready()) GTEST_SKIP() << "no windows without a display";
    const HHOOK hook = SetWindowsHookExA(WH_CBT, refuseWindows, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    RefusingSystem system(platform.runner());
    for (SaverMode mode : {SaverMode::FullScreen, SaverMode::Preview, SaverMode::Configure}) {
        tk::Application app(platform.backend(), platform.runner());
        const DWORD start = GetTickCount();
        EXPECT_EQ(RunMode({"", mode, 0x1234}, app, system), 0);
        EXPECT_LT(GetTickCount() - start, 2000u) << "mode " << static_cast<int>(mode) << " did not end at once";
    }
    UnhookWindowsHookEx(hook);
}

}  // namespace
}  // namespace morvelux
