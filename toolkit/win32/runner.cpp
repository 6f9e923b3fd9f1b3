#include "toolkit/win32/win32_runner.h"

#include <algorithm>

namespace tk::win32 {

void Win32Runner::run(Application& app) {
    while (!app.terminated())
        if (!handleOneMessage(app)) idle(app);
}

void Win32Runner::processMessages(Application& app) {
    while (handleOneMessage(app)) {
    }
}

void Win32Runner::hideApplicationWindow() {
    if (appWindow_) ShowWindow(appWindow_, SW_HIDE);  // returns the previous state, not an error
}

void Win32Runner::titleChanged(const std::string& title) {
    if (appWindow_) SetWindowTextA(appWindow_, title.c_str());  // a title that does not take is only cosmetic
}

void Win32Runner::waitForMessage(std::chrono::milliseconds timeout) {
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(timeout.count()), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

bool Win32Runner::handleOneMessage(Application& app) {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        app.terminate();
        return true;
    }
    // A copy: a filter may come or go while the message is handled.
    const auto filters = filters_;
    for (const auto& [id, filter] : filters)
        if (filter(msg)) return true;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

void Win32Runner::idle(Application& app) {
    const IdleWait next = app.idle();
    if (app.terminated()) return;
    if (!next)
        WaitMessage();
    else if (next->count() > 0)
        waitForMessage(*next);
}

Win32Runner::FilterScope::FilterScope(Win32Runner& runner, MessageFilter filter)
    : runner_(runner), id_(runner.nextFilter_++) {
    runner_.filters_.emplace_back(id_, std::move(filter));
}

Win32Runner::FilterScope::~FilterScope() {
    std::erase_if(runner_.filters_, [this](const auto& entry) { return entry.first == id_; });
}

}  // namespace tk::win32
