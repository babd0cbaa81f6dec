#include "renderer/ShadingRenderer.h"

#include "foundation/Exception.h"
#include "renderer/ImageOrMapRun.h"
#include "renderer/KernelArgumentSequence.h"
#include "renderer/NotRenderedException.h"
#include "renderer/ShadingKernelSource.h"

#include <memory>
#include <utility>

namespace Renderer {

ShadingRenderer::ShadingRenderer() : imageKernel(makeKernel(false)), mapKernel(makeKernel(true)) {
    imageKernel.keepBuffersBetweenRuns(true);
    mapKernel.keepBuffersBetweenRuns(true);
}

// The image kernel builds the program; the map kernel, made after it, shares that build.
OpenCLKernel<float> ShadingRenderer::makeKernel(bool map) {
    auto setter = [this, map](cl_kernel kernel) { return setKernelSpecificArguments(kernel, map); };
    if (map) {
        return OpenCLKernel<float>(imageKernel.builtProgram(), shadingMapKernelName,
                                   std::move(setter));
    }
    return OpenCLKernel<float>(
        std::make_shared<const BuiltProgram>(shadingKernelSource, shadingCpuKernelSource),
        shadingImageKernelName, std::move(setter));
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
    runImageOrMapKernel("An issue did occur during execution of the shading correction renderer.",
                        currentWidth, currentHeight, outputMap, imageKernel, mapKernel, input,
                        output, size);
}

} // namespace Renderer
