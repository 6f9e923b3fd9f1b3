#include "tools/imagegen/text_ink.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_DRIVER_H
#include FT_MODULE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <climits>
#include <cmath>
#include <stdexcept>

namespace morvelux::tools {

namespace {

FT_F26Dot6 toFixed(double pixels) { return static_cast<FT_F26Dot6>(std::lround(pixels * 64.0)); }

struct PlacedGlyph {
    int left = 0, top = 0;  // top-left pixel, y upwards from the baseline
    GreyImage coverage;
};

GreyImage coverageOf(const FT_Bitmap& bitmap) {
    GreyImage image(static_cast<int>(bitmap.width), static_cast<int>(bitmap.rows));
    for (int y = 0; y < image.height; ++y) {
        const unsigned char* row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
        for (int x = 0; x < image.width; ++x) {
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
                image.at(x, y) = (row[x / 8] & (0x80 >> (x % 8))) ? 255 : 0;
            else
                image.at(x, y) = row[x];
        }
    }
    return image;
}

// Renders the loaded glyph with its origin `fraction` (1/64 px) right of a
// pixel edge and `rise` (1/64 px) above the baseline.
PlacedGlyph renderSlot(FT_GlyphSlot slot, bool hinted, FT_Pos fraction, FT_Pos rise, int penPixel) {
    if (!hinted && slot->format == FT_GLYPH_FORMAT_OUTLINE) FT_Outline_Translate(&slot->outline, fraction, rise);
    if (FT_Render_Glyph(slot, hinted ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL)) return {};
    return {penPixel + slot->bitmap_left, slot->bitmap_top, coverageOf(slot->bitmap)};
}

TextInk compose(const std::vector<PlacedGlyph>& glyphs, std::uint8_t threshold) {
    int left = INT_MAX, right = INT_MIN, top = INT_MIN, bottom = INT_MAX;
    for (const auto& g : glyphs) {
        if (g.coverage.width == 0 || g.coverage.height == 0) continue;
        left = std::min(left, g.left);
        right = std::max(right, g.left + g.coverage.width);
        top = std::max(top, g.top);
        bottom = std::min(bottom, g.top - g.coverage.height);
    }
    TextInk text;
    if (left > right) return text;
    text.coverage = GreyImage(right - left, top - bottom);
    text.baseline = top;
    for (const auto& g : glyphs)
        for (int y = 0; y < g.coverage.height; ++y)
            for (int x = 0; x < g.coverage.width; ++x) {
                auto& v = text.coverage.at(g.left - left + x, top - g.top + y);
                v = std::max(v, g.coverage.at(x, y));
            }
    int inkLeft = INT_MAX, inkTop = INT_MAX, inkRight = INT_MIN, inkBottom = INT_MIN;
    for (int y = 0; y < text.coverage.height; ++y)
        for (int x = 0; x < text.coverage.width; ++x)
            if (text.coverage.at(x, y) >= threshold) {
                inkLeft = std::min(inkLeft, x);
                inkTop = std::min(inkTop, y);
                inkRight = std::max(inkRight, x + 1);
                inkBottom = std::max(inkBottom, y + 1);
            }
    text.ink = inkLeft > inkRight ? Rect{} : Rect::fromEdges(inkLeft, inkTop, inkRight, inkBottom);
    return text;
}

}  // namespace

Typesetter::Typesetter() {
    if (FT_Init_FreeType(&library_)) throw std::runtime_error("FreeType does not start");
    // The classic interpreter hints both directions: crisp stems for one-bit text.
    FT_UInt version = TT_INTERPRETER_VERSION_35;
    FT_Property_Set(library_, "truetype", "interpreter-version", &version);
}

Typesetter::~Typesetter() {
    for (auto& [file, f] : faces_) FT_Done_Face(f);
    FT_Done_FreeType(library_);
}

FT_FaceRec_* Typesetter::face(const std::string& fontFile) {
    if (auto found = faces_.find(fontFile); found != faces_.end()) return found->second;
    FT_Face f = nullptr;
    if (FT_New_Face(library_, fontFile.c_str(), 0, &f)) throw std::runtime_error("cannot load font " + fontFile);
    faces_[fontFile] = f;
    return f;
}

TextInk Typesetter::render(const TextStyle& style, std::string_view text, std::uint8_t threshold) {
    FT_Face f = face(style.fontFile);
    FT_Set_Char_Size(f, toFixed(style.xPpem), toFixed(style.yPpem), 72, 72);
    const FT_Int32 flags = style.hinted ? FT_LOAD_TARGET_MONO : (FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP);
    std::vector<PlacedGlyph> glyphs;
    FT_Pos pen = 0;  // 1/64 px
    for (const char c : text) {
        if (FT_Load_Char(f, static_cast<unsigned char>(c), flags)) continue;
        const FT_Pos at = style.hinted ? (pen + 32) & ~63 : pen;
        glyphs.push_back(renderSlot(f->glyph, style.hinted, at & 63, toFixed(style.rise), static_cast<int>(at >> 6)));
        pen += f->glyph->advance.x + toFixed(style.tracking);
    }
    return compose(glyphs, threshold);
}

}  // namespace morvelux::tools
