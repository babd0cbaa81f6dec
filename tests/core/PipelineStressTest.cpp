#include "CoreTestSupport.h"

#include "../SanitizerBuild.h"
#include "../renderer/PixelFrames.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <array>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iostream>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace CoreTestSupport;
using PixelFrames::Frame;

namespace {

constexpr int threadCount = 16;
constexpr int framesPerThread = 200;
constexpr int clipCount = 300;
// Clips from this number on are edited, deleted and made unreadable while the
// threads render; the ones below stay as written.
constexpr int firstDisturbedClip = 150;
constexpr int recordCount = 4;
constexpr int variantCount = 2;

struct Size {
    std::uint32_t width;
    std::uint32_t height;
};
// Both within a line of the recording format's aspect ratio (4448 x 3096).
constexpr std::array<Size, 2> sizes{{{144, 100}, {72, 50}}};

// Variant 1 is the same lens with stronger distortion and shading: an edit of the file.
std::vector<FrameRecord> records(int variant) {
    std::vector<FrameRecord> frames(recordCount);
    for (int index = 0; index < recordCount; ++index) {
        const float strength =
            1.0F + 0.25F * static_cast<float>(index) + 0.5F * static_cast<float>(variant);
        for (std::size_t i = 0; i < frames[index].radialDistortion.size(); ++i) {
            frames[index].radialDistortion[i] *= strength;
            frames[index].shading[i] -= (strength - 1.0F) * static_cast<float>(i);
        }
    }
    return frames;
}

std::string stemOf(int clip) {
    return "S" + std::to_string(1000 + clip);
}

std::string dayOf(int clip) {
    return "day" + std::to_string(clip % 10);
}

long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

void requestFrame(SourceSettings& settings, const std::string& clipPath, int record,
                  const Size& size) {
    settings.clipFilePath = clipPath;
    settings.frameData.frameNumber = static_cast<std::uint32_t>(record);
    settings.frameData.width = size.width;
    settings.frameData.height = size.height;
}

// What a node asks for: one correction, whose output size it asks first, or both
// chained, for which there is no output size to ask.
enum class Correction { distortion, shading, both };
constexpr std::array<Correction, 3> corrections{Correction::distortion, Correction::shading,
                                                Correction::both};

struct Facade {
    std::shared_ptr<SourceSettings> settings = std::make_shared<SourceSettings>();
    std::unique_ptr<Core::Core> core;
    Correction correction;

    explicit Facade(Correction wanted) : correction(wanted) {
        settings->shading = correction != Correction::distortion;
        settings->distortion = correction != Correction::shading;
        core = std::make_unique<Core::Core>(std::make_unique<TestDataSource>(settings));
    }

    // The output size and the picture; false with the core's error on failure.
    bool run(const Frame& input, unsigned int& width, unsigned int& height, Frame& output) {
        width = input.width;
        height = input.height;
        if (correction != Correction::both && !core->frameSize(width, height)) {
            return false;
        }
        return core->render(input.values.data(), output.values.data(), output.bytes());
    }
};

struct Reference {
    unsigned int width = 0;
    unsigned int height = 0;
    Frame picture{1, 1};
};

// What every thread observed; read after they have joined.
struct Tally {
    std::atomic<int> untouchedRendered{0};
    std::atomic<int> disturbedRendered{0};
    std::atomic<int> failed{0};
    std::atomic<int> edits{0};
    std::mutex faultsMutex;
    std::vector<std::string> faults;

    void fault(const std::string& text) {
        const std::lock_guard<std::mutex> lock(faultsMutex);
        if (faults.size() < 20) {
            faults.push_back(text);
        }
    }
};

// Writes somewhere outside the search and moves the file into place, as a pipeline
// tool would; a file may also vanish, turn into a directory, lose its permissions or
// be overwritten in place with bytes that are no correction file.
class Editor {
public:
    explicit Editor(ClipTree& tree) : tree_(tree), staging_(tree.root() / "staging") {
        fs::create_directories(staging_);
    }

    void editOnce(std::mt19937& random) {
        const int clip =
            std::uniform_int_distribution<int>(firstDisturbedClip, clipCount - 1)(random);
        const fs::path file = tree_.correctionFile(dayOf(clip), stemOf(clip));
        boost::system::error_code ignored;
        switch (std::uniform_int_distribution<int>(0, 5)(random)) {
        case 0:
        case 1:
            replace(file,
                    correctionFileText(stemOf(clip),
                                       records(std::uniform_int_distribution<int>(0, 1)(random))));
            break;
        case 2:
            fs::remove_all(file, ignored);
            break;
        case 3:
            fs::remove_all(file, ignored);
            fs::create_directory(file, ignored);
            break;
        case 4:
            ::chmod(file.c_str(), 0);
            break;
        default: {
            std::ofstream garbage(file.string(), std::ios::binary | std::ios::trunc);
            for (int i = 0; i < 512; ++i) {
                garbage.put(static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random)));
            }
            break;
        }
        }
    }

private:
    void replace(const fs::path& file, const std::string& text) {
        const fs::path staged = staging_ / fs::unique_path("%%%%-%%%%.vlcf");
        std::ofstream(staged.string()) << text;
        boost::system::error_code ignored;
        fs::remove_all(file, ignored); // a directory put in its place
        fs::rename(staged, file, ignored);
    }

    ClipTree& tree_;
    const fs::path staging_;
};

} // namespace

// Many nodes rendering at once over more clips than the cache holds, while the
// correction files of half the clips change under them: every frame is either exactly
// the picture of a version of its file or a reported failure, the untouched clips
// always render, and memory does not grow with the number of frames.
TEST(PipelineStress, FramesRenderExactlyOrFailWithAMessageWhileFilesChange) {
    ClipTree tree;
    std::vector<std::string> clipPaths;
    clipPaths.reserve(clipCount);
    for (int clip = 0; clip < clipCount; ++clip) {
        clipPaths.push_back(
            tree.addClip(dayOf(clip), stemOf(clip), correctionFileText(stemOf(clip), records(0))));
    }

    // The picture of each correction, version, record and size, rendered alone beforehand.
    using PerSize = std::array<Reference, sizes.size()>;
    std::array<std::array<std::array<PerSize, recordCount>, variantCount>, corrections.size()>
        expected;
    const std::array<Frame, sizes.size()> inputs{PixelFrames::noiseFrame(144, 100, 11),
                                                 PixelFrames::noiseFrame(72, 50, 12)};
    std::array<std::string, variantCount> referenceClips;
    for (int variant = 0; variant < variantCount; ++variant) {
        const std::string stem = "R" + std::to_string(variant);
        referenceClips[variant] =
            tree.addClip("reference", stem, correctionFileText(stem, records(variant)));
    }
    for (std::size_t c = 0; c < corrections.size(); ++c) {
        Facade reference(corrections[c]);
        for (int variant = 0; variant < variantCount; ++variant) {
            for (int record = 0; record < recordCount; ++record) {
                for (std::size_t s = 0; s < sizes.size(); ++s) {
                    Reference& picture = expected[c][variant][record][s];
                    requestFrame(*reference.settings, referenceClips[variant], record, sizes[s]);
                    picture.picture = Frame(sizes[s].width, sizes[s].height);
                    ASSERT_TRUE(
                        reference.run(inputs[s], picture.width, picture.height, picture.picture))
                        << briefOf(*reference.core);
                }
            }
        }
        ASSERT_NE(expected[c][0][1][0].picture.values, expected[c][1][1][0].picture.values);
        ASSERT_NE(expected[c][0][1][0].picture.values, expected[c][0][2][0].picture.values);
    }

    Tally tally;
    std::atomic<int> runningThreads{0};
    std::array<long, 3> resident{};
    const auto renderRound = [&](int firstFrame, int lastFrame) {
        std::vector<std::thread> threads;
        threads.reserve(threadCount);
        runningThreads = threadCount;
        for (int t = 0; t < threadCount; ++t) {
            threads.emplace_back([&, t] {
                std::mt19937 random(static_cast<unsigned>(1000 * t + firstFrame));
                const std::size_t c = static_cast<std::size_t>(t) % corrections.size();
                Facade facade(corrections[c]);
                for (int frame = firstFrame; frame < lastFrame; ++frame) {
                    const int clip = std::uniform_int_distribution<int>(0, clipCount - 1)(random);
                    const int record =
                        std::uniform_int_distribution<int>(0, recordCount - 1)(random);
                    const std::size_t s = std::uniform_int_distribution<std::size_t>(0, 1)(random);
                    requestFrame(*facade.settings, clipPaths[clip], record, sizes[s]);
                    const bool disturbed = clip >= firstDisturbedClip;
                    const std::string label = "clip " + std::to_string(clip) + " record " +
                                              std::to_string(record) + " size " +
                                              std::to_string(s) + ": ";
                    unsigned int width = 0;
                    unsigned int height = 0;
                    Frame output(sizes[s].width, sizes[s].height);
                    const bool rendered = facade.run(inputs[s], width, height, output);
                    if (!rendered) {
                        const std::string brief = briefOf(*facade.core);
                        if (brief.empty() || detailOf(*facade.core).empty()) {
                            tally.fault(label + "failure without a message");
                        } else if (!disturbed) {
                            tally.fault(label + "untouched clip failed: " + brief);
                        }
                        ++tally.failed;
                        continue;
                    }
                    bool matches = false;
                    for (int variant = 0; variant < (disturbed ? variantCount : 1); ++variant) {
                        const Reference& picture = expected[c][variant][record][s];
                        matches = matches || (width == picture.width && height == picture.height &&
                                              output.values == picture.picture.values);
                    }
                    if (!matches) {
                        tally.fault(label + "rendered a picture of no version of its file");
                    }
                    ++(disturbed ? tally.disturbedRendered : tally.untouchedRendered);
                }
                --runningThreads;
            });
        }
        std::mt19937 random(static_cast<unsigned>(firstFrame));
        Editor editor(tree);
        while (runningThreads > 0) {
            editor.editOnce(random);
            ++tally.edits;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        for (auto& thread : threads) {
            thread.join();
        }
    };

    resident[0] = residentKilobytes();
    renderRound(0, framesPerThread / 4);
    resident[1] = residentKilobytes();
    renderRound(framesPerThread / 4, framesPerThread);
    resident[2] = residentKilobytes();

    for (const std::string& fault : tally.faults) {
        ADD_FAILURE() << fault;
    }
    const int total = tally.untouchedRendered + tally.disturbedRendered + tally.failed;
    EXPECT_EQ(total, threadCount * framesPerThread);
    // The disturbance reached the renders, in both directions.
    EXPECT_GT(tally.untouchedRendered.load(), 0);
    EXPECT_GT(tally.disturbedRendered.load(), 0);
    EXPECT_GT(tally.failed.load(), 0);
    std::cout << "rendered " << tally.untouchedRendered << " untouched and "
              << tally.disturbedRendered << " disturbed frames, " << tally.failed
              << " reported failures, " << tally.edits << " edits; resident " << resident[0] / 1024
              << " / " << resident[1] / 1024 << " / " << resident[2] / 1024 << " MiB\n";

    // Three times as many frames after the first round may not take more memory: the
    // cache holds at most 100 clips, and nothing is kept per frame.
    if (!builtWithAddressSanitizer() && !builtWithThreadSanitizer()) {
        EXPECT_LT(resident[2] - resident[1], 24 * 1024)
            << "resident memory grew from " << resident[1] << " kB to " << resident[2] << " kB";
    }
}
