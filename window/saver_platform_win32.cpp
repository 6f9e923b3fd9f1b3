#include "window/saver_platform_win32.h"

#include <windows.h>
#include <mmsystem.h>

#include "toolkit/win32/monitors.h"
#include "toolkit/win32/notifications.h"
#include "toolkit/win32/system_function.h"

namespace morvelux {
namespace {

constexpr UINT kScreenSaverRunning = 97;  // SPI_SCREENSAVERRUNNING

HWND handleOf(std::int32_t window) {
    // Window handles are 32-bit values on every Windows, also in 64-bit processes.
    return reinterpret_cast<HWND>(static_cast<std::intptr_t>(window));
}

// Looked up at run time, not imported: input methods come only with the East
// Asian editions of Windows 95/98, and the saver must load without imm32.dll.
// Where input methods exist, the system has their manager loaded in every
// process with windows, so a process without it has none to turn off.
void detachInputMethod(HWND window) {
    using AssociateContext = HANDLE(WINAPI*)(HWND, HANDLE);
    const auto associate = tk::win32::loadedFunction<AssociateContext>("imm32.dll", "ImmAssociateContext");
    if (associate) associate(window, nullptr);
}

}  // namespace

Win32SaverPlatform::Win32SaverPlatform(tk::Runner& runner, ReadoutSink* sink) : runner_(runner), sink_(sink) {}
Win32SaverPlatform::~Win32SaverPlatform() = default;

Millis Win32SaverPlatform::MultimediaClock::now() { return timeGetTime(); }

Clock& Win32SaverPlatform::clock() { return clock_; }
Registry& Win32SaverPlatform::registry() { return systemRegistry(); }

// The display counter it returns only matters to a caller that balances it.
void Win32SaverPlatform::showCursor(bool show) { ShowCursor(show ? TRUE : FALSE); }

std::optional<tk::Bounds> Win32SaverPlatform::windowRect(std::int32_t window) {
    RECT r{};
    if (!GetWindowRect(handleOf(window), &r)) return std::nullopt;
    return tk::Bounds{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::vector<tk::Monitor> Win32SaverPlatform::monitors() { return tk::win32::displayMonitors(); }

std::optional<std::int32_t> Win32SaverPlatform::platformId() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;  // 148
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&info)) return std::nullopt;
#pragma GCC diagnostic pop
    return static_cast<std::int32_t>(info.dwPlatformId);
}

// Only Windows 95/98 knows this setting; elsewhere the call fails and nothing depends on it.
void Win32SaverPlatform::setScreenSaverRunning(bool running) {
    UINT previous = 0;
    SystemParametersInfoA(kScreenSaverRunning, running ? TRUE : FALSE, &previous, 0);
}

void Win32SaverPlatform::disableInputMethod(tk::Form& form) { detachInputMethod(static_cast<HWND>(form.native)); }

// A coarser timer only makes the ticks less even; the saver runs on.
void Win32SaverPlatform::beginTimerPeriod() { timeBeginPeriod(1); }
void Win32SaverPlatform::endTimerPeriod() { timeEndPeriod(1); }

void Win32SaverPlatform::hideApplicationWindow() { runner_.hideApplicationWindow(); }

void Win32SaverPlatform::registerNotifications(tk::Form& form) {
    notifications_ = std::make_unique<tk::win32::SystemNotifications>(static_cast<HWND>(form.native));
}

void Win32SaverPlatform::unregisterNotifications() { notifications_.reset(); }

Rgb Win32SaverPlatform::windowTextColour() {
    const COLORREF c = GetSysColor(COLOR_WINDOWTEXT);
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

}  // namespace morvelux
