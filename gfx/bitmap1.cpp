#include "gfx/bitmap1.h"

#include <algorithm>

#include "gfx/row_words.h"

namespace morvelux {

namespace {

constexpr int wordsFor(int width) { return (width + Bitmap1::kWordBits - 1) / Bitmap1::kWordBits; }

// Byte of pixel x within its row, and the bit inside that byte (MSB first).
constexpr std::size_t byteOf(int x) { return static_cast<std::size_t>(x) >> 3; }
constexpr std::uint8_t bitOf(int x) { return static_cast<std::uint8_t>(0x80u >> (x & 7)); }

void fillSpan(Bitmap1::Word* row, const rowwords::Span& span, bool one) {
    rowwords::setMasked(row + span.first, span.headMask, one);
    if (span.last == span.first) return;
    std::fill(row + span.first + 1, row + span.last, one ? rowwords::kAllOnes : 0);
    rowwords::setMasked(row + span.last, span.tailMask, one);
}

int distance2(Rgb a, Rgb b) {
    const int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
    return dr * dr + dg * dg + db * db;
}

}  // namespace

Bitmap1::Bitmap1(int width, int height, Palette2 palette) : palette_(palette) { resize(width, height); }

void Bitmap1::resize(int width, int height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    wordsPerRow_ = wordsFor(width_);
    words_.assign(static_cast<std::size_t>(wordsPerRow_) * height_, 0);
}

int Bitmap1::pixel(int x, int y) const {
    const std::uint8_t* rowBytes = bytes() + static_cast<std::size_t>(y) * strideBytes();
    return (rowBytes[byteOf(x)] & bitOf(x)) ? 1 : 0;
}

void Bitmap1::setPixel(int x, int y, int index) {
    std::uint8_t* rowBytes = bytes() + static_cast<std::size_t>(y) * strideBytes();
    if (index)
        rowBytes[byteOf(x)] |= bitOf(x);
    else
        rowBytes[byteOf(x)] &= static_cast<std::uint8_t>(~bitOf(x));
}

int Bitmap1::nearestIndex(Rgb colour) const {
    return distance2(palette_[1], colour) < distance2(palette_[0], colour) ? 1 : 0;
}

void Bitmap1::fill(Rect area, Rgb colour) {
    const int left = std::max(area.left, 0), right = std::min(area.right(), width_);
    const int top = std::max(area.top, 0), bottom = std::min(area.bottom(), height_);
    if (left >= right || top >= bottom) return;
    const bool one = nearestIndex(colour) == 1;
    const rowwords::Span span = rowwords::spanOf(left, right - left);
    for (int y = top; y < bottom; ++y) fillSpan(row(y), span, one);
}

}  // namespace morvelux
