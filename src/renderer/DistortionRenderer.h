#pragma once

#include "renderer/OpenCLKernel.h"

#include <CL/cl.h>

#include <array>
#include <cstddef>
#include <cstdint>

namespace Renderer {

// Removes or re-applies the radial distortion of a lens, or renders a position map.
// The direction is chosen by which polynomial the caller stores in `coefficients`
// (output distance to source distance, millimetres on the sensor).
class DistortionRenderer {
public:
    DistortionRenderer();

    DistortionRenderer(const DistortionRenderer&) = delete;
    DistortionRenderer& operator=(const DistortionRenderer&) = delete;
    DistortionRenderer(DistortionRenderer&&) = delete;
    DistortionRenderer& operator=(DistortionRenderer&&) = delete;
    ~DistortionRenderer() = default;

    void checkParameterAndThrowExceptionIfNeeded() const;

    // The output size that keeps every stretched edge and corner and the recording
    // format's aspect ratio.
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
    float frameSizeImageRadius = 0.0F;
    std::array<float, 7> coefficients{};
    std::array<float, 7> frameSizeCoefficients{};
    OpenCLKernel<float> imageKernel;
    OpenCLKernel<float> mapKernel;

private:
    OpenCLKernel<float> makeKernel(bool map);
    int setKernelSpecificArguments(cl_kernel kernel, bool map) const;
};

} // namespace Renderer
