#include "cli/StMap.h"
#include "ToolRun.h"
#include "cli/ImageLayout.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Nuke's STMap lookup: the source pixel grid sampled bilinearly at (s W, t H)
// measured from the lower-left corner, nothing outside the source.
float sampleAt(const OIIO::ImageBuf& source, float s, float t, int channel) {
    const OIIO::ImageSpec& imageSpec = imageLayout(source);
    const float x = s * static_cast<float>(imageSpec.full_width) - 0.5F;
    const float y = (1.0F - t) * static_cast<float>(imageSpec.full_height) - 0.5F;
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const float fx = x - static_cast<float>(x0);
    const float fy = y - static_cast<float>(y0);
    const auto pixel = [&](int px, int py) {
        if (px < 0 || py < 0 || px >= imageSpec.full_width || py >= imageSpec.full_height) {
            return 0.0F;
        }
        return source.getchannel(px, py, 0, channel);
    };
    return (1 - fx) * (1 - fy) * pixel(x0, y0) + fx * (1 - fy) * pixel(x0 + 1, y0) +
           (1 - fx) * fy * pixel(x0, y0 + 1) + fx * fy * pixel(x0 + 1, y0 + 1);
}

TEST(StMapTest, AppliedToThePlateTheMapGivesTheToolsUndistortedFrame) {
    TemporaryDirectory sample;
    TemporaryDirectory scratch;
    const std::string name = uniqueClipName();
    generateSample(sample / "shot", name, 2);
    const std::string plate = sample / ("shot/" + name + ".####.exr");
    ASSERT_EQ(runTool({"stmap", plate, sample / "map.####.exr", "--quiet"}, scratch).status, 0);
    const ToolRun undistorted =
        runTool({"undistort", plate, sample / "u.####.exr", "--float", "--quiet"}, scratch);
    ASSERT_EQ(undistorted.status, 0) << undistorted.errors;

    for (const char* frame : {"1001", "1002"}) {
        const OIIO::ImageBuf source =
            readImage(sample / ("shot/" + name + "." + std::string(frame) + ".exr"));
        const OIIO::ImageBuf map = readImage(sample / ("map." + std::string(frame) + ".exr"));
        const OIIO::ImageBuf expected = readImage(sample / ("u." + std::string(frame) + ".exr"));
        ASSERT_EQ(map.roi(), expected.roi());
        ASSERT_EQ(map.nativespec().format, OIIO::TypeFloat);
        float worst = 0.0F;
        for (OIIO::ImageBuf::ConstIterator<float> m(map); !m.done(); ++m) {
            for (int c = 0; c < 4; ++c) {
                const float difference = std::fabs(sampleAt(source, m[0], m[1], c) -
                                                   expected.getchannel(m.x(), m.y(), 0, c));
                worst = std::max(worst, difference);
            }
        }
        EXPECT_LT(worst, 2e-3F) << "frame " << frame;
    }
    // Near the centre the lens hardly moves the picture.
    const OIIO::ImageBuf map = readImage(sample / "map.1001.exr");
    EXPECT_NEAR(map.getchannel(159, 84, 0, 0), 159.5F / 320.0F, 1e-4);
    EXPECT_NEAR(map.getchannel(159, 84, 0, 1), 1.0F - 84.5F / 170.0F, 1e-4);
    // The frame grows just enough for the stretched corner; the distortion
    // map looks beyond the corner instead.
    EXPECT_NEAR(map.getchannel(imageLayout(map).x, imageLayout(map).y, 0, 0), 0.0F, 0.01F);
    EXPECT_NEAR(map.getchannel(imageLayout(map).x, imageLayout(map).y, 0, 1), 1.0F, 0.02F);
    ASSERT_EQ(
        runTool({"stmap", plate, sample / "d.####.exr", "--distort", "--quiet"}, scratch).status,
        0);
    const OIIO::ImageBuf distortion = readImage(sample / "d.1001.exr");
    EXPECT_EQ(imageLayout(distortion).width, 320);
    EXPECT_LT(distortion.getchannel(0, 0, 0, 0), 0.0F);
    EXPECT_GT(distortion.getchannel(0, 0, 0, 1), 1.0F);
}

TEST(StMapTest, TheIdentityMapsEveryPixelCentreToItselfFromTheLowerLeftCorner) {
    Core::DistortionMapping identity;
    identity.width = 12;
    identity.height = 8;
    identity.imageRadius = 5.0F;
    identity.coefficients = {0, 1, 0, 0, 0, 0, 0};
    // A 10 x 6 format with a margin of one pixel on each side.
    OIIO::ImageBuf map(OIIO::ImageSpec(OIIO::ROI(-1, 11, -1, 7, 0, 1, 0, 4), OIIO::TypeFloat));
    StMap::render(identity, 10, 6, 1, 1, map);
    for (int y = -1; y < 7; ++y) {
        for (int x = -1; x < 11; ++x) {
            EXPECT_FLOAT_EQ(map.getchannel(x, y, 0, 0), (static_cast<float>(x) + 0.5F) / 10.0F);
            EXPECT_FLOAT_EQ(map.getchannel(x, y, 0, 1),
                            1.0F - (static_cast<float>(y) + 0.5F) / 6.0F);
            EXPECT_EQ(map.getchannel(x, y, 0, 2), 0.0F);
            EXPECT_EQ(map.getchannel(x, y, 0, 3), 1.0F);
        }
    }
}

TEST(StMapTest, AConstantPolynomialPullsEveryPixelToTheCentre) {
    Core::DistortionMapping collapse;
    collapse.width = 4;
    collapse.height = 4;
    collapse.imageRadius = 1.0F;
    OIIO::ImageBuf map(OIIO::ImageSpec(OIIO::ROI(0, 4, 0, 4, 0, 1, 0, 4), OIIO::TypeFloat));
    StMap::render(collapse, 4, 4, 0, 0, map);
    EXPECT_FLOAT_EQ(map.getchannel(0, 0, 0, 0), 0.5F);
    EXPECT_FLOAT_EQ(map.getchannel(3, 1, 0, 1), 0.5F);
}

} // namespace
