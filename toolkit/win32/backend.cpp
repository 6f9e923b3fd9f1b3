// Realising forms and their controls as windows, and keeping the windows in
// step with the controls' properties.
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <map>
#include <unordered_map>
#include <vector>

#include "toolkit/win32/internal.h"
#include "toolkit/win32/win32_backend.h"

namespace tk::win32 {
namespace {

HINSTANCE instance = nullptr;
HWND appWindow = nullptr;
std::unordered_map<HWND, WindowEntry> windows;
int nextId = 100;  // clear of IDOK and IDCANCEL, which the dialog manager sends

constexpr wchar_t kPanelClass[] = L"MorveluxPanel";
constexpr wchar_t kApplicationClass[] = L"MorveluxApplication";

// One window class per distinct class style, as forms may ask for their own.
const wchar_t* formClass(UINT classStyle) {
    static std::map<UINT, std::wstring> registered;
    const auto found = registered.find(classStyle);
    if (found != registered.end()) return found->second.c_str();
    std::wstring name = L"MorveluxForm" + std::to_wstring(classStyle);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = classStyle;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.lpszClassName = name.c_str();
    RegisterClassExW(&wc);
    return registered.emplace(classStyle, std::move(name)).first->second.c_str();
}

void registerFixedClasses() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.lpszClassName = kPanelClass;
    RegisterClassExW(&wc);
    wc.style = 0;
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = kApplicationClass;
    RegisterClassExW(&wc);
}

void attach(Control& control, HWND hwnd, int id) {
    control.native = hwnd;
    windows[hwnd] = WindowEntry{&control, id};
}

// Forgets the windows of a control and its descendants (they are going or gone).
void detach(Control& control) {
    for (Control* child : control.children()) detach(*child);
    if (control.native) windows.erase(static_cast<HWND>(control.native));
    control.native = nullptr;
}

struct ChildWindow {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

ChildWindow childWindowFor(const Control& control) {
    constexpr DWORD kChild = WS_CHILD | WS_CLIPSIBLINGS;
    if (const auto* button = dynamic_cast<const Button*>(&control))
        return {L"BUTTON", kChild | WS_TABSTOP | (button->isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0};
    if (const auto* edit = dynamic_cast<const Edit*>(&control))
        return {L"EDIT", kChild | WS_TABSTOP | ES_AUTOHSCROLL | (edit->readOnly ? ES_READONLY : 0),
                edit->border ? static_cast<DWORD>(WS_EX_CLIENTEDGE) : 0};
    return {kPanelClass, kChild | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
}

void realiseChildren(Control& parent, HWND parentWindow) {
    for (Control* child : parent.children()) {
        if (!child->windowed()) continue;
        const ChildWindow kind = childWindowFor(*child);
        DWORD style = kind.style;
        if (child->visible()) style |= WS_VISIBLE;
        if (!child->enabled()) style |= WS_DISABLED;
        const int id = nextId++;
        const Bounds& b = child->bounds();
        const HWND hwnd = CreateWindowExW(kind.exStyle, kind.className, widen(child->caption()).c_str(), style, b.left,
                                          b.top, b.width, b.height, parentWindow,
                                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        if (!hwnd) continue;
        attach(*child, hwnd, id);
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(child->font)), FALSE);
        realiseChildren(*child, hwnd);
    }
}

void invalidateWindowless(const Control& control, RECT area) {
    const HWND host = hostWindow(control);
    if (host) InvalidateRect(host, &area, FALSE);
}

class Win32Backend : public Backend {
public:
    void realise(Form& form, const CreateParams& p) override {
        const HWND owner = p.parentWindow ? reinterpret_cast<HWND>(p.parentWindow) : appWindow;
        // Shown only after OnCreate has run, even with a visible style.
        const DWORD style = p.style & ~static_cast<DWORD>(WS_VISIBLE);
        const HWND hwnd = CreateWindowExW(p.exStyle, formClass(p.classStyle), widen(form.caption()).c_str(), style, p.x,
                                          p.y, p.width, p.height, owner, nullptr, instance, nullptr);
        if (!hwnd) return;
        attach(form, hwnd, 0);
        realiseChildren(form, hwnd);
    }

    void destroy(Form& form) override {
        const HWND hwnd = handleOf(form);
        const WindowEntry* entry = entryOf(hwnd);
        const bool dying = entry && entry->dying;
        detach(form);
        if (hwnd && !dying) DestroyWindow(hwnd);
    }

    void forget(Control& control) override {
        if (!control.windowed()) {
            invalidateWindowless(control, windowlessArea(control));
            return;
        }
        const HWND hwnd = handleOf(control);
        const WindowEntry* entry = entryOf(hwnd);
        const bool dying = entry && entry->dying;
        detach(control);
        if (hwnd && !dying) DestroyWindow(hwnd);
    }

    void boundsChanged(Control& control, const Bounds& old) override {
        if (!control.windowed()) {
            RECT before = windowlessArea(control);
            OffsetRect(&before, old.left - control.left(), old.top - control.top());
            before.right += old.width - control.width();
            before.bottom += old.height - control.height();
            invalidateWindowless(control, before);
            invalidateWindowless(control, windowlessArea(control));
            return;
        }
        if (const HWND hwnd = handleOf(control)) {
            const Bounds& b = control.bounds();
            SetWindowPos(hwnd, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }

    void visibleChanged(Control& control) override {
        if (!control.windowed()) {
            invalidateWindowless(control, windowlessArea(control));
        } else if (const HWND hwnd = handleOf(control)) {
            ShowWindow(hwnd, control.visible() ? SW_SHOW : SW_HIDE);
        }
    }

    void textChanged(Control& control) override {
        if (!control.windowed())
            invalidateWindowless(control, windowlessArea(control));
        else if (const HWND hwnd = handleOf(control))
            SetWindowTextW(hwnd, widen(control.caption()).c_str());
    }

    void invalidate(Control& control) override {
        if (!control.windowed())
            invalidateWindowless(control, windowlessArea(control));
        else if (const HWND hwnd = handleOf(control))
            InvalidateRect(hwnd, nullptr, FALSE);
    }

    void enabledChanged(Control& control) override {
        if (!control.windowed())
            invalidateWindowless(control, windowlessArea(control));
        else if (const HWND hwnd = handleOf(control))
            EnableWindow(hwnd, control.enabled() ? TRUE : FALSE);
    }

    int textWidth(const Font& font, const std::string& text) override {
        const std::wstring wide = widen(text);
        SIZE size{};
        withScreenFont(font, [&](HDC dc) { GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size); });
        return size.cx;
    }

    int textHeight(const Font& font) override {
        TEXTMETRICW metrics{};
        withScreenFont(font, [&](HDC dc) { GetTextMetricsW(dc, &metrics); });
        return metrics.tmHeight;
    }

    Insets frame(const Form& form) override {
        DWORD style = 0, exStyle = 0;
        if (const HWND hwnd = handleOf(form)) {
            style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
            exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
        } else {
            const CreateParams p = defaultCreateParams(form.borderStyle, form.systemMenu);
            style = p.style;
            exStyle = p.exStyle;
        }
        RECT r{0, 0, 0, 0};
        AdjustWindowRectEx(&r, style, FALSE, exStyle);
        return {-r.left, -r.top, r.right, r.bottom};
    }

    Bounds screen() override { return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

    void showModal(Form& form) override;

    Canvas& canvas(Form& form) override { return canvasOf(handleOf(form)); }

private:
    template <typename F>
    static void withScreenFont(const Font& font, F measure) {
        const HDC dc = GetDC(nullptr);
        const HGDIOBJ old = SelectObject(dc, fontFor(font));
        measure(dc);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
    }
};

// The other windows of this thread are disabled while a modal form runs.
struct DisabledWindows {
    HWND modal;
    std::vector<HWND> disabled;
    static BOOL CALLBACK visit(HWND hwnd, LPARAM self) {
        auto* me = reinterpret_cast<DisabledWindows*>(self);
        if (hwnd != me->modal && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
            EnableWindow(hwnd, FALSE);
            me->disabled.push_back(hwnd);
        }
        return TRUE;
    }
    explicit DisabledWindows(HWND m) : modal(m) {
        EnumThreadWindows(GetCurrentThreadId(), visit, reinterpret_cast<LPARAM>(this));
    }
    ~DisabledWindows() {
        for (HWND hwnd : disabled)
            if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
    }
    DisabledWindows(const DisabledWindows&) = delete;
    DisabledWindows& operator=(const DisabledWindows&) = delete;
};

void Win32Backend::showModal(Form& form) {
    const HWND hwnd = handleOf(form);
    if (!hwnd) return;
    const DisabledWindows others(hwnd);
    Application& app = application();
    while (form.modalResult == ModalResult::None && form.handleCreated() && !app.terminated)
        if (!handleOneMessage(hwnd)) idle(app);
}

Win32Backend theBackend;

}  // namespace

WindowEntry* entryOf(HWND hwnd) {
    if (!hwnd) return nullptr;
    const auto found = windows.find(hwnd);
    return found == windows.end() ? nullptr : &found->second;
}

Control* controlOf(HWND hwnd) {
    const WindowEntry* entry = entryOf(hwnd);
    return entry ? entry->control : nullptr;
}

HWND handleOf(const Control& control) { return static_cast<HWND>(control.native); }

HWND hostWindow(const Control& control) {
    for (const Control* c = control.parent(); c; c = c->parent())
        if (c->windowed()) return handleOf(*c);
    return nullptr;
}

Form* asForm(Control* control) { return dynamic_cast<Form*>(control); }

HWND applicationWindow() { return appWindow; }

void install(HINSTANCE inst) {
    if (appWindow) return;
    instance = inst;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    registerFixedClasses();
    appWindow = CreateWindowExW(0, kApplicationClass, widen(application().title).c_str(),
                                WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0,
                                nullptr, nullptr, instance, nullptr);
    setBackend(&theBackend);
    installRunner();
}

}  // namespace tk::win32
