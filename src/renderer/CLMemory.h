#pragma once

#include <CL/cl.h>

#include <cstddef>

namespace Renderer {

// Owns one device buffer; with `host` (and CL_MEM_USE_HOST_PTR) it is that host memory.
class CLMemory {
public:
    CLMemory(cl_context context, cl_mem_flags flags, size_t size, void* host = nullptr);
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
