#include "FakeOpenCLTest.h"

#include "renderer/OpenCLKernelHelper.h"

#include <CL/cl_ext.h>

#include <vector>

using FakeOpenCL::Device;
using FakeOpenCL::Platform;
using Renderer::OpenCLKernelHelper;

namespace {

Device device(cl_device_type type, cl_uint units, cl_uint clock, size_t workGroup) {
    Device result;
    result.type = type;
    result.maxComputeUnits = units;
    result.maxClockFrequency = clock;
    result.maxWorkGroupSize = workGroup;
    return result;
}

Platform platformWith(std::vector<Device> devices) {
    Platform platform;
    platform.devices = std::move(devices);
    return platform;
}

class DeviceSelection : public FakeOpenCLTest {
protected:
    void givenPlatforms(std::vector<Platform> platforms) {
        fake().platforms = std::move(platforms);
    }
};

} // namespace

TEST_F(DeviceSelection, GpuIsChosenOverCpuAndAcceleratorWhateverTheScore) {
    givenPlatforms({platformWith({device(CL_DEVICE_TYPE_CPU, 64, 3500, 8192),
                                  device(CL_DEVICE_TYPE_ACCELERATOR, 128, 2000, 8192)}),
                    platformWith({device(CL_DEVICE_TYPE_GPU, 1, 300, 64)})});
    EXPECT_EQ(OpenCLKernelHelper::idOfMostPowerfulDevice(), FakeOpenCL::deviceId(1, 0));
}

TEST_F(DeviceSelection, LargerScoreWinsAmongGpusAndAmongOthers) {
    givenPlatforms({platformWith(
        {device(CL_DEVICE_TYPE_GPU, 20, 1500, 1024), device(CL_DEVICE_TYPE_GPU, 40, 1000, 1024)})});
    EXPECT_EQ(OpenCLKernelHelper::idOfMostPowerfulDevice(), FakeOpenCL::deviceId(0, 1));

    givenPlatforms({platformWith(
        {device(CL_DEVICE_TYPE_CPU, 16, 3000, 4096), device(CL_DEVICE_TYPE_CPU, 8, 3000, 4096)})});
    EXPECT_EQ(OpenCLKernelHelper::idOfMostPowerfulDevice(), FakeOpenCL::deviceId(0, 0));
}

TEST_F(DeviceSelection, ScoreIsComputedWithoutThirtyTwoBitOverflow) {
    // 4096 x 1024 x 1024 is 2^32, which a 32-bit product would turn into 0.
    givenPlatforms({platformWith({device(CL_DEVICE_TYPE_GPU, 1, 1000, 1024),
                                  device(CL_DEVICE_TYPE_GPU, 4096, 1024, 1024)})});
    EXPECT_EQ(OpenCLKernelHelper::idOfMostPowerfulDevice(), FakeOpenCL::deviceId(0, 1));
}

TEST_F(DeviceSelection, GpuTogetherWithDefaultCountsAsNonGpu) {
    givenPlatforms(
        {platformWith({device(CL_DEVICE_TYPE_GPU | CL_DEVICE_TYPE_DEFAULT, 80, 2000, 1024),
                       device(CL_DEVICE_TYPE_GPU, 2, 500, 256)})});
    EXPECT_EQ(OpenCLKernelHelper::idOfMostPowerfulDevice(), FakeOpenCL::deviceId(0, 1));

    // Among non-GPUs it competes by score with the CPU.
    givenPlatforms(
        {platformWith({device(CL_DEVICE_TYPE_CPU, 8, 3000, 4096),
                       device(CL_DEVICE_TYPE_GPU | CL_DEVICE_TYPE_DEFAULT, 80, 2000, 1024)})});
    EXPECT_EQ(OpenCLKernelHelper::idOfMostPowerfulDevice(), FakeOpenCL::deviceId(0, 1));
}

TEST_F(DeviceSelection, DeviceWithAFailingQueryIsLeftOut) {
    for (const cl_device_info failing :
         {CL_DEVICE_NAME, CL_DEVICE_TYPE, CL_DEVICE_VERSION, CL_DEVICE_MAX_COMPUTE_UNITS,
          CL_DEVICE_MAX_CLOCK_FREQUENCY, CL_DEVICE_MAX_WORK_GROUP_SIZE}) {
        Device broken = device(CL_DEVICE_TYPE_GPU, 80, 2000, 1024);
        broken.failingInfo = failing;
        givenPlatforms({platformWith({broken, device(CL_DEVICE_TYPE_CPU, 4, 2000, 1024)})});
        EXPECT_EQ(OpenCLKernelHelper::idOfMostPowerfulDevice(), FakeOpenCL::deviceId(0, 1))
            << "failing information " << failing;
    }
}

TEST_F(DeviceSelection, OnlyDeviceFailingMeansNoDevice) {
    Device broken = device(CL_DEVICE_TYPE_GPU, 80, 2000, 1024);
    broken.failingInfo = CL_DEVICE_MAX_CLOCK_FREQUENCY;
    givenPlatforms({platformWith({broken})});
    EXPECT_EQ(failureOf([] { OpenCLKernelHelper::idOfMostPowerfulDevice(); }),
              "No devices were found!");
}

TEST_F(DeviceSelection, PlatformsWhoseDevicesCannotBeListedAreSkipped) {
    Platform countFails = platformWith({device(CL_DEVICE_TYPE_GPU, 80, 2000, 1024)});
    countFails.deviceCountStatus = CL_INVALID_PLATFORM;
    Platform idsFail = platformWith({device(CL_DEVICE_TYPE_GPU, 80, 2000, 1024)});
    idsFail.deviceIdStatus = CL_OUT_OF_HOST_MEMORY;
    givenPlatforms({countFails, platformWith({}), idsFail,
                    platformWith({device(CL_DEVICE_TYPE_CPU, 2, 1000, 256)})});
    EXPECT_EQ(OpenCLKernelHelper::idOfMostPowerfulDevice(), FakeOpenCL::deviceId(3, 0));
}

TEST_F(DeviceSelection, NoDeviceAtAll) {
    givenPlatforms({});
    EXPECT_EQ(failureOf([] { OpenCLKernelHelper::idOfMostPowerfulDevice(); }),
              "No devices were found!");
    fake().platformCountStatus = CL_PLATFORM_NOT_FOUND_KHR;
    EXPECT_EQ(failureOf([] { OpenCLKernelHelper::idOfMostPowerfulDevice(); }),
              "No devices were found!");
    givenPlatforms({platformWith({}), platformWith({})});
    fake().platformCountStatus = CL_SUCCESS;
    EXPECT_EQ(failureOf([] { OpenCLKernelHelper::idOfMostPowerfulDevice(); }),
              "No devices were found!");
}
