// The message loop. When no message is waiting the application's idle
// handler runs; if it wants to run again soon the loop sleeps until the next
// message or until the handler's next piece of work is due (the next
// millisecond unless it says otherwise), instead of spinning a processor at
// full load.
#include <algorithm>

#include "toolkit/win32/internal.h"
#include "toolkit/win32/win32_backend.h"

namespace tk::win32 {
namespace {

bool isKeyMessage(UINT message) {
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_KEYUP || message == WM_SYSKEYUP;
}

// With key preview a form sees the keys of its focused control first, and
// may swallow them by clearing the key.
bool previewKey(MSG& msg) {
    if (!isKeyMessage(msg.message)) return false;
    Control* control = controlOf(msg.hwnd);
    if (!control || asForm(control)) return false;
    Form* form = control->form();
    if (!form || !form->keyPreview) return false;
    const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    auto& handler = down ? form->OnKeyDown : form->OnKeyUp;
    if (!handler) return false;
    std::uint16_t key = static_cast<std::uint16_t>(msg.wParam);
    handler(key, keyShift());
    msg.wParam = key;
    return key == 0;
}

void syncTitle(const Application& app) {
    static std::string shown;
    if (app.title == shown) return;
    shown = app.title;
    SetWindowTextW(applicationWindow(), widen(shown).c_str());
}

class Win32Runner : public Runner {
public:
    void run(Application& app) override {
        syncTitle(app);
        while (!app.terminated)
            if (!handleOneMessage(nullptr)) idle(app);
    }

    void processMessages(Application&) override {
        while (handleOneMessage(nullptr)) {
        }
    }

    void hideApplicationWindow() override { ShowWindow(applicationWindow(), SW_HIDE); }

    void waitForMessage(unsigned timeoutMs) override {
        MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
};

Win32Runner theRunner;

}  // namespace

bool handleOneMessage(HWND dialog) {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        application().terminate();
        return true;
    }
    if (previewKey(msg)) return true;
    if (dialog && IsDialogMessageW(dialog, &msg)) return true;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

void idle(Application& app) {
    syncTitle(app);
    bool done = true;
    if (app.OnIdle) app.OnIdle(done);
    if (app.terminated) return;
    if (done)
        WaitMessage();
    else
        MsgWaitForMultipleObjectsEx(0, nullptr, std::max(app.idleWaitMs, 1u), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void installRunner() { setRunner(&theRunner); }

}  // namespace tk::win32
