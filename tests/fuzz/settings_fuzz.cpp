// The settings reader over an in-memory registry the input fills: whether the
// key and the section exist (or the section is a value), and the type and raw
// bytes of both values; the rest of the input is a sequence of calls.
// Input layout: flags byte; for "DispStr" and "SleepTime" a type byte (0xFF:
// absent), a length byte and that many bytes; then one byte per call.
// Calls past the first 16 are ignored.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "settings/int_reader.h"
#include "settings/registry_memory.h"
#include "settings/settings.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using namespace morvelux;

constexpr std::string_view kKeyPath = "Software\\Valdrenn";
constexpr std::string_view kSectionPath = "Software\\Valdrenn\\ScreenSaverSample";
constexpr std::string_view kDefaultText = "Screen Saver Sample";
constexpr std::int32_t kDefaultSleep = 15;
constexpr int kMaxCalls = 16;

enum Flag : std::uint8_t { kKeyExists = 1, kSectionIsKey = 2, kSectionIsValue = 4, kDenied = 8 };

class Input {
public:
    explicit Input(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    bool empty() const { return at_ == bytes_.size(); }
    std::uint8_t byte() { return empty() ? 0 : bytes_[at_++]; }
    std::string text(std::size_t length) {
        length = std::min(length, bytes_.size() - at_);
        std::string out(reinterpret_cast<const char*>(bytes_.data() + at_), length);
        at_ += length;
        return out;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

// A value as the input stores it; the type covers every registry type and a few beyond.
std::optional<RegValue> takeValue(Input& in) {
    const std::uint8_t type = in.byte();
    const std::size_t length = in.byte();
    std::string data = in.text(length);
    if (type == 0xFF) return std::nullopt;
    return RegValue{type % 16u, std::move(data)};
}

struct Stored {
    std::uint8_t flags = 0;
    std::optional<RegValue> dispStr, sleepTime;
};

void fill(MemoryRegistry& registry, const Stored& stored) {
    if (stored.flags & kKeyExists) registry.addKey(kKeyPath);
    if (stored.flags & kSectionIsValue) registry.setValue(kKeyPath, "ScreenSaverSample", {kRegSz, "not a key"});
    if (!(stored.flags & kSectionIsKey)) return;
    registry.addKey(kSectionPath);
    if (stored.dispStr) registry.setValue(kSectionPath, "DispStr", *stored.dispStr);
    if (stored.sleepTime) registry.setValue(kSectionPath, "SleepTime", *stored.sleepTime);
}

// The text a reader may take from a value: a string's text up to its first zero.
std::optional<std::string> readable(const Stored& stored, const std::optional<RegValue>& value, bool open) {
    if (!open || !(stored.flags & kSectionIsKey) || !value) return std::nullopt;
    if (value->type != kRegSz && value->type != kRegExpandSz) return std::nullopt;
    return value->data.substr(0, value->data.find('\0'));
}

class Session {
public:
    Session(MemoryRegistry& registry, const Stored& stored)
        : registry_(registry), stored_(stored), settings_(registry) {}

    void run(std::uint8_t call) {
        switch (call % 5) {
            case 0: open(); break;
            case 1: readString(); break;
            case 2: readInteger(); break;
            case 3: settings_.release(); break;
            default: open(), readString(), readInteger(), settings_.release();
        }
        FUZZ_CHECK(registry_.openKeyCount() == (settings_.isOpen() ? 1u : 0u));
    }

private:
    void open() {
        settings_.open();
        FUZZ_CHECK(settings_.isOpen() == !(stored_.flags & kDenied));
    }
    void readString() {
        const std::string text = settings_.readString(kSettingsSection, "DispStr", kDefaultText);
        const auto stored = readable(stored_, stored_.dispStr, settings_.isOpen());
        FUZZ_CHECK(text == stored.value_or(std::string(kDefaultText)));
    }
    void readInteger() {
        const std::int32_t sleep = settings_.readInteger(kSettingsSection, "SleepTime", kDefaultSleep);
        const auto text = readable(stored_, stored_.sleepTime, settings_.isOpen());
        FUZZ_CHECK(sleep == (text ? readInt32(*text).value_or(kDefaultSleep) : kDefaultSleep));
    }

    MemoryRegistry& registry_;
    const Stored& stored_;
    Settings settings_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(std::span(data, size));
    Stored stored;
    stored.flags = in.byte();
    stored.dispStr = takeValue(in);
    stored.sleepTime = takeValue(in);

    MemoryRegistry registry;
    fill(registry, stored);
    if (stored.flags & kDenied) registry.denyAll();
    const std::vector<std::string> keysBefore = registry.keyPaths();
    {
        Session session(registry, stored);
        if (in.empty()) session.run(4);
        // Enough calls for any order of them to matter; more only slows the search.
        for (int calls = 0; calls < kMaxCalls && !in.empty(); ++calls) session.run(in.byte());
    }
    FUZZ_CHECK(registry.openKeyCount() == 0 && registry.unknownCloses() == 0);
    for (const std::uint32_t access : registry.accessRequested()) FUZZ_CHECK(access == kKeyAllAccess);
    // Reading creates at most the settings key itself, never the section.
    FUZZ_CHECK(registry.hasKey(kSectionPath) == ((stored.flags & kSectionIsKey) != 0));
    for (const std::string& path : registry.keyPaths()) {
        const bool before = std::find(keysBefore.begin(), keysBefore.end(), path) != keysBefore.end();
        FUZZ_CHECK(before || path == "Software" || path == kKeyPath);
    }
    return 0;
}
