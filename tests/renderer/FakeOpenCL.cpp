#include "FakeOpenCL.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>

// The opaque types of the OpenCL headers, as this fake defines them.
struct _cl_platform_id {
    size_t platform;
};
struct _cl_device_id {
    size_t platform;
    size_t device;
};
struct _cl_context {
    cl_device_id device;
};
struct _cl_command_queue {
    cl_context context;
};
struct _cl_program {
    cl_context context;
};
struct _cl_kernel {
    cl_program program;
    std::string name;
    std::map<cl_uint, cl_mem> buffers; // buffer arguments by index
};
// Memory of its own, or the caller's host memory (CL_MEM_USE_HOST_PTR).
struct _cl_mem {
    std::vector<unsigned char> bytes;
    unsigned char* host = nullptr;
    size_t size = 0;

    unsigned char* data() { return host != nullptr ? host : bytes.data(); }
};

namespace FakeOpenCL {

namespace {

State& mutableState() {
    static State fakeState;
    return fakeState;
}

// Handles stay valid until the next reset, however platforms are edited meanwhile.
std::deque<_cl_platform_id>& platformHandles() {
    static std::deque<_cl_platform_id> handles;
    return handles;
}

std::deque<_cl_device_id>& deviceHandles() {
    static std::deque<_cl_device_id> handles;
    return handles;
}

const Device* deviceOf(cl_device_id id) {
    if (id == nullptr || id->platform >= state().platforms.size() ||
        id->device >= state().platforms[id->platform].devices.size()) {
        return nullptr;
    }
    return &state().platforms[id->platform].devices[id->device];
}

cl_int answer(const void* data, size_t dataSize, size_t size, void* value, size_t* sizeReturned) {
    if (value != nullptr) {
        if (size < dataSize) {
            return CL_INVALID_VALUE;
        }
        std::memcpy(value, data, dataSize);
    }
    if (sizeReturned != nullptr) {
        *sizeReturned = dataSize;
    }
    return CL_SUCCESS;
}

cl_int answerText(const std::string& text, size_t size, void* value, size_t* sizeReturned) {
    return answer(text.c_str(), text.size() + 1, size, value, sizeReturned);
}

// The objects behind the handles handed out and not yet released.
template <typename Object>
std::vector<std::unique_ptr<Object>>& live() {
    static std::vector<std::unique_ptr<Object>> objects;
    return objects;
}

template <typename Object>
Object* created(Counter& counter, Object object) {
    ++counter.created;
    live<Object>().push_back(std::make_unique<Object>(std::move(object)));
    return live<Object>().back().get();
}

// False for a handle that was never handed out or was released already.
template <typename Object>
bool released(Counter& counter, Object* handle) {
    if (mainHasReturned) {
        std::fputs("An OpenCL handle was released after main returned.\n", stderr);
        std::_Exit(3);
    }
    auto& objects = live<Object>();
    const auto found = std::find_if(objects.begin(), objects.end(), [handle](const auto& object) {
        return object.get() == handle;
    });
    if (found == objects.end()) {
        ++state().invalidReleases;
        return false;
    }
    objects.erase(found);
    ++counter.released;
    return true;
}

template <typename Object>
bool isLive(const Object* handle) {
    const auto& objects = live<Object>();
    return std::any_of(objects.begin(), objects.end(),
                       [handle](const auto& object) { return object.get() == handle; });
}

// Counts the call; true when it is the one that is to fail.
bool injected(std::string call) {
    state().calls.push_back(std::move(call));
    return static_cast<int>(state().calls.size()) == state().failingCall;
}

// What the launch of a known kernel computes in place of the real one.
cl_int runStandIn(const _cl_kernel& kernel) {
    const auto buffer = [&kernel](cl_uint index) -> _cl_mem* {
        const auto found = kernel.buffers.find(index);
        return found != kernel.buffers.end() && isLive(found->second) ? found->second : nullptr;
    };
    if (kernel.name == "distortion" || kernel.name == "shading") {
        _cl_mem* input = buffer(0);
        _cl_mem* output = buffer(1);
        if (input == nullptr || output == nullptr) {
            return CL_INVALID_KERNEL_ARGS;
        }
        std::memcpy(output->data(), input->data(), std::min(input->size, output->size));
    } else if (kernel.name == "distortionMap" || kernel.name == "shadingMap") {
        _cl_mem* output = buffer(0);
        if (output == nullptr) {
            return CL_INVALID_KERNEL_ARGS;
        }
        for (size_t i = 0; i < output->size / sizeof(float); ++i) {
            const float value = mapValue(i);
            std::memcpy(output->data() + i * sizeof(float), &value, sizeof(float));
        }
    }
    return CL_SUCCESS;
}

} // namespace

bool mainHasReturned = false;

float mapValue(size_t index) {
    return static_cast<float>(index);
}

State& state() {
    return mutableState();
}

void reset() {
    mutableState() = State{};
    live<_cl_context>().clear();
    live<_cl_command_queue>().clear();
    live<_cl_program>().clear();
    live<_cl_kernel>().clear();
    live<_cl_mem>().clear();
    platformHandles().clear();
    deviceHandles().clear();
    Platform platform;
    platform.devices.push_back(Device{});
    mutableState().platforms.push_back(platform);
}

cl_platform_id platformId(size_t platform) {
    for (auto& handle : platformHandles()) {
        if (handle.platform == platform) {
            return &handle;
        }
    }
    platformHandles().push_back({platform});
    return &platformHandles().back();
}

cl_device_id deviceId(size_t platform, size_t device) {
    for (auto& handle : deviceHandles()) {
        if (handle.platform == platform && handle.device == device) {
            return &handle;
        }
    }
    deviceHandles().push_back({platform, device});
    return &deviceHandles().back();
}

} // namespace FakeOpenCL

using FakeOpenCL::state;

extern "C" {

cl_int clGetPlatformIDs(cl_uint count, cl_platform_id* platforms, cl_uint* countReturned) {
    if (FakeOpenCL::injected(platforms == nullptr ? "clGetPlatformIDs count"
                                                  : "clGetPlatformIDs")) {
        return state().injectedStatus;
    }
    if (platforms == nullptr && state().platformCountStatus != CL_SUCCESS) {
        return state().platformCountStatus;
    }
    if (platforms != nullptr && count < state().platforms.size()) {
        return CL_INVALID_VALUE;
    }
    for (size_t i = 0; platforms != nullptr && i < state().platforms.size(); ++i) {
        platforms[i] = FakeOpenCL::platformId(i);
    }
    if (countReturned != nullptr) {
        *countReturned = static_cast<cl_uint>(state().platforms.size());
    }
    return CL_SUCCESS;
}

cl_int clGetPlatformInfo(cl_platform_id platform, cl_platform_info parameter, size_t size,
                         void* value, size_t* sizeReturned) {
    if (FakeOpenCL::injected("clGetPlatformInfo")) {
        return state().injectedStatus;
    }
    if (platform == nullptr || platform->platform >= state().platforms.size()) {
        return CL_INVALID_PLATFORM;
    }
    if (value == nullptr && state().platformInfoLengthStatus != CL_SUCCESS) {
        return state().platformInfoLengthStatus;
    }
    if (value != nullptr && state().platformInfoStatus != CL_SUCCESS) {
        return state().platformInfoStatus;
    }
    if (parameter != CL_PLATFORM_NAME) {
        return CL_INVALID_VALUE;
    }
    return FakeOpenCL::answerText(state().platforms[platform->platform].name, size, value,
                                  sizeReturned);
}

cl_int clGetDeviceIDs(cl_platform_id platform, cl_device_type type, cl_uint count,
                      cl_device_id* devices, cl_uint* countReturned) {
    if (FakeOpenCL::injected("clGetDeviceIDs")) {
        return state().injectedStatus;
    }
    if (platform == nullptr || platform->platform >= state().platforms.size()) {
        return CL_INVALID_PLATFORM;
    }
    const FakeOpenCL::Platform& configured = state().platforms[platform->platform];
    if (devices == nullptr && configured.deviceCountStatus != CL_SUCCESS) {
        return configured.deviceCountStatus;
    }
    if (devices != nullptr && configured.deviceIdStatus != CL_SUCCESS) {
        return configured.deviceIdStatus;
    }
    if (type != CL_DEVICE_TYPE_ALL) {
        return CL_INVALID_DEVICE_TYPE;
    }
    if (configured.devices.empty()) {
        return CL_DEVICE_NOT_FOUND;
    }
    if (devices != nullptr && count < configured.devices.size()) {
        return CL_INVALID_VALUE;
    }
    for (size_t i = 0; devices != nullptr && i < configured.devices.size(); ++i) {
        devices[i] = FakeOpenCL::deviceId(platform->platform, i);
    }
    if (countReturned != nullptr) {
        *countReturned = static_cast<cl_uint>(configured.devices.size());
    }
    return CL_SUCCESS;
}

cl_int clGetDeviceInfo(cl_device_id id, cl_device_info parameter, size_t size, void* value,
                       size_t* sizeReturned) {
    if (FakeOpenCL::injected("clGetDeviceInfo " + std::to_string(parameter))) {
        return state().injectedStatus;
    }
    state().deviceInfoQueries.push_back(parameter);
    const FakeOpenCL::Device* device = FakeOpenCL::deviceOf(id);
    if (device == nullptr) {
        return CL_INVALID_DEVICE;
    }
    if (device->failingInfo == parameter && (value != nullptr || !device->onlyValueQueryFails)) {
        return device->failingStatus;
    }
    switch (parameter) {
    case CL_DEVICE_NAME:
        return FakeOpenCL::answerText(device->name, size, value, sizeReturned);
    case CL_DEVICE_VERSION:
        return FakeOpenCL::answerText(device->version, size, value, sizeReturned);
    case CL_DEVICE_TYPE:
        return FakeOpenCL::answer(&device->type, sizeof(device->type), size, value, sizeReturned);
    case CL_DEVICE_MAX_COMPUTE_UNITS:
        return FakeOpenCL::answer(&device->maxComputeUnits, sizeof(cl_uint), size, value,
                                  sizeReturned);
    case CL_DEVICE_MAX_CLOCK_FREQUENCY:
        return FakeOpenCL::answer(&device->maxClockFrequency, sizeof(cl_uint), size, value,
                                  sizeReturned);
    case CL_DEVICE_MAX_WORK_GROUP_SIZE:
        return FakeOpenCL::answer(&device->maxWorkGroupSize, sizeof(size_t), size, value,
                                  sizeReturned);
    case CL_DEVICE_HOST_UNIFIED_MEMORY:
        return FakeOpenCL::answer(&device->hostUnifiedMemory, sizeof(cl_bool), size, value,
                                  sizeReturned);
    case CL_DEVICE_EXTENSIONS:
        // Reported with a length of zero, as some drivers do for empty texts.
        if (sizeReturned != nullptr) {
            *sizeReturned = 0;
        }
        return CL_SUCCESS;
    default:
        return CL_INVALID_VALUE;
    }
}

cl_context clCreateContext(const cl_context_properties* /*properties*/, cl_uint count,
                           const cl_device_id* devices,
                           void(CL_CALLBACK* /*notify*/)(const char*, const void*, size_t, void*),
                           void* /*userData*/, cl_int* status) {
    if (FakeOpenCL::injected("clCreateContext")) {
        *status = state().injectedStatus;
        return nullptr;
    }
    if (count != 1 || devices == nullptr) {
        *status = CL_INVALID_VALUE;
        return nullptr;
    }
    *status = CL_SUCCESS;
    return FakeOpenCL::created(state().contexts, _cl_context{devices[0]});
}

cl_int clReleaseContext(cl_context context) {
    const bool fails = FakeOpenCL::injected("clReleaseContext");
    if (!FakeOpenCL::released(state().contexts, context)) {
        return CL_INVALID_CONTEXT;
    }
    return fails ? state().injectedStatus : CL_SUCCESS;
}

cl_command_queue clCreateCommandQueue(cl_context context, cl_device_id /*device*/,
                                      cl_command_queue_properties properties, cl_int* status) {
    if (FakeOpenCL::injected("clCreateCommandQueue")) {
        *status = state().injectedStatus;
        return nullptr;
    }
    if (properties != 0) {
        *status = CL_INVALID_VALUE;
        return nullptr;
    }
    *status = CL_SUCCESS;
    return FakeOpenCL::created(state().queues, _cl_command_queue{context});
}

cl_int clReleaseCommandQueue(cl_command_queue queue) {
    const bool fails = FakeOpenCL::injected("clReleaseCommandQueue");
    if (!FakeOpenCL::released(state().queues, queue)) {
        return CL_INVALID_COMMAND_QUEUE;
    }
    return fails ? state().injectedStatus : CL_SUCCESS;
}

cl_program clCreateProgramWithSource(cl_context context, cl_uint count, const char** strings,
                                     const size_t* /*lengths*/, cl_int* status) {
    if (FakeOpenCL::injected("clCreateProgramWithSource")) {
        *status = state().injectedStatus;
        return nullptr;
    }
    if (count != 1 || strings == nullptr) {
        *status = CL_INVALID_VALUE;
        return nullptr;
    }
    state().programSources.emplace_back(strings[0]);
    *status = CL_SUCCESS;
    return FakeOpenCL::created(state().programs, _cl_program{context});
}

cl_int clBuildProgram(cl_program /*program*/, cl_uint /*count*/, const cl_device_id* /*devices*/,
                      const char* /*options*/, void(CL_CALLBACK* /*notify*/)(cl_program, void*),
                      void* /*userData*/) {
    if (FakeOpenCL::injected("clBuildProgram")) {
        return state().injectedStatus;
    }
    return state().buildStatus;
}

cl_int clGetProgramBuildInfo(cl_program /*program*/, cl_device_id /*device*/,
                             cl_program_build_info parameter, size_t size, void* value,
                             size_t* sizeReturned) {
    if (FakeOpenCL::injected("clGetProgramBuildInfo")) {
        return state().injectedStatus;
    }
    if (parameter != CL_PROGRAM_BUILD_LOG) {
        return CL_INVALID_VALUE;
    }
    return FakeOpenCL::answerText(state().buildLog, size, value, sizeReturned);
}

cl_int clReleaseProgram(cl_program program) {
    const bool fails = FakeOpenCL::injected("clReleaseProgram");
    if (!FakeOpenCL::released(state().programs, program)) {
        return CL_INVALID_PROGRAM;
    }
    return fails ? state().injectedStatus : CL_SUCCESS;
}

cl_kernel clCreateKernel(cl_program program, const char* name, cl_int* status) {
    if (FakeOpenCL::injected("clCreateKernel")) {
        *status = state().injectedStatus;
        return nullptr;
    }
    state().kernelNames.emplace_back(name);
    *status = state().kernelStatus;
    if (state().kernelStatus != CL_SUCCESS && !state().kernelHandleDespiteFailure) {
        return nullptr;
    }
    return FakeOpenCL::created(state().kernels, _cl_kernel{program, name, {}});
}

cl_int clReleaseKernel(cl_kernel kernel) {
    const bool fails = FakeOpenCL::injected("clReleaseKernel");
    if (!FakeOpenCL::released(state().kernels, kernel)) {
        return CL_INVALID_KERNEL;
    }
    return fails ? state().injectedStatus : CL_SUCCESS;
}

cl_mem clCreateBuffer(cl_context /*context*/, cl_mem_flags flags, size_t size, void* host,
                      cl_int* status) {
    if (FakeOpenCL::injected("clCreateBuffer")) {
        if (status != nullptr) {
            *status = state().injectedStatus;
        }
        return nullptr;
    }
    state().bufferFlags.push_back(flags);
    state().bufferSizes.push_back(size);
    state().bufferHosts.push_back(host);
    // A host pointer goes with CL_MEM_USE_HOST_PTR and nothing else; the other ways of
    // handing one over are not used.
    const bool useHost = (flags & CL_MEM_USE_HOST_PTR) != 0;
    const bool valid = size != 0 && useHost == (host != nullptr) &&
                       (flags & (CL_MEM_COPY_HOST_PTR | CL_MEM_ALLOC_HOST_PTR)) == 0;
    if (status != nullptr) {
        *status = valid ? CL_SUCCESS : CL_INVALID_VALUE;
    }
    if (!valid) {
        return nullptr;
    }
    _cl_mem memory;
    memory.size = size;
    if (useHost) {
        memory.host = static_cast<unsigned char*>(host);
    } else {
        memory.bytes.resize(size);
    }
    return FakeOpenCL::created(state().buffers, std::move(memory));
}

cl_int clReleaseMemObject(cl_mem memory) {
    const bool fails = FakeOpenCL::injected("clReleaseMemObject");
    if (!FakeOpenCL::released(state().buffers, memory)) {
        return CL_INVALID_MEM_OBJECT;
    }
    return fails ? state().injectedStatus : CL_SUCCESS;
}

cl_int clEnqueueWriteBuffer(cl_command_queue /*queue*/, cl_mem buffer, cl_bool blocking,
                            size_t offset, size_t size, const void* data, cl_uint events,
                            const cl_event* /*waitList*/, cl_event* event) {
    if (FakeOpenCL::injected("clEnqueueWriteBuffer")) {
        return state().injectedStatus;
    }
    ++state().writes;
    if (!FakeOpenCL::isLive(buffer)) {
        return CL_INVALID_MEM_OBJECT;
    }
    if (blocking != CL_TRUE || offset != 0 || events != 0 || event != nullptr ||
        size > buffer->size || data == nullptr) {
        return CL_INVALID_VALUE;
    }
    std::memcpy(buffer->data(), data, size);
    return CL_SUCCESS;
}

cl_int clSetKernelArg(cl_kernel kernel, cl_uint index, size_t size, const void* value) {
    if (FakeOpenCL::injected("clSetKernelArg " + std::to_string(index))) {
        return state().injectedStatus;
    }
    if (!FakeOpenCL::isLive(kernel)) {
        return CL_INVALID_KERNEL;
    }
    if (size == sizeof(cl_mem) && value != nullptr) {
        kernel->buffers[index] = *static_cast<const cl_mem*>(value);
    }
    const auto* bytes = static_cast<const unsigned char*>(value);
    state().arguments.push_back({index, size, std::vector<unsigned char>(bytes, bytes + size)});
    return CL_SUCCESS;
}

cl_int clGetKernelWorkGroupInfo(cl_kernel /*kernel*/, cl_device_id /*device*/,
                                cl_kernel_work_group_info parameter, size_t size, void* value,
                                size_t* sizeReturned) {
    if (FakeOpenCL::injected("clGetKernelWorkGroupInfo")) {
        return state().injectedStatus;
    }
    if (parameter != CL_KERNEL_WORK_GROUP_SIZE) {
        return CL_INVALID_VALUE;
    }
    return FakeOpenCL::answer(&state().kernelWorkGroupSize, sizeof(size_t), size, value,
                              sizeReturned);
}

cl_int clEnqueueNDRangeKernel(cl_command_queue /*queue*/, cl_kernel kernel, cl_uint dimensions,
                              const size_t* offset, const size_t* global, const size_t* local,
                              cl_uint events, const cl_event* /*waitList*/, cl_event* event) {
    if (FakeOpenCL::injected("clEnqueueNDRangeKernel")) {
        return state().injectedStatus;
    }
    if (!FakeOpenCL::isLive(kernel)) {
        return CL_INVALID_KERNEL;
    }
    if (dimensions != 1 || offset != nullptr || global == nullptr || local == nullptr ||
        events != 0 || event != nullptr) {
        return CL_INVALID_VALUE;
    }
    state().globalSizes.push_back(*global);
    state().localSizes.push_back(*local);
    if (state().duringKernelRun) {
        state().duringKernelRun();
    }
    return FakeOpenCL::runStandIn(*kernel);
}

cl_int clFinish(cl_command_queue /*queue*/) {
    if (FakeOpenCL::injected("clFinish")) {
        return state().injectedStatus;
    }
    return CL_SUCCESS;
}

cl_int clEnqueueReadBuffer(cl_command_queue /*queue*/, cl_mem buffer, cl_bool blocking,
                           size_t offset, size_t size, void* data, cl_uint events,
                           const cl_event* /*waitList*/, cl_event* event) {
    if (FakeOpenCL::injected("clEnqueueReadBuffer")) {
        return state().injectedStatus;
    }
    ++state().reads;
    if (!FakeOpenCL::isLive(buffer)) {
        return CL_INVALID_MEM_OBJECT;
    }
    if (blocking != CL_TRUE || offset != 0 || events != 0 || event != nullptr ||
        size > buffer->size || data == nullptr) {
        return CL_INVALID_VALUE;
    }
    std::memcpy(data, buffer->data(), size);
    return CL_SUCCESS;
}

} // extern "C"
