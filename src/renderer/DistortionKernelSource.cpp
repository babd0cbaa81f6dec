#include "renderer/DistortionKernelSource.h"

namespace Renderer {

const char* const distortionImageKernelName = "distortion";
const char* const distortionMapKernelName = "distortionMap";

} // namespace Renderer
