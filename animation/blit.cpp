#include "animation/blit.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "animation/row_words.h"

namespace morvelux {

namespace {

using rowwords::kAllOnes;
using rowwords::kBits;
using rowwords::Word;

// With two-entry tables a mapped source is its bits kept or dropped, then
// possibly inverted: identity, inverted, all 0 or all 1.
struct Mapping {
    Word keep = kAllOnes;
    Word flip = 0;
    Word operator()(Word bits) const { return (bits & keep) ^ flip; }
    bool identity() const { return keep == kAllOnes && flip == 0; }
};

Mapping mappingFor(const Palette2& from, const Palette2& to) {
    const auto map = colourMap(from, to);
    const Word flip = map[0] ? kAllOnes : 0;
    return {map[0] == map[1] ? 0 : kAllOnes, flip};
}

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
// words; the same for every row.
struct RowPlan {
    rowwords::Span dst;     // destination words and the masks of the edge ones
    int srcBase = 0;        // source word under destination word 0 (may be negative)
    int shift = 0;          // bit offset of the source pixels in that word, 0..63
    int srcFirst = 0;       // source words that hold pixels of the block
    int srcLast = 0;

    bool holds(int k) const { return k >= srcFirst && k <= srcLast; }
};

RowPlan planRow(const Block& b) {
    RowPlan p;
    p.dst = rowwords::spanOf(b.dx, b.w);
    const int delta = b.sx - b.dx;
    p.shift = delta & (kBits - 1);  // floor modulo, negative deltas too
    p.srcBase = (delta - p.shift) / kBits;
    p.srcFirst = b.sx / kBits;
    p.srcLast = (b.sx + b.w - 1) / kBits;
    return p;
}

// The 64 source pixels that land on destination word i, for the edge words:
// words outside the block are not read (they may lie outside the row).
Word edgeWindow(const Word* s, const RowPlan& p, int i) {
    const int k = p.srcBase + i;
    const Word hi = p.holds(k) ? rowwords::load(s + k) : 0;
    if (p.shift == 0) return hi;
    const Word lo = p.holds(k + 1) ? rowwords::load(s + k + 1) : 0;
    return (hi << p.shift) | (lo >> (kBits - p.shift));
}

template <RasterOp Op>
void applyEdge(Word* d, Word v, Word mask) {
    if constexpr (Op == RasterOp::SrcCopy)
        rowwords::replaceMasked(d, v, mask);
    else
        *d ^= rowwords::pixelOrder(v & mask);
}

// The whole destination words between the edges; every source word they
// need holds pixels of the block.
template <RasterOp Op, bool Shifted>
void applyMiddle(Word* d, const Word* s, const RowPlan& p, Mapping m) {
    const int begin = p.dst.first + 1, end = p.dst.last, base = p.srcBase, shift = p.shift;
    for (int i = begin; i < end; ++i) {
        const int k = base + i;
        Word v = rowwords::load(s + k);
        if constexpr (Shifted) v = (v << shift) | (rowwords::load(s + k + 1) >> (kBits - shift));
        v = m(v);
        if constexpr (Op == RasterOp::SrcCopy)
            rowwords::store(d + i, v);
        else
            d[i] ^= rowwords::pixelOrder(v);
    }
}

template <RasterOp Op, bool Shifted>
void blitRow(Word* d, const Word* s, const RowPlan& p, Mapping m) {
    applyEdge<Op>(d + p.dst.first, m(edgeWindow(s, p, p.dst.first)), p.dst.headMask);
    if (p.dst.last == p.dst.first) return;
    applyMiddle<Op, Shifted>(d, s, p, m);
    applyEdge<Op>(d + p.dst.last, m(edgeWindow(s, p, p.dst.last)), p.dst.tailMask);
}

template <RasterOp Op, bool Shifted>
void blitRows(Bitmap1& dst, const Bitmap1& src, const Block& b, const RowPlan& p, Mapping m) {
    for (int y = 0; y < b.h; ++y) blitRow<Op, Shifted>(dst.row(b.dy + y), src.row(b.sy + y), p, m);
}

template <RasterOp Op>
void blitBlock(Bitmap1& dst, const Bitmap1& src, const Block& b, Mapping m) {
    const RowPlan p = planRow(b);
    if (p.shift == 0)
        blitRows<Op, false>(dst, src, b, p, m);
    else
        blitRows<Op, true>(dst, src, b, p, m);
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
        const Bitmap1 before = src;
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
    if (m.identity()) {
        if (d != s) std::copy_n(s, count, d);
        return;
    }
    // keep and flip are all-0 or all-1 words, so the byte order does not matter here.
    for (std::size_t i = 0; i < count; ++i) d[i] = m(s[i]);
    if (m.flip != 0) clearPadding(dst);
}

}  // namespace morvelux
