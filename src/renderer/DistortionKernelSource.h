#pragma once

namespace Renderer {

// The distortion program (kernels/distortion.cl, embedded at build time) and its kernels, and
// the same kernels shaped for CPU devices (kernels/distortion_cpu.cl), which write the same
// bits.
extern const char* const distortionKernelSource;
extern const char* const distortionCpuKernelSource;
extern const char* const distortionImageKernelName;
extern const char* const distortionMapKernelName;

} // namespace Renderer
