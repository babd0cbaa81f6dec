#include "renderer/ShadingKernelSource.h"

namespace Renderer {

const char* const shadingImageKernelName = "shading";
const char* const shadingMapKernelName = "shadingMap";

} // namespace Renderer
