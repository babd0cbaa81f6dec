#include "CoreTestSupport.h"

#include "../renderer/PixelFrames.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace CoreTestSupport;
using PixelFrames::Frame;

namespace {

constexpr int facadeCount = 8;
constexpr int frameCount = 3;
constexpr int rounds = 6;
constexpr std::uint32_t width = 139;
constexpr std::uint32_t height = 97;

// Clip `clip` gets its own distortion and shading, so that every facade's
// output differs from every other's.
std::vector<FrameRecord> framesOfClip(int clip) {
    std::vector<FrameRecord> frames(frameCount);
    for (int index = 0; index < frameCount; ++index) {
        for (std::size_t i = 0; i < frames[index].radialDistortion.size(); ++i) {
            frames[index].radialDistortion[i] *=
                1.0F + static_cast<float>(clip) + 0.5F * static_cast<float>(index);
            frames[index].shading[i] -= static_cast<float>(clip + index) * static_cast<float>(i);
        }
    }
    return frames;
}

struct Facade {
    std::shared_ptr<SourceSettings> settings = std::make_shared<SourceSettings>();
    std::unique_ptr<Core::Core> core =
        std::make_unique<Core::Core>(std::make_unique<TestDataSource>(settings));
    std::vector<Frame> expected;
};

bool renderFrame(Facade& facade, int frame, const Frame& input, Frame& output) {
    facade.settings->frameData.frameNumber = static_cast<std::uint32_t>(frame);
    return facade.core->render(input.values.data(), output.values.data(), output.bytes());
}

} // namespace

// The renderers are shared by all facades: parameters written for one facade
// must be the ones its render uses, whatever the others do meanwhile.
TEST(CoreConcurrency, EveryFacadeGetsExactlyItsOwnPicture) {
    ClipTree tree;
    const Frame input = PixelFrames::noiseFrame(width, height, 3);
    std::vector<Facade> facades(facadeCount);
    for (int clip = 0; clip < facadeCount; ++clip) {
        const std::string stem = "C00" + std::to_string(clip);
        Facade& facade = facades[clip];
        facade.settings->clipFilePath = tree.addClip("day" + std::to_string(clip), stem,
                                                     correctionFileText(stem, framesOfClip(clip)));
        facade.settings->frameData.width = width;
        facade.settings->frameData.height = height;
        facade.settings->shading = clip % 2 == 0;
        facade.settings->distortion = true;
        facade.settings->distortionParameter.reverse = clip % 3 == 0;
        for (int frame = 0; frame < frameCount; ++frame) {
            Frame output(width, height);
            ASSERT_TRUE(renderFrame(facade, frame, input, output)) << clip << "/" << frame;
            facade.expected.push_back(output);
        }
    }
    ASSERT_NE(facades[1].expected[0].values, facades[3].expected[0].values);

    std::atomic<int> mismatches{0};
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int clip = 0; clip < facadeCount; ++clip) {
        threads.emplace_back([&, clip] {
            Facade& facade = facades[clip];
            Frame output(width, height);
            for (int round = 0; round < rounds; ++round) {
                for (int frame = 0; frame < frameCount; ++frame) {
                    if (!renderFrame(facade, frame, input, output)) {
                        ++failures;
                    } else if (output.values != facade.expected[frame].values) {
                        ++mismatches;
                    }
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(mismatches.load(), 0);
}
