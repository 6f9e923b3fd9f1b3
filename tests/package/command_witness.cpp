// Stands in for a program the setup starts (the Control Panel, which Wine
// cannot keep open on the Screen Saver settings): adds its command line to
// the file MORVELUX_WITNESS names, and ends.
//
//   MORVELUX_WITNESS=C:\log.txt command_witness.exe ARGS...
#include <windows.h>

#include <cstdio>

int main() {
    char path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("MORVELUX_WITNESS", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 2;
    FILE* log = std::fopen(path, "a");
    if (!log) return 1;
    std::fprintf(log, "%s\n", GetCommandLineA());
    return std::fclose(log) == 0 ? 0 : 1;
}
