#pragma once

#include <CL/cl.h>

namespace Renderer {

// Sets consecutive kernel arguments from a start index and keeps the status of the
// first one that failed; later ones are then left alone.
class KernelArgumentSequence {
public:
    KernelArgumentSequence(cl_kernel kernel, cl_uint firstIndex)
        : kernel_(kernel), nextIndex_(firstIndex) {}

    template <typename Value>
    KernelArgumentSequence& add(const Value& value) {
        if (status_ == CL_SUCCESS) {
            status_ = clSetKernelArg(kernel_, nextIndex_, sizeof(Value), &value);
        }
        ++nextIndex_;
        return *this;
    }

    cl_int status() const { return status_; }

private:
    cl_kernel kernel_;
    cl_uint nextIndex_;
    cl_int status_ = CL_SUCCESS;
};

} // namespace Renderer
