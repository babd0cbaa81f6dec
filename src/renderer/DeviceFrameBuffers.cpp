#include "renderer/DeviceFrameBuffers.h"

namespace Renderer {

cl_mem DeviceFrameBuffers::output(size_t size) {
    fitTo(size);
    if (!output_) {
        output_.emplace(context_, CL_MEM_WRITE_ONLY, size);
    }
    return *output_;
}

cl_mem DeviceFrameBuffers::input(size_t size) {
    fitTo(size);
    if (!input_) {
        input_.emplace(context_, CL_MEM_READ_ONLY, size);
    }
    return *input_;
}

void DeviceFrameBuffers::release() {
    input_.reset();
    output_.reset();
    size_ = 0;
}

void DeviceFrameBuffers::fitTo(size_t size) {
    if (size != size_) {
        release();
        size_ = size;
    }
}

} // namespace Renderer
