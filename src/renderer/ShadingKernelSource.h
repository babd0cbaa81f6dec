#pragma once

namespace Renderer {

// The shading program (kernels/shading.cl, embedded at build time) and its kernels, and
// the same kernels shaped for CPU devices (kernels/shading_cpu.cl), which write the same
// bits.
extern const char* const shadingKernelSource;
extern const char* const shadingCpuKernelSource;
extern const char* const shadingImageKernelName;
extern const char* const shadingMapKernelName;

} // namespace Renderer
