#pragma once

#include "renderer/CLCommandQueue.h"
#include "renderer/CLContext.h"
#include "renderer/CLProgram.h"
#include "renderer/OpenCLDeviceInfo.h"

#include <CL/cl.h>

#include <string>

namespace Renderer {

// A program source built once on the most powerful device, with the context and the
// in-order queue that all kernels of the program share.
class BuiltProgram {
public:
    // One text for every kind of device.
    explicit BuiltProgram(const std::string& source);
    // `cpuSource` on a CPU device, `source` on every other (GPUs and accelerators).
    BuiltProgram(const std::string& source, const std::string& cpuSource);

    BuiltProgram(const BuiltProgram&) = delete;
    BuiltProgram& operator=(const BuiltProgram&) = delete;
    BuiltProgram(BuiltProgram&&) = delete;
    BuiltProgram& operator=(BuiltProgram&&) = delete;
    ~BuiltProgram() = default;

    // The text that was built.
    const std::string& source() const { return source_; }
    cl_device_id device() const { return device_; }
    // The device works in host memory, so its kernels can read a frame where it lies.
    bool hostUnifiedMemory() const { return hostUnifiedMemory_; }
    const CLContext& context() const { return context_; }
    const CLCommandQueue& queue() const { return queue_; }
    const CLProgram& program() const { return program_; }

private:
    BuiltProgram(const OpenCLDeviceInfo& device, const std::string& source,
                 const std::string& cpuSource);

    const std::string source_;
    const cl_device_id device_;
    const bool hostUnifiedMemory_;
    const CLContext context_;
    const CLCommandQueue queue_;
    const CLProgram program_;
};

} // namespace Renderer
