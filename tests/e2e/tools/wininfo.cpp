// Reports what Win32 knows of windows that X cannot tell: exact window and
// client rectangles, styles, owner, enabled state, and the child controls
// with their classes and texts. One line a window, key=value fields.
//
//   wininfo screen                      screen size and system colours
//   wininfo find TITLE [--wait MS]      visible top-level windows with that title
//   wininfo hwnd NUMBER                 one window
//   wininfo foreground                  the foreground window
//   wininfo text FACE HEIGHT WEIGHT CHARSET TEXT
//                                       the extent of TEXT in that font (height as
//                                       CreateFont takes it) and the face Wine chose
//   wininfo send HWND MSG WPARAM LPARAM sends a message (numbers in C notation) and
//                                       prints the window's answer
//   wininfo post HWND MSG WPARAM LPARAM posts a message, as the system posts its notices
//   wininfo monitors                    the virtual screen, this program's DPI awareness
//                                       (-1 unknown, 0 unaware, 1 system, 2 per monitor)
//                                       and every monitor: rectangle, work area, primary
//                                       flag, DPI
#include <vector>

#include "e2e_tool.h"

namespace {

std::string hex(COLORREF colour) {
    char text[8];
    snprintf(text, sizeof text, "%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

// The text the control shows: GetWindowText of another program's window
// gives only its caption as created, not what an Edit was set to since.
std::string textOf(HWND window) {
    char text[512] = "";
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 500,
                             &copied))
        GetWindowTextA(window, text, sizeof text);
    return e2e::quoted(text);
}

std::string classOf(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return e2e::quoted(name);
}

void describeTop(HWND window) {
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    e2e::say("window hwnd=%llu pid=%lu class=%s title=%s rect=%ld,%ld,%ld,%ld client=%ld,%ld origin=%ld,%ld "
             "style=0x%08lX exstyle=0x%08lX classstyle=0x%08lX visible=%d enabled=%d owner=%llu parent=%llu "
             "foreground=%d",
             e2e::handleNumber(window), pid, classOf(window).c_str(), textOf(window).c_str(), outer.left,
             outer.top, outer.right, outer.bottom, client.right, client.bottom, origin.x, origin.y,
             static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)),
             static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE)),
             static_cast<unsigned long>(GetClassLongPtrA(window, GCL_STYLE)), IsWindowVisible(window) ? 1 : 0,
             IsWindowEnabled(window) ? 1 : 0, e2e::handleNumber(GetWindow(window, GW_OWNER)),
             e2e::handleNumber(GetAncestor(window, GA_PARENT)), GetForegroundWindow() == window ? 1 : 0);
}

BOOL CALLBACK describeChild(HWND child, LPARAM top) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, reinterpret_cast<HWND>(top), reinterpret_cast<POINT*>(&rect), 2);
    e2e::say("child hwnd=%llu parent=%llu class=%s text=%s rect=%ld,%ld,%ld,%ld style=0x%08lX classstyle=0x%08lX "
             "visible=%d enabled=%d checked=%d",
             e2e::handleNumber(child), e2e::handleNumber(GetParent(child)), classOf(child).c_str(),
             textOf(child).c_str(), rect.left, rect.top, rect.right, rect.bottom,
             static_cast<unsigned long>(GetWindowLongA(child, GWL_STYLE)),
             static_cast<unsigned long>(GetClassLongPtrA(child, GCL_STYLE)), IsWindowVisible(child) ? 1 : 0,
             IsWindowEnabled(child) ? 1 : 0, SendMessageA(child, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
    return TRUE;
}

void describe(HWND window) {
    describeTop(window);
    EnumChildWindows(window, describeChild, reinterpret_cast<LPARAM>(window));
}

struct Search {
    const char* title;
    std::vector<HWND> found;
};

BOOL CALLBACK collect(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    if (IsWindowVisible(window) && std::strcmp(text, search->title) == 0) search->found.push_back(window);
    return TRUE;
}

int find(const char* title, int waitMs) {
    DWORD start = GetTickCount();
    for (;;) {
        Search search{title, {}};
        EnumWindows(collect, reinterpret_cast<LPARAM>(&search));
        if (!search.found.empty()) {
            for (HWND window : search.found) describe(window);
            return 0;
        }
        if (static_cast<int>(GetTickCount() - start) >= waitMs) return 1;
        Sleep(20);
    }
}

int screen() {
    e2e::say("screen width=%d height=%d btnface=%s btntext=%s windowtext=%s window=%s highlight=%s",
             GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), hex(GetSysColor(COLOR_BTNFACE)).c_str(),
             hex(GetSysColor(COLOR_BTNTEXT)).c_str(), hex(GetSysColor(COLOR_WINDOWTEXT)).c_str(),
             hex(GetSysColor(COLOR_WINDOW)).c_str(), hex(GetSysColor(COLOR_BTNHIGHLIGHT)).c_str());
    return 0;
}

int textExtent(char** argv) {
    HDC screenDc = GetDC(nullptr);
    HFONT font = CreateFontA(e2e::intFrom(argv[3]), 0, 0, 0, e2e::intFrom(argv[4]), FALSE, FALSE, FALSE,
                             static_cast<DWORD>(e2e::intFrom(argv[5])), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH, argv[2]);
    HGDIOBJ previous = SelectObject(screenDc, font);
    SIZE extent{};
    GetTextExtentPoint32A(screenDc, argv[6], static_cast<int>(std::strlen(argv[6])), &extent);
    char face[LF_FACESIZE] = "";
    GetTextFaceA(screenDc, sizeof face, face);
    SelectObject(screenDc, previous);
    DeleteObject(font);
    ReleaseDC(nullptr, screenDc);
    e2e::say("text width=%ld height=%ld face=%s", extent.cx, extent.cy, e2e::quoted(face).c_str());
    return 0;
}

// The monitor's effective DPI where the system can tell (Windows 8.1 on),
// otherwise the screen's logical DPI, which all monitors share.
UINT monitorDpi(HMONITOR monitor, const char** source) {
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    HMODULE shcore = LoadLibraryA("shcore.dll");
    auto getDpi = shcore ? reinterpret_cast<GetDpiForMonitorFn>(
                               reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                         : nullptr;
    UINT x = 0, y = 0;
    const bool known = getDpi && SUCCEEDED(getDpi(monitor, 0 /* MDT_EFFECTIVE_DPI */, &x, &y));
    if (shcore) FreeLibrary(shcore);
    if (known) {
        *source = "monitor";
        return x;
    }
    HDC screenDc = GetDC(nullptr);
    x = static_cast<UINT>(GetDeviceCaps(screenDc, LOGPIXELSX));
    ReleaseDC(nullptr, screenDc);
    *source = "screen";
    return x;
}

BOOL CALLBACK describeMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM index) {
    MONITORINFOEXA info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info)) return TRUE;
    const char* source = "";
    const UINT dpi = monitorDpi(monitor, &source);
    const RECT& r = info.rcMonitor;
    const RECT& w = info.rcWork;
    e2e::say("monitor index=%d device=%s rect=%ld,%ld,%ld,%ld work=%ld,%ld,%ld,%ld primary=%d dpi=%u dpisource=%s",
             (*reinterpret_cast<int*>(index))++, e2e::quoted(info.szDevice).c_str(), r.left, r.top, r.right,
             r.bottom, w.left, w.top, w.right, w.bottom, (info.dwFlags & MONITORINFOF_PRIMARY) ? 1 : 0, dpi, source);
    return TRUE;
}

// What a DPI-unaware program sees may be scaled; the tests want to know.
int dpiAwareness() {
    using GetContextFn = HANDLE(WINAPI*)();
    using AwarenessFn = int(WINAPI*)(HANDLE);
    HMODULE user32 = GetModuleHandleA("user32.dll");
    auto getContext = reinterpret_cast<GetContextFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
    auto awarenessOf = reinterpret_cast<AwarenessFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    return getContext && awarenessOf ? awarenessOf(getContext()) : -1;
}

int monitors() {
    e2e::say("virtual rect=%d,%d,%d,%d count=%d awareness=%d", GetSystemMetrics(SM_XVIRTUALSCREEN),
             GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN),
             GetSystemMetrics(SM_CYVIRTUALSCREEN), GetSystemMetrics(SM_CMONITORS), dpiAwareness());
    int index = 0;
    return EnumDisplayMonitors(nullptr, nullptr, describeMonitor, reinterpret_cast<LPARAM>(&index)) ? 0 : 1;
}

struct MessageArgs {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

MessageArgs messageArgs(char** argv) {
    return {e2e::handleFrom(argv[2]), static_cast<UINT>(std::strtoul(argv[3], nullptr, 0)),
            static_cast<WPARAM>(std::strtoull(argv[4], nullptr, 0)),
            static_cast<LPARAM>(std::strtoll(argv[5], nullptr, 0))};
}

int send(char** argv) {
    const MessageArgs m = messageArgs(argv);
    if (!IsWindow(m.window)) return 1;
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(m.window, m.message, m.wParam, m.lParam, SMTO_ABORTIFHUNG, 5000, &answer)) {
        e2e::say("sent result=none error=%lu", GetLastError());
        return 1;
    }
    e2e::say("sent result=%lld", static_cast<long long>(answer));
    return 0;
}

int post(char** argv) {
    const MessageArgs m = messageArgs(argv);
    if (!IsWindow(m.window) || !PostMessageA(m.window, m.message, m.wParam, m.lParam)) return 1;
    e2e::say("posted");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::string command = argv[1];
    if (command == "screen") return screen();
    if (command == "monitors") return monitors();
    if (command == "find" && argc >= 3) return find(argv[2], e2e::optionInt(argc, argv, "--wait", 0));
    if (command == "text" && argc >= 7) return textExtent(argv);
    if (command == "send" && argc >= 6) return send(argv);
    if (command == "post" && argc >= 6) return post(argv);
    if (command == "foreground") {
        HWND window = GetForegroundWindow();
        if (!window) return 1;
        describe(window);
        return 0;
    }
    if (command == "hwnd" && argc >= 3) {
        HWND window = e2e::handleFrom(argv[2]);
        if (!IsWindow(window)) return 1;
        describe(window);
        return 0;
    }
    return 2;
}
