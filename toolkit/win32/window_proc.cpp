// Messages to our forms and panels, turned into the controls' events.
#include <windows.h>
// after windows.h
#include <windowsx.h>

#include "toolkit/win32/internal.h"
#include "toolkit/win32/win32_backend.h"

namespace tk::win32 {
namespace {

constexpr LRESULT kHasDefaultId = static_cast<LRESULT>(DC_HASDEFID) << 16;

Shift mouseShift(WPARAM wParam) {
    Shift shift = static_cast<Shift>(wParam) & (MK_LBUTTON | MK_RBUTTON | MK_SHIFT | MK_CONTROL | MK_MBUTTON);
    if (GetKeyState(VK_MENU) < 0) shift |= kShiftAlt;
    return shift;
}

Button* findButton(Control& parent, bool (*wanted)(const Button&)) {
    for (Control* child : parent.children()) {
        if (auto* button = dynamic_cast<Button*>(child);
            button && button->visible() && button->enabled() && wanted(*button))
            return button;
        if (Button* inner = findButton(*child, wanted)) return inner;
    }
    return nullptr;
}

Button* defaultButton(Form& form) {
    return findButton(form, [](const Button& b) { return b.isDefault; });
}

Button* cancelButton(Form& form) {
    return findButton(form, [](const Button& b) { return b.isCancel; });
}

// The windowless control under the mouse gets the event, in its own coordinates.
struct MouseTarget {
    Control& control;
    int x, y;
};

MouseTarget mouseTarget(Control& window, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    Control& target = window.controlAt(x, y);
    if (&target == &window) return {target, x, y};
    return {target, x - target.left(), y - target.top()};
}

void mouseDown(Control& window, MouseButton button, WPARAM wParam, LPARAM lParam, bool twice) {
    const MouseTarget t = mouseTarget(window, lParam);
    if (twice && button == MouseButton::Left && t.control.OnDblClick) t.control.OnDblClick();
    if (t.control.OnMouseDown) t.control.OnMouseDown(button, mouseShift(wParam) | (twice ? kShiftDouble : 0), t.x, t.y);
}

bool setCursor(Control& window, HWND hwnd, WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(wParam) != hwnd || LOWORD(lParam) != HTCLIENT) return false;
    POINT p{};
    GetCursorPos(&p);
    ScreenToClient(hwnd, &p);
    const int cursor = window.controlAt(p.x, p.y).cursor;
    if (cursor == 0) return false;
    SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(cursor)));
    return true;
}

// A key the focused form itself receives (with key preview, the message pump
// has already shown keys for its controls to the form).
bool formKey(Form& form, bool down, WPARAM& wParam) {
    auto& handler = down ? form.OnKeyDown : form.OnKeyUp;
    if (!handler) return false;
    std::uint16_t key = static_cast<std::uint16_t>(wParam);
    handler(key, keyShift());
    wParam = key;
    return key == 0;
}

void command(Control& window, WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) != BN_CLICKED) return;
    Form* form = window.form();
    Control* sender = controlOf(reinterpret_cast<HWND>(lParam));
    auto* button = dynamic_cast<Button*>(sender);
    if (!button && form) {
        // The dialog manager's Enter and Esc when no button of ours sent them.
        if (LOWORD(wParam) == IDOK) button = defaultButton(*form);
        if (LOWORD(wParam) == IDCANCEL) button = cancelButton(*form);
    }
    if (button) button->click();
}

void activate(Form& form, HWND hwnd, WPARAM wParam) {
    WindowEntry* entry = entryOf(hwnd);
    if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (entry && focus && IsChild(hwnd, focus)) entry->focus = focus;
        return;
    }
    if (form.OnActivate) form.OnActivate();
}

void giveFocus(Form& form, HWND hwnd) {
    const WindowEntry* entry = entryOf(hwnd);
    HWND target = entry ? entry->focus : nullptr;
    if (!target && form.activeControl) target = handleOf(*form.activeControl);
    if (target && IsWindow(target) && IsChild(hwnd, target) && IsWindowVisible(target) && IsWindowEnabled(target))
        SetFocus(target);
}

HBRUSH controlColour(HDC dc, LPARAM lParam) {
    const Control* control = controlOf(reinterpret_cast<HWND>(lParam));
    if (!control) return nullptr;
    const COLORREF colour = colorRefOf(*control);
    SetBkColor(dc, colour);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return brushFor(colour);
}

LRESULT formMessage(Form& form, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    switch (message) {
    case WM_ACTIVATE: {
        const LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);  // focuses the window
        activate(form, hwnd, wParam);
        return result;
    }
    case WM_SETFOCUS:
        giveFocus(form, hwnd);
        return 0;
    case WM_CLOSE:
        form.close();
        return 0;
    case WM_DESTROY:
        if (WindowEntry* entry = entryOf(hwnd)) entry->dying = true;
        form.doDestroy();
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (formKey(form, message == WM_KEYDOWN || message == WM_SYSKEYDOWN, wParam)) return 0;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_SYSCOMMAND:
        if (form.OnSysCommand) {
            std::intptr_t result = 0;
            if (form.OnSysCommand(static_cast<std::uintptr_t>(wParam), result)) return result;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case DM_GETDEFID:
        if (Button* button = defaultButton(form))
            if (const WindowEntry* entry = entryOf(handleOf(*button))) return kHasDefaultId | entry->id;
        return 0;
    default:
        handled = false;
        return 0;
    }
}

}  // namespace

Shift keyShift() {
    Shift shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= kShiftShift;
    if (GetKeyState(VK_CONTROL) < 0) shift |= kShiftCtrl;
    if (GetKeyState(VK_MENU) < 0) shift |= kShiftAlt;
    return shift;
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Control* control = controlOf(hwnd);
    if (!control) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (Form* form = asForm(control)) {
        bool handled = false;
        const LRESULT result = formMessage(*form, hwnd, message, wParam, lParam, handled);
        if (handled) return result;
    }
    switch (message) {
    case WM_ERASEBKGND:
        return 1;  // the paint fills the background, around the pictures
    case WM_PAINT:
        paintWindow(*control, hwnd);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        mouseDown(*control, MouseButton::Left, wParam, lParam, message == WM_LBUTTONDBLCLK);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        mouseDown(*control, MouseButton::Right, wParam, lParam, message == WM_RBUTTONDBLCLK);
        return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        mouseDown(*control, MouseButton::Middle, wParam, lParam, message == WM_MBUTTONDBLCLK);
        return 0;
    case WM_MOUSEMOVE: {
        const MouseTarget t = mouseTarget(*control, lParam);
        if (t.control.OnMouseMove) t.control.OnMouseMove(mouseShift(wParam), t.x, t.y);
        return 0;
    }
    case WM_SETCURSOR:
        if (setCursor(*control, hwnd, wParam, lParam)) return TRUE;
        break;
    case WM_COMMAND:
        command(*control, wParam, lParam);
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
        if (const HBRUSH brush = controlColour(reinterpret_cast<HDC>(wParam), lParam))
            return reinterpret_cast<LRESULT>(brush);
        break;
    case WM_CTLCOLORBTN:
        return reinterpret_cast<LRESULT>(brushFor(colorRefOf(*control)));
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace tk::win32
