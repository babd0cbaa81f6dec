#pragma once

#include "renderer/CLCommandQueue.h"
#include "renderer/CLContext.h"
#include "renderer/CLKernel.h"
#include "renderer/CLProgram.h"

#include <CL/cl.h>

#include <cstddef>
#include <functional>
#include <string>

namespace Renderer {

// One kernel function of a program, built once on the most powerful device and run
// synchronously over a buffer of pixel data as often as needed.
template <typename Element>
class OpenCLKernel {
public:
    // Sets the arguments that follow the buffers; returns an OpenCL status.
    using KernelSpecificArgumentSetter = std::function<int(cl_kernel)>;

    OpenCLKernel(const std::string& source, const std::string& kernelName,
                 KernelSpecificArgumentSetter setter);

    OpenCLKernel(const OpenCLKernel&) = delete;
    OpenCLKernel& operator=(const OpenCLKernel&) = delete;
    OpenCLKernel(OpenCLKernel&&) = delete;
    OpenCLKernel& operator=(OpenCLKernel&&) = delete;
    ~OpenCLKernel() = default;

    // One complete run over `size` bytes; `input` may be null for kernels without input.
    void execute(size_t size, Element* output, const Element* input);

    void writeDataIntoInputInDeviceMemory(cl_mem buffer, const Element* data, size_t size);
    void setKernelArguments(cl_mem output, cl_mem input);
    void setKernelSpecificArguments();
    void executeKernelSynchronously(cl_device_id device, size_t size);
    void readDataFromOutputInDeviceMemory(cl_mem buffer, Element* data, size_t size);

    // The smallest multiple of `localSize` that is not below `dataSize`.
    static size_t globalWorkSize(size_t dataSize, size_t localSize);

private:
    const std::string source_;
    const std::string kernelName_;
    const KernelSpecificArgumentSetter setter_;
    const cl_device_id device_;
    const CLContext context_;
    const CLCommandQueue queue_;
    const CLProgram program_;
    const CLKernel kernel_;
};

extern template class OpenCLKernel<float>;

} // namespace Renderer
