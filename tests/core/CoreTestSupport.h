#pragma once

// A data source written for the tests, and correction files in a fresh
// temporary directory tree, for driving Core::Core end to end.

#include "core/Core.h"
#include "core/CoreDataSource.h"

#include <boost/filesystem.hpp>
#include <boost/optional.hpp>

#include <atomic>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace CoreTestSupport {

namespace fs = boost::filesystem;

// What the test data source answers; tests change it between requests.
struct SourceSettings {
    bool shading = false;
    bool distortion = false;
    Core::ShadingCorrectionParameter shadingParameter;
    Core::DistortionCorrectionParameter distortionParameter;
    boost::optional<std::string> correctionFilePath;
    boost::optional<std::string> clipFileName;
    boost::optional<std::string> frameMetadata;
    boost::optional<std::string> clipFilePath;
    bool frameDataDelivered = true;
    Core::FrameData frameData;
    boost::optional<RecordingFormatDatabase::RecordingFormat> recordingFormat;
    // Questions asked beyond the two correction requests.
    mutable std::atomic<int> otherQuestions{0};
};

class TestDataSource : public Core::CoreDataSource {
public:
    explicit TestDataSource(std::shared_ptr<SourceSettings> settings)
        : settings_(std::move(settings)) {}

    bool shouldPerformShadingCorrection(Core::ShadingCorrectionParameter& p) const override {
        p = settings_->shadingParameter;
        return settings_->shading;
    }
    bool shouldPerformDistortionCorrection(Core::DistortionCorrectionParameter& p) const override {
        p = settings_->distortionParameter;
        return settings_->distortion;
    }
    bool frameMetadata(char* buffer, size_t size) const override {
        return deliver(settings_->frameMetadata, buffer, size);
    }
    bool correctionFilePath(char* buffer, size_t size) const override {
        return deliver(settings_->correctionFilePath, buffer, size);
    }
    bool clipFileName(char* buffer, size_t size) const override {
        return deliver(settings_->clipFileName, buffer, size);
    }
    bool clipFilePath(char* buffer, size_t size) const override {
        return deliver(settings_->clipFilePath, buffer, size);
    }
    bool frameData(Core::FrameData& frameData) const override {
        ++settings_->otherQuestions;
        frameData = settings_->frameData;
        return settings_->frameDataDelivered;
    }
    bool recordingFormat(RecordingFormatDatabase::RecordingFormat& format) const override {
        ++settings_->otherQuestions;
        if (!settings_->recordingFormat) {
            return false;
        }
        format = *settings_->recordingFormat;
        return true;
    }

private:
    bool deliver(const boost::optional<std::string>& text, char* buffer, size_t size) const {
        ++settings_->otherQuestions;
        if (!text || text->size() + 1 > size) {
            return false;
        }
        std::memcpy(buffer, text->c_str(), text->size() + 1);
        return true;
    }

    std::shared_ptr<SourceSettings> settings_;
};

// One frame record of a correction file.
struct FrameRecord {
    std::vector<float> heights{0, 4, 8, 12, 16, 20, 24};
    std::vector<float> shading{100, 99.5F, 98, 96, 93.5F, 90, 86};
    std::vector<float> radialDistortion{0, -0.1F, -0.35F, -0.8F, -1.2F, -1.75F, -2.3F};
};

// Version 3 correction file text: clip `stem`.mov, ALEXA Mini LF open gate
// (4448 x 3096, 36.7 mm wide) at 25 fps, frames 0, 1, 2, ... from 10:00:00:00.
inline std::string correctionFileText(const std::string& stem,
                                      const std::vector<FrameRecord>& frames,
                                      const std::string& sensorWidth = "36.7",
                                      const std::string& clipWidth = "4448",
                                      const std::string& clipHeight = "3096") {
    std::ostringstream text;
    text << "# VLCF Version 3\nHEADER_START\n"
         << "lensManufacturer:=Velor Optics\nlensTypeName:=Prime 35\nlensSerialNumber:=SN-1\n"
         << "lensMinFocalLength:=35\nlensMaxFocalLength:=35\n"
         << "cameraManufacturer:=ARRI\ncameraModel:=ALEXA Mini LF\n"
         << "sensorWidth:=" << sensorWidth << "\n"
         << "clipName:=" << stem << "\nvideoFileName:=" << stem << ".mov\n"
         << "clipDurationFrames:=" << frames.size() << "\n"
         << "clipWidth:=" << clipWidth << "\nclipHeight:=" << clipHeight << "\n"
         << "tcFps:=25\ntcDrop:=0\nenableLensShadingCorrection:=1\nshadingGamma:=1\n"
         << "enableLensDistortionCorrection:=1\ndistortionZoom:=1\nHEADER_END\n"
         << "frame;heights;shading;radialDistortion;focalLength;focusDistance;iris;zoom;reserved;"
            "timecode\n";
    const auto list = [&text](const std::vector<float>& values) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            text << (i == 0 ? "" : ",") << values[i];
        }
        text << ';';
    };
    for (std::size_t number = 0; number < frames.size(); ++number) {
        text << number << ';';
        list(frames[number].heights);
        list(frames[number].shading);
        list(frames[number].radialDistortion);
        text << "35;2.5;2.8;;;10.00.00." << (number < 10 ? "0" : "") << number << "\n";
    }
    return text.str();
}

// A fresh directory tree, removed at the end:
//   root/a/b/c/d/e/<day>/<stem>.mov and root/a/b/c/d/e/<day>/lens/<stem>.vlcf
// deep enough that the correction file search never leaves it.
class ClipTree {
public:
    ClipTree() : root_(fs::temp_directory_path() / fs::unique_path("velor-core-%%%%-%%%%-%%%%")) {
        fs::create_directories(shoot());
    }
    ~ClipTree() {
        boost::system::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    ClipTree(const ClipTree&) = delete;
    ClipTree& operator=(const ClipTree&) = delete;

    fs::path shoot() const { return root_ / "a" / "b" / "c" / "d" / "e"; }
    const fs::path& root() const { return root_; }

    // Writes the clip and its correction file; returns the clip path.
    std::string addClip(const std::string& day, const std::string& stem, const std::string& text) {
        fs::create_directories(shoot() / day / "lens");
        std::ofstream(correctionFile(day, stem).string()) << text;
        std::ofstream((shoot() / day / (stem + ".mov")).string()) << "clip";
        return (shoot() / day / (stem + ".mov")).string();
    }
    fs::path correctionFile(const std::string& day, const std::string& stem) const {
        return shoot() / day / "lens" / (stem + ".vlcf");
    }

private:
    fs::path root_;
};

inline std::string briefOf(const Core::Core& core) {
    std::vector<char> buffer(4096, '\0');
    return core.briefErrorDescription(buffer.data(), buffer.size()) ? buffer.data() : "";
}

inline std::string detailOf(const Core::Core& core) {
    std::vector<char> buffer(16384, '\0');
    return core.detailedErrorDescription(buffer.data(), buffer.size()) ? buffer.data() : "";
}

} // namespace CoreTestSupport
