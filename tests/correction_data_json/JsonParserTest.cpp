#include "correction_data/JsonParser.h"
#include "foundation/Exception.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using CorrectionData::Frame;
using CorrectionData::Header;
using CorrectionData::JsonParser;

namespace {

const char* const invalidFormatBrief = "JSON metadata string has an invalid format.";
const std::size_t tooDeep = 1000000;

std::string jsonText(const std::string& width = "3840", const std::string& height = "2160",
                     const std::string& heights = "[0, 5, 10, 15, 18, 21.4]",
                     const std::string& shading = "[100, 99, 97, 94, 91, 88]",
                     const std::string& distortion = "[0, -0.1, -0.4, -0.9, -1.3, -1.9, -2.5]",
                     const std::string& radius = "14.0") {
    return R"({"recordingFormat": {"camera": {"manufacturer": "ARRI", "model": "ALEXA Mini LF"},
                "clipResolution": {"width": )" +
           width + R"(, "height": )" + height + R"(}, "imageRadius": )" + radius +
           R"(}, "frameData": {"interpolationPoints": {"heights": )" + heights +
           R"(, "shading": )" + shading + R"(, "radialDistortion": )" + distortion + "}}}";
}

// jsonText() with `text` inserted as members at the front of the outer object.
std::string withMembers(const std::string& text) {
    return jsonText().insert(1, text);
}

// jsonText() with the first `from` replaced by `to`.
std::string replaced(const std::string& from, const std::string& to) {
    std::string json = jsonText();
    return json.replace(json.find(from), from.size(), to);
}

// Values the parser never writes.
void fillSentinels(Header& header, Frame& frame) {
    header.lens.manufacturer = "sentinel";
    header.clip.width = 1;
    frame.number = 42;
    frame.interpolationPoints.heights = {1.0F, 2.0F};
}

} // namespace

TEST(JsonParser, ReadsTheFormatAndPointsAndResetsEveryOtherMember) {
    Header header;
    Frame frame;
    fillSentinels(header, frame);
    JsonParser::parse(jsonText(), header, frame);
    EXPECT_EQ(header.camera.manufacturer, "ARRI");
    EXPECT_EQ(header.clip.width, 3840U);
    EXPECT_EQ(header.clip.height, 2160U);
    // A 14 mm image radius over a 3840 x 2160 frame: 3840 * 14 / hypot(1920, 1080) mm.
    EXPECT_NEAR(header.camera.sensorWidth, 24.40F, 0.005F);
    EXPECT_EQ(frame.interpolationPoints.heights,
              (std::vector<float>{0.0F, 5.0F, 10.0F, 15.0F, 18.0F, 21.4F}));
    EXPECT_EQ(header.lens.manufacturer, "");
    EXPECT_EQ(frame.number, 0U);
}

TEST(JsonParser, AcceptsTheVariantsItShould) {
    const std::string seven = "[0,1,2,3,4,5,6]";
    const struct {
        const char* what;
        std::string json;
        unsigned int width;
        std::size_t heights;
    } cases[] = {
        {"seven points", jsonText("3840", "2160", seven, seven, seven), 3840, 7},
        {"numbers as strings",
         jsonText("\"4096\"", "\"2160\"", R"(["0", "5", "1", "2", "3", "4"])"), 4096, 6},
        {"extra members", withMembers(R"("version": 3, "x": {"deep": [1, {"a": null}]}, )"), 3840,
         6},
        {"moderate nesting",
         withMembers("\"deep\": " + std::string(100, '[') + std::string(100, ']') + ","), 3840, 6},
        {"brackets inside strings do not nest",
         withMembers("\"text\": \"" + std::string(tooDeep, '[') + "\\\"{\","), 3840, 6},
    };
    for (const auto& accepted : cases) {
        SCOPED_TRACE(accepted.what);
        Header header;
        Frame frame;
        JsonParser::parse(accepted.json, header, frame);
        EXPECT_EQ(header.clip.width, accepted.width);
        EXPECT_EQ(frame.interpolationPoints.heights.size(), accepted.heights);
    }
}

// Every failure throws the same brief, with a detail that says where the text
// went wrong, and leaves the caller's records as they were.
TEST(JsonParser, RejectsMalformedTextsNamingTheFaultAndLeavingTheRecordsAlone) {
    const std::string six = "[0,1,2,3,4,5]";
    const std::string width = "recordingFormat.clipResolution.width";
    const std::string heights = "frameData.interpolationPoints.heights";
    const auto syntax = [](int line) {
        return "Line Number: " + std::to_string(line) + "\nReason: \"";
    };
    const auto value = [](const std::string& key, const std::string& text, const char* reason) {
        return "Key: \"" + key + "\"\nValue: \"" + text + "\"\nReason: \"" + reason + "\"";
    };
    const char* const notWhole = "The value is not a whole number of 0 or more.";
    const char* const notNumber = "The value is not a number.";
    const std::string deeper = "Reason: \"The text nests deeper than 256 levels.\"";
    // Each text with the start of its detail.
    std::vector<std::pair<std::string, std::string>> cases = {
        // Syntax, with the line the reader stopped at.
        {"", syntax(1)},
        {"[]", "Missing Key: \"recordingFormat.camera.manufacturer\""},
        {jsonText() + "}", syntax(2)},
        {replaced(",", ""), syntax(1)},
        {std::string("\0{}", 3), syntax(1)},
        {"{\n\n  \"recordingFormat\": 1", syntax(3)},
        // Missing members.
        {replaced("\"imageRadius\"", "\"imageRadiu\""),
         "Missing Key: \"recordingFormat.imageRadius\""},
        {replaced("\"model\"", "\"Model\""), "Missing Key: \"recordingFormat.camera.model\""},
        // Values that do not convert completely.
        {jsonText("3840.5"), value(width, "3840.5", notWhole)},
        {jsonText("\"3840 px\""), value(width, "3840 px", notWhole)},
        {jsonText("3840", "true"),
         value("recordingFormat.clipResolution.height", "true", notWhole)},
        {jsonText("3840", "2160", "[0, 5, 10, 15, 18, \"x\"]"), value(heights, "x", notNumber)},
        {jsonText("3840", "2160", six, six, six, "\"fourteen\""),
         value("recordingFormat.imageRadius", "fourteen", notNumber)},
        // Nesting deeper than the limit, which must not exhaust the stack.
        {std::string(tooDeep, '['), deeper},
        {withMembers("\"deep\": " + std::string(tooDeep, '[') + std::string(tooDeep, ']') + ","),
         deeper}};
    // Point lists of other lengths than six or seven, in each of the three places.
    for (const auto& [wrong, count] :
         {std::pair<const char*, const char*>{"[0,1,2,3,4]", "5"}, {"[0,1,2,3,4,5,6,7]", "8"}}) {
        const std::string reason =
            std::string("\"\nReason: \"The list holds ") + count + " points; it needs 6 or 7.\"";
        cases.emplace_back(jsonText("3840", "2160", wrong, six, six), "Key: \"" + heights + reason);
        cases.emplace_back(jsonText("3840", "2160", six, wrong, six),
                           "Key: \"frameData.interpolationPoints.shading" + reason);
        cases.emplace_back(jsonText("3840", "2160", six, six, wrong),
                           "Key: \"frameData.interpolationPoints.radialDistortion" + reason);
    }
    for (const auto& [json, detail] : cases) {
        SCOPED_TRACE(json.substr(0, 200));
        Header header;
        Frame frame;
        fillSentinels(header, frame);
        try {
            JsonParser::parse(json, header, frame);
            ADD_FAILURE() << "parsed";
        } catch (const Exception& exception) {
            EXPECT_STREQ(exception.what(), invalidFormatBrief);
            const std::string description = exception.detailedDescription();
            EXPECT_EQ(description.rfind(std::string(invalidFormatBrief) + "\n" + detail, 0), 0U)
                << description;
            // The syntax reason is the reader's own, never empty.
            EXPECT_EQ(description.find("Reason: \"\""), std::string::npos) << description;
        }
        EXPECT_EQ(header.lens.manufacturer, "sentinel");
        EXPECT_EQ(header.clip.width, 1U);
        EXPECT_EQ(frame.number, 42U);
        EXPECT_EQ(frame.interpolationPoints.heights, (std::vector<float>{1.0F, 2.0F}));
    }
}
