#include "nuke/ReadMetadataRules.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <set>
#include <string>

namespace {

// Metadata of one frame as a reader delivers it: numbers also read as text.
class FrameMetadata : public ReadMetadata {
public:
    FrameMetadata& with(const std::string& key, const std::string& value) {
        values_[key] = value;
        return *this;
    }
    FrameMetadata& with(const std::string& key, double value) {
        numbers_.insert(key);
        return with(key, std::to_string(value));
    }

    bool text(const std::string& key, std::string& value) const override {
        const auto found = values_.find(key);
        if (found == values_.end()) {
            return false;
        }
        value = found->second;
        return true;
    }
    bool number(const std::string& key, double& value) const override {
        std::string text;
        if (numbers_.count(key) == 0 || !this->text(key, text)) {
            return false;
        }
        value = std::stod(text);
        return true;
    }

private:
    std::map<std::string, std::string> values_;
    std::set<std::string> numbers_;
};

const std::string failed = "failed";

} // namespace

TEST(ReadMetadataRulesTest, ExtensionIsTheLastSuffixLowerCasedWithoutDots) {
    // A failure leaves the result as it was.
    const std::pair<const char*, std::string> cases[] = {{"/shots/A001C003.1001.MoV", "mov"},
                                                         {"/shots/clip", "unchanged"},
                                                         {"/shots.d/clip", "unchanged"},
                                                         {"/shots/clip.", "unchanged"}};
    for (const auto& path : cases) {
        std::string extension = "unchanged";
        EXPECT_EQ(ReadMetadataRules::clipFileExtension(path.first, extension),
                  path.second != "unchanged");
        EXPECT_EQ(extension, path.second) << path.first;
    }
}

TEST(ReadMetadataRulesTest, ManufacturerIsProvedByItsKeyForThatContainerOnly) {
    const struct {
        const char* key;
        const char* extension;
        const char* manufacturer;
    } cases[] = {
        {"quicktime/arri/camera/CameraClipName", "mov", "ARRI"},
        {"quicktime/arri/camera/CameraClipName", "mxf", "none"},
        {"arri/camera/CameraClipName", "mxf", "ARRI"},
        {"arri/camera/CameraClipName", "ari", "ARRI"},
        {"arri/camera/CameraClipName", "mov", "none"},
        {"exr/com.arri.camera.ArriUuid", "exr", "ARRI"},
        {"quicktime/red/camera/ClipFilename", "mov", "RED"},
        {"r3d/reel_id_full", "r3d", "RED"},
        {"quicktime/sony/bprl/mxf/umid", "mov", "Sony"},
        {"input/timecode", "mov", "none"},
    };
    for (const auto& proof : cases) {
        std::string manufacturer = "none";
        ReadMetadataRules::cameraManufacturer(FrameMetadata().with(proof.key, "x"), proof.extension,
                                              manufacturer);
        EXPECT_EQ(manufacturer, proof.manufacturer) << proof.key << " in " << proof.extension;
    }
}

// A supported camera's clip name beside the file; otherwise the sequence's base name or the file.
TEST(ReadMetadataRulesTest, ClipPathIsTheCamerasClipNameOrTheSequenceOrTheFile) {
    const char* const arriExrUuid = "exr/com.arri.camera.ArriUuid";
    const struct {
        FrameMetadata metadata;
        const char* filePath;
        std::string clipPath;
    } cases[] = {
        {FrameMetadata().with("quicktime/arri/camera/CameraClipName", "A001C003_200101_R1AB.mov"),
         "/shots/day1/renamed.mov", "/shots/day1/A001C003_200101_R1AB.mov"},
        {FrameMetadata().with("r3d/reel_id_full", "A002_C004_0101XY"),
         "/shots/A002_C004_0101XY_001.R3D", "/shots/A002_C004_0101XY"},
        // ARRI EXR frames hold the clip name under another key than the one proving ARRI.
        {FrameMetadata().with(arriExrUuid, "U"), "/shots/A001.0001.exr", failed},
        {FrameMetadata().with(arriExrUuid, "U").with("exr/interim.clip.cameraClipName", "A001C003"),
         "/shots/A001.0001.exr", "/shots/A001C003"},
        {FrameMetadata().with("arri/camera/CameraClipName", ""), "/shots/A001C003.mxf", failed},
        {FrameMetadata(), "/shots/seq/shot_v1.1001.exr", "/shots/seq/shot_v1"},
        {FrameMetadata(), "/shots/seq/plate.v2.000123.DPX", "/shots/seq/plate"},
        {FrameMetadata(), "/shots/take.mov", "/shots/take.mov"},
    };
    for (const auto& clip : cases) {
        std::string path = "none";
        const bool found = ReadMetadataRules::clipFilePath(clip.metadata, clip.filePath, path);
        EXPECT_EQ(found ? path : failed, clip.clipPath) << clip.filePath;
    }

    bool unsupported = false;
    std::string name = "unchanged";
    EXPECT_FALSE(ReadMetadataRules::originalClipFileName(FrameMetadata(), "/shots/take.mov",
                                                         unsupported, name));
    EXPECT_TRUE(unsupported);
    EXPECT_EQ(name, "unchanged");
}

// Above 30 and up to 60 fps RED counts pairs of frames, "." marking the first of a pair and ":"
// the second; the rule counts every frame. Other rates and malformed texts stay as they are.
TEST(ReadMetadataRulesTest, HighFrameRateRedTimecodesCountEveryFrame) {
    const struct {
        double rate;
        std::string timecode;
        std::string rewritten;
    } cases[] = {{48, "01:00:00.12", "01:00:00:24"},
                 {48, "01:00:00:12", "01:00:00:25"},
                 {60, "10:20:30.29", "10:20:30:58"},
                 {59.94, "00:00:00:00", "00:00:00:01"},
                 {30.5, "00:00:01.03", "00:00:01:06"},
                 {25, "01:00:00.12", "01:00:00.12"},
                 {30, "01:00:00:12", "01:00:00:12"},
                 {60.5, "01:00:00:12", "01:00:00:12"},
                 {-48, "01:00:00:12", "01:00:00:12"},
                 {48, "", ""},
                 {48, "7", "7"},
                 {48, "12", "12"},
                 {48, "01:00:00:1x", "01:00:00:1x"},
                 {48, "01:00:00.ab", "01:00:00.ab"},
                 {48, "01:00:00:", "01:00:00:"}};
    for (const auto& red : cases) {
        std::string timecode = red.timecode;
        ReadMetadataRules::modifyR3dTimecodeIfNeeded(
            FrameMetadata().with("r3d/framerate", red.rate), timecode);
        EXPECT_EQ(timecode, red.rewritten) << red.timecode << " at " << red.rate;
    }
    std::string timecode = "01:00:00.12";
    ReadMetadataRules::modifyR3dTimecodeIfNeeded(FrameMetadata(), timecode);
    EXPECT_EQ(timecode, "01:00:00.12") << "without a frame rate";
}

TEST(ReadMetadataRulesTest, FrameNumberCountsFromTheFirstFrameAndRefusesBadNumbers) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        FrameMetadata metadata;
        int firstFrame;
        long long frameNumber; // -1: refused
    } cases[] = {
        {FrameMetadata().with("input/frame", 1005.0), 1001, 4},
        {FrameMetadata().with("input/frame", 7.9), 0, 7},
        {FrameMetadata(), 1, -1},
        {FrameMetadata().with("input/frame", 1000.0), 1001, -1},
        {FrameMetadata().with("input/frame", -1.0), -5, -1},
        {FrameMetadata().with("input/frame", nan), 0, -1},
        {FrameMetadata().with("input/frame", 1e12), 0, -1},
    };
    for (const auto& frame : cases) {
        unsigned int number = 999;
        const bool found = ReadMetadataRules::frameNumber(frame.metadata, frame.firstFrame, number);
        EXPECT_EQ(found ? static_cast<long long>(number) : -1, frame.frameNumber);
        EXPECT_TRUE(found || number == 999U) << "a failure leaves the number alone";
    }
}

// The camera's timecode names the frame (RED's rewritten); image sequences of other cameras take
// the reader's timecode, other files their frame number.
TEST(ReadMetadataRulesTest, FrameIsFoundByTimecodeOrNumber) {
    const FrameMetadata arriMov = FrameMetadata()
                                      .with("quicktime/arri/camera/CameraClipName", "A001C003")
                                      .with("input/timecode", "10:00:00:05")
                                      .with("input/frame", 106.0);
    const FrameMetadata red = FrameMetadata()
                                  .with("r3d/reel_id_full", "A002_C004")
                                  .with("r3d/start_absolute_timecode", "01:00:00.12")
                                  .with("r3d/framerate", 48.0)
                                  .with("input/frame", 110.0);
    const FrameMetadata other =
        FrameMetadata().with("input/timecode", "01:02:03:04").with("input/frame", 112.0);
    const struct {
        FrameMetadata metadata;
        const char* filePath;
        std::string found; // "number timecode", or failed
    } cases[] = {
        {arriMov, "/s/A001C003.mov", "0 10:00:00:05"},
        {red, "/s/A002_C004_001.r3d", "9 01:00:00:24"},
        {other, "/s/shot.1012.exr", "0 01:02:03:04"},
        {other, "/s/take.mov", "11 "},
        {FrameMetadata().with("input/timecode", "").with("input/frame", 112.0), "/s/shot.1012.dpx",
         "11 "},
        // ARRI EXR without its timecode, no frame number, no extension.
        {FrameMetadata().with("exr/com.arri.camera.ArriUuid", "U").with("input/frame", 105.0),
         "/s/A001.0005.exr", failed},
        {FrameMetadata().with("input/timecode", "01:00:00:00"), "/s/a.exr", failed},
        {FrameMetadata().with("input/frame", 105.0), "/s/noextension", failed},
    };
    for (const auto& frame : cases) {
        unsigned int number = 999;
        std::string timecode = "unset";
        const bool found = ReadMetadataRules::frameNumberAndTimecode(frame.metadata, frame.filePath,
                                                                     101, number, timecode);
        EXPECT_EQ(found ? std::to_string(number) + " " + timecode : failed, frame.found)
            << frame.filePath;
    }
}

TEST(ReadMetadataRulesTest, FrameDataTakesTimecodesOfAtMostFifteenCharacters) {
    EXPECT_TRUE(ReadMetadataRules::timecodeFitsFrameData(""));
    EXPECT_TRUE(ReadMetadataRules::timecodeFitsFrameData(std::string(15, '1')));
    EXPECT_FALSE(ReadMetadataRules::timecodeFitsFrameData(std::string(16, '1')));
}

TEST(ReadMetadataRulesTest, EmbeddedJsonComesFromExrFramesOnly) {
    const FrameMetadata metadata = FrameMetadata().with("exr/com.velor.LensCorrection", "{}");
    std::string json;
    ASSERT_TRUE(ReadMetadataRules::jsonMetadataString(metadata, "/s/a.0001.EXR", json));
    EXPECT_EQ(json, "{}");
    EXPECT_FALSE(ReadMetadataRules::jsonMetadataString(metadata, "/s/a.mov", json));
    EXPECT_FALSE(ReadMetadataRules::jsonMetadataString(FrameMetadata(), "/s/a.exr", json));
}
