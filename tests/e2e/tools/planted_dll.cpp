// A stand-in for a system DLL ("MPR.DLL", "shcore.dll") that writes what
// happens to it, a line each, to the file named by MORVELUX_PLANTED_MARKER:
// "loaded from PATH", the password-change call with its arguments, and how
// it was unloaded. Planted beside the saver it shows whether a careless
// library search takes it; put in the system folder as MPR.DLL it stands for
// the password provider.
#include <windows.h>

#include <cstdint>
#include <cstdio>

namespace {

void record(const char* line) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"MORVELUX_PLANTED_MARKER", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    const HANDLE file = CreateFileW(path, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(lstrlenA(line)), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

// The reserved argument of a detach is NULL only when FreeLibrary unloads the
// DLL; at process exit it is not.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH] = "?";
        GetModuleFileNameA(instance, path, MAX_PATH);
        char line[MAX_PATH + 16];
        std::snprintf(line, sizeof line, "loaded from %s\n", path);
        record(line);
    }
    if (reason == DLL_PROCESS_DETACH) record(reserved ? "unloaded at process exit\n" : "freed\n");
    return TRUE;
}

extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD reserved1,
                                                                  DWORD reserved2) {
    char line[512];
    std::snprintf(line, sizeof line, "called provider=%s owner=%lld reserved=%lu,%lu\n",
                  provider ? provider : "(null)",
                  static_cast<long long>(reinterpret_cast<std::intptr_t>(owner)),
                  static_cast<unsigned long>(reserved1), static_cast<unsigned long>(reserved2));
    record(line);
    return 0;
}
