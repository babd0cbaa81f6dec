#pragma once

namespace Renderer {

// The shading program (kernels/shading.cl, embedded at build time) and its kernels.
extern const char* const shadingKernelSource;
extern const char* const shadingImageKernelName;
extern const char* const shadingMapKernelName;

} // namespace Renderer
