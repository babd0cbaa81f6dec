#include "renderer/DistortionRenderer.h"
#include "foundation/Exception.h"
#include "renderer/NotRenderedException.h"

#include "CpuLensModel.h"
#include "PixelFrames.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

using PixelFrames::Frame;
using Renderer::DistortionRenderer;
using Renderer::NotRenderedException;

namespace {

using Coefficients = CpuLensModel::Coefficients;
using CpuLensModel::CpuDistortion;

constexpr Coefficients identity{0.0F, 1.0F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F};

Coefficients scaled(float factor) {
    return {0.0F, factor, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F};
}

class DistortionRendererOnDevice : public ::testing::Test {
protected:
    Frame run(const Frame& input, float radius, const Coefficients& a) {
        prepare(input.width, input.height, radius, a);
        Frame output(input.width, input.height);
        renderer.render(input.values.data(), output.values.data(), input.bytes());
        return output;
    }

    void prepare(std::uint32_t width, std::uint32_t height, float radius, const Coefficients& a) {
        renderer.currentWidth = width;
        renderer.currentHeight = height;
        renderer.originalWidth = width;
        renderer.originalHeight = height;
        renderer.imageRadius = radius;
        renderer.frameSizeImageRadius = radius;
        renderer.coefficients = a;
        renderer.frameSizeCoefficients = identity;
        renderer.outputMap = false;
    }

    DistortionRenderer renderer;
};

// Kernel and CPU may round the last bit of a source point differently.
constexpr float tolerance = 2e-5F;
// Where the source point is integral in exact arithmetic: OpenCL lets a device divide to
// within a few ulp, which may leave a point a hair beside the pixel centre.
constexpr float integralTolerance = 1e-6F;

} // namespace

// Barrel, pincushion and every order of the polynomial, on odd and even sizes (whose
// centre lies between two pixels).
TEST_F(DistortionRendererOnDevice, PolynomialsMatchTheCpuComputation) {
    const std::vector<Coefficients> lenses{
        {0.0F, 1.0F, 0.0F, -0.004F, 0.0F, 0.0F, 0.0F},
        {0.0F, 1.0F, 0.0F, 0.004F, 0.0F, 0.0F, 0.0F},
        {0.02F, 0.97F, 0.001F, -0.0005F, 0.00002F, -1e-6F, 2e-8F}};
    for (std::size_t lens = 0; lens < lenses.size(); ++lens) {
        const Coefficients& a = lenses[lens];
        for (const auto& [width, height] : {std::pair{61U, 35U}, std::pair{80U, 45U}}) {
            SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) + " lens " +
                         std::to_string(lens));
            const Frame input = PixelFrames::noiseFrame(width, height, width);
            const Frame output = run(input, 10.0F, a);
            PixelFrames::expectMatch(CpuDistortion(input, 10.0F, a).render(), output, tolerance);
        }
    }
}

// Width 9, height 5: the centre is pixel (4, 2), and on its row only x moves.
TEST_F(DistortionRendererOnDevice, SourcePointOnAPixelCentreOrBetweenTwoPixels) {
    const Frame input = PixelFrames::noiseFrame(9, 5);
    const Frame output = run(input, 3.0F, scaled(0.5F));
    for (std::uint32_t c = 0; c < 4; ++c) {
        // (0 - 4) * 0.5 + 4 = 2: exactly pixel 2.
        EXPECT_NEAR(output.at(0, 2, c), input.at(2, 2, c), 1e-6F) << "channel " << c;
        // (1 - 4) * 0.5 + 4 = 2.5: half of pixel 2 and half of pixel 3.
        EXPECT_NEAR(output.at(1, 2, c), 0.5F * (input.at(2, 2, c) + input.at(3, 2, c)), 1e-6F)
            << "channel " << c;
        // The centre pixel maps onto itself.
        EXPECT_EQ(output.at(4, 2, c), input.at(4, 2, c)) << "channel " << c;
    }
    PixelFrames::expectMatch(CpuDistortion(input, 3.0F, scaled(0.5F)).render(), output, tolerance);
}

TEST_F(DistortionRendererOnDevice, SourcePointsOutsideTheFrameFadeToZero) {
    const Frame input = PixelFrames::noiseFrame(9, 5);
    // (0 - 4) * 1.125 + 4 = -0.5: half a pixel left of the edge keeps half the edge pixel.
    const Frame halfOutside = run(input, 3.0F, scaled(1.125F));
    for (std::uint32_t c = 0; c < 4; ++c) {
        EXPECT_NEAR(halfOutside.at(0, 2, c), 0.5F * input.at(0, 2, c), 1e-6F) << "channel " << c;
        EXPECT_NEAR(halfOutside.at(8, 2, c), 0.5F * input.at(8, 2, c), 1e-6F) << "channel " << c;
    }
    // (0 - 4) * 2 + 4 = -4: nothing of the frame is left.
    const Frame outside = run(input, 3.0F, scaled(2.0F));
    for (std::uint32_t c = 0; c < 4; ++c) {
        EXPECT_EQ(outside.at(0, 2, c), 0.0F) << "channel " << c;
        EXPECT_EQ(outside.at(0, 0, c), 0.0F) << "channel " << c;
    }
    PixelFrames::expectMatch(CpuDistortion(input, 3.0F, scaled(2.0F)).render(), outside, tolerance);
}

TEST_F(DistortionRendererOnDevice, PolynomialsThatLeaveTheNumbersGiveZeroNotGarbage) {
    const Frame input = PixelFrames::noiseFrame(16, 9);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const float a0 : {nan, 1e30F, -1e30F}) {
        const Frame output = run(input, 3.0F, {a0, 1.0F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F});
        for (std::size_t i = 0; i < output.values.size(); ++i) {
            // No pixel of an even-sized frame lies on the centre, so every one samples far off.
            ASSERT_EQ(output.values[i], 0.0F) << "a0 " << a0 << " index " << i;
        }
    }
}

TEST_F(DistortionRendererOnDevice, MapHoldsNormalisedPositionsWhateverTheParameters) {
    prepare(13, 7, 4.0F, {0.3F, -2.0F, 0.5F, 0.0F, 1.0F, 0.0F, 7.0F});
    renderer.outputMap = true;
    Frame output(13, 7);
    renderer.render(nullptr, output.values.data(), output.bytes());
    Frame expected(13, 7);
    for (std::uint32_t y = 0; y < 7; ++y) {
        for (std::uint32_t x = 0; x < 13; ++x) {
            expected.at(x, y, 0) = static_cast<float>(x) / 13.0F;
            expected.at(x, y, 1) = static_cast<float>(y) / 7.0F;
            expected.at(x, y, 3) = 1.0F;
        }
    }
    PixelFrames::expectMatch(expected, output, 1e-6F);
}

TEST_F(DistortionRendererOnDevice, FailedRunIsReportedAndTheNextFrameStillRenders) {
    const Frame input = PixelFrames::noiseFrame(9, 5);
    prepare(9, 5, 0.0F, identity);
    renderer.frameSizeImageRadius = 1.0F;
    Frame output(9, 5);
    try {
        renderer.render(input.values.data(), output.values.data(), input.bytes());
        FAIL() << "a radius of 0 was rendered";
    } catch (const NotRenderedException& error) {
        EXPECT_STREQ(error.what(),
                     "An issue did occur during execution of the distortion correction renderer.");
        EXPECT_EQ(error.detailedDescription(),
                  "An issue did occur during execution of the distortion correction renderer.\n"
                  "Reason: Image radii of 0 mm and 1 mm are invalid and need to be greater than "
                  "zero.\nData Size: 720 bytes\n");
    }
    PixelFrames::expectMatch(input, run(input, 2.0F, identity), integralTolerance);
}

TEST_F(DistortionRendererOnDevice, BuffersThatDoNotFitTheFrameAreRefused) {
    const Frame input = PixelFrames::noiseFrame(9, 5);
    prepare(9, 5, 2.0F, identity);
    Frame output(9, 5);
    try {
        renderer.render(input.values.data(), output.values.data(), input.bytes() - 16);
        FAIL() << "a short buffer was rendered";
    } catch (const NotRenderedException& error) {
        EXPECT_EQ(error.detailedDescription(),
                  "An issue did occur during execution of the distortion correction renderer.\n"
                  "Reason: Data size of 704 bytes does not match the 9x5 px frame, which needs "
                  "720 bytes of four float channels per pixel.\nData Size: 704 bytes\n");
    }
    EXPECT_THROW(renderer.render(nullptr, output.values.data(), output.bytes()),
                 NotRenderedException);
    EXPECT_THROW(renderer.render(input.values.data(), nullptr, input.bytes()),
                 NotRenderedException);
    renderer.currentWidth = 0;
    EXPECT_THROW(renderer.render(input.values.data(), output.values.data(), 0),
                 NotRenderedException);
}

namespace {

class DistortionFrameSize : public DistortionRendererOnDevice {
protected:
    std::pair<std::uint32_t, std::uint32_t> frameSizeFor(std::uint32_t width, std::uint32_t height,
                                                         std::uint32_t formatWidth,
                                                         std::uint32_t formatHeight,
                                                         const Coefficients& a) {
        prepare(width, height, 12.0F, identity);
        renderer.originalWidth = formatWidth;
        renderer.originalHeight = formatHeight;
        renderer.frameSizeCoefficients = a;
        std::uint32_t newWidth = 0;
        std::uint32_t newHeight = 0;
        renderer.frameSize(newWidth, newHeight);
        return {newWidth, newHeight};
    }

    std::string failureOfFrameSize() {
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        try {
            renderer.frameSize(width, height);
        } catch (const Exception& error) {
            EXPECT_EQ(width, 0U);
            EXPECT_EQ(height, 0U);
            return error.what();
        }
        ADD_FAILURE() << "frameSize did not fail";
        return {};
    }
};

} // namespace

TEST_F(DistortionFrameSize, IdentityKeepsTheFrameOrWidensItToTheFormatAspect) {
    EXPECT_EQ(frameSizeFor(1920, 1080, 1920, 1080, identity), std::pair(1920U, 1080U));
    EXPECT_EQ(frameSizeFor(1920, 1080, 4096, 2160, identity), std::pair(2048U, 1080U));
    // A 4:3 frame on a wide format grows in width only; a wide frame on 4:3 in height.
    EXPECT_EQ(frameSizeFor(1440, 1080, 1920, 1080, identity), std::pair(1920U, 1080U));
    EXPECT_EQ(frameSizeFor(1920, 1080, 1440, 1080, identity), std::pair(1920U, 1440U));
}

TEST_F(DistortionFrameSize, StretchingPolynomialEnlargesTheFrame) {
    // Twice the distance everywhere: 2 x 1919 + 1 = 3839 columns, 2 x 1079 + 1 = 2159 rows,
    // then 3839 / (1920 / 1080) = 2159.44 rounds the height up to 2160.
    EXPECT_EQ(frameSizeFor(1920, 1080, 1920, 1080, scaled(2.0F)), std::pair(3839U, 2160U));
    // Half the distance: 960 + 1 columns and 540 + 1 rows, and 541 rows at 16:9 need 962
    // columns.
    EXPECT_EQ(frameSizeFor(1920, 1080, 1920, 1080, scaled(0.5F)), std::pair(962U, 541U));
}

TEST_F(DistortionFrameSize, RadiiMustBeGreaterThanZero) {
    prepare(1920, 1080, 12.5F, identity);
    renderer.frameSizeImageRadius = 0.0F;
    EXPECT_EQ(failureOfFrameSize(),
              "Image radii of 12.5 mm and 0 mm are invalid and need to be greater than zero.");
    renderer.imageRadius = -1.25F;
    renderer.frameSizeImageRadius = 21.6333F;
    EXPECT_EQ(failureOfFrameSize(),
              "Image radii of -1.25 mm and 21.6333 mm are invalid and need to be greater than "
              "zero.");
    renderer.imageRadius = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(failureOfFrameSize(),
              "Image radii of nan mm and 21.6333 mm are invalid and need to be greater than "
              "zero.");
}

TEST_F(DistortionFrameSize, NegativeOrUndefinedFactorsAreRefused) {
    prepare(1920, 1080, 21.6333F, identity);
    const std::string message = "It is not possible to correctly calculate the new frame size "
                                "with an image radius of 21.6333 mm.";
    renderer.frameSizeCoefficients = scaled(-1.0F);
    EXPECT_EQ(failureOfFrameSize(), message);
    // Positive at the edges, negative at the corner radius.
    renderer.frameSizeCoefficients = {0.0F, 1.0F, -0.05F, 0.0F, 0.0F, 0.0F, 0.0F};
    EXPECT_EQ(failureOfFrameSize(), message);
    renderer.frameSizeCoefficients = {
        std::numeric_limits<float>::quiet_NaN(), 1.0F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F};
    EXPECT_EQ(failureOfFrameSize(), message);
    // A frame too large to count in pixels.
    renderer.frameSizeCoefficients = scaled(1e12F);
    EXPECT_EQ(failureOfFrameSize(), message);
}

TEST_F(DistortionFrameSize, EmptyFrameOrFormatIsRefused) {
    prepare(1920, 1080, 12.0F, identity);
    renderer.originalHeight = 0;
    EXPECT_EQ(failureOfFrameSize(), "Frame size of 1920x1080 px and recording format resolution "
                                    "of 1920x0 px are invalid and need to be greater than zero.");
    renderer.originalHeight = 1080;
    renderer.currentWidth = 0;
    EXPECT_EQ(failureOfFrameSize(),
              "Frame size of 0x1080 px and recording format resolution "
              "of 1920x1080 px are invalid and need to be greater than zero.");
}
