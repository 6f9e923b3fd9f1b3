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

class TSettings {
public:
    explicit TSettings(Registry& registry = systemRegistry());
    ~TSettings();
    TSettings(const TSettings&) = delete;
    TSettings& operator=(const TSettings&) = delete;

    void Open();
    std::string ReadString(std::string_view section, std::string_view name, std::string_view fallback);
    std::int32_t ReadInteger(std::string_view section, std::string_view name, std::int32_t fallback);
    void Release();
    bool isOpen() const { return key_ != 0; }

private:
    Registry& registry_;
    RegKey key_ = 0;
};

}  // namespace morvelux
