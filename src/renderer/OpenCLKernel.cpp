#include "renderer/OpenCLKernel.h"

#include "foundation/AddressSpace.h"
#include "foundation/Exception.h"
#include "renderer/CLMemory.h"

#include <new>
#include <optional>
#include <utility>

namespace Renderer {

namespace {

std::string withStatus(const std::string& message, cl_int status) {
    return message + " (" + std::to_string(status) + ")";
}

} // namespace

template <typename Element>
OpenCLKernel<Element>::OpenCLKernel(const std::string& source, const std::string& kernelName,
                                    KernelSpecificArgumentSetter setter)
    : OpenCLKernel(std::make_shared<const BuiltProgram>(source), kernelName, std::move(setter)) {}

template <typename Element>
OpenCLKernel<Element>::OpenCLKernel(std::shared_ptr<const BuiltProgram> program,
                                    const std::string& kernelName,
                                    KernelSpecificArgumentSetter setter)
    : kernelName_(kernelName), setter_(std::move(setter)), program_(std::move(program)),
      kernel_(program_->program(), kernelName_), buffers_(program_->context()) {}

template <typename Element>
void OpenCLKernel<Element>::execute(size_t size, Element* output, const Element* input) {
    try {
        run(size, output, input);
    } catch (...) {
        buffers_.release();
        throw;
    }
    if (!keepBuffers_) {
        buffers_.release();
    }
}

// A device in host memory reads the caller's input where it lies, through a read-only
// buffer made for this run. The output still goes through the device's own buffer and is
// copied out only after the kernel succeeded, so a caller whose output is its input, a
// failed run and the bytes a caller sees are the same on every device.
template <typename Element>
void OpenCLKernel<Element>::run(size_t size, Element* output, const Element* input) {
    // A device in host memory takes the output buffer from the process's
    // address space, and PoCL asserts when its allocation fails: a run starts
    // only with room for the buffer and the run's own needs.
    constexpr size_t runHeadroom = size_t{64} << 20;
    if (program_->hostUnifiedMemory() && !AddressSpace::hasRoomFor(size + runHeadroom)) {
        throw std::bad_alloc();
    }
    const cl_mem outputBuffer = buffers_.output(size);
    std::optional<CLMemory> callersInput;
    cl_mem inputBuffer = nullptr;
    if (input != nullptr && program_->hostUnifiedMemory()) {
        // Read-only: the kernel never writes through the caller's pointer.
        callersInput.emplace(program_->context(), CL_MEM_READ_ONLY | CL_MEM_USE_HOST_PTR, size,
                             const_cast<Element*>(input));
        inputBuffer = *callersInput;
    } else if (input != nullptr) {
        inputBuffer = buffers_.input(size);
        writeDataIntoInputInDeviceMemory(inputBuffer, input, size);
    }
    setKernelArguments(outputBuffer, inputBuffer);
    setKernelSpecificArguments();
    executeKernelSynchronously(program_->device(), size);
    // Released before the output is copied out, which may overwrite the input.
    callersInput.reset();
    readDataFromOutputInDeviceMemory(outputBuffer, output, size);
}

template <typename Element>
void OpenCLKernel<Element>::writeDataIntoInputInDeviceMemory(cl_mem buffer, const Element* data,
                                                             size_t size) {
    const cl_int status = clEnqueueWriteBuffer(program_->queue(), buffer, CL_TRUE, 0, size, data, 0,
                                               nullptr, nullptr);
    if (status != CL_SUCCESS) {
        throw Exception(withStatus("Failed to write to input in device memory!", status));
    }
}

template <typename Element>
void OpenCLKernel<Element>::setKernelArguments(cl_mem output, cl_mem input) {
    if (input != nullptr) {
        const cl_int inputStatus = clSetKernelArg(kernel_, 0, sizeof(cl_mem), &input);
        const cl_int outputStatus = clSetKernelArg(kernel_, 1, sizeof(cl_mem), &output);
        if (inputStatus != CL_SUCCESS || outputStatus != CL_SUCCESS) {
            throw Exception(withStatus("Failed to set input and output kernel arguments!",
                                       inputStatus | outputStatus));
        }
        return;
    }
    const cl_int status = clSetKernelArg(kernel_, 0, sizeof(cl_mem), &output);
    if (status != CL_SUCCESS) {
        throw Exception(withStatus("Failed to set output kernel argument!", status));
    }
}

template <typename Element>
void OpenCLKernel<Element>::setKernelSpecificArguments() {
    if (!setter_) {
        return;
    }
    const int status = setter_(kernel_);
    if (status != CL_SUCCESS) {
        throw Exception(withStatus("Failed to set kernel specific arguments!", status));
    }
}

template <typename Element>
void OpenCLKernel<Element>::executeKernelSynchronously(cl_device_id device, size_t size) {
    size_t localSize = 0;
    cl_int status = clGetKernelWorkGroupInfo(kernel_, device, CL_KERNEL_WORK_GROUP_SIZE,
                                             sizeof(localSize), &localSize, nullptr);
    if (status != CL_SUCCESS) {
        throw Exception(withStatus("Failed to retrieve kernel work group info!", status));
    }
    // A device that reports no work-group size still runs groups of one.
    if (localSize == 0) {
        localSize = 1;
    }
    const size_t globalSize = globalWorkSize(size, localSize);
    status = clEnqueueNDRangeKernel(program_->queue(), kernel_, 1, nullptr, &globalSize, &localSize,
                                    0, nullptr, nullptr);
    if (status != CL_SUCCESS) {
        throw Exception(withStatus("Failed to execute kernel!", status));
    }
    // The read that follows would not notice a launch that failed while running.
    status = clFinish(program_->queue());
    if (status != CL_SUCCESS) {
        throw Exception(withStatus("Failed to execute kernel!", status));
    }
}

template <typename Element>
void OpenCLKernel<Element>::readDataFromOutputInDeviceMemory(cl_mem buffer, Element* data,
                                                             size_t size) {
    const cl_int status =
        clEnqueueReadBuffer(program_->queue(), buffer, CL_TRUE, 0, size, data, 0, nullptr, nullptr);
    if (status != CL_SUCCESS) {
        throw Exception(withStatus("Failed to read output in device memory!", status));
    }
}

// Integer arithmetic: in single precision, frame sizes of a few hundred megabytes
// already round the product below the data size.
template <typename Element>
size_t OpenCLKernel<Element>::globalWorkSize(size_t dataSize, size_t localSize) {
    const size_t groups = dataSize / localSize + (dataSize % localSize != 0 ? 1 : 0);
    return groups * localSize;
}

template class OpenCLKernel<float>;

} // namespace Renderer
