#include "renderer/ShadingRenderer.h"
#include "renderer/NotRenderedException.h"

#include "CpuLensModel.h"
#include "PixelFrames.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <string>

using PixelFrames::Frame;
using Renderer::NotRenderedException;
using Renderer::ShadingRenderer;

namespace {

using Coefficients = CpuLensModel::Coefficients;
using CpuLensModel::cpuFactor;
using CpuLensModel::cpuShading;

Coefficients constant(float percent) {
    return {percent, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F};
}

// A typical fall-off: full light at the centre, about 60 % in the corners of a 20 mm radius.
constexpr Coefficients fallOff{100.0F, 0.0F, -0.12F, 0.0F, 0.0002F, 0.0F, 0.0F};

// Images pass through pow, which OpenCL allows to be off by 16 ulp; maps do not.
constexpr float imageTolerance = 1e-5F;
constexpr float mapTolerance = 1e-6F;

class ShadingRendererOnDevice : public ::testing::Test {
protected:
    void prepare(std::uint32_t width, std::uint32_t height, float radius, const Coefficients& a,
                 bool addShading, float gamma = 1.0F) {
        renderer.currentWidth = width;
        renderer.currentHeight = height;
        renderer.originalWidth = width;
        renderer.originalHeight = height;
        renderer.imageRadius = radius;
        renderer.coefficients = a;
        renderer.reverse = addShading ? 1 : 0;
        renderer.gamma = gamma;
        renderer.outputMap = false;
    }

    Frame run(const Frame& input, float radius, const Coefficients& a, bool addShading,
              float gamma = 1.0F) {
        prepare(input.width, input.height, radius, a, addShading, gamma);
        Frame output(input.width, input.height);
        renderer.render(input.values.data(), output.values.data(), input.bytes());
        return output;
    }

    Frame map(std::uint32_t width, std::uint32_t height, float radius, const Coefficients& a,
              bool addShading) {
        prepare(width, height, radius, a, addShading);
        renderer.outputMap = true;
        Frame output(width, height);
        renderer.render(nullptr, output.values.data(), output.bytes());
        return output;
    }

    ShadingRenderer renderer;
};

Frame scaledColour(const Frame& input, float factor) {
    Frame expected = input;
    for (std::size_t i = 0; i < expected.values.size(); ++i) {
        if (i % 4 != 3) {
            expected.values[i] *= factor;
        }
    }
    return expected;
}

Frame uniformMap(std::uint32_t width, std::uint32_t height, float factor) {
    Frame expected(width, height);
    for (std::size_t i = 0; i < expected.values.size(); ++i) {
        expected.values[i] = i % 4 == 3 ? 1.0F : factor;
    }
    return expected;
}

} // namespace

TEST_F(ShadingRendererOnDevice, HalfIlluminationDoublesOnRemovalAndHalvesOnAddition) {
    const Frame input = PixelFrames::noiseFrame(33, 17);
    const Frame removed = run(input, 20.0F, constant(50.0F), false);
    PixelFrames::expectMatch(scaledColour(input, 2.0F), removed, imageTolerance);
    const Frame added = run(input, 20.0F, constant(50.0F), true);
    PixelFrames::expectMatch(scaledColour(input, 0.5F), added, imageTolerance);
    for (std::size_t i = 3; i < input.values.size(); i += 4) {
        ASSERT_EQ(removed.values[i], input.values[i]) << "alpha changed at " << i;
        ASSERT_EQ(added.values[i], input.values[i]) << "alpha changed at " << i;
    }
}

TEST_F(ShadingRendererOnDevice, RadialFallOffMatchesTheCpuComputation) {
    for (const bool addShading : {false, true}) {
        for (const float gamma : {1.0F, 2.2F}) {
            SCOPED_TRACE(std::string(addShading ? "add" : "remove") + " gamma " +
                         std::to_string(gamma));
            const Frame input = PixelFrames::noiseFrame(64, 27, 11);
            const Frame output = run(input, 20.0F, fallOff, addShading, gamma);
            // Values reach about 1.7 when shading is removed.
            PixelFrames::expectMatch(cpuShading(input, 20.0F, fallOff, addShading, gamma), output,
                                     imageTolerance);
        }
    }
}

TEST_F(ShadingRendererOnDevice, GammaRoundTripWithoutShadingKeepsTheInput) {
    const Frame input = PixelFrames::noiseFrame(40, 30, 5);
    PixelFrames::expectMatch(input, run(input, 20.0F, constant(100.0F), false, 2.2F),
                             imageTolerance);
}

TEST_F(ShadingRendererOnDevice, MapFollowsTheRadialFallOffAroundAnEvenCentre) {
    const Frame output = map(8, 6, 20.0F, fallOff, true);
    Frame expected(8, 6);
    for (std::uint32_t y = 0; y < 6; ++y) {
        for (std::uint32_t x = 0; x < 8; ++x) {
            const float factor = cpuFactor(8, 6, x, y, 20.0F, fallOff, true);
            expected.at(x, y, 0) = expected.at(x, y, 1) = expected.at(x, y, 2) = factor;
            expected.at(x, y, 3) = 1.0F;
        }
    }
    PixelFrames::expectMatch(expected, output, mapTolerance);
    // The two middle columns and the two middle rows are equally far from the centre.
    EXPECT_EQ(output.at(3, 2, 0), output.at(4, 2, 0));
    EXPECT_EQ(output.at(3, 2, 0), output.at(3, 3, 0));
    EXPECT_LT(output.at(0, 0, 0), output.at(3, 2, 0));
}

TEST_F(ShadingRendererOnDevice, RadiusZeroAppliesTheCentreFactorEverywhere) {
    const Coefficients a{80.0F, -3.0F, 1.0F, 0.0F, 0.0F, 0.0F, 0.0F};
    PixelFrames::expectMatch(uniformMap(15, 9, 0.8F), map(15, 9, 0.0F, a, true), mapTolerance);
    const Frame input = PixelFrames::noiseFrame(15, 9);
    PixelFrames::expectMatch(scaledColour(input, 1.25F), run(input, 0.0F, a, false),
                             imageTolerance);
}

TEST_F(ShadingRendererOnDevice, FailedRunIsReportedAndTheNextFrameStillRenders) {
    const Frame input = PixelFrames::noiseFrame(10, 4);
    prepare(10, 4, 20.0F, constant(50.0F), false);
    Frame output(10, 4);
    try {
        renderer.render(input.values.data(), output.values.data(), input.bytes() * 2);
        FAIL() << "a buffer of the wrong size was rendered";
    } catch (const NotRenderedException& error) {
        EXPECT_EQ(error.detailedDescription(),
                  "An issue did occur during execution of the shading correction renderer.\n"
                  "Reason: Data size of 1280 bytes does not match the 10x4 px frame, which needs "
                  "640 bytes of four float channels per pixel.\nData Size: 1280 bytes\n");
    }
    try {
        renderer.render(nullptr, output.values.data(), input.bytes());
        FAIL() << "an image was rendered without input";
    } catch (const NotRenderedException& error) {
        EXPECT_EQ(error.detailedDescription(),
                  "An issue did occur during execution of the shading correction renderer.\n"
                  "Reason: Input buffer is missing; it is required unless a map is rendered.\n"
                  "Data Size: 640 bytes\n");
    }
    PixelFrames::expectMatch(scaledColour(input, 2.0F), run(input, 20.0F, constant(50.0F), false),
                             imageTolerance);
}
