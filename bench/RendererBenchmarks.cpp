// The renderers on their own: a frame through the OpenCL device and back, the output
// size, and the first frame of a process (both renderers built, one frame rendered); the
// general programs (the texts GPUs build) run the same way on the same device; and the
// floor of any frame through the device: its transfers, with no kernel between.

#include "BenchmarkLens.h"

#include "renderer/BuiltProgram.h"
#include "renderer/CLKernel.h"
#include "renderer/CLMemory.h"
#include "renderer/DistortionKernelSource.h"
#include "renderer/DistortionRenderer.h"
#include "renderer/KernelArgumentSequence.h"
#include "renderer/OpenCLKernel.h"
#include "renderer/ShadingKernelSource.h"
#include "renderer/ShadingRenderer.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

namespace {

Renderer::DistortionRenderer& distortionRenderer() {
    static const auto renderer = std::make_unique<Renderer::DistortionRenderer>();
    return *renderer;
}

Renderer::ShadingRenderer& shadingRenderer() {
    static const auto renderer = std::make_unique<Renderer::ShadingRenderer>();
    return *renderer;
}

std::uint32_t widthOf(const benchmark::State& state) {
    return static_cast<std::uint32_t>(state.range(0));
}

std::uint32_t heightOf(const benchmark::State& state) {
    return static_cast<std::uint32_t>(state.range(1));
}

// The parameters the pipeline writes for this benchmark's lens: undistortion, or removal
// of the shading.
void setUp(Renderer::DistortionRenderer& renderer, std::uint32_t width, std::uint32_t height) {
    Bench::setUpUndistortion(renderer, width, height);
}

void setUp(Renderer::ShadingRenderer& renderer, std::uint32_t width, std::uint32_t height) {
    Bench::setUpShadingRemoval(renderer, width, height);
}

template <typename SomeRenderer>
void renderFrames(benchmark::State& state, SomeRenderer& renderer) {
    const std::uint32_t width = widthOf(state);
    const std::uint32_t height = heightOf(state);
    setUp(renderer, width, height);
    const std::vector<float> input = Bench::testFrame(width, height);
    std::vector<float> output(input.size());
    Bench::steadyFrames(state, [&] {
        renderer.render(input.data(), output.data(), Bench::frameBytes(width, height));
        benchmark::DoNotOptimize(output.data());
        return true;
    });
}

template <typename SomeRenderer>
void computeFrameSizes(benchmark::State& state, SomeRenderer& renderer) {
    setUp(renderer, widthOf(state), heightOf(state));
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    for (auto _ : state) {
        renderer.frameSize(width, height);
        benchmark::DoNotOptimize(width);
        benchmark::DoNotOptimize(height);
    }
}

void distortionRender(benchmark::State& state) {
    renderFrames(state, distortionRenderer());
}

void distortionFrameSize(benchmark::State& state) {
    computeFrameSizes(state, distortionRenderer());
}

void shadingRender(benchmark::State& state) {
    renderFrames(state, shadingRenderer());
}

void shadingFrameSize(benchmark::State& state) {
    computeFrameSizes(state, shadingRenderer());
}

// What the pipeline does on its first request: both renderers are built (their programs
// come from the OpenCL implementation's cache once it is warm) and one frame is undistorted.
void firstFrame(benchmark::State& state) {
    const std::uint32_t width = widthOf(state);
    const std::uint32_t height = heightOf(state);
    const std::vector<float> input = Bench::testFrame(width, height);
    std::vector<float> output(input.size());
    for (auto _ : state) {
        const Renderer::ShadingRenderer shading;
        Renderer::DistortionRenderer distortion;
        Bench::setUpUndistortion(distortion, width, height);
        distortion.render(input.data(), output.data(), Bench::frameBytes(width, height));
        benchmark::DoNotOptimize(output.data());
    }
}

// The general program text of a renderer (what a GPU builds) with this benchmark's lens,
// run as the renderer runs its own, on the same device: the kernels that a CPU device ran
// before it got programs of its own.
template <typename SomeRenderer>
void renderWithTheGeneralProgram(benchmark::State& state, const char* source,
                                 const char* kernelName) {
    constexpr bool shading = std::is_same_v<SomeRenderer, Renderer::ShadingRenderer>;
    const std::uint32_t width = widthOf(state);
    const std::uint32_t height = heightOf(state);
    SomeRenderer& renderer = []() -> SomeRenderer& {
        if constexpr (shading) {
            return shadingRenderer();
        } else {
            return distortionRenderer();
        }
    }();
    setUp(renderer, width, height);
    Renderer::OpenCLKernel<float> kernel(source, kernelName, [&renderer](cl_kernel handle) {
        Renderer::KernelArgumentSequence arguments(handle, 2);
        arguments.add(cl_uint{renderer.currentWidth})
            .add(cl_uint{renderer.currentHeight})
            .add(cl_uint{renderer.originalWidth})
            .add(cl_uint{renderer.originalHeight})
            .add(cl_float{renderer.imageRadius});
        for (const float coefficient : renderer.coefficients) {
            arguments.add(cl_float{coefficient});
        }
        if constexpr (shading) {
            arguments.add(cl_uchar{renderer.reverse}).add(cl_float{renderer.gamma});
        }
        return arguments.status();
    });
    kernel.keepBuffersBetweenRuns(true);
    const std::vector<float> input = Bench::testFrame(width, height);
    std::vector<float> output(input.size());
    Bench::steadyFrames(state, [&] {
        kernel.execute(Bench::frameBytes(width, height), output.data(), input.data());
        benchmark::DoNotOptimize(output.data());
        return true;
    });
}

void distortionGeneralProgram(benchmark::State& state) {
    renderWithTheGeneralProgram<Renderer::DistortionRenderer>(
        state, Renderer::distortionKernelSource, "distortion");
}

void shadingGeneralProgram(benchmark::State& state) {
    renderWithTheGeneralProgram<Renderer::ShadingRenderer>(state, Renderer::shadingKernelSource,
                                                           "shading");
}

// The transfers every rendered frame makes, on the device and queue the renderers choose,
// with no kernel between: the output read back from a device buffer, blocking, and the
// input written to another one, or, on a device in host memory, a read-only buffer made on
// the caller's input and released.
void deviceTransfers(benchmark::State& state) {
    const std::uint32_t width = widthOf(state);
    const std::uint32_t height = heightOf(state);
    const size_t bytes = Bench::frameBytes(width, height);
    const Renderer::BuiltProgram program(Renderer::distortionKernelSource);
    const Renderer::CLMemory input(program.context(), CL_MEM_READ_ONLY, bytes);
    const Renderer::CLMemory output(program.context(), CL_MEM_WRITE_ONLY, bytes);
    std::vector<float> frame = Bench::testFrame(width, height);
    std::vector<float> result(frame.size());
    Bench::steadyFrames(state, [&] {
        std::optional<Renderer::CLMemory> inPlace;
        cl_int status = CL_SUCCESS;
        if (program.hostUnifiedMemory()) {
            inPlace.emplace(program.context(), CL_MEM_READ_ONLY | CL_MEM_USE_HOST_PTR, bytes,
                            frame.data());
        } else {
            status = clEnqueueWriteBuffer(program.queue(), input, CL_TRUE, 0, bytes, frame.data(),
                                          0, nullptr, nullptr);
        }
        inPlace.reset();
        if (status != CL_SUCCESS ||
            clEnqueueReadBuffer(program.queue(), output, CL_TRUE, 0, bytes, result.data(), 0,
                                nullptr, nullptr) != CL_SUCCESS) {
            state.SkipWithError("a transfer to or from the device failed");
            return false;
        }
        benchmark::DoNotOptimize(result.data());
        return true;
    });
}

// A launch of the renderers' size (sixteen work items per pixel) in which no work item
// does anything: each item leaves after a test of its own id, or the whole group leaves
// after a test of the group's id, which is the same for all its items.
const char* const idleLaunchSource = R"CLC(
__kernel void itemExit(__global float* output, const ulong items)
{
    if (get_global_id(0) >= items) {
        return;
    }
    output[0] = 0.0f;
}

__kernel void groupExit(__global float* output, const ulong items)
{
    if (get_group_id(0) * get_local_size(0) >= items) {
        return;
    }
    output[0] = 0.0f;
}
)CLC";

void idleLaunch(benchmark::State& state, const char* kernelName) {
    const size_t items = Bench::frameBytes(widthOf(state), heightOf(state));
    const Renderer::BuiltProgram program(idleLaunchSource);
    const Renderer::CLKernel kernel(program.program(), kernelName);
    const Renderer::CLMemory output(program.context(), CL_MEM_WRITE_ONLY, sizeof(float));
    const cl_mem buffer = output;
    const cl_ulong none = 0;
    size_t local = 0;
    if (clSetKernelArg(kernel, 0, sizeof(cl_mem), &buffer) != CL_SUCCESS ||
        clSetKernelArg(kernel, 1, sizeof(none), &none) != CL_SUCCESS ||
        clGetKernelWorkGroupInfo(kernel, program.device(), CL_KERNEL_WORK_GROUP_SIZE, sizeof(local),
                                 &local, nullptr) != CL_SUCCESS) {
        state.SkipWithError("the idle kernel could not be set up");
        return;
    }
    const size_t global = Renderer::OpenCLKernel<float>::globalWorkSize(items, local);
    Bench::steadyFrames(state, [&] {
        if (clEnqueueNDRangeKernel(program.queue(), kernel, 1, nullptr, &global, &local, 0, nullptr,
                                   nullptr) != CL_SUCCESS ||
            clFinish(program.queue()) != CL_SUCCESS) {
            state.SkipWithError("the idle launch failed");
            return false;
        }
        return true;
    });
}

void idleLaunchItemExit(benchmark::State& state) {
    idleLaunch(state, "itemExit");
}

void idleLaunchGroupExit(benchmark::State& state) {
    idleLaunch(state, "groupExit");
}

} // namespace

BENCHMARK(distortionRender)->Name("DistortionRenderer/Render")->Apply(Bench::imageBenchmark);
BENCHMARK(distortionFrameSize)
    ->Name("DistortionRenderer/FrameSize")
    ->Apply(Bench::imageBenchmark)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(shadingRender)->Name("ShadingRenderer/Render")->Apply(Bench::imageBenchmark);
BENCHMARK(shadingFrameSize)
    ->Name("ShadingRenderer/FrameSize")
    ->Apply(Bench::imageBenchmark)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(firstFrame)
    ->Name("Renderers/FirstFrameAfterStart")
    ->Args({4096, 2160})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(distortionGeneralProgram)
    ->Name("GeneralProgram/Distortion")
    ->Apply(Bench::imageBenchmark);
BENCHMARK(shadingGeneralProgram)->Name("GeneralProgram/Shading")->Apply(Bench::imageBenchmark);
BENCHMARK(idleLaunchItemExit)
    ->Name("OpenCL/IdleLaunch/ItemExit")
    ->Args({4096, 2160})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(idleLaunchGroupExit)
    ->Name("OpenCL/IdleLaunch/GroupExit")
    ->Args({4096, 2160})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(deviceTransfers)->Name("OpenCL/TransfersOnly")->Apply(Bench::imageBenchmark);
