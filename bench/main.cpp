// Runs every benchmark, then prints each figure of the system beside its peer.
//   velor_benchmarks [Google Benchmark options, e.g. --benchmark_repetitions=5
//                    --benchmark_enable_random_interleaving=true]

#include "BenchmarkLens.h"
#include "ComparisonReporter.h"

#include <benchmark/benchmark.h>

#include <iostream>
#include <string>
#include <vector>

namespace {

std::vector<Bench::Comparison> comparisons() {
    std::vector<Bench::Comparison> list;
    for (const Bench::FrameSize& size : Bench::frameSizes) {
        const std::string frame =
            "/" + std::to_string(size.width) + "/" + std::to_string(size.height);
        const std::string remap = "OpenCV/RemapMapPerFrame" + frame;
        const std::string remapPrecomputed = "OpenCV/RemapPrecomputedMap" + frame;
        const std::string vignetting = "Lensfun/VignettingCorrection" + frame;
        const std::string floor = "Memcpy/InputAndOutput" + frame;
        const std::string transfers = "OpenCL/TransfersOnly" + frame;
        list.push_back({"Core/UndistortFrameSizeAndRender" + frame, remap});
        list.push_back({"Core/UndistortFrameSizeAndRender" + frame, remapPrecomputed});
        list.push_back({"Core/UndistortFrameSizeAndRender" + frame, floor});
        list.push_back({"Core/UndistortFrameSizeAndRender" + frame, transfers});
        list.push_back({"DistortionRenderer/Render" + frame, "GeneralProgram/Distortion" + frame});
        list.push_back({"DistortionRenderer/Render" + frame, remap});
        list.push_back({"DistortionRenderer/Render" + frame, floor});
        list.push_back({"Core/ShadingRemovalFrameSizeAndRender" + frame, vignetting});
        list.push_back({"Core/ShadingRemovalFrameSizeAndRender" + frame, floor});
        list.push_back({"Core/ShadingRemovalFrameSizeAndRender" + frame, transfers});
        list.push_back({"ShadingRenderer/Render" + frame, "GeneralProgram/Shading" + frame});
        list.push_back({"ShadingRenderer/Render" + frame, vignetting});
        list.push_back({"ShadingRenderer/Render" + frame, floor});
    }
    return list;
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    std::cout << "CPU peers and memcpy use " << Bench::threadCount() << " threads\n";
    Bench::ComparisonReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printComparisons(std::cout, comparisons());
    benchmark::Shutdown();
    return 0;
}
