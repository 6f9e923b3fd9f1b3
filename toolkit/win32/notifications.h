#pragma once
// Whether anyone can see a window: the display's power state, the session's
// lock and connection, the machine's sleep. Registered for one window where
// the system offers it (Vista and later for the display, XP and later for
// the session, every Windows for sleep), and the messages turned into the
// form's events.
#include <windows.h>

#include "toolkit/form.h"

namespace tk::win32 {

class SystemNotifications {
public:
    explicit SystemNotifications(HWND window);
    ~SystemNotifications();  // unregisters; the window must still exist
    SystemNotifications(const SystemNotifications&) = delete;
    SystemNotifications& operator=(const SystemNotifications&) = delete;

private:
    void registerDisplayState();
    void registerSession();

    HWND window_;
    HANDLE display_ = nullptr;     // HPOWERNOTIFY
    HMODULE sessions_ = nullptr;   // wtsapi32.dll, kept while registered
};

// WM_POWERBROADCAST: sleep, waking, and the display's power state (the
// setting's data follows the pointer in lParam).
void powerBroadcast(Form& form, WPARAM event, LPARAM data);
// WM_WTSSESSION_CHANGE.
void sessionChange(Form& form, WPARAM change);

}  // namespace tk::win32
