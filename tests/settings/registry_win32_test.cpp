// The advapi32 registry, exercised on a scratch key of the current user that
// the tests create and delete.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "settings/registry.h"

namespace morvelux::testing {
namespace {

constexpr const char* kScratch = "Software\\MorveluxUnitTest";

class Win32RegistryTest : public ::testing::Test {
protected:
    Registry& registry = systemRegistry();

    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kScratch); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kScratch); }

    static bool exists(const std::string& path) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }

    static void store(const char* name, DWORD type, const std::string& data) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                 static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    std::optional<RegValue> query(const char* name) {
        const RegKey key = registry.openKey(0, kScratch, kKeyAllAccess);
        EXPECT_NE(key, 0u);
        auto value = registry.queryValue(key, name);
        registry.closeKey(key);
        return value;
    }

    static std::string upToZero(const std::string& data) { return data.substr(0, data.find('\0')); }
};

TEST_F(Win32RegistryTest, CreateTakesATrailingBackslashOpenNeverCreates) {
    const RegKey key = registry.createKey(0, std::string(kScratch) + "\\", kKeyAllAccess);
    ASSERT_NE(key, 0u);
    EXPECT_TRUE(exists(kScratch));
    EXPECT_EQ(registry.openKey(key, "Section", kKeyAllAccess), 0u);
    EXPECT_FALSE(exists(std::string(kScratch) + "\\Section"));
    EXPECT_EQ(registry.queryValue(key, "missing"), std::nullopt);
    registry.closeKey(key);
}

TEST_F(Win32RegistryTest, StringsComeBackWhateverTheirTerminator) {
    store("terminated", REG_SZ, std::string("abc\0", 4));
    store("bare", REG_SZ, "abc");
    store("embedded", REG_SZ, std::string("ab\0cd\0", 6));
    const auto terminated = query("terminated");
    ASSERT_TRUE(terminated);
    EXPECT_EQ(terminated->type, kRegSz);
    EXPECT_EQ(upToZero(terminated->data), "abc");
    EXPECT_EQ(upToZero(query("bare").value().data), "abc");
    EXPECT_EQ(upToZero(query("embedded").value().data), "ab");
}

TEST_F(Win32RegistryTest, LargeAndNonStringValues) {
    const std::string big(1 << 20, 'm');
    store("big", REG_SZ, big + '\0');
    EXPECT_EQ(upToZero(query("big").value().data), big);

    store("number", REG_DWORD, std::string("\x2c\x01\0\0", 4));
    const auto number = query("number");
    ASSERT_TRUE(number);
    EXPECT_EQ(number->type, kRegDword);
    EXPECT_EQ(number->data, std::string("\x2c\x01\0\0", 4));
}

}  // namespace
}  // namespace morvelux::testing
