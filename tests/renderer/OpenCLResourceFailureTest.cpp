#include "FakeOpenCLTest.h"

#include "renderer/CLCommandQueue.h"
#include "renderer/CLContext.h"
#include "renderer/CLKernel.h"
#include "renderer/CLMemory.h"
#include "renderer/CLProgram.h"
#include "renderer/OpenCLKernelHelper.h"

#include <CL/cl_ext.h>

#include <string>

using Renderer::CLCommandQueue;
using Renderer::CLContext;
using Renderer::CLKernel;
using Renderer::CLMemory;
using Renderer::CLProgram;
using Renderer::OpenCLKernelHelper;

namespace {

class OpenCLResources : public FakeOpenCLTest {
protected:
    cl_device_id device() const { return FakeOpenCL::deviceId(0, 0); }
};

} // namespace

TEST_F(OpenCLResources, EachResourceIsReleasedWhenItGoesOutOfScope) {
    {
        const CLContext context(device());
        const CLCommandQueue queue(device(), context);
        const CLProgram program(device(), context, "__kernel void k() {}");
        const CLKernel kernel(program, "k");
        const CLMemory memory(context, CL_MEM_READ_ONLY, 64);
        EXPECT_EQ(fake().buffers.created, 1);
        EXPECT_EQ(fake().bufferFlags.at(0), cl_mem_flags{CL_MEM_READ_ONLY});
        EXPECT_EQ(fake().kernelNames.at(0), "k");
    }
    EXPECT_EQ(fake().contexts.released, 1);
    EXPECT_EQ(fake().queues.released, 1);
    EXPECT_EQ(fake().programs.released, 1);
    EXPECT_EQ(fake().kernels.released, 1);
    EXPECT_EQ(fake().buffers.released, 1);
}

TEST_F(OpenCLResources, FailedCreationsNameTheStatus) {
    fake().contextStatus = CL_OUT_OF_HOST_MEMORY;
    EXPECT_EQ(failureOf([this] { CLContext context(device()); }), "Failed to create context! (-6)");
    fake().contextStatus = CL_SUCCESS;

    const CLContext context(device());
    fake().queueStatus = CL_INVALID_DEVICE;
    EXPECT_EQ(failureOf([&] { CLCommandQueue queue(device(), context); }),
              "Failed to create command queue! (-33)");
    fake().programStatus = CL_INVALID_CONTEXT;
    EXPECT_EQ(failureOf([&] { CLProgram program(device(), context, "x"); }),
              "Failed to create program! (-34)");

    fake().programStatus = CL_SUCCESS;
    const CLProgram program(device(), context, "x");
    fake().kernelStatus = CL_INVALID_KERNEL_NAME;
    EXPECT_EQ(failureOf([&] { CLKernel kernel(program, "missing"); }),
              "Failed to create kernel! (-46)");
    // A kernel handed out together with a failure status is released, not kept.
    fake().kernelHandleDespiteFailure = true;
    EXPECT_EQ(failureOf([&] { CLKernel kernel(program, "missing"); }),
              "Failed to create kernel! (-46)");
    EXPECT_EQ(fake().kernels.created, 1);
    EXPECT_EQ(fake().kernels.released, 1);

    fake().failingBufferCreation = 1;
    EXPECT_EQ(failureOf([&] { CLMemory memory(context, CL_MEM_WRITE_ONLY, 33177600); }),
              "Failed to allocate device memory! (33177600 bytes)");
}

TEST_F(OpenCLResources, BuildFailureCarriesTheLogAndReleasesTheProgram) {
    const CLContext context(device());
    fake().buildStatus = CL_BUILD_PROGRAM_FAILURE;
    fake().buildLog = "<source>:1:40: error: expected expression";
    EXPECT_EQ(failureOf([&] { CLProgram program(device(), context, "broken"); }),
              "Failed to build program executable! (-11) (<source>:1:40: error: expected "
              "expression)");
    EXPECT_EQ(fake().programs.created, 1);
    EXPECT_EQ(fake().programs.released, 1);

    fake().buildLog.clear();
    EXPECT_EQ(failureOf([&] { CLProgram program(device(), context, "broken"); }),
              "Failed to build program executable! (-11) ()");
}

TEST_F(OpenCLResources, LongBuildLogIsCutToTheBufferAndStaysTerminated) {
    const CLContext context(device());
    fake().buildStatus = CL_BUILD_PROGRAM_FAILURE;
    for (int line = 0; fake().buildLog.size() < 10000; ++line) {
        fake().buildLog += "warning " + std::to_string(line) + ": unused variable\n";
    }
    const std::string message = failureOf([&] { CLProgram program(device(), context, "x"); });
    const std::string prefix = "Failed to build program executable! (-11) (";
    ASSERT_EQ(message.size(), prefix.size() + CLProgram::maximumBuildLogSize - 1 + 1);
    EXPECT_EQ(message.substr(0, prefix.size()), prefix);
    EXPECT_EQ(message.substr(prefix.size(), CLProgram::maximumBuildLogSize - 1),
              fake().buildLog.substr(0, CLProgram::maximumBuildLogSize - 1));
    EXPECT_EQ(message.back(), ')');
}

TEST_F(OpenCLResources, PlatformEnumerationFailuresNameTheStatus) {
    fake().platformCountStatus = CL_OUT_OF_RESOURCES;
    EXPECT_EQ(failureOf([] { OpenCLKernelHelper::allPlatformIds(); }),
              "Failed to query number of all available platforms! (-5)");
    fake().platformCountStatus = CL_SUCCESS;
    fake().platformIdStatus = CL_OUT_OF_HOST_MEMORY;
    EXPECT_EQ(failureOf([] { OpenCLKernelHelper::allPlatformIds(); }),
              "Failed to query all available platform identifiers! (-6)");
}

TEST_F(OpenCLResources, NoPlatformYieldsAnEmptyList) {
    fake().platforms.clear();
    EXPECT_TRUE(OpenCLKernelHelper::allPlatformIds().empty());
    // The ICD loader's answer when no implementation is installed.
    fake().platformCountStatus = CL_PLATFORM_NOT_FOUND_KHR;
    EXPECT_TRUE(OpenCLKernelHelper::allPlatformIds().empty());
}

TEST_F(OpenCLResources, DeviceEnumerationFailuresNameTheStatus) {
    const cl_platform_id platform = FakeOpenCL::platformId(0);
    EXPECT_EQ(OpenCLKernelHelper::allDeviceIdsForPlatform(platform),
              std::vector<cl_device_id>{device()});
    fake().platforms[0].deviceCountStatus = CL_INVALID_PLATFORM;
    EXPECT_EQ(failureOf([&] { OpenCLKernelHelper::allDeviceIdsForPlatform(platform); }),
              "Failed to query number of all available devices per platform! (-32)");
    fake().platforms[0].deviceCountStatus = CL_SUCCESS;
    fake().platforms[0].deviceIdStatus = CL_OUT_OF_HOST_MEMORY;
    EXPECT_EQ(failureOf([&] { OpenCLKernelHelper::allDeviceIdsForPlatform(platform); }),
              "Failed to query all available device identifiers per platform! (-6)");
    fake().platforms[0].devices.clear();
    fake().platforms[0].deviceIdStatus = CL_SUCCESS;
    EXPECT_TRUE(OpenCLKernelHelper::allDeviceIdsForPlatform(platform).empty());
}

TEST_F(OpenCLResources, InformationTextsAndTheirFailures) {
    const cl_platform_id platform = FakeOpenCL::platformId(0);
    fake().platforms[0].name = "Fake Platform 3.0";
    fake().platforms[0].devices[0].name = "Fake GPU";
    EXPECT_EQ(OpenCLKernelHelper::queryPlatformInfo(platform, CL_PLATFORM_NAME),
              "Fake Platform 3.0");
    EXPECT_EQ(OpenCLKernelHelper::queryDeviceInfo(device(), CL_DEVICE_NAME), "Fake GPU");

    fake().platformInfoLengthStatus = CL_INVALID_VALUE;
    EXPECT_EQ(failureOf([&] { OpenCLKernelHelper::queryPlatformInfo(platform, CL_PLATFORM_NAME); }),
              "Failed to query length of platform info with id 2306! (-30)");
    fake().platformInfoLengthStatus = CL_SUCCESS;
    fake().platformInfoStatus = CL_OUT_OF_HOST_MEMORY;
    EXPECT_EQ(failureOf([&] { OpenCLKernelHelper::queryPlatformInfo(platform, CL_PLATFORM_NAME); }),
              "Failed to query platform info with id 2306! (-6)");

    FakeOpenCL::Device& fakeDevice = fake().platforms[0].devices[0];
    fakeDevice.failingInfo = CL_DEVICE_NAME;
    EXPECT_EQ(failureOf([&] { OpenCLKernelHelper::queryDeviceInfo(device(), CL_DEVICE_NAME); }),
              "Failed to query length of device info with id 4139! (-30)");
    fakeDevice.onlyValueQueryFails = true;
    EXPECT_EQ(failureOf([&] { OpenCLKernelHelper::queryDeviceInfo(device(), CL_DEVICE_NAME); }),
              "Failed to query device info with id 4139! (-30)");
}

TEST_F(OpenCLResources, InformationOfLengthZeroIsEmptyWithoutASecondQuery) {
    EXPECT_EQ(OpenCLKernelHelper::queryDeviceInfo(device(), CL_DEVICE_EXTENSIONS), "");
    EXPECT_EQ(fake().deviceInfoQueries.size(), 1U);
}
