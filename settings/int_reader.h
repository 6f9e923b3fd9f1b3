#pragma once
// Reads a signed 32-bit integer the way the command line's window handle and
// the settings' numbers are written: leading blanks, an optional sign, then
// decimal digits, or hexadecimal digits after "$", "x" or "0x".
#include <cstdint>
#include <optional>
#include <string_view>

namespace morvelux {

// Nothing for anything else: empty text, stray characters, overflow.
std::optional<std::int32_t> readInt32(std::string_view text);

}  // namespace morvelux
