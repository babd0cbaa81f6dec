#pragma once

#include "renderer/CLCommandQueue.h"
#include "renderer/CLContext.h"
#include "renderer/CLProgram.h"

#include <CL/cl.h>

#include <string>

namespace Renderer {

// A program source built once on the most powerful device, with the context and the
// in-order queue that all kernels of the program share.
class BuiltProgram {
public:
    explicit BuiltProgram(const std::string& source);

    BuiltProgram(const BuiltProgram&) = delete;
    BuiltProgram& operator=(const BuiltProgram&) = delete;
    BuiltProgram(BuiltProgram&&) = delete;
    BuiltProgram& operator=(BuiltProgram&&) = delete;
    ~BuiltProgram() = default;

    const std::string& source() const { return source_; }
    cl_device_id device() const { return device_; }
    const CLContext& context() const { return context_; }
    const CLCommandQueue& queue() const { return queue_; }
    const CLProgram& program() const { return program_; }

private:
    const std::string source_;
    const cl_device_id device_;
    const CLContext context_;
    const CLCommandQueue queue_;
    const CLProgram program_;
};

} // namespace Renderer
