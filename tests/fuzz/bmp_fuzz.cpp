// The BMP reader on arbitrary bytes: no crash or overrun, and whatever it
// accepts is a consistent picture that survives writing and reading back,
// and, when one-bit, the trip through Bitmap1.
#include <cstdint>
#include <optional>
#include <span>

#include "gfx/bmp.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using namespace morvelux;

bool sameDib(const Dib& a, const Dib& b) {
    return a.width == b.width && a.height == b.height && a.bitsPerPixel == b.bitsPerPixel &&
           a.palette == b.palette && a.rows == b.rows;
}

int dibPixel(const Dib& dib, int x, int y) {
    const std::uint8_t* row = dib.rows.data() + static_cast<std::size_t>(y) * dib.stride();
    if (dib.bitsPerPixel == 8) return row[x];
    return (row[x / 8] >> (7 - x % 8)) & 1;
}

void checkConsistent(const Dib& dib) {
    FUZZ_CHECK(dib.width > 0 && dib.height > 0);
    FUZZ_CHECK(dib.bitsPerPixel == 1 || dib.bitsPerPixel == 8);
    FUZZ_CHECK(!dib.palette.empty() && dib.palette.size() <= (1u << dib.bitsPerPixel));
    const auto bitsPerRow = static_cast<std::size_t>(dib.width) * dib.bitsPerPixel;
    FUZZ_CHECK(dib.stride() % 4 == 0 && dib.stride() * 8 >= bitsPerRow && dib.stride() * 8 < bitsPerRow + 32);
    FUZZ_CHECK(dib.rows.size() == dib.stride() * static_cast<std::size_t>(dib.height));
    if (dib.bitsPerPixel == 8) {
        for (int y = 0; y < dib.height; ++y)
            for (int x = 0; x < dib.width; ++x)
                FUZZ_CHECK(static_cast<std::size_t>(dibPixel(dib, x, y)) < dib.palette.size());
    }
}

void checkBitmap(const Dib& dib) {
    const std::optional<Bitmap1> bitmap = toBitmap1(dib);
    FUZZ_CHECK(bitmap.has_value() == (dib.bitsPerPixel == 1 && dib.palette.size() == 2));
    if (!bitmap) return;
    FUZZ_CHECK(bitmap->width() == dib.width && bitmap->height() == dib.height);
    FUZZ_CHECK(bitmap->palette()[0] == dib.palette[0] && bitmap->palette()[1] == dib.palette[1]);
    for (int y = 0; y < dib.height; ++y) {
        for (int x = 0; x < dib.width; ++x) FUZZ_CHECK(bitmap->pixel(x, y) == dibPixel(dib, x, y));
        // The blits rely on the bits past the width being 0.
        const int storedBits = static_cast<int>(bitmap->strideBytes() * 8);
        for (int x = dib.width; x < storedBits; ++x) FUZZ_CHECK(bitmap->pixel(x, y) == 0);
    }
    const std::optional<Dib> again = readDib(writeBmp(fromBitmap1(*bitmap)));
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(toBitmap1(*again) == bitmap);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<Dib> dib = readDib(std::span(data, size));
    if (!dib) return 0;
    checkConsistent(*dib);
    const std::optional<Dib> written = readDib(writeBmp(*dib));
    FUZZ_CHECK(written.has_value() && sameDib(*written, *dib));
    checkBitmap(*dib);
    return 0;
}
