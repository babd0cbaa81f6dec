#include "FakeOpenCLTest.h"

#include "PixelFrames.h"
#include "renderer/DistortionRenderer.h"
#include "renderer/NotRenderedException.h"
#include "renderer/ShadingRenderer.h"

#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

using PixelFrames::Frame;

namespace {

// A renderer's life: built, frames of one size, a map, a frame of another size, gone.
// Each step either succeeds with the exact result of the fake's stand-in kernels, or
// throws an Exception with a text; nothing in between.
template <typename SomeRenderer>
class RendererLife {
public:
    struct Step {
        const char* name;
        std::function<void(RendererLife&)> action;
        bool map;
        size_t bytes; // of the frame rendered; 0 when none is
    };

    static std::vector<Step> steps() {
        return {
            {"build", [](RendererLife& life) { life.renderer_.emplace(); }, false, 0},
            {"first frame", [](RendererLife& life) { life.renderImage(8, 4, 1); }, false, 512},
            {"second frame", [](RendererLife& life) { life.renderImage(8, 4, 2); }, false, 512},
            {"map", [](RendererLife& life) { life.renderMap(8, 4); }, true, 512},
            {"frame of another size", [](RendererLife& life) { life.renderImage(6, 5, 3); }, false,
             480},
            {"frame of the first size", [](RendererLife& life) { life.renderImage(8, 4, 4); },
             false, 512},
            {"frame in place", [](RendererLife& life) { life.renderInPlace(8, 4, 5); }, false, 512},
            {"release", [](RendererLife& life) { life.renderer_.reset(); }, false, 0},
        };
    }

private:
    SomeRenderer& prepared(std::uint32_t width, std::uint32_t height, bool map) {
        if (!renderer_) {
            throw std::logic_error("step run without a renderer");
        }
        SomeRenderer& renderer = *renderer_;
        renderer.currentWidth = width;
        renderer.currentHeight = height;
        renderer.originalWidth = 4096;
        renderer.originalHeight = 2160;
        renderer.imageRadius = 12.0F;
        renderer.coefficients = {0.0F, 1.0F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F};
        renderer.outputMap = map;
        if constexpr (std::is_same_v<SomeRenderer, Renderer::DistortionRenderer>) {
            renderer.frameSizeImageRadius = 12.0F;
        }
        return renderer;
    }

    // A run that fails leaves the caller's output as it was.
    static void renderOrKeep(SomeRenderer& renderer, const float* input, Frame& output) {
        const std::vector<float> before = output.values;
        try {
            renderer.render(input, output.values.data(), output.bytes());
        } catch (const Exception&) {
            if (output.values != before) {
                throw std::logic_error("a failed run changed the output");
            }
            throw;
        }
    }

    void renderImage(std::uint32_t width, std::uint32_t height, std::uint32_t seed) {
        SomeRenderer& renderer = prepared(width, height, false);
        const Frame input = PixelFrames::noiseFrame(width, height, seed);
        Frame output(width, height);
        renderOrKeep(renderer, input.values.data(), output);
        // The stand-in image kernel copies its input: anything else is a stale or lost frame.
        if (output.values != input.values) {
            throw std::logic_error("a frame reported as rendered is not the frame's result");
        }
    }

    void renderInPlace(std::uint32_t width, std::uint32_t height, std::uint32_t seed) {
        SomeRenderer& renderer = prepared(width, height, false);
        const Frame input = PixelFrames::noiseFrame(width, height, seed);
        Frame frame = input;
        renderOrKeep(renderer, frame.values.data(), frame);
        if (frame.values != input.values) {
            throw std::logic_error("a frame rendered in place is not the frame's result");
        }
    }

    void renderMap(std::uint32_t width, std::uint32_t height) {
        SomeRenderer& renderer = prepared(width, height, true);
        Frame output(width, height);
        renderOrKeep(renderer, nullptr, output);
        for (size_t i = 0; i < output.values.size(); ++i) {
            if (output.values[i] != FakeOpenCL::mapValue(i)) {
                throw std::logic_error("a map reported as rendered is not the map's result");
            }
        }
    }

    std::optional<SomeRenderer> renderer_;
};

// The reason a renderer gives when this call fails with CL_OUT_OF_RESOURCES.
std::string expectedReason(const std::string& call, bool map, size_t bytes) {
    const std::string status = " (-5)";
    if (call.rfind("clSetKernelArg ", 0) == 0) {
        const unsigned long index = std::stoul(call.substr(15));
        const unsigned long buffers = map ? 1 : 2;
        if (index >= buffers) {
            return "Failed to set kernel specific arguments!" + status;
        }
        return (map ? "Failed to set output kernel argument!"
                    : "Failed to set input and output kernel arguments!") +
               status;
    }
    if (call == "clCreateBuffer") {
        return "Failed to allocate device memory! (" + std::to_string(bytes) + " bytes)";
    }
    // Whether the chosen device works in host memory is asked after selection.
    if (call == "clGetDeviceInfo " + std::to_string(CL_DEVICE_HOST_UNIFIED_MEMORY)) {
        return "Failed to query device info with id 4149!" + status;
    }
    // A device or platform that cannot be listed or described is passed over.
    if (call == "clGetDeviceIDs" || call.rfind("clGetDeviceInfo ", 0) == 0) {
        return "No devices were found!";
    }
    static const std::map<std::string, std::string> reasons{
        {"clGetPlatformIDs count", "Failed to query number of all available platforms!"},
        {"clGetPlatformIDs", "Failed to query all available platform identifiers!"},
        {"clCreateContext", "Failed to create context!"},
        {"clCreateCommandQueue", "Failed to create command queue!"},
        {"clCreateProgramWithSource", "Failed to create program!"},
        {"clBuildProgram", "Failed to build program executable! (-5) ()"},
        {"clCreateKernel", "Failed to create kernel!"},
        {"clEnqueueWriteBuffer", "Failed to write to input in device memory!"},
        {"clGetKernelWorkGroupInfo", "Failed to retrieve kernel work group info!"},
        {"clEnqueueNDRangeKernel", "Failed to execute kernel!"},
        {"clFinish", "Failed to execute kernel!"},
        {"clEnqueueReadBuffer", "Failed to read output in device memory!"},
    };
    const auto reason = reasons.find(call);
    if (reason == reasons.end()) {
        return "(no reason known for " + call + ")";
    }
    return call == "clBuildProgram" ? reason->second : reason->second + status;
}

class FaultInjection : public FakeOpenCLTest {
protected:
    static bool isRelease(const std::string& call) { return call.rfind("clRelease", 0) == 0; }

    // A CPU device in host memory: the CPU programs, and the input read in place.
    static void makeTheDeviceAHostCpu() {
        FakeOpenCL::Device& device = fake().platforms[0].devices[0];
        device.type = CL_DEVICE_TYPE_CPU;
        device.hostUnifiedMemory = CL_TRUE;
    }

    // For every call of a renderer's life: that call fails once. The step it falls in must
    // report it with its reason (a failing release is the only failure nobody can act on);
    // the same step run again must succeed, as must every later one; and no handle may be
    // left over.
    template <typename SomeRenderer>
    static void injectIntoEveryCall(const std::string& brief, bool hostCpu) {
        using Life = RendererLife<SomeRenderer>;
        const auto steps = Life::steps();
        int totalCalls = 0;
        {
            Life life;
            FakeOpenCL::reset();
            if (hostCpu) {
                makeTheDeviceAHostCpu();
            }
            for (const auto& step : steps) {
                ASSERT_NO_THROW(step.action(life)) << "undisturbed " << step.name;
            }
            totalCalls = static_cast<int>(fake().calls.size());
        }
        ASSERT_GT(totalCalls, 20);
        std::cout << "failing each of " << totalCalls << " calls once\n";

        for (int failing = 1; failing <= totalCalls; ++failing) {
            FakeOpenCL::reset();
            if (hostCpu) {
                makeTheDeviceAHostCpu();
            }
            fake().failingCall = failing;
            Life life;
            bool reported = false;
            std::string failingCall;
            for (const auto& step : steps) {
                const size_t before = fake().calls.size();
                std::string failure;
                try {
                    step.action(life);
                } catch (const Exception& error) {
                    failure = step.bytes == 0 ? error.what() : error.detailedDescription();
                } catch (const std::exception& error) {
                    ADD_FAILURE() << "call " << failing << " in step " << step.name << ": "
                                  << error.what();
                }
                const bool failedHere = before < static_cast<size_t>(failing) &&
                                        static_cast<size_t>(failing) <= fake().calls.size();
                if (failedHere) {
                    failingCall = fake().calls[failing - 1];
                }
                std::string expected;
                if (failedHere && !isRelease(failingCall)) {
                    const std::string reason = expectedReason(failingCall, step.map, step.bytes);
                    expected = step.bytes == 0
                                   ? reason
                                   : brief + "\nReason: " + reason +
                                         "\nData Size: " + std::to_string(step.bytes) + " bytes\n";
                }
                EXPECT_EQ(failure, expected)
                    << "call " << failing << " (" << (failedHere ? failingCall : "elsewhere")
                    << ") in step " << step.name;
                if (!failure.empty()) {
                    reported = true;
                    // The fault is gone: the same step recovers at once.
                    EXPECT_NO_THROW(step.action(life))
                        << "step " << step.name << " after call " << failing << " failed";
                }
            }
            EXPECT_EQ(reported, !isRelease(failingCall)) << "call " << failing;
            const FakeOpenCL::State& state = fake();
            EXPECT_EQ(state.contexts.created, state.contexts.released) << "call " << failing;
            EXPECT_EQ(state.queues.created, state.queues.released) << "call " << failing;
            EXPECT_EQ(state.programs.created, state.programs.released) << "call " << failing;
            EXPECT_EQ(state.kernels.created, state.kernels.released) << "call " << failing;
            EXPECT_EQ(state.buffers.created, state.buffers.released) << "call " << failing;
            EXPECT_EQ(state.invalidReleases, 0) << "call " << failing;
        }
    }
};

} // namespace

TEST_F(FaultInjection, DistortionRendererReportsEveryFailedCallAndRecovers) {
    for (const bool hostCpu : {false, true}) {
        SCOPED_TRACE(hostCpu ? "CPU in host memory" : "GPU");
        injectIntoEveryCall<Renderer::DistortionRenderer>(
            "An issue did occur during execution of the distortion correction renderer.", hostCpu);
    }
}

TEST_F(FaultInjection, ShadingRendererReportsEveryFailedCallAndRecovers) {
    for (const bool hostCpu : {false, true}) {
        SCOPED_TRACE(hostCpu ? "CPU in host memory" : "GPU");
        injectIntoEveryCall<Renderer::ShadingRenderer>(
            "An issue did occur during execution of the shading correction renderer.", hostCpu);
    }
}

// The stand-in kernels themselves: a renderer whose fake computes nothing would make the
// checks above pass vacuously.
TEST_F(FaultInjection, StandInKernelsProduceTheirResults) {
    Renderer::ShadingRenderer renderer;
    renderer.currentWidth = 3;
    renderer.currentHeight = 2;
    renderer.originalWidth = 3;
    renderer.originalHeight = 2;
    renderer.imageRadius = 1.0F;
    renderer.coefficients = {100.0F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F};
    const Frame input = PixelFrames::noiseFrame(3, 2, 5);
    Frame output(3, 2);
    renderer.render(input.values.data(), output.values.data(), output.bytes());
    EXPECT_EQ(output.values, input.values);
    renderer.outputMap = true;
    renderer.render(nullptr, output.values.data(), output.bytes());
    EXPECT_EQ(output.values[5], 5.0F);
    EXPECT_EQ(output.values[23], 23.0F);
}
