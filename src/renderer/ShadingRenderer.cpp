#include "renderer/ShadingRenderer.h"

#include "foundation/Exception.h"
#include "renderer/KernelArgumentSequence.h"
#include "renderer/NotRenderedException.h"
#include "renderer/RenderBufferValidator.h"
#include "renderer/ShadingKernelSource.h"

namespace Renderer {

ShadingRenderer::ShadingRenderer() : imageKernel(makeKernel(false)), mapKernel(makeKernel(true)) {}

OpenCLKernel<float> ShadingRenderer::makeKernel(bool map) {
    return OpenCLKernel<float>(
        shadingKernelSource, map ? shadingMapKernelName : shadingImageKernelName,
        [this, map](cl_kernel kernel) { return setKernelSpecificArguments(kernel, map); });
}

int ShadingRenderer::setKernelSpecificArguments(cl_kernel kernel, bool map) const {
    KernelArgumentSequence arguments(kernel, map ? 1 : 2);
    arguments.add(cl_uint{currentWidth})
        .add(cl_uint{currentHeight})
        .add(cl_uint{originalWidth})
        .add(cl_uint{originalHeight})
        .add(cl_float{imageRadius});
    for (const float coefficient : coefficients) {
        arguments.add(cl_float{coefficient});
    }
    arguments.add(cl_uchar{reverse}).add(cl_float{gamma});
    return arguments.status();
}

void ShadingRenderer::frameSize(std::uint32_t& width, std::uint32_t& height) const {
    width = currentWidth;
    height = currentHeight;
}

void ShadingRenderer::render(const float* input, float* output, size_t size) {
    try {
        RenderBufferValidator::throwIfUnsuitable(currentWidth, currentHeight, input, !outputMap,
                                                 output, size);
        if (outputMap) {
            mapKernel.execute(size, output, nullptr);
        } else {
            imageKernel.execute(size, output, input);
        }
    } catch (const Exception& failure) {
        throw NotRenderedException::fromFailure(
            "An issue did occur during execution of the shading correction renderer.", failure,
            size);
    }
}

} // namespace Renderer
