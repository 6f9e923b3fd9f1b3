// A plain top-level window that takes the foreground and reports, one line at
// a time, whether it is enabled and whether it is the foreground window, so
// a test can watch what another program does to the window it found there.
// Ends on Esc, on a close request, or on a "quit" line on its input.
#include "e2e_tool.h"

namespace {

HWND probe = nullptr;
COLORREF colour = RGB(0x20, 0x80, 0xC0);
int lastEnabled = -1;
int lastForeground = -1;

void report() {
    int enabled = IsWindowEnabled(probe) ? 1 : 0;
    int foreground = GetForegroundWindow() == probe ? 1 : 0;
    if (enabled != lastEnabled) e2e::say("enabled %d", enabled);
    if (foreground != lastForeground) e2e::say("foreground %d", foreground);
    lastEnabled = enabled;
    lastForeground = foreground;
}

LRESULT CALLBACK probeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(window, &client);
        e2e::fill(reinterpret_cast<HDC>(wParam), client, colour);
        return 1;
    }
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_ENABLE:
    case WM_TIMER:
        report();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

DWORD WINAPI readCommands(void*) {
    char buffer[256];
    std::string pending;
    DWORD got = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        pending.append(buffer, got);
        if (pending.find("quit") != std::string::npos) {
            PostMessageA(probe, WM_CLOSE, 0, 0);
            break;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const char* title = e2e::option(argc, argv, "--title");
    if (const char* hex = e2e::option(argc, argv, "--colour")) colour = e2e::colourFrom(hex);
    int x = e2e::optionInt(argc, argv, "--x", 40), y = e2e::optionInt(argc, argv, "--y", 40);
    int width = e2e::optionInt(argc, argv, "--width", 320), height = e2e::optionInt(argc, argv, "--height", 200);

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = probeProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    windowClass.lpszClassName = "MorveluxForegroundProbe";
    RegisterClassA(&windowClass);
    probe = CreateWindowExA(0, windowClass.lpszClassName, title ? title : "Foreground Probe",
                            WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, x, y, width, height, nullptr, nullptr,
                            windowClass.hInstance, nullptr);
    if (!probe) return 1;
    ShowWindow(probe, SW_SHOW);
    UpdateWindow(probe);
    SetForegroundWindow(probe);
    e2e::say("hwnd %llu", e2e::handleNumber(probe));
    report();
    SetTimer(probe, 1, 10, nullptr);
    CloseHandle(CreateThread(nullptr, 0, readCommands, nullptr, 0, nullptr));

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    e2e::say("closed");
    return 0;
}
