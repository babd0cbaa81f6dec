#include "FakeOpenCLTest.h"

#include "renderer/DistortionRenderer.h"
#include "renderer/NotRenderedException.h"
#include "renderer/ShadingRenderer.h"

#include <array>
#include <string>
#include <vector>

using Renderer::DistortionRenderer;
using Renderer::NotRenderedException;
using Renderer::ShadingRenderer;

namespace {

class RendererArguments : public FakeOpenCLTest {
protected:
    template <typename SomeRenderer>
    static void setUp(SomeRenderer& renderer) {
        renderer.currentWidth = 4;
        renderer.currentHeight = 2;
        renderer.originalWidth = 4096;
        renderer.originalHeight = 2160;
        renderer.imageRadius = 12.5F;
        renderer.coefficients = {0.5F, 1.5F, 2.5F, 3.5F, 4.5F, 5.5F, 6.5F};
    }

    // Checks the arguments from `first` on: the four sizes, the radius and a0 to a6.
    static void expectCommonArguments(cl_uint first) {
        EXPECT_EQ(FakeOpenCL::argumentValue<cl_uint>(first), 4U);
        EXPECT_EQ(FakeOpenCL::argumentValue<cl_uint>(first + 1), 2U);
        EXPECT_EQ(FakeOpenCL::argumentValue<cl_uint>(first + 2), 4096U);
        EXPECT_EQ(FakeOpenCL::argumentValue<cl_uint>(first + 3), 2160U);
        EXPECT_EQ(FakeOpenCL::argumentValue<cl_float>(first + 4), 12.5F);
        for (cl_uint i = 0; i < 7; ++i) {
            EXPECT_EQ(FakeOpenCL::argumentValue<cl_float>(first + 5 + i),
                      0.5F + static_cast<float>(i))
                << "a" << i;
        }
    }

    static std::vector<size_t> argumentSizes() {
        std::vector<size_t> sizes;
        for (const FakeOpenCL::KernelArgument& argument : fake().arguments) {
            sizes.push_back(argument.size);
        }
        return sizes;
    }

    std::vector<float> frame = std::vector<float>(size_t{4} * 2 * 4, 0.25F);
};

// Two buffer handles, then four sizes, the radius and seven coefficients of 4 bytes each.
std::vector<size_t> distortionImageSizes() {
    return {8, 8, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4};
}

} // namespace

TEST_F(RendererArguments, DistortionRendererBuildsBothKernelsOfItsProgram) {
    {
        const DistortionRenderer renderer;
        EXPECT_EQ(fake().kernelNames, (std::vector<std::string>{"distortion", "distortionMap"}));
        EXPECT_EQ(fake().programs.created, 2);
    }
    EXPECT_EQ(fake().contexts.released, 2);
}

TEST_F(RendererArguments, DistortionArgumentsFollowTheBuffers) {
    DistortionRenderer renderer;
    setUp(renderer);
    renderer.frameSizeImageRadius = 20.0F;
    renderer.render(frame.data(), frame.data(), frame.size() * sizeof(float));
    EXPECT_EQ(argumentSizes(), distortionImageSizes());
    expectCommonArguments(2);

    fake().arguments.clear();
    renderer.outputMap = true;
    renderer.imageRadius = 3.0F; // read at the time of the run
    renderer.render(nullptr, frame.data(), frame.size() * sizeof(float));
    const std::vector<size_t> imageSizes = distortionImageSizes();
    EXPECT_EQ(argumentSizes(), std::vector<size_t>(imageSizes.begin() + 1, imageSizes.end()));
    EXPECT_EQ(FakeOpenCL::argumentValue<cl_float>(5), 3.0F);
    EXPECT_EQ(fake().bufferFlags.back(), cl_mem_flags{CL_MEM_WRITE_ONLY});
}

TEST_F(RendererArguments, ShadingArgumentsFollowTheBuffers) {
    ShadingRenderer renderer;
    EXPECT_EQ(fake().kernelNames, (std::vector<std::string>{"shading", "shadingMap"}));
    setUp(renderer);
    renderer.reverse = 1;
    renderer.gamma = 2.2F;
    renderer.render(frame.data(), frame.data(), frame.size() * sizeof(float));
    std::vector<size_t> sizes = distortionImageSizes();
    sizes.push_back(1);
    sizes.push_back(4);
    EXPECT_EQ(argumentSizes(), sizes);
    expectCommonArguments(2);
    EXPECT_EQ(FakeOpenCL::argumentValue<cl_uchar>(14), 1U);
    EXPECT_EQ(FakeOpenCL::argumentValue<cl_float>(15), 2.2F);

    fake().arguments.clear();
    renderer.outputMap = true;
    renderer.render(nullptr, frame.data(), frame.size() * sizeof(float));
    expectCommonArguments(1);
    EXPECT_EQ(FakeOpenCL::argumentValue<cl_uchar>(13), 1U);
    EXPECT_EQ(fake().arguments.size(), 15U);
}

TEST_F(RendererArguments, FailedRunIsWrappedAndTheNextFrameRenders) {
    DistortionRenderer renderer;
    setUp(renderer);
    renderer.frameSizeImageRadius = 20.0F;
    fake().argumentStatus[9] = CL_INVALID_ARG_SIZE;
    try {
        renderer.render(frame.data(), frame.data(), 128);
        FAIL() << "the failing argument went unnoticed";
    } catch (const NotRenderedException& error) {
        EXPECT_EQ(error.detailedDescription(),
                  "An issue did occur during execution of the distortion correction renderer.\n"
                  "Reason: Failed to set kernel specific arguments! (-51)\n"
                  "Data Size: 128 bytes\n");
    }
    // The setter stops at the first failing argument.
    EXPECT_EQ(fake().arguments.back().index, 8U);
    EXPECT_EQ(fake().buffers.created, 2);
    EXPECT_EQ(fake().buffers.released, 2);

    fake().argumentStatus.clear();
    EXPECT_NO_THROW(renderer.render(frame.data(), frame.data(), 128));
}

TEST_F(RendererArguments, ShadingLaunchFailureIsWrapped) {
    ShadingRenderer renderer;
    setUp(renderer);
    fake().launchStatus = CL_OUT_OF_RESOURCES;
    try {
        renderer.render(frame.data(), frame.data(), 128);
        FAIL() << "the failing launch went unnoticed";
    } catch (const NotRenderedException& error) {
        EXPECT_STREQ(error.what(),
                     "An issue did occur during execution of the shading correction renderer.");
        EXPECT_EQ(error.detailedDescription(),
                  "An issue did occur during execution of the shading correction renderer.\n"
                  "Reason: Failed to execute kernel! (-5)\nData Size: 128 bytes\n");
    }
    fake().launchStatus = CL_SUCCESS;
    EXPECT_NO_THROW(renderer.render(frame.data(), frame.data(), 128));
}

TEST_F(RendererArguments, InvalidRadiusStopsTheRunBeforeTheLaunch) {
    DistortionRenderer renderer;
    setUp(renderer);
    renderer.frameSizeImageRadius = 0.0F;
    EXPECT_THROW(renderer.render(frame.data(), frame.data(), 128), NotRenderedException);
    EXPECT_TRUE(fake().globalSizes.empty());
}
