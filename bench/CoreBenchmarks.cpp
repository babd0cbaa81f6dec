// The facade end to end, as a host drives it for each frame: the frame size, then the
// render, with the correction file found next to the clip.

#include "BenchmarkFiles.h"
#include "BenchmarkLens.h"

#include "core/Core.h"
#include "core/CoreDataSource.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

enum class Correction { undistortion, shadingRemoval };

// A host that asks for one correction of frame 0 of a clip, at the clip's own size.
class BenchmarkDataSource : public Core::CoreDataSource {
public:
    BenchmarkDataSource(Correction correction, std::string clipFilePath, std::uint32_t width,
                        std::uint32_t height)
        : correction_(correction), clipFilePath_(std::move(clipFilePath)), width_(width),
          height_(height) {}

    bool
    shouldPerformShadingCorrection(Core::ShadingCorrectionParameter& parameter) const override {
        parameter = {};
        return correction_ == Correction::shadingRemoval;
    }
    bool shouldPerformDistortionCorrection(
        Core::DistortionCorrectionParameter& parameter) const override {
        parameter = {};
        return correction_ == Correction::undistortion;
    }
    bool frameMetadata(char* /*buffer*/, size_t /*size*/) const override { return false; }
    bool correctionFilePath(char* /*buffer*/, size_t /*size*/) const override { return false; }
    bool clipFileName(char* /*buffer*/, size_t /*size*/) const override { return false; }
    bool clipFilePath(char* buffer, size_t size) const override {
        if (clipFilePath_.size() + 1 > size) {
            return false;
        }
        std::memcpy(buffer, clipFilePath_.c_str(), clipFilePath_.size() + 1);
        return true;
    }
    bool frameData(Core::FrameData& frameData) const override {
        frameData = {};
        frameData.width = width_;
        frameData.height = height_;
        return true;
    }
    bool recordingFormat(RecordingFormatDatabase::RecordingFormat& /*format*/) const override {
        return false;
    }

private:
    Correction correction_;
    std::string clipFilePath_;
    std::uint32_t width_;
    std::uint32_t height_;
};

std::string failureOf(const Core::Core& core) {
    std::array<char, 4096> text{};
    core.detailedErrorDescription(text.data(), text.size());
    return text.data();
}

void frameSizeAndRender(benchmark::State& state, Correction correction) {
    const auto width = static_cast<std::uint32_t>(state.range(0));
    const auto height = static_cast<std::uint32_t>(state.range(1));
    const Bench::TemporaryDirectory directory;
    const boost::filesystem::path clip = directory.path() / "A001C003.mov";
    Bench::writeFile(clip, "");
    Bench::writeFile(directory.path() / "A001C003.vlcf",
                     Bench::correctionFileText("A001C003.mov", width, height, 100));

    Core::Core core(
        std::make_unique<BenchmarkDataSource>(correction, clip.string(), width, height));
    const std::vector<float> input = Bench::testFrame(width, height);
    std::vector<float> output(input.size());
    Bench::steadyFrames(state, [&] {
        unsigned int outputWidth = 0;
        unsigned int outputHeight = 0;
        if (!core.frameSize(outputWidth, outputHeight) ||
            !core.render(input.data(), output.data(), Bench::frameBytes(width, height))) {
            state.SkipWithError(failureOf(core).c_str());
            return false;
        }
        benchmark::DoNotOptimize(output.data());
        return true;
    });
}

void undistortion(benchmark::State& state) {
    frameSizeAndRender(state, Correction::undistortion);
}

void shadingRemoval(benchmark::State& state) {
    frameSizeAndRender(state, Correction::shadingRemoval);
}

} // namespace

BENCHMARK(undistortion)->Name("Core/UndistortFrameSizeAndRender")->Apply(Bench::imageBenchmark);
BENCHMARK(shadingRemoval)
    ->Name("Core/ShadingRemovalFrameSizeAndRender")
    ->Apply(Bench::imageBenchmark);
