#include "cli/FrameGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(FrameGeometryTest, ADataWindowWithinTheFormatKeepsTheFormat) {
    const FrameGeometry geometry(1920, 1080, 0, 0);
    EXPECT_EQ(geometry.alignedWidth(), 1920U);
    EXPECT_EQ(geometry.alignedHeight(), 1080U);
    EXPECT_EQ(geometry.marginX(), 0U);
    EXPECT_EQ(geometry.marginY(), 0U);
    EXPECT_FLOAT_EQ(geometry.overscanOfBoundingBox(), 0.0F);
}

TEST(FrameGeometryTest, AnOverhangIsWidenedToTheFormatsAspectRatioOnBothSides) {
    // 100 px beyond a 1920 x 1080 format on one side only.
    const FrameGeometry geometry(1920, 1080, 100, 0);
    EXPECT_EQ(geometry.alignedWidth(), 2120U);
    EXPECT_EQ(geometry.alignedHeight(), 1193U);
    EXPECT_EQ(geometry.marginX(), 100U);
    EXPECT_EQ(geometry.marginY(), 57U);
    EXPECT_EQ(geometry.boxWidth(), 2120U);
    EXPECT_EQ(geometry.boxHeight(), 1194U);
    const float frame = std::hypot(2120.0F / 2 - 0.5F, 1194.0F / 2 - 0.5F);
    const float format = std::hypot(1920.0F / 2 - 0.5F, 1080.0F / 2 - 0.5F);
    EXPECT_NEAR(geometry.overscanOfBoundingBox(), (frame - format) / format * 100.0F, 1e-4);
}

TEST(FrameGeometryTest, GrowingKeepsTheBoxCentredAndNeverShrinksIt) {
    const FrameGeometry geometry(1920, 1080, 100, 0);
    const FrameGeometry same = geometry.grownTo(2000, 1100);
    EXPECT_EQ(same.boxWidth(), 2120U);
    EXPECT_EQ(same.boxHeight(), 1194U);
    const FrameGeometry grown = geometry.grownTo(2201, 1300);
    EXPECT_EQ(grown.marginX(), 141U);
    EXPECT_EQ(grown.marginY(), 110U);
    // The overscan stays that of the aligned frame.
    EXPECT_FLOAT_EQ(grown.overscanOfBoundingBox(), geometry.overscanOfBoundingBox());
}

TEST(FrameGeometryTest, OverscanInsideTheFormatIsMeasuredFromTheRemainingResolution) {
    const FrameGeometry geometry(4400, 2200, 0, 0);
    const float remaining = std::hypot(4000.0F / 2 - 0.5F, 2000.0F / 2 - 0.5F);
    const float format = std::hypot(4400.0F / 2 - 0.5F, 2200.0F / 2 - 0.5F);
    EXPECT_NEAR(geometry.overscanOfFormat(10.0F), (format - remaining) / remaining * 100.0F, 1e-3);
    EXPECT_FLOAT_EQ(geometry.overscanOfFormat(0.0F), 0.0F);
}

} // namespace
