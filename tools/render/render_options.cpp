#include "tools/render/render_options.h"

#include <charconv>
#include <string_view>

namespace morvelux::tools {

namespace {

std::optional<int> wholeNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

std::optional<RenderOptions> parseRenderOptions(int argc, const char* const* argv) {
    RenderOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--title") {
            options.title = true;
            continue;
        }
        if (i + 1 >= argc) return std::nullopt;
        const std::string_view value = argv[++i];
        if (arg == "--out") {
            options.out = value;
            continue;
        }
        const auto number = wholeNumber(value);
        if (!number) return std::nullopt;
        if (arg == "--image-left")
            options.imageLeft = number;
        else if (arg == "--offset")
            options.offsetX = number;
        else if (arg == "--ticks" && *number >= 0)
            options.ticks = number;
        else
            return std::nullopt;
    }
    if (options.ticks && (options.imageLeft || options.offsetX)) return std::nullopt;
    return options;
}

}  // namespace morvelux::tools
