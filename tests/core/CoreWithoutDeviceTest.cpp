// The facade over a fake OpenCL library: what needs no device does not wait for one, and the
// device's objects are never released from static destructors.
#include "CoreTestSupport.h"
#include "FakeOpenCL.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace CoreTestSupport;

namespace {

constexpr std::uint32_t frameWidth = 144;
constexpr std::uint32_t frameHeight = 100;

class CoreWithoutDevice : public ::testing::Test {
protected:
    void SetUp() override {
        FakeOpenCL::reset();
        clipPath = tree.addClip("day1", "A001C003",
                                correctionFileText("A001C003", {FrameRecord(), FrameRecord()}));
    }

    std::unique_ptr<Core::Core> distortionCore() const {
        auto settings = std::make_shared<SourceSettings>();
        settings->distortion = true;
        settings->clipFilePath = clipPath;
        settings->frameData.width = frameWidth;
        settings->frameData.height = frameHeight;
        return std::make_unique<Core::Core>(std::make_unique<TestDataSource>(settings));
    }

    ClipTree tree;
    std::string clipPath;
};

} // namespace

// Sizing happens on the host's main thread: it builds no OpenCL program and needs no device.
TEST_F(CoreWithoutDevice, SizesAndMapsAFrameWithoutAnyDevice) {
    FakeOpenCL::state().platforms.clear();
    const std::unique_ptr<Core::Core> core = distortionCore();
    unsigned width = 0;
    unsigned height = 0;
    ASSERT_TRUE(core->frameSize(width, height)) << briefOf(*core);
    EXPECT_GT(width, frameWidth) << "undistorting this lens widens the frame";
    Core::DistortionMapping mapping;
    ASSERT_TRUE(core->distortionMapping(mapping)) << briefOf(*core);
    EXPECT_EQ(mapping.width, frameWidth);
    EXPECT_GT(mapping.imageRadius, 0.0F);
    EXPECT_EQ(FakeOpenCL::state().programs.created, 0);
    EXPECT_TRUE(FakeOpenCL::state().calls.empty()) << FakeOpenCL::state().calls.front();

    std::vector<float> frame(frameWidth * frameHeight * 4, 0.5F);
    std::vector<float> output(frame.size());
    EXPECT_FALSE(core->render(frame.data(), output.data(), frame.size() * sizeof(float)))
        << "rendering needs a device";
}

// A node's validation never waits for another node's render: sizing does not take the lock
// that a running render holds.
TEST_F(CoreWithoutDevice, SizingDoesNotWaitForARunningRender) {
    std::promise<void> renderStarted;
    std::promise<void> renderMayFinish;
    std::shared_future<void> finish = renderMayFinish.get_future().share();
    FakeOpenCL::state().duringKernelRun = [&renderStarted, finish] {
        renderStarted.set_value();
        finish.wait();
    };
    const std::unique_ptr<Core::Core> rendering = distortionCore();
    std::vector<float> frame(frameWidth * frameHeight * 4, 0.5F);
    std::vector<float> output(frame.size());
    std::future<bool> render = std::async(std::launch::async, [&] {
        return rendering->render(frame.data(), output.data(), frame.size() * sizeof(float));
    });
    renderStarted.get_future().wait();

    const std::unique_ptr<Core::Core> validating = distortionCore();
    std::future<bool> sized = std::async(std::launch::async, [&validating] {
        unsigned width = 0;
        unsigned height = 0;
        return validating->frameSize(width, height);
    });
    // A wait this long is no timing: the render does not end before the sizing does.
    const bool sizedDuringTheRender =
        sized.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    renderMayFinish.set_value();
    EXPECT_TRUE(sizedDuringTheRender) << "the sizing waited for the render";
    EXPECT_TRUE(sized.get()) << briefOf(*validating);
    EXPECT_TRUE(render.get()) << briefOf(*rendering);
}
