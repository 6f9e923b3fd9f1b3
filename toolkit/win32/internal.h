#pragma once
// What the parts of the Win32 backend share: the table of our windows, GDI
// objects for fonts and colours, painting, and the message pump.
#include <windows.h>

#include <string>

#include "toolkit/tk.h"

namespace tk::win32 {

// One of our windows: a form, a panel, or a native control of a form.
struct WindowEntry {
    Control* control = nullptr;
    int id = 0;            // child-window id, for WM_COMMAND and DM_GETDEFID
    HWND focus = nullptr;  // forms: the child that had the focus when the form was left
    bool dying = false;    // WM_DESTROY is under way
};

WindowEntry* entryOf(HWND hwnd);
Control* controlOf(HWND hwnd);
// The window a control shows in: its own, or for a windowless control its parent's.
HWND hostWindow(const Control& control);
Form* asForm(Control* control);

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// GDI objects, made once and kept for the process's life.
std::wstring widen(const std::string& utf8);
HFONT fontFor(const Font& font);
COLORREF colorRef(Colour colour, Rgb custom);
COLORREF colorRefOf(const Control& control);
HBRUSH brushFor(COLORREF colour);

// Painting.
void paintWindow(Control& control, HWND hwnd);
void drawBitmap(HDC dc, int x, int y, const Bitmap1& bitmap, RECT visible);
void drawDib(HDC dc, int x, int y, const Dib& dib, RECT visible);
RECT windowlessArea(const Control& control);  // what a windowless control may paint, in its host's client area
Canvas& canvasOf(HWND hwnd);  // on the paint DC while the window paints

// The message pump the application loop and the modal loops share.
Shift keyShift();
bool handleOneMessage(HWND dialog);  // false when no message was waiting
void idle(Application& app);
void installRunner();

}  // namespace tk::win32
