#pragma once

// The lens, the frames and the thread count that every benchmark shares, so that the
// system and its peers work on identical data.

#include "renderer/DistortionRenderer.h"
#include "renderer/ShadingRenderer.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Bench {

// The frame sizes every image benchmark runs at.
struct FrameSize {
    std::uint32_t width;
    std::uint32_t height;
};
inline constexpr std::array<FrameSize, 2> frameSizes{{{1920, 1080}, {4096, 2160}}};

// Sample points of one lens as a correction file holds them.
struct LensSamples {
    std::vector<float> heights{0.0F, 4.0F, 8.0F, 12.0F, 16.0F, 20.0F, 24.0F};
    std::vector<float> shading{100.0F, 97.0F, 91.0F, 83.0F, 74.0F, 64.0F, 54.0F};
    std::vector<float> radialDistortion{0.0F, -4.0F, -14.0F, -30.0F, -48.0F, -70.0F, -95.0F};
};

inline constexpr float sensorWidth = 36.70F;

// The sensor radius of a frame that covers the full sensor width.
float sensorRadius(std::uint32_t width, std::uint32_t height);

// What the correction pipeline computes from the samples above for one frame size.
struct Undistortion {
    std::array<float, 7> coefficients;
    std::array<float, 7> frameSizeCoefficients;
    float imageRadius;
    float frameSizeImageRadius;
};
Undistortion undistortion(std::uint32_t width, std::uint32_t height);

struct ShadingRemoval {
    std::array<float, 7> coefficients;
    float imageRadius;
};
ShadingRemoval shadingRemoval(std::uint32_t width, std::uint32_t height);

// The renderer parameters the correction pipeline writes for the samples above.
void setUpUndistortion(Renderer::DistortionRenderer& renderer, std::uint32_t width,
                       std::uint32_t height);
void setUpShadingRemoval(Renderer::ShadingRenderer& renderer, std::uint32_t width,
                         std::uint32_t height);

// A smooth RGBA ramp with some detail, the same for every caller.
std::vector<float> testFrame(std::uint32_t width, std::uint32_t height);

inline std::size_t frameBytes(std::uint32_t width, std::uint32_t height) {
    return std::size_t{width} * height * 4 * sizeof(float);
}

// The threads the CPU peers use: as many as the OpenCL CPU device.
unsigned int threadCount();

} // namespace Bench

namespace Bench {

// Both frame sizes as arguments (width, height), milliseconds of wall-clock time.
void imageBenchmark(benchmark::internal::Benchmark* family);

// Steady-state frames: `frame` runs once untimed, so that first-use costs (pages touched
// for the first time, the OpenCL implementation preparing the kernel for the launch) stay
// out of the per-frame figure; the first frame of a process is a benchmark of its own.
// `frame` returns false after skipping the benchmark with an error.
template <typename Frame>
void steadyFrames(benchmark::State& state, Frame frame) {
    if (!frame()) {
        return;
    }
    for (auto _ : state) {
        if (!frame()) {
            return;
        }
    }
}

} // namespace Bench
