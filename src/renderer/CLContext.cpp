#include "renderer/CLContext.h"

#include "foundation/Exception.h"

#include <string>

namespace Renderer {

CLContext::CLContext(cl_device_id device) {
    cl_int status = CL_SUCCESS;
    context_ = clCreateContext(nullptr, 1, &device, nullptr, nullptr, &status);
    if (context_ == nullptr || status != CL_SUCCESS) {
        if (context_ != nullptr) {
            clReleaseContext(context_);
        }
        throw Exception("Failed to create context! (" + std::to_string(status) + ")");
    }
}

CLContext::~CLContext() {
    clReleaseContext(context_);
}

} // namespace Renderer
