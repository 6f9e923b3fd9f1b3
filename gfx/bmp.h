#pragma once
// Reading and writing Windows device-independent bitmaps: a BMP file, or a
// packed DIB as a bitmap resource holds it (no file header).
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "gfx/bitmap1.h"

namespace morvelux {

struct Dib {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;           // 1 or 8
    std::vector<Rgb> palette;       // the colour table
    std::vector<std::uint8_t> rows; // top-down, each row padded to 4 bytes as in the file
    std::size_t stride() const { return ((static_cast<std::size_t>(width) * bitsPerPixel + 31) / 32) * 4; }
};

// Parses a BMP file or a packed DIB. Returns nothing for anything malformed:
// truncated data, lying sizes or offsets, unsupported formats.
std::optional<Dib> readDib(std::span<const std::uint8_t> data);

// A complete BMP file: 14-byte file header, 40-byte info header, colour
// table, bottom-up rows.
std::vector<std::uint8_t> writeBmp(const Dib& dib);

// A one-bit DIB as a Bitmap1 with the DIB's own colour table.
std::optional<Bitmap1> toBitmap1(const Dib& dib);
Dib fromBitmap1(const Bitmap1& bitmap);

}  // namespace morvelux
