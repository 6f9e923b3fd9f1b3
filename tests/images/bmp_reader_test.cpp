#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "gfx/bmp.h"

namespace morvelux::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Field offsets in a BMP file.
constexpr std::size_t kFileSize = 2, kPixelsAt = 10, kInfoSize = 14, kWidth = 18, kHeight = 22, kPlanes = 26,
                      kBitsPerPixel = 28, kCompression = 30, kColoursUsed = 46, kTable = 54;

void put32(Bytes& d, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) d[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void put16(Bytes& d, std::size_t at, std::uint16_t v) {
    d[at] = static_cast<std::uint8_t>(v);
    d[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

Dib oneBitDib() {  // 13 x 5: a row of 2 bytes padded to 4
    Dib dib;
    dib.width = 13;
    dib.height = 5;
    dib.bitsPerPixel = 1;
    dib.palette = {kWhite, kBlack};
    dib.rows.assign(dib.stride() * 5, 0);
    for (int y = 0; y < 5; ++y) {
        dib.rows[y * dib.stride()] = static_cast<std::uint8_t>(0x81 >> y);
        dib.rows[y * dib.stride() + 1] = 0x08;  // the last pixel of the row
    }
    return dib;
}

Dib eightBitDib() {  // 5 x 3 with three colours: 3 bytes of padding per row
    Dib dib;
    dib.width = 5;
    dib.height = 3;
    dib.bitsPerPixel = 8;
    dib.palette = {kWhite, {128, 128, 128}, kBlack};
    dib.rows.assign(dib.stride() * 3, 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) dib.rows[y * dib.stride() + x] = static_cast<std::uint8_t>((x + y) % 3);
    return dib;
}

bool sameDib(const Dib& a, const Dib& b) {
    return a.width == b.width && a.height == b.height && a.bitsPerPixel == b.bitsPerPixel && a.palette == b.palette &&
           a.rows == b.rows;
}

Bytes withField32(Bytes d, std::size_t at, std::uint32_t v) {
    put32(d, at, v);
    return d;
}

// A packed DIB, as a bitmap resource holds it: no file header.
Bytes packed(const Bytes& file) { return {file.begin() + 14, file.end()}; }

TEST(BmpReader, ReadsBackWhatTheWriterWrote) {
    for (const Dib& dib : {oneBitDib(), eightBitDib()}) {
        const Bytes file = writeBmp(dib);
        const auto fromFile = readDib(file);
        ASSERT_TRUE(fromFile.has_value());
        EXPECT_TRUE(sameDib(*fromFile, dib));
        const auto fromResource = readDib(packed(file));
        ASSERT_TRUE(fromResource.has_value());
        EXPECT_TRUE(sameDib(*fromResource, dib));
    }
}

TEST(BmpReader, TopDownRowsComeOutInTheSameOrder) {
    const Dib dib = oneBitDib();
    Bytes file = writeBmp(dib);
    put32(file, kHeight, static_cast<std::uint32_t>(-dib.height));
    const auto flipped = readDib(file);
    ASSERT_TRUE(flipped.has_value());
    EXPECT_EQ(flipped->height, dib.height);
    for (int y = 0; y < dib.height; ++y)  // the file's first row is now the top one
        EXPECT_EQ(flipped->rows[y * dib.stride()], dib.rows[(dib.height - 1 - y) * dib.stride()]);
}

TEST(BmpReader, RejectsEveryTruncation) {
    for (const Dib& dib : {oneBitDib(), eightBitDib()}) {
        const Bytes file = writeBmp(dib);
        for (std::size_t size = 0; size < file.size(); ++size) {
            Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
            EXPECT_FALSE(readDib(cut).has_value()) << "cut at " << size;
            if (size >= 6) put32(cut, kFileSize, static_cast<std::uint32_t>(size));  // the size field agrees
            EXPECT_FALSE(readDib(cut).has_value()) << "cut at " << size << ", size field agreeing";
        }
        const Bytes resource = packed(file);
        for (std::size_t size = 0; size < resource.size(); ++size)
            EXPECT_FALSE(readDib({resource.data(), size}).has_value()) << "resource cut at " << size;
    }
}

TEST(BmpReader, RejectsALyingFileSize) {
    const Bytes file = writeBmp(oneBitDib());
    const auto size = static_cast<std::uint32_t>(file.size());
    for (std::uint32_t lie : {size - 1, size + 1, 0u, 0xFFFFFFFFu})
        EXPECT_FALSE(readDib(withField32(file, kFileSize, lie)).has_value()) << lie;
    Bytes longer = file;
    longer.push_back(0);
    EXPECT_FALSE(readDib(longer).has_value());
}

TEST(BmpReader, RejectsPixelOffsetsOutsideThePixels) {
    const Bytes file = writeBmp(eightBitDib());
    const auto size = static_cast<std::uint32_t>(file.size());
    // Into the headers, into the colour table, past the end, far past it.
    for (std::uint32_t offset : {0u, 14u, 53u, 54u, 58u, 62u, 67u, size, 0xFFFFFFF0u})
        EXPECT_FALSE(readDib(withField32(file, kPixelsAt, offset)).has_value()) << offset;
}

TEST(BmpReader, RejectsAbsurdDimensions) {
    const Bytes file = writeBmp(oneBitDib());
    for (std::uint32_t width : {0u, 0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu, 1u << 20})
        EXPECT_FALSE(readDib(withField32(file, kWidth, width)).has_value()) << width;
    for (std::uint32_t height : {0u, 0x80000000u, 0x7FFFFFFFu, 0x80000001u, 1u << 20})
        EXPECT_FALSE(readDib(withField32(file, kHeight, height)).has_value()) << height;
}

TEST(BmpReader, RejectsFormatsItDoesNotDecode) {
    const Bytes file = writeBmp(oneBitDib());
    for (std::uint16_t bpp : std::initializer_list<std::uint16_t>{0, 2, 4, 16, 24, 32}) {
        Bytes d = file;
        put16(d, kBitsPerPixel, bpp);
        EXPECT_FALSE(readDib(d).has_value()) << "bits per pixel " << bpp;
    }
    for (std::uint32_t compression : {1u, 2u, 3u, 0xFFFFFFFFu})  // run lengths, bit fields
        EXPECT_FALSE(readDib(withField32(file, kCompression, compression)).has_value()) << compression;
    for (std::uint32_t infoSize : {12u, 39u, 108u, 124u})  // other header versions
        EXPECT_FALSE(readDib(withField32(file, kInfoSize, infoSize)).has_value()) << infoSize;
    Bytes twoPlanes = file;
    put16(twoPlanes, kPlanes, 2);
    EXPECT_FALSE(readDib(twoPlanes).has_value());
}

TEST(BmpReader, RejectsMoreColoursThanTheDepthAllows) {
    EXPECT_FALSE(readDib(withField32(writeBmp(oneBitDib()), kColoursUsed, 3)).has_value());
    const Bytes eight = writeBmp(eightBitDib());
    for (std::uint32_t colours : {257u, 0x40000000u, 0xFFFFFFFFu})
        EXPECT_FALSE(readDib(withField32(eight, kColoursUsed, colours)).has_value()) << colours;
}

TEST(BmpReader, RejectsEightBitIndicesBeyondTheTable) {
    Bytes file = writeBmp(eightBitDib());
    const std::size_t pixelsAt = kTable + 3 * 4;
    file[pixelsAt + 4] = 2;  // the last entry: fine
    EXPECT_TRUE(readDib(file).has_value());
    file[pixelsAt + 4] = 3;
    EXPECT_FALSE(readDib(file).has_value());
}

TEST(BmpReader, IgnoresWhatRowPaddingHolds) {
    Bytes file = writeBmp(eightBitDib());
    const std::size_t pixelsAt = kTable + 3 * 4;
    file[pixelsAt + 5] = 0xFF;  // the padding after the first row's five pixels
    file[pixelsAt + 7] = 0x40;
    EXPECT_TRUE(readDib(file).has_value());
}

}  // namespace
}  // namespace morvelux::testing
