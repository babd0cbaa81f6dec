#pragma once

#include <array>
#include <cstdint>

namespace Renderer {

// What the size of a distortion renderer's output frame depends on: no device is needed to
// compute it, so a host can size frames while another thread renders.
struct DistortionFrameSize {
    std::uint32_t currentWidth = 0;
    std::uint32_t currentHeight = 0;
    std::uint32_t originalWidth = 0;
    std::uint32_t originalHeight = 0;
    float imageRadius = 0.0F;
    float frameSizeImageRadius = 0.0F;
    std::array<float, 7> frameSizeCoefficients{};

    // Throws unless both radii are greater than zero.
    static void checkRadii(float imageRadius, float frameSizeImageRadius);
    // The output size that keeps every stretched edge and corner and the recording
    // format's aspect ratio.
    void compute(std::uint32_t& width, std::uint32_t& height) const;
};

} // namespace Renderer
