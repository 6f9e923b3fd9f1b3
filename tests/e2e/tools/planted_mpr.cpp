// A stand-in "MPR.DLL" planted beside the saver and in its current
// directory: loading it at all writes the marker file named by
// MORVELUX_PLANTED_MARKER, so a test can tell that the saver took it.
#include <windows.h>

namespace {

void leaveMarker() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"MORVELUX_PLANTED_MARKER", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    const HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, "loaded\n", 7, &written, nullptr);
    CloseHandle(file);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) leaveMarker();
    return TRUE;
}

extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR, HWND, DWORD, DWORD) {
    leaveMarker();
    return 0;
}
