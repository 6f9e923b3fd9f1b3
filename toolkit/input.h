#pragma once
// Mouse buttons, the modifier keys and buttons held during an event, and the
// key and cursor codes the forms use.
#include <cstdint>

namespace tk {

enum class MouseButton { Left, Right, Middle, X1, X2 };

// The mouse bits are the platform's MK_* values, so a backend can pass them through.
using Shift = unsigned;
inline constexpr Shift kShiftLeftButton = 0x1;
inline constexpr Shift kShiftRightButton = 0x2;
inline constexpr Shift kShiftShift = 0x4;
inline constexpr Shift kShiftCtrl = 0x8;
inline constexpr Shift kShiftMiddleButton = 0x10;
inline constexpr Shift kShiftX1Button = 0x20;
inline constexpr Shift kShiftX2Button = 0x40;
inline constexpr Shift kShiftAlt = 0x100;
inline constexpr Shift kShiftDouble = 0x200;  // the mouse-down of a double click

using Key = std::uint16_t;  // a virtual-key code; a handler clears it to swallow the key
inline constexpr Key kKeyEscape = 0x1B;  // VK_ESCAPE
inline constexpr Key kKeySpace = 0x20;   // VK_SPACE

// A system cursor id (IDC_*), as Control::cursor takes it; 0 is the default arrow.
inline constexpr int kCursorCross = 32515;  // IDC_CROSS

// The keys a dialog gives to its buttons.
enum class DialogKey { Enter, Escape };

}  // namespace tk
