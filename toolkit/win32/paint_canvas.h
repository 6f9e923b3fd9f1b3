#pragma once
// A canvas on the DC of the window being painted, for the part being painted.
#include <windows.h>

#include "toolkit/win32/win32_backend.h"

namespace tk::win32 {

class Win32Backend::PaintCanvas : public Canvas {
public:
    explicit PaintCanvas(GdiCache& gdi) : gdi_(gdi) {}

    HDC paintDc = nullptr;
    RECT painted{};  // the part being painted, in client coordinates

    void draw(int x, int y, const Bitmap1& bitmap, const Bounds& visible, int zoom) override;
    void draw(int x, int y, const Dib& dib, const Bounds& visible) override;
    void text(const Bounds& area, const std::string& text, const TextStyle& style) override;

private:
    template <typename F>
    void withDc(F draw);  // only while the window paints
    RECT visibleRect(const Bounds& visible) const;
    void drawZoomed(HDC dc, int x, int y, const Bitmap1& bitmap, RECT visible, int zoom);

    GdiCache& gdi_;
    Bitmap1 zoomed_;  // the visible part of an enlarged picture, kept to reuse its memory
};

}  // namespace tk::win32
