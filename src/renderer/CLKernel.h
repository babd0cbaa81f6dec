#pragma once

#include <CL/cl.h>

#include <string>

namespace Renderer {

// Owns one kernel of a built program.
class CLKernel {
public:
    CLKernel(cl_program program, const std::string& name);
    ~CLKernel();

    CLKernel(const CLKernel&) = delete;
    CLKernel& operator=(const CLKernel&) = delete;
    CLKernel(CLKernel&&) = delete;
    CLKernel& operator=(CLKernel&&) = delete;

    operator cl_kernel() const { return kernel_; }

private:
    cl_kernel kernel_ = nullptr;
};

} // namespace Renderer
