#include "nuke/ReadMetadataRules.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <string>

namespace {

// Metadata of one frame as a reader delivers it.
class FrameMetadata : public ReadMetadata {
public:
    FrameMetadata& with(const std::string& key, const std::string& value) {
        texts_[key] = value;
        return *this;
    }
    FrameMetadata& with(const std::string& key, double value) {
        numbers_[key] = value;
        return *this;
    }

    bool text(const std::string& key, std::string& value) const override {
        const auto found = texts_.find(key);
        if (found != texts_.end()) {
            value = found->second;
            return true;
        }
        const auto number = numbers_.find(key);
        if (number != numbers_.end()) {
            value = std::to_string(number->second);
            return true;
        }
        return false;
    }
    bool number(const std::string& key, double& value) const override {
        const auto found = numbers_.find(key);
        if (found == numbers_.end()) {
            return false;
        }
        value = found->second;
        return true;
    }

private:
    std::map<std::string, std::string> texts_;
    std::map<std::string, double> numbers_;
};

std::string manufacturerOf(const FrameMetadata& metadata, const std::string& extension) {
    std::string manufacturer = "none";
    ReadMetadataRules::cameraManufacturer(metadata, extension, manufacturer);
    return manufacturer;
}

std::string clipPathOf(const FrameMetadata& metadata, const std::string& filePath) {
    std::string clip = "none";
    if (!ReadMetadataRules::clipFilePath(metadata, filePath, clip)) {
        return "failed";
    }
    return clip;
}

std::string r3dTimecode(double rate, std::string timecode) {
    ReadMetadataRules::modifyR3dTimecodeIfNeeded(FrameMetadata().with("r3d/framerate", rate),
                                                 timecode);
    return timecode;
}

struct FrameAndTimecode {
    bool found = false;
    unsigned int frameNumber = 999;
    std::string timecode = "unset";
};

FrameAndTimecode frameAndTimecodeOf(const FrameMetadata& metadata, const std::string& filePath,
                                    int firstFrame = 1) {
    FrameAndTimecode result;
    result.found = ReadMetadataRules::frameNumberAndTimecode(metadata, filePath, firstFrame,
                                                             result.frameNumber, result.timecode);
    return result;
}

} // namespace

TEST(ReadMetadataRulesTest, ExtensionIsTheLastSuffixLowerCasedWithoutDots) {
    std::string extension;
    ASSERT_TRUE(ReadMetadataRules::clipFileExtension("/shots/A001C003.1001.MoV", extension));
    EXPECT_EQ(extension, "mov");
    EXPECT_FALSE(ReadMetadataRules::clipFileExtension("/shots/clip", extension));
    EXPECT_FALSE(ReadMetadataRules::clipFileExtension("/shots.d/clip", extension));
    EXPECT_FALSE(ReadMetadataRules::clipFileExtension("/shots/clip.", extension));
    EXPECT_EQ(extension, "mov") << "a failure leaves the result alone";
}

TEST(ReadMetadataRulesTest, ManufacturerIsProvedByItsKeyForThatContainerOnly) {
    const FrameMetadata arriMov = FrameMetadata().with("quicktime/arri/camera/CameraClipName", "A");
    EXPECT_EQ(manufacturerOf(arriMov, "mov"), "ARRI");
    EXPECT_EQ(manufacturerOf(arriMov, "mxf"), "none");

    const FrameMetadata arriMxf = FrameMetadata().with("arri/camera/CameraClipName", "A");
    EXPECT_EQ(manufacturerOf(arriMxf, "mxf"), "ARRI");
    EXPECT_EQ(manufacturerOf(arriMxf, "ari"), "ARRI");
    EXPECT_EQ(manufacturerOf(arriMxf, "mov"), "none");

    EXPECT_EQ(manufacturerOf(FrameMetadata().with("quicktime/red/camera/ClipFilename", "R"), "mov"),
              "RED");
    EXPECT_EQ(manufacturerOf(FrameMetadata().with("quicktime/sony/bprl/mxf/umid", "U"), "mov"),
              "Sony");
    EXPECT_EQ(manufacturerOf(FrameMetadata().with("exr/com.arri.camera.ArriUuid", "U"), "exr"),
              "ARRI");
    EXPECT_EQ(manufacturerOf(FrameMetadata().with("r3d/reel_id_full", "R"), "r3d"), "RED");
    EXPECT_EQ(manufacturerOf(FrameMetadata().with("input/timecode", "01:00:00:00"), "mov"), "none");
}

TEST(ReadMetadataRulesTest, ClipPathOfASupportedCameraIsItsClipNameBesideTheFile) {
    const FrameMetadata arriMov =
        FrameMetadata().with("quicktime/arri/camera/CameraClipName", "A001C003_200101_R1AB.mov");
    EXPECT_EQ(clipPathOf(arriMov, "/shots/day1/renamed.mov"),
              "/shots/day1/A001C003_200101_R1AB.mov");

    const FrameMetadata redR3d = FrameMetadata().with("r3d/reel_id_full", "A002_C004_0101XY");
    EXPECT_EQ(clipPathOf(redR3d, "/shots/A002_C004_0101XY_001.R3D"), "/shots/A002_C004_0101XY");

    bool unsupported = true;
    std::string name;
    EXPECT_TRUE(
        ReadMetadataRules::originalClipFileName(arriMov, "/shots/renamed.mov", unsupported, name));
    EXPECT_FALSE(unsupported);
}

TEST(ReadMetadataRulesTest, SupportedCameraWithoutItsClipNameHasNoClipPath) {
    // ARRI EXR frames hold the clip name under another key than the one proving ARRI.
    FrameMetadata arriExr = FrameMetadata().with("exr/com.arri.camera.ArriUuid", "U");
    EXPECT_EQ(clipPathOf(arriExr, "/shots/A001.0001.exr"), "failed");
    EXPECT_EQ(clipPathOf(arriExr.with("exr/interim.clip.cameraClipName", "A001C003"),
                         "/shots/A001.0001.exr"),
              "/shots/A001C003");

    const FrameMetadata emptyName = FrameMetadata().with("arri/camera/CameraClipName", "");
    EXPECT_EQ(clipPathOf(emptyName, "/shots/A001C003.mxf"), "failed");
}

TEST(ReadMetadataRulesTest, ClipPathOfAnUnsupportedCameraIsTheSequenceOrTheFile) {
    const FrameMetadata none;
    EXPECT_EQ(clipPathOf(none, "/shots/seq/shot_v1.1001.exr"), "/shots/seq/shot_v1");
    EXPECT_EQ(clipPathOf(none, "/shots/seq/plate.v2.000123.DPX"), "/shots/seq/plate");
    EXPECT_EQ(clipPathOf(none, "/shots/take.mov"), "/shots/take.mov");

    bool unsupported = false;
    std::string name = "unchanged";
    EXPECT_FALSE(
        ReadMetadataRules::originalClipFileName(none, "/shots/take.mov", unsupported, name));
    EXPECT_TRUE(unsupported);
    EXPECT_EQ(name, "unchanged");
}

TEST(ReadMetadataRulesTest, HighFrameRateRedTimecodesCountEveryFrame) {
    EXPECT_EQ(r3dTimecode(48, "01:00:00.12"), "01:00:00:24");
    EXPECT_EQ(r3dTimecode(48, "01:00:00:12"), "01:00:00:25");
    EXPECT_EQ(r3dTimecode(60, "10:20:30.29"), "10:20:30:58");
    EXPECT_EQ(r3dTimecode(59.94, "00:00:00:00"), "00:00:00:01");
    EXPECT_EQ(r3dTimecode(30.5, "00:00:01.03"), "00:00:01:06");
}

TEST(ReadMetadataRulesTest, OtherRedTimecodesStayAsTheyAre) {
    EXPECT_EQ(r3dTimecode(25, "01:00:00.12"), "01:00:00.12");
    EXPECT_EQ(r3dTimecode(30, "01:00:00:12"), "01:00:00:12");
    EXPECT_EQ(r3dTimecode(60.5, "01:00:00:12"), "01:00:00:12");
    EXPECT_EQ(r3dTimecode(-48, "01:00:00:12"), "01:00:00:12");
    std::string timecode = "01:00:00.12";
    ReadMetadataRules::modifyR3dTimecodeIfNeeded(FrameMetadata(), timecode);
    EXPECT_EQ(timecode, "01:00:00.12") << "without a frame rate";
}

TEST(ReadMetadataRulesTest, MalformedRedTimecodesAreLeftAlone) {
    for (const std::string text : {"", "7", "12", "01:00:00:1x", "01:00:00.ab", "01:00:00:"}) {
        EXPECT_EQ(r3dTimecode(48, text), text);
    }
}

TEST(ReadMetadataRulesTest, FrameNumberCountsFromTheFirstFrame) {
    unsigned int frame = 999;
    ASSERT_TRUE(
        ReadMetadataRules::frameNumber(FrameMetadata().with("input/frame", 1005.0), 1001, frame));
    EXPECT_EQ(frame, 4U);
    ASSERT_TRUE(ReadMetadataRules::frameNumber(FrameMetadata().with("input/frame", 7.9), 0, frame));
    EXPECT_EQ(frame, 7U) << "truncated";

    frame = 999;
    EXPECT_FALSE(ReadMetadataRules::frameNumber(FrameMetadata(), 1, frame));
    EXPECT_FALSE(
        ReadMetadataRules::frameNumber(FrameMetadata().with("input/frame", 1000.0), 1001, frame));
    EXPECT_FALSE(
        ReadMetadataRules::frameNumber(FrameMetadata().with("input/frame", -1.0), -5, frame));
    EXPECT_FALSE(ReadMetadataRules::frameNumber(
        FrameMetadata().with("input/frame", std::numeric_limits<double>::quiet_NaN()), 0, frame));
    EXPECT_FALSE(
        ReadMetadataRules::frameNumber(FrameMetadata().with("input/frame", 1e12), 0, frame));
    EXPECT_EQ(frame, 999U) << "failures leave the number alone";
}

TEST(ReadMetadataRulesTest, CameraTimecodeIdentifiesTheFrameExceptForRed) {
    const FrameMetadata arriMov = FrameMetadata()
                                      .with("quicktime/arri/camera/CameraClipName", "A001C003")
                                      .with("input/timecode", "10:00:00:05")
                                      .with("input/frame", 106.0);
    const FrameAndTimecode arri = frameAndTimecodeOf(arriMov, "/shots/A001C003.mov", 101);
    ASSERT_TRUE(arri.found);
    EXPECT_EQ(arri.timecode, "10:00:00:05");
    EXPECT_EQ(arri.frameNumber, 0U);

    const FrameMetadata red = FrameMetadata()
                                  .with("r3d/reel_id_full", "A002_C004")
                                  .with("r3d/start_absolute_timecode", "01:00:00.12")
                                  .with("r3d/framerate", 48.0)
                                  .with("input/frame", 10.0);
    const FrameAndTimecode redClip = frameAndTimecodeOf(red, "/shots/A002_C004_001.r3d", 1);
    ASSERT_TRUE(redClip.found);
    EXPECT_EQ(redClip.timecode, "01:00:00:24");
    EXPECT_EQ(redClip.frameNumber, 9U);
}

TEST(ReadMetadataRulesTest, SequencesOfUnknownCamerasUseTheReadersTimecode) {
    const FrameMetadata withTimecode =
        FrameMetadata().with("input/timecode", "01:02:03:04").with("input/frame", 1012.0);
    const FrameAndTimecode exr = frameAndTimecodeOf(withTimecode, "/s/shot.1012.exr", 1001);
    ASSERT_TRUE(exr.found);
    EXPECT_EQ(exr.timecode, "01:02:03:04");
    EXPECT_EQ(exr.frameNumber, 0U);

    const FrameAndTimecode mov = frameAndTimecodeOf(withTimecode, "/s/take.mov", 1001);
    ASSERT_TRUE(mov.found);
    EXPECT_EQ(mov.timecode, "") << "only image sequences take the reader's timecode";
    EXPECT_EQ(mov.frameNumber, 11U);

    const FrameMetadata emptyTimecode =
        FrameMetadata().with("input/timecode", "").with("input/frame", 1012.0);
    const FrameAndTimecode dpx = frameAndTimecodeOf(emptyTimecode, "/s/shot.1012.dpx", 1001);
    ASSERT_TRUE(dpx.found);
    EXPECT_EQ(dpx.timecode, "");
    EXPECT_EQ(dpx.frameNumber, 11U);
}

TEST(ReadMetadataRulesTest, FrameLookupFailsWithoutWhatItNeeds) {
    // A supported camera whose timecode key is missing.
    const FrameMetadata arriExr =
        FrameMetadata().with("exr/com.arri.camera.ArriUuid", "U").with("input/frame", 5.0);
    EXPECT_FALSE(frameAndTimecodeOf(arriExr, "/s/A001.0005.exr").found);
    EXPECT_FALSE(
        frameAndTimecodeOf(FrameMetadata().with("input/timecode", "01:00:00:00"), "/s/a.exr").found)
        << "no frame number";
    EXPECT_FALSE(
        frameAndTimecodeOf(FrameMetadata().with("input/frame", 5.0), "/s/noextension").found);
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
