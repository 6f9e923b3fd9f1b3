#include "toolkit/win32/notifications.h"

#include <cstring>
#include <optional>

#include "toolkit/win32/system_function.h"
#include "toolkit/win32/system_library.h"

namespace tk::win32 {

namespace {

using RegisterPowerSetting = HANDLE(WINAPI*)(HANDLE, const GUID*, DWORD);
using UnregisterPowerSetting = BOOL(WINAPI*)(HANDLE);
using RegisterSession = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterSession = BOOL(WINAPI*)(HWND);

constexpr DWORD kNotifyWindowHandle = 0;  // DEVICE_NOTIFY_WINDOW_HANDLE
constexpr DWORD kNotifyThisSession = 0;   // NOTIFY_FOR_THIS_SESSION

// Windows 8 and later: off, on or dimmed.
constexpr GUID kConsoleDisplayState{0x6FE69556, 0x704A, 0x47A0, {0x8F, 0x24, 0xC2, 0x8D, 0x93, 0x6F, 0xDA, 0x47}};
// Vista and 7: off or on.
constexpr GUID kMonitorPowerOn{0x02731015, 0x4510, 0x4526, {0x99, 0xE6, 0xE5, 0xA1, 0x7E, 0xBD, 0x1A, 0xEA}};

bool sameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool windows8OrLater() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&info)) return false;
#pragma GCC diagnostic pop
    return info.dwMajorVersion > 6 || (info.dwMajorVersion == 6 && info.dwMinorVersion >= 2);
}

// The display's state from a POWERBROADCAST_SETTING: the setting's GUID,
// its data's length, then the data, a DWORD for both settings watched.
std::optional<DisplayState> displayStateOf(LPARAM data) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    if (!bytes) return std::nullopt;
    GUID setting;
    DWORD length = 0, value = 0;
    std::memcpy(&setting, bytes, sizeof setting);
    std::memcpy(&length, bytes + sizeof setting, sizeof length);
    const bool known = sameGuid(setting, kConsoleDisplayState) || sameGuid(setting, kMonitorPowerOn);
    if (!known || length < sizeof value) return std::nullopt;
    std::memcpy(&value, bytes + sizeof setting + sizeof length, sizeof value);
    switch (value) {
    case 0: return DisplayState::Off;
    case 1: return DisplayState::On;
    case 2: return DisplayState::Dimmed;
    default: return std::nullopt;
    }
}

}  // namespace

// Each registration that the system lacks or refuses is simply missing: the
// window is then drawn as before, seen or not.
SystemNotifications::SystemNotifications(HWND window) : window_(window) {
    registerDisplayState();
    registerSession();
}

void SystemNotifications::registerDisplayState() {
    const auto registerSetting = loadedFunction<RegisterPowerSetting>("user32.dll", "RegisterPowerSettingNotification");
    if (!registerSetting) return;
    const GUID& setting = windows8OrLater() ? kConsoleDisplayState : kMonitorPowerOn;
    display_ = registerSetting(window_, &setting, kNotifyWindowHandle);
}

void SystemNotifications::registerSession() {
    sessions_ = loadSystemLibrary("wtsapi32.dll");
    const auto registerSession = functionOf<RegisterSession>(sessions_, "WTSRegisterSessionNotification");
    if (registerSession && registerSession(window_, kNotifyThisSession)) return;
    if (sessions_) FreeLibrary(sessions_);
    sessions_ = nullptr;
}

// An unregistration that fails leaves nothing to do: the window goes next.
SystemNotifications::~SystemNotifications() {
    if (display_) {
        const auto unregister = loadedFunction<UnregisterPowerSetting>("user32.dll", "UnregisterPowerSettingNotification");
        if (unregister) unregister(display_);
    }
    if (sessions_) {
        const auto unregister = functionOf<UnregisterSession>(sessions_, "WTSUnRegisterSessionNotification");
        if (unregister) unregister(window_);
        FreeLibrary(sessions_);
    }
}

void powerBroadcast(Form& form, WPARAM event, LPARAM data) {
    switch (event) {
    case PBT_APMSUSPEND:
        if (form.OnPowerChange) form.OnPowerChange(PowerChange::Suspend);
        return;
    case PBT_APMRESUMEAUTOMATIC:  // every wake; the other two come on older systems or after input
    case PBT_APMRESUMESUSPEND:
    case PBT_APMRESUMECRITICAL:
        if (form.OnPowerChange) form.OnPowerChange(PowerChange::Resume);
        return;
    case PBT_POWERSETTINGCHANGE:
        if (const auto state = displayStateOf(data); state && form.OnDisplayState) form.OnDisplayState(*state);
        return;
    default:
        return;
    }
}

void sessionChange(Form& form, WPARAM change) {
    std::optional<SessionChange> seen;
    switch (change) {
    case WTS_CONSOLE_CONNECT: seen = SessionChange::ConsoleConnect; break;
    case WTS_CONSOLE_DISCONNECT: seen = SessionChange::ConsoleDisconnect; break;
    case WTS_REMOTE_CONNECT: seen = SessionChange::RemoteConnect; break;
    case WTS_REMOTE_DISCONNECT: seen = SessionChange::RemoteDisconnect; break;
    case WTS_SESSION_LOCK: seen = SessionChange::Lock; break;
    case WTS_SESSION_UNLOCK: seen = SessionChange::Unlock; break;
    default: break;  // logon, logoff, remote control and the like change nothing seen
    }
    if (seen && form.OnSessionChange) form.OnSessionChange(*seen);
}

}  // namespace tk::win32
