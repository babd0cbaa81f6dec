#pragma once

#include <CL/cl.h>

#include <cstddef>

namespace Renderer {

// Owns one device buffer.
class CLMemory {
public:
    CLMemory(cl_context context, cl_mem_flags flags, size_t size);
    ~CLMemory();

    CLMemory(const CLMemory&) = delete;
    CLMemory& operator=(const CLMemory&) = delete;
    CLMemory(CLMemory&&) = delete;
    CLMemory& operator=(CLMemory&&) = delete;

    operator cl_mem() const { return memory_; }

private:
    cl_mem memory_ = nullptr;
};

} // namespace Renderer
