// The renderers against the first versions of their programs (ReferenceKernels.h), run on
// the same device with the same launch: every value must come out with the same bits.

#include "PixelFrames.h"
#include "ReferenceKernels.h"

#include "renderer/DistortionKernelSource.h"
#include "renderer/DistortionRenderer.h"
#include "renderer/KernelArgumentSequence.h"
#include "renderer/NotRenderedException.h"
#include "renderer/OpenCLKernel.h"
#include "renderer/ShadingKernelSource.h"
#include "renderer/ShadingRenderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
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

float floatOfBits(std::uint32_t bits) {
    float value = 0.0F;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

// Noise with the values that arithmetic treats specially spread over it.
Frame edgeFrame(std::uint32_t width, std::uint32_t height) {
    Frame frame = PixelFrames::noiseFrame(width, height, 11);
    const std::array<float, 16> specials{0.0F,
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
                                         1e-30F,
                                         floatOfBits(0x7fc0beefU), // NaN payloads
                                         floatOfBits(0xff800001U),
                                         -std::numeric_limits<float>::max(),
                                         3e38F};
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
    static const std::vector<Size> list{{1, 1}, {2, 2},   {7, 5},   {1, 9},     {9, 1},    {2, 7},
                                        {6, 3}, {33, 17}, {64, 48}, {321, 203}, {501, 283}};
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
    {20.0F, {0.0F, 1.0F, 0.0F, 0.0F, 0.0F, 0.0F, std::nanf("")}, 0, 1.0F},     // NaN points
};

constexpr Coefficients fallOff{100.0F, 0.0F, -0.12F, 0.0F, 0.0002F, 0.0F, 0.0F};
constexpr Coefficients fitted{100.0F, 0.3F, -0.21F, 0.004F, 1e-4F, -3e-6F, 2e-8F};
constexpr Coefficients dark{0.0F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F};
const std::vector<Lens> shadingLenses{
    {20.0F, fallOff, 0, 1.0F},
    {20.0F, fallOff, 1, 1.0F},
    {23.7F, fitted, 0, 1.0F},
    {23.7F, fitted, 1, 1.0F},
    {0.0F, fallOff, 0, 1.0F},
    {20.0F, dark, 0, 1.0F},
    {20.0F, dark, 1, 1.0F},
    {20.0F, fallOff, 0, 2.2F},
    {20.0F, fitted, 1, 0.45F},
    {20.0F, {std::nanf(""), 0.0F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F}, 0, 1.0F},
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

// A program text run as the renderers run theirs (both kernels of one build, buffers kept
// between runs of one size), with the size and lens of each call.
class ProgramRun {
public:
    ProgramRun(const char* source, const std::string& kernelName, bool shading)
        : shading_(shading),
          image_(source, kernelName, [this](cl_kernel kernel) { return arguments(kernel, 2); }),
          map_(image_.builtProgram(), kernelName + "Map",
               [this](cl_kernel kernel) { return arguments(kernel, 1); }) {
        image_.keepBuffersBetweenRuns(true);
        map_.keepBuffersBetweenRuns(true);
    }

    void render(const Size& size, const Lens& lens, bool outputMap, const float* input,
                float* output) {
        size_ = size;
        lens_ = lens;
        const size_t bytes = std::size_t{size.width} * size.height * 4 * sizeof(float);
        (outputMap ? map_ : image_).execute(bytes, output, outputMap ? nullptr : input);
    }

private:
    int arguments(cl_kernel kernel, cl_uint first) const {
        Renderer::KernelArgumentSequence sequence(kernel, first);
        sequence.add(cl_uint{size_.width})
            .add(cl_uint{size_.height})
            .add(cl_uint{size_.width})
            .add(cl_uint{size_.height})
            .add(cl_float{lens_.imageRadius});
        for (const float coefficient : lens_.coefficients) {
            sequence.add(cl_float{coefficient});
        }
        if (shading_) {
            sequence.add(cl_uchar{lens_.reverse}).add(cl_float{lens_.gamma});
        }
        return sequence.status();
    }

    const bool shading_;
    Size size_{};
    Lens lens_{};
    OpenCLKernel<float> image_;
    OpenCLKernel<float> map_;
};

template <typename SomeRenderer>
void render(SomeRenderer& renderer, const Size& size, const Lens& lens, bool outputMap,
            const float* input, float* output) {
    renderer.currentWidth = renderer.originalWidth = size.width;
    renderer.currentHeight = renderer.originalHeight = size.height;
    configure(renderer, lens);
    renderer.outputMap = outputMap;
    renderer.render(outputMap ? nullptr : input, output,
                    std::size_t{size.width} * size.height * 4 * sizeof(float));
}

template <typename SomeRenderer>
constexpr bool isShading = std::is_same_v<SomeRenderer, ShadingRenderer>;

// Every size and lens, image and map: today's program text and the renderer (which builds
// the text for the device it runs on) against the first program.
template <typename SomeRenderer>
void expectTheBitsOfTheFirstProgram(const char* reference, const char* today,
                                    const std::string& kernelName,
                                    const std::vector<Lens>& lenses) {
    SomeRenderer renderer;
    ProgramRun first(reference, kernelName, isShading<SomeRenderer>);
    ProgramRun general(today, kernelName, isShading<SomeRenderer>);
    for (const Size& size : sizes()) {
        const Frame input = edgeFrame(size.width, size.height);
        for (std::size_t variant = 0; variant < lenses.size(); ++variant) {
            const Lens& lens = lenses[variant];
            for (const bool outputMap : {false, true}) {
                Frame expected(size.width, size.height);
                first.render(size, lens, outputMap, input.values.data(), expected.values.data());
                Frame actual(size.width, size.height);
                general.render(size, lens, outputMap, input.values.data(), actual.values.data());
                EXPECT_TRUE(identical(expected, actual))
                    << "today's program, " << nameOf(size, variant)
                    << (outputMap ? " map" : " image");
                render(renderer, size, lens, outputMap, input.values.data(), actual.values.data());
                EXPECT_TRUE(identical(expected, actual))
                    << "renderer, " << nameOf(size, variant) << (outputMap ? " map" : " image");
            }
        }
    }
}

// Sizes of one pixel, single rows and columns, rows longer than a work-group's run of
// pixels, a 4K frame of odd size, and random sizes.
const std::vector<Size>& runSizes() {
    static const std::vector<Size> list = [] {
        std::vector<Size> sizes{{1, 1},     {3, 1},    {1, 3},     {7, 4096},
                                {16385, 2}, {4097, 5}, {1025, 17}, {4097, 2161}};
        std::mt19937 generator(19);
        for (int i = 0; i < 8; ++i) {
            const std::uint32_t width = 1 + generator() % 300;
            sizes.push_back({width, 1 + static_cast<std::uint32_t>(generator() % 120)});
        }
        return sizes;
    }();
    return list;
}

// A lens under which the image kernel returns its input and the map kernel the given
// value: run on a frame of that value, it fills the kernel's kept output buffer, so that a
// pixel which a later run leaves unwritten shows it.
template <typename SomeRenderer>
Lens fillingLens(float value, bool outputMap) {
    if constexpr (isShading<SomeRenderer>) {
        const float percent = outputMap ? value * 100.0F : 100.0F;
        return {20.0F, {percent, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F}, 1, 1.0F};
    } else {
        return {20.0F, {0.0F, 1.0F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F}, 0, 1.0F};
    }
}

template <typename SomeRenderer, typename Render>
void fill(Render& render, const Size& size, bool outputMap, float value, const char* side) {
    Frame frame(size.width, size.height);
    std::fill(frame.values.begin(), frame.values.end(), value);
    Frame output(size.width, size.height);
    render(fillingLens<SomeRenderer>(value, outputMap), outputMap, frame.values.data(),
           output.values.data());
    for (std::size_t i = 0; i < output.values.size(); ++i) {
        const float expected = outputMap && i % 4 == 3 ? 1.0F : value;
        ASSERT_EQ(output.values[i], expected) << side << " not filled at " << i;
    }
}

// Today's program text and the renderer, which builds the text for the device it runs on
// (on a CPU device the one shaped for it): the same bits in every pixel, and every pixel
// written. The output buffers are filled with a different value on each side first.
template <typename SomeRenderer>
void expectTodaysBitsInEveryPixel(const char* today, const std::string& kernelName,
                                  const std::vector<Lens>& lenses, std::size_t lensOfLargeFrames) {
    SomeRenderer renderer;
    ProgramRun general(today, kernelName, isShading<SomeRenderer>);
    for (const Size& size : runSizes()) {
        const Frame input = edgeFrame(size.width, size.height);
        const bool large = std::size_t{size.width} * size.height > (1U << 20);
        for (std::size_t variant = 0; variant < lenses.size(); ++variant) {
            if (large && variant != lensOfLargeFrames) {
                continue;
            }
            for (const bool outputMap : {false, true}) {
                // The distortion map does not depend on the lens; its kept buffer cannot be
                // filled, and it is checked against the host's positions instead.
                const bool fillable = !outputMap || isShading<SomeRenderer>;
                if (!fillable && variant != (large ? lensOfLargeFrames : 0)) {
                    continue;
                }
                auto todays = [&](const Lens& lens, bool map, const float* in, float* out) {
                    general.render(size, lens, map, in, out);
                };
                auto renderers = [&](const Lens& lens, bool map, const float* in, float* out) {
                    render(renderer, size, lens, map, in, out);
                };
                if (fillable) {
                    fill<SomeRenderer>(todays, size, outputMap, 1234.5F, "today's program");
                    fill<SomeRenderer>(renderers, size, outputMap, -4321.25F, "renderer");
                }
                Frame expected(size.width, size.height);
                todays(lenses[variant], outputMap, input.values.data(), expected.values.data());
                Frame actual(size.width, size.height);
                renderers(lenses[variant], outputMap, input.values.data(), actual.values.data());
                EXPECT_TRUE(identical(expected, actual))
                    << nameOf(size, variant) << (outputMap ? " map" : " image");
                if (!fillable) {
                    for (std::size_t i = 0; i < expected.values.size(); i += 4) {
                        const std::size_t pixel = i / 4;
                        expected.values[i] =
                            static_cast<float>(pixel % size.width) / static_cast<float>(size.width);
                        expected.values[i + 1] = static_cast<float>(pixel / size.width) /
                                                 static_cast<float>(size.height);
                        expected.values[i + 2] = 0.0F;
                        expected.values[i + 3] = 1.0F;
                    }
                    EXPECT_TRUE(identical(expected, actual)) << nameOf(size, variant) << " map";
                }
            }
        }
    }
}

// A frame rendered in place, a run that fails and buffers of the wrong size: the caller's
// output holds what it held before on every device.
template <typename SomeRenderer>
void expectCallersToSeeWhatTheySawBefore(const Lens& lens, const Lens* failingLens) {
    SomeRenderer renderer;
    const Size size{37, 23};
    const Frame input = edgeFrame(size.width, size.height);
    Frame separate(size.width, size.height);
    render(renderer, size, lens, false, input.values.data(), separate.values.data());
    Frame inPlace = input;
    render(renderer, size, lens, false, inPlace.values.data(), inPlace.values.data());
    EXPECT_TRUE(identical(separate, inPlace)) << "in place";
    // Memory aligned to a float only.
    std::vector<float> shifted(input.values.size() + 1);
    std::copy(input.values.begin(), input.values.end(), shifted.begin() + 1);
    Frame fromShifted(size.width, size.height);
    render(renderer, size, lens, false, shifted.data() + 1, fromShifted.values.data());
    EXPECT_TRUE(identical(separate, fromShifted)) << "input aligned to a float";

    Frame untouched(size.width, size.height);
    std::fill(untouched.values.begin(), untouched.values.end(), -7.0F);
    if (failingLens != nullptr) {
        Frame output = untouched;
        EXPECT_THROW(
            render(renderer, size, *failingLens, false, input.values.data(), output.values.data()),
            Renderer::NotRenderedException);
        EXPECT_EQ(output.values, untouched.values) << "failed run";
    }

    configure(renderer, lens);
    std::vector<float> larger(untouched.values.size() + 4, -7.0F);
    const std::vector<float> largerBefore = larger;
    for (const std::size_t bytes : {input.bytes() + 16, input.bytes() - 16}) {
        EXPECT_THROW(renderer.render(larger.data(), larger.data(), bytes),
                     Renderer::NotRenderedException);
        EXPECT_EQ(larger, largerBefore) << bytes << " bytes";
    }
}

} // namespace

TEST(KernelEquivalence, DistortionIsBitForBitThatOfTheFirstProgram) {
    expectTheBitsOfTheFirstProgram<DistortionRenderer>(ReferenceKernels::distortion,
                                                       Renderer::distortionKernelSource,
                                                       "distortion", distortionLenses);
}

TEST(KernelEquivalence, ShadingIsBitForBitThatOfTheFirstProgram) {
    expectTheBitsOfTheFirstProgram<ShadingRenderer>(
        ReferenceKernels::shading, Renderer::shadingKernelSource, "shading", shadingLenses);
}

TEST(KernelEquivalence, DistortionWritesTodaysBitsInEveryPixel) {
    expectTodaysBitsInEveryPixel<DistortionRenderer>(Renderer::distortionKernelSource, "distortion",
                                                     distortionLenses, 3);
}

TEST(KernelEquivalence, ShadingWritesTodaysBitsInEveryPixel) {
    expectTodaysBitsInEveryPixel<ShadingRenderer>(Renderer::shadingKernelSource, "shading",
                                                  shadingLenses, 2);
}

// The CPU text keeps cells as 32-bit pixel indices; a frame with more pixels than that
// (64 GiB and up) takes a per-pixel path, built here for frames of every size.
TEST(KernelEquivalence, DistortionOfFramesBeyondIndexedCellsWritesTodaysBits) {
    const std::string everyFrameBeyond =
        std::string("#define LARGEST_INDEXED_FRAME 0\n") + Renderer::distortionCpuKernelSource;
    ProgramRun general(Renderer::distortionKernelSource, "distortion", false);
    ProgramRun perPixel(everyFrameBeyond.c_str(), "distortion", false);
    for (const Size& size : runSizes()) {
        if (std::size_t{size.width} * size.height > (1U << 20)) {
            continue;
        }
        const Frame input = edgeFrame(size.width, size.height);
        auto perPixelRun = [&](const Lens& lens, bool map, const float* in, float* out) {
            perPixel.render(size, lens, map, in, out);
        };
        for (std::size_t variant = 0; variant < distortionLenses.size(); ++variant) {
            fill<DistortionRenderer>(perPixelRun, size, false, -4321.25F, "per-pixel path");
            Frame expected(size.width, size.height);
            general.render(size, distortionLenses[variant], false, input.values.data(),
                           expected.values.data());
            Frame actual(size.width, size.height);
            perPixel.render(size, distortionLenses[variant], false, input.values.data(),
                            actual.values.data());
            EXPECT_TRUE(identical(expected, actual)) << nameOf(size, variant);
        }
    }
}

TEST(KernelEquivalence, CallersSeeWhatTheySawBefore) {
    Lens invalid = distortionLenses[3];
    invalid.imageRadius = 0.0F; // refused before the launch
    expectCallersToSeeWhatTheySawBefore<DistortionRenderer>(distortionLenses[3], &invalid);
    expectCallersToSeeWhatTheySawBefore<ShadingRenderer>(shadingLenses[2], nullptr);
}
