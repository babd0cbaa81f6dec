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

// A kernel handed out together with a failure status is released, not kept.
TEST_F(OpenCLResources, KernelHandedOutWithAFailureIsReleased) {
    const CLContext context(device());
    const CLProgram program(device(), context, "x");
    fake().kernelStatus = CL_INVALID_KERNEL_NAME;
    fake().kernelHandleDespiteFailure = true;
    EXPECT_EQ(failureOf([&] { CLKernel kernel(program, "missing"); }),
              "Failed to create kernel! (-46)");
    EXPECT_EQ(fake().kernels.created, 1);
    EXPECT_EQ(fake().kernels.released, 1);
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

TEST_F(OpenCLResources, NoPlatformYieldsAnEmptyList) {
    fake().platforms.clear();
    EXPECT_TRUE(OpenCLKernelHelper::allPlatformIds().empty());
    // The ICD loader's answer when no implementation is installed.
    fake().platformCountStatus = CL_PLATFORM_NOT_FOUND_KHR;
    EXPECT_TRUE(OpenCLKernelHelper::allPlatformIds().empty());
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
