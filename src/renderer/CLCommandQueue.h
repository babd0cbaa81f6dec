#pragma once

#include <CL/cl.h>

namespace Renderer {

// Owns an in-order command queue without profiling.
class CLCommandQueue {
public:
    CLCommandQueue(cl_device_id device, cl_context context);
    ~CLCommandQueue();

    CLCommandQueue(const CLCommandQueue&) = delete;
    CLCommandQueue& operator=(const CLCommandQueue&) = delete;
    CLCommandQueue(CLCommandQueue&&) = delete;
    CLCommandQueue& operator=(CLCommandQueue&&) = delete;

    operator cl_command_queue() const { return queue_; }

private:
    cl_command_queue queue_ = nullptr;
};

} // namespace Renderer
