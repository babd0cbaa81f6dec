// The whole pipeline over any correction data: the input is a correction
// file's text or, when it starts with "{", embedded JSON metadata. A small
// plate of finite pixels is undistorted and has its shading removed through
// the core; each request must either fail with a description or give a frame
// whose every value is finite. PoCL's LLVM replaces libFuzzer's signal
// handlers, so a failed check writes the input itself, where libFuzzer would
// (-artifact_prefix), before it aborts.
#include "core/Core.h"
#include "core/FrameRequest.h"
#include "core/RequestDataSource.h"

#include <boost/filesystem.hpp>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = boost::filesystem;

constexpr std::uint32_t plateWidth = 24;
constexpr std::uint32_t plateHeight = 16;
// Larger frames are not rendered: a valid answer, but slow to check.
constexpr std::uint64_t largestRenderedPixels = std::uint64_t{1} << 20;

// A ramp with a bright corner, every value finite.
float plateValue(std::uint32_t x, std::uint32_t y, std::uint32_t channel) {
    return channel == 3 ? 1.0F
                        : static_cast<float>(x + y * plateWidth) / (plateWidth * plateHeight) +
                              (x == 0 && y == 0 ? 1000.0F : 0.0F);
}

class Workspace {
public:
    Workspace() : directory_(fs::temp_directory_path() / fs::unique_path("velor-fuzz-%%%%-%%%%")) {
        fs::create_directories(directory_);
    }
    ~Workspace() {
        boost::system::error_code ignored;
        fs::remove_all(directory_, ignored);
    }
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // A new name each time: the core's cache holds parsed files by path.
    std::string correctionFile(const std::string& text) {
        const fs::path path = directory_ / ("lens-" + std::to_string(++count_) + ".vlcf");
        std::ofstream(path.string(), std::ios::binary) << text;
        return path.string();
    }
    std::string clip() const { return (directory_ / "A001C003.mov").string(); }

private:
    fs::path directory_;
    std::uint64_t count_ = 0;
};

// Where a failing input is written, and the input being run.
std::string artifactPrefix;
std::string currentInput;

[[noreturn]] void fail(const char* what) {
    const std::string path = artifactPrefix + "pipeline-failure-" +
                             std::to_string(std::hash<std::string>()(currentInput));
    std::ofstream(path, std::ios::binary) << currentInput;
    std::fprintf(stderr, "pipeline_fuzzer: %s; input written to %s\n", what, path.c_str());
    std::abort();
}

void checkRequest(Core::Core& core, Core::FrameRequest& request) {
    request.frameData.width = plateWidth;
    request.frameData.height = plateHeight;
    unsigned int width = 0;
    unsigned int height = 0;
    std::vector<char> brief(4096);
    if (!core.frameSize(width, height)) {
        if (!core.briefErrorDescription(brief.data(), brief.size()) || brief[0] == '\0') {
            fail("a failed frame size has no description");
        }
        return;
    }
    width = std::max(width, plateWidth);
    height = std::max(height, plateHeight);
    if (std::uint64_t{width} * height > largestRenderedPixels) {
        return;
    }
    request.frameData.width = width;
    request.frameData.height = height;
    const std::uint32_t marginX = (width - plateWidth) / 2;
    const std::uint32_t marginY = (height - plateHeight) / 2;
    std::vector<float> source(std::size_t{width} * height * 4, 0.0F);
    for (std::uint32_t y = 0; y < plateHeight; ++y) {
        for (std::uint32_t x = 0; x < plateWidth; ++x) {
            for (std::uint32_t c = 0; c < 4; ++c) {
                source[((y + marginY) * std::size_t{width} + x + marginX) * 4 + c] =
                    plateValue(x, y, c);
            }
        }
    }
    std::vector<float> output(source.size(), 0.0F);
    if (!core.render(source.data(), output.data(), output.size() * sizeof(float))) {
        if (!core.briefErrorDescription(brief.data(), brief.size()) || brief[0] == '\0') {
            fail("a failed render has no description");
        }
        return;
    }
    for (const float value : output) {
        if (!std::isfinite(value)) {
            fail("a rendered frame holds a value that is not finite");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    const std::string option = "-artifact_prefix=";
    for (int index = 1; index < *argc; ++index) {
        const std::string argument = (*argv)[index];
        if (argument.rfind(option, 0) == 0) {
            artifactPrefix = argument.substr(option.size());
        }
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Workspace workspace;
    currentInput.assign(reinterpret_cast<const char*>(data), size);
    const std::string& text = currentInput;
    Core::FrameRequest request;
    request.clipFilePath = workspace.clip();
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    const bool isJson = first != std::string::npos && text[first] == '{';
    std::string file;
    if (isJson) {
        request.frameMetadata = text;
    } else {
        file = workspace.correctionFile(text);
        request.correctionFilePath = file;
    }
    request.frameDataKnown = true;
    request.frameData.frameNumber = static_cast<std::uint32_t>(size % 4);

    Core::Core core(std::make_unique<Core::RequestDataSource>(request));
    for (const Core::Correction correction :
         {Core::Correction::Undistort, Core::Correction::RemoveShading}) {
        request.ask(correction, false);
        checkRequest(core, request);
    }
    if (!file.empty()) {
        fs::remove(file);
    }
    return 0;
}
