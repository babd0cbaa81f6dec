#include "renderer/OpenCLKernelHelper.h"

#include "foundation/AddressSpace.h"
#include "foundation/Exception.h"

#include <CL/cl_ext.h>

#include <algorithm>

namespace Renderer {

namespace {

std::string withStatus(const std::string& message, cl_int status) {
    return message + " (" + std::to_string(status) + ")";
}

std::string deviceInfoFailure(cl_device_info parameter, cl_int status) {
    return withStatus("Failed to query device info with id " + std::to_string(parameter) + "!",
                      status);
}

template <typename Value>
Value queryDeviceValue(cl_device_id device, cl_device_info parameter) {
    Value value{};
    const cl_int status = clGetDeviceInfo(device, parameter, sizeof(value), &value, nullptr);
    if (status != CL_SUCCESS) {
        throw Exception(deviceInfoFailure(parameter, status));
    }
    return value;
}

// Size query, then a zero-filled buffer of that size, read up to the first zero.
template <typename Query>
std::string queryText(Query query, const std::string& lengthFailure, const std::string& failure) {
    size_t size = 0;
    cl_int status = query(0, nullptr, &size);
    if (status != CL_SUCCESS) {
        throw Exception(withStatus(lengthFailure, status));
    }
    if (size == 0) {
        return {};
    }
    std::vector<char> text(size + 1, '\0');
    status = query(size, text.data(), nullptr);
    if (status != CL_SUCCESS) {
        throw Exception(withStatus(failure, status));
    }
    return std::string(text.data());
}

} // namespace

std::vector<cl_platform_id> OpenCLKernelHelper::allPlatformIds() {
    cl_uint count = 0;
    cl_int status = clGetPlatformIDs(0, nullptr, &count);
    // The ICD loader reports a machine without any platform as a failure of its own.
    if (status == CL_PLATFORM_NOT_FOUND_KHR) {
        return {};
    }
    if (status != CL_SUCCESS) {
        throw Exception(withStatus("Failed to query number of all available platforms!", status));
    }
    if (count == 0) {
        return {};
    }
    std::vector<cl_platform_id> platforms(count);
    status = clGetPlatformIDs(count, platforms.data(), nullptr);
    if (status != CL_SUCCESS) {
        throw Exception(withStatus("Failed to query all available platform identifiers!", status));
    }
    return platforms;
}

std::vector<cl_device_id> OpenCLKernelHelper::allDeviceIdsForPlatform(cl_platform_id platform) {
    cl_uint count = 0;
    cl_int status = clGetDeviceIDs(platform, CL_DEVICE_TYPE_ALL, 0, nullptr, &count);
    // A platform without devices answers with this status instead of a count of 0.
    if (status == CL_DEVICE_NOT_FOUND) {
        return {};
    }
    if (status != CL_SUCCESS) {
        throw Exception(
            withStatus("Failed to query number of all available devices per platform!", status));
    }
    if (count == 0) {
        return {};
    }
    std::vector<cl_device_id> devices(count);
    status = clGetDeviceIDs(platform, CL_DEVICE_TYPE_ALL, count, devices.data(), nullptr);
    if (status != CL_SUCCESS) {
        throw Exception(
            withStatus("Failed to query all available device identifiers per platform!", status));
    }
    return devices;
}

std::string OpenCLKernelHelper::queryPlatformInfo(cl_platform_id platform,
                                                  cl_platform_info parameter) {
    const std::string id = std::to_string(parameter);
    return queryText(
        [&](size_t size, void* value, size_t* sizeReturned) {
            return clGetPlatformInfo(platform, parameter, size, value, sizeReturned);
        },
        "Failed to query length of platform info with id " + id + "!",
        "Failed to query platform info with id " + id + "!");
}

std::string OpenCLKernelHelper::queryDeviceInfo(cl_device_id device, cl_device_info parameter) {
    const std::string id = std::to_string(parameter);
    return queryText(
        [&](size_t size, void* value, size_t* sizeReturned) {
            return clGetDeviceInfo(device, parameter, size, value, sizeReturned);
        },
        "Failed to query length of device info with id " + id + "!",
        "Failed to query device info with id " + id + "!");
}

OpenCLDeviceInfo OpenCLKernelHelper::deviceInfo(cl_device_id device) {
    OpenCLDeviceInfo info;
    info.id = device;
    info.name = queryDeviceInfo(device, CL_DEVICE_NAME);
    info.type = queryDeviceValue<cl_device_type>(device, CL_DEVICE_TYPE);
    info.version = queryDeviceInfo(device, CL_DEVICE_VERSION);
    info.maxComputeUnits = queryDeviceValue<cl_uint>(device, CL_DEVICE_MAX_COMPUTE_UNITS);
    info.maxClockFrequency = queryDeviceValue<cl_uint>(device, CL_DEVICE_MAX_CLOCK_FREQUENCY);
    info.maxWorkGroupSize = queryDeviceValue<size_t>(device, CL_DEVICE_MAX_WORK_GROUP_SIZE);
    info.performanceScore =
        std::uint64_t{info.maxComputeUnits} * info.maxClockFrequency * info.maxWorkGroupSize;
    return info;
}

bool OpenCLKernelHelper::ranksBefore(const OpenCLDeviceInfo& first,
                                     const OpenCLDeviceInfo& second) {
    const bool firstIsGpu = first.type == CL_DEVICE_TYPE_GPU;
    const bool secondIsGpu = second.type == CL_DEVICE_TYPE_GPU;
    if (firstIsGpu != secondIsGpu) {
        return firstIsGpu;
    }
    return first.performanceScore > second.performanceScore;
}

cl_device_id OpenCLKernelHelper::idOfMostPowerfulDevice() {
    return mostPowerfulDevice().id;
}

OpenCLDeviceInfo OpenCLKernelHelper::mostPowerfulDevice() {
    std::vector<OpenCLDeviceInfo> candidates;
    for (const cl_platform_id platform : allPlatformIds()) {
        std::vector<cl_device_id> devices;
        try {
            devices = allDeviceIdsForPlatform(platform);
        } catch (const Exception&) {
            continue; // a broken platform must not hide the devices of the others
        }
        for (const cl_device_id device : devices) {
            try {
                candidates.push_back(deviceInfo(device));
            } catch (const Exception&) {
                // a device that cannot describe itself is not used
            }
        }
    }
    if (candidates.empty()) {
        // Under a cap on the address space, a driver may fail to start for
        // want of memory.
        throw Exception("No devices were found!", AddressSpace::limitLine());
    }
    std::sort(candidates.begin(), candidates.end(), ranksBefore);
    return candidates.front();
}

} // namespace Renderer
