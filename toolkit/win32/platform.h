#pragma once
// The Win32 side of the toolkit: forms and panels are windows of our own
// classes, buttons and edits native controls, images and labels windowless
// (drawn by their parent window). The application has a hidden top-level
// window that owns the forms. Text goes through the ANSI functions, which
// every Windows has.
#include <windows.h>

#include <memory>

#include "toolkit/application.h"

namespace tk::win32 {

// Registers the window classes and makes the application window; ready()
// is false when the system would not. Lives as long as the application.
class Platform {
public:
    explicit Platform(HINSTANCE instance);
    ~Platform();
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    bool ready() const;
    Backend& backend();
    Runner& runner();
    HWND applicationWindow() const;

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

// The window of a windowed control (kept in control.native); nullptr for
// windowless controls and before the form's window is made.
inline HWND handleOf(const Control& control) { return static_cast<HWND>(control.native); }

}  // namespace tk::win32
