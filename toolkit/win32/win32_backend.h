#pragma once
// The Win32 side of the toolkit: forms and panels are windows of our own
// classes, buttons and edits native controls, images and labels windowless
// (drawn by their parent window). The application has a hidden top-level
// window that owns the forms.
#include <windows.h>

#include "toolkit/tk.h"

namespace tk::win32 {

// Installs the Win32 backend and runner and makes the application window.
// Call once, before the first form is created.
void install(HINSTANCE instance);

// The window of a windowed control (also kept in control.native); nullptr
// for windowless controls and before the form's window is made.
HWND handleOf(const Control& control);

HWND applicationWindow();

}  // namespace tk::win32
