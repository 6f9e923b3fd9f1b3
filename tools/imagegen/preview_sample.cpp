#include "tools/imagegen/preview_sample.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/headless/headless_saver.h"

namespace morvelux::tools {

namespace {

// The frame the preview shows, and the part of the panel it keeps.
constexpr LayerPosition kFrame{-469, -106};
constexpr Rect kKept = Rect::fromEdges(80, 32, 1012, 724);
constexpr double kGamma = 1.25;

using Brightness = std::vector<double>;  // 0 black .. 1 white, rows top-down

// How much of the pixel span [lo, hi) the source pixel i covers.
double overlap(int i, double lo, double hi) { return std::max(0.0, std::min(hi, i + 1.0) - std::max(lo, double(i))); }

double areaAverage(const Bitmap1& panel, double x0, double x1, double y0, double y1) {
    double white = 0;
    for (int y = int(y0); y < std::ceil(y1); ++y) {
        const double wy = overlap(y, y0, y1);
        for (int x = int(x0); x < std::ceil(x1); ++x)
            if (panel.colourAt(x, y) == kWhite) white += wy * overlap(x, x0, x1);
    }
    return white / ((x1 - x0) * (y1 - y0));
}

Brightness shrink(const Bitmap1& panel) {
    const double sx = double(kKept.width) / kSampleWidth, sy = double(kKept.height) / kSampleHeight;
    Brightness out;
    for (int y = 0; y < kSampleHeight; ++y)
        for (int x = 0; x < kSampleWidth; ++x)
            out.push_back(areaAverage(panel, kKept.left + x * sx, kKept.left + (x + 1) * sx, kKept.top + y * sy,
                                      kKept.top + (y + 1) * sy));
    return out;
}

// Stretches the levels so that the darkest and the brightest percent clip
// to black and white, then darkens the middle a little.
void raiseContrast(Brightness& image) {
    Brightness sorted = image;
    std::sort(sorted.begin(), sorted.end());
    const double low = sorted[sorted.size() / 100], high = sorted[sorted.size() - 1 - sorted.size() / 100];
    const double range = std::max(high - low, 1e-9);
    for (double& v : image) v = std::pow(std::clamp((v - low) / range, 0.0, 1.0), kGamma);
}

std::vector<Rgb> greyTable() {
    std::vector<Rgb> table;
    for (int i = 0; i < kSampleGreys; ++i) {
        const auto g = static_cast<std::uint8_t>(std::lround(255.0 * (kSampleGreys - 1 - i) / (kSampleGreys - 1)));
        table.push_back({g, g, g});
    }
    return table;
}

}  // namespace

Dib makePreviewSample(const Bitmap1& img1, const Bitmap1& img2, const Bitmap1& title) {
    HeadlessSaver saver(img1, img2, title);
    saver.placeAt(kFrame);
    Brightness image = shrink(saver.composePanel(false));
    raiseContrast(image);

    Dib dib;
    dib.width = kSampleWidth;
    dib.height = kSampleHeight;
    dib.bitsPerPixel = 8;
    dib.palette = greyTable();
    dib.rows.assign(dib.stride() * kSampleHeight, 0);
    for (int y = 0; y < kSampleHeight; ++y)
        for (int x = 0; x < kSampleWidth; ++x) {
            const double v = image[static_cast<std::size_t>(y) * kSampleWidth + x];
            dib.rows[y * dib.stride() + x] = static_cast<std::uint8_t>(std::lround((1.0 - v) * (kSampleGreys - 1)));
        }
    return dib;
}

}  // namespace morvelux::tools
