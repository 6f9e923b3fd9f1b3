#include <gtest/gtest.h>

#include <string>

#include "settings/int_reader.h"

namespace morvelux::testing {
namespace {

using Read = std::optional<std::int32_t>;

TEST(ReadInt32, DecimalWithBlanksAndSign) {
    EXPECT_EQ(readInt32("0"), Read(0));
    EXPECT_EQ(readInt32("1234"), Read(1234));
    EXPECT_EQ(readInt32("+7"), Read(7));
    EXPECT_EQ(readInt32("-7"), Read(-7));
    EXPECT_EQ(readInt32(" \t 42"), Read(42));
    EXPECT_EQ(readInt32("\t-0"), Read(0));
    EXPECT_EQ(readInt32("000000000000000000012"), Read(12));
}

TEST(ReadInt32, HexadecimalAfterEveryPrefix) {
    EXPECT_EQ(readInt32("$10"), Read(16));
    EXPECT_EQ(readInt32("x1f"), Read(31));
    EXPECT_EQ(readInt32("X1F"), Read(31));
    EXPECT_EQ(readInt32("0xaBc"), Read(0xABC));
    EXPECT_EQ(readInt32("0X10"), Read(16));
    EXPECT_EQ(readInt32("-$10"), Read(-16));
    EXPECT_EQ(readInt32("+0x10"), Read(16));
    EXPECT_EQ(readInt32("  -x10"), Read(-16));
    EXPECT_EQ(readInt32("$0000000000001"), Read(1));
}

TEST(ReadInt32, DecimalBoundaries) {
    EXPECT_EQ(readInt32("2147483647"), Read(2147483647));
    EXPECT_EQ(readInt32("-2147483648"), Read(-2147483647 - 1));
    EXPECT_EQ(readInt32("2147483648"), std::nullopt);
    EXPECT_EQ(readInt32("+2147483648"), std::nullopt);
    EXPECT_EQ(readInt32("-2147483649"), std::nullopt);
    EXPECT_EQ(readInt32("99999999999999999999999999"), std::nullopt);
}

// Unsigned hexadecimal is the handle's bit pattern; a signed one is a
// magnitude and bounded like decimal.
TEST(ReadInt32, HexadecimalBoundaries) {
    EXPECT_EQ(readInt32("$7FFFFFFF"), Read(2147483647));
    EXPECT_EQ(readInt32("$80000000"), Read(-2147483647 - 1));
    EXPECT_EQ(readInt32("$FFFFFFFF"), Read(-1));
    EXPECT_EQ(readInt32("0x100000000"), std::nullopt);
    EXPECT_EQ(readInt32("-$80000000"), Read(-2147483647 - 1));
    EXPECT_EQ(readInt32("-$80000001"), std::nullopt);
    EXPECT_EQ(readInt32("+$80000000"), std::nullopt);
    EXPECT_EQ(readInt32("-$FFFFFFFF"), std::nullopt);
}

TEST(ReadInt32, RejectsAnythingElse) {
    for (const char* text : {"", " ", "+", "-", "$", "x", "0x", "-$", "12 ", "12\t", "12a", "1.5", "1,000",
                             "- 1", "+-1", "--1", "$ 1", "$-1", "0x-1", "00x1", "$g", "0xFFg", "\n1",
                             "\xef\xbc\x91", "1e3"}) {
        EXPECT_EQ(readInt32(text), std::nullopt) << '"' << text << '"';
    }
}

TEST(ReadInt32, StopsAtTheEndOfTheViewNotAtAZero) {
    const std::string withZero("12\0" "3", 4);
    EXPECT_EQ(readInt32(withZero), std::nullopt);
    EXPECT_EQ(readInt32(std::string_view("123", 2)), Read(12));
}

}  // namespace
}  // namespace morvelux::testing
