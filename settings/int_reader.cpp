#include "settings/int_reader.h"

namespace morvelux {
namespace {

constexpr std::uint64_t kUnsignedPattern = 0xFFFFFFFFu;
constexpr std::uint64_t kPositiveLimit = 0x7FFFFFFFu;
constexpr std::uint64_t kNegativeLimit = 0x80000000u;

int digitValue(char c, unsigned base) {
    int value = 99;
    if (c >= '0' && c <= '9') value = c - '0';
    else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
    return value < static_cast<int>(base) ? value : -1;
}

// Digits only, at least one; nothing when a digit is missing, a stray
// character follows or the magnitude passes `limit`.
std::optional<std::uint64_t> readMagnitude(std::string_view digits, unsigned base, std::uint64_t limit) {
    if (digits.empty()) return std::nullopt;
    std::uint64_t magnitude = 0;
    for (const char c : digits) {
        const int digit = digitValue(c, base);
        if (digit < 0) return std::nullopt;
        magnitude = magnitude * base + static_cast<std::uint64_t>(digit);
        if (magnitude > limit) return std::nullopt;
    }
    return magnitude;
}

// Strips a hexadecimal prefix ("$", "x", "0x", either case of x).
bool stripHexPrefix(std::string_view& text) {
    for (const std::string_view prefix : {"$", "x", "X", "0x", "0X"}) {
        if (text.starts_with(prefix)) {
            text.remove_prefix(prefix.size());
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<std::int32_t> readInt32(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);

    bool negative = false;
    bool signedText = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        signedText = true;
        text.remove_prefix(1);
    }

    const bool hex = stripHexPrefix(text);
    // Bare hexadecimal is a 32-bit pattern, as window handles are written
    // ("$FFFFFFFF" is -1); with a sign it is a magnitude like any decimal.
    std::uint64_t limit = negative ? kNegativeLimit : kPositiveLimit;
    if (hex && !signedText) limit = kUnsignedPattern;

    const auto magnitude = readMagnitude(text, hex ? 16u : 10u, limit);
    if (!magnitude) return std::nullopt;
    const std::uint32_t bits = static_cast<std::uint32_t>(negative ? 0u - *magnitude : *magnitude);
    return static_cast<std::int32_t>(bits);
}

}  // namespace morvelux
