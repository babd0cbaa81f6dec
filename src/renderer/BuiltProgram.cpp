#include "renderer/BuiltProgram.h"

#include "foundation/Exception.h"
#include "renderer/OpenCLKernelHelper.h"

#include <cstdint>
#include <string>

namespace Renderer {

namespace {

// A device of type CPU and not GPU.
const std::string& sourceFor(std::uint64_t type, const std::string& source,
                             const std::string& cpuSource) {
    const bool cpu = (type & CL_DEVICE_TYPE_CPU) != 0 && (type & CL_DEVICE_TYPE_GPU) == 0;
    return cpu ? cpuSource : source;
}

bool hasHostUnifiedMemory(cl_device_id device) {
    cl_bool unified = CL_FALSE;
    const cl_int status =
        clGetDeviceInfo(device, CL_DEVICE_HOST_UNIFIED_MEMORY, sizeof(unified), &unified, nullptr);
    if (status != CL_SUCCESS) {
        throw Exception("Failed to query device info with id " +
                        std::to_string(CL_DEVICE_HOST_UNIFIED_MEMORY) + "! (" +
                        std::to_string(status) + ")");
    }
    return unified == CL_TRUE;
}

} // namespace

BuiltProgram::BuiltProgram(const std::string& source) : BuiltProgram(source, source) {}

BuiltProgram::BuiltProgram(const std::string& source, const std::string& cpuSource)
    : BuiltProgram(OpenCLKernelHelper::mostPowerfulDevice(), source, cpuSource) {}

BuiltProgram::BuiltProgram(const OpenCLDeviceInfo& device, const std::string& source,
                           const std::string& cpuSource)
    : source_(sourceFor(device.type, source, cpuSource)), device_(device.id),
      hostUnifiedMemory_(hasHostUnifiedMemory(device_)), context_(device_),
      queue_(device_, context_), program_(device_, context_, source_) {}

} // namespace Renderer
