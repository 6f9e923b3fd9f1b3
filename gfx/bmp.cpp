#include "gfx/bmp.h"

#include <cstring>
#include <limits>

namespace morvelux {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr int kMaxDimension = 1 << 15;

std::uint32_t u32(std::span<const std::uint8_t> d, std::size_t at) {
    return static_cast<std::uint32_t>(d[at]) | static_cast<std::uint32_t>(d[at + 1]) << 8 |
           static_cast<std::uint32_t>(d[at + 2]) << 16 | static_cast<std::uint32_t>(d[at + 3]) << 24;
}
std::uint16_t u16(std::span<const std::uint8_t> d, std::size_t at) {
    return static_cast<std::uint16_t>(d[at] | d[at + 1] << 8);
}
std::int32_t s32(std::span<const std::uint8_t> d, std::size_t at) { return static_cast<std::int32_t>(u32(d, at)); }

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

bool isFile(std::span<const std::uint8_t> d) { return d.size() >= 2 && d[0] == 'B' && d[1] == 'M'; }

// Every 8-bit pixel must name an entry of the colour table; the padding at
// the end of each row is no pixel and may hold anything.
bool indicesInTable(const Dib& dib, std::uint32_t colours) {
    for (int y = 0; y < dib.height; ++y) {
        const std::uint8_t* row = dib.rows.data() + static_cast<std::size_t>(y) * dib.stride();
        for (int x = 0; x < dib.width; ++x)
            if (row[x] >= colours) return false;
    }
    return true;
}

// Parses from the info header on; `pixelsAt` is where the rows start within `d`
// (0: right after the colour table, as in a packed DIB).
std::optional<Dib> parse(std::span<const std::uint8_t> d, std::size_t infoAt, std::size_t pixelsAt) {
    if (d.size() < infoAt + kInfoHeaderSize || u32(d, infoAt) != kInfoHeaderSize) return std::nullopt;
    const std::int32_t width = s32(d, infoAt + 4), height = s32(d, infoAt + 8);
    const int bpp = u16(d, infoAt + 14);
    if (u16(d, infoAt + 12) != 1 || u32(d, infoAt + 16) != 0) return std::nullopt;  // planes, compression
    if (bpp != 1 && bpp != 8) return std::nullopt;
    if (width <= 0 || height == 0 || width > kMaxDimension || height > kMaxDimension || height < -kMaxDimension)
        return std::nullopt;
    const std::uint32_t maxColours = 1u << bpp;
    std::uint32_t colours = u32(d, infoAt + 32);
    if (colours == 0) colours = maxColours;
    if (colours > maxColours) return std::nullopt;

    const std::size_t tableAt = infoAt + kInfoHeaderSize;
    if (d.size() < tableAt + colours * 4) return std::nullopt;
    Dib dib;
    dib.width = width;
    dib.height = height < 0 ? -height : height;
    dib.bitsPerPixel = bpp;
    for (std::uint32_t i = 0; i < colours; ++i) {
        const std::size_t at = tableAt + i * 4;
        dib.palette.push_back({d[at + 2], d[at + 1], d[at]});
    }
    if (pixelsAt == 0) pixelsAt = tableAt + colours * 4;
    if (pixelsAt < tableAt + colours * 4) return std::nullopt;
    const std::size_t stride = dib.stride();
    const std::size_t size = stride * static_cast<std::size_t>(dib.height);
    if (pixelsAt > d.size() || d.size() - pixelsAt < size) return std::nullopt;

    dib.rows.resize(size);
    for (int y = 0; y < dib.height; ++y) {
        const int fileRow = height > 0 ? dib.height - 1 - y : y;  // positive height: bottom-up
        std::memcpy(dib.rows.data() + y * stride, d.data() + pixelsAt + static_cast<std::size_t>(fileRow) * stride,
                    stride);
    }
    if (bpp == 8 && !indicesInTable(dib, colours)) return std::nullopt;
    return dib;
}

}  // namespace

std::optional<Dib> readDib(std::span<const std::uint8_t> data) {
    if (!isFile(data)) return parse(data, 0, 0);
    if (data.size() < kFileHeaderSize) return std::nullopt;
    if (u32(data, 2) != data.size()) return std::nullopt;  // the file size must tell the truth
    const std::uint32_t offset = u32(data, 10);
    if (offset < kFileHeaderSize + kInfoHeaderSize) return std::nullopt;
    return parse(data, kFileHeaderSize, offset);
}

std::vector<std::uint8_t> writeBmp(const Dib& dib) {
    const std::size_t tableSize = dib.palette.size() * 4;
    const std::size_t offset = kFileHeaderSize + kInfoHeaderSize + tableSize;
    const std::size_t stride = dib.stride();
    const std::size_t imageSize = stride * static_cast<std::size_t>(dib.height);
    std::vector<std::uint8_t> out;
    out.reserve(offset + imageSize);
    out.push_back('B');
    out.push_back('M');
    put32(out, static_cast<std::uint32_t>(offset + imageSize));
    put32(out, 0);
    put32(out, static_cast<std::uint32_t>(offset));
    put32(out, kInfoHeaderSize);
    put32(out, static_cast<std::uint32_t>(dib.width));
    put32(out, static_cast<std::uint32_t>(dib.height));
    put16(out, 1);
    put16(out, static_cast<std::uint16_t>(dib.bitsPerPixel));
    put32(out, 0);  // no compression
    put32(out, static_cast<std::uint32_t>(imageSize));
    put32(out, 0);
    put32(out, 0);
    put32(out, static_cast<std::uint32_t>(dib.palette.size()));
    put32(out, 0);
    for (Rgb c : dib.palette) {
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }
    for (int y = dib.height - 1; y >= 0; --y) {
        const auto* row = dib.rows.data() + static_cast<std::size_t>(y) * stride;
        out.insert(out.end(), row, row + stride);
    }
    return out;
}

std::optional<Bitmap1> toBitmap1(const Dib& dib) {
    if (dib.bitsPerPixel != 1 || dib.palette.size() != 2) return std::nullopt;
    Bitmap1 bitmap(dib.width, dib.height, {dib.palette[0], dib.palette[1]});
    const std::size_t rowBytes = (static_cast<std::size_t>(dib.width) + 7) / 8;
    for (int y = 0; y < dib.height; ++y) {
        auto* row = bitmap.bytes() + static_cast<std::size_t>(y) * bitmap.strideBytes();
        std::memcpy(row, dib.rows.data() + static_cast<std::size_t>(y) * dib.stride(), rowBytes);
        if (dib.width % 8) row[rowBytes - 1] &= static_cast<std::uint8_t>(0xFF00u >> (dib.width % 8));
    }
    return bitmap;
}

Dib fromBitmap1(const Bitmap1& bitmap) {
    Dib dib;
    dib.width = bitmap.width();
    dib.height = bitmap.height();
    dib.bitsPerPixel = 1;
    dib.palette = {bitmap.palette()[0], bitmap.palette()[1]};
    const std::size_t stride = dib.stride();
    dib.rows.assign(stride * static_cast<std::size_t>(dib.height), 0);
    const std::size_t rowBytes = (static_cast<std::size_t>(dib.width) + 7) / 8;
    for (int y = 0; y < dib.height; ++y)
        std::memcpy(dib.rows.data() + static_cast<std::size_t>(y) * stride,
                    bitmap.bytes() + static_cast<std::size_t>(y) * bitmap.strideBytes(), rowBytes);
    return dib;
}

}  // namespace morvelux
