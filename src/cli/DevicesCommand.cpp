#include "cli/DevicesCommand.h"

#include "renderer/OpenCLKernelHelper.h"

#include <CL/cl.h>

namespace {

const char* typeName(cl_device_id device) {
    cl_device_type type = 0;
    if (clGetDeviceInfo(device, CL_DEVICE_TYPE, sizeof type, &type, nullptr) != CL_SUCCESS) {
        return "unknown";
    }
    if ((type & CL_DEVICE_TYPE_GPU) != 0) {
        return "GPU";
    }
    if ((type & CL_DEVICE_TYPE_CPU) != 0) {
        return "CPU";
    }
    if ((type & CL_DEVICE_TYPE_ACCELERATOR) != 0) {
        return "accelerator";
    }
    return "other";
}

} // namespace

void DevicesCommand::run(std::ostream& out) {
    using Renderer::OpenCLKernelHelper;
    const cl_device_id chosen = OpenCLKernelHelper::idOfMostPowerfulDevice();
    for (const cl_platform_id platform : OpenCLKernelHelper::allPlatformIds()) {
        out << "Platform: " << OpenCLKernelHelper::queryPlatformInfo(platform, CL_PLATFORM_NAME)
            << " (" << OpenCLKernelHelper::queryPlatformInfo(platform, CL_PLATFORM_VERSION)
            << ")\n";
        for (const cl_device_id device : OpenCLKernelHelper::allDeviceIdsForPlatform(platform)) {
            out << (device == chosen ? "  * " : "    ")
                << OpenCLKernelHelper::queryDeviceInfo(device, CL_DEVICE_NAME) << " ["
                << typeName(device) << ", "
                << OpenCLKernelHelper::queryDeviceInfo(device, CL_DEVICE_VERSION) << "]\n";
        }
    }
    out << "* marks the device the renderers use: a GPU before anything else, then the one "
           "with the most compute power.\n";
}
