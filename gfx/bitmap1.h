#pragma once
// A one-bit-per-pixel bitmap with a two-entry colour table, the portable
// stand-in for a monochrome GDI bitmap. Rows are stored top-down, pixels
// packed most significant bit first (as in a DIB), each row padded to whole
// 64-bit words so that the blits can work a word at a time.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gfx/geometry.h"

namespace morvelux {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(Rgb, Rgb) = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};

using Palette2 = std::array<Rgb, 2>;

class Bitmap1 {
public:
    using Word = std::uint64_t;
    static constexpr int kWordBits = 64;

    Bitmap1() = default;
    Bitmap1(int width, int height, Palette2 palette);

    int width() const { return width_; }
    int height() const { return height_; }
    const Palette2& palette() const { return palette_; }
    void setPalette(const Palette2& palette) { palette_ = palette; }

    // Resizes, keeping the palette; new pixels are index 0.
    void resize(int width, int height);

    int wordsPerRow() const { return wordsPerRow_; }
    Word* row(int y) { return words_.data() + static_cast<std::size_t>(y) * wordsPerRow_; }
    const Word* row(int y) const { return words_.data() + static_cast<std::size_t>(y) * wordsPerRow_; }

    // Row bytes in DIB order (MSB first); the padding bits past the width are kept 0.
    const std::uint8_t* bytes() const { return reinterpret_cast<const std::uint8_t*>(words_.data()); }
    std::uint8_t* bytes() { return reinterpret_cast<std::uint8_t*>(words_.data()); }
    std::size_t strideBytes() const { return static_cast<std::size_t>(wordsPerRow_) * sizeof(Word); }

    int pixel(int x, int y) const;
    void setPixel(int x, int y, int index);
    Rgb colourAt(int x, int y) const { return palette_[pixel(x, y)]; }

    // The index whose palette colour is nearest to `colour` (index 0 on a tie).
    int nearestIndex(Rgb colour) const;

    // Fills `area`, clipped to the bitmap, with the index nearest to `colour`.
    void fill(Rect area, Rgb colour);

    friend bool operator==(const Bitmap1&, const Bitmap1&) = default;

private:
    int width_ = 0;
    int height_ = 0;
    int wordsPerRow_ = 0;
    Palette2 palette_{kBlack, kWhite};
    std::vector<Word> words_;
};

}  // namespace morvelux
