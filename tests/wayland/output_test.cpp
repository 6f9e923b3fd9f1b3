#include "wayland/output.h"

#include <gtest/gtest.h>

namespace morvelux::wayland {
namespace {

TEST(OutputSize, TurnedWithTheOutputAndDividedByItsScale) {
    struct Case {
        std::int32_t transform;
        Size logical;
    };
    for (const Case& c : {Case{WL_OUTPUT_TRANSFORM_NORMAL, {1280, 800}}, Case{WL_OUTPUT_TRANSFORM_90, {800, 1280}},
                          Case{WL_OUTPUT_TRANSFORM_180, {1280, 800}}, Case{WL_OUTPUT_TRANSFORM_270, {800, 1280}},
                          Case{WL_OUTPUT_TRANSFORM_FLIPPED, {1280, 800}},
                          Case{WL_OUTPUT_TRANSFORM_FLIPPED_90, {800, 1280}},
                          Case{WL_OUTPUT_TRANSFORM_FLIPPED_270, {800, 1280}}})
        EXPECT_EQ(logicalOutputSize({2560, 1600}, 2, c.transform), c.logical) << c.transform;
}

}  // namespace
}  // namespace morvelux::wayland
