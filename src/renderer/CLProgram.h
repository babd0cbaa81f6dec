#pragma once

#include <CL/cl.h>

#include <string>

namespace Renderer {

// Owns a program built from one source text for all devices of a context.
class CLProgram {
public:
    // The longest build log, terminating zero included, that a failure message carries.
    static constexpr size_t maximumBuildLogSize = 4096;

    CLProgram(cl_device_id device, cl_context context, const std::string& source);
    ~CLProgram();

    CLProgram(const CLProgram&) = delete;
    CLProgram& operator=(const CLProgram&) = delete;
    CLProgram(CLProgram&&) = delete;
    CLProgram& operator=(CLProgram&&) = delete;

    operator cl_program() const { return program_; }

private:
    std::string buildLog(cl_device_id device) const;

    cl_program program_ = nullptr;
};

} // namespace Renderer
