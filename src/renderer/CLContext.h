#pragma once

#include <CL/cl.h>

namespace Renderer {

// Owns an OpenCL context on exactly one device.
class CLContext {
public:
    explicit CLContext(cl_device_id device);
    ~CLContext();

    CLContext(const CLContext&) = delete;
    CLContext& operator=(const CLContext&) = delete;
    CLContext(CLContext&&) = delete;
    CLContext& operator=(CLContext&&) = delete;

    operator cl_context() const { return context_; }

private:
    cl_context context_ = nullptr;
};

} // namespace Renderer
