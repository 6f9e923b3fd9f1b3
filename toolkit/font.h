#pragma once
#include <string>

namespace tk {

inline constexpr int kShiftJisCharset = 128;

struct Font {
    std::string name = "Arial";
    int height = 12;  // pixels of character height (the em, without the leading)
    bool bold = false;
    int charset = kShiftJisCharset;
    friend bool operator==(const Font&, const Font&) = default;
};

}  // namespace tk
