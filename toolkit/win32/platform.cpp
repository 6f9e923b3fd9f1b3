#include "toolkit/win32/platform.h"

#include "toolkit/win32/binding.h"
#include "toolkit/win32/win32_backend.h"
#include "toolkit/win32/win32_runner.h"

namespace tk::win32 {
namespace {

bool isKeyMessage(UINT message) {
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_KEYUP || message == WM_SYSKEYUP;
}

// With key preview a form sees the keys of its focused control first, and
// may swallow them by clearing the key. Its own keys reach it through its
// window procedure.
bool previewKey(MSG& msg) {
    if (!isKeyMessage(msg.message)) return false;
    Control* control = controlOf(msg.hwnd);
    Form* form = control ? control->form() : nullptr;
    if (!form || form == control || !form->keyPreview) return false;
    Key key = static_cast<Key>(msg.wParam);
    const bool swallowed = form->doKey(msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN, key, keyShift());
    msg.wParam = key;
    return swallowed;
}

}  // namespace

struct Platform::Parts {
    explicit Parts(HINSTANCE instance) : backend(instance, runner), keyPreview(runner, previewKey) {
        runner.attach(backend.applicationWindow(), [this] { backend.drawChanges(); });
    }
    Win32Runner runner;
    Win32Backend backend;
    Win32Runner::FilterScope keyPreview;
};

Platform::Platform(HINSTANCE instance) : parts_(std::make_unique<Parts>(instance)) {}
Platform::~Platform() = default;

bool Platform::ready() const { return parts_->backend.ready(); }
Backend& Platform::backend() { return parts_->backend; }
Runner& Platform::runner() { return parts_->runner; }
HWND Platform::applicationWindow() const { return parts_->backend.applicationWindow(); }

}  // namespace tk::win32
