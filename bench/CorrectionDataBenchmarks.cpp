// The correction data path: the polynomial fits, the parser on a long clip, and the
// search for a clip's correction file through a deep directory tree.

#include "BenchmarkFiles.h"
#include "BenchmarkLens.h"

#include "correction_data/Calculations.h"
#include "correction_data/Content.h"
#include "correction_file/ClipFilePathBasedFinder.h"
#include "correction_file/Parser.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

void shadingFit(benchmark::State& state) {
    const Bench::LensSamples samples;
    for (auto _ : state) {
        std::vector<float> coefficients;
        CorrectionData::Calculations::calculateCoefficients(samples.heights, samples.shading,
                                                            coefficients);
        benchmark::DoNotOptimize(coefficients.data());
    }
}

// The forward and the inverse fit that every undistorted frame needs.
void distortionFits(benchmark::State& state) {
    const Bench::LensSamples samples;
    std::vector<float> distorted;
    for (std::size_t i = 0; i < samples.heights.size(); ++i) {
        distorted.push_back(samples.heights[i] * (1.0F - samples.radialDistortion[i] / 1000.0F));
    }
    for (auto _ : state) {
        std::vector<float> forward;
        std::vector<float> inverse;
        CorrectionData::Calculations::calculateCoefficients(samples.heights, distorted, forward);
        CorrectionData::Calculations::calculateCoefficients(distorted, samples.heights, inverse);
        benchmark::DoNotOptimize(forward.data());
        benchmark::DoNotOptimize(inverse.data());
    }
}

void parser(benchmark::State& state) {
    const auto frames = static_cast<unsigned int>(state.range(0));
    const std::string text = Bench::correctionFileText("A001C003.mov", 4096, 2160, frames);
    const CorrectionFile::Parser parser;
    for (auto _ : state) {
        CorrectionData::Content content;
        parser.parse(text, content);
        benchmark::DoNotOptimize(content.frames.size());
    }
    state.counters["bytes"] = static_cast<double>(text.size());
}

// The clip lies five levels down; every level has side branches with correction files of
// other clips, and the clip's own file sits two levels below the fifth parent, the last
// place searched.
void finder(benchmark::State& state) {
    const Bench::TemporaryDirectory root;
    boost::filesystem::path level = root.path();
    for (int depth = 0; depth < 6; ++depth) {
        level /= "level" + std::to_string(depth);
        for (int branch = 0; branch < 4; ++branch) {
            const boost::filesystem::path side = level / ("side" + std::to_string(branch));
            for (int file = 0; file < 3; ++file) {
                const std::string other =
                    "B" + std::to_string(depth) + std::to_string(branch) + std::to_string(file);
                Bench::writeFile(side / (other + ".vlcf"),
                                 Bench::correctionFileText(other + ".mov", 4096, 2160, 3));
                Bench::writeFile(side / "deeper" / (other + ".vlcf"),
                                 Bench::correctionFileText(other + "X.mov", 4096, 2160, 3));
            }
        }
    }
    const boost::filesystem::path clip = level / "clip" / "A001C003.mov";
    Bench::writeFile(clip, "");
    Bench::writeFile(root.path() / "level0" / "level1" / "found" / "deeper" / "lens.vlcf",
                     Bench::correctionFileText("A001C003.mov", 4096, 2160, 3));

    const CorrectionFile::ClipFilePathBasedFinder finder(clip.string(), {1, 5, 2});
    std::string found;
    for (auto _ : state) {
        finder.find(found);
        benchmark::DoNotOptimize(found.data());
    }
    if (boost::filesystem::path(found).filename() != "lens.vlcf") {
        state.SkipWithError("the finder did not find the clip's file");
    }
}

} // namespace

BENCHMARK(shadingFit)->Name("Calculations/ShadingFit")->Unit(benchmark::kMicrosecond);
BENCHMARK(distortionFits)->Name("Calculations/DistortionFits")->Unit(benchmark::kMicrosecond);
BENCHMARK(parser)->Name("Parser/Parse")->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(finder)->Name("Finder/DeepTree")->Unit(benchmark::kMillisecond)->UseRealTime();
