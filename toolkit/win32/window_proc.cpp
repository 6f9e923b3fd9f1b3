// Messages to our forms and panels, turned into the controls' events.
#include <windows.h>
// after windows.h
#include <windowsx.h>

#include "toolkit/win32/binding.h"
#include "toolkit/win32/notifications.h"
#include "toolkit/win32/platform.h"
#include "toolkit/win32/win32_backend.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0  // Windows 8.1 and later
#endif
#ifndef WM_XBUTTONDOWN
#define WM_XBUTTONDOWN 0x020B
#define WM_XBUTTONDBLCLK 0x020D
#define MK_XBUTTON1 0x0020
#define MK_XBUTTON2 0x0040
#define XBUTTON1 0x0001
#endif

namespace tk::win32 {

Shift keyShift() {
    Shift shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= kShiftShift;
    if (GetKeyState(VK_CONTROL) < 0) shift |= kShiftCtrl;
    if (GetKeyState(VK_MENU) < 0) shift |= kShiftAlt;
    return shift;
}

namespace {

constexpr LRESULT kHasDefaultId = static_cast<LRESULT>(DC_HASDEFID) << 16;

Shift mouseShift(WPARAM wParam) {
    Shift shift = static_cast<Shift>(LOWORD(wParam)) &
                  (MK_LBUTTON | MK_RBUTTON | MK_SHIFT | MK_CONTROL | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2);
    if (GetKeyState(VK_MENU) < 0) shift |= kShiftAlt;
    return shift;
}

bool isKeyDown(UINT message) { return message == WM_KEYDOWN || message == WM_SYSKEYDOWN; }

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

MouseButton extraButton(WPARAM wParam) { return HIWORD(wParam) == XBUTTON1 ? MouseButton::X1 : MouseButton::X2; }

bool setCursor(Control& window, HWND hwnd, WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(wParam) != hwnd || LOWORD(lParam) != HTCLIENT) return false;
    POINT p{};
    if (!GetCursorPos(&p) || !ScreenToClient(hwnd, &p)) return false;
    const int cursor = window.controlAt(p.x, p.y).cursor;
    if (cursor == 0) return false;
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(cursor)));
    return true;
}

void command(Form& form, WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) != BN_CLICKED) return;
    Control* sender = controlOf(reinterpret_cast<HWND>(lParam));
    if (!sender) {
        // The dialog manager's Enter and Esc when no button of ours sent them.
        if (LOWORD(wParam) == IDOK) sender = form.answering(DialogKey::Enter);
        if (LOWORD(wParam) == IDCANCEL) sender = form.answering(DialogKey::Escape);
    }
    if (sender) sender->click();
}

void activate(Form& form, HWND hwnd, WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus && IsChild(hwnd, focus)) form.lastFocus = controlOf(focus);
        return;
    }
    if (form.OnActivate) form.OnActivate();
}

void giveFocus(Form& form, HWND hwnd) {
    Control* target = form.lastFocus ? form.lastFocus : form.activeControl;
    const HWND window = target ? handleOf(*target) : nullptr;
    if (window && IsChild(hwnd, window) && IsWindowVisible(window) && IsWindowEnabled(window)) SetFocus(window);
}

HBRUSH controlColour(Win32Backend& backend, HDC dc, LPARAM lParam) {
    const Control* control = controlOf(reinterpret_cast<HWND>(lParam));
    if (!control) return nullptr;
    const COLORREF colour = colorRefOf(*control);
    SetBkColor(dc, colour);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return backend.gdi().brush(colour);
}

Win32Backend& backendOf(const Control& control) {
    // Only the Win32 backend makes windows of our classes.
    return static_cast<Win32Backend&>(control.backend());
}

LRESULT formMessage(Form& form, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    switch (message) {
    case WM_ACTIVATE: {
        const LRESULT result = DefWindowProcA(hwnd, message, wParam, lParam);  // focuses the window
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
        // Destroyed from outside (the application unbinds first): the form
        // forgets its windows, then runs its OnDestroy.
        unbind(form);
        form.doDestroy();
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        Key key = static_cast<Key>(wParam);
        if (form.doKey(isKeyDown(message), key, keyShift())) return 0;
        return DefWindowProcA(hwnd, message, key, lParam);
    }
    case WM_SYSCOMMAND:
        if (form.OnSysCommand) {
            std::intptr_t result = 0;
            if (form.OnSysCommand(static_cast<std::uintptr_t>(wParam), result)) return result;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_COMMAND:
        command(form, wParam, lParam);
        return 0;
    case WM_DPICHANGED: {
        const RECT& r = *reinterpret_cast<const RECT*>(lParam);
        form.doDpiChange(LOWORD(wParam), {r.left, r.top, r.right - r.left, r.bottom - r.top});
        return 0;
    }
    case WM_DISPLAYCHANGE:
    case WM_SETTINGCHANGE:
        // Every top-level window hears these; a form that lays itself out
        // by the screens does it again, one that does not carries on.
        form.doDisplayChange();
        return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_POWERBROADCAST:
        powerBroadcast(form, wParam, lParam);
        return TRUE;  // handled; to a request to sleep: granted
    case WM_WTSSESSION_CHANGE:
        sessionChange(form, wParam);
        return 0;
    case DM_GETDEFID:
        if (Control* button = form.answering(DialogKey::Enter))
            if (const HWND window = handleOf(*button)) return kHasDefaultId | GetDlgCtrlID(window);
        return 0;
    default:
        handled = false;
        return 0;
    }
}

}  // namespace

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (create->lpCreateParams) bind(hwnd, *static_cast<Control*>(create->lpCreateParams));
    }
    Control* control = controlOf(hwnd);
    if (!control) return DefWindowProcA(hwnd, message, wParam, lParam);
    if (control->form() == control) {
        bool handled = false;
        const LRESULT result = formMessage(*control->form(), hwnd, message, wParam, lParam, handled);
        if (handled) return result;
    }
    switch (message) {
    case WM_ERASEBKGND:
        return 1;  // the paint fills the background, around the pictures
    case WM_PAINT:
        backendOf(*control).paint(*control, hwnd);
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
    case WM_XBUTTONDOWN:
    case WM_XBUTTONDBLCLK:
        // Only the extra buttons' own double click counts as one; these are not left clicks.
        mouseDown(*control, extraButton(wParam), wParam, lParam, false);
        return TRUE;
    case WM_MOUSEMOVE: {
        const MouseTarget t = mouseTarget(*control, lParam);
        if (t.control.OnMouseMove) t.control.OnMouseMove(mouseShift(wParam), t.x, t.y);
        return 0;
    }
    case WM_SETCURSOR:
        if (setCursor(*control, hwnd, wParam, lParam)) return TRUE;
        break;
    case WM_COMMAND:
        if (Form* form = control->form()) command(*form, wParam, lParam);
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
        if (const HBRUSH brush = controlColour(backendOf(*control), reinterpret_cast<HDC>(wParam), lParam))
            return reinterpret_cast<LRESULT>(brush);
        break;
    case WM_CTLCOLORBTN:
        return reinterpret_cast<LRESULT>(backendOf(*control).gdi().brush(colorRefOf(*control)));
    case WM_NCDESTROY:
        unbind(*control);
        break;
    default:
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace tk::win32
