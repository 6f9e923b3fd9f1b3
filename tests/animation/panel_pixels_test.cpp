#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "animation/panel_pixels.h"
#include "gfx/panel_layout.h"

namespace morvelux {
namespace {

constexpr std::uint32_t kBlackWord = 0xFF000000, kWhiteWord = 0x00FFFFFF;

// A panel of random-looking bits, 40 x 6 (five bytes a row, one spare).
struct TestPanel {
    static constexpr int kWidth = 40, kHeight = 6, kStride = 6;
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(kStride * kHeight);
    TestPanel() {
        std::uint32_t seed = 12345;
        for (auto& b : bytes) b = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
    }
    PanelBits bits() const { return {bytes.data(), kStride, kWidth, kHeight}; }
    bool white(int x, int y) const { return bytes[static_cast<std::size_t>(y * kStride + x / 8)] & (0x80 >> (x % 8)); }
};

// Pixel by pixel: what a window of `size` shows with the panel enlarged `zoom` times at `at`.
std::vector<std::uint32_t> expected(const TestPanel& panel, Size size, int zoom, Point at, std::uint32_t fill) {
    std::vector<std::uint32_t> out(static_cast<std::size_t>(size.width * size.height), fill);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x) {
            const int px = (x - at.x), py = (y - at.y);
            if (px < 0 || py < 0 || px >= TestPanel::kWidth * zoom || py >= TestPanel::kHeight * zoom) continue;
            out[static_cast<std::size_t>(y * size.width + x)] = panel.white(px / zoom, py / zoom) ? kWhiteWord : kBlackWord;
        }
    return out;
}

// Painted at the start of a row and one pixel in, so that both the aligned
// and the unaligned way of writing are seen.
void expectPainted(Size size, int zoom, Point at) {
    const TestPanel panel;
    const Size enlarged{TestPanel::kWidth * zoom, TestPanel::kHeight * zoom};
    const std::uint32_t fill = 0x12345678;  // what lies outside the panel stays
    for (const Point moved : {at, Point{at.x + 1, at.y}}) {
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size.width * size.height), fill);
        PanelPainter painter(zoom, kBlackWord, kWhiteWord);
        painter.paint(panel.bits(), layOutPanel(size, enlarged, moved), pixels.data(),
                      static_cast<std::size_t>(size.width));
        EXPECT_EQ(pixels, expected(panel, size, zoom, moved, fill))
            << size.width << "x" << size.height << " zoom " << zoom << " at " << moved.x << "," << moved.y;
    }
}

TEST(PanelPainter, WholePanelAtEveryZoom) {
    for (int zoom : {1, 2, 3, 8})
        expectPainted({TestPanel::kWidth * zoom + 4, TestPanel::kHeight * zoom + 4}, zoom, {0, 2});
}

TEST(PanelPainter, CroppedAtOddPlacesAndEnlarged) {
    expectPainted({29, 5}, 1, {-5, -1});
    expectPainted({51, 7}, 2, {-13, -3});  // the crop splits a block both ways
    expectPainted({20, 20}, 3, {-100, 4});
}

}  // namespace
}  // namespace morvelux
