#include "renderer/RenderBufferValidator.h"

#include "foundation/Exception.h"

#include <string>

namespace Renderer {

void RenderBufferValidator::throwIfUnsuitable(std::uint32_t width, std::uint32_t height,
                                              const float* input, bool inputNeeded,
                                              const float* output, size_t size) {
    const std::string frame = std::to_string(width) + "x" + std::to_string(height) + " px";
    if (width == 0 || height == 0) {
        throw Exception("Frame size of " + frame +
                        " is invalid and needs to be greater than zero.");
    }
    const std::uint64_t expectedSize = std::uint64_t{width} * height * bytesPerPixel;
    if (size != expectedSize) {
        throw Exception("Data size of " + std::to_string(size) + " bytes does not match the " +
                        frame + " frame, which needs " + std::to_string(expectedSize) +
                        " bytes of four float channels per pixel.");
    }
    if (output == nullptr) {
        throw Exception("Output buffer is missing; pass a buffer of " + std::to_string(size) +
                        " bytes to render into.");
    }
    if (inputNeeded && input == nullptr) {
        throw Exception("Input buffer is missing; it is required unless a map is rendered.");
    }
}

} // namespace Renderer
