// The peers on the frames and with the lens of the system's benchmarks, on as many
// threads as the OpenCL CPU device uses: OpenCV's remap (bilinear, float RGBA) with the
// map computed from the same polynomial for every frame and precomputed once; lensfun's
// vignetting correction; and a copy of input and output as the floor of any host round
// trip.

#include "BenchmarkLens.h"
#include "foundation/Sextic.h"

#include <benchmark/benchmark.h>
#include <lensfun.h>
#include <opencv2/core.hpp>
#include <opencv2/core/utility.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

namespace {

std::uint32_t widthOf(const benchmark::State& state) {
    return static_cast<std::uint32_t>(state.range(0));
}

std::uint32_t heightOf(const benchmark::State& state) {
    return static_cast<std::uint32_t>(state.range(1));
}

// Runs `rows(first, count)` over the frame's rows split evenly between the threads.
template <typename Rows>
void onAllThreads(std::uint32_t height, Rows rows) {
    const unsigned int threads = Bench::threadCount();
    std::vector<std::thread> workers;
    const std::uint32_t share = (height + threads - 1) / threads;
    for (std::uint32_t first = 0; first < height; first += share) {
        workers.emplace_back(rows, first, std::min(share, height - first));
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
}

// The source position of every output pixel, by the distortion kernel's formulas.
class UndistortionMap {
public:
    UndistortionMap(std::uint32_t width, std::uint32_t height)
        : mapX_(static_cast<int>(height), static_cast<int>(width)),
          mapY_(static_cast<int>(height), static_cast<int>(width)),
          lens_(Bench::undistortion(width, height)) {}

    void compute() {
        const auto w = static_cast<float>(mapX_.cols);
        const auto h = static_cast<float>(mapX_.rows);
        const float cx = w / 2.0F - 0.5F;
        const float cy = h / 2.0F - 0.5F;
        const float halfDiagonal = std::sqrt(w * w + h * h) / 2.0F;
        const std::array<float, 7>& a = lens_.coefficients;
        const float radius = lens_.imageRadius;
        cv::parallel_for_(cv::Range(0, mapX_.rows), [&](const cv::Range& rows) {
            for (int y = rows.start; y < rows.end; ++y) {
                auto* const rowX = mapX_.ptr<float>(y);
                auto* const rowY = mapY_.ptr<float>(y);
                for (int x = 0; x < mapX_.cols; ++x) {
                    const float dx = static_cast<float>(x) - cx;
                    const float dy = static_cast<float>(y) - cy;
                    const float d = std::sqrt(dx * dx + dy * dy) / halfDiagonal * radius;
                    const float p = evaluateSextic(a, d);
                    const float factor = d > 0.0F ? p / d : 1.0F;
                    rowX[x] = dx * factor + cx;
                    rowY[x] = dy * factor + cy;
                }
            }
        });
    }

    const cv::Mat_<float>& x() const { return mapX_; }
    const cv::Mat_<float>& y() const { return mapY_; }

private:
    cv::Mat_<float> mapX_;
    cv::Mat_<float> mapY_;
    Bench::Undistortion lens_;
};

// The input frame and an output of the same size as OpenCV float RGBA images.
struct Frames {
    Frames(std::uint32_t width, std::uint32_t height)
        : pixels(Bench::testFrame(width, height)),
          input(static_cast<int>(height), static_cast<int>(width), CV_32FC4, pixels.data()),
          output(static_cast<int>(height), static_cast<int>(width), CV_32FC4) {}

    std::vector<float> pixels;
    cv::Mat input;
    cv::Mat output;
};

void remapMapPerFrame(benchmark::State& state) {
    cv::setNumThreads(static_cast<int>(Bench::threadCount()));
    Frames frames(widthOf(state), heightOf(state));
    UndistortionMap map(widthOf(state), heightOf(state));
    Bench::steadyFrames(state, [&] {
        map.compute();
        cv::remap(frames.input, frames.output, map.x(), map.y(), cv::INTER_LINEAR,
                  cv::BORDER_CONSTANT, cv::Scalar::all(0));
        benchmark::DoNotOptimize(frames.output.data);
        return true;
    });
}

void remapPrecomputedMap(benchmark::State& state) {
    cv::setNumThreads(static_cast<int>(Bench::threadCount()));
    Frames frames(widthOf(state), heightOf(state));
    UndistortionMap map(widthOf(state), heightOf(state));
    map.compute();
    Bench::steadyFrames(state, [&] {
        cv::remap(frames.input, frames.output, map.x(), map.y(), cv::INTER_LINEAR,
                  cv::BORDER_CONSTANT, cv::Scalar::all(0));
        benchmark::DoNotOptimize(frames.output.data);
        return true;
    });
}

// A lens whose only calibration is a vignetting curve close to the benchmark lens's
// fall-off (Pablo D'Angelo's model over the normalised radius).
lfLens vignettingLens(std::uint32_t width, std::uint32_t height) {
    lfLens lens;
    lens.Type = LF_RECTILINEAR;
    lens.CropFactor = 1.0F;
    lens.AspectRatio = static_cast<float>(width) / static_cast<float>(height);
    lens.MinFocal = 35.0F;
    lens.MaxFocal = 35.0F;
    lfLensCalibVignetting calibration{};
    calibration.Model = LF_VIGNETTING_MODEL_PA;
    calibration.Focal = 35.0F;
    calibration.Aperture = 2.8F;
    calibration.Distance = 1000.0F;
    calibration.Terms[0] = -0.35F;
    calibration.Terms[1] = -0.15F;
    calibration.Terms[2] = 0.05F;
    lens.AddCalibVignetting(&calibration);
    return lens;
}

void lensfunVignetting(benchmark::State& state) {
    const std::uint32_t width = widthOf(state);
    const std::uint32_t height = heightOf(state);
    const lfLens lens = vignettingLens(width, height);
    lfModifier modifier(&lens, 1.0F, static_cast<int>(width), static_cast<int>(height));
    if ((modifier.Initialize(&lens, LF_PF_F32, 35.0F, 2.8F, 1000.0F, 1.0F, LF_RECTILINEAR,
                             LF_MODIFY_VIGNETTING, false) &
         LF_MODIFY_VIGNETTING) == 0) {
        state.SkipWithError("lensfun did not accept the vignetting calibration");
        return;
    }
    const std::vector<float> input = Bench::testFrame(width, height);
    std::vector<float> frame(input.size());
    const int role = LF_CR_4(RED, GREEN, BLUE, UNKNOWN);
    const int rowStride = static_cast<int>(std::size_t{width} * 4 * sizeof(float));
    Bench::steadyFrames(state, [&] {
        // Lensfun corrects in place; copying the input in keeps every frame the same.
        onAllThreads(height, [&](std::uint32_t first, std::uint32_t count) {
            const std::size_t offset = std::size_t{first} * width * 4;
            std::memcpy(frame.data() + offset, input.data() + offset,
                        std::size_t{count} * width * 4 * sizeof(float));
            modifier.ApplyColorModification(frame.data() + offset, 0.0F, static_cast<float>(first),
                                            static_cast<int>(width), static_cast<int>(count), role,
                                            rowStride);
        });
        benchmark::DoNotOptimize(frame.data());
        return true;
    });
}

// Input to a staging buffer and back to the output: the copies any host round trip makes.
void memcpyFloor(benchmark::State& state) {
    const std::uint32_t width = widthOf(state);
    const std::uint32_t height = heightOf(state);
    const std::vector<float> input = Bench::testFrame(width, height);
    std::vector<float> staging(input.size());
    std::vector<float> output(input.size());
    Bench::steadyFrames(state, [&] {
        onAllThreads(height, [&](std::uint32_t first, std::uint32_t count) {
            const std::size_t offset = std::size_t{first} * width * 4;
            const std::size_t bytes = std::size_t{count} * width * 4 * sizeof(float);
            std::memcpy(staging.data() + offset, input.data() + offset, bytes);
            std::memcpy(output.data() + offset, staging.data() + offset, bytes);
        });
        benchmark::DoNotOptimize(output.data());
        return true;
    });
}

} // namespace

BENCHMARK(remapMapPerFrame)->Name("OpenCV/RemapMapPerFrame")->Apply(Bench::imageBenchmark);
BENCHMARK(remapPrecomputedMap)->Name("OpenCV/RemapPrecomputedMap")->Apply(Bench::imageBenchmark);
BENCHMARK(lensfunVignetting)->Name("Lensfun/VignettingCorrection")->Apply(Bench::imageBenchmark);
BENCHMARK(memcpyFloor)->Name("Memcpy/InputAndOutput")->Apply(Bench::imageBenchmark);
