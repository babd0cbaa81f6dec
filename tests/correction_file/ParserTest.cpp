#include "CorrectionFileText.h"

#include "correction_file/InvalidFormatException.h"
#include "correction_file/Parser.h"
#include "correction_file/Reader.h"

#include <boost/algorithm/string/join.hpp>
#include <boost/algorithm/string/replace.hpp>
#include <boost/algorithm/string/split.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <map>
#include <sstream>
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

Header parsedHeader(const std::map<std::string, std::string>& overrides) {
    Content content;
    Parser().parse(join(fileLines(3, {}, overrides)), content);
    return content.header;
}

// Every member in one text, so that whole records compare in one check.
std::string dump(const Header& h) {
    std::ostringstream out;
    out << h.lens.manufacturer << '|' << h.lens.typeName << '|' << h.lens.serialNumber << '|'
        << h.lens.minFocalLength << '|' << h.lens.maxFocalLength << '|' << h.camera.manufacturer
        << '|' << h.camera.model << '|' << h.camera.sensorWidth << '|' << h.clip.name << '|'
        << h.clip.videoFileName << '|' << h.clip.durationFrames << '|' << h.clip.width << '|'
        << h.clip.height << '|' << h.tc.fps << '|' << h.tc.drop << '|'
        << h.shadingCorrection.enabled << '|' << h.shadingCorrection.gamma << '|'
        << h.distortionCorrection.enabled << '|' << h.distortionCorrection.zoom;
    return out.str();
}

// The value of a header key as dump writes it; dump follows the order of
// Parser::mandatoryKeys.
std::string member(const Header& header, const std::string& key) {
    std::vector<std::string> members;
    boost::algorithm::split(members, dump(header), [](char c) { return c == '|'; });
    const auto& keys = Parser::mandatoryKeys;
    return members.at(
        static_cast<std::size_t>(std::find(keys.begin(), keys.end(), key) - keys.begin()));
}

std::string dump(const Frame& frame) {
    std::ostringstream out;
    out << frame.number << ':';
    const auto& points = frame.interpolationPoints;
    for (const auto* list : {&points.heights, &points.shading, &points.radialDistortion}) {
        for (std::size_t index = 0; index < list->size(); ++index) {
            out << (index == 0 ? "" : ",") << (*list)[index];
        }
        out << '/';
    }
    out << frame.timecode;
    return out.str();
}

std::string dump(const std::map<unsigned int, Frame>& frames) {
    std::string text;
    for (const auto& entry : frames) {
        text += std::to_string(entry.first) + "=" + dump(entry.second) + "\n";
    }
    return text;
}

// A content whose members differ from what any test text gives.
Content sentinelContent() {
    Content content;
    content.header.lens.manufacturer = "sentinel";
    content.header.clip.videoFileName = "sentinel.mov";
    content.header.clip.durationFrames = 777;
    content.header.clip.width = 777;
    content.header.tc.fps = 99.0F;
    content.header.tc.drop = true;
    content.header.distortionCorrection.zoom = 7.0F;
    content.frames[42].timecode = "sentinel";
    return content;
}

// A failing text and what the exception must say: the offending line, or a
// reason when lineNumber is 0.
struct Failure {
    std::string name;
    std::string text;
    unsigned int lineNumber;
    std::string lineOrReason;
};

// A version 3 file without rows, its line at index replaced (or, with insert,
// preceded) by line.
std::string changedFile(std::size_t index, const std::string& line, bool insert = false) {
    std::vector<std::string> lines = fileLines(3, {});
    if (insert) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(index), line);
    } else {
        lines[index] = line;
    }
    return join(lines);
}

// A version 3 file without rows whose line at from is moved to index to.
std::string movedLine(std::size_t from, std::size_t to) {
    std::vector<std::string> lines = fileLines(3, {});
    const std::string line = lines[from];
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(from));
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(to), line);
    return join(lines);
}

std::string withColumn(const std::string& row, std::size_t column, const std::string& value) {
    std::vector<std::string> columns;
    boost::algorithm::split(columns, row, [](char c) { return c == ';'; });
    columns.at(column) = value;
    return boost::algorithm::join(columns, ";");
}

std::vector<Failure> failures() {
    const std::string noStart = "Header start could not be found.";
    const std::string noEnd = "Header end could not be found.";
    const std::string invalidFps = "Header entry with key \"tcFps\" does not have a valid value.";
    const std::string noVersion = "Version could not be found.";
    const std::string unsupported = "Version is not supported.";
    const std::string noBody = "Body start could not be found.";
    const auto missingKey = [](const std::string& key) {
        return "Header entry with key \"" + key + "\" was not found.\n";
    };
    // Lines before the header and skipped lines count; carriage returns, also
    // one inside a line, are not reported.
    const auto crLf = [](const std::string& text) {
        return boost::algorithm::replace_all_copy(text, "\n", "\r\n");
    };
    const std::string crLfHeader = crLf("\n\r\njunk\n" + changedFile(5, "clip\rName:=A:=B", true));
    const std::string crLfRows =
        crLf("x\n\n" + join(fileLines(3, {"", version3Row("0", "a"), "", "\r", "bad"})));
    std::string endAsKey = changedFile(21, "HEADER_END:=x");
    endAsKey.resize(endAsKey.rfind("frame;"));

    std::vector<Failure> cases{
        {"empty text", "", 0, noStart},
        {"only line ends", std::string(1000, '\n') + "\r\r", 0, noStart},
        {"missing_header_start", fixtureText("missing_header_start.vlcf"), 0, noStart},
        {"start with a blank", changedFile(1, "HEADER_START "), 0, noStart},
        {"missing_header_end", fixtureText("missing_header_end.vlcf"), 0, noEnd},
        {"end as a key", endAsKey, 0, noEnd},
        {"end before start", movedLine(21, 0), 23, version3ColumnHeader},
        {"without separator", fixtureText("header_entry_without_separator_line_7.vlcf"), 7,
         "clipNameWithoutSeparator"},
        {"two separators", fixtureText("header_entry_with_two_separators_line_12.vlcf"), 12,
         "clipName:=A:=B"},
        {"no separator", changedFile(3, "clipName=A", true), 4, "clipName=A"},
        {"blank in separator", changedFile(3, "clipName: =A", true), 4, "clipName: =A"},
        {"only separators", changedFile(3, ":=:=", true), 4, ":=:="},
        {"CR LF header", crLfHeader, 9, "clipName:=A:=B"},
        {"missing_key_tcFps", fixtureText("missing_key_tcFps.vlcf"), 0, missingKey("tcFps")},
        {"first missing in table order",
         join(fileLines(3, {}, {}, {"distortionZoom", "clipWidth", "tcDrop"})), 0,
         missingKey("clipWidth")},
        {"keys are case sensitive", changedFile(13, "ClipWidth:=4096"), 0, missingKey("clipWidth")},
        {"empty_video_file_name", fixtureText("empty_video_file_name.vlcf"), 0,
         "Header entry with key \"videoFileName\" does not have a value."},
        {"invalid_tc_fps", fixtureText("invalid_tc_fps.vlcf"), 0, invalidFps},
        {"header before body", join(fileLines(4, {"bad"}, {{"tcFps", "0"}})), 0, invalidFps},
        {"missing_version", fixtureText("missing_version.vlcf"), 0, noVersion},
        {"no blank", changedFile(0, "# VLCF Version3"), 0, noVersion},
        {"unsupported_version_4", fixtureText("unsupported_version_4.vlcf"), 0, unsupported},
        {"trailing blank", changedFile(0, "# VLCF Version 3 "), 0, unsupported},
        {"leading zero", changedFile(0, "# VLCF Version 03"), 0, unsupported},
        {"missing_body_start", fixtureText("missing_body_start.vlcf"), 0, noBody},
        {"capital F", changedFile(22, "Frame;heights"), 0, noBody},
        {"body before version", movedLine(22, 0), 0, noBody},
        {"header after body", movedLine(22, 1), 3, "HEADER_START"},
        {"too few columns", fixtureText("row_with_too_few_columns_line_25.vlcf"), 25,
         "1;100,99,97,94,91,88;0,-0.1,-0.4,-0.9,-1.3,-1.9;35;2.5;2.8;;;10.00.00.01"},
        {"shading out of range", fixtureText("row_with_shading_out_of_range_crlf_line_26.vlcf"), 26,
         "1;0,4,8,12,16,20,24;100,99.5,98,96,93.5,90,100.5;"
         "0,-0.1,-0.35,-0.8,-1.2,-1.75,-2.3;35;2.5;2.8;;;10.00.00.01"},
        {"CR LF rows", crLfRows, 2 + firstRowLineNumber + 4, "bad"},
        // The first version line counts: the version 3 row is read as version 2.
        {"first version line", "# VLCF Version 2\n" + join(fileLines(3, {version3Row("0", "t")})),
         firstRowLineNumber + 1, version3Row("0", "t")},
    };
    for (const char* key : Parser::mandatoryKeys) {
        cases.push_back({key, join(fileLines(3, {}, {}, {key})), 0, missingKey(key)});
    }
    for (const char* fps : {"0", "-0", "-25", "twenty-five", "", " 25", "-inf", "nan", "inf"}) {
        cases.push_back({fps, join(fileLines(3, {}, {{"tcFps", fps}})), 0, invalidFps});
    }
    // Rows that differ from a valid one in one column (frame number, heights,
    // shading, distortion): numbers, list lengths, items that are no floats,
    // values out of range. Then rows with too few columns.
    const std::vector<std::vector<std::string>> version3Values{
        {"-1", "1.0", " 1", "2147483648"},
        {"0,4,8,12,16,20", "0,4,8,12,16,20,24,", "0,4,8,12,16,20,x", "0, 4,8,12,16,20,24",
         "0,4,,12,16,20,24", "-0.1,4,8,12,16,20,24", "nan,4,8,12,16,20,24"},
        {"100,99,98,97,96,95", "100.5,99,98,97,96,95,94", "100,99,98,97,96,95,inf"},
        {"0,0,0,0,0,0,0,0", "0,0,0,0,0,0,1e", "-100.5,0,0,0,0,0,0", "0,0,0,0,0,0,100.001"}};
    const std::vector<std::vector<std::string>> version2Values{
        {"x"}, {"100,99,98,97,96,95,94", "100,99,98,97,96,101"}, {"0,0,0,0,0,-101"}, {}};
    std::vector<std::pair<int, std::string>> rows{
        {3, version2Row("0", "t")}, {3, ";;;;;;;;;"}, {2, version2Row("0", "t").substr(2)}};
    for (std::size_t column = 0; column < 4; ++column) {
        for (const std::string& value : version3Values[column]) {
            rows.emplace_back(3, withColumn(version3Row("0", "t"), column, value));
        }
        for (const std::string& value : version2Values[column]) {
            rows.emplace_back(2, withColumn(version2Row("0", "t"), column, value));
        }
    }
    for (const auto& row : rows) {
        cases.push_back(
            {row.second, join(fileLines(row.first, {row.second})), firstRowLineNumber, row.second});
    }
    return cases;
}

} // namespace

TEST(Parser, EveryFailureReportsItsReasonOrLineAndLeavesTheContentUntouched) {
    for (const Failure& failure : failures()) {
        SCOPED_TRACE(failure.name);
        Content content = sentinelContent();
        try {
            Parser().parse(failure.text, content);
            ADD_FAILURE() << "parsed";
        } catch (const InvalidFormatException& exception) {
            const bool hasLine = failure.lineNumber != 0;
            EXPECT_STREQ(exception.what(), invalidFormatBrief.c_str());
            EXPECT_EQ(exception.detailedDescription(),
                      invalidFormatBrief + "\n" +
                          (hasLine ? "Line Number: " + std::to_string(failure.lineNumber) +
                                         "\nLine Content: \"" + failure.lineOrReason + "\""
                                   : "Reason: " + failure.lineOrReason) +
                          "\n");
            EXPECT_EQ(exception.lineNumber(), failure.lineNumber);
            EXPECT_EQ(exception.lineContent(), hasLine ? failure.lineOrReason : "");
        }
        EXPECT_EQ(dump(content.header), dump(sentinelContent().header));
        EXPECT_EQ(dump(content.frames), dump(sentinelContent().frames));
    }
}

TEST(Parser, ReadsAVersion3File) {
    Content content = sentinelContent();
    Parser().parse(fixtureText("valid_version3.vlcf"), content);
    EXPECT_EQ(dump(content.header), "Velor Optics|Prime 35|SN-0042|35|35|ARRI|ALEXA Mini LF|36.7|"
                                    "A001C003|A001C003.mov|3|4448|3096|23.976|0|1|2.2|1|1.05");
    // The caller's frames are replaced, not merged.
    EXPECT_EQ(dump(content.frames), "0=0:0,4,8,12,16,20,24/100,99.5,98,96,93.5,90,86/"
                                    "0,-0.1,-0.35,-0.8,-1.2,-1.75,-2.3/10:00:00:00\n"
                                    "1=1:0,4,8,12,16,20,24/100,99.5,98,96,93.5,90,86/"
                                    "0,-0.1,-0.35,-0.8,-1.2,-1.75,-2.3/10:00:00:01\n"
                                    "2=2:0,4,8,12,16,20,24/100,99.5,98,96,93.5,90,86/"
                                    "0,-0.1,-0.35,-0.8,-1.2,-1.75,-2.3/10:00:00:02\n");
}

TEST(Parser, GivesVersion2FramesTheFixedSixHeights) {
    Content content;
    Parser().parse(fixtureText("valid_version2.vlcf"), content);
    ASSERT_EQ(content.frames.size(), 3U);
    EXPECT_EQ(dump(content.frames.at(1)),
              "1:0,5,10,15,18,21.4/100,99,97,94,91,88/0,-0.1,-0.4,-0.9,-1.3,-1.9/10:00:00:01");
    EXPECT_EQ(content.frames.at(1).interpolationPoints.heights.back(), 21.4F);
}

TEST(Parser, CrLfFilesParseLikeLfFiles) {
    const std::vector<std::pair<std::string, std::string>> pairs{
        {"valid_version3.vlcf", "valid_version3_crlf.vlcf"},
        {"valid_version2.vlcf", "valid_version2_crlf_without_final_line_feed.vlcf"}};
    for (const auto& pair : pairs) {
        SCOPED_TRACE(pair.second);
        const std::string crLfText = fixtureText(pair.second);
        ASSERT_NE(crLfText.find("\r\n"), std::string::npos);
        Content lf;
        Content crLf;
        Parser().parse(fixtureText(pair.first), lf);
        Parser().parse(crLfText, crLf);
        EXPECT_EQ(dump(crLf.header), dump(lf.header));
        EXPECT_EQ(dump(crLf.frames), dump(lf.frames));
        EXPECT_EQ(crLf.frames.size(), 3U);
    }
}

TEST(Parser, AcceptsWhatTheFormatAllows) {
    std::vector<std::string> lines =
        fileLines(3, {"", version3Row("5", "first"), "\r",
                      // Columns after the timecode and those between the lists and the
                      // timecode are not examined.
                      version3Row("+3", "10.00.00.03") + ";extra;;more",
                      "-0;0,0,0,0,0,100,1e2;0,0,0,0,0,0,100;-100,100,0,0,0,0,-1e2;a;b;c;d;e;t.c",
                      version3Row("2147483647", "c"),
                      // A later row with the same number wins.
                      version3Row("5", "last")});
    // A key's second value is ignored, even an invalid one.
    lines.insert(lines.begin() + 21, {"clipWidth:=1", "tcFps:=0"});
    // Unknown keys, an empty key and empty lines.
    lines.insert(lines.begin() + 2, {":=value of an empty key", "someFutureKey:=1", ""});
    // Lines before the markers.
    lines.insert(lines.begin(), {"garbage", "HEADER_END", "frame;x", ":=:=:="});
    std::string text = join(lines);
    text.pop_back(); // no final line feed

    Content content;
    Parser().parse(text, content);
    EXPECT_EQ(content.header.clip.width, 4448U);
    EXPECT_EQ(content.header.tc.fps, 23.976F);
    ASSERT_EQ(content.frames.size(), 4U);
    EXPECT_EQ(dump(content.frames.at(0)),
              "0:0,0,0,0,0,100,100/0,0,0,0,0,0,100/-100,100,0,0,0,0,-100/t:c");
    EXPECT_EQ(content.frames.at(3).timecode, "10:00:00:03");
    EXPECT_EQ(content.frames.at(5).timecode, "last");
    EXPECT_EQ(content.frames.at(2147483647U).number, 2147483647U);
}

TEST(Parser, HeaderValuesConvertStrictlyOrStoreZero) {
    // Text is kept as written but for carriage returns; numbers and flags that
    // do not convert as a whole store 0.
    const std::vector<std::vector<std::string>> cases{
        {"cameraModel", "  ALEXA\r Mini\r ", "  ALEXA Mini "},
        {"clipName", "", ""},
        {"clipWidth", "40\r96", "4096"},
        {"clipWidth", "+4096", "4096"},
        {"clipWidth", "4096 ", "0"},
        {"clipWidth", "4294967296", "0"},
        {"lensMinFocalLength", "70000", "4464"}, // the low 16 bits
        {"sensorWidth", "-2.5", "-2.5"},
        {"shadingGamma", "2,2", "0"},
        {"tcFps", "1e-30", "1e-30"},
        {"tcDrop", "1", "1"},
        {"tcDrop", "true", "0"},
        {"enableLensShadingCorrection", " 1", "0"}};
    for (const std::vector<std::string>& testCase : cases) {
        SCOPED_TRACE(testCase[0] + ":=" + testCase[1]);
        EXPECT_EQ(member(parsedHeader({{testCase[0], testCase[1]}}), testCase[0]), testCase[2]);
    }
}

TEST(Parser, ParseHeaderWritesTheMembersConvertedBeforeItFails) {
    Header header = sentinelContent().header;
    EXPECT_THROW(Parser().parseHeader(fixtureText("empty_video_file_name.vlcf"), header),
                 InvalidFormatException);
    EXPECT_EQ(dump(header), "Velor Optics|Prime 35|SN-0042|35|35|ARRI|ALEXA Mini LF|36.7|"
                            "A001C003|sentinel.mov|777|777|0|99|1|0|0|0|7");

    // A missing key is found before anything is written.
    header = sentinelContent().header;
    EXPECT_THROW(Parser().parseHeader(join(fileLines(3, {}, {}, {"distortionZoom"})), header),
                 InvalidFormatException);
    EXPECT_EQ(dump(header), dump(sentinelContent().header));
}

TEST(Parser, ParseBodyMergesIntoTheMapOnlyWhenEveryRowIsValid) {
    std::map<unsigned int, Frame> frames = sentinelContent().frames;
    frames[1].timecode = "old";
    // No header is needed.
    Parser().parseBody(join({"# VLCF Version 3", version3ColumnHeader, version3Row("1", "new"),
                             version3Row("2", "two")}),
                       frames);
    ASSERT_EQ(frames.size(), 3U);
    EXPECT_EQ(frames.at(1).timecode, "new");
    EXPECT_EQ(frames.at(2).timecode, "two");
    EXPECT_EQ(frames.at(42).timecode, "sentinel");

    const std::string before = dump(frames);
    EXPECT_THROW(Parser().parseBody(join(fileLines(3, {version3Row("7", "a"), "bad"})), frames),
                 InvalidFormatException);
    EXPECT_THROW(Parser().parseBody("", frames), InvalidFormatException);
    EXPECT_EQ(dump(frames), before);
}
