#include "toolkit/win32/win32_runner.h"

#include <algorithm>

#include "toolkit/win32/system_function.h"

namespace tk::win32 {

namespace {

// The input kinds of the first Win32 systems: what the wake mask falls back to.
constexpr DWORD kClassicInput =
    QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY | QS_SENDMESSAGE;

}  // namespace

InputWait InputWait::forThisSystem() {
    return {loadedFunction<MsgWaitEx>("user32.dll", "MsgWaitForMultipleObjectsEx"), MsgWaitForMultipleObjects};
}

DWORD InputWait::operator()(DWORD milliseconds) {
    DWORD result = waitOnce(milliseconds);
    while (result == WAIT_FAILED && stepDown()) result = waitOnce(milliseconds);
    // Refused whatever it asks: the time still passes, or the loop would spin a processor.
    if (result == WAIT_FAILED && milliseconds != INFINITE) Sleep(milliseconds);
    return result;
}

// A refused wait fails at once; each step leaves out what an older system may not know.
bool InputWait::stepDown() {
    if (mask_ != kClassicInput) {
        mask_ = kClassicInput;
        return true;
    }
    if (!waitEx_) return false;
    waitEx_ = nullptr;  // in case the Ex form refuses its input-available flag
    return true;
}

DWORD InputWait::waitOnce(DWORD milliseconds) const {
    if (waitEx_) return waitEx_(0, nullptr, milliseconds, mask_, MWMO_INPUTAVAILABLE);
    return wait_(0, nullptr, FALSE, milliseconds, mask_);
}

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
    inputWait_(static_cast<DWORD>(timeout.count()));
}

bool Win32Runner::handleOneMessage(Application& app) {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        drawChanges_();
        return false;
    }
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
    drawChanges_();
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
