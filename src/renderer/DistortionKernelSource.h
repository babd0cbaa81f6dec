#pragma once

namespace Renderer {

// The distortion program (kernels/distortion.cl, embedded at build time) and its kernels.
extern const char* const distortionKernelSource;
extern const char* const distortionImageKernelName;
extern const char* const distortionMapKernelName;

} // namespace Renderer
