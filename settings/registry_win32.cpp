#include <windows.h>

#include <algorithm>
#include <string>

#include "settings/registry.h"

namespace morvelux {
namespace {

HKEY toHkey(RegKey key) { return key == 0 ? HKEY_CURRENT_USER : reinterpret_cast<HKEY>(key); }

RegKey fromHkey(HKEY key) { return reinterpret_cast<RegKey>(key); }

// A trailing backslash names the same key; not every registry accepts it.
std::string subkeyName(std::string_view path) {
    while (path.ends_with('\\')) path.remove_suffix(1);
    return std::string(path);
}

// A value that keeps changing size while it is read is given up on.
constexpr int kReadAttempts = 8;

class Win32Registry final : public Registry {
public:
    RegKey createKey(RegKey parent, std::string_view path, std::uint32_t access) override {
        HKEY key = nullptr;
        const LONG rc = RegCreateKeyExA(toHkey(parent), subkeyName(path).c_str(), 0, nullptr,
                                        REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr);
        return rc == ERROR_SUCCESS ? fromHkey(key) : 0;
    }

    RegKey openKey(RegKey parent, std::string_view path, std::uint32_t access) override {
        HKEY key = nullptr;
        const LONG rc = RegOpenKeyExA(toHkey(parent), subkeyName(path).c_str(), 0, access, &key);
        return rc == ERROR_SUCCESS ? fromHkey(key) : 0;
    }

    // Asks for the size first and reads again while the value outgrows the buffer.
    std::optional<RegValue> queryValue(RegKey key, std::string_view name) override {
        const std::string valueName(name);
        DWORD type = 0;
        DWORD size = 0;
        LONG rc = RegQueryValueExA(toHkey(key), valueName.c_str(), nullptr, &type, nullptr, &size);
        if (rc != ERROR_SUCCESS) return std::nullopt;
        std::string data;
        for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
            data.resize(size);
            DWORD got = size;
            rc = RegQueryValueExA(toHkey(key), valueName.c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(data.data()), &got);
            if (rc == ERROR_SUCCESS) {
                data.resize(std::min(got, size));
                return RegValue{type, std::move(data)};
            }
            if (rc != ERROR_MORE_DATA) return std::nullopt;
            size = got;
        }
        return std::nullopt;
    }

    void closeKey(RegKey key) override {
        if (key != 0) RegCloseKey(toHkey(key));
    }
};

}  // namespace

Registry& systemRegistry() {
    static Win32Registry registry;
    return registry;
}

}  // namespace morvelux
