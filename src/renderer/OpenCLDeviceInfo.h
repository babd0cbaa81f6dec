#pragma once

#include <CL/cl.h>

#include <cstdint>
#include <string>

namespace Renderer {

// What device selection knows about one device.
struct OpenCLDeviceInfo {
    cl_device_id id = nullptr;
    std::string name;
    std::uint64_t type = 0;
    std::string version;
    std::uint32_t maxComputeUnits = 0;
    std::uint32_t maxClockFrequency = 0;
    std::uint64_t maxWorkGroupSize = 0;
    std::uint64_t performanceScore = 0;
};

} // namespace Renderer
