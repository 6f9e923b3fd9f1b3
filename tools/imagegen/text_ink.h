#pragma once
// Lettering with FreeType: one line of text rendered to coverage values.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gfx/bitmap1.h"

struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace morvelux::tools {

struct GreyImage {
    int width = 0, height = 0;
    std::vector<std::uint8_t> value;  // 0 blank .. 255 fully covered, rows top-down

    GreyImage() = default;
    GreyImage(int w, int h) : width(w), height(h), value(static_cast<std::size_t>(w) * h, 0) {}
    std::uint8_t& at(int x, int y) { return value[static_cast<std::size_t>(y) * width + x]; }
    std::uint8_t at(int x, int y) const { return value[static_cast<std::size_t>(y) * width + x]; }
};

struct TextStyle {
    std::string fontFile;
    double xPpem = 0;      // horizontal pixels per em: less than yPpem narrows the letters
    double yPpem = 0;      // vertical pixels per em
    double tracking = 0;   // extra pixels after every letter but the last
    bool hinted = true;    // grid-fitted one-bit glyphs, else unhinted grey outlines
    double rise = 0;       // unhinted only: lifts the letters by a fraction of a pixel
};

// A rendered line: `ink` is where coverage reaches the threshold, in the
// coordinates of `coverage`; `baseline` is the row of the baseline there.
struct TextInk {
    GreyImage coverage;
    Rect ink;
    int baseline = 0;
};

class Typesetter {
public:
    Typesetter();
    ~Typesetter();
    Typesetter(const Typesetter&) = delete;
    Typesetter& operator=(const Typesetter&) = delete;

    // Throws std::runtime_error when the font cannot be loaded.
    TextInk render(const TextStyle& style, std::string_view text, std::uint8_t threshold);

private:
    FT_FaceRec_* face(const std::string& fontFile);

    FT_LibraryRec_* library_ = nullptr;
    std::map<std::string, FT_FaceRec_*> faces_;
};

}  // namespace morvelux::tools
