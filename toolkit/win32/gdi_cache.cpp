#include "toolkit/win32/gdi_cache.h"

namespace tk::win32 {

HFONT GdiCache::font(const Font& font) {
    for (const auto& [f, handle] : fonts_)
        if (f == font) return handle.get();
    GdiObject<HFONT> made(CreateFontA(-font.height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                      static_cast<DWORD>(font.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                      DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, font.name.c_str()));
    if (!made) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    return fonts_.emplace_back(font, std::move(made)).second.get();
}

HBRUSH GdiCache::brush(COLORREF colour) {
    GdiObject<HBRUSH>& brush = brushes_[colour];
    if (!brush) brush.reset(CreateSolidBrush(colour));
    if (brush) return brush.get();
    brushes_.erase(colour);
    return static_cast<HBRUSH>(GetStockObject(GetRValue(colour) + GetGValue(colour) + GetBValue(colour) > 382
                                                  ? WHITE_BRUSH
                                                  : BLACK_BRUSH));
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

}  // namespace tk::win32
