// Input and dismissal: Esc, a click, a double click or sustained mouse
// movement end the saver; Space holds the picture still.
#include <limits>

#include "animation/motion.h"
#include "window/unit1.h"

namespace morvelux {

namespace {

constexpr Millis kMoveRestartAfter = 1000;  // a pause this long starts the count again
constexpr Millis kMoveGracePeriod = 2000;   // moves right after activation do not count
constexpr int kMovesOverPicture = 25;
constexpr int kMovesOverBorder = 8;
constexpr std::int32_t kCountCeiling = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kCountAfterCeiling = 100;
constexpr std::uintptr_t kScScreenSave = 0xF140;

void countOne(TSaverState& state) {
    // Widened so that the count can never overflow on its way to the ceiling.
    const std::int64_t next = static_cast<std::int64_t>(state.MouseMoveCount) + 1;
    state.MouseMoveCount = next >= kCountCeiling ? kCountAfterCeiling : static_cast<std::int32_t>(next);
}

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
    Clock& clock = platform_.clock();
    if (clock.now() > static_cast<Millis>(state_.LastMouseMoveAt + kMoveRestartAfter))
        state_.MouseMoveCount = 0;
    if (clock.now() > static_cast<Millis>(state_.ActivatedAt + kMoveGracePeriod)) countOne(state_);
    if (state_.MouseMoveCount > kMovesOverPicture) close();
    state_.LastMouseMoveAt = clock.now();
}

void TForm1::FormMouseMove(tk::Shift, int, int) {
    countOne(state_);
    if (state_.MouseMoveCount > kMovesOverBorder) close();
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
