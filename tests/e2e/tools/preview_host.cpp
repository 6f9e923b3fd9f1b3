// Stands in for the display control panel: a window with a preview area of
// 152 x 112 pixels (or --size WxH) into which it starts the saver with
// "/p <area handle>", then, on the schedule given, closes the saver's window,
// destroys the area under it or walks away, and reports the saver's exit code.
//
//   preview_host SAVER [--size WxH] [--close-after MS] [--destroy-after MS]
//                      [--exit-after MS] [--wait MS]
// Exit code: 0 when the saver ended and its code was reported, 2 when it
// was still running after --wait (it is left running for the test to see).
#include "e2e_tool.h"

namespace {

const COLORREF kAreaColour = RGB(0xFF, 0x00, 0xFF);  // any of it left showing is uncovered area

LRESULT CALLBACK areaProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) {
        RECT client;
        GetClientRect(window, &client);
        e2e::fill(reinterpret_cast<HDC>(wParam), client, kAreaColour);
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND makeWindows(int areaWidth, int areaHeight, HWND& area) {
    WNDCLASSA areaClass{};
    areaClass.lpfnWndProc = areaProc;
    areaClass.hInstance = GetModuleHandleA(nullptr);
    areaClass.lpszClassName = "MorveluxPreviewArea";
    RegisterClassA(&areaClass);
    WNDCLASSA hostClass = areaClass;
    hostClass.lpfnWndProc = DefWindowProcA;
    hostClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    hostClass.lpszClassName = "MorveluxPreviewHost";
    RegisterClassA(&hostClass);

    RECT frame{0, 0, areaWidth + 48, areaHeight + 48};
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    AdjustWindowRect(&frame, style, FALSE);
    HWND host = CreateWindowExA(0, hostClass.lpszClassName, "Preview Host", style, 60, 60, frame.right - frame.left,
                                frame.bottom - frame.top, nullptr, nullptr, hostClass.hInstance, nullptr);
    area = CreateWindowExA(0, areaClass.lpszClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 24, 24, areaWidth,
                           areaHeight, host, nullptr, areaClass.hInstance, nullptr);
    ShowWindow(host, SW_SHOW);
    UpdateWindow(host);
    return host;
}

bool startSaver(const char* saver, HWND area, PROCESS_INFORMATION& process) {
    char commandLine[1024];
    snprintf(commandLine, sizeof commandLine, "\"%s\" /p %llu", saver, e2e::handleNumber(area));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
}

// Reports the saver's window when it appears and again whenever its
// rectangle or style change (it is made before it is sized and shown).
void reportSaverWindow(HWND area, std::string& seen) {
    HWND child = GetWindow(area, GW_CHILD);
    if (!child) return;
    RECT rect;
    GetWindowRect(child, &rect);
    char line[256];
    snprintf(line, sizeof line, "saver window hwnd=%llu rect=%ld,%ld,%ld,%ld style=0x%08lX classstyle=0x%08lX",
             e2e::handleNumber(child), rect.left, rect.top, rect.right, rect.bottom,
             static_cast<unsigned long>(GetWindowLongA(child, GWL_STYLE)),
             static_cast<unsigned long>(GetClassLongPtrA(child, GCL_STYLE)));
    if (seen == line) return;
    seen = line;
    e2e::say("%s", line);
}

struct Schedule {
    int closeAfter, destroyAfter, exitAfter, wait;
};

void pumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int run(const Schedule& schedule, HWND host, HWND area, HANDLE saver) {
    DWORD start = GetTickCount();
    std::string seen;
    bool closed = false, destroyed = false;
    for (;;) {
        if (MsgWaitForMultipleObjects(1, &saver, FALSE, 10, QS_ALLINPUT) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(saver, &code);
            e2e::say("saver ended at %d ms", static_cast<int>(GetTickCount() - start));
            e2e::say("saver exit code %lu", code);
            return 0;
        }
        pumpMessages();
        int elapsed = static_cast<int>(GetTickCount() - start);
        if (!destroyed) reportSaverWindow(area, seen);
        if (!closed && schedule.closeAfter >= 0 && elapsed >= schedule.closeAfter) {
            closed = true;
            HWND child = destroyed ? nullptr : GetWindow(area, GW_CHILD);
            if (child) {
                PostMessageA(child, WM_CLOSE, 0, 0);
                e2e::say("sent WM_CLOSE to %llu at %d ms", e2e::handleNumber(child), elapsed);
            } else {
                e2e::say("no saver window to close");
            }
        }
        if (!destroyed && schedule.destroyAfter >= 0 && elapsed >= schedule.destroyAfter) {
            destroyed = true;
            DestroyWindow(host);
            e2e::say("destroyed host window at %d ms", elapsed);
        }
        if (schedule.exitAfter >= 0 && elapsed >= schedule.exitAfter) {
            e2e::say("host exiting at %d ms", elapsed);
            ExitProcess(0);
        }
        if (elapsed >= schedule.wait) {
            e2e::say("saver still running after %d ms", elapsed);
            return 2;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        e2e::say("usage: preview_host SAVER [--size WxH] [--close-after MS] [--destroy-after MS] [--exit-after MS] "
                 "[--wait MS]");
        return 3;
    }
    int width = 152, height = 112;
    if (const char* size = e2e::option(argc, argv, "--size")) sscanf(size, "%dx%d", &width, &height);
    Schedule schedule{e2e::optionInt(argc, argv, "--close-after", -1), e2e::optionInt(argc, argv, "--destroy-after", -1),
                      e2e::optionInt(argc, argv, "--exit-after", -1), e2e::optionInt(argc, argv, "--wait", 10000)};

    HWND area = nullptr;
    HWND host = makeWindows(width, height, area);
    RECT rect;
    GetWindowRect(area, &rect);
    e2e::say("host hwnd=%llu area=%llu rect=%ld,%ld,%ld,%ld", e2e::handleNumber(host), e2e::handleNumber(area),
             rect.left, rect.top, rect.right, rect.bottom);
    PROCESS_INFORMATION saver{};
    if (!startSaver(argv[1], area, saver)) {
        e2e::say("cannot start %s: error %lu", argv[1], GetLastError());
        return 3;
    }
    e2e::say("saver started pid=%lu", saver.dwProcessId);
    int result = run(schedule, host, area, saver.hProcess);
    CloseHandle(saver.hThread);
    CloseHandle(saver.hProcess);
    return result;
}
