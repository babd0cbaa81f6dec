#include "renderer/CLCommandQueue.h"

#include "foundation/Exception.h"

#include <string>

namespace Renderer {

CLCommandQueue::CLCommandQueue(cl_device_id device, cl_context context) {
    cl_int status = CL_SUCCESS;
    queue_ = clCreateCommandQueue(context, device, 0, &status);
    if (queue_ == nullptr || status != CL_SUCCESS) {
        if (queue_ != nullptr) {
            clReleaseCommandQueue(queue_);
        }
        throw Exception("Failed to create command queue! (" + std::to_string(status) + ")");
    }
}

CLCommandQueue::~CLCommandQueue() {
    clReleaseCommandQueue(queue_);
}

} // namespace Renderer
