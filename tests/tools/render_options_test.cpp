#include <gtest/gtest.h>

#include <vector>

#include "tools/render/render_options.h"

namespace morvelux::tools {
namespace {

std::optional<RenderOptions> parse(std::vector<const char*> args) {
    args.insert(args.begin(), "morvelux-render");
    return parseRenderOptions(static_cast<int>(args.size()), args.data());
}

TEST(RenderOptions, DefaultsToTheStartWithoutTitle) {
    const auto o = parse({});
    ASSERT_TRUE(o.has_value());
    EXPECT_FALSE(o->imageLeft || o->offsetX || o->ticks || o->title);
    EXPECT_EQ(o->out, "moire.png");
}

TEST(RenderOptions, TakesAPositionOrATickCount) {
    const auto at = parse({"--image-left", "-469", "--offset", "-106", "--title", "--out", "a.png"});
    ASSERT_TRUE(at.has_value());
    EXPECT_EQ(at->imageLeft, -469);
    EXPECT_EQ(at->offsetX, -106);
    EXPECT_TRUE(at->title);
    EXPECT_EQ(at->out, "a.png");
    const auto ticks = parse({"--ticks", "400"});
    ASSERT_TRUE(ticks.has_value());
    EXPECT_EQ(ticks->ticks, 400);
}

TEST(RenderOptions, RefusesWhatItCannotHonour) {
    EXPECT_FALSE(parse({"--ticks", "4", "--offset", "1"}));   // both a motion and a position
    EXPECT_FALSE(parse({"--ticks", "-1"}));
    EXPECT_FALSE(parse({"--ticks", "12x"}));
    EXPECT_FALSE(parse({"--ticks", "99999999999"}));
    EXPECT_FALSE(parse({"--offset"}));                         // value missing
    EXPECT_FALSE(parse({"--zoom", "2"}));
}

}  // namespace
}  // namespace morvelux::tools
