#pragma once

// A stand-in for the OpenCL library, linked instead of the ICD loader into the tests that
// need failures a real device cannot be made to produce. Every entry point the renderer
// uses is implemented; each can be told to fail, and handles are counted as they are
// created and released.

#include <CL/cl.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace FakeOpenCL {

struct Device {
    std::string name = "Fake Device";
    cl_device_type type = CL_DEVICE_TYPE_GPU;
    std::string version = "OpenCL 1.2 Fake";
    cl_uint maxComputeUnits = 1;
    cl_uint maxClockFrequency = 1;
    size_t maxWorkGroupSize = 1;
    cl_bool hostUnifiedMemory = CL_FALSE;
    // A query of this information fails with `failingStatus` (0: none fails).
    cl_device_info failingInfo = 0;
    cl_int failingStatus = CL_INVALID_VALUE;
    // Only the second query of a text fails, not the one for its length.
    bool onlyValueQueryFails = false;
};

struct Platform {
    std::string name = "Fake Platform";
    std::vector<Device> devices;
    cl_int deviceCountStatus = CL_SUCCESS;
    cl_int deviceIdStatus = CL_SUCCESS;
};

struct KernelArgument {
    cl_uint index = 0;
    size_t size = 0;
    std::vector<unsigned char> bytes;
};

struct Counter {
    int created = 0;
    int released = 0;
};

struct State {
    std::vector<Platform> platforms;
    cl_int platformCountStatus = CL_SUCCESS;
    cl_int platformInfoLengthStatus = CL_SUCCESS;
    cl_int platformInfoStatus = CL_SUCCESS;
    cl_int buildStatus = CL_SUCCESS;
    std::string buildLog;
    cl_int kernelStatus = CL_SUCCESS;
    // clCreateKernel hands out a kernel although it reports `kernelStatus`.
    bool kernelHandleDespiteFailure = false;
    size_t kernelWorkGroupSize = 256;

    Counter contexts;
    Counter queues;
    Counter programs;
    Counter kernels;
    Counter buffers;

    std::vector<std::string> kernelNames;
    std::vector<cl_mem_flags> bufferFlags;
    std::vector<size_t> bufferSizes;
    std::vector<void*> bufferHosts;
    std::vector<std::string> programSources;
    std::vector<KernelArgument> arguments;
    std::vector<size_t> globalSizes;
    std::vector<size_t> localSizes;
    std::vector<cl_device_info> deviceInfoQueries;
    int invalidReleases = 0; // handles released twice or never created
    int writes = 0;
    int reads = 0;

    // Fault injection: every call into the library is counted and named (a count query of
    // the platforms as "clGetPlatformIDs count", an argument or a device information with
    // its index or code, as in "clSetKernelArg 2" or "clGetDeviceInfo 4098"); the one with number
    // `failingCall` (from 1; 0: none) fails with `injectedStatus`. A release that fails still
    // releases its handle, as a driver would after reporting an error.
    int failingCall = 0;
    cl_int injectedStatus = CL_OUT_OF_RESOURCES;
    std::vector<std::string> calls;

    // Called by every kernel launch before it runs, on the launching thread.
    std::function<void()> duringKernelRun;
};

// Set by a program once its main function has returned: any release of a handle after that
// (from a static destructor) ends the program with status 3.
extern bool mainHasReturned;

// A launch of a kernel named "distortion" or "shading" copies its input buffer (argument
// 0) to its output buffer (argument 1); one named "distortionMap" or "shadingMap" fills its
// output buffer (argument 0) with the floats 0, 1, 2, ... Other kernels write nothing.
float mapValue(size_t index);

// Back to one platform with one GPU device, where every call succeeds; forgets all records.
void reset();
State& state();

// Handles of the platforms and devices currently configured in state().platforms.
cl_platform_id platformId(size_t platform);
cl_device_id deviceId(size_t platform, size_t device);

// The value of an argument set last at this index, read as the given type.
template <typename Value>
Value argumentValue(cl_uint index) {
    for (auto argument = state().arguments.rbegin(); argument != state().arguments.rend();
         ++argument) {
        if (argument->index == index && argument->size == sizeof(Value)) {
            Value value{};
            std::copy(argument->bytes.begin(), argument->bytes.end(),
                      reinterpret_cast<unsigned char*>(&value));
            return value;
        }
    }
    return Value{};
}

} // namespace FakeOpenCL
