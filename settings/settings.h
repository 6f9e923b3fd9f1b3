#pragma once
// The saver's per-user settings key: read, never written. Opening creates
// the key; every read falls back to its default.
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/registry.h"

namespace morvelux {

inline constexpr std::string_view kSettingsKeyPath = "Software\\Valdrenn\\";
inline constexpr std::string_view kSettingsSection = "ScreenSaverSample";

class Settings {
public:
    explicit Settings(Registry& registry = systemRegistry());
    ~Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    void open();
    std::string readString(std::string_view section, std::string_view name, std::string_view fallback);
    std::int32_t readInteger(std::string_view section, std::string_view name, std::int32_t fallback);
    void release();
    bool isOpen() const { return key_ != 0; }

private:
    Registry& registry_;
    RegKey key_ = 0;
};

}  // namespace morvelux
