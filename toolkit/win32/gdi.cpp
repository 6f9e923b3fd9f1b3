// Fonts, colours and brushes, made on first use and kept: the toolkit only
// ever uses a handful of each.
#include <map>
#include <utility>
#include <vector>

#include "toolkit/win32/internal.h"

namespace tk::win32 {

std::wstring widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

HFONT fontFor(const Font& font) {
    static std::vector<std::pair<Font, HFONT>> made;
    for (const auto& [f, handle] : made)
        if (f == font) return handle;
    const HFONT handle = CreateFontW(-font.height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                     static_cast<DWORD>(font.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, widen(font.name).c_str());
    made.emplace_back(font, handle);
    return handle;
}

COLORREF colorRef(Colour colour, Rgb custom) {
    switch (colour) {
    case Colour::Black: return RGB(0, 0, 0);
    case Colour::White: return RGB(255, 255, 255);
    case Colour::ButtonFace: return GetSysColor(COLOR_BTNFACE);
    case Colour::WindowText: return GetSysColor(COLOR_WINDOWTEXT);
    case Colour::Custom: break;
    }
    return RGB(custom.r, custom.g, custom.b);
}

COLORREF colorRefOf(const Control& control) { return colorRef(control.colour, control.customColour); }

HBRUSH brushFor(COLORREF colour) {
    static std::map<COLORREF, HBRUSH> made;
    HBRUSH& brush = made[colour];
    if (!brush) brush = CreateSolidBrush(colour);
    return brush;
}

}  // namespace tk::win32
