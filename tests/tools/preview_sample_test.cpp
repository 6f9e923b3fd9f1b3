// The stored preview picture is a frame of the real compositor, shrunk: made
// again from the stored layers it must come out the same, byte for byte, or
// the compositor and the picture have drifted apart.
#include <gtest/gtest.h>

#include <algorithm>

#include "animation/images/pictures.h"
#include "tools/imagegen/preview_sample.h"

namespace morvelux::testing {
namespace {

TEST(PreviewSample, RegeneratedFromTheCompositorEqualsTheStoredFile) {
    const auto img1 = loadBitmap1(PictureId::Img1), img2 = loadBitmap1(PictureId::Img2);
    const auto title = loadBitmap1(PictureId::Title);
    ASSERT_TRUE(img1 && img2 && title);
    const auto made = writeBmp(tools::makePreviewSample(*img1, *img2, *title));
    const auto stored = pictureBytes(PictureId::Sample);
    ASSERT_EQ(made.size(), stored.size());
    const auto firstDifference = std::mismatch(made.begin(), made.end(), stored.begin()).first;
    EXPECT_EQ(firstDifference, made.end()) << "first differing byte at " << (firstDifference - made.begin());
}

}  // namespace
}  // namespace morvelux::testing
