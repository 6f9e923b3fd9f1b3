// The integer reader on arbitrary text: no crash, a result reads back from
// its own decimal and hexadecimal forms, and agrees with the C library on
// every text of the accepted shape.
#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "settings/int_reader.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using morvelux::readInt32;
using Read = std::optional<std::int32_t>;

bool isDecimal(char c) { return c >= '0' && c <= '9'; }
bool isHex(char c) { return isDecimal(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

template <typename Digit>
bool allOf(std::string_view text, Digit digit) {
    for (const char c : text)
        if (!digit(c)) return false;
    return !text.empty();
}

// The digits, already known to be only digits, through strtoull on a
// NUL-terminated copy; anything past 64 bits saturates, which is past every
// limit below anyway.
std::uint64_t libraryValue(std::string_view digits, int base) {
    const std::string copy(digits);
    errno = 0;
    const unsigned long long value = std::strtoull(copy.c_str(), nullptr, base);
    return errno == ERANGE ? UINT64_MAX : value;
}

// What the text should read as: blanks, a sign, then decimal digits or a
// "$", "x" or "0x" prefix and hexadecimal digits; nothing for any other shape.
Read reference(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    const bool signedText = !text.empty() && (text.front() == '+' || text.front() == '-');
    const bool negative = signedText && text.front() == '-';
    if (signedText) text.remove_prefix(1);

    std::size_t prefix = 0;
    if (text.starts_with("0x") || text.starts_with("0X")) prefix = 2;
    else if (text.starts_with("$") || text.starts_with("x") || text.starts_with("X")) prefix = 1;
    const std::string_view digits = text.substr(prefix);
    if (prefix == 0 ? !allOf(digits, isDecimal) : !allOf(digits, isHex)) return std::nullopt;

    const std::uint64_t magnitude = libraryValue(digits, prefix == 0 ? 10 : 16);
    if (prefix != 0 && !signedText) {  // a bare hexadecimal handle is a 32-bit pattern
        if (magnitude > UINT32_MAX) return std::nullopt;
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
    }
    const std::uint64_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
    if (magnitude > limit) return std::nullopt;
    const auto value = static_cast<std::int64_t>(magnitude);
    return static_cast<std::int32_t>(negative ? -value : value);
}

void checkRoundTrips(std::int32_t value) {
    FUZZ_CHECK(readInt32(std::to_string(value)) == Read(value));
    FUZZ_CHECK(readInt32(" \t" + std::to_string(value)) == Read(value));
    char hex[16];
    std::snprintf(hex, sizeof hex, "$%08" PRIX32, static_cast<std::uint32_t>(value));
    FUZZ_CHECK(readInt32(hex) == Read(value));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Read result = readInt32(text);
    FUZZ_CHECK(result == reference(text));
    if (result) checkRoundTrips(*result);
    return 0;
}
