#include "renderer/DistortionRenderer.h"

#include "foundation/Exception.h"
#include "foundation/Sextic.h"
#include "renderer/DistortionFrameSize.h"
#include "renderer/DistortionKernelSource.h"
#include "renderer/ImageOrMapRun.h"
#include "renderer/KernelArgumentSequence.h"
#include "renderer/NotRenderedException.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <utility>

namespace Renderer {

DistortionRenderer::DistortionRenderer()
    : imageKernel(makeKernel(false)), mapKernel(makeKernel(true)) {
    imageKernel.keepBuffersBetweenRuns(true);
    mapKernel.keepBuffersBetweenRuns(true);
}

// The image kernel builds the program; the map kernel, made after it, shares that build.
OpenCLKernel<float> DistortionRenderer::makeKernel(bool map) {
    auto setter = [this, map](cl_kernel kernel) { return setKernelSpecificArguments(kernel, map); };
    if (map) {
        return OpenCLKernel<float>(imageKernel.builtProgram(), distortionMapKernelName,
                                   std::move(setter));
    }
    return OpenCLKernel<float>(
        std::make_shared<const BuiltProgram>(distortionKernelSource, distortionCpuKernelSource),
        distortionImageKernelName, std::move(setter));
}

int DistortionRenderer::setKernelSpecificArguments(cl_kernel kernel, bool map) const {
    checkParameterAndThrowExceptionIfNeeded();
    KernelArgumentSequence arguments(kernel, map ? 1 : 2);
    arguments.add(cl_uint{currentWidth})
        .add(cl_uint{currentHeight})
        .add(cl_uint{originalWidth})
        .add(cl_uint{originalHeight})
        .add(cl_float{imageRadius});
    for (const float coefficient : coefficients) {
        arguments.add(cl_float{coefficient});
    }
    return arguments.status();
}

void DistortionRenderer::checkParameterAndThrowExceptionIfNeeded() const {
    DistortionFrameSize::checkRadii(imageRadius, frameSizeImageRadius);
}

void DistortionRenderer::frameSize(std::uint32_t& width, std::uint32_t& height) const {
    DistortionFrameSize size;
    size.currentWidth = currentWidth;
    size.currentHeight = currentHeight;
    size.originalWidth = originalWidth;
    size.originalHeight = originalHeight;
    size.imageRadius = imageRadius;
    size.frameSizeImageRadius = frameSizeImageRadius;
    size.frameSizeCoefficients = frameSizeCoefficients;
    size.compute(width, height);
}

void DistortionRenderer::render(const float* input, float* output, size_t size) {
    runImageOrMapKernel(
        "An issue did occur during execution of the distortion correction renderer.", currentWidth,
        currentHeight, outputMap, imageKernel, mapKernel, input, output, size);
}

} // namespace Renderer
