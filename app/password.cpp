#include "app/password.h"

#include <windows.h>

#include <string>

#include "toolkit/win32/system_function.h"

namespace morvelux {

namespace {

using PwdChangePassword = DWORD(WINAPI*)(LPCSTR provider, HWND owner, DWORD reserved1, DWORD reserved2);

// Only the system directory's copy: a "MPR.DLL" planted beside the saver or
// in the current directory must never be loaded.
std::string systemLibraryPath(const char* name) {
    char directory[MAX_PATH];
    const UINT length = GetSystemDirectoryA(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    std::string path(directory, length);
    if (path.back() != '\\') path += '\\';
    return path + name;
}

}  // namespace

void changeSaverPassword(std::int32_t owner) {
    const std::string path = systemLibraryPath("MPR.DLL");
    if (path.empty()) return;
    const HMODULE library = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!library) return;
    const auto change = tk::win32::functionOf<PwdChangePassword>(library, "PwdChangePasswordA");
    if (change) change("SCRSAVE", reinterpret_cast<HWND>(static_cast<std::intptr_t>(owner)), 0, 0);
    FreeLibrary(library);
}

}  // namespace morvelux
