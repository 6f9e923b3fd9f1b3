#include "settings/registry_memory.h"

#include <algorithm>
#include <utility>

namespace morvelux {
namespace {

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// "a\\b\\" and "a\\\\b" name the same key as "a\\b".
std::string normalised(std::string_view path) {
    std::string out;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        if (end > start) {
            if (!out.empty()) out += '\\';
            out.append(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return out;
}

std::string joined(const std::string& parent, const std::string& child) {
    if (parent.empty()) return child;
    if (child.empty()) return parent;
    return parent + '\\' + child;
}

}  // namespace

bool MemoryRegistry::CaseLess::operator()(std::string_view a, std::string_view b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return lowerAscii(x) < lowerAscii(y); });
}

std::optional<std::string> MemoryRegistry::pathBelow(RegKey parent, std::string_view path) const {
    if (parent == 0) return normalised(path);
    const auto it = open_.find(parent);
    if (it == open_.end()) return std::nullopt;
    return joined(it->second, normalised(path));
}

RegKey MemoryRegistry::openPath(const std::string& path) {
    const RegKey key = nextKey_++;
    open_.emplace(key, path);
    return key;
}

RegKey MemoryRegistry::createKey(RegKey parent, std::string_view path, std::uint32_t access) {
    accessRequested_.push_back(access);
    const auto full = pathBelow(parent, path);
    if (!full || denyAll_) return 0;
    const std::size_t before = keys_.size();
    addKey(*full);
    keysCreated_ += static_cast<int>(keys_.size() - before);
    return openPath(*full);
}

RegKey MemoryRegistry::openKey(RegKey parent, std::string_view path, std::uint32_t access) {
    accessRequested_.push_back(access);
    const auto full = pathBelow(parent, path);
    if (!full || denyAll_ || !keys_.contains(*full)) return 0;
    return openPath(*full);
}

std::optional<RegValue> MemoryRegistry::queryValue(RegKey key, std::string_view name) {
    const auto handle = open_.find(key);
    if (handle == open_.end()) return std::nullopt;
    const auto& values = keys_.at(handle->second);
    const auto value = values.find(name);
    if (value == values.end()) return std::nullopt;
    return value->second;
}

void MemoryRegistry::closeKey(RegKey key) {
    if (open_.erase(key) == 0) ++unknownCloses_;
}

void MemoryRegistry::addKey(std::string_view path) {
    const std::string full = normalised(path);
    for (std::size_t end = full.find('\\'); end != std::string::npos; end = full.find('\\', end + 1)) {
        keys_.try_emplace(full.substr(0, end));
    }
    keys_.try_emplace(full);
}

void MemoryRegistry::setValue(std::string_view keyPath, std::string_view name, RegValue value) {
    addKey(keyPath);
    keys_.find(normalised(keyPath))->second.insert_or_assign(std::string(name), std::move(value));
}

bool MemoryRegistry::hasKey(std::string_view path) const { return keys_.contains(normalised(path)); }

std::vector<std::string> MemoryRegistry::keyPaths() const {
    std::vector<std::string> paths;
    for (const auto& [path, values] : keys_) {
        if (!path.empty()) paths.push_back(path);
    }
    return paths;
}

}  // namespace morvelux
