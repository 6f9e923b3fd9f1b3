#pragma once
// Word-at-a-time access to the rows of a Bitmap1. Rows are stored as bytes
// in DIB order, so a 64-bit word read from memory is brought into pixel order
// (bit 63 = leftmost pixel) by swapping its bytes on little-endian machines;
// only then do shifts move pixels left and right.
#include <bit>
#include <cstdint>

namespace morvelux::rowwords {

using Word = std::uint64_t;
inline constexpr int kBits = 64;
inline constexpr Word kAllOnes = ~Word{0};

static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big,
              "rows are read as whole words, which needs a plain byte order");

constexpr Word byteSwap(Word w) {
#if defined(__GNUC__) || defined(__clang__)
    return __builtin_bswap64(w);
#else
    Word r = 0;
    for (int i = 0; i < 8; ++i, w >>= 8) r = (r << 8) | (w & 0xFF);
    return r;
#endif
}

// Stored word <-> pixel-order word: the same swap in both directions.
constexpr Word pixelOrder(Word w) {
    if constexpr (std::endian::native == std::endian::little)
        return byteSwap(w);
    else
        return w;
}

inline Word load(const Word* p) { return pixelOrder(*p); }

// Pixel-order mask of the pixels [from, to) of one word, 0 <= from < to <= 64.
constexpr Word spanMask(int from, int to) {
    const Word fromOn = kAllOnes >> from;
    const Word toOn = to == kBits ? 0 : kAllOnes >> to;
    return fromOn & ~toOn;
}

// The words a run of pixels [from, from + count) covers, count >= 1, with the
// masks of its first and last word (pixel order; the same word when first == last).
struct Span {
    int first = 0, last = 0;
    Word headMask = 0, tailMask = 0;
};

constexpr Span spanOf(int from, int count) {
    const int end = from + count;  // one past the last pixel
    Span s;
    s.first = from / kBits;
    s.last = (end - 1) / kBits;
    s.headMask = spanMask(from % kBits, kBits);
    s.tailMask = spanMask(0, (end - 1) % kBits + 1);
    if (s.first == s.last) s.headMask = s.tailMask = s.headMask & s.tailMask;
    return s;
}

// Sets or clears the pixels of `mask` (pixel order) in a stored word.
inline void setMasked(Word* p, Word mask, bool one) {
    if (one)
        *p |= pixelOrder(mask);
    else
        *p &= ~pixelOrder(mask);
}

}  // namespace morvelux::rowwords
