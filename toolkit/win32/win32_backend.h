#pragma once
// The parts of the Win32 backend, as the window procedure, the painting and
// the message loop share them.
#include <windows.h>

#include <map>
#include <string>

#include "toolkit/application.h"
#include "toolkit/win32/gdi_cache.h"
#include "toolkit/win32/win32_runner.h"

namespace tk::win32 {

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The modifier keys held now.
Shift keyShift();

inline RECT toRect(const Bounds& b) { return {b.left, b.top, b.right(), b.bottom()}; }

class Win32Backend : public Backend {
public:
    Win32Backend(HINSTANCE instance, Win32Runner& runner);
    ~Win32Backend() override;
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;

    bool ready() const { return appWindow_ != nullptr; }
    HWND applicationWindow() const { return appWindow_; }
    GdiCache& gdi() { return gdi_; }
    // Paints a form or panel: background, OnPaint, then the windowless controls.
    void paint(Control& control, HWND hwnd);
    // Draws what changed in moving pictures since the last call, straight to
    // their windows; what cannot be drawn so waits for the window's paint.
    // The message loop calls it whenever a handler has returned to it.
    void drawChanges();

    bool realise(Form& form, const CreateParams& params) override;
    bool realiseChild(Control& control) override;
    void destroy(Form& form) override;
    void forget(Control& control) override;
    void boundsChanged(Control& control, const Bounds& old) override;
    void visibleChanged(Control& control) override;
    void textChanged(Control& control) override;
    void invalidate(Control& control) override;
    void enabledChanged(Control& control) override;
    int textWidth(const Font& font, const std::string& text) override;
    int textHeight(const Font& font) override;
    Insets frame(const Form& form) override;
    Bounds screen() override;
    int dpiOf(const Form& form) override;
    void fontChanged(Control& control) override;
    void showModal(Form& form) override;

private:
    const char* formClass(UINT classStyle);  // nullptr when it cannot be registered
    bool realiseChildren(Control& parent, HWND parentWindow);
    bool realiseOne(Control& control, HWND parentWindow);
    void changed(const Control& control, const Bounds& area);
    void repaint(const Control& control);
    void invalidateArea(HWND host, const RECT& part);
    bool drawsDirectly(HWND host) const;
    bool drawNow(Control& control, HWND hwnd, const RECT& area);
    void paintOn(Control& control, HWND hwnd, HDC dc, const RECT& area);
    void dropWindow(HWND hwnd);

    HINSTANCE instance_;
    Win32Runner& runner_;
    GdiCache gdi_;
    std::map<UINT, std::string> formClasses_;
    bool panelClass_ = false;
    bool applicationClass_ = false;
    HWND appWindow_ = nullptr;
    std::map<HWND, RECT> awaitingPaint_;  // what we invalidated in each window since its last paint
    std::map<HWND, RECT> toDraw_;         // what changed in moving pictures since drawChanges last ran
    int nextId_ = 100;  // clear of IDOK and IDCANCEL, which the dialog manager sends
    class PaintCanvas;
    std::unique_ptr<PaintCanvas> painting_;  // on the paint DC of the window being painted
};

}  // namespace tk::win32
