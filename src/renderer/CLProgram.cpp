#include "renderer/CLProgram.h"

#include "foundation/Exception.h"

#include <vector>

namespace Renderer {

CLProgram::CLProgram(cl_device_id device, cl_context context, const std::string& source) {
    const char* text = source.c_str();
    cl_int status = CL_SUCCESS;
    program_ = clCreateProgramWithSource(context, 1, &text, nullptr, &status);
    if (program_ == nullptr || status != CL_SUCCESS) {
        if (program_ != nullptr) {
            clReleaseProgram(program_);
        }
        throw Exception("Failed to create program! (" + std::to_string(status) + ")");
    }

    status = clBuildProgram(program_, 0, nullptr, nullptr, nullptr, nullptr);
    if (status != CL_SUCCESS) {
        const std::string log = buildLog(device);
        clReleaseProgram(program_);
        throw Exception("Failed to build program executable! (" + std::to_string(status) + ") (" +
                        log + ")");
    }
}

CLProgram::~CLProgram() {
    clReleaseProgram(program_);
}

// Reads the whole log and then cuts it: asking for it with a fixed buffer that is too
// small would fail and return no log at all.
std::string CLProgram::buildLog(cl_device_id device) const {
    size_t size = 0;
    if (clGetProgramBuildInfo(program_, device, CL_PROGRAM_BUILD_LOG, 0, nullptr, &size) !=
            CL_SUCCESS ||
        size == 0) {
        return {};
    }
    std::vector<char> log(size + 1, '\0');
    if (clGetProgramBuildInfo(program_, device, CL_PROGRAM_BUILD_LOG, size, log.data(), nullptr) !=
        CL_SUCCESS) {
        return {};
    }
    std::string text(log.data());
    if (text.size() > maximumBuildLogSize - 1) {
        text.resize(maximumBuildLogSize - 1);
    }
    return text;
}

} // namespace Renderer
