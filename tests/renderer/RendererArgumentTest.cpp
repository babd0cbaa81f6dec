#include "FakeOpenCLTest.h"

#include "renderer/DistortionKernelSource.h"
#include "renderer/DistortionRenderer.h"
#include "renderer/NotRenderedException.h"
#include "renderer/ShadingKernelSource.h"
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

// Both kernels come from one build of the program, in one context.
TEST_F(RendererArguments, DistortionRendererBuildsBothKernelsOfItsProgram) {
    {
        const DistortionRenderer renderer;
        EXPECT_EQ(fake().kernelNames, (std::vector<std::string>{"distortion", "distortionMap"}));
        EXPECT_EQ(fake().programs.created, 1);
        EXPECT_EQ(fake().contexts.created, 1);
        EXPECT_EQ(fake().queues.created, 1);
    }
    EXPECT_EQ(fake().contexts.released, 1);
    EXPECT_EQ(fake().programs.released, 1);
}

TEST_F(RendererArguments, ShadingRendererBuildsBothKernelsOfItsProgram) {
    {
        const ShadingRenderer renderer;
        EXPECT_EQ(fake().programs.created, 1);
        EXPECT_EQ(fake().contexts.created, 1);
    }
    EXPECT_EQ(fake().programs.released, 1);
}

// Frames of one size reuse the buffers; another size gets new ones, and the renderer
// releases what it holds when it goes.
TEST_F(RendererArguments, BuffersStayForFramesOfTheSameSize) {
    {
        ShadingRenderer renderer;
        setUp(renderer);
        for (int run = 0; run < 3; ++run) {
            renderer.render(frame.data(), frame.data(), frame.size() * sizeof(float));
        }
        EXPECT_EQ(fake().buffers.created, 2);
        EXPECT_EQ(fake().buffers.released, 0);
        EXPECT_EQ(fake().writes, 3);
        EXPECT_EQ(fake().reads, 3);

        renderer.currentWidth = 2;
        renderer.render(frame.data(), frame.data(), frame.size() * sizeof(float) / 2);
        EXPECT_EQ(fake().buffers.created, 4);
        EXPECT_EQ(fake().buffers.released, 2);
        EXPECT_EQ(fake().bufferSizes.back(), frame.size() * sizeof(float) / 2);

        // The map has a buffer of its own, also kept.
        renderer.outputMap = true;
        renderer.render(nullptr, frame.data(), frame.size() * sizeof(float) / 2);
        renderer.render(nullptr, frame.data(), frame.size() * sizeof(float) / 2);
        EXPECT_EQ(fake().buffers.created, 5);
        EXPECT_EQ(fake().bufferFlags.back(), cl_mem_flags{CL_MEM_WRITE_ONLY});
    }
    EXPECT_EQ(fake().buffers.released, 5);
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

TEST_F(RendererArguments, InvalidRadiusStopsTheRunBeforeTheLaunch) {
    DistortionRenderer renderer;
    setUp(renderer);
    renderer.frameSizeImageRadius = 0.0F;
    EXPECT_THROW(renderer.render(frame.data(), frame.data(), 128), NotRenderedException);
    EXPECT_TRUE(fake().globalSizes.empty());
}

// GPUs and accelerators build the general programs, CPU devices the ones shaped for them.
TEST_F(RendererArguments, TheDeviceTypeChoosesTheProgramText) {
    struct Case {
        cl_device_type type;
        bool cpu;
    };
    const std::vector<Case> cases{{CL_DEVICE_TYPE_GPU, false},
                                  {CL_DEVICE_TYPE_GPU | CL_DEVICE_TYPE_DEFAULT, false},
                                  {CL_DEVICE_TYPE_ACCELERATOR, false},
                                  {CL_DEVICE_TYPE_CPU, true},
                                  {CL_DEVICE_TYPE_CPU | CL_DEVICE_TYPE_DEFAULT, true}};
    for (const Case& c : cases) {
        fake().platforms[0].devices[0].type = c.type;
        fake().programSources.clear();
        { const DistortionRenderer distortion; }
        { const ShadingRenderer shading; }
        const std::vector<std::string> expected =
            c.cpu ? std::vector<std::string>{Renderer::distortionCpuKernelSource,
                                             Renderer::shadingCpuKernelSource}
                  : std::vector<std::string>{Renderer::distortionKernelSource,
                                             Renderer::shadingKernelSource};
        EXPECT_EQ(fake().programSources, expected) << "device type " << c.type;
    }
    EXPECT_NE(std::string(Renderer::distortionKernelSource),
              std::string(Renderer::distortionCpuKernelSource));
    EXPECT_NE(std::string(Renderer::shadingKernelSource),
              std::string(Renderer::shadingCpuKernelSource));
}

// A device in host memory reads the caller's input through a read-only buffer on it,
// made for the run and gone before the output is copied out; others get a copy.
TEST_F(RendererArguments, HostMemoryDevicesReadTheInputWhereItLies) {
    for (const cl_bool unified : {CL_FALSE, CL_TRUE}) {
        FakeOpenCL::reset();
        fake().platforms[0].devices[0].hostUnifiedMemory = unified;
        ShadingRenderer renderer;
        setUp(renderer);
        for (int run = 0; run < 2; ++run) {
            renderer.render(frame.data(), frame.data(), frame.size() * sizeof(float));
        }
        const size_t bytes = frame.size() * sizeof(float);
        if (unified == CL_TRUE) {
            EXPECT_EQ(fake().writes, 0);
            EXPECT_EQ(fake().buffers.created, 3); // the output buffer stays
            EXPECT_EQ(fake().buffers.released, 2);
            EXPECT_EQ(fake().bufferFlags.back(),
                      cl_mem_flags{CL_MEM_READ_ONLY | CL_MEM_USE_HOST_PTR});
            EXPECT_EQ(fake().bufferHosts.back(), frame.data());
            EXPECT_EQ(fake().bufferSizes.back(), bytes);
        } else {
            EXPECT_EQ(fake().writes, 2);
            EXPECT_EQ(fake().buffers.created, 2);
            EXPECT_EQ(fake().bufferHosts, (std::vector<void*>{nullptr, nullptr}));
        }
        EXPECT_EQ(fake().reads, 2);
    }
}
