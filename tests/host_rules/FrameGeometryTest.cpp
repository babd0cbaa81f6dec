#include "host_rules/FrameGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

float radius(float width, float height) {
    return std::hypot(width / 2 - 0.5F, height / 2 - 0.5F);
}

TEST(FrameGeometryTest, AnOverhangIsWidenedToTheFormatsAspectRatioOnBothSidesAndOnlyGrows) {
    EXPECT_FLOAT_EQ(FrameGeometry(1920, 1080, 0, 0).overscanOfBoundingBox(), 0.0F);
    // 100 px beyond a 1920 x 1080 format on one side only.
    const FrameGeometry geometry(1920, 1080, 100, 0);
    EXPECT_EQ(geometry.alignedHeight(), 1193U);
    EXPECT_EQ(geometry.marginX(), 100U);
    EXPECT_EQ(geometry.marginY(), 57U);
    EXPECT_EQ(geometry.boxWidth(), 2120U);
    EXPECT_EQ(geometry.boxHeight(), 1194U);
    EXPECT_NEAR(geometry.overscanOfBoundingBox(),
                (radius(2120, 1194) - radius(1920, 1080)) / radius(1920, 1080) * 100.0F, 1e-4);

    EXPECT_EQ(geometry.grownTo(2000, 1100).boxWidth(), 2120U);
    const FrameGeometry grown = geometry.grownTo(2201, 1300);
    EXPECT_EQ(grown.marginX(), 141U);
    EXPECT_EQ(grown.marginY(), 110U);
    EXPECT_FLOAT_EQ(grown.overscanOfBoundingBox(), geometry.overscanOfBoundingBox());
}

TEST(FrameGeometryTest, OverscanInsideTheFormatIsMeasuredFromTheRemainingResolution) {
    const FrameGeometry geometry(4400, 2200, 0, 0);
    EXPECT_NEAR(geometry.overscanOfFormat(10.0F),
                (radius(4400, 2200) - radius(4000, 2000)) / radius(4000, 2000) * 100.0F, 1e-3);
    EXPECT_FLOAT_EQ(geometry.overscanOfFormat(0.0F), 0.0F);
}

} // namespace
