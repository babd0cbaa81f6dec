#include "FakeOpenCLTest.h"

#include "renderer/OpenCLKernel.h"

#include <cstdint>
#include <vector>

using Renderer::OpenCLKernel;

namespace {

class OpenCLKernelRun : public FakeOpenCLTest {};

} // namespace

TEST_F(OpenCLKernelRun, GlobalSizeIsTheDataSizeRoundedUpToTheWorkGroup) {
    OpenCLKernel<float> kernel("source", "k", {});
    std::vector<float> data(256);
    for (const size_t size : {1000U, 1024U}) {
        kernel.execute(size, data.data(), data.data());
    }
    EXPECT_EQ(fake().globalSizes, (std::vector<size_t>{1024, 1024}));
    EXPECT_EQ(fake().localSizes, (std::vector<size_t>{256, 256}));

    // A device that reports no work-group size still gets a valid launch.
    fake().kernelWorkGroupSize = 0;
    kernel.execute(1000, data.data(), data.data());
    EXPECT_EQ(fake().globalSizes.back(), 1000U);
    EXPECT_EQ(fake().localSizes.back(), 1U);
}

// Single-precision arithmetic would fall below the data size for large frames.
TEST(OpenCLKernelWorkSize, CoversEveryFrameUpToSixteenKInIntegers) {
    const std::uint64_t maximumWidth = 16384;
    const std::uint64_t maximumHeight = 8640;
    std::vector<std::uint64_t> widths{1, 2, 3, 1919, 1920, 4095, 4096, 16383, maximumWidth};
    std::vector<std::uint64_t> heights{1, 2, 3, 1079, 1080, 2159, 8639, maximumHeight};
    for (std::uint64_t width = 5; width < maximumWidth; width += 211) {
        widths.push_back(width);
    }
    for (std::uint64_t height = 7; height < maximumHeight; height += 97) {
        heights.push_back(height);
    }
    for (const std::uint64_t local : {1U, 3U, 64U, 100U, 256U, 1000U, 1024U}) {
        for (const std::uint64_t width : widths) {
            for (const std::uint64_t height : heights) {
                const std::uint64_t size = width * height * 16;
                const std::uint64_t global = OpenCLKernel<float>::globalWorkSize(size, local);
                ASSERT_GE(global, size) << width << "x" << height << " local " << local;
                ASSERT_EQ(global % local, 0U) << width << "x" << height << " local " << local;
                ASSERT_LT(global - size, local) << width << "x" << height << " local " << local;
            }
        }
    }
}
