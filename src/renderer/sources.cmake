# The OpenCL programs are compiled at run time from these texts; the CPU programs
# begin with the run shape they share.
velor_embed_text(velor_renderer
  INPUT "${CMAKE_CURRENT_SOURCE_DIR}/renderer/kernels/distortion.cl"
  OUTPUT "${CMAKE_CURRENT_BINARY_DIR}/renderer/DistortionKernelText.cpp"
  NAMESPACE Renderer
  NAME distortionKernelSource)
velor_embed_text(velor_renderer
  INPUT "${CMAKE_CURRENT_SOURCE_DIR}/renderer/kernels/shading.cl"
  OUTPUT "${CMAKE_CURRENT_BINARY_DIR}/renderer/ShadingKernelText.cpp"
  NAMESPACE Renderer
  NAME shadingKernelSource)
velor_embed_text(velor_renderer
  INPUT "${CMAKE_CURRENT_SOURCE_DIR}/renderer/kernels/cpu_runs.cl"
        "${CMAKE_CURRENT_SOURCE_DIR}/renderer/kernels/distortion_cpu.cl"
  OUTPUT "${CMAKE_CURRENT_BINARY_DIR}/renderer/DistortionCpuKernelText.cpp"
  NAMESPACE Renderer
  NAME distortionCpuKernelSource)
velor_embed_text(velor_renderer
  INPUT "${CMAKE_CURRENT_SOURCE_DIR}/renderer/kernels/cpu_runs.cl"
        "${CMAKE_CURRENT_SOURCE_DIR}/renderer/kernels/shading_cpu.cl"
  OUTPUT "${CMAKE_CURRENT_BINARY_DIR}/renderer/ShadingCpuKernelText.cpp"
  NAMESPACE Renderer
  NAME shadingCpuKernelSource)
