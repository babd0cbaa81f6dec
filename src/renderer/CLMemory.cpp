#include "renderer/CLMemory.h"

#include "foundation/Exception.h"

#include <string>

namespace Renderer {

CLMemory::CLMemory(cl_context context, cl_mem_flags flags, size_t size, void* host)
    : memory_(clCreateBuffer(context, flags, size, host, nullptr)) {
    if (memory_ == nullptr) {
        throw Exception("Failed to allocate device memory! (" + std::to_string(size) + " bytes)");
    }
}

CLMemory::~CLMemory() {
    clReleaseMemObject(memory_);
}

} // namespace Renderer
