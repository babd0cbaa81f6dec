#include "renderer/OpenCLKernel.h"

#include "foundation/Exception.h"
#include "renderer/CLMemory.h"
#include "renderer/OpenCLKernelHelper.h"

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
    : source_(source), kernelName_(kernelName), setter_(std::move(setter)),
      device_(OpenCLKernelHelper::idOfMostPowerfulDevice()), context_(device_),
      queue_(device_, context_), program_(device_, context_, source_),
      kernel_(program_, kernelName_) {}

template <typename Element>
void OpenCLKernel<Element>::execute(size_t size, Element* output, const Element* input) {
    const CLMemory outputBuffer(context_, CL_MEM_WRITE_ONLY, size);
    std::optional<CLMemory> inputBuffer;
    if (input != nullptr) {
        inputBuffer.emplace(context_, CL_MEM_READ_ONLY, size);
        writeDataIntoInputInDeviceMemory(*inputBuffer, input, size);
    }
    setKernelArguments(outputBuffer, inputBuffer ? static_cast<cl_mem>(*inputBuffer) : nullptr);
    setKernelSpecificArguments();
    executeKernelSynchronously(device_, size);
    readDataFromOutputInDeviceMemory(outputBuffer, output, size);
}

template <typename Element>
void OpenCLKernel<Element>::writeDataIntoInputInDeviceMemory(cl_mem buffer, const Element* data,
                                                             size_t size) {
    const cl_int status =
        clEnqueueWriteBuffer(queue_, buffer, CL_TRUE, 0, size, data, 0, nullptr, nullptr);
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
    status = clEnqueueNDRangeKernel(queue_, kernel_, 1, nullptr, &globalSize, &localSize, 0,
                                    nullptr, nullptr);
    if (status != CL_SUCCESS) {
        throw Exception(withStatus("Failed to execute kernel!", status));
    }
    // The read that follows would not notice a launch that failed while running.
    status = clFinish(queue_);
    if (status != CL_SUCCESS) {
        throw Exception(withStatus("Failed to execute kernel!", status));
    }
}

template <typename Element>
void OpenCLKernel<Element>::readDataFromOutputInDeviceMemory(cl_mem buffer, Element* data,
                                                             size_t size) {
    const cl_int status =
        clEnqueueReadBuffer(queue_, buffer, CL_TRUE, 0, size, data, 0, nullptr, nullptr);
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
