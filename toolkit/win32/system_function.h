#pragma once
// Calls that not every Windows the saver runs on has are looked up by name
// at run time, never imported: the loader would refuse the whole program
// where one is missing.
#include <windows.h>

namespace tk::win32 {

// The function `name` of `module` as a pointer of type F; nullptr where the
// module or the function is missing.
template <typename F>
F functionOf(HMODULE module, const char* name) {
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// The same from a DLL the process has loaded already (user32, imm32).
template <typename F>
F loadedFunction(const char* dll, const char* name) {
    return functionOf<F>(GetModuleHandleA(dll), name);
}

}  // namespace tk::win32
