// Holds a file open as the Screen Saver settings hold the saver whose preview
// they show: reading, and sharing reading only, so no one may write, replace
// or delete it. Prints "held" once it has the file and keeps it until killed.
//
//   file_holder.exe PATH
#include <windows.h>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const HANDLE file =
        CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "held\n", 5, &written, nullptr);
    Sleep(INFINITE);
    return 0;
}
