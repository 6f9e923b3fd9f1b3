#pragma once
// The few registry operations the settings need, behind a seam: advapi32 on
// Windows, an in-memory tree in native tests.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvelux {

using RegKey = std::uintptr_t;  // 0: no key

inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;

// Value types (REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD).
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

struct RegValue {
    std::uint32_t type = 0;
    std::string data;        // the raw bytes as stored
};

class Registry {
public:
    virtual ~Registry() = default;
    // Under HKEY_CURRENT_USER (parent 0) or an open key.
    virtual RegKey createKey(RegKey parent, std::string_view path, std::uint32_t access) = 0;
    virtual RegKey openKey(RegKey parent, std::string_view path, std::uint32_t access) = 0;
    virtual std::optional<RegValue> queryValue(RegKey key, std::string_view name) = 0;
    virtual void closeKey(RegKey key) = 0;
};

// The registry of this platform.
Registry& systemRegistry();

}  // namespace morvelux
