#pragma once
// A registry held in memory: the platform registry where there is no
// Windows, and a registry tests can fill and inspect. Key and value names
// compare without regard to ASCII case, as in the real one.
#include <cstddef>
#include <map>
#include <vector>

#include "settings/registry.h"

namespace morvelux {

class MemoryRegistry final : public Registry {
public:
    RegKey createKey(RegKey parent, std::string_view path, std::uint32_t access) override;
    RegKey openKey(RegKey parent, std::string_view path, std::uint32_t access) override;
    std::optional<RegValue> queryValue(RegKey key, std::string_view name) override;
    void closeKey(RegKey key) override;

    // Paths below are relative to HKEY_CURRENT_USER; parent keys come along.
    void addKey(std::string_view path);
    void setValue(std::string_view keyPath, std::string_view name, RegValue value);
    bool hasKey(std::string_view path) const;
    std::vector<std::string> keyPaths() const;

    std::size_t openKeyCount() const { return open_.size(); }
    int keysCreated() const { return keysCreated_; }
    int unknownCloses() const { return unknownCloses_; }
    const std::vector<std::uint32_t>& accessRequested() const { return accessRequested_; }
    // Every create and open fails, as for a user without rights.
    void denyAll() { denyAll_ = true; }

private:
    struct CaseLess {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    using Values = std::map<std::string, RegValue, CaseLess>;

    std::optional<std::string> pathBelow(RegKey parent, std::string_view path) const;
    RegKey openPath(const std::string& path);

    std::map<std::string, Values, CaseLess> keys_{{"", {}}};  // "" is HKEY_CURRENT_USER itself
    std::map<RegKey, std::string> open_;
    RegKey nextKey_ = 1;
    int keysCreated_ = 0;
    int unknownCloses_ = 0;
    std::vector<std::uint32_t> accessRequested_;
    bool denyAll_ = false;
};

}  // namespace morvelux
