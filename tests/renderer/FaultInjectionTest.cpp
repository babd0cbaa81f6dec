#include "FakeOpenCLTest.h"

#include "PixelFrames.h"
#include "renderer/DistortionRenderer.h"
#include "renderer/NotRenderedException.h"
#include "renderer/ShadingRenderer.h"

#include <functional>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

using PixelFrames::Frame;

namespace {

// A renderer's life: built, frames of one size, a map, a frame of another size, gone.
// Each step either succeeds with the exact result of the fake's stand-in kernels, or
// throws an Exception with a text; nothing in between.
template <typename SomeRenderer>
class RendererLife {
public:
    struct Step {
        const char* name;
        std::function<void(RendererLife&)> action;
    };

    static std::vector<Step> steps() {
        return {
            {"build", [](RendererLife& life) { life.renderer_.emplace(); }},
            {"first frame", [](RendererLife& life) { life.renderImage(8, 4, 1); }},
            {"second frame", [](RendererLife& life) { life.renderImage(8, 4, 2); }},
            {"map", [](RendererLife& life) { life.renderMap(8, 4); }},
            {"frame of another size", [](RendererLife& life) { life.renderImage(6, 5, 3); }},
            {"frame of the first size", [](RendererLife& life) { life.renderImage(8, 4, 4); }},
            {"release", [](RendererLife& life) { life.renderer_.reset(); }},
        };
    }

private:
    SomeRenderer& prepared(std::uint32_t width, std::uint32_t height, bool map) {
        if (!renderer_) {
            throw std::logic_error("step run without a renderer");
        }
        SomeRenderer& renderer = *renderer_;
        renderer.currentWidth = width;
        renderer.currentHeight = height;
        renderer.originalWidth = 4096;
        renderer.originalHeight = 2160;
        renderer.imageRadius = 12.0F;
        renderer.coefficients = {0.0F, 1.0F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F};
        renderer.outputMap = map;
        if constexpr (std::is_same_v<SomeRenderer, Renderer::DistortionRenderer>) {
            renderer.frameSizeImageRadius = 12.0F;
        }
        return renderer;
    }

    void renderImage(std::uint32_t width, std::uint32_t height, std::uint32_t seed) {
        SomeRenderer& renderer = prepared(width, height, false);
        const Frame input = PixelFrames::noiseFrame(width, height, seed);
        Frame output(width, height);
        renderer.render(input.values.data(), output.values.data(), output.bytes());
        // The stand-in image kernel copies its input: anything else is a stale or lost frame.
        if (output.values != input.values) {
            throw std::logic_error("a frame reported as rendered is not the frame's result");
        }
    }

    void renderMap(std::uint32_t width, std::uint32_t height) {
        SomeRenderer& renderer = prepared(width, height, true);
        Frame output(width, height);
        renderer.render(nullptr, output.values.data(), output.bytes());
        for (size_t i = 0; i < output.values.size(); ++i) {
            if (output.values[i] != FakeOpenCL::mapValue(i)) {
                throw std::logic_error("a map reported as rendered is not the map's result");
            }
        }
    }

    std::optional<SomeRenderer> renderer_;
};

class FaultInjection : public FakeOpenCLTest {
protected:
    static bool isRelease(const std::string& call) { return call.rfind("clRelease", 0) == 0; }

    // For every call of a renderer's life: that call fails once. The step it falls in must
    // report it (a failing release is the only failure nobody can act on); the same step
    // run again must succeed, as must every later one; and no handle may be left over.
    template <typename SomeRenderer>
    static void injectIntoEveryCall() {
        using Life = RendererLife<SomeRenderer>;
        const auto steps = Life::steps();
        int totalCalls = 0;
        {
            Life life;
            FakeOpenCL::reset();
            for (const auto& step : steps) {
                ASSERT_NO_THROW(step.action(life)) << "undisturbed " << step.name;
            }
            totalCalls = static_cast<int>(fake().calls.size());
        }
        ASSERT_GT(totalCalls, 20);
        std::cout << "failing each of " << totalCalls << " calls once\n";

        for (int failing = 1; failing <= totalCalls; ++failing) {
            FakeOpenCL::reset();
            fake().failingCall = failing;
            Life life;
            bool reported = false;
            std::string failingCall;
            for (const auto& step : steps) {
                const size_t before = fake().calls.size();
                std::string failure;
                try {
                    step.action(life);
                } catch (const Renderer::NotRenderedException& error) {
                    failure = error.what();
                    // The detail names the OpenCL failure after the renderer's sentence.
                    EXPECT_NE(error.detailedDescription().find("Reason: Failed"), std::string::npos)
                        << error.detailedDescription();
                } catch (const Exception& error) {
                    failure = error.what();
                    EXPECT_FALSE(failure.empty()) << "call " << failing << " in " << step.name;
                } catch (const std::exception& error) {
                    ADD_FAILURE() << "call " << failing << " in step " << step.name << ": "
                                  << error.what();
                }
                const bool failedHere = before < static_cast<size_t>(failing) &&
                                        static_cast<size_t>(failing) <= fake().calls.size();
                if (failedHere) {
                    failingCall = fake().calls[failing - 1];
                }
                const bool mustReport = failedHere && !isRelease(failingCall);
                EXPECT_EQ(!failure.empty(), mustReport)
                    << "call " << failing << " (" << (failedHere ? failingCall : "elsewhere")
                    << ") in step " << step.name << ": " << failure;
                if (!failure.empty()) {
                    reported = true;
                    // The fault is gone: the same step recovers at once.
                    EXPECT_NO_THROW(step.action(life))
                        << "step " << step.name << " after call " << failing << " failed";
                }
            }
            EXPECT_EQ(reported, !isRelease(failingCall)) << "call " << failing;
            const FakeOpenCL::State& state = fake();
            EXPECT_EQ(state.contexts.created, state.contexts.released) << "call " << failing;
            EXPECT_EQ(state.queues.created, state.queues.released) << "call " << failing;
            EXPECT_EQ(state.programs.created, state.programs.released) << "call " << failing;
            EXPECT_EQ(state.kernels.created, state.kernels.released) << "call " << failing;
            EXPECT_EQ(state.buffers.created, state.buffers.released) << "call " << failing;
            EXPECT_EQ(state.invalidReleases, 0) << "call " << failing;
        }
    }
};

} // namespace

TEST_F(FaultInjection, DistortionRendererReportsEveryFailedCallAndRecovers) {
    injectIntoEveryCall<Renderer::DistortionRenderer>();
}

TEST_F(FaultInjection, ShadingRendererReportsEveryFailedCallAndRecovers) {
    injectIntoEveryCall<Renderer::ShadingRenderer>();
}

// The stand-in kernels themselves: a renderer whose fake computes nothing would make the
// checks above pass vacuously.
TEST_F(FaultInjection, StandInKernelsProduceTheirResults) {
    Renderer::ShadingRenderer renderer;
    renderer.currentWidth = 3;
    renderer.currentHeight = 2;
    renderer.originalWidth = 3;
    renderer.originalHeight = 2;
    renderer.imageRadius = 1.0F;
    renderer.coefficients = {100.0F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F};
    const Frame input = PixelFrames::noiseFrame(3, 2, 5);
    Frame output(3, 2);
    renderer.render(input.values.data(), output.values.data(), output.bytes());
    EXPECT_EQ(output.values, input.values);
    renderer.outputMap = true;
    renderer.render(nullptr, output.values.data(), output.bytes());
    EXPECT_EQ(output.values[5], 5.0F);
    EXPECT_EQ(output.values[23], 23.0F);
}
