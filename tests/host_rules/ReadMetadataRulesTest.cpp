#include "host_rules/ReadMetadataRules.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <string>

namespace {

// Metadata of one frame as a reader delivers it: numbers also read as text.
class FrameMetadata : public ReadMetadata {
public:
    FrameMetadata& with(const std::string& key, const std::string& value) {
        texts_[key] = value;
        return *this;
    }
    FrameMetadata& with(const std::string& key, double value) {
        numbers_[key] = value;
        return with(key, std::to_string(value));
    }
    bool text(const std::string& key, std::string& value) const override {
        return find(texts_, key, value);
    }
    bool number(const std::string& key, double& value) const override {
        return find(numbers_, key, value);
    }

private:
    template <class T>
    static bool find(const std::map<std::string, T>& values, const std::string& key, T& value) {
        const auto found = values.find(key);
        if (found != values.end()) {
            value = found->second;
        }
        return found != values.end();
    }
    std::map<std::string, std::string> texts_;
    std::map<std::string, double> numbers_;
};

// What a rule yields, or "failed" followed by what it left in its output.
std::string result(bool found, const std::string& output) {
    return found ? output : "failed, " + output;
}

} // namespace

TEST(ReadMetadataRulesTest, ExtensionIsTheLastSuffixLowerCasedWithoutDots) {
    const auto extension = [](const char* path) {
        std::string found = "unchanged";
        return result(ReadMetadataRules::clipFileExtension(path, found), found);
    };
    EXPECT_EQ(extension("/shots/A001C003.1001.MoV"), "mov");
    EXPECT_EQ(extension("/shots.d/clip"), "failed, unchanged");
    EXPECT_EQ(extension("/shots/clip."), "failed, unchanged");
}

TEST(ReadMetadataRulesTest, ManufacturerIsProvedByItsKeyForThatContainerOnly) {
    const auto manufacturer = [](const char* key, const char* extension) {
        std::string found = "none";
        ReadMetadataRules::cameraManufacturer(FrameMetadata().with(key, "x"), extension, found);
        return found;
    };
    EXPECT_EQ(manufacturer("quicktime/arri/camera/CameraClipName", "mov"), "ARRI");
    EXPECT_EQ(manufacturer("quicktime/arri/camera/CameraClipName", "mxf"), "none");
    EXPECT_EQ(manufacturer("arri/camera/CameraClipName", "mxf"), "ARRI");
    EXPECT_EQ(manufacturer("r3d/reel_id_full", "r3d"), "RED");
    EXPECT_EQ(manufacturer("quicktime/sony/bprl/mxf/umid", "mov"), "Sony");
    EXPECT_EQ(manufacturer("input/timecode", "mov"), "none");
}

// A supported camera's clip name beside the file; otherwise the sequence's base name or the file.
TEST(ReadMetadataRulesTest, ClipPathIsTheCamerasClipNameOrTheSequenceOrTheFile) {
    const auto clipPath = [](const FrameMetadata& metadata, const char* filePath) {
        std::string path = "none";
        return result(ReadMetadataRules::clipFilePath(metadata, filePath, path), path);
    };
    const FrameMetadata arriExr = FrameMetadata().with("exr/com.arri.camera.ArriUuid", "U");
    EXPECT_EQ(clipPath(FrameMetadata().with("quicktime/arri/camera/CameraClipName", "A001C003.mov"),
                       "/shots/day1/renamed.mov"),
              "/shots/day1/A001C003.mov");
    EXPECT_EQ(clipPath(FrameMetadata().with("r3d/reel_id_full", "A002_C004_0101XY"),
                       "/shots/A002_C004_0101XY_001.R3D"),
              "/shots/A002_C004_0101XY");
    // ARRI EXR frames hold the clip name under another key than the one proving ARRI.
    EXPECT_EQ(clipPath(arriExr, "/shots/A001.0001.exr"), "failed, none");
    EXPECT_EQ(clipPath(FrameMetadata(arriExr).with("exr/interim.clip.cameraClipName", "A001C003"),
                       "/shots/A001.0001.exr"),
              "/shots/A001C003");
    EXPECT_EQ(clipPath(FrameMetadata().with("arri/camera/CameraClipName", ""), "/shots/A.mxf"),
              "failed, none");
    EXPECT_EQ(clipPath(FrameMetadata(), "/shots/seq/shot_v1.1001.exr"), "/shots/seq/shot_v1");
    EXPECT_EQ(clipPath(FrameMetadata(), "/shots/take.mov"), "/shots/take.mov");

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
    const auto rewritten = [](const FrameMetadata& metadata, std::string timecode) {
        ReadMetadataRules::modifyR3dTimecodeIfNeeded(metadata, timecode);
        return timecode;
    };
    const auto at = [](double rate) { return FrameMetadata().with("r3d/framerate", rate); };
    EXPECT_EQ(rewritten(at(48), "01:00:00.12"), "01:00:00:24");
    EXPECT_EQ(rewritten(at(48), "01:00:00:12"), "01:00:00:25");
    EXPECT_EQ(rewritten(at(60), "10:20:30.29"), "10:20:30:58");
    EXPECT_EQ(rewritten(at(59.94), "00:00:00:00"), "00:00:00:01");
    EXPECT_EQ(rewritten(at(25), "01:00:00.12"), "01:00:00.12");
    EXPECT_EQ(rewritten(at(30), "01:00:00:12"), "01:00:00:12");
    EXPECT_EQ(rewritten(at(60.5), "01:00:00:12"), "01:00:00:12");
    EXPECT_EQ(rewritten(FrameMetadata(), "01:00:00.12"), "01:00:00.12");
    for (const char* malformed : {"", "12", "01:00:00:1x", "01:00:00:"}) {
        EXPECT_EQ(rewritten(at(48), malformed), malformed);
    }
}

TEST(ReadMetadataRulesTest, FrameNumberCountsFromTheFirstFrameAndRefusesBadNumbers) {
    const auto frameNumber = [](const FrameMetadata& metadata, int firstFrame) {
        unsigned int number = 999;
        const bool found = ReadMetadataRules::frameNumber(metadata, firstFrame, number);
        return result(found, std::to_string(number));
    };
    const auto frame = [](double number) { return FrameMetadata().with("input/frame", number); };
    EXPECT_EQ(frameNumber(frame(1005), 1001), "4");
    EXPECT_EQ(frameNumber(frame(7.9), 0), "7");
    EXPECT_EQ(frameNumber(FrameMetadata(), 1), "failed, 999");
    EXPECT_EQ(frameNumber(frame(1000), 1001), "failed, 999");
    EXPECT_EQ(frameNumber(frame(-1), -5), "failed, 999");
    EXPECT_EQ(frameNumber(frame(std::numeric_limits<double>::quiet_NaN()), 0), "failed, 999");
    EXPECT_EQ(frameNumber(frame(1e12), 0), "failed, 999");
}

// The camera's timecode names the frame (RED's rewritten); image sequences of other cameras take
// the reader's timecode, other files their frame number.
TEST(ReadMetadataRulesTest, FrameIsFoundByTimecodeOrNumber) {
    const auto found = [](const FrameMetadata& metadata, const char* filePath) {
        unsigned int number = 999;
        std::string timecode = "unset";
        return ReadMetadataRules::frameNumberAndTimecode(metadata, filePath, 101, number, timecode)
                   ? std::to_string(number) + " " + timecode
                   : "failed";
    };
    const FrameMetadata other =
        FrameMetadata().with("input/timecode", "01:02:03:04").with("input/frame", 112.0);
    EXPECT_EQ(found(FrameMetadata()
                        .with("quicktime/arri/camera/CameraClipName", "A001C003")
                        .with("input/timecode", "10:00:00:05")
                        .with("input/frame", 106.0),
                    "/s/A001C003.mov"),
              "0 10:00:00:05");
    EXPECT_EQ(found(FrameMetadata()
                        .with("r3d/reel_id_full", "A002_C004")
                        .with("r3d/start_absolute_timecode", "01:00:00.12")
                        .with("r3d/framerate", 48.0)
                        .with("input/frame", 110.0),
                    "/s/A002_C004_001.r3d"),
              "9 01:00:00:24");
    EXPECT_EQ(found(other, "/s/shot.1012.exr"), "0 01:02:03:04");
    EXPECT_EQ(found(other, "/s/take.mov"), "11 ");
    EXPECT_EQ(found(FrameMetadata(other).with("input/timecode", ""), "/s/shot.1012.dpx"), "11 ");
    // ARRI EXR without its timecode, no frame number, no extension.
    EXPECT_EQ(
        found(FrameMetadata().with("exr/com.arri.camera.ArriUuid", "U").with("input/frame", 105.0),
              "/s/A001.0005.exr"),
        "failed");
    EXPECT_EQ(found(FrameMetadata().with("input/timecode", "01:00:00:00"), "/s/a.exr"), "failed");
    EXPECT_EQ(found(FrameMetadata().with("input/frame", 105.0), "/s/noext"), "failed");
}

TEST(ReadMetadataRulesTest, FrameDataTakesShortTimecodesAndJsonFromExrFramesOnly) {
    EXPECT_TRUE(ReadMetadataRules::timecodeFitsFrameData(std::string(15, '1')));
    EXPECT_FALSE(ReadMetadataRules::timecodeFitsFrameData(std::string(16, '1')));
    const FrameMetadata metadata = FrameMetadata().with("exr/com.velor.LensCorrection", "{}");
    std::string json;
    ASSERT_TRUE(ReadMetadataRules::jsonMetadataString(metadata, "/s/a.0001.EXR", json));
    EXPECT_EQ(json, "{}");
    EXPECT_FALSE(ReadMetadataRules::jsonMetadataString(metadata, "/s/a.mov", json));
    EXPECT_FALSE(ReadMetadataRules::jsonMetadataString(FrameMetadata(), "/s/a.exr", json));
}
