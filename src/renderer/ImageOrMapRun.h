#pragma once

#include "foundation/Exception.h"
#include "renderer/NotRenderedException.h"
#include "renderer/OpenCLKernel.h"
#include "renderer/RenderBufferValidator.h"

#include <cstddef>
#include <cstdint>

namespace Renderer {

// One frame through a renderer's image kernel, or through its map kernel (which
// reads no input). Any failure leaves as NotRenderedException with the
// renderer's brief text.
inline void runImageOrMapKernel(const char* failureBrief, std::uint32_t width, std::uint32_t height,
                                bool outputMap, OpenCLKernel<float>& imageKernel,
                                OpenCLKernel<float>& mapKernel, const float* input, float* output,
                                size_t size) {
    try {
        RenderBufferValidator::throwIfUnsuitable(width, height, input, !outputMap, output, size);
        if (outputMap) {
            mapKernel.execute(size, output, nullptr);
        } else {
            imageKernel.execute(size, output, input);
        }
    } catch (const Exception& failure) {
        throw NotRenderedException::fromFailure(failureBrief, failure, size);
    }
}

} // namespace Renderer
