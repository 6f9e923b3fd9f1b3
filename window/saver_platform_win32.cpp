#include "window/saver_platform_win32.h"

#include <windows.h>
#include <mmsystem.h>

namespace morvelux {

namespace {

constexpr UINT kScreenSaverRunning = 97;  // SPI_SCREENSAVERRUNNING

class MultimediaClock : public Clock {
public:
    Millis now() override { return timeGetTime(); }
};

// Looked up at run time, not imported: input methods come only with the East
// Asian editions of Windows 95/98, and the saver must load without imm32.dll.
// Where input methods exist, the system has their manager loaded in every
// process with windows, so a process without it has none to turn off.
void detachInputMethod(HWND window) {
    using AssociateContext = HANDLE(WINAPI*)(HWND, HANDLE);
    const HMODULE imm = GetModuleHandleA("imm32.dll");
    if (!imm) return;
    const auto associate =
        reinterpret_cast<AssociateContext>(reinterpret_cast<void*>(GetProcAddress(imm, "ImmAssociateContext")));
    if (associate) associate(window, nullptr);
}

Rgb fromColorref(COLORREF c) {
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

class Win32SaverPlatform : public SaverPlatform {
public:
    explicit Win32SaverPlatform(void (*hideApp)()) : hideApp_(hideApp) {}

    Clock& clock() override { return clock_; }
    Registry& registry() override { return systemRegistry(); }
    void showCursor(bool show) override { ShowCursor(show ? TRUE : FALSE); }

    std::optional<tk::Bounds> windowRect(std::int32_t window) override {
        RECT r{};
        if (!GetWindowRect(handleOf(window), &r)) return std::nullopt;
        return tk::Bounds{r.left, r.top, r.right - r.left, r.bottom - r.top};
    }

    Size screenSize() override { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

    std::optional<std::int32_t> platformId() override {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof info;  // 148
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        if (!GetVersionExA(&info)) return std::nullopt;
#pragma GCC diagnostic pop
        return static_cast<std::int32_t>(info.dwPlatformId);
    }

    void setScreenSaverRunning(bool running) override {
        UINT previous = 0;
        SystemParametersInfoA(kScreenSaverRunning, running ? TRUE : FALSE, &previous, 0);
    }

    void disableInputMethod(tk::Form& form) override {
        detachInputMethod(static_cast<HWND>(form.native));
    }

    void beginTimerPeriod() override { timeBeginPeriod(1); }
    void endTimerPeriod() override { timeEndPeriod(1); }
    void hideApplicationWindow() override {
        if (hideApp_) hideApp_();
    }
    Rgb windowTextColour() override { return fromColorref(GetSysColor(COLOR_WINDOWTEXT)); }

    static HWND handleOf(std::int32_t window) {
        // Window handles are 32-bit values on every Windows, also in 64-bit processes.
        return reinterpret_cast<HWND>(static_cast<std::intptr_t>(window));
    }

private:
    MultimediaClock clock_;
    void (*hideApp_)();
};

}  // namespace

SaverPlatform& win32SaverPlatform(void (*hideApp)()) {
    static Win32SaverPlatform platform(hideApp);
    return platform;
}

}  // namespace morvelux
