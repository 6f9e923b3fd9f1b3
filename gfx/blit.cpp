#include "gfx/blit.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "gfx/row_words.h"

namespace morvelux {

namespace {

using rowwords::kAllOnes;
using rowwords::kBits;
using rowwords::Word;

// With two-entry tables a mapped source is its own bits or none, then
// possibly inverted: identity, inverted, all 0 or all 1. flip is an all-0 or
// all-1 word, so it applies in either byte order.
struct Mapping {
    bool usesSource = true;
    Word flip = 0;
};

Mapping mappingFor(const Palette2& from, const Palette2& to) {
    const auto map = colourMap(from, to);
    return {map[0] != map[1], map[0] ? kAllOnes : 0};
}

// How the source pixels of a row are read: not at all when the mapping makes
// them constant, as whole bytes, or as bytes shifted by 1..7 bits.
enum class Read { None, Bytes, ShiftedBytes };

// The block after clipping to both bitmaps; never empty.
struct Block {
    int dx, dy, sx, sy, w, h;
};

// One axis of the clip, in 64 bits so that no position or size can overflow.
struct Run {
    std::int64_t to, from, length;
};

Run clipRun(std::int64_t to, std::int64_t from, std::int64_t length, int toSize, int fromSize) {
    const std::int64_t skip = std::max({std::int64_t{0}, -to, -from});
    to += skip;
    from += skip;
    length = std::min({length - skip, toSize - to, fromSize - from});
    return {to, from, length};
}

std::optional<Block> clip(const Bitmap1& dst, int dx, int dy, int w, int h, const Bitmap1& src, int sx, int sy) {
    const Run x = clipRun(dx, sx, w, dst.width(), src.width());
    const Run y = clipRun(dy, sy, h, dst.height(), src.height());
    if (x.length <= 0 || y.length <= 0) return std::nullopt;
    // Everything now lies inside the bitmaps, so it fits in an int.
    return Block{static_cast<int>(x.to),   static_cast<int>(y.to),     static_cast<int>(x.from),
                 static_cast<int>(y.from), static_cast<int>(x.length), static_cast<int>(y.length)};
}

// How the pixels of one row of the block lie in the destination and source
// rows; the same for every row.
struct RowPlan {
    int first = 0, last = 0;          // destination words the block touches
    Word headMask = 0, tailMask = 0;  // the block's pixels in them, in stored byte order
    // The source bytes under destination word i start at byte 8 i + byteBase
    // and are shifted left by bitShift (0..7) bits.
    int byteBase = 0, bitShift = 0;
    bool headInRow = false, tailInRow = false;  // the edge words' source bytes lie inside the row
    // For an edge word whose source bytes do not: the source words holding
    // pixels of the block, the one under destination word 0 and the bit offset.
    int srcFirst = 0, srcLast = 0, srcBase = 0, shift = 0;

    bool holds(int k) const { return k >= srcFirst && k <= srcLast; }
};

RowPlan planRow(const Block& b, std::size_t srcStrideBytes) {
    RowPlan p;
    const rowwords::Span span = rowwords::spanOf(b.dx, b.w);
    p.first = span.first;
    p.last = span.last;
    p.headMask = rowwords::pixelOrder(span.headMask);
    p.tailMask = rowwords::pixelOrder(span.tailMask);

    const int delta = b.sx - b.dx;  // & and exact division below give floor modulo for negative deltas too
    p.bitShift = delta & 7;
    p.byteBase = (delta - p.bitShift) / 8;
    const auto inRow = [&](int word) {
        const std::ptrdiff_t from = 8 * std::ptrdiff_t{word} + p.byteBase, need = p.bitShift ? 9 : 8;
        return from >= 0 && static_cast<std::size_t>(from + need) <= srcStrideBytes;
    };
    p.headInRow = inRow(p.first);
    p.tailInRow = inRow(p.last);

    p.shift = delta & (kBits - 1);
    p.srcBase = (delta - p.shift) / kBits;
    p.srcFirst = b.sx / kBits;
    p.srcLast = (b.sx + b.w - 1) / kBits;
    return p;
}

Word loadBytes(const std::uint8_t* p) {
    Word w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// 64 source pixels, in stored byte order, from the bytes at `at`. Read as
// bytes rather than words, a shift by whole bytes is just an unaligned load
// and the 0..7 bits left over are shifted inside each byte lane: no byte
// swap, the same in either byte order, and fit for vector registers.
template <Read R>
Word laneWindow(const std::uint8_t* at, int bits) {
    const Word v = loadBytes(at);
    if constexpr (R != Read::ShiftedBytes) {
        return v;
    } else {
        const Word own = Word{0x0101010101010101} * ((0xFFu << bits) & 0xFFu);  // bits that stay in their byte
        return ((v << bits) & own) | ((loadBytes(at + 1) >> (8 - bits)) & ~own);
    }
}

// The same for an edge word whose source bytes reach past the row: word by
// word in pixel order, reading only the words that hold pixels of the block.
Word guardedWindow(const Word* s, const RowPlan& p, int i) {
    const int k = p.srcBase + i;
    const Word hi = p.holds(k) ? rowwords::load(s + k) : 0;
    if (p.shift == 0) return rowwords::pixelOrder(hi);
    const Word lo = p.holds(k + 1) ? rowwords::load(s + k + 1) : 0;
    return rowwords::pixelOrder((hi << p.shift) | (lo >> (kBits - p.shift)));
}

// The mapped source pixels for an edge word, in stored byte order.
template <Read R>
Word edgeSource(const Word* s, const RowPlan& p, int i, bool inRow, Word flip) {
    if constexpr (R == Read::None) return flip;
    if (!inRow) return guardedWindow(s, p, i) ^ flip;
    const auto* at = reinterpret_cast<const std::uint8_t*>(s) + (8 * std::ptrdiff_t{i} + p.byteBase);
    return laneWindow<R>(at, p.bitShift) ^ flip;
}

// v and mask in stored byte order.
template <RasterOp Op>
void applyMasked(Word* d, Word v, Word mask) {
    if constexpr (Op == RasterOp::SrcCopy)
        *d ^= (*d ^ v) & mask;
    else
        *d ^= v & mask;
}

// The whole destination words between the edges; every source byte they need
// holds pixels of the block.
template <RasterOp Op, Read R>
void applyMiddle(Word* __restrict d, const Word* s, const RowPlan& p, Word flip) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(s);
    const std::ptrdiff_t begin = p.first + 1, end = p.last, base = p.byteBase;
    const int bits = p.bitShift;
    for (std::ptrdiff_t i = begin; i < end; ++i) {
        Word v = flip;
        if constexpr (R != Read::None) v ^= laneWindow<R>(bytes + (8 * i + base), bits);
        if constexpr (Op == RasterOp::SrcCopy)
            d[i] = v;
        else
            d[i] ^= v;
    }
}

template <RasterOp Op, Read R>
void blitRow(Word* d, const Word* s, const RowPlan& p, Word flip) {
    applyMasked<Op>(d + p.first, edgeSource<R>(s, p, p.first, p.headInRow, flip), p.headMask);
    if (p.last == p.first) return;
    applyMiddle<Op, R>(d, s, p, flip);
    applyMasked<Op>(d + p.last, edgeSource<R>(s, p, p.last, p.tailInRow, flip), p.tailMask);
}

template <RasterOp Op, Read R>
void blitRows(Bitmap1& dst, const Bitmap1& src, const Block& b, const RowPlan& p, Word flip) {
    for (int y = 0; y < b.h; ++y) blitRow<Op, R>(dst.row(b.dy + y), src.row(b.sy + y), p, flip);
}

template <RasterOp Op>
void blitBlock(Bitmap1& dst, const Bitmap1& src, const Block& b, Mapping m) {
    const RowPlan p = planRow(b, src.strideBytes());
    if (!m.usesSource)
        blitRows<Op, Read::None>(dst, src, b, p, m.flip);
    else if (p.bitShift == 0)
        blitRows<Op, Read::Bytes>(dst, src, b, p, m.flip);
    else
        blitRows<Op, Read::ShiftedBytes>(dst, src, b, p, m.flip);
}

void clearPadding(Bitmap1& b) {
    const int used = b.width() % kBits;
    if (used == 0) return;
    const Word keep = rowwords::pixelOrder(rowwords::spanMask(0, used));
    for (int y = 0; y < b.height(); ++y) b.row(y)[b.wordsPerRow() - 1] &= keep;
}

}  // namespace

std::array<int, 2> colourMap(const Palette2& from, const Palette2& to) {
    Bitmap1 probe(0, 0, to);
    return {probe.nearestIndex(from[0]), probe.nearestIndex(from[1])};
}

void blit(Bitmap1& dst, int dx, int dy, int w, int h, const Bitmap1& src, int sx, int sy, RasterOp op) {
    const std::optional<Block> block = clip(dst, dx, dy, w, h, src, sx, sy);
    if (!block) return;
    if (&dst == &src) {
        // Overlapping copies within one bitmap read the source as it was before.
        // The copy is needed although src is const: dst is the same bitmap.
        const Bitmap1 before = src;  // NOLINT(performance-unnecessary-copy-initialization)
        blit(dst, block->dx, block->dy, block->w, block->h, before, block->sx, block->sy, op);
        return;
    }
    const Mapping m = mappingFor(src.palette(), dst.palette());
    if (op == RasterOp::SrcCopy)
        blitBlock<RasterOp::SrcCopy>(dst, src, *block, m);
    else
        blitBlock<RasterOp::SrcInvert>(dst, src, *block, m);
}

void copyWhole(Bitmap1& dst, const Bitmap1& src) {
    const Mapping m = mappingFor(src.palette(), dst.palette());
    if (dst.width() != src.width() || dst.height() != src.height()) dst.resize(src.width(), src.height());
    const std::size_t count = static_cast<std::size_t>(src.wordsPerRow()) * static_cast<std::size_t>(src.height());
    const Word* s = src.row(0);
    Word* d = dst.row(0);
    if (!m.usesSource)
        std::fill_n(d, count, m.flip);
    else if (m.flip == 0 && d != s)
        std::copy_n(s, count, d);
    else if (m.flip != 0)
        for (std::size_t i = 0; i < count; ++i) d[i] = s[i] ^ m.flip;
    if (m.flip != 0) clearPadding(dst);
}

}  // namespace morvelux
