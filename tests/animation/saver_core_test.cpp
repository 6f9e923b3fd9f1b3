#include "animation/saver_core.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "animation/images/pictures.h"
#include "animation/panel_view.h"
#include "tests/animation/fake_stage.h"
#include "tools/headless/headless_saver.h"

namespace morvelux::testing {
namespace {

TEST(PanelPlacement, CentredWithHalvesToEven) {
    EXPECT_EQ(panelPlacement({1280, 1024}), (Point{128, 128}));
    EXPECT_EQ(panelPlacement({800, 600}), (Point{-112, -84}));
    EXPECT_EQ(panelPlacement({1025, 771}), (Point{0, 2}));   // 0.5 -> 0, 1.5 -> 2
    EXPECT_EQ(panelPlacement({1023, 765}), (Point{0, -2}));  // -0.5 -> 0, -1.5 -> -2
    EXPECT_EQ(panelPlacement({2560, 1600}, 2), (Point{256, 32})) << "a 2048 x 1536 panel at zoom 2";
}

bool samePixels(const PanelBits& a, const Bitmap1& b) {
    for (int y = 0; y < a.height; ++y)
        if (std::memcmp(a.bytes + static_cast<std::size_t>(y) * a.stride, b.bytes() + y * b.strideBytes(),
                        static_cast<std::size_t>(a.width) / 8) != 0)
            return false;
    return true;
}

class SaverCoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock.time = 10000;
        std::string error;
        core = SaverCore::load(clock, error);
        ASSERT_TRUE(core) << error;
    }

    bool advanceAt(Millis now) {
        clock.time = now;
        return core->advance();
    }

    static Bitmap1 reference(int ticks, bool withTitle) {
        // The saver keeps references to its pictures: they must outlive it.
        const Bitmap1 img1 = *loadBitmap1(PictureId::Img1), img2 = *loadBitmap1(PictureId::Img2),
                      title = *loadBitmap1(PictureId::Title);
        tools::HeadlessSaver saver(img1, img2, title);
        saver.advance(ticks);
        return saver.composePanel(withTitle);
    }

    FakeClock clock;
    std::unique_ptr<SaverCore> core;
};

TEST_F(SaverCoreTest, ActivationShowsTheStartWithoutTheTitleThenATitledFirstTick) {
    EXPECT_FALSE(core->activated());
    core->activate();
    EXPECT_TRUE(core->activated());
    // Composed before the title's time begins, as the Windows saver does.
    FrameInfo frame = core->frameInfo();
    EXPECT_EQ(frame.tick, 0);
    EXPECT_LE(frame.composedAt, 0);
    EXPECT_FALSE(frame.title);
    EXPECT_TRUE(samePixels(core->panel(), reference(0, false)));

    ASSERT_TRUE(advanceAt(10000)) << "the first tick is due at once";
    frame = core->frameInfo();
    EXPECT_EQ(frame.tick, 1);
    EXPECT_TRUE(frame.title);
    EXPECT_TRUE(samePixels(core->panel(), reference(1, true)));
}

// Shown again, the saver starts over: the first frames and the title card as the first time.
TEST_F(SaverCoreTest, RestartedItStartsOverWithTheTitle) {
    core->activate();
    for (Millis now = 10000; now < 16000; now += 60) advanceAt(now);
    ASSERT_FALSE(core->frameInfo().title);
    core->restart();
    EXPECT_FALSE(core->activated());
    clock.time = 50000;
    core->activate();
    EXPECT_EQ(core->frameInfo().tick, 0);
    EXPECT_TRUE(samePixels(core->panel(), reference(0, false)));
    ASSERT_TRUE(advanceAt(50000));
    EXPECT_EQ(core->frameInfo().tick, 1);
    EXPECT_TRUE(core->frameInfo().title);
    EXPECT_TRUE(samePixels(core->panel(), reference(1, true)));
}

TEST_F(SaverCoreTest, PacedBySixtyMillisecondsAndTheTitleGoneAfterItsTime) {
    core->activate();
    ASSERT_TRUE(advanceAt(10000));
    EXPECT_FALSE(advanceAt(10059));
    EXPECT_EQ(core->msUntilNextTick(), 1u);
    ASSERT_TRUE(advanceAt(14460));
    EXPECT_TRUE(core->frameInfo().title) << "composed 4460 ms after activation";
    ASSERT_TRUE(advanceAt(14520));
    const FrameInfo frame = core->frameInfo();
    EXPECT_FALSE(frame.title);
    EXPECT_EQ(frame.tick, 3);
    EXPECT_EQ(frame.composedAt, 4520);
    EXPECT_TRUE(samePixels(core->panel(), reference(3, false)));
}

TEST_F(SaverCoreTest, PausedTicksShowNothingNew) {
    core->activate();
    core->pause();
    EXPECT_FALSE(advanceAt(10000));
    EXPECT_EQ(core->frameInfo().tick, 0);
    core->resume();
    EXPECT_GT(core->msUntilNextTick(), 0u) << "the paused tick was still taken";
    EXPECT_TRUE(advanceAt(10060));
}

}  // namespace
}  // namespace morvelux::testing
