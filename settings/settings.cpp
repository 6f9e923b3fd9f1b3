#include "settings/settings.h"

#include <optional>

#include "settings/int_reader.h"

namespace morvelux {
namespace {

// The text of a string value, up to its first zero: stored strings may or
// may not carry their terminator. Values of other types count as missing.
std::optional<std::string> readText(Registry& registry, RegKey key, std::string_view section,
                                    std::string_view name) {
    if (key == 0) return std::nullopt;
    const RegKey sectionKey = registry.openKey(key, section, kKeyAllAccess);
    if (sectionKey == 0) return std::nullopt;
    const std::optional<RegValue> value = registry.queryValue(sectionKey, name);
    registry.closeKey(sectionKey);
    if (!value || (value->type != kRegSz && value->type != kRegExpandSz)) return std::nullopt;
    return value->data.substr(0, value->data.find('\0'));
}

}  // namespace

Settings::Settings(Registry& registry) : registry_(registry) {}

Settings::~Settings() { release(); }

void Settings::open() {
    release();
    key_ = registry_.createKey(0, kSettingsKeyPath, kKeyAllAccess);
}

std::string Settings::readString(std::string_view section, std::string_view name, std::string_view fallback) {
    return readText(registry_, key_, section, name).value_or(std::string(fallback));
}

std::int32_t Settings::readInteger(std::string_view section, std::string_view name, std::int32_t fallback) {
    const std::optional<std::string> text = readText(registry_, key_, section, name);
    return text ? readInt32(*text).value_or(fallback) : fallback;
}

void Settings::release() {
    if (key_ == 0) return;
    registry_.closeKey(key_);
    key_ = 0;
}

}  // namespace morvelux
