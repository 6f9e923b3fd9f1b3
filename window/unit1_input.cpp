// Input and dismissal: Esc, a click, a double click or sustained mouse
// movement end the saver; Space holds the picture still.
#include "animation/motion.h"
#include "animation/mouse_moves.h"
#include "window/unit1.h"

namespace morvelux {

namespace {

constexpr std::uintptr_t kScScreenSave = 0xF140;

}  // namespace

void TForm1::FormKeyDown(tk::Key& key, tk::Shift) {
    if (key == tk::kKeyEscape)
        close();
    else if (key == tk::kKeySpace)
        stopAnimation(state_);
}

void TForm1::FormKeyUp(tk::Key& key, tk::Shift) {
    if (key == tk::kKeySpace) startAnimation(state_);
}

void TForm1::Image1MouseDown(tk::MouseButton, tk::Shift, int, int) { close(); }

void TForm1::Image1DblClick() {
    if (!preview()) close();
}

void TForm1::Image1MouseMove(tk::Shift, int, int) {
    if (countMouseMove(state_, platform_.clock().now(), MoveArea::Panel)) close();
}

void TForm1::FormMouseMove(tk::Shift, int, int) {
    if (countMouseMove(state_, platform_.clock().now(), MoveArea::Black)) close();
}

bool TForm1::WMSysCommand(std::uintptr_t command, std::intptr_t& result) {
    if (command != kScScreenSave) return false;
    result = 1;  // no other screen saver may start on top of this one
    return true;
}

void TForm1::FormClose(tk::CloseAction&) {
    application().OnIdle = nullptr;
    if (platformId_ == 1) platform_.setScreenSaverRunning(false);
    closed_ = true;
}

}  // namespace morvelux
