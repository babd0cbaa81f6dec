#include "FakeOpenCL.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
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
};
struct _cl_mem {
    std::vector<unsigned char> bytes;
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

} // namespace

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
    if (platforms == nullptr && state().platformCountStatus != CL_SUCCESS) {
        return state().platformCountStatus;
    }
    if (platforms != nullptr && state().platformIdStatus != CL_SUCCESS) {
        return state().platformIdStatus;
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
    if (state().contextStatus != CL_SUCCESS || count != 1 || devices == nullptr) {
        *status = state().contextStatus != CL_SUCCESS ? state().contextStatus : CL_INVALID_VALUE;
        return nullptr;
    }
    *status = CL_SUCCESS;
    state().contextDevices.push_back(devices[0]);
    return FakeOpenCL::created(state().contexts, _cl_context{devices[0]});
}

cl_int clReleaseContext(cl_context context) {
    return FakeOpenCL::released(state().contexts, context) ? CL_SUCCESS : CL_INVALID_CONTEXT;
}

cl_command_queue clCreateCommandQueue(cl_context context, cl_device_id /*device*/,
                                      cl_command_queue_properties properties, cl_int* status) {
    if (state().queueStatus != CL_SUCCESS || properties != 0) {
        *status = state().queueStatus != CL_SUCCESS ? state().queueStatus : CL_INVALID_VALUE;
        return nullptr;
    }
    *status = CL_SUCCESS;
    return FakeOpenCL::created(state().queues, _cl_command_queue{context});
}

cl_int clReleaseCommandQueue(cl_command_queue queue) {
    return FakeOpenCL::released(state().queues, queue) ? CL_SUCCESS : CL_INVALID_COMMAND_QUEUE;
}

cl_program clCreateProgramWithSource(cl_context context, cl_uint count, const char** strings,
                                     const size_t* /*lengths*/, cl_int* status) {
    if (state().programStatus != CL_SUCCESS || count != 1 || strings == nullptr) {
        *status = state().programStatus != CL_SUCCESS ? state().programStatus : CL_INVALID_VALUE;
        return nullptr;
    }
    *status = CL_SUCCESS;
    return FakeOpenCL::created(state().programs, _cl_program{context});
}

cl_int clBuildProgram(cl_program /*program*/, cl_uint /*count*/, const cl_device_id* /*devices*/,
                      const char* /*options*/, void(CL_CALLBACK* /*notify*/)(cl_program, void*),
                      void* /*userData*/) {
    return state().buildStatus;
}

cl_int clGetProgramBuildInfo(cl_program /*program*/, cl_device_id /*device*/,
                             cl_program_build_info parameter, size_t size, void* value,
                             size_t* sizeReturned) {
    if (parameter != CL_PROGRAM_BUILD_LOG) {
        return CL_INVALID_VALUE;
    }
    return FakeOpenCL::answerText(state().buildLog, size, value, sizeReturned);
}

cl_int clReleaseProgram(cl_program program) {
    return FakeOpenCL::released(state().programs, program) ? CL_SUCCESS : CL_INVALID_PROGRAM;
}

cl_kernel clCreateKernel(cl_program program, const char* name, cl_int* status) {
    state().kernelNames.emplace_back(name);
    *status = state().kernelStatus;
    if (state().kernelStatus != CL_SUCCESS && !state().kernelHandleDespiteFailure) {
        return nullptr;
    }
    return FakeOpenCL::created(state().kernels, _cl_kernel{program});
}

cl_int clReleaseKernel(cl_kernel kernel) {
    return FakeOpenCL::released(state().kernels, kernel) ? CL_SUCCESS : CL_INVALID_KERNEL;
}

cl_mem clCreateBuffer(cl_context /*context*/, cl_mem_flags flags, size_t size, void* host,
                      cl_int* status) {
    state().bufferFlags.push_back(flags);
    state().bufferSizes.push_back(size);
    const bool fails =
        static_cast<int>(state().bufferFlags.size()) == state().failingBufferCreation;
    if (status != nullptr) {
        *status = fails ? CL_MEM_OBJECT_ALLOCATION_FAILURE : CL_SUCCESS;
    }
    if (fails || host != nullptr || size == 0) {
        return nullptr;
    }
    return FakeOpenCL::created(state().buffers, _cl_mem{std::vector<unsigned char>(size)});
}

cl_int clReleaseMemObject(cl_mem memory) {
    return FakeOpenCL::released(state().buffers, memory) ? CL_SUCCESS : CL_INVALID_MEM_OBJECT;
}

cl_int clEnqueueWriteBuffer(cl_command_queue /*queue*/, cl_mem buffer, cl_bool blocking,
                            size_t offset, size_t size, const void* data, cl_uint events,
                            const cl_event* /*waitList*/, cl_event* event) {
    ++state().writes;
    if (state().writeStatus != CL_SUCCESS) {
        return state().writeStatus;
    }
    if (blocking != CL_TRUE || offset != 0 || events != 0 || event != nullptr ||
        size > buffer->bytes.size() || data == nullptr) {
        return CL_INVALID_VALUE;
    }
    std::memcpy(buffer->bytes.data(), data, size);
    return CL_SUCCESS;
}

cl_int clSetKernelArg(cl_kernel /*kernel*/, cl_uint index, size_t size, const void* value) {
    const auto failure = state().argumentStatus.find(index);
    if (failure != state().argumentStatus.end()) {
        return failure->second;
    }
    const auto* bytes = static_cast<const unsigned char*>(value);
    state().arguments.push_back({index, size, std::vector<unsigned char>(bytes, bytes + size)});
    return CL_SUCCESS;
}

cl_int clGetKernelWorkGroupInfo(cl_kernel /*kernel*/, cl_device_id /*device*/,
                                cl_kernel_work_group_info parameter, size_t size, void* value,
                                size_t* sizeReturned) {
    if (state().workGroupInfoStatus != CL_SUCCESS) {
        return state().workGroupInfoStatus;
    }
    if (parameter != CL_KERNEL_WORK_GROUP_SIZE) {
        return CL_INVALID_VALUE;
    }
    return FakeOpenCL::answer(&state().kernelWorkGroupSize, sizeof(size_t), size, value,
                              sizeReturned);
}

cl_int clEnqueueNDRangeKernel(cl_command_queue /*queue*/, cl_kernel /*kernel*/, cl_uint dimensions,
                              const size_t* offset, const size_t* global, const size_t* local,
                              cl_uint events, const cl_event* /*waitList*/, cl_event* event) {
    if (state().launchStatus != CL_SUCCESS) {
        return state().launchStatus;
    }
    if (dimensions != 1 || offset != nullptr || global == nullptr || local == nullptr ||
        events != 0 || event != nullptr) {
        return CL_INVALID_VALUE;
    }
    state().globalSizes.push_back(*global);
    state().localSizes.push_back(*local);
    return CL_SUCCESS;
}

cl_int clFinish(cl_command_queue /*queue*/) {
    return state().finishStatus;
}

cl_int clEnqueueReadBuffer(cl_command_queue /*queue*/, cl_mem buffer, cl_bool blocking,
                           size_t offset, size_t size, void* data, cl_uint events,
                           const cl_event* /*waitList*/, cl_event* event) {
    ++state().reads;
    if (state().readStatus != CL_SUCCESS) {
        return state().readStatus;
    }
    if (blocking != CL_TRUE || offset != 0 || events != 0 || event != nullptr ||
        size > buffer->bytes.size() || data == nullptr) {
        return CL_INVALID_VALUE;
    }
    std::memcpy(data, buffer->bytes.data(), size);
    return CL_SUCCESS;
}

} // extern "C"
