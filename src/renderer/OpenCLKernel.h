#pragma once

#include "renderer/BuiltProgram.h"
#include "renderer/CLKernel.h"
#include "renderer/DeviceFrameBuffers.h"

#include <CL/cl.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace Renderer {

// One kernel function of a program, built once on the most powerful device and run
// synchronously over a buffer of pixel data as often as needed. Kernels of the same
// program can share its build, context and queue.
template <typename Element>
class OpenCLKernel {
public:
    // Sets the arguments that follow the buffers; returns an OpenCL status.
    using KernelSpecificArgumentSetter = std::function<int(cl_kernel)>;

    // Builds the program for this kernel alone.
    OpenCLKernel(const std::string& source, const std::string& kernelName,
                 KernelSpecificArgumentSetter setter);
    OpenCLKernel(std::shared_ptr<const BuiltProgram> program, const std::string& kernelName,
                 KernelSpecificArgumentSetter setter);

    OpenCLKernel(const OpenCLKernel&) = delete;
    OpenCLKernel& operator=(const OpenCLKernel&) = delete;
    OpenCLKernel(OpenCLKernel&&) = delete;
    OpenCLKernel& operator=(OpenCLKernel&&) = delete;
    ~OpenCLKernel() = default;

    // One complete run over `size` bytes; `input` may be null for kernels without input.
    void execute(size_t size, Element* output, const Element* input);

    // Lets the device buffers stay from one run to the next of the same size instead of
    // being made for each run. They are released anyway when a run fails.
    void keepBuffersBetweenRuns(bool keep) { keepBuffers_ = keep; }

    const std::shared_ptr<const BuiltProgram>& builtProgram() const { return program_; }

    void writeDataIntoInputInDeviceMemory(cl_mem buffer, const Element* data, size_t size);
    void setKernelArguments(cl_mem output, cl_mem input);
    void setKernelSpecificArguments();
    void executeKernelSynchronously(cl_device_id device, size_t size);
    void readDataFromOutputInDeviceMemory(cl_mem buffer, Element* data, size_t size);

    // The smallest multiple of `localSize` that is not below `dataSize`.
    static size_t globalWorkSize(size_t dataSize, size_t localSize);

private:
    void run(size_t size, Element* output, const Element* input);

    const std::string kernelName_;
    const KernelSpecificArgumentSetter setter_;
    const std::shared_ptr<const BuiltProgram> program_;
    const CLKernel kernel_;
    DeviceFrameBuffers buffers_;
    bool keepBuffers_ = false;
};

extern template class OpenCLKernel<float>;

} // namespace Renderer
