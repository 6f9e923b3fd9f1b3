// Painting a form or panel: its background, then its OnPaint, then its
// windowless controls on top. Pictures go to the screen in one
// SetDIBitsToDevice each, straight from their rows, and the background is
// never painted under them, so a moving picture does not flicker.
#include <algorithm>
#include <array>
#include <cstring>

#include "toolkit/win32/internal.h"

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

// Rows of `stride` bytes from `bits`, shown with their top-left at (x, y),
// of which only `visible` (device coordinates) is drawn.
void blit(HDC dc, int x, int y, int width, int height, const std::uint8_t* bits, std::size_t stride,
          int bitsPerPixel, const Rgb* palette, std::size_t paletteSize, RECT visible) {
    const RECT whole{x, y, x + width, y + height};
    const RECT part = intersect(whole, visible);
    if (IsRectEmpty(&part)) return;
    const int rows = part.bottom - part.top;
    // The stride may hold more pixels than the picture is wide; describing
    // the rows at their full stride keeps them where they are in memory.
    const int stridePixels = static_cast<int>(stride * 8 / static_cast<std::size_t>(bitsPerPixel));
    const DibInfo dib(stridePixels, rows, bitsPerPixel, palette, paletteSize);
    const std::uint8_t* first = bits + static_cast<std::size_t>(part.top - y) * stride;
    SetDIBitsToDevice(dc, part.left, part.top, static_cast<DWORD>(part.right - part.left), static_cast<DWORD>(rows),
                      part.left - x, 0, 0, static_cast<UINT>(rows), first, dib.info(), DIB_RGB_COLORS);
}

RECT toRect(const Bounds& b) { return {b.left, b.top, b.right(), b.bottom()}; }

void drawImage(HDC dc, const Image& image, RECT clip) {
    if (const Bitmap1* bitmap = image.bitmap()) {
        drawBitmap(dc, image.left(), image.top(), *bitmap, intersect(toRect(image.bounds()), clip));
    } else if (const Dib* dib = image.dib()) {
        drawDib(dc, image.left(), image.top(), *dib, intersect(toRect(image.bounds()), clip));
    }
}

UINT alignmentFormat(Alignment a) {
    switch (a) {
    case Alignment::Center: return DT_CENTER;
    case Alignment::Right: return DT_RIGHT;
    case Alignment::Left: break;
    }
    return DT_LEFT;
}

void drawLabel(HDC dc, const Label& label) {
    const std::wstring text = widen(label.caption());
    const HGDIOBJ oldFont = SelectObject(dc, fontFor(label.font));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(label.enabled() ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    RECT r = toRect(label.bounds());
    // Not clipped to the label's height: a label as high as its font's
    // character height would otherwise lose its descenders.
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_NOPREFIX | DT_NOCLIP | DT_EXPANDTABS | alignmentFormat(label.alignment));
    SelectObject(dc, oldFont);
}

void fillBackground(HDC dc, const Control& control, RECT client) {
    const int saved = SaveDC(dc);
    for (const Control* child : control.children()) {
        const auto* image = dynamic_cast<const Image*>(child);
        if (!image || !image->visible()) continue;
        const Bounds covered = image->pictureBounds();
        if (covered.width > 0 && covered.height > 0)
            ExcludeClipRect(dc, covered.left, covered.top, covered.right(), covered.bottom());
    }
    FillRect(dc, &client, brushFor(colorRefOf(control)));
    RestoreDC(dc, saved);
}

class WindowCanvas : public Canvas {
public:
    HWND hwnd = nullptr;
    HDC paintDc = nullptr;

    void fill(const Bounds& area, Rgb colour) override {
        withDc([&](HDC dc) {
            const RECT r = toRect(area);
            FillRect(dc, &r, brushFor(RGB(colour.r, colour.g, colour.b)));
        });
    }
    void draw(int x, int y, const Bitmap1& bitmap) override {
        withDc([&](HDC dc) { drawBitmap(dc, x, y, bitmap, clientRect()); });
    }
    void draw(int x, int y, const Dib& dib) override {
        withDc([&](HDC dc) { drawDib(dc, x, y, dib, clientRect()); });
    }

private:
    RECT clientRect() const {
        RECT r{};
        GetClientRect(hwnd, &r);
        return r;
    }
    template <typename F>
    void withDc(F draw) {
        if (!hwnd) return;
        if (paintDc) {
            draw(paintDc);
            return;
        }
        const HDC dc = GetDC(hwnd);
        if (!dc) return;
        draw(dc);
        ReleaseDC(hwnd, dc);
    }
};

}  // namespace

void drawBitmap(HDC dc, int x, int y, const Bitmap1& bitmap, RECT visible) {
    blit(dc, x, y, bitmap.width(), bitmap.height(), bitmap.bytes(), bitmap.strideBytes(), 1, bitmap.palette().data(),
         bitmap.palette().size(), visible);
}

void drawDib(HDC dc, int x, int y, const Dib& dib, RECT visible) {
    if (dib.bitsPerPixel != 1 && dib.bitsPerPixel != 8) return;
    if (dib.rows.size() < dib.stride() * static_cast<std::size_t>(dib.height)) return;
    blit(dc, x, y, dib.width, dib.height, dib.rows.data(), dib.stride(), dib.bitsPerPixel, dib.palette.data(),
         dib.palette.size(), visible);
}

RECT windowlessArea(const Control& control) {
    RECT r = toRect(control.bounds());
    if (const auto* label = dynamic_cast<const Label*>(&control))
        r.bottom = std::max(r.bottom, r.top + backend().textHeight(label->font));
    return r;
}

namespace {
WindowCanvas painting;  // the form being painted, on its paint DC
WindowCanvas direct;    // any other, straight onto the window
}  // namespace

Canvas& canvasOf(HWND hwnd) {
    if (painting.paintDc && painting.hwnd == hwnd) return painting;
    direct.hwnd = hwnd;
    return direct;
}

void paintWindow(Control& control, HWND hwnd) {
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(hwnd, &ps);
    RECT client{};
    GetClientRect(hwnd, &client);
    fillBackground(dc, control, client);
    if (Form* form = asForm(&control); form && form->OnPaint) {
        const WindowCanvas outer = painting;
        painting.hwnd = hwnd;
        painting.paintDc = dc;
        form->OnPaint();
        painting = outer;
    }
    for (const Control* child : control.children()) {
        if (child->windowed() || !child->visible()) continue;
        if (const auto* image = dynamic_cast<const Image*>(child))
            drawImage(dc, *image, client);
        else if (const auto* label = dynamic_cast<const Label*>(child))
            drawLabel(dc, *label);
    }
    EndPaint(hwnd, &ps);
}

}  // namespace tk::win32
