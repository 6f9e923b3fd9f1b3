#pragma once
#include <optional>
#include <string>

namespace morvelux::tools {

struct RenderOptions {
    std::optional<int> imageLeft;
    std::optional<int> offsetX;
    std::optional<int> ticks;
    bool title = false;
    std::string out = "moire.png";
};

// Nothing for an unknown option, a missing or malformed number, a negative
// tick count, or ticks given together with a position.
std::optional<RenderOptions> parseRenderOptions(int argc, const char* const* argv);

}  // namespace morvelux::tools
