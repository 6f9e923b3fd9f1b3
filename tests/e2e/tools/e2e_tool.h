#pragma once
// Shared bits of the small Win32 programs the end-to-end tests drive: line
// output that reaches a Unix pipe under Wine, and argument reading.
#include <windows.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace e2e {

// Unbuffered, so a test reading the pipe sees each line as it happens.
__attribute__((format(printf, 1, 2))) inline void say(const char* format, ...) {
    char line[2048];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(line, sizeof line - 1, format, args);
    va_end(args);
    if (n < 0) return;
    if (n > static_cast<int>(sizeof line) - 2) n = static_cast<int>(sizeof line) - 2;
    line[n++] = '\n';
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(n), &written, nullptr);
}

inline unsigned long long handleNumber(HWND window) {
    return static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(window));
}

inline HWND handleFrom(const char* text) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::strtoull(text, nullptr, 0)));
}

inline int intFrom(const char* text) { return static_cast<int>(std::strtol(text, nullptr, 0)); }

// "--name value" lookup over argv; nullptr when absent.
inline const char* option(int argc, char** argv, const char* name) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return argv[i + 1];
    return nullptr;
}

inline int optionInt(int argc, char** argv, const char* name, int fallback) {
    const char* value = option(argc, argv, name);
    return value ? intFrom(value) : fallback;
}

inline COLORREF colourFrom(const char* hex) {
    unsigned long rgb = std::strtoul(hex, nullptr, 16);
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

inline void fill(HDC dc, const RECT& rect, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

inline std::string quoted(const char* text) {
    std::string out = "\"";
    for (const char* p = text; *p; ++p) {
        // A line break inside a text would end the report's line.
        if (*p == '\r' || *p == '\n') {
            out += *p == '\r' ? "\\r" : "\\n";
            continue;
        }
        if (*p == '"' || *p == '\\') out += '\\';
        out += *p;
    }
    return out + "\"";
}

}  // namespace e2e
