#pragma once
// The picture files of animation/images exactly as committed.
#include <cstdint>
#include <span>
#include <string_view>

namespace morvelux::testing {

// "img1", "img2", "title" or "sample"; empty for any other name.
std::span<const std::uint8_t> committedFile(std::string_view name);

}  // namespace morvelux::testing
