// Realising forms and their controls as windows, and keeping the windows in
// step with the controls' properties.
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "toolkit/win32/binding.h"
#include "toolkit/win32/monitors.h"
#include "toolkit/win32/platform.h"
#include "toolkit/win32/paint_canvas.h"
#include "toolkit/win32/win32_backend.h"

namespace tk::win32 {
namespace {

RECT bothOf(const RECT& a, const RECT& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

constexpr char kPanelClass[] = "MorveluxPanel";
constexpr char kApplicationClass[] = "MorveluxApplication";
const LPCSTR kArrowCursor = MAKEINTRESOURCEA(32512);  // IDC_ARROW

// RegisterClassA rather than the Ex form: the classes need no small icon.
bool registerClass(HINSTANCE instance, const char* name, UINT style, WNDPROC proc) {
    WNDCLASSA wc{};
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, kArrowCursor);
    wc.lpszClassName = name;
    // Another platform object of this process may have it already: the same class.
    return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

struct ChildWindow {
    const char* className;
    DWORD style;
    DWORD exStyle;
};

ChildWindow childWindowFor(const WindowKind& kind) {
    constexpr DWORD kChild = WS_CHILD | WS_CLIPSIBLINGS;
    switch (kind.windowClass) {
    case WindowKind::Button:
        return {"BUTTON", kChild | WS_TABSTOP | (kind.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0};
    case WindowKind::Edit:
        return {"EDIT", kChild | WS_TABSTOP | ES_AUTOHSCROLL | (kind.readOnly ? ES_READONLY : 0),
                kind.border ? static_cast<DWORD>(WS_EX_CLIENTEDGE) : 0};
    case WindowKind::Container: break;
    }
    return {kPanelClass, kChild | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
}

// The other windows of this thread are disabled while a modal form runs.
class DisabledWindows {
public:
    explicit DisabledWindows(HWND modal) : modal_(modal) {
        EnumThreadWindows(GetCurrentThreadId(), visit, reinterpret_cast<LPARAM>(this));
    }
    ~DisabledWindows() {
        for (HWND hwnd : disabled_)
            if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
    }
    DisabledWindows(const DisabledWindows&) = delete;
    DisabledWindows& operator=(const DisabledWindows&) = delete;

private:
    static BOOL CALLBACK visit(HWND hwnd, LPARAM self) {
        auto* me = reinterpret_cast<DisabledWindows*>(self);
        if (hwnd != me->modal_ && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
            EnableWindow(hwnd, FALSE);
            me->disabled_.push_back(hwnd);
        }
        return TRUE;
    }
    HWND modal_;
    std::vector<HWND> disabled_;
};

}  // namespace

Win32Backend::Win32Backend(HINSTANCE instance, Win32Runner& runner)
    : instance_(instance),
      runner_(runner),
      painting_(std::make_unique<PaintCanvas>(gdi_)) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);  // without it buttons and edits still come from user32
    panelClass_ = registerClass(instance_, kPanelClass, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, windowProc);
    applicationClass_ = registerClass(instance_, kApplicationClass, 0, DefWindowProcA);
    if (!panelClass_ || !applicationClass_) return;
    appWindow_ = CreateWindowExA(0, kApplicationClass, "", WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU |
                                 WS_MINIMIZEBOX, 0, 0, 0, 0, nullptr, nullptr, instance_, nullptr);
}

Win32Backend::~Win32Backend() {
    if (appWindow_) DestroyWindow(appWindow_);
    // Fails while another platform object still has windows of a class; it then keeps it.
    for (const auto& [style, name] : formClasses_) UnregisterClassA(name.c_str(), instance_);
    if (panelClass_) UnregisterClassA(kPanelClass, instance_);
    if (applicationClass_) UnregisterClassA(kApplicationClass, instance_);
}

const char* Win32Backend::formClass(UINT classStyle) {
    // One window class per class style, as forms may ask for their own.
    const auto found = formClasses_.find(classStyle);
    if (found != formClasses_.end()) return found->second.c_str();
    std::string name = "MorveluxForm" + std::to_string(classStyle);
    if (!registerClass(instance_, name.c_str(), classStyle, windowProc)) return nullptr;
    return formClasses_.emplace(classStyle, std::move(name)).first->second.c_str();
}

bool Win32Backend::realise(Form& form, const CreateParams& p) {
    const char* windowClass = formClass(p.classStyle);
    if (!windowClass || !appWindow_) return false;
    const HWND owner = p.parentWindow ? reinterpret_cast<HWND>(p.parentWindow) : appWindow_;
    // Shown only after OnCreate has run, even with a visible style.
    const DWORD style = p.style & ~static_cast<DWORD>(WS_VISIBLE);
    const HWND hwnd = CreateWindowExA(p.exStyle, windowClass, form.caption().c_str(), style, p.x, p.y, p.width,
                                      p.height, owner, nullptr, instance_, &form);
    if (!hwnd) return false;
    if (!realiseChildren(form, hwnd)) {
        unbind(form);
        DestroyWindow(hwnd);
        return false;
    }
    return true;
}

bool Win32Backend::realiseChildren(Control& parent, HWND parentWindow) {
    for (Control* child : parent.children())
        if (child->windowed() && !realiseOne(*child, parentWindow)) return false;
    return true;
}

bool Win32Backend::realiseOne(Control& control, HWND parentWindow) {
    const ChildWindow kind = childWindowFor(control.windowKind());
    DWORD style = kind.style;
    if (control.visible()) style |= WS_VISIBLE;
    if (!control.enabled()) style |= WS_DISABLED;
    const Bounds& b = control.bounds();
    const HWND hwnd = CreateWindowExA(kind.exStyle, kind.className, control.caption().c_str(), style, b.left, b.top,
                                      b.width, b.height, parentWindow,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextId_++)), instance_, &control);
    if (!hwnd) return false;
    control.native = hwnd;
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(gdi_.font(control.font)), FALSE);
    return realiseChildren(control, hwnd);
}

bool Win32Backend::realiseChild(Control& control) {
    if (!control.windowed()) {
        invalidate(control);
        return true;
    }
    const HWND parentWindow = control.parent() ? handleOf(*control.parent()) : nullptr;
    if (!parentWindow) return false;
    if (realiseOne(control, parentWindow)) return true;
    forget(control);  // what was made of it goes again
    return false;
}

void Win32Backend::destroy(Form& form) {
    const HWND hwnd = handleOf(form);
    unbind(form);  // first, so that the destruction does not come back to the form
    awaitingPaint_.clear();  // its panels go too; another form's next invalidation is only passed on again
    if (hwnd) dropWindow(hwnd);
}

void Win32Backend::forget(Control& control) {
    if (!control.windowed()) {
        changed(control, control.paintArea());
        return;
    }
    const HWND hwnd = handleOf(control);
    unbind(control);
    awaitingPaint_.erase(hwnd);
    if (hwnd) dropWindow(hwnd);
}

// Nothing is drawn any more into a window that goes, nor into its children.
void Win32Backend::dropWindow(HWND hwnd) {
    std::erase_if(toDraw_, [hwnd](const auto& entry) { return entry.first == hwnd || IsChild(hwnd, entry.first); });
    DestroyWindow(hwnd);
}

// A windowless control changed within `area` of its window. A moving picture
// is drawn when the handler returns to the loop (drawChanges), with nothing
// asked of the system before; anything else waits for the window's paint.
void Win32Backend::changed(const Control& control, const Bounds& area) {
    const HWND host = hostWindow(control);
    if (!host) return;
    RECT client{}, part{};
    GetClientRect(host, &client);
    const RECT r = toRect(area);
    if (!IntersectRect(&part, &r, &client)) return;
    if (control.drawnAtOnce() && drawsDirectly(host)) {
        RECT& due = toDraw_[host];
        due = IsRectEmpty(&due) ? part : bothOf(due, part);
    } else {
        invalidateArea(host, part);
    }
}

// Only where the paint code alone shows the window: a form's own OnPaint
// belongs to its paint, and a window that awaits a paint anyway shows the
// change with it.
bool Win32Backend::drawsDirectly(HWND host) const {
    const Control* control = controlOf(host);
    if (!control || awaitingPaint_.contains(host)) return false;
    const Form* form = control->form();
    return form != control || !form->OnPaint;
}

void Win32Backend::drawChanges() {
    const auto due = std::exchange(toDraw_, {});
    for (const auto& [hwnd, area] : due)
        if (Control* control = controlOf(hwnd); control && !drawNow(*control, hwnd, area)) invalidateArea(hwnd, area);
}

// Draws the area as the window's paint would, through a DC of its own.
bool Win32Backend::drawNow(Control& control, HWND hwnd, const RECT& area) {
    if (!drawsDirectly(hwnd) || !IsWindowVisible(hwnd)) return false;
    const HDC dc = GetDC(hwnd);
    if (!dc) return false;
    const bool clipped = IntersectClipRect(dc, area.left, area.top, area.right, area.bottom) != ERROR;
    if (clipped) paintOn(control, hwnd, dc, area);
    ReleaseDC(hwnd, dc);
    return clipped;
}

// Each invalidation is a round trip to the system (under Wine, to its
// server), so only what the window's next paint would not cover anyway is
// passed on.
void Win32Backend::invalidateArea(HWND host, const RECT& part) {
    RECT& waiting = awaitingPaint_[host];
    if (part.left >= waiting.left && part.top >= waiting.top && part.right <= waiting.right &&
        part.bottom <= waiting.bottom)
        return;
    waiting = IsRectEmpty(&waiting) ? part : bothOf(waiting, part);
    InvalidateRect(host, &part, FALSE);
}

// A hidden windowless control is not painted: a change of it shows nowhere.
void Win32Backend::repaint(const Control& control) {
    if (control.visible()) changed(control, control.paintArea());
}

void Win32Backend::boundsChanged(Control& control, const Bounds& old) {
    if (!control.windowed()) {
        if (!control.visible()) return;
        const Bounds now = control.paintArea();
        changed(control, {old.left, old.top, old.width + now.width - control.width(),
                          old.height + now.height - control.height()});
        changed(control, now);
        return;
    }
    if (const HWND hwnd = handleOf(control)) {
        const Bounds& b = control.bounds();
        SetWindowPos(hwnd, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Win32Backend::visibleChanged(Control& control) {
    if (!control.windowed())
        changed(control, control.paintArea());
    else if (const HWND hwnd = handleOf(control))
        ShowWindow(hwnd, control.visible() ? SW_SHOW : SW_HIDE);
}

void Win32Backend::textChanged(Control& control) {
    if (!control.windowed())
        repaint(control);
    else if (const HWND hwnd = handleOf(control))
        SetWindowTextA(hwnd, control.caption().c_str());
}

void Win32Backend::invalidate(Control& control) {
    if (!control.windowed())
        repaint(control);
    else if (const HWND hwnd = handleOf(control))
        InvalidateRect(hwnd, nullptr, FALSE);
}

void Win32Backend::enabledChanged(Control& control) {
    if (!control.windowed())
        repaint(control);
    else if (const HWND hwnd = handleOf(control))
        EnableWindow(hwnd, control.enabled() ? TRUE : FALSE);
}

namespace {

// Measures with the font selected into a screen DC; nothing when there is no DC.
template <typename F>
bool withScreenFont(HFONT font, F measure) {
    const HDC dc = GetDC(nullptr);
    if (!dc) return false;
    const HGDIOBJ old = SelectObject(dc, font);
    const bool measured = measure(dc);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return measured;
}

}  // namespace

int Win32Backend::textWidth(const Font& font, const std::string& text) {
    SIZE size{};
    const bool measured = withScreenFont(gdi_.font(font), [&](HDC dc) {
        return GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size) != 0;
    });
    return measured ? size.cx : Backend::textWidth(font, text);
}

int Win32Backend::textHeight(const Font& font) {
    TEXTMETRICA metrics{};
    const bool measured = withScreenFont(gdi_.font(font), [&](HDC dc) { return GetTextMetricsA(dc, &metrics) != 0; });
    return measured ? metrics.tmHeight : Backend::textHeight(font);
}

Insets Win32Backend::frame(const Form& form) {
    DWORD style = 0, exStyle = 0;
    if (const HWND hwnd = handleOf(form)) {
        style = static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE));
        exStyle = static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE));
    } else {
        const CreateParams p = defaultCreateParams(form.borderStyle, form.systemMenu);
        style = p.style;
        exStyle = p.exStyle;
    }
    RECT r{0, 0, 0, 0};
    if (!AdjustWindowRectEx(&r, style, FALSE, exStyle)) return Backend::frame(form);
    return {-r.left, -r.top, r.right, r.bottom};
}

Bounds Win32Backend::screen() { return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

int Win32Backend::dpiOf(const Form& form) {
    RECT r{};
    if (!handleOf(form) || !GetWindowRect(handleOf(form), &r)) return primaryDpi();
    return dpiAt({r.left, r.top, r.right - r.left, r.bottom - r.top});
}

void Win32Backend::fontChanged(Control& control) {
    if (const HWND hwnd = handleOf(control))
        SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(gdi_.font(control.font)), TRUE);
    else
        invalidate(control);
}

void Win32Backend::showModal(Form& form) {
    const HWND hwnd = handleOf(form);
    if (!hwnd) return;
    const DisabledWindows others(hwnd);
    const Win32Runner::FilterScope navigation(runner_, [hwnd](MSG& msg) { return IsDialogMessageA(hwnd, &msg) != 0; });
    Application& app = form.application();
    while (form.modalResult == ModalResult::None && form.handleCreated() && !app.terminated())
        if (!runner_.handleOneMessage(app)) runner_.idle(app);
}

}  // namespace tk::win32
