#include "toolkit/win32/binding.h"

#include "toolkit/win32/platform.h"
#include "toolkit/win32/win32_backend.h"

namespace tk::win32 {

void bind(HWND hwnd, Control& control) {
    control.native = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&control));
}

void unbind(Control& control) {
    for (Control* child : control.children()) unbind(*child);
    if (const HWND hwnd = handleOf(control)) SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    control.native = nullptr;
}

namespace {

// Only windows of our classes carry a control in their user data; another
// window's user data is its own business.
Control* carriedControl(HWND hwnd) {
    if (!hwnd || GetWindowLongPtrA(hwnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&windowProc)) return nullptr;
    return reinterpret_cast<Control*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

}  // namespace

Control* controlOf(HWND hwnd) {
    if (Control* control = carriedControl(hwnd)) return control;
    Control* parent = hwnd ? carriedControl(GetParent(hwnd)) : nullptr;
    if (!parent) return nullptr;
    for (Control* child : parent->children())
        if (handleOf(*child) == hwnd) return child;
    return nullptr;
}

HWND hostWindow(const Control& control) {
    for (const Control* c = control.parent(); c; c = c->parent())
        if (c->windowed()) return handleOf(*c);
    return nullptr;
}

}  // namespace tk::win32
