#pragma once

#include "renderer/OpenCLKernel.h"

#include <CL/cl.h>

#include <array>
#include <cstddef>
#include <cstdint>

namespace Renderer {

// Removes or re-applies the radial light fall-off of a lens, or renders it as a
// multiply map. The frame size does not change.
class ShadingRenderer {
public:
    ShadingRenderer();

    ShadingRenderer(const ShadingRenderer&) = delete;
    ShadingRenderer& operator=(const ShadingRenderer&) = delete;
    ShadingRenderer(ShadingRenderer&&) = delete;
    ShadingRenderer& operator=(ShadingRenderer&&) = delete;
    ~ShadingRenderer() = default;

    void frameSize(std::uint32_t& width, std::uint32_t& height) const;

    // `input` and `output` hold `size` bytes of RGBA floats, currentWidth x currentHeight
    // pixels; with `outputMap` set the input is not read and may be null.
    void render(const float* input, float* output, size_t size);

    std::uint32_t currentWidth = 0;
    std::uint32_t currentHeight = 0;
    std::uint32_t originalWidth = 0;
    std::uint32_t originalHeight = 0;
    bool outputMap = false;
    float imageRadius = 0.0F;
    // Relative illumination in percent over the distance from the centre in millimetres.
    std::array<float, 7> coefficients{};
    // Non-zero applies the shading, zero removes it.
    std::uint8_t reverse = 0;
    float gamma = 1.0F;
    OpenCLKernel<float> imageKernel;
    OpenCLKernel<float> mapKernel;

private:
    OpenCLKernel<float> makeKernel(bool map);
    int setKernelSpecificArguments(cl_kernel kernel, bool map) const;
};

} // namespace Renderer
