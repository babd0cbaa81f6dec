#pragma once

#include "renderer/CLMemory.h"

#include <CL/cl.h>

#include <cstddef>
#include <optional>

namespace Renderer {

// The output and input buffers of a kernel's runs. They stay for the next run of the same
// size and are made anew when the size changes.
class DeviceFrameBuffers {
public:
    explicit DeviceFrameBuffers(cl_context context) : context_(context) {}

    DeviceFrameBuffers(const DeviceFrameBuffers&) = delete;
    DeviceFrameBuffers& operator=(const DeviceFrameBuffers&) = delete;
    DeviceFrameBuffers(DeviceFrameBuffers&&) = delete;
    DeviceFrameBuffers& operator=(DeviceFrameBuffers&&) = delete;
    ~DeviceFrameBuffers() = default;

    // A write-only buffer of `size` bytes.
    cl_mem output(size_t size);
    // A read-only buffer of `size` bytes.
    cl_mem input(size_t size);

    void release();

private:
    void fitTo(size_t size);

    const cl_context context_;
    size_t size_ = 0;
    std::optional<CLMemory> output_;
    std::optional<CLMemory> input_;
};

} // namespace Renderer
