#include "BenchmarkFiles.h"

#include "BenchmarkLens.h"

#include <fstream>
#include <sstream>
#include <vector>

namespace Bench {

TemporaryDirectory::TemporaryDirectory()
    : path_(boost::filesystem::temp_directory_path() /
            boost::filesystem::unique_path("velor-bench-%%%%-%%%%-%%%%-%%%%")) {
    boost::filesystem::create_directories(path_);
}

TemporaryDirectory::~TemporaryDirectory() {
    boost::system::error_code ignored;
    boost::filesystem::remove_all(path_, ignored);
}

void writeFile(const boost::filesystem::path& path, const std::string& content) {
    boost::filesystem::create_directories(path.parent_path());
    std::ofstream file(path.string(), std::ios::binary | std::ios::trunc);
    file << content;
}

namespace {

std::string list(const std::vector<float>& values) {
    std::ostringstream text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        text << (i == 0 ? "" : ",") << values[i];
    }
    return text.str();
}

// HH.MM.SS.FF at 25 frames per second.
std::string timecodeOf(unsigned int frame) {
    const unsigned int seconds = frame / 25;
    std::ostringstream text;
    text.fill('0');
    text.width(2);
    text << 10 + seconds / 3600 << ".";
    text.width(2);
    text << seconds / 60 % 60 << ".";
    text.width(2);
    text << seconds % 60 << ".";
    text.width(2);
    text << frame % 25;
    return text.str();
}

} // namespace

std::string correctionFileText(const std::string& clipFileName, std::uint32_t clipWidth,
                               std::uint32_t clipHeight, unsigned int frames) {
    const std::string stem = boost::filesystem::path(clipFileName).stem().string();
    std::ostringstream text;
    text << "# VLCF Version 3\nHEADER_START\n"
         << "lensManufacturer:=Velor Optics\nlensTypeName:=Prime 35\nlensSerialNumber:=SN-0042\n"
         << "lensMinFocalLength:=35\nlensMaxFocalLength:=35\ncameraManufacturer:=ARRI\n"
         << "cameraModel:=ALEXA Mini LF\nsensorWidth:=" << sensorWidth << "\n"
         << "clipName:=" << stem << "\nvideoFileName:=" << clipFileName << "\n"
         << "clipDurationFrames:=" << frames << "\nclipWidth:=" << clipWidth
         << "\nclipHeight:=" << clipHeight << "\ntcFps:=25\ntcDrop:=0\n"
         << "enableLensShadingCorrection:=1\nshadingGamma:=1\n"
         << "enableLensDistortionCorrection:=1\ndistortionZoom:=1\nHEADER_END\n"
         << "frame;heights;shading;radialDistortion;focalLength;focusDistance;iris;zoom;reserved;"
            "timecode\n";
    const LensSamples samples;
    const std::string columns = list(samples.heights) + ";" + list(samples.shading) + ";" +
                                list(samples.radialDistortion) + ";35;2.5;2.8;;;";
    for (unsigned int frame = 0; frame < frames; ++frame) {
        text << frame << ";" << columns << timecodeOf(frame) << "\n";
    }
    return text.str();
}

} // namespace Bench
