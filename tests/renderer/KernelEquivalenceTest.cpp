// The renderers against the first versions of their programs (ReferenceKernels.h), run on
// the same device with the same launch: every value must come out with the same bits.

#include "PixelFrames.h"
#include "ReferenceKernels.h"

#include "renderer/DistortionRenderer.h"
#include "renderer/KernelArgumentSequence.h"
#include "renderer/OpenCLKernel.h"
#include "renderer/ShadingRenderer.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

using PixelFrames::Frame;
using Renderer::DistortionRenderer;
using Renderer::OpenCLKernel;
using Renderer::ShadingRenderer;

namespace {

using Coefficients = std::array<float, 7>;

std::uint32_t bitsOf(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

// Equal bit patterns, or NaN in both (the payload of a NaN is no result).
::testing::AssertionResult identical(const Frame& expected, const Frame& actual) {
    if (expected.values.size() != actual.values.size()) {
        return ::testing::AssertionFailure() << "frames differ in size";
    }
    std::size_t differing = 0;
    std::size_t first = 0;
    for (std::size_t i = 0; i < expected.values.size(); ++i) {
        const float e = expected.values[i];
        const float a = actual.values[i];
        if (bitsOf(e) != bitsOf(a) && !(std::isnan(e) && std::isnan(a))) {
            first = differing == 0 ? i : first;
            ++differing;
        }
    }
    if (differing == 0) {
        return ::testing::AssertionSuccess();
    }
    const std::size_t pixel = first / 4;
    return ::testing::AssertionFailure()
           << differing << " values differ; first at pixel (" << pixel % expected.width << ", "
           << pixel / expected.width << ") channel " << first % 4 << ": expected "
           << expected.values[first] << ", got " << actual.values[first];
}

// Noise with the values that arithmetic treats specially spread over it.
Frame edgeFrame(std::uint32_t width, std::uint32_t height) {
    Frame frame = PixelFrames::noiseFrame(width, height, 11);
    const std::array<float, 12> specials{0.0F,
                                         -0.0F,
                                         std::numeric_limits<float>::denorm_min(),
                                         -std::numeric_limits<float>::denorm_min(),
                                         std::numeric_limits<float>::min() / 4.0F,
                                         std::numeric_limits<float>::min(),
                                         -1.5F,
                                         std::numeric_limits<float>::max(),
                                         std::numeric_limits<float>::infinity(),
                                         -std::numeric_limits<float>::infinity(),
                                         std::numeric_limits<float>::quiet_NaN(),
                                         1e-30F};
    for (std::size_t i = 0; i < frame.values.size(); i += 7) {
        frame.values[i] = specials[(i / 7) % specials.size()];
    }
    return frame;
}

struct Size {
    std::uint32_t width;
    std::uint32_t height;
};

// Odd and even sizes, one pixel, single rows and columns (whose mirror images are the
// pixels themselves), and sizes that fill work-groups unevenly.
const std::vector<Size>& sizes() {
    static const std::vector<Size> list{{1, 1},   {2, 2},     {7, 5},     {1, 9},
                                        {9, 1},   {2, 7},     {6, 3},     {33, 17},
                                        {64, 48}, {321, 203}, {640, 360}, {1001, 563}};
    return list;
}

std::string nameOf(const Size& size, std::size_t variant) {
    std::ostringstream name;
    name << size.width << "x" << size.height << " variant " << variant;
    return name.str();
}

// A lens as both the first programs and the renderers take it; the last two values only
// for shading.
struct Lens {
    float imageRadius;
    Coefficients coefficients;
    std::uint8_t reverse;
    float gamma;
};

const std::vector<Lens> distortionLenses{
    {20.0F, {0.0F, 1.0F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F}, 0, 1.0F},              // identity
    {20.0F, {0.0F, 1.0F, 0.0F, 0.0005F, 0.0F, 0.0F, 0.0F}, 0, 1.0F},           // pincushion
    {20.0F, {0.0F, 1.0F, 0.0F, -0.0004F, 0.0F, 1e-7F, 0.0F}, 0, 1.0F},         // barrel
    {21.3F, {0.01F, 0.98F, 0.002F, -0.0003F, 4e-6F, -2e-8F, 5e-10F}, 0, 1.0F}, // all orders
    {20.0F, {0.0F, 2.0F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F}, 0, 1.0F},              // integral
    {20.0F, {0.0F, 0.5F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F}, 0, 1.0F},              // half-pixel
    {20.0F, {0.0F, -1.0F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F}, 0, 1.0F},             // mirrored
    {20.0F, {0.0F, 1.0F, 0.0F, 0.0F, 0.0F, 0.0F, 1e30F}, 0, 1.0F},             // infinities
    {1e-30F, {1e30F, 1e30F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F}, 0, 1.0F},           // beyond
};

constexpr Coefficients fallOff{100.0F, 0.0F, -0.12F, 0.0F, 0.0002F, 0.0F, 0.0F};
constexpr Coefficients fitted{100.0F, 0.3F, -0.21F, 0.004F, 1e-4F, -3e-6F, 2e-8F};
constexpr Coefficients dark{0.0F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F};
const std::vector<Lens> shadingLenses{
    {20.0F, fallOff, 0, 1.0F}, {20.0F, fallOff, 1, 1.0F}, {23.7F, fitted, 0, 1.0F},
    {23.7F, fitted, 1, 1.0F},  {0.0F, fallOff, 0, 1.0F},  {20.0F, dark, 0, 1.0F},
    {20.0F, dark, 1, 1.0F},    {20.0F, fallOff, 0, 2.2F}, {20.0F, fitted, 1, 0.45F},
};

void configure(DistortionRenderer& renderer, const Lens& lens) {
    renderer.imageRadius = lens.imageRadius;
    renderer.frameSizeImageRadius = 20.0F;
    renderer.coefficients = lens.coefficients;
}

void configure(ShadingRenderer& renderer, const Lens& lens) {
    renderer.imageRadius = lens.imageRadius;
    renderer.coefficients = lens.coefficients;
    renderer.reverse = lens.reverse;
    renderer.gamma = lens.gamma;
}

// Every size and lens, image and map, through the renderer and through the first program.
template <typename SomeRenderer>
void expectTheBitsOfTheFirstProgram(const char* source, const std::string& kernelName,
                                    const std::vector<Lens>& lenses) {
    constexpr bool shading = std::is_same_v<SomeRenderer, ShadingRenderer>;
    SomeRenderer renderer;
    Size size{};
    Lens lens{};
    const auto arguments = [&](cl_kernel kernel, cl_uint first) {
        Renderer::KernelArgumentSequence sequence(kernel, first);
        sequence.add(cl_uint{size.width})
            .add(cl_uint{size.height})
            .add(cl_uint{size.width})
            .add(cl_uint{size.height})
            .add(cl_float{lens.imageRadius});
        for (const float coefficient : lens.coefficients) {
            sequence.add(cl_float{coefficient});
        }
        if (shading) {
            sequence.add(cl_uchar{lens.reverse}).add(cl_float{lens.gamma});
        }
        return sequence.status();
    };
    OpenCLKernel<float> image(source, kernelName,
                              [&](cl_kernel kernel) { return arguments(kernel, 2); });
    OpenCLKernel<float> map(source, kernelName + "Map",
                            [&](cl_kernel kernel) { return arguments(kernel, 1); });
    for (const Size& current : sizes()) {
        size = current;
        renderer.currentWidth = renderer.originalWidth = size.width;
        renderer.currentHeight = renderer.originalHeight = size.height;
        const Frame input = edgeFrame(size.width, size.height);
        for (std::size_t variant = 0; variant < lenses.size(); ++variant) {
            lens = lenses[variant];
            configure(renderer, lens);
            for (const bool outputMap : {false, true}) {
                const float* frame = outputMap ? nullptr : input.values.data();
                Frame expected(size.width, size.height);
                (outputMap ? map : image).execute(input.bytes(), expected.values.data(), frame);
                renderer.outputMap = outputMap;
                Frame actual(size.width, size.height);
                renderer.render(frame, actual.values.data(), input.bytes());
                EXPECT_TRUE(identical(expected, actual))
                    << nameOf(size, variant) << (outputMap ? " map" : " image");
            }
        }
    }
}

} // namespace

TEST(KernelEquivalence, DistortionIsBitForBitThatOfTheFirstProgram) {
    expectTheBitsOfTheFirstProgram<DistortionRenderer>(ReferenceKernels::distortion, "distortion",
                                                       distortionLenses);
}

TEST(KernelEquivalence, ShadingIsBitForBitThatOfTheFirstProgram) {
    expectTheBitsOfTheFirstProgram<ShadingRenderer>(ReferenceKernels::shading, "shading",
                                                    shadingLenses);
}
