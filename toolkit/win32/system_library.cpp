#include "toolkit/win32/system_library.h"

#include <string>

#include "toolkit/win32/system_function.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace tk::win32 {

namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCSTR);

}  // namespace

HMODULE loadSystemLibrary(const char* name) {
    char directory[MAX_PATH];
    const UINT length = GetSystemDirectoryA(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    std::string path(directory, length);
    if (path.back() != '\\') path += '\\';
    path += name;
    // The altered search looks for the library's own imports beside it, in
    // the system folder, before anywhere else.
    return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// Either call may be missing or refused; each protects what it can alone.
void searchSystemFolderOnly() {
    if (const auto setDefault = loadedFunction<SetDefaultDllDirectoriesFunction>("kernel32.dll",
                                                                                 "SetDefaultDllDirectories"))
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (const auto setDirectory = loadedFunction<SetDllDirectoryFunction>("kernel32.dll", "SetDllDirectoryA"))
        setDirectory("");
}

}  // namespace tk::win32
