// Reports what Windows counts for another process: its GDI objects, USER
// objects and kernel handles, its windows (top-level, message-only and
// child) and its memory. One line of key=value fields; a count the system
// will not give is -1. Some systems (Wine) answer 0 handles instead.
//
//   procstat PID      the process with that Windows process id
//   procstat IMAGE    the first process whose image name is IMAGE (e.g. Morvelux.scr)
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

DWORD processNamed(const char* image) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    DWORD found = 0;
    for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry))
        if (_stricmp(entry.szExeFile, image) == 0) found = entry.th32ProcessID;
    CloseHandle(snapshot);
    return found;
}

DWORD processFrom(const char* argument) {
    char* end = nullptr;
    const unsigned long id = std::strtoul(argument, &end, 0);
    return *end == '\0' ? static_cast<DWORD>(id) : processNamed(argument);
}

// GetGuiResources answers 0 both for "none" and for "cannot tell"; only
// GetLastError tells the two apart.
long long guiCount(HANDLE process, DWORD kind) {
    SetLastError(ERROR_SUCCESS);
    const DWORD count = GetGuiResources(process, kind);
    return count == 0 && GetLastError() != ERROR_SUCCESS ? -1 : static_cast<long long>(count);
}

long long handleCount(HANDLE process) {
    DWORD count = 0;
    return GetProcessHandleCount(process, &count) ? static_cast<long long>(count) : -1;
}

struct WindowCount {
    DWORD process;
    long long count = 0;
};

BOOL CALLBACK countChild(HWND, LPARAM data) {
    ++reinterpret_cast<WindowCount*>(data)->count;
    return TRUE;
}

void countIfOwned(HWND window, WindowCount& windows) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != windows.process) return;
    ++windows.count;
    EnumChildWindows(window, countChild, reinterpret_cast<LPARAM>(&windows));
}

BOOL CALLBACK countTopLevel(HWND window, LPARAM data) {
    countIfOwned(window, *reinterpret_cast<WindowCount*>(data));
    return TRUE;
}

// Windows are the USER objects every system lets us count from outside.
long long windowCount(DWORD process) {
    WindowCount windows{process};
    EnumWindows(countTopLevel, reinterpret_cast<LPARAM>(&windows));
    for (HWND w = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
         w = FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr))
        countIfOwned(w, windows);
    return windows.count;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: procstat PID|IMAGE\n");
        return 2;
    }
    const DWORD id = processFrom(argv[1]);
    HANDLE process = id ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id) : nullptr;
    if (!process) {
        std::printf("error=no-process target=%s\n", argv[1]);
        return 1;
    }
    PROCESS_MEMORY_COUNTERS memory{};
    const bool haveMemory = GetProcessMemoryInfo(process, &memory, sizeof memory);
    std::printf("pid=%lu gdi=%lld user=%lld handles=%lld windows=%lld workingset=%lld private=%lld\n",
                static_cast<unsigned long>(id), guiCount(process, GR_GDIOBJECTS), guiCount(process, GR_USEROBJECTS),
                handleCount(process), windowCount(id), haveMemory ? static_cast<long long>(memory.WorkingSetSize) : -1LL,
                haveMemory ? static_cast<long long>(memory.PagefileUsage) : -1LL);
    CloseHandle(process);
    return 0;
}
