#include "CorrectionFileText.h"

#include "correction_file/InvalidFormatException.h"
#include "correction_file/Parser.h"
#include "correction_file/Reader.h"

#include <boost/lexical_cast.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <vector>

using namespace CorrectionFileText;
using CorrectionData::Content;
using CorrectionData::Frame;
using CorrectionData::Header;
using CorrectionFile::InvalidFormatException;
using CorrectionFile::Parser;

namespace {

const std::string invalidFormatBrief =
    "Correction file could not be parsed due to an invalid format.";

std::string fixtureText(const std::string& name) {
    std::string text;
    CorrectionFile::Reader().readFile(std::string(VELOR_TEST_DATA_DIR) + "/correction_file/" + name,
                                      text);
    return text;
}

// Runs parse and returns the exception it throws; fails the test when it
// throws nothing.
InvalidFormatException parseFailure(const std::string& text) {
    Content content;
    try {
        Parser().parse(text, content);
    } catch (const InvalidFormatException& exception) {
        return exception;
    }
    ADD_FAILURE() << "parse did not throw";
    return InvalidFormatException("(nothing thrown)");
}

void expectReason(const std::string& text, const std::string& reason) {
    const InvalidFormatException exception = parseFailure(text);
    EXPECT_STREQ(exception.what(), invalidFormatBrief.c_str());
    EXPECT_EQ(exception.detailedDescription(), invalidFormatBrief + "\nReason: " + reason + "\n");
    EXPECT_EQ(exception.lineNumber(), 0U);
    EXPECT_EQ(exception.lineContent(), "");
}

void expectLine(const std::string& text, unsigned int lineNumber, const std::string& line) {
    const InvalidFormatException exception = parseFailure(text);
    EXPECT_EQ(exception.lineNumber(), lineNumber);
    EXPECT_EQ(exception.lineContent(), line);
    EXPECT_EQ(exception.detailedDescription(), invalidFormatBrief +
                                                   "\nLine Number: " + std::to_string(lineNumber) +
                                                   "\nLine Content: \"" + line + "\"\n");
}

Header parsedHeader(const std::map<std::string, std::string>& overrides) {
    Content content;
    Parser().parse(join(fileLines(3, {}, overrides)), content);
    return content.header;
}

std::map<unsigned int, Frame> parsedFrames(int version, const std::vector<std::string>& rows) {
    Content content;
    Parser().parse(join(fileLines(version, rows)), content);
    return content.frames;
}

void expectRowRejected(int version, const std::string& row) {
    SCOPED_TRACE(row);
    expectLine(join(fileLines(version, {row})), firstRowLineNumber, row);
}

std::vector<float> floats(const std::vector<std::string>& texts) {
    std::vector<float> values;
    for (const std::string& text : texts) {
        values.push_back(boost::lexical_cast<float>(text));
    }
    return values;
}

void expectSameHeader(const Header& lhs, const Header& rhs) {
    EXPECT_EQ(lhs.lens.manufacturer, rhs.lens.manufacturer);
    EXPECT_EQ(lhs.lens.typeName, rhs.lens.typeName);
    EXPECT_EQ(lhs.lens.serialNumber, rhs.lens.serialNumber);
    EXPECT_EQ(lhs.lens.minFocalLength, rhs.lens.minFocalLength);
    EXPECT_EQ(lhs.lens.maxFocalLength, rhs.lens.maxFocalLength);
    EXPECT_EQ(lhs.camera.manufacturer, rhs.camera.manufacturer);
    EXPECT_EQ(lhs.camera.model, rhs.camera.model);
    EXPECT_EQ(lhs.camera.sensorWidth, rhs.camera.sensorWidth);
    EXPECT_EQ(lhs.clip.name, rhs.clip.name);
    EXPECT_EQ(lhs.clip.videoFileName, rhs.clip.videoFileName);
    EXPECT_EQ(lhs.clip.durationFrames, rhs.clip.durationFrames);
    EXPECT_EQ(lhs.clip.width, rhs.clip.width);
    EXPECT_EQ(lhs.clip.height, rhs.clip.height);
    EXPECT_EQ(lhs.tc.fps, rhs.tc.fps);
    EXPECT_EQ(lhs.tc.drop, rhs.tc.drop);
    EXPECT_EQ(lhs.shadingCorrection.enabled, rhs.shadingCorrection.enabled);
    EXPECT_EQ(lhs.shadingCorrection.gamma, rhs.shadingCorrection.gamma);
    EXPECT_EQ(lhs.distortionCorrection.enabled, rhs.distortionCorrection.enabled);
    EXPECT_EQ(lhs.distortionCorrection.zoom, rhs.distortionCorrection.zoom);
}

void expectSameFrames(const std::map<unsigned int, Frame>& lhs,
                      const std::map<unsigned int, Frame>& rhs) {
    ASSERT_EQ(lhs.size(), rhs.size());
    for (auto l = lhs.begin(), r = rhs.begin(); l != lhs.end(); ++l, ++r) {
        EXPECT_EQ(l->first, r->first);
        EXPECT_EQ(l->second.number, r->second.number);
        EXPECT_EQ(l->second.interpolationPoints.heights, r->second.interpolationPoints.heights);
        EXPECT_EQ(l->second.interpolationPoints.shading, r->second.interpolationPoints.shading);
        EXPECT_EQ(l->second.interpolationPoints.radialDistortion,
                  r->second.interpolationPoints.radialDistortion);
        EXPECT_EQ(l->second.timecode, r->second.timecode);
    }
}

// A content whose every member differs from what any test file gives.
Content sentinelContent() {
    Content content;
    content.header.lens.manufacturer = "sentinel";
    content.header.clip.videoFileName = "sentinel.mov";
    content.header.clip.durationFrames = 777;
    content.header.tc.fps = 99.0F;
    content.header.tc.drop = true;
    content.header.distortionCorrection.zoom = 7.0F;
    Frame frame;
    frame.number = 42;
    frame.timecode = "sentinel";
    frame.interpolationPoints.heights = {1.0F};
    content.frames[42] = frame;
    return content;
}

void expectSentinelContent(const Content& content) {
    expectSameHeader(content.header, sentinelContent().header);
    expectSameFrames(content.frames, sentinelContent().frames);
}

} // namespace

// --- Valid files -----------------------------------------------------------

TEST(Parser, ReadsEveryHeaderMemberOfAVersion3File) {
    Content content;
    Parser().parse(fixtureText("valid_version3.vlcf"), content);
    const Header& header = content.header;
    EXPECT_EQ(header.lens.manufacturer, "Velor Optics");
    EXPECT_EQ(header.lens.typeName, "Prime 35");
    EXPECT_EQ(header.lens.serialNumber, "SN-0042");
    EXPECT_EQ(header.lens.minFocalLength, 35);
    EXPECT_EQ(header.lens.maxFocalLength, 35);
    EXPECT_EQ(header.camera.manufacturer, "ARRI");
    EXPECT_EQ(header.camera.model, "ALEXA Mini LF");
    EXPECT_EQ(header.camera.sensorWidth, 36.70F);
    EXPECT_EQ(header.clip.name, "A001C003");
    EXPECT_EQ(header.clip.videoFileName, "A001C003.mov");
    EXPECT_EQ(header.clip.durationFrames, 3U);
    EXPECT_EQ(header.clip.width, 4448U);
    EXPECT_EQ(header.clip.height, 3096U);
    EXPECT_EQ(header.tc.fps, 23.976F);
    EXPECT_FALSE(header.tc.drop);
    EXPECT_TRUE(header.shadingCorrection.enabled);
    EXPECT_EQ(header.shadingCorrection.gamma, 2.2F);
    EXPECT_TRUE(header.distortionCorrection.enabled);
    EXPECT_EQ(header.distortionCorrection.zoom, 1.05F);
}

TEST(Parser, ReadsTheFramesOfAVersion3File) {
    Content content;
    Parser().parse(fixtureText("valid_version3.vlcf"), content);
    ASSERT_EQ(content.frames.size(), 3U);
    for (unsigned int number = 0; number < 3; ++number) {
        const Frame& frame = content.frames.at(number);
        EXPECT_EQ(frame.number, number);
        EXPECT_EQ(frame.interpolationPoints.heights,
                  floats({"0", "4", "8", "12", "16", "20", "24"}));
        EXPECT_EQ(frame.interpolationPoints.shading,
                  floats({"100", "99.5", "98", "96", "93.5", "90", "86"}));
        EXPECT_EQ(frame.interpolationPoints.radialDistortion,
                  floats({"0", "-0.1", "-0.35", "-0.8", "-1.2", "-1.75", "-2.3"}));
        EXPECT_EQ(frame.timecode, "10:00:00:0" + std::to_string(number));
    }
}

TEST(Parser, GivesVersion2FramesTheFixedSixHeights) {
    Content content;
    Parser().parse(fixtureText("valid_version2.vlcf"), content);
    ASSERT_EQ(content.frames.size(), 3U);
    const Frame& frame = content.frames.at(1);
    EXPECT_EQ(frame.number, 1U);
    EXPECT_EQ(frame.interpolationPoints.heights,
              floats({"0.0", "5.0", "10.0", "15.0", "18.0", "21.4"}));
    EXPECT_EQ(frame.interpolationPoints.heights,
              (std::vector<float>{0.0F, 5.0F, 10.0F, 15.0F, 18.0F, 21.4F}));
    EXPECT_EQ(frame.interpolationPoints.shading, floats({"100", "99", "97", "94", "91", "88"}));
    EXPECT_EQ(frame.interpolationPoints.radialDistortion,
              floats({"0", "-0.1", "-0.4", "-0.9", "-1.3", "-1.9"}));
    EXPECT_EQ(frame.timecode, "10:00:00:01");
}

TEST(Parser, CrLfFixturesReallyCarryCarriageReturns) {
    EXPECT_NE(fixtureText("valid_version3_crlf.vlcf").find("\r\n"), std::string::npos);
    EXPECT_NE(fixtureText("valid_version2_crlf_without_final_line_feed.vlcf").find("\r\n"),
              std::string::npos);
    EXPECT_EQ(fixtureText("valid_version3.vlcf").find('\r'), std::string::npos);
}

TEST(Parser, CrLfFileParsesLikeLfFile) {
    Content lf;
    Content crlf;
    Parser().parse(fixtureText("valid_version3.vlcf"), lf);
    Parser().parse(fixtureText("valid_version3_crlf.vlcf"), crlf);
    expectSameHeader(crlf.header, lf.header);
    expectSameFrames(crlf.frames, lf.frames);
}

TEST(Parser, LastLineNeedsNoLineFeed) {
    Content lf;
    Content crlf;
    Parser().parse(fixtureText("valid_version2.vlcf"), lf);
    Parser().parse(fixtureText("valid_version2_crlf_without_final_line_feed.vlcf"), crlf);
    expectSameHeader(crlf.header, lf.header);
    expectSameFrames(crlf.frames, lf.frames);
    ASSERT_EQ(crlf.frames.count(2), 1U);
    EXPECT_EQ(crlf.frames.at(2).timecode, "10:00:00:02");
}

TEST(Parser, CarriageReturnInsideAValueIsRemoved) {
    const Header header =
        parsedHeader({{"cameraModel", "ALEXA\r Mini\r"}, {"clipWidth", "40\r96"}});
    EXPECT_EQ(header.camera.model, "ALEXA Mini");
    EXPECT_EQ(header.clip.width, 4096U);
}

TEST(Parser, FinalLineFeedAndEmptyRowsCreateNoFrames) {
    std::string text = join(fileLines(3, {"", version3Row("4", "x"), "", "\r", ""}));
    text += "\n\n";
    Content content;
    Parser().parse(text, content);
    ASSERT_EQ(content.frames.size(), 1U);
    EXPECT_EQ(content.frames.at(4).timecode, "x");
}

TEST(Parser, LinesBeforeTheMarkersAreIgnored) {
    std::vector<std::string> lines{"garbage", "HEADER_END", "frame;x", ":=:=:="};
    for (const std::string& line : fileLines(3, {version3Row("1", "01.00.00.00")})) {
        lines.push_back(line);
    }
    Content content;
    Parser().parse(join(lines), content);
    EXPECT_EQ(content.header.clip.videoFileName, "A001C003.mov");
    ASSERT_EQ(content.frames.size(), 1U);
    EXPECT_EQ(content.frames.at(1).timecode, "01:00:00:00");
}

TEST(Parser, HeaderBeforeTheVersionLineStillParses) {
    std::vector<std::string> lines = headerLines();
    lines.push_back("# VLCF Version 3");
    lines.push_back(version3ColumnHeader);
    lines.push_back(version3Row("2", "01.00.00.02"));
    Content content;
    Parser().parse(join(lines), content);
    EXPECT_EQ(content.header.clip.name, "A001C003");
    ASSERT_EQ(content.frames.size(), 1U);
    EXPECT_EQ(content.frames.at(2).timecode, "01:00:00:02");
}

TEST(Parser, RestOfTheColumnHeaderIsNotExamined) {
    std::vector<std::string> lines = fileLines(3, {version3Row("0", "t")});
    lines[22] = "frame;whatever:=you;like";
    Content content;
    Parser().parse(join(lines), content);
    EXPECT_EQ(content.frames.size(), 1U);
}

TEST(Parser, BodyThatEndsAfterTheColumnHeaderGivesNoFrames) {
    Content content = sentinelContent();
    std::string text = join(fileLines(3, {}));
    text.pop_back(); // the column header without a line feed
    Parser().parse(text, content);
    EXPECT_TRUE(content.frames.empty());
    EXPECT_EQ(content.header.clip.videoFileName, "A001C003.mov");
}

// --- Header entries ----------------------------------------------------------

TEST(Parser, EmptyTextValuesAreAccepted) {
    const Header header =
        parsedHeader({{"lensSerialNumber", ""}, {"lensManufacturer", ""}, {"clipName", ""}});
    EXPECT_EQ(header.lens.serialNumber, "");
    EXPECT_EQ(header.lens.manufacturer, "");
    EXPECT_EQ(header.clip.name, "");
}

TEST(Parser, TextValuesKeepTheirBlanks) {
    const Header header = parsedHeader({{"cameraModel", "  ALEXA 35 "}});
    EXPECT_EQ(header.camera.model, "  ALEXA 35 ");
}

TEST(Parser, EmptyKeyIsAcceptedAndUnknownKeysAreIgnored) {
    std::vector<std::string> lines = fileLines(3, {});
    lines.insert(lines.begin() + 2, ":=value of an empty key");
    lines.insert(lines.begin() + 2, "someFutureKey:=1");
    lines.insert(lines.begin() + 2, "tcFps :=0"); // a different key: blanks count
    Content content;
    Parser().parse(join(lines), content);
    EXPECT_EQ(content.header.tc.fps, 23.976F);
}

TEST(Parser, EmptyLinesInsideTheHeaderAreSkipped) {
    std::vector<std::string> lines = fileLines(3, {});
    lines.insert(lines.begin() + 5, "");
    lines.insert(lines.begin() + 2, "\r");
    Content content;
    Parser().parse(join(lines), content);
    EXPECT_EQ(content.header.lens.typeName, "Prime 35");
}

TEST(Parser, KeyWrittenTwiceKeepsItsFirstValue) {
    std::vector<std::string> lines = fileLines(3, {});
    lines.insert(lines.begin() + 21, "clipWidth:=1");    // after the first clipWidth
    lines.insert(lines.begin() + 21, "videoFileName:="); // an empty second value is ignored
    lines.insert(lines.begin() + 21, "tcFps:=0");        // so is an invalid one
    Content content;
    Parser().parse(join(lines), content);
    EXPECT_EQ(content.header.clip.width, 4448U);
    EXPECT_EQ(content.header.clip.videoFileName, "A001C003.mov");
    EXPECT_EQ(content.header.tc.fps, 23.976F);
}

TEST(Parser, UnsignedValuesFollowLexicalCast) {
    EXPECT_EQ(parsedHeader({{"clipWidth", "4096"}}).clip.width, 4096U);
    EXPECT_EQ(parsedHeader({{"clipWidth", "+4096"}}).clip.width, 4096U);
    EXPECT_EQ(parsedHeader({{"clipWidth", "-1"}}).clip.width, 4294967295U);
    EXPECT_EQ(parsedHeader({{"clipWidth", "4294967295"}}).clip.width, 4294967295U);
    EXPECT_EQ(parsedHeader({{"clipWidth", "4294967296"}}).clip.width, 0U);
    EXPECT_EQ(parsedHeader({{"clipWidth", " 4096"}}).clip.width, 0U);
    EXPECT_EQ(parsedHeader({{"clipWidth", "4096 "}}).clip.width, 0U);
    EXPECT_EQ(parsedHeader({{"clipHeight", ""}}).clip.height, 0U);
    EXPECT_EQ(parsedHeader({{"clipHeight", "2160.0"}}).clip.height, 0U);
    EXPECT_EQ(parsedHeader({{"clipDurationFrames", "0x10"}}).clip.durationFrames, 0U);
    EXPECT_EQ(parsedHeader({{"clipDurationFrames", "007"}}).clip.durationFrames, 7U);
}

TEST(Parser, FocalLengthsKeepTheLow16Bits) {
    EXPECT_EQ(parsedHeader({{"lensMinFocalLength", "70000"}}).lens.minFocalLength, 4464);
    EXPECT_EQ(parsedHeader({{"lensMaxFocalLength", "65536"}}).lens.maxFocalLength, 0);
    EXPECT_EQ(parsedHeader({{"lensMaxFocalLength", "-1"}}).lens.maxFocalLength, 65535);
    EXPECT_EQ(parsedHeader({{"lensMinFocalLength", "abc"}}).lens.minFocalLength, 0);
    EXPECT_EQ(parsedHeader({{"lensMinFocalLength", "4294967296"}}).lens.minFocalLength, 0);
}

TEST(Parser, FloatValuesFollowLexicalCast) {
    EXPECT_EQ(parsedHeader({{"sensorWidth", "1e-3"}}).camera.sensorWidth, 0.001F);
    EXPECT_EQ(parsedHeader({{"sensorWidth", "-2.5"}}).camera.sensorWidth, -2.5F);
    EXPECT_EQ(parsedHeader({{"sensorWidth", ".5"}}).camera.sensorWidth, 0.5F);
    EXPECT_TRUE(std::isnan(parsedHeader({{"sensorWidth", "NaN"}}).camera.sensorWidth));
    EXPECT_EQ(parsedHeader({{"shadingGamma", "-Infinity"}}).shadingCorrection.gamma,
              -std::numeric_limits<float>::infinity());
    EXPECT_EQ(parsedHeader({{"shadingGamma", "2,2"}}).shadingCorrection.gamma, 0.0F);
    EXPECT_EQ(parsedHeader({{"shadingGamma", " 2.2"}}).shadingCorrection.gamma, 0.0F);
    EXPECT_EQ(parsedHeader({{"distortionZoom", "1.05mm"}}).distortionCorrection.zoom, 0.0F);
    EXPECT_EQ(parsedHeader({{"distortionZoom", ""}}).distortionCorrection.zoom, 0.0F);
}

TEST(Parser, FlagsFollowLexicalCast) {
    const std::vector<std::pair<std::string, bool>> cases{
        {"1", true},   {"0", false},  {"01", true},    {"+1", true},     {"-0", false},
        {"001", true}, {"00", false}, {"true", false}, {"false", false}, {"2", false},
        {"-1", false}, {"", false},   {" 1", false},   {"1 ", false},    {"yes", false}};
    for (const auto& flagCase : cases) {
        SCOPED_TRACE("\"" + flagCase.first + "\"");
        const Header header = parsedHeader({{"tcDrop", flagCase.first},
                                            {"enableLensShadingCorrection", flagCase.first},
                                            {"enableLensDistortionCorrection", flagCase.first}});
        EXPECT_EQ(header.tc.drop, flagCase.second);
        EXPECT_EQ(header.shadingCorrection.enabled, flagCase.second);
        EXPECT_EQ(header.distortionCorrection.enabled, flagCase.second);
    }
}

TEST(Parser, AcceptsPositiveFrameRates) {
    EXPECT_EQ(parsedHeader({{"tcFps", "23.976"}}).tc.fps, 23.976F);
    EXPECT_EQ(parsedHeader({{"tcFps", "25"}}).tc.fps, 25.0F);
    EXPECT_EQ(parsedHeader({{"tcFps", "1e-30"}}).tc.fps, 1e-30F);
}

TEST(Parser, RefusesInvalidFrameRates) {
    for (const std::string value :
         {"0", "-0", "-25", "twenty-five", "", " 25", "25 ", "-inf", "nan", "inf"}) {
        SCOPED_TRACE("\"" + value + "\"");
        expectReason(join(fileLines(3, {}, {{"tcFps", value}})),
                     "Header entry with key \"tcFps\" does not have a valid value.");
    }
}

TEST(Parser, EmptyVideoFileNameIsAnError) {
    expectReason(fixtureText("empty_video_file_name.vlcf"),
                 "Header entry with key \"videoFileName\" does not have a value.");
}

TEST(Parser, InvalidFrameRateFixture) {
    expectReason(fixtureText("invalid_tc_fps.vlcf"),
                 "Header entry with key \"tcFps\" does not have a valid value.");
}

TEST(Parser, HeaderEntryWithoutExactlyOneSeparatorReportsItsLine) {
    expectLine(fixtureText("header_entry_without_separator_line_7.vlcf"), 7,
               "clipNameWithoutSeparator");
    expectLine(fixtureText("header_entry_with_two_separators_line_12.vlcf"), 12, "clipName:=A:=B");
    for (const std::string line : {"clipName:=A:=B", "clipName=A", "clipName:A", ":=:=", " ",
                                   "clipName: =A", "clipName:=:="}) {
        SCOPED_TRACE(line);
        std::vector<std::string> lines = fileLines(3, {});
        lines.insert(lines.begin() + 3, line);
        expectLine(join(lines), 4, line);
    }
}

TEST(Parser, HeaderEntryLineNumberCountsEveryLineAndDropsCarriageReturns) {
    std::vector<std::string> lines{"", "\r", "junk"};
    for (const std::string& line : fileLines(3, {})) {
        lines.push_back(line);
    }
    lines.insert(lines.begin() + 8, "");
    lines.insert(lines.begin() + 9, "clip\rName:=A:=B");
    expectLine(join(lines, "\r\n"), 10, "clipName:=A:=B");
}

TEST(Parser, MissingHeaderStartOrEnd) {
    expectReason(fixtureText("missing_header_start.vlcf"), "Header start could not be found.");
    expectReason(fixtureText("missing_header_end.vlcf"), "Header end could not be found.");
    // The marker lines must match exactly.
    std::vector<std::string> lines = fileLines(3, {});
    lines[1] = "HEADER_START ";
    expectReason(join(lines), "Header start could not be found.");
    lines[1] = "header_start";
    expectReason(join(lines), "Header start could not be found.");
    lines = fileLines(3, {});
    lines[21] = "HEADER_END:=x"; // an entry with the key HEADER_END
    lines.resize(22);            // and nothing after it
    expectReason(join(lines), "Header end could not be found.");
}

TEST(Parser, HeaderEndOnlyCountsAfterHeaderStart) {
    std::vector<std::string> lines{"HEADER_END"};
    for (const std::string& line : fileLines(3, {})) {
        if (line != "HEADER_END") {
            lines.push_back(line);
        }
    }
    // The block then runs into the column header, which is no entry line.
    expectLine(join(lines), 23, version3ColumnHeader);
    lines.pop_back();
    expectReason(join(lines), "Header end could not be found.");
}

TEST(Parser, EveryMandatoryKeyIsRequired) {
    ASSERT_EQ(Parser::mandatoryKeys.size(), 19U);
    for (const char* key : Parser::mandatoryKeys) {
        SCOPED_TRACE(key);
        expectReason(join(fileLines(3, {}, {}, {key})),
                     std::string("Header entry with key \"") + key + "\" was not found.\n");
    }
}

TEST(Parser, MissingKeyReasonNamesTheFirstInTableOrderAndEndsWithALineFeed) {
    expectReason(fixtureText("missing_key_tcFps.vlcf"),
                 "Header entry with key \"tcFps\" was not found.\n");
    expectReason(join(fileLines(3, {}, {}, {"distortionZoom", "clipWidth", "tcDrop"})),
                 "Header entry with key \"clipWidth\" was not found.\n");
    const InvalidFormatException exception =
        parseFailure(join(fileLines(3, {}, {}, {"lensTypeName"})));
    EXPECT_EQ(exception.detailedDescription(),
              invalidFormatBrief +
                  "\nReason: Header entry with key \"lensTypeName\" was not found.\n\n");
}

TEST(Parser, KeysAreCaseSensitive) {
    std::vector<std::string> lines = fileLines(3, {}, {}, {"clipWidth"});
    lines.insert(lines.begin() + 3, "ClipWidth:=4096");
    lines.insert(lines.begin() + 3, "clipwidth:=4096");
    expectReason(join(lines), "Header entry with key \"clipWidth\" was not found.\n");
}

TEST(Parser, HeaderErrorsComeBeforeBodyErrors) {
    std::vector<std::string> lines = fileLines(4, {"not a row"}, {{"tcFps", "0"}});
    expectReason(join(lines), "Header entry with key \"tcFps\" does not have a valid value.");
}

// --- parseHeader alone ---------------------------------------------------------

TEST(Parser, ParseHeaderIgnoresTheBody) {
    Header header;
    Parser().parseHeader(join(headerLines()), header);
    EXPECT_EQ(header.clip.videoFileName, "A001C003.mov");
    Parser().parseHeader(join(fileLines(7, {"garbage"})), header);
    EXPECT_EQ(header.clip.videoFileName, "A001C003.mov");
}

TEST(Parser, ParseHeaderKeepsWhatItWroteBeforeAnEmptyVideoFileName) {
    Header header = sentinelContent().header;
    header.clip.durationFrames = 777;
    header.clip.width = 777;
    EXPECT_THROW(Parser().parseHeader(fixtureText("empty_video_file_name.vlcf"), header),
                 InvalidFormatException);
    // Members 1 to 9 are written ...
    EXPECT_EQ(header.lens.manufacturer, "Velor Optics");
    EXPECT_EQ(header.lens.maxFocalLength, 35);
    EXPECT_EQ(header.camera.sensorWidth, 36.70F);
    EXPECT_EQ(header.clip.name, "A001C003");
    // ... the rest is not.
    EXPECT_EQ(header.clip.videoFileName, "sentinel.mov");
    EXPECT_EQ(header.clip.durationFrames, 777U);
    EXPECT_EQ(header.clip.width, 777U);
    EXPECT_EQ(header.tc.fps, 99.0F);
    EXPECT_EQ(header.distortionCorrection.zoom, 7.0F);
}

TEST(Parser, ParseHeaderKeepsWhatItWroteBeforeAnInvalidFrameRate) {
    Header header = sentinelContent().header;
    EXPECT_THROW(Parser().parseHeader(
                     join(fileLines(3, {}, {{"tcFps", "-25"}, {"clipWidth", "x"}})), header),
                 InvalidFormatException);
    EXPECT_EQ(header.clip.videoFileName, "A001C003.mov");
    EXPECT_EQ(header.clip.durationFrames, 3U);
    EXPECT_EQ(header.clip.width, 0U); // a failed conversion stores 0
    EXPECT_EQ(header.clip.height, 3096U);
    EXPECT_EQ(header.tc.fps, 99.0F); // not written
    EXPECT_TRUE(header.tc.drop);
    EXPECT_EQ(header.distortionCorrection.zoom, 7.0F);
}

TEST(Parser, ParseHeaderWritesNothingWhenAKeyIsMissing) {
    Header header = sentinelContent().header;
    EXPECT_THROW(Parser().parseHeader(join(fileLines(3, {}, {}, {"distortionZoom"})), header),
                 InvalidFormatException);
    expectSameHeader(header, sentinelContent().header);
}

// --- Body --------------------------------------------------------------------

TEST(Parser, VersionErrors) {
    expectReason(fixtureText("missing_version.vlcf"), "Version could not be found.");
    expectReason(fixtureText("unsupported_version_4.vlcf"), "Version is not supported.");
    std::vector<std::string> lines = fileLines(3, {});
    lines[0] = "# VLCF Version 3 ";
    expectReason(join(lines), "Version is not supported.");
    lines[0] = "# VLCF Version ";
    expectReason(join(lines), "Version is not supported.");
    lines[0] = "# VLCF Version 03";
    expectReason(join(lines), "Version is not supported.");
    lines[0] = "# VLCF Version3";
    expectReason(join(lines), "Version could not be found.");
    lines[0] = "# vlcf Version 3";
    expectReason(join(lines), "Version could not be found.");
}

TEST(Parser, TheFirstVersionLineCounts) {
    std::vector<std::string> lines = fileLines(3, {version3Row("0", "t")});
    lines.insert(lines.begin(), "# VLCF Version 2");
    // The version 2 line comes first, so the version 3 row is read as a
    // version 2 row, whose shading list would then have seven items.
    const InvalidFormatException exception = parseFailure(join(lines));
    EXPECT_EQ(exception.lineNumber(), firstRowLineNumber + 1);
}

TEST(Parser, MissingBodyStart) {
    expectReason(fixtureText("missing_body_start.vlcf"), "Body start could not be found.");
    std::vector<std::string> lines = fileLines(3, {});
    lines[22] = "frame";
    expectReason(join(lines), "Body start could not be found.");
    lines[22] = "Frame;heights";
    expectReason(join(lines), "Body start could not be found.");
    // The column header must come after the version line.
    lines = fileLines(3, {});
    lines.insert(lines.begin(), version3ColumnHeader);
    lines.pop_back();
    expectReason(join(lines), "Body start could not be found.");
}

TEST(Parser, HeaderAfterTheColumnHeaderIsReadAsRows) {
    std::vector<std::string> lines{"# VLCF Version 3", version3ColumnHeader};
    for (const std::string& line : headerLines()) {
        lines.push_back(line);
    }
    expectLine(join(lines), 3, "HEADER_START");
}

TEST(Parser, ColumnCounts) {
    // A version 2 row with 9 columns is accepted; in a version 3 file it is not.
    const std::string row2 = version2Row("0", "10.00.00.00");
    EXPECT_EQ(parsedFrames(2, {row2}).size(), 1U);
    expectRowRejected(3, row2);
    expectRowRejected(2, "0;100,99,97,94,91,88;0,-0.1,-0.4,-0.9,-1.3,-1.9;35;2.5;2.8;;10.00.00.00");
    expectRowRejected(3, "0;0,4,8,12,16,20,24;100,99.5,98,96,93.5,90,86;"
                         "0,-0.1,-0.35,-0.8,-1.2,-1.75,-2.3;35;2.5;2.8;;10.00.00.00");
    expectRowRejected(3, "0");
    expectRowRejected(3, ";;;;;;;;;");
    expectLine(fixtureText("row_with_too_few_columns_line_25.vlcf"), 25,
               "1;100,99,97,94,91,88;0,-0.1,-0.4,-0.9,-1.3,-1.9;35;2.5;2.8;;;10.00.00.01");
}

TEST(Parser, FurtherColumnsAreIgnored) {
    const auto frames = parsedFrames(3, {version3Row("0", "10.00.00.00") + ";extra;;more"});
    ASSERT_EQ(frames.size(), 1U);
    EXPECT_EQ(frames.at(0).timecode, "10:00:00:00");
    const auto frames2 = parsedFrames(2, {version2Row("0", "10.00.00.00") + ";"});
    EXPECT_EQ(frames2.at(0).timecode, "10:00:00:00");
}

TEST(Parser, UnreadColumnsAreNotExamined) {
    const auto frames =
        parsedFrames(3, {
                            "9;0,4,8,12,16,20,24;1,2,3,4,5,6,7;1,2,3,4,5,6,7;a;b;c;d;e;t.c",
                        });
    EXPECT_EQ(frames.at(9).timecode, "t:c");
}

TEST(Parser, FrameNumbers) {
    expectRowRejected(3, version3Row("-1", "t"));
    expectRowRejected(3, version3Row("1.0", "t"));
    expectRowRejected(3, version3Row("", "t"));
    expectRowRejected(3, version3Row(" 1", "t"));
    expectRowRejected(3, version3Row("2147483648", "t"));
    expectRowRejected(2, version2Row("x", "t"));
    const auto frames = parsedFrames(
        3, {version3Row("+7", "a"), version3Row("-0", "b"), version3Row("2147483647", "c")});
    ASSERT_EQ(frames.size(), 3U);
    EXPECT_EQ(frames.at(7).number, 7U);
    EXPECT_EQ(frames.at(0).number, 0U);
    EXPECT_EQ(frames.at(2147483647U).timecode, "c");
    EXPECT_EQ(parsedFrames(3, {version3Row("007", "a")}).at(7).number, 7U);
}

TEST(Parser, ListLengths) {
    expectRowRejected(3, version3Row("0", "t", "0,4,8,12,16,20"));
    expectRowRejected(3, version3Row("0", "t", "0,4,8,12,16,20,24,28"));
    expectRowRejected(3, version3Row("0", "t", "0,4,8,12,16,20,24", "100,99,98,97,96,95"));
    expectRowRejected(
        3, version3Row("0", "t", "0,4,8,12,16,20,24", "100,99,98,97,96,95,94", "0,0,0,0,0,0,0,0"));
    expectRowRejected(2, version2Row("0", "t", "100,99,98,97,96,95,94"));
    expectRowRejected(2, version2Row("0", "t", "100,99,98,97,96,95", "0,0,0,0,0"));
    expectRowRejected(3, version3Row("0", "t", "0,4,8,12,16,20,24,"));
    expectRowRejected(3, version3Row("0", "t", ""));
}

TEST(Parser, ListItemsMustBeFloats) {
    expectRowRejected(3, version3Row("0", "t", "0,4,8,12,16,20,x"));
    expectRowRejected(3, version3Row("0", "t", "0, 4,8,12,16,20,24"));
    expectRowRejected(3, version3Row("0", "t", "0,4,8,12,16,20,24 "));
    expectRowRejected(3, version3Row("0", "t", "0,4,,12,16,20,24"));
    expectRowRejected(3, version3Row("0", "t", "0,4,8,12,16,20,24", "100,99,98,97,96,95,9o"));
    expectRowRejected(2, version2Row("0", "t", "100,99,98,97,96,95", "0,0,0,0,0,1e"));
}

TEST(Parser, RangeChecks) {
    const std::string heights = "0,4,8,12,16,20,24";
    const std::string shading = "100,99,98,97,96,95,94";
    // Boundaries are inside.
    const auto frames = parsedFrames(3, {version3Row("0", "t", "0,0,0,0,0,100,1e2",
                                                     "0,0,0,0,0,0,100", "-100,100,0,0,0,0,-1e2")});
    EXPECT_EQ(frames.at(0).interpolationPoints.radialDistortion.front(), -100.0F);
    expectRowRejected(3, version3Row("0", "t", "-0.1,4,8,12,16,20,24"));
    expectRowRejected(3, version3Row("0", "t", "0,4,8,12,16,20,100.5"));
    expectRowRejected(3, version3Row("0", "t", "nan,4,8,12,16,20,24"));
    expectRowRejected(3, version3Row("0", "t", heights, "100.5,99,98,97,96,95,94"));
    expectRowRejected(3, version3Row("0", "t", heights, "100,99,98,97,96,95,-0.1"));
    expectRowRejected(3, version3Row("0", "t", heights, "100,99,98,97,96,95,inf"));
    expectRowRejected(3, version3Row("0", "t", heights, shading, "-100.5,0,0,0,0,0,0"));
    expectRowRejected(3, version3Row("0", "t", heights, shading, "0,0,0,0,0,0,nan"));
    expectRowRejected(3, version3Row("0", "t", heights, shading, "0,0,0,0,0,0,-inf"));
    expectRowRejected(3, version3Row("0", "t", heights, shading, "0,0,0,0,0,0,100.001"));
    expectRowRejected(2, version2Row("0", "t", "100,99,98,97,96,101"));
    expectRowRejected(2, version2Row("0", "t", "100,99,98,97,96,95", "0,0,0,0,0,-101"));
}

TEST(Parser, RejectedRowReportsItsLineWithoutCarriageReturn) {
    expectLine(fixtureText("row_with_shading_out_of_range_crlf_line_26.vlcf"), 26,
               "1;0,4,8,12,16,20,24;100,99.5,98,96,93.5,90,100.5;"
               "0,-0.1,-0.35,-0.8,-1.2,-1.75,-2.3;35;2.5;2.8;;;10.00.00.01");
}

TEST(Parser, RowLineNumbersCountSkippedLines) {
    std::vector<std::string> lines{"x", ""};
    for (const std::string& line :
         fileLines(3, {"", version3Row("0", "a"), "", "", "\r", version3Row("1", "b", "x")})) {
        lines.push_back(line);
    }
    expectLine(join(lines), 2 + firstRowLineNumber + 5, version3Row("1", "b", "x"));
}

TEST(Parser, TimecodeDotsBecomeColons) {
    const auto frames = parsedFrames(3, {version3Row("0", "10.00.00.01"), version3Row("1", ""),
                                         version3Row("2", "01:00:00.00"), version3Row("3", "..x")});
    EXPECT_EQ(frames.at(0).timecode, "10:00:00:01");
    EXPECT_EQ(frames.at(1).timecode, "");
    EXPECT_EQ(frames.at(2).timecode, "01:00:00:00");
    EXPECT_EQ(frames.at(3).timecode, "::x");
}

TEST(Parser, LaterDuplicateRowWins) {
    const auto frames = parsedFrames(3, {version3Row("5", "first"), version3Row("3", "three"),
                                         version3Row("5", "last", "0,1,2,3,4,5,6")});
    ASSERT_EQ(frames.size(), 2U);
    EXPECT_EQ(frames.begin()->first, 3U);
    EXPECT_EQ(frames.at(5).timecode, "last");
    EXPECT_EQ(frames.at(5).interpolationPoints.heights,
              floats({"0", "1", "2", "3", "4", "5", "6"}));
}

// --- What reaches the caller -----------------------------------------------------

TEST(Parser, ParseReplacesTheCallersFrames) {
    Content content = sentinelContent();
    Parser().parse(fixtureText("valid_version3.vlcf"), content);
    EXPECT_EQ(content.frames.size(), 3U);
    EXPECT_EQ(content.frames.count(42), 0U);
    EXPECT_EQ(content.header.lens.manufacturer, "Velor Optics");
}

TEST(Parser, ParseLeavesTheCallersContentUntouchedOnAnyFailure) {
    const std::vector<std::string> failingFixtures{
        "missing_header_start.vlcf",
        "missing_header_end.vlcf",
        "header_entry_without_separator_line_7.vlcf",
        "header_entry_with_two_separators_line_12.vlcf",
        "missing_key_tcFps.vlcf",
        "empty_video_file_name.vlcf",
        "invalid_tc_fps.vlcf",
        "missing_version.vlcf",
        "unsupported_version_4.vlcf",
        "missing_body_start.vlcf",
        "row_with_too_few_columns_line_25.vlcf",
        "row_with_shading_out_of_range_crlf_line_26.vlcf"};
    for (const std::string& fixture : failingFixtures) {
        SCOPED_TRACE(fixture);
        Content content = sentinelContent();
        EXPECT_THROW(Parser().parse(fixtureText(fixture), content), InvalidFormatException);
        expectSentinelContent(content);
    }
}

TEST(Parser, ParseBodyInsertsOrReplacesAndKeepsOtherNumbers) {
    std::map<unsigned int, Frame> frames = sentinelContent().frames;
    Frame old;
    old.timecode = "old";
    frames[1] = old;
    Parser().parseBody(join(fileLines(3, {version3Row("1", "new"), version3Row("2", "two")})),
                       frames);
    ASSERT_EQ(frames.size(), 3U);
    EXPECT_EQ(frames.at(1).timecode, "new");
    EXPECT_EQ(frames.at(2).timecode, "two");
    EXPECT_EQ(frames.at(42).timecode, "sentinel");
}

TEST(Parser, ParseBodyIgnoresTheHeader) {
    std::map<unsigned int, Frame> frames;
    Parser().parseBody(join({"# VLCF Version 2", version2ColumnHeader, version2Row("3", "x")}),
                       frames);
    EXPECT_EQ(frames.size(), 1U);
}

TEST(Parser, ParseBodyLeavesTheMapUnchangedWhenARowFails) {
    std::map<unsigned int, Frame> frames = sentinelContent().frames;
    EXPECT_THROW(Parser().parseBody(join(fileLines(3, {version3Row("1", "a"), "bad"})), frames),
                 InvalidFormatException);
    expectSameFrames(frames, sentinelContent().frames);
}

TEST(Parser, WorksOnATemporaryAndOnAConstObject) {
    const Parser parser;
    Content content;
    parser.parse(fixtureText("valid_version2.vlcf"), content);
    Header header;
    Parser().parseHeader(fixtureText("valid_version2.vlcf"), header);
    EXPECT_EQ(header.clip.videoFileName, content.header.clip.videoFileName);
}
