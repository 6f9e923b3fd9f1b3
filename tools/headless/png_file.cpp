#include "tools/headless/png_file.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace morvelux::tools {

namespace {

using PackedRows = std::vector<std::vector<png_byte>>;

// PNG's one-bit grey: 1 is white, the leftmost pixel in the top bit.
PackedRows packRows(const Bitmap1& bitmap) {
    const Bitmap1 probe(0, 0, {kBlack, kWhite});
    PackedRows rows(static_cast<std::size_t>(bitmap.height()),
                    std::vector<png_byte>((static_cast<std::size_t>(bitmap.width()) + 7) / 8, 0));
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            if (probe.nearestIndex(bitmap.colourAt(x, y)) == 1)
                rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x) / 8] |=
                    static_cast<png_byte>(0x80u >> (x % 8));
    return rows;
}

// Only plain data lives here: libpng reports errors by longjmp.
bool writeRows(std::FILE* file, png_uint_32 width, png_uint_32 height, png_bytepp rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 1, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writePng(const std::string& path, const Bitmap1& bitmap) {
    PackedRows rows = packRows(bitmap);
    std::vector<png_bytep> pointers;
    for (auto& row : rows) pointers.push_back(row.data());

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!file) return false;
    const bool written = writeRows(file.get(), static_cast<png_uint_32>(bitmap.width()),
                                   static_cast<png_uint_32>(bitmap.height()), pointers.data());
    return std::fclose(file.release()) == 0 && written;
}

}  // namespace morvelux::tools
