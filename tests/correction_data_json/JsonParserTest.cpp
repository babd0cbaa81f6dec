#include "correction_data/JsonParser.h"
#include "foundation/Exception.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

using CorrectionData::Frame;
using CorrectionData::Header;
using CorrectionData::JsonParser;

namespace {

const char* const invalidFormatBrief = "JSON metadata string has an invalid format.";

std::string jsonText(const std::string& width = "3840", const std::string& height = "2160",
                     const std::string& heights = "[0, 5, 10, 15, 18, 21.4]",
                     const std::string& shading = "[100, 99, 97, 94, 91, 88]",
                     const std::string& distortion = "[0, -0.1, -0.4, -0.9, -1.3, -1.9, -2.5]",
                     const std::string& radius = "14.0") {
    return R"({
  "recordingFormat": {
    "camera": { "manufacturer": "ARRI", "model": "ALEXA Mini LF" },
    "clipResolution": { "width": )" +
           width + R"(, "height": )" + height + R"( },
    "imageRadius": )" +
           radius + R"(
  },
  "frameData": {
    "interpolationPoints": {
      "heights": )" +
           heights + R"(,
      "shading": )" +
           shading + R"(,
      "radialDistortion": )" +
           distortion + R"(
    }
  }
})";
}

Header sentinelHeader() {
    Header header;
    header.lens.manufacturer = "sentinel";
    header.camera.model = "sentinel";
    header.clip.width = 1;
    header.tc.fps = 25.0F;
    header.distortionCorrection.enabled = true;
    return header;
}

Frame sentinelFrame() {
    Frame frame;
    frame.number = 42;
    frame.timecode = "sentinel";
    frame.interpolationPoints.heights = {1.0F, 2.0F};
    return frame;
}

// Parses and expects the brief text of the failure; the records stay as they were.
void expectInvalid(const std::string& json) {
    Header header = sentinelHeader();
    Frame frame = sentinelFrame();
    try {
        JsonParser::parse(json, header, frame);
        ADD_FAILURE() << "parsed: " << json.substr(0, 200);
    } catch (const Exception& exception) {
        EXPECT_STREQ(exception.what(), invalidFormatBrief);
        EXPECT_EQ(exception.detailedDescription(), std::string(invalidFormatBrief) + "\n");
    }
    EXPECT_EQ(header.lens.manufacturer, "sentinel");
    EXPECT_EQ(header.camera.model, "sentinel");
    EXPECT_EQ(header.clip.width, 1U);
    EXPECT_EQ(header.tc.fps, 25.0F);
    EXPECT_TRUE(header.distortionCorrection.enabled);
    EXPECT_EQ(frame.number, 42U);
    EXPECT_EQ(frame.timecode, "sentinel");
    EXPECT_EQ(frame.interpolationPoints.heights, (std::vector<float>{1.0F, 2.0F}));
}

} // namespace

TEST(JsonParser, ReadsTheRecordingFormatAndThePoints) {
    Header header;
    Frame frame;
    JsonParser::parse(jsonText(), header, frame);
    EXPECT_EQ(header.camera.manufacturer, "ARRI");
    EXPECT_EQ(header.camera.model, "ALEXA Mini LF");
    EXPECT_EQ(header.clip.width, 3840U);
    EXPECT_EQ(header.clip.height, 2160U);
    EXPECT_EQ(frame.interpolationPoints.heights,
              (std::vector<float>{0.0F, 5.0F, 10.0F, 15.0F, 18.0F, 21.4F}));
    EXPECT_EQ(frame.interpolationPoints.shading,
              (std::vector<float>{100.0F, 99.0F, 97.0F, 94.0F, 91.0F, 88.0F}));
    EXPECT_EQ(frame.interpolationPoints.radialDistortion,
              (std::vector<float>{0.0F, -0.1F, -0.4F, -0.9F, -1.3F, -1.9F, -2.5F}));
}

TEST(JsonParser, DerivesTheSensorWidthFromTheImageRadius) {
    Header header;
    Frame frame;
    JsonParser::parse(jsonText(), header, frame);
    const float halfDiagonal = 0.5F * std::sqrt(3840.0F * 3840.0F + 2160.0F * 2160.0F);
    EXPECT_FLOAT_EQ(header.camera.sensorWidth, 3840.0F * (14.0F / halfDiagonal));
    EXPECT_NEAR(header.camera.sensorWidth, 24.40F, 0.005F);
}

TEST(JsonParser, EveryOtherMemberGetsItsDefault) {
    Header header = sentinelHeader();
    header.lens.typeName = "x";
    header.lens.minFocalLength = 5;
    header.clip.name = "x";
    header.clip.videoFileName = "x";
    header.clip.durationFrames = 5;
    header.tc.drop = true;
    header.shadingCorrection.enabled = true;
    header.shadingCorrection.gamma = 2.0F;
    header.distortionCorrection.zoom = 2.0F;
    Frame frame = sentinelFrame();
    JsonParser::parse(jsonText(), header, frame);
    EXPECT_EQ(header.lens.manufacturer, "");
    EXPECT_EQ(header.lens.typeName, "");
    EXPECT_EQ(header.lens.serialNumber, "");
    EXPECT_EQ(header.lens.minFocalLength, 0);
    EXPECT_EQ(header.lens.maxFocalLength, 0);
    EXPECT_EQ(header.clip.name, "");
    EXPECT_EQ(header.clip.videoFileName, "");
    EXPECT_EQ(header.clip.durationFrames, 0U);
    EXPECT_EQ(header.tc.fps, 0.0F);
    EXPECT_FALSE(header.tc.drop);
    EXPECT_FALSE(header.shadingCorrection.enabled);
    EXPECT_EQ(header.shadingCorrection.gamma, 0.0F);
    EXPECT_FALSE(header.distortionCorrection.enabled);
    EXPECT_EQ(header.distortionCorrection.zoom, 0.0F);
    EXPECT_EQ(frame.number, 0U);
    EXPECT_EQ(frame.timecode, "");
}

TEST(JsonParser, ArraysOfSixOrSevenAreAccepted) {
    Header header;
    Frame frame;
    JsonParser::parse(jsonText("3840", "2160", "[0,1,2,3,4,5]", "[0,1,2,3,4,5]", "[0,1,2,3,4,5,6]"),
                      header, frame);
    EXPECT_EQ(frame.interpolationPoints.heights.size(), 6U);
    EXPECT_EQ(frame.interpolationPoints.radialDistortion.size(), 7U);
    JsonParser::parse(
        jsonText("3840", "2160", "[0,1,2,3,4,5,6]", "[0,1,2,3,4,5,6]", "[0,1,2,3,4,5,6]"), header,
        frame);
    EXPECT_EQ(frame.interpolationPoints.heights.size(), 7U);
}

TEST(JsonParser, ArraysOfOtherLengthsFail) {
    const std::string six = "[0,1,2,3,4,5]";
    for (const std::string wrong : {"[0,1,2,3,4]", "[0,1,2,3,4,5,6,7]", "[]", "5"}) {
        SCOPED_TRACE(wrong);
        expectInvalid(jsonText("3840", "2160", wrong, six, six));
        expectInvalid(jsonText("3840", "2160", six, wrong, six));
        expectInvalid(jsonText("3840", "2160", six, six, wrong));
    }
}

TEST(JsonParser, MissingMembersFail) {
    expectInvalid(R"({"recordingFormat": {"camera": {"manufacturer": "ARRI", "model": "X"},
                      "clipResolution": {"width": 1, "height": 1}, "imageRadius": 1}})");
    std::string withoutRadius = jsonText();
    withoutRadius.replace(withoutRadius.find("\"imageRadius\""), 13, "\"imageRadiu\"");
    expectInvalid(withoutRadius);
    std::string withoutModel = jsonText();
    withoutModel.replace(withoutModel.find("\"model\""), 7, "\"Model\"");
    expectInvalid(withoutModel);
}

TEST(JsonParser, ExtraMembersAnywhereAreIgnored) {
    std::string json = jsonText();
    json.insert(json.find("\"camera\""), R"("extra": {"deep": [1, {"a": null}]}, )");
    json.insert(1, R"("version": 3, "frameData.x": true, )");
    json.insert(json.find("\"heights\""), R"("other": "text", )");
    Header header;
    Frame frame;
    JsonParser::parse(json, header, frame);
    EXPECT_EQ(header.clip.width, 3840U);
    EXPECT_EQ(frame.interpolationPoints.shading.size(), 6U);
}

TEST(JsonParser, NumbersWrittenAsStringsConvert) {
    Header header;
    Frame frame;
    JsonParser::parse(jsonText("\"4096\"", "\"2160\"", R"(["0", "5", "10", "15", "18", "21.4"])"),
                      header, frame);
    EXPECT_EQ(header.clip.width, 4096U);
    EXPECT_EQ(frame.interpolationPoints.heights.back(), 21.4F);
}

TEST(JsonParser, ValuesThatDoNotConvertCompletelyFail) {
    expectInvalid(jsonText("3840.5"));
    expectInvalid(jsonText("\"3840 px\""));
    expectInvalid(jsonText("3840", "\"\""));
    expectInvalid(jsonText("3840", "true"));
    expectInvalid(jsonText("3840", "2160", "[0, 5, 10, 15, 18, \"x\"]"));
    expectInvalid(jsonText("3840", "2160", "[0, 5, 10, 15, 18, [1]]"));
    expectInvalid(
        jsonText("3840", "2160", "[0, 5, 10, 15, 18, 21.4]", "[100, 99, 97, 94, 91, {}]"));
    expectInvalid(jsonText("3840", "2160", "[0, 5, 10, 15, 18, 21.4]", "[100, 99, 97, 94, 91, 88]",
                           "[0, -0.1, -0.4, -0.9, -1.3, -1.9, -2.5]", "\"fourteen\""));
}

TEST(JsonParser, SyntaxErrorsFail) {
    expectInvalid("");
    expectInvalid("{");
    expectInvalid("[]");
    expectInvalid("null");
    expectInvalid(jsonText() + "}");
    std::string missingComma = jsonText();
    missingComma.erase(missingComma.find(','), 1);
    expectInvalid(missingComma);
    expectInvalid(std::string("\0{}", 3));
}

TEST(JsonParser, DeepNestingFailsWithoutExhaustingTheStack) {
    const std::size_t depth = 1000000;
    expectInvalid(std::string(depth, '['));
    expectInvalid(std::string(depth, '[') + std::string(depth, ']'));
    std::string json = jsonText();
    json.insert(1, "\"deep\": " + std::string(depth, '[') + std::string(depth, ']') + ",");
    expectInvalid(json);
    // Brackets inside strings do not count.
    std::string inString = jsonText();
    inString.insert(1, "\"text\": \"" + std::string(depth, '[') + "\\\"{\",");
    Header header;
    Frame frame;
    JsonParser::parse(inString, header, frame);
    EXPECT_EQ(header.clip.height, 2160U);
}

TEST(JsonParser, ModerateNestingOfExtraMembersParses) {
    std::string json = jsonText();
    json.insert(1, "\"deep\": " + std::string(100, '[') + std::string(100, ']') + ",");
    Header header;
    Frame frame;
    JsonParser::parse(json, header, frame);
    EXPECT_EQ(header.clip.width, 3840U);
}

TEST(JsonParser, RandomBytesNeverEscapeAsAnythingElse) {
    std::mt19937 generator(99U);
    std::uniform_int_distribution<int> byte(0, 255);
    const std::string valid = jsonText();
    std::uniform_int_distribution<std::size_t> position(0, valid.size() - 1);
    for (int round = 0; round < 500; ++round) {
        std::string json = valid;
        for (int change = 0; change < 1 + round % 4; ++change) {
            json[position(generator)] = static_cast<char>(byte(generator));
        }
        Header header;
        Frame frame;
        try {
            JsonParser::parse(json, header, frame);
        } catch (const Exception& exception) {
            EXPECT_STREQ(exception.what(), invalidFormatBrief);
        }
    }
}

TEST(JsonParser, CallersRecordsStayUnchangedAfterAFailure) {
    expectInvalid(jsonText("3840", "2160", "[0,1,2,3,4,5]", "[0,1,2,3,4,5]", "[0,1,2,3,4,5,6,7]"));
}
