#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "animation/images/pictures.h"
#include "tools/headless/headless_saver.h"
#include "x11/moire_animation.h"

namespace morvelux::x11 {
namespace {

bool samePixels(const PanelBits& a, const Bitmap1& b) {
    for (int y = 0; y < a.height; ++y)
        if (std::memcmp(a.bytes + static_cast<std::size_t>(y) * a.stride, b.bytes() + y * b.strideBytes(),
                        static_cast<std::size_t>(a.width) / 8) != 0)
            return false;
    return true;
}

class Animation : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        animation = MoireAnimation::load(error);
        ASSERT_TRUE(animation) << error;
    }

    Bitmap1 reference(int ticks, bool withTitle) {
        // The saver keeps references to its pictures: they must outlive it.
        const Bitmap1 img1 = *loadBitmap1(PictureId::Img1), img2 = *loadBitmap1(PictureId::Img2),
                      title = *loadBitmap1(PictureId::Title);
        tools::HeadlessSaver saver(img1, img2, title);
        saver.advance(ticks);
        return saver.composePanel(withTitle);
    }

    std::unique_ptr<MoireAnimation> animation;
};

TEST_F(Animation, ActivationShowsTheStartWithoutTheTitleThenATitledFirstTick) {
    EXPECT_FALSE(animation->activated());
    animation->activate();
    EXPECT_TRUE(animation->activated());
    // Composed before the title's time begins, as the Windows saver does.
    FrameInfo frame = animation->frameInfo();
    EXPECT_EQ(frame.tick, 0);
    EXPECT_LE(frame.composedAt, 0);
    EXPECT_TRUE(samePixels(animation->panel(), reference(0, frame.title)));

    ASSERT_TRUE(animation->advance());  // the first tick is due at once
    frame = animation->frameInfo();
    EXPECT_EQ(frame.tick, 1);
    EXPECT_TRUE(frame.title);
    EXPECT_TRUE(samePixels(animation->panel(), reference(1, true)));
}

TEST_F(Animation, PacedBySixtyMilliseconds) {
    animation->activate();
    animation->advance();
    EXPECT_FALSE(animation->advance());  // not again in the same interval
    const int wait = animation->msUntilNextTick();
    EXPECT_GT(wait, 0);
    EXPECT_LE(wait, 60);
}

TEST_F(Animation, PausedTicksShowNothingNew) {
    animation->activate();
    animation->pause();
    EXPECT_FALSE(animation->advance());
    EXPECT_EQ(animation->frameInfo().tick, 0);
    animation->resume();
    EXPECT_GT(animation->msUntilNextTick(), 0);  // the paused tick was still taken
}

}  // namespace
}  // namespace morvelux::x11
