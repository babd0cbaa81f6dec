#include "foundation/Exception.h"
#include "renderer/OpenCLKernel.h"
#include "renderer/OpenCLKernelHelper.h"

#include <gtest/gtest.h>

#include <CL/cl.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

using Renderer::OpenCLKernel;
using Renderer::OpenCLKernelHelper;

namespace {

// Fails the test with the message of the exception that the action throws.
template <typename Action>
std::string failureOf(Action action) {
    try {
        action();
    } catch (const Exception& error) {
        return error.what();
    }
    ADD_FAILURE() << "no Exception was thrown";
    return {};
}

const char* const scaleSource = R"(
__kernel void scale(__global const float* input, __global float* output, const uint count,
                    const float factor)
{
    const size_t id = get_global_id(0);
    if (id < count) {
        output[id] = input[id] * factor;
    }
}
)";

} // namespace

// CI installs a CPU OpenCL implementation, so a missing device is a failure, not a skip.
TEST(OpenCLDevice, MostPowerfulDeviceIsOneOfTheEnumeratedDevices) {
    const cl_device_id chosen = OpenCLKernelHelper::idOfMostPowerfulDevice();
    bool enumerated = false;
    for (const cl_platform_id platform : OpenCLKernelHelper::allPlatformIds()) {
        EXPECT_FALSE(OpenCLKernelHelper::queryPlatformInfo(platform, CL_PLATFORM_NAME).empty());
        const std::vector<cl_device_id> devices =
            OpenCLKernelHelper::allDeviceIdsForPlatform(platform);
        enumerated =
            enumerated || std::find(devices.begin(), devices.end(), chosen) != devices.end();
    }
    EXPECT_TRUE(enumerated);
    const std::string name = OpenCLKernelHelper::queryDeviceInfo(chosen, CL_DEVICE_NAME);
    EXPECT_FALSE(name.empty());
    std::cout << "OpenCL device: " << name << " ("
              << OpenCLKernelHelper::queryDeviceInfo(chosen, CL_DEVICE_VERSION) << ")\n";
}

TEST(OpenCLDevice, BuildFailureCarriesTheCompilerLog) {
    const std::string message = failureOf([] {
        OpenCLKernel<float> kernel("__kernel void broken(__global float* output) { output[0] = }",
                                   "broken", {});
    });
    const std::string start = "Failed to build program executable! (-11) (";
    ASSERT_EQ(message.compare(0, start.size(), start), 0) << message;
    EXPECT_GT(message.size(), start.size() + 1) << "the log is empty";
    EXPECT_EQ(message.back(), ')');
}

TEST(OpenCLDevice, MissingArgumentsFailTheLaunch) {
    // The setter is empty, so arguments 2 and 3 of "scale" stay unset.
    OpenCLKernel<float> kernel(scaleSource, "scale", {});
    std::vector<float> data(16, 1.0F);
    EXPECT_EQ(
        failureOf([&] { kernel.execute(data.size() * sizeof(float), data.data(), data.data()); }),
        "Failed to execute kernel! (-52)");
}
