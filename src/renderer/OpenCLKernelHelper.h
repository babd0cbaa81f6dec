#pragma once

#include "renderer/OpenCLDeviceInfo.h"

#include <CL/cl.h>

#include <string>
#include <vector>

namespace Renderer {

// Enumerates platforms and devices, reads their information and picks the device
// that every kernel runs on.
class OpenCLKernelHelper {
public:
    OpenCLKernelHelper() = delete;

    static std::vector<cl_platform_id> allPlatformIds();
    static std::vector<cl_device_id> allDeviceIdsForPlatform(cl_platform_id platform);

    static std::string queryPlatformInfo(cl_platform_id platform, cl_platform_info parameter);
    static std::string queryDeviceInfo(cl_device_id device, cl_device_info parameter);

    // A GPU (of type GPU alone) before anything else; within each group the larger product
    // of compute units, clock frequency and work-group size wins.
    static cl_device_id idOfMostPowerfulDevice();
    // The same choice with what selection read about the device.
    static OpenCLDeviceInfo mostPowerfulDevice();

private:
    static OpenCLDeviceInfo deviceInfo(cl_device_id device);
    static bool ranksBefore(const OpenCLDeviceInfo& first, const OpenCLDeviceInfo& second);
};

} // namespace Renderer
