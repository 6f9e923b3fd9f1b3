#include <gtest/gtest.h>

#include <string>

#include "settings/registry_memory.h"
#include "settings/settings.h"

namespace morvelux::testing {
namespace {

constexpr std::string_view kSectionPath = "Software\\Valdrenn\\ScreenSaverSample";

class SettingsTest : public ::testing::Test {
protected:
    MemoryRegistry registry;

    void store(std::string_view name, std::uint32_t type, std::string data) {
        registry.setValue(kSectionPath, name, RegValue{type, std::move(data)});
    }

    // Opens, reads both values the way the saver window does, releases.
    std::pair<std::string, std::int32_t> readAsTheWindowDoes() {
        Settings settings(registry);
        settings.open();
        auto text = settings.readString(kSettingsSection, "DispStr", "Screen Saver Sample");
        const std::int32_t sleep = settings.readInteger(kSettingsSection, "SleepTime", 15);
        settings.release();
        return {std::move(text), sleep};
    }

    void expectEverythingClosed() {
        EXPECT_EQ(registry.openKeyCount(), 0u);
        EXPECT_EQ(registry.unknownCloses(), 0);
        for (const std::uint32_t access : registry.accessRequested()) EXPECT_EQ(access, kKeyAllAccess);
    }
};

TEST_F(SettingsTest, FreshRegistryGetsTheEmptyKeyAndNothingElse) {
    const auto [text, sleep] = readAsTheWindowDoes();
    EXPECT_EQ(text, "Screen Saver Sample");
    EXPECT_EQ(sleep, 15);
    EXPECT_EQ(registry.keyPaths(), (std::vector<std::string>{"Software", "Software\\Valdrenn"}));
    EXPECT_EQ(registry.keysCreated(), 2);
    expectEverythingClosed();
}

TEST_F(SettingsTest, PresentValuesAreReadAndNothingIsCreated) {
    store("DispStr", kRegSz, std::string("Hello\0", 6));
    store("SleepTime", kRegSz, std::string("500\0", 4));
    EXPECT_EQ(readAsTheWindowDoes(), std::make_pair(std::string("Hello"), 500));
    EXPECT_EQ(registry.keysCreated(), 0);
    expectEverythingClosed();

    store("SleepTime", kRegExpandSz, "$20");  // read as it stands, not expanded
    EXPECT_EQ(readAsTheWindowDoes().second, 32);
}

TEST_F(SettingsTest, StringsWithoutTerminatorOrWithEmbeddedZero) {
    store("DispStr", kRegSz, "no terminator");
    store("SleepTime", kRegSz, std::string("12\0" "34\0", 6));
    EXPECT_EQ(readAsTheWindowDoes(), std::make_pair(std::string("no terminator"), 12));

    store("DispStr", kRegSz, std::string("\0tail", 5));
    store("SleepTime", kRegSz, "");
    EXPECT_EQ(readAsTheWindowDoes(), std::make_pair(std::string(), 15));
}

TEST_F(SettingsTest, MegabyteStringIsReadWhole) {
    const std::string big(1 << 20, 'm');
    store("DispStr", kRegSz, big);
    EXPECT_EQ(readAsTheWindowDoes().first, big);
}

TEST_F(SettingsTest, OtherTypesAndUnreadableNumbersGiveDefaults) {
    store("DispStr", kRegBinary, "binary");
    store("SleepTime", kRegDword, std::string("\x2c\x01\0\0", 4));
    EXPECT_EQ(readAsTheWindowDoes(), std::make_pair(std::string("Screen Saver Sample"), 15));

    store("DispStr", 7 /* REG_MULTI_SZ */, std::string("a\0b\0\0", 5));
    store("SleepTime", kRegSz, "500 ms");
    EXPECT_EQ(readAsTheWindowDoes(), std::make_pair(std::string("Screen Saver Sample"), 15));

    store("SleepTime", kRegSz, "2147483648");
    EXPECT_EQ(readAsTheWindowDoes().second, 15);
    expectEverythingClosed();
}

TEST_F(SettingsTest, SectionStoredAsAValueIsNoSection) {
    registry.setValue("Software\\Valdrenn", "ScreenSaverSample", RegValue{kRegSz, "x"});
    EXPECT_EQ(readAsTheWindowDoes(), std::make_pair(std::string("Screen Saver Sample"), 15));
    EXPECT_FALSE(registry.hasKey(kSectionPath));
    expectEverythingClosed();
}

TEST_F(SettingsTest, KeyThatCannotBeOpenedGivesDefaults) {
    store("DispStr", kRegSz, "unreachable");
    registry.denyAll();
    Settings settings(registry);
    settings.open();
    EXPECT_FALSE(settings.isOpen());
    EXPECT_EQ(settings.readString(kSettingsSection, "DispStr", "d"), "d");
    EXPECT_EQ(settings.readInteger(kSettingsSection, "SleepTime", 15), 15);
}

TEST_F(SettingsTest, UnopenedSettingsReadDefaultsWithoutTouchingTheRegistry) {
    store("DispStr", kRegSz, "stored");
    Settings settings(registry);
    EXPECT_EQ(settings.readString(kSettingsSection, "DispStr", "d"), "d");
    EXPECT_TRUE(registry.accessRequested().empty());
}

TEST_F(SettingsTest, KeyStaysOpenUntilReleaseOrDestruction) {
    {
        Settings settings(registry);
        settings.open();
        settings.open();  // reopening does not leak the first key
        EXPECT_EQ(registry.openKeyCount(), 1u);
        settings.release();
        settings.release();
        EXPECT_EQ(registry.openKeyCount(), 0u);
        settings.open();
    }
    expectEverythingClosed();
}

}  // namespace
}  // namespace morvelux::testing
