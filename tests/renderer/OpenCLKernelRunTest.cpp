#include "FakeOpenCLTest.h"

#include "renderer/OpenCLKernel.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using Renderer::OpenCLKernel;

namespace {

class OpenCLKernelRun : public FakeOpenCLTest {};

cl_mem bufferArgument(cl_uint index) {
    return FakeOpenCL::argumentValue<cl_mem>(index);
}

} // namespace

TEST_F(OpenCLKernelRun, BuildsEverythingOnTheMostPowerfulDevice) {
    fake().platforms[0].devices.push_back(fake().platforms[0].devices[0]);
    fake().platforms[0].devices[1].maxComputeUnits = 8;
    {
        const OpenCLKernel<float> kernel("source", "distortion", {});
        EXPECT_EQ(fake().contextDevices, std::vector<cl_device_id>{FakeOpenCL::deviceId(0, 1)});
        EXPECT_EQ(fake().kernelNames, std::vector<std::string>{"distortion"});
        EXPECT_EQ(fake().programs.created, 1);
    }
    EXPECT_EQ(fake().kernels.released, 1);
}

TEST_F(OpenCLKernelRun, FailedConstructionReleasesWhatWasBuilt) {
    fake().queueStatus = CL_OUT_OF_RESOURCES;
    EXPECT_EQ(failureOf([] { OpenCLKernel<float> kernel("source", "k", {}); }),
              "Failed to create command queue! (-5)");
    EXPECT_EQ(fake().contexts.created, 1);
    fake().queueStatus = CL_SUCCESS;
    fake().buildStatus = CL_BUILD_PROGRAM_FAILURE;
    EXPECT_EQ(failureOf([] { OpenCLKernel<float> kernel("source", "k", {}); }),
              "Failed to build program executable! (-11) ()");
    fake().buildStatus = CL_SUCCESS;
    fake().kernelStatus = CL_INVALID_KERNEL_NAME;
    EXPECT_EQ(failureOf([] { OpenCLKernel<float> kernel("source", "k", {}); }),
              "Failed to create kernel! (-46)");
    EXPECT_EQ(fake().programs.created, 2);
    fake().platforms.clear();
    EXPECT_EQ(failureOf([] { OpenCLKernel<float> kernel("source", "k", {}); }),
              "No devices were found!");
    // TearDown checks that every context, queue and program was released.
}

TEST_F(OpenCLKernelRun, RunWithInputPassesBothBuffersAndCopiesBothWays) {
    int setterCalls = 0;
    OpenCLKernel<float> kernel("source", "k", [&setterCalls](cl_kernel handle) {
        ++setterCalls;
        const cl_uint value = 7;
        return clSetKernelArg(handle, 2, sizeof(value), &value);
    });
    const std::vector<float> input{1.0F, 2.0F, 3.0F, 4.0F};
    std::vector<float> output(4, -1.0F);
    kernel.execute(16, output.data(), input.data());

    EXPECT_EQ(fake().bufferFlags, (std::vector<cl_mem_flags>{CL_MEM_WRITE_ONLY, CL_MEM_READ_ONLY}));
    EXPECT_EQ(fake().bufferSizes, (std::vector<size_t>{16, 16}));
    ASSERT_EQ(fake().arguments.size(), 3U);
    EXPECT_EQ(fake().arguments[0].index, 0U);
    EXPECT_EQ(fake().arguments[1].index, 1U);
    EXPECT_EQ(fake().arguments[0].size, sizeof(cl_mem));
    EXPECT_NE(bufferArgument(0), bufferArgument(1));
    EXPECT_EQ(FakeOpenCL::argumentValue<cl_uint>(2), 7U);
    EXPECT_EQ(setterCalls, 1);
    EXPECT_EQ(fake().writes, 1);
    EXPECT_EQ(fake().reads, 1);
    // The fake launch leaves the fresh output buffer zero-filled, and that is what comes back.
    EXPECT_EQ(output, std::vector<float>(4, 0.0F));
    EXPECT_EQ(fake().buffers.released, 2);
}

TEST_F(OpenCLKernelRun, RunWithoutInputUsesOnlyTheOutputBuffer) {
    // An empty setter is not called and is no failure.
    OpenCLKernel<float> kernel("source", "k", {});
    std::vector<float> output(4, -1.0F);
    kernel.execute(16, output.data(), nullptr);
    EXPECT_EQ(fake().bufferFlags, std::vector<cl_mem_flags>{CL_MEM_WRITE_ONLY});
    ASSERT_EQ(fake().arguments.size(), 1U);
    EXPECT_EQ(fake().arguments[0].index, 0U);
    EXPECT_EQ(fake().writes, 0);
    EXPECT_EQ(fake().reads, 1);
}

TEST_F(OpenCLKernelRun, GlobalSizeIsTheDataSizeRoundedUpToTheWorkGroup) {
    OpenCLKernel<float> kernel("source", "k", {});
    std::vector<float> data(256);
    for (const size_t size : {1000U, 1024U}) {
        kernel.execute(size, data.data(), data.data());
    }
    EXPECT_EQ(fake().globalSizes, (std::vector<size_t>{1024, 1024}));
    EXPECT_EQ(fake().localSizes, (std::vector<size_t>{256, 256}));

    // A device that reports no work-group size still gets a valid launch.
    fake().kernelWorkGroupSize = 0;
    kernel.execute(1000, data.data(), data.data());
    EXPECT_EQ(fake().globalSizes.back(), 1000U);
    EXPECT_EQ(fake().localSizes.back(), 1U);
}

// Single-precision arithmetic would fall below the data size for large frames.
TEST(OpenCLKernelWorkSize, CoversEveryFrameUpToSixteenKInIntegers) {
    const std::uint64_t maximumWidth = 16384;
    const std::uint64_t maximumHeight = 8640;
    std::vector<std::uint64_t> widths{1, 2, 3, 1919, 1920, 4095, 4096, 16383, maximumWidth};
    std::vector<std::uint64_t> heights{1, 2, 3, 1079, 1080, 2159, 8639, maximumHeight};
    for (std::uint64_t width = 5; width < maximumWidth; width += 211) {
        widths.push_back(width);
    }
    for (std::uint64_t height = 7; height < maximumHeight; height += 97) {
        heights.push_back(height);
    }
    for (const std::uint64_t local : {1U, 3U, 64U, 100U, 256U, 1000U, 1024U}) {
        for (const std::uint64_t width : widths) {
            for (const std::uint64_t height : heights) {
                const std::uint64_t size = width * height * 16;
                const std::uint64_t global = OpenCLKernel<float>::globalWorkSize(size, local);
                ASSERT_GE(global, size) << width << "x" << height << " local " << local;
                ASSERT_EQ(global % local, 0U) << width << "x" << height << " local " << local;
                ASSERT_LT(global - size, local) << width << "x" << height << " local " << local;
            }
        }
    }
}

namespace {

struct FailingStep {
    const char* name;
    std::function<void()> arrange;
    const char* message;
    bool withInput;
};

} // namespace

// Every step that can fail names its status, and both buffers are released each time.
TEST_F(OpenCLKernelRun, EachFailingStepIsReportedAndReleasesTheBuffers) {
    const std::vector<FailingStep> steps{
        {"output buffer", [] { fake().failingBufferCreation = 1; },
         "Failed to allocate device memory! (64 bytes)", true},
        {"input buffer", [] { fake().failingBufferCreation = 2; },
         "Failed to allocate device memory! (64 bytes)", true},
        {"write", [] { fake().writeStatus = CL_INVALID_VALUE; },
         "Failed to write to input in device memory! (-30)", true},
        // -38 | -51 == -33: both statuses are reported together.
        {"both arguments",
         [] {
             fake().argumentStatus[0] = CL_INVALID_MEM_OBJECT;
             fake().argumentStatus[1] = CL_INVALID_ARG_SIZE;
         },
         "Failed to set input and output kernel arguments! (-33)", true},
        {"output argument of two", [] { fake().argumentStatus[1] = CL_INVALID_ARG_SIZE; },
         "Failed to set input and output kernel arguments! (-51)", true},
        {"output argument alone", [] { fake().argumentStatus[0] = CL_INVALID_MEM_OBJECT; },
         "Failed to set output kernel argument! (-38)", false},
        {"specific arguments", [] { fake().argumentStatus[2] = CL_INVALID_ARG_VALUE; },
         "Failed to set kernel specific arguments! (-50)", true},
        {"work-group query", [] { fake().workGroupInfoStatus = CL_INVALID_DEVICE; },
         "Failed to retrieve kernel work group info! (-33)", true},
        {"launch", [] { fake().launchStatus = CL_OUT_OF_RESOURCES; },
         "Failed to execute kernel! (-5)", true},
        {"finish", [] { fake().finishStatus = CL_OUT_OF_RESOURCES; },
         "Failed to execute kernel! (-5)", true},
        {"read", [] { fake().readStatus = CL_OUT_OF_HOST_MEMORY; },
         "Failed to read output in device memory! (-6)", false},
    };
    for (const FailingStep& step : steps) {
        FakeOpenCL::reset();
        OpenCLKernel<float> kernel("source", "k", [](cl_kernel handle) {
            const cl_float value = 1.0F;
            return clSetKernelArg(handle, 2, sizeof(value), &value);
        });
        std::vector<float> data(16, 1.0F);
        step.arrange();
        EXPECT_EQ(failureOf([&] {
                      kernel.execute(64, data.data(), step.withInput ? data.data() : nullptr);
                  }),
                  step.message)
            << step.name;
        EXPECT_EQ(fake().buffers.created, fake().buffers.released) << step.name;

        // The same object runs the next frame once the fault is gone.
        FakeOpenCL::State& state = fake();
        state.failingBufferCreation = 0;
        state.writeStatus = state.workGroupInfoStatus = state.launchStatus = state.finishStatus =
            state.readStatus = CL_SUCCESS;
        state.argumentStatus.clear();
        EXPECT_NO_THROW(kernel.execute(64, data.data(), data.data())) << step.name;
    }
}
