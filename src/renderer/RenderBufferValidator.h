#pragma once

#include <cstddef>
#include <cstdint>

namespace Renderer {

// Checks that the buffers handed to a renderer fit the frame it is set up for, so that
// a kernel never writes past a device buffer nor leaves part of the output undefined.
class RenderBufferValidator {
public:
    RenderBufferValidator() = delete;

    // Four float channels per pixel.
    static constexpr std::uint64_t bytesPerPixel = 4 * sizeof(float);

    static void throwIfUnsuitable(std::uint32_t width, std::uint32_t height, const float* input,
                                  bool inputNeeded, const float* output, size_t size);
};

} // namespace Renderer
