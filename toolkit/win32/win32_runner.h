#pragma once
// The message loop. Filters see each message before it is dispatched (key
// preview, dialog navigation); when no message waits, the application's idle
// handler runs, and the loop sleeps until the next message or until the
// handler's next piece of work is due, instead of spinning a processor.
// Before the loop looks for work again (the queue found empty, the idle
// handler returned), what the handlers changed in moving pictures is drawn.
#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

#include "toolkit/application.h"

namespace tk::win32 {

// True when the filter has handled the message.
using MessageFilter = std::function<bool(MSG&)>;

using MsgWaitEx = DWORD(WINAPI*)(DWORD, const HANDLE*, DWORD, DWORD, DWORD);
using MsgWait = DWORD(WINAPI*)(DWORD, const HANDLE*, BOOL, DWORD, DWORD);

// Sleeps until input arrives or the time is up. Windows 95 lacks
// MsgWaitForMultipleObjectsEx; there the older wait serves, which sees only
// input that arrived since the queue was last read, so the caller drains the
// queue first. When a system refuses the wait (newer input kinds in the wake
// mask, an unknown flag), it falls back to what the first Win32 systems knew;
// one it refuses even so is slept through, and reported.
class InputWait {
public:
    InputWait(MsgWaitEx waitEx, MsgWait wait) : waitEx_(waitEx), wait_(wait) {}
    static InputWait forThisSystem();

    DWORD operator()(DWORD milliseconds);
    bool usesWaitEx() const { return waitEx_ != nullptr; }

private:
    DWORD waitOnce(DWORD milliseconds) const;
    bool stepDown();

    MsgWaitEx waitEx_;
    MsgWait wait_;
    DWORD mask_ = QS_ALLINPUT;
};

class Win32Runner : public Runner {
public:
    void attach(HWND applicationWindow, std::function<void()> drawChanges) {
        appWindow_ = applicationWindow;
        drawChanges_ = std::move(drawChanges);
    }

    void run(Application& app) override;
    void processMessages(Application& app) override;
    void hideApplicationWindow() override;
    void titleChanged(const std::string& title) override;
    void waitForMessage(std::chrono::milliseconds timeout) override;

    bool handleOneMessage(Application& app);  // false when no message was waiting
    void idle(Application& app);

    // A filter for as long as the scope lives.
    class FilterScope {
    public:
        FilterScope(Win32Runner& runner, MessageFilter filter);
        ~FilterScope();
        FilterScope(const FilterScope&) = delete;
        FilterScope& operator=(const FilterScope&) = delete;

    private:
        Win32Runner& runner_;
        int id_;
    };

private:
    HWND appWindow_ = nullptr;
    std::function<void()> drawChanges_ = [] {};
    InputWait inputWait_ = InputWait::forThisSystem();
    std::vector<std::pair<int, MessageFilter>> filters_;
    int nextFilter_ = 0;
};

}  // namespace tk::win32
