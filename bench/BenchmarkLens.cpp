#include "BenchmarkLens.h"

#include "correction_data/Calculations.h"
#include "foundation/Sextic.h"

#include <cmath>
#include <thread>

namespace Bench {

namespace {

std::array<float, 7> fitted(const std::vector<float>& x, const std::vector<float>& y) {
    std::vector<float> coefficients;
    CorrectionData::Calculations::calculateCoefficients(x, y, coefficients);
    std::array<float, 7> result{};
    for (std::size_t i = 0; i < coefficients.size() && i < result.size(); ++i) {
        result[i] = coefficients[i];
    }
    return result;
}

} // namespace

float sensorRadius(std::uint32_t width, std::uint32_t height) {
    const float sensorHeight = static_cast<float>(height) / static_cast<float>(width) * sensorWidth;
    return static_cast<float>(
        std::sqrt(0.25 * sensorWidth * sensorWidth + 0.25 * sensorHeight * sensorHeight));
}

Undistortion undistortion(std::uint32_t width, std::uint32_t height) {
    const LensSamples samples;
    const std::vector<float> distorted =
        CorrectionData::Calculations::distortedHeights(samples.heights, samples.radialDistortion);
    const std::array<float, 7> forward = fitted(samples.heights, distorted);
    const float radius = sensorRadius(width, height);
    return {fitted(distorted, samples.heights), forward, evaluateSextic(forward, radius), radius};
}

ShadingRemoval shadingRemoval(std::uint32_t width, std::uint32_t height) {
    const LensSamples samples;
    return {fitted(samples.heights, samples.shading), sensorRadius(width, height)};
}

void setUpUndistortion(Renderer::DistortionRenderer& renderer, std::uint32_t width,
                       std::uint32_t height) {
    const Undistortion parameters = undistortion(width, height);
    renderer.currentWidth = width;
    renderer.currentHeight = height;
    renderer.originalWidth = width;
    renderer.originalHeight = height;
    renderer.outputMap = false;
    renderer.coefficients = parameters.coefficients;
    renderer.frameSizeCoefficients = parameters.frameSizeCoefficients;
    renderer.imageRadius = parameters.imageRadius;
    renderer.frameSizeImageRadius = parameters.frameSizeImageRadius;
}

void setUpShadingRemoval(Renderer::ShadingRenderer& renderer, std::uint32_t width,
                         std::uint32_t height) {
    const ShadingRemoval parameters = shadingRemoval(width, height);
    renderer.currentWidth = width;
    renderer.currentHeight = height;
    renderer.originalWidth = width;
    renderer.originalHeight = height;
    renderer.outputMap = false;
    renderer.imageRadius = parameters.imageRadius;
    renderer.coefficients = parameters.coefficients;
    renderer.reverse = 0;
    renderer.gamma = 1.0F;
}

std::vector<float> testFrame(std::uint32_t width, std::uint32_t height) {
    std::vector<float> frame(std::size_t{width} * height * 4);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            float* pixel = &frame[(std::size_t{y} * width + x) * 4];
            const float u = static_cast<float>(x) / static_cast<float>(width);
            const float v = static_cast<float>(y) / static_cast<float>(height);
            const float checker = ((x / 32 + y / 32) % 2 == 0) ? 0.1F : 0.0F;
            pixel[0] = 0.2F + 0.6F * u + checker;
            pixel[1] = 0.2F + 0.6F * v;
            pixel[2] = 0.5F - checker;
            pixel[3] = 1.0F;
        }
    }
    return frame;
}

unsigned int threadCount() {
    const unsigned int count = std::thread::hardware_concurrency();
    return count == 0 ? 1 : count;
}

} // namespace Bench

#include <benchmark/benchmark.h>

namespace Bench {

void imageBenchmark(benchmark::internal::Benchmark* family) {
    for (const FrameSize& size : frameSizes) {
        family->Args({size.width, size.height});
    }
    family->Unit(benchmark::kMillisecond)->UseRealTime();
}

} // namespace Bench
