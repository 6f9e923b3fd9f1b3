#include "app/password.h"

#include <windows.h>

#include "toolkit/win32/system_function.h"
#include "toolkit/win32/system_library.h"

namespace morvelux {

namespace {

using PwdChangePassword = DWORD(WINAPI*)(LPCSTR provider, HWND owner, DWORD reserved1, DWORD reserved2);

}  // namespace

void changeSaverPassword(std::int32_t owner) {
    const HMODULE library = tk::win32::loadSystemLibrary("MPR.DLL");
    if (!library) return;
    const auto change = tk::win32::functionOf<PwdChangePassword>(library, "PwdChangePasswordA");
    if (change) change("SCRSAVE", reinterpret_cast<HWND>(static_cast<std::intptr_t>(owner)), 0, 0);
    FreeLibrary(library);
}

}  // namespace morvelux
