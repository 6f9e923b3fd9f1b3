#pragma once
// Libraries the saver loads itself come from the system folder only: one of
// the same name beside a downloaded saver, in the current directory or on
// the PATH is never loaded.
#include <windows.h>

namespace tk::win32 {

// The system folder's copy of `name`, loaded by its full path; nullptr where
// it is missing. FreeLibrary it when done.
HMODULE loadSystemLibrary(const char* name);

// From here on, libraries the process loads by name (the system's own
// included) are searched for in the system folder only, where the system
// can be told so (Windows 8, and 7 and Vista updated; the current directory
// alone is left out from XP SP1 on). Elsewhere loadSystemLibrary still holds.
void searchSystemFolderOnly();

}  // namespace tk::win32
