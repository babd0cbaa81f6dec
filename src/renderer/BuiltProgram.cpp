#include "renderer/BuiltProgram.h"

#include "renderer/OpenCLKernelHelper.h"

namespace Renderer {

BuiltProgram::BuiltProgram(const std::string& source)
    : source_(source), device_(OpenCLKernelHelper::idOfMostPowerfulDevice()), context_(device_),
      queue_(device_, context_), program_(device_, context_, source_) {}

} // namespace Renderer
