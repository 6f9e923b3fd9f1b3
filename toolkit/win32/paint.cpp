// Painting a form or panel: its background, then its OnPaint, then its
// windowless controls on top. Pictures go to the screen in one
// SetDIBitsToDevice each, straight from their rows, and the background is
// never painted under them, so a moving picture does not flicker.
#include <algorithm>
#include <array>

#include "gfx/zoom.h"
#include "toolkit/form.h"
#include "toolkit/win32/paint_canvas.h"

namespace tk::win32 {
namespace {

// A BITMAPINFO with room for a full colour table.
struct DibInfo {
    BITMAPINFOHEADER header{};
    std::array<RGBQUAD, 256> colours{};

    DibInfo(int widthInPixels, int rows, int bitsPerPixel, const Rgb* palette, std::size_t paletteSize) {
        header.biSize = sizeof header;
        header.biWidth = widthInPixels;
        header.biHeight = -rows;  // top-down
        header.biPlanes = 1;
        header.biBitCount = static_cast<WORD>(bitsPerPixel);
        header.biCompression = BI_RGB;
        paletteSize = std::min(paletteSize, colours.size());
        header.biClrUsed = static_cast<DWORD>(paletteSize);
        for (std::size_t i = 0; i < paletteSize; ++i) colours[i] = {palette[i].b, palette[i].g, palette[i].r, 0};
    }
    const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(this); }
};

RECT intersect(RECT a, RECT b) {
    RECT r{};
    IntersectRect(&r, &a, &b);
    return r;
}

struct Rows {
    const std::uint8_t* bits;
    std::size_t stride;
    int bitsPerPixel;
    const Rgb* palette;
    std::size_t paletteSize;
};

Rows rowsOf(const Bitmap1& bitmap) {
    return {bitmap.bytes(), bitmap.strideBytes(), 1, bitmap.palette().data(), bitmap.palette().size()};
}

// Rows shown with their top-left at (x, y), of which only `visible` (device
// coordinates) is drawn.
void blitRows(HDC dc, int x, int y, int width, int height, const Rows& rows, RECT visible) {
    const RECT part = intersect({x, y, x + width, y + height}, visible);
    if (IsRectEmpty(&part)) return;
    const int count = part.bottom - part.top;
    // The stride may hold more pixels than the picture is wide; describing
    // the rows at their full stride keeps them where they are in memory.
    const int stridePixels = static_cast<int>(rows.stride * 8 / static_cast<std::size_t>(rows.bitsPerPixel));
    const DibInfo dib(stridePixels, count, rows.bitsPerPixel, rows.palette, rows.paletteSize);
    const std::uint8_t* first = rows.bits + static_cast<std::size_t>(part.top - y) * rows.stride;
    // A failed copy leaves the old picture until the next frame; nothing to undo.
    SetDIBitsToDevice(dc, part.left, part.top, static_cast<DWORD>(part.right - part.left), static_cast<DWORD>(count),
                      part.left - x, 0, 0, static_cast<UINT>(count), first, dib.info(), DIB_RGB_COLORS);
}

UINT alignmentFormat(Alignment a) {
    switch (a) {
    case Alignment::Center: return DT_CENTER;
    case Alignment::Right: return DT_RIGHT;
    case Alignment::Left: break;
    }
    return DT_LEFT;
}

}  // namespace

template <typename F>
void Win32Backend::PaintCanvas::withDc(F draw) {
    if (paintDc) draw(paintDc);
}

RECT Win32Backend::PaintCanvas::visibleRect(const Bounds& visible) const {
    if (visible.width <= 0 && visible.height <= 0) return painted;
    return intersect(painted, toRect(visible));
}

void Win32Backend::PaintCanvas::draw(int x, int y, const Bitmap1& bitmap, const Bounds& visible, int zoom) {
    withDc([&](HDC dc) {
        if (zoom > 1)
            drawZoomed(dc, x, y, bitmap, visibleRect(visible), zoom);
        else
            blitRows(dc, x, y, bitmap.width(), bitmap.height(), rowsOf(bitmap), visibleRect(visible));
    });
}

// Enlarges just the part that shows, then copies it like any picture: GDI's
// stretching is left out, as it may smooth or drop rows where whole pixels
// must stay whole.
void Win32Backend::PaintCanvas::drawZoomed(HDC dc, int x, int y, const Bitmap1& bitmap, RECT visible, int zoom) {
    const RECT part = intersect({x, y, x + bitmap.width() * zoom, y + bitmap.height() * zoom}, visible);
    if (IsRectEmpty(&part)) return;
    const auto first = [zoom](int from) { return from / zoom; };
    const auto pastLast = [zoom](int to) { return (to + zoom - 1) / zoom; };
    const Bounds source = Bounds::fromEdges(first(part.left - x), first(part.top - y), pastLast(part.right - x),
                                            pastLast(part.bottom - y));
    const int column = morvelux::zoomInto(zoomed_, bitmap, source, zoom);
    blitRows(dc, x + column * zoom, y + source.top * zoom, zoomed_.width(), zoomed_.height(), rowsOf(zoomed_), part);
}

void Win32Backend::PaintCanvas::draw(int x, int y, const Dib& dib, const Bounds& visible) {
    if (dib.bitsPerPixel != 1 && dib.bitsPerPixel != 8) return;
    if (dib.rows.size() < dib.stride() * static_cast<std::size_t>(dib.height)) return;
    withDc([&](HDC dc) {
        blitRows(dc, x, y, dib.width, dib.height,
                 {dib.rows.data(), dib.stride(), dib.bitsPerPixel, dib.palette.data(), dib.palette.size()},
                 visibleRect(visible));
    });
}

void Win32Backend::PaintCanvas::text(const Bounds& area, const std::string& text, const TextStyle& style) {
    withDc([&](HDC dc) {
        const HGDIOBJ oldFont = SelectObject(dc, gdi_.font(style.font));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(style.enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
        RECT r = toRect(area);
        // Not clipped to the area's height: a label as high as its font's
        // character height would otherwise lose its descenders.
        DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r,
                  DT_NOPREFIX | DT_NOCLIP | DT_EXPANDTABS | alignmentFormat(style.alignment));
        SelectObject(dc, oldFont);
    });
}

void Win32Backend::paint(Control& control, HWND hwnd) {
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(hwnd, &ps);
    awaitingPaint_.erase(hwnd);
    if (!dc) return;
    paintOn(control, hwnd, dc, ps.rcPaint);
    EndPaint(hwnd, &ps);
}

// Paints `area` of the window (client coordinates) on `dc`, which is clipped to it.
void Win32Backend::paintOn(Control& control, HWND hwnd, HDC dc, const RECT& area) {
    RECT client{};
    GetClientRect(hwnd, &client);
    const RECT part = intersect(client, area);

    const int saved = SaveDC(dc);
    for (const Control* child : control.children()) {
        if (child->windowed() || !child->visible()) continue;
        const Bounds covered = child->opaqueArea();
        if (covered.width > 0 && covered.height > 0)
            ExcludeClipRect(dc, covered.left, covered.top, covered.right(), covered.bottom());
    }
    FillRect(dc, &part, gdi_.brush(colorRefOf(control)));
    RestoreDC(dc, saved);

    const RECT outerArea = painting_->painted;
    const HDC outerDc = painting_->paintDc;
    painting_->painted = part;
    painting_->paintDc = dc;
    if (control.form() == &control) {
        Form& form = *control.form();
        if (form.OnPaint) form.OnPaint();
    }
    for (const Control* child : control.children())
        if (!child->windowed() && child->visible()) child->paint(*painting_);
    painting_->painted = outerArea;
    painting_->paintDc = outerDc;
}

}  // namespace tk::win32
