#include "animation/panel_pixels.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace morvelux {

PanelPainter::PanelPainter(int zoom, std::uint32_t black, std::uint32_t white)
    : zoom_(zoom), byteRuns_(256u * 8u * static_cast<std::size_t>(zoom)) {
    const auto run = 8u * static_cast<std::size_t>(zoom);
    for (std::size_t value = 0; value < 256; ++value)
        for (std::size_t x = 0; x < run; ++x)
            byteRuns_[value * run + x] = (value << (x / static_cast<std::size_t>(zoom))) & 0x80 ? white : black;
}

void PanelPainter::expandRow(const std::uint8_t* bits, int bytes, std::uint32_t* out) const {
    const auto run = 8u * static_cast<std::size_t>(zoom_);
#if defined(__SSE2__)
    // The pixels are read by the compositor, not by us: written past the
    // cache, they cost no reads of what was there before.
    // The fence that makes them visible is paint()'s, once a frame: one a
    // row would wait for the memory 768 times.
    if (reinterpret_cast<std::uintptr_t>(out) % 16 == 0) {
        if (zoom_ == 1) {
            for (int i = 0; i < bytes; ++i, out += 8) {
                const auto* from = reinterpret_cast<const __m128i*>(&byteRuns_[bits[i] * 8u]);
                _mm_stream_si128(reinterpret_cast<__m128i*>(out), _mm_loadu_si128(from));
                _mm_stream_si128(reinterpret_cast<__m128i*>(out + 4), _mm_loadu_si128(from + 1));
            }
            return;
        }
        for (int i = 0; i < bytes; ++i) {
            const auto* from = reinterpret_cast<const __m128i*>(&byteRuns_[bits[i] * run]);
            for (std::size_t k = 0; k < run / 4; ++k, out += 4)
                _mm_stream_si128(reinterpret_cast<__m128i*>(out), _mm_loadu_si128(from + k));
        }
        return;
    }
#endif
    // A copy whose size is known when compiling becomes a few word moves; one
    // whose size is known only when running may be a call for every byte.
    if (zoom_ == 1) {
        for (int i = 0; i < bytes; ++i, out += 8)
            std::memcpy(out, &byteRuns_[bits[i] * 8u], 8 * sizeof(std::uint32_t));
        return;
    }
    for (int i = 0; i < bytes; ++i, out += run)
        std::memcpy(out, &byteRuns_[bits[i] * run], run * sizeof(std::uint32_t));
}

void PanelPainter::paint(const PanelBits& panel, const PanelLayout& layout, std::uint32_t* pixels,
                         std::size_t stride) {
    const Rect& shown = layout.shown;
    if (shown.empty()) return;
    const int run = 8 * zoom_;
    // Rows that start and end on whole panel bytes go straight into the
    // buffer; others through one enlarged row.
    const bool wholeBytes = layout.fromX % run == 0 && shown.width % run == 0;
    const int bytes = wholeBytes ? shown.width / run : (panel.width + 7) / 8;
    const int firstByte = wholeBytes ? layout.fromX / run : 0;
    if (!wholeBytes) row_.resize(static_cast<std::size_t>(bytes) * static_cast<std::size_t>(run));
    const std::uint32_t* previous = nullptr;
    int expanded = -1;
    for (int y = 0; y < shown.height; ++y) {
        std::uint32_t* out = pixels + static_cast<std::size_t>(shown.top + y) * stride + static_cast<std::size_t>(shown.left);
        const int source = (layout.fromY + y) / zoom_;
        const std::uint8_t* bits = panel.bytes + static_cast<std::size_t>(source) * panel.stride + firstByte;
        const auto width = static_cast<std::size_t>(shown.width) * sizeof(std::uint32_t);
        if (source == expanded) {
            std::memcpy(out, previous, width);  // the same panel row again, one block lower
        } else if (wholeBytes) {
            expandRow(bits, bytes, out);
        } else {
            expandRow(bits, bytes, row_.data());
            std::memcpy(out, &row_[static_cast<std::size_t>(layout.fromX)], width);
        }
        previous = out;
        expanded = source;
    }
#if defined(__SSE2__)
    _mm_sfence();
#endif
}

}  // namespace morvelux
