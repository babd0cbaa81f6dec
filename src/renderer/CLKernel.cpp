#include "renderer/CLKernel.h"

#include "foundation/Exception.h"

namespace Renderer {

CLKernel::CLKernel(cl_program program, const std::string& name) {
    cl_int status = CL_SUCCESS;
    kernel_ = clCreateKernel(program, name.c_str(), &status);
    if (kernel_ == nullptr || status != CL_SUCCESS) {
        if (kernel_ != nullptr) {
            clReleaseKernel(kernel_);
        }
        throw Exception("Failed to create kernel! (" + std::to_string(status) + ")");
    }
}

CLKernel::~CLKernel() {
    clReleaseKernel(kernel_);
}

} // namespace Renderer
