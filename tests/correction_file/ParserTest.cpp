#include "correction_file/Parser.h"
#include "correction_file/InvalidFormatException.h"
#include "correction_file/Reader.h"

#include <boost/algorithm/string/join.hpp>
#include <boost/algorithm/string/replace.hpp>
#include <boost/algorithm/string/split.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using CorrectionData::Content;
using CorrectionData::Frame;
using CorrectionData::Header;
using CorrectionFile::InvalidFormatException;
using CorrectionFile::Parser;

namespace {

const std::string invalidFormatBrief =
    "Correction file could not be parsed due to an invalid format.";
// Version line, 21 header block lines and the column header come before it.
const unsigned int firstRowLineNumber = 24;

std::string fixtureText(const std::string& name) {
    std::string text;
    CorrectionFile::Reader().readFile(std::string(VELOR_TEST_DATA_DIR) + "/correction_file/" + name,
                                      text);
    return text;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    boost::algorithm::split(parts, text, [separator](char c) { return c == separator; });
    return parts;
}

std::string join(const std::vector<std::string>& lines, const std::string& lineEnd = "\n") {
    return boost::algorithm::join(lines, lineEnd) + lineEnd;
}

// The valid file's lines up to its column header with the version line
// changed, header values overridden and keys left out, followed by rows.
std::vector<std::string> fileLines(int version, const std::vector<std::string>& rows,
                                   const std::map<std::string, std::string>& overrides = {},
                                   const std::vector<std::string>& leftOut = {}) {
    const std::vector<std::string> valid =
        split(fixtureText(version == 2 ? "valid_version2.vlcf" : "valid_version3.vlcf"), '\n');
    std::vector<std::string> lines{"# VLCF Version " + std::to_string(version)};
    for (std::size_t index = 1; index + 1 < firstRowLineNumber; ++index) {
        const std::string key = valid[index].substr(0, valid[index].find(":="));
        const auto override = overrides.find(key);
        if (std::find(leftOut.begin(), leftOut.end(), key) == leftOut.end()) {
            lines.push_back(override == overrides.end() ? valid[index]
                                                        : key + ":=" + override->second);
        }
    }
    lines.insert(lines.end(), rows.begin(), rows.end());
    return lines;
}

std::string row3(const std::string& number, const std::string& timecode) {
    return number +
           ";0,4,8,12,16,20,24;100,99.5,98,96,93.5,90,86;0,-0.1,-0.35,-0.8,-1.2,-1.75,-2.3;"
           "35;2.5;2.8;;;" +
           timecode;
}

std::string row2(const std::string& number, const std::string& timecode) {
    return number + ";100,99,97,94,91,88;0,-0.1,-0.4,-0.9,-1.3,-1.9;35;2.5;2.8;;;" + timecode;
}

// Every member in the order of Parser::mandatoryKeys, so that whole records
// compare in one check.
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

std::string dump(const std::map<unsigned int, Frame>& frames) {
    std::ostringstream out;
    for (const auto& entry : frames) {
        out << entry.first << '=' << entry.second.number << ':';
        const auto& points = entry.second.interpolationPoints;
        for (const auto* list : {&points.heights, &points.shading, &points.radialDistortion}) {
            for (std::size_t index = 0; index < list->size(); ++index) {
                out << (index == 0 ? "" : ",") << (*list)[index];
            }
            out << '/';
        }
        out << entry.second.timecode << '\n';
    }
    return out.str();
}

Content sentinelContent() {
    Content content;
    content.header.lens.manufacturer = "sentinel";
    content.header.clip.width = 777;
    content.header.tc.fps = 99.0F;
    content.frames[42].timecode = "sentinel";
    return content;
}

// The exception parse throws for text; fails the test when it throws none.
InvalidFormatException parseFailure(const std::string& text) {
    Content content;
    try {
        Parser().parse(text, content);
    } catch (const InvalidFormatException& exception) {
        return exception;
    }
    ADD_FAILURE() << "parsed";
    return InvalidFormatException("(parsed)");
}

// A version 3 file without rows, its line at index replaced by line.
std::string changedFile(std::size_t index, const std::string& line) {
    std::vector<std::string> lines = fileLines(3, {});
    lines[index] = line;
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

// A failing text and what the exception must say: the offending line, or a
// reason when lineNumber is 0.
struct Failure {
    std::string name;
    std::string text;
    unsigned int lineNumber;
    std::string lineOrReason;
};

std::vector<Failure> failures() {
    const std::string noEnd = "Header end could not be found.";
    const std::string invalidFps = "Header entry with key \"tcFps\" does not have a valid value.";
    const std::string noBody = "Body start could not be found.";
    const auto missingKey = [](const std::string& key) {
        return "Header entry with key \"" + key + "\" was not found.\n";
    };
    // Lines before the header and skipped lines count; carriage returns, also
    // one inside a line, are not reported.
    const auto crLf = [](const std::string& text) {
        return boost::algorithm::replace_all_copy(text, "\n", "\r\n");
    };
    std::vector<Failure> cases{
        {"empty text", "", 0, "Header start could not be found."},
        {"start with a blank", changedFile(1, "HEADER_START "), 0,
         "Header start could not be found."},
        {"missing_header_end", fixtureText("missing_header_end.vlcf"), 0, noEnd},
        {"end before start", movedLine(21, 0), 23, fileLines(3, {})[22]},
        {"without separator", fixtureText("header_entry_without_separator_line_7.vlcf"), 7,
         "clipNameWithoutSeparator"},
        {"two separators", fixtureText("header_entry_with_two_separators_line_12.vlcf"), 12,
         "clipName:=A:=B"},
        {"CR LF header", crLf("\n\r\njunk\n" + changedFile(10, "clip\rName:=A:=B")), 14,
         "clipName:=A:=B"},
        {"missing_key_tcFps", fixtureText("missing_key_tcFps.vlcf"), 0, missingKey("tcFps")},
        {"first missing in table order",
         join(fileLines(3, {}, {}, {"distortionZoom", "clipWidth", "tcDrop"})), 0,
         missingKey("clipWidth")},
        {"empty_video_file_name", fixtureText("empty_video_file_name.vlcf"), 0,
         "Header entry with key \"videoFileName\" does not have a value."},
        {"invalid_tc_fps", fixtureText("invalid_tc_fps.vlcf"), 0, invalidFps},
        {"header before body", join(fileLines(4, {"bad"}, {{"tcFps", "0"}})), 0, invalidFps},
        {"missing_version", fixtureText("missing_version.vlcf"), 0, "Version could not be found."},
        {"unsupported_version_4", fixtureText("unsupported_version_4.vlcf"), 0,
         "Version is not supported."},
        {"missing_body_start", fixtureText("missing_body_start.vlcf"), 0, noBody},
        {"header after body", movedLine(22, 1), 3, "HEADER_START"},
        {"too few columns", fixtureText("row_with_too_few_columns_line_25.vlcf"), 25,
         "1;100,99,97,94,91,88;0,-0.1,-0.4,-0.9,-1.3,-1.9;35;2.5;2.8;;;10.00.00.01"},
        {"shading out of range", fixtureText("row_with_shading_out_of_range_crlf_line_26.vlcf"), 26,
         boost::algorithm::replace_first_copy(row3("1", "10.00.00.01"), ",86;", ",100.5;")},
        {"CR LF rows", crLf("x\n\n" + join(fileLines(3, {"", row3("0", "a"), "", "\r", "bad"}))),
         2 + firstRowLineNumber + 4, "bad"},
        // The first version line counts: the version 3 row is read as version 2.
        {"first version line", "# VLCF Version 2\n" + join(fileLines(3, {row3("0", "t")})),
         firstRowLineNumber + 1, row3("0", "t")},
    };
    for (const char* fps : {"0", "nan", "inf"}) {
        cases.push_back({fps, join(fileLines(3, {}, {{"tcFps", fps}})), 0, invalidFps});
    }
    // Rows that differ from a valid one in the frame number, a list's length
    // or an item, or have too few columns.
    using boost::algorithm::replace_first_copy;
    const std::string valid = row3("0", "t");
    for (const std::string& row :
         {row2("0", "t"), std::string(";;;;;;;;;"), "2147483648" + valid.substr(1),
          replace_first_copy(valid, ",24;", ";"), replace_first_copy(valid, "0,4", "nan,4"),
          replace_first_copy(valid, ",86;", ",inf;"), replace_first_copy(valid, ",-2.3;", ",1e;"),
          replace_first_copy(valid, ",-2.3;", ",100.001;")}) {
        cases.push_back({row, join(fileLines(3, {row})), firstRowLineNumber, row});
    }
    const std::string row = replace_first_copy(row2("0", "t"), ",88;", ",88,87;");
    cases.push_back({row, join(fileLines(2, {row})), firstRowLineNumber, row});
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
        }
        EXPECT_EQ(dump(content.header), dump(sentinelContent().header));
        EXPECT_EQ(dump(content.frames), dump(sentinelContent().frames));
    }
}

TEST(Parser, ReadsVersion3AndVersion2FilesAlsoWithCrLf) {
    Content content = sentinelContent();
    Parser().parse(fixtureText("valid_version3.vlcf"), content);
    EXPECT_EQ(dump(content.header), "Velor Optics|Prime 35|SN-0042|35|35|ARRI|ALEXA Mini LF|36.7|"
                                    "A001C003|A001C003.mov|3|4448|3096|23.976|0|1|2.2|1|1.05");
    // The caller's frames are replaced, not merged.
    const std::string points =
        ":0,4,8,12,16,20,24/100,99.5,98,96,93.5,90,86/0,-0.1,-0.35,-0.8,-1.2,-1.75,-2.3/10:00:00:0";
    EXPECT_EQ(dump(content.frames), "0=0" + points + "0\n1=1" + points + "1\n2=2" + points + "2\n");

    // Version 2 frames get the fixed six heights.
    Parser().parse(fixtureText("valid_version2.vlcf"), content);
    EXPECT_EQ(split(dump(content.frames), '\n')[1],
              "1=1:0,5,10,15,18,21.4/100,99,97,94,91,88/0,-0.1,-0.4,-0.9,-1.3,-1.9/10:00:00:01");

    for (const auto& pair : std::vector<std::pair<std::string, std::string>>{
             {"valid_version3.vlcf", "valid_version3_crlf.vlcf"},
             {"valid_version2.vlcf", "valid_version2_crlf_without_final_line_feed.vlcf"}}) {
        SCOPED_TRACE(pair.second);
        Content lf;
        Content crLf;
        Parser().parse(fixtureText(pair.first), lf);
        Parser().parse(fixtureText(pair.second), crLf);
        EXPECT_EQ(dump(crLf.header), dump(lf.header));
        EXPECT_EQ(dump(crLf.frames), dump(lf.frames));
    }
}

TEST(Parser, AcceptsWhatTheFormatAllows) {
    std::vector<std::string> lines =
        fileLines(3,
                  {"", row3("5", "first"), "\r",
                   // Columns after the timecode and those between the lists and the
                   // timecode are not examined.
                   row3("+3", "10.00.00.03") + ";extra;;more",
                   "-0;0,0,0,0,0,100,1e2;0,0,0,0,0,0,100;-100,100,0,0,0,0,-1e2;a;b;c;d;e;t.c",
                   row3("2147483647", "c"),
                   // A later row with the same number wins.
                   row3("5", "last")},
                  // Text is kept as written but for carriage returns; numbers and
                  // flags that do not convert as a whole store 0.
                  {{"cameraModel", "  ALEXA\r Mini\r "},
                   {"clipHeight", "40\r96"},
                   {"clipWidth", "4096 "},
                   {"clipDurationFrames", "4294967296"},
                   {"lensMinFocalLength", "70000"}, // the low 16 bits
                   {"shadingGamma", "2,2"},
                   {"tcFps", "1e-30"},
                   {"tcDrop", "true"}});
    // A key's second value is ignored, even an invalid one.
    lines.insert(lines.begin() + 21, {"clipWidth:=1", "tcFps:=0"});
    lines.insert(lines.begin() + 2, {":=value of an empty key", "someFutureKey:=1", ""});
    lines.insert(lines.begin(), {"garbage", "HEADER_END", "frame;x", ":=:=:="});
    std::string text = join(lines);
    text.pop_back(); // no final line feed

    Content content;
    Parser().parse(text, content);
    EXPECT_EQ(dump(content.header), "Velor Optics|Prime 35|SN-0042|4464|35|ARRI|  ALEXA Mini |"
                                    "36.7|A001C003|A001C003.mov|0|0|4096|1e-30|0|1|0|1|1.05");
    ASSERT_EQ(content.frames.size(), 4U);
    EXPECT_EQ(split(dump(content.frames), '\n')[0],
              "0=0:0,0,0,0,0,100,100/0,0,0,0,0,0,100/-100,100,0,0,0,0,-100/t:c");
    EXPECT_EQ(content.frames.at(3).timecode, "10:00:00:03");
    EXPECT_EQ(content.frames.at(5).timecode, "last");
    EXPECT_EQ(content.frames.at(2147483647U).number, 2147483647U);
}

TEST(Parser, ParseHeaderAndParseBodyOnTheirOwn) {
    // parseHeader writes the members converted before it fails; a missing key
    // is found before anything is written.
    Header header = sentinelContent().header;
    EXPECT_THROW(Parser().parseHeader(fixtureText("empty_video_file_name.vlcf"), header),
                 InvalidFormatException);
    EXPECT_EQ(header.lens.manufacturer, "Velor Optics");
    EXPECT_EQ(header.clip.width, 777U);
    header = sentinelContent().header;
    EXPECT_THROW(Parser().parseHeader(join(fileLines(3, {}, {}, {"distortionZoom"})), header),
                 InvalidFormatException);
    EXPECT_EQ(dump(header), dump(sentinelContent().header));

    // parseBody needs no header and merges only when every row is valid.
    std::map<unsigned int, Frame> frames = sentinelContent().frames;
    frames[1].timecode = "old";
    Parser().parseBody(join({"# VLCF Version 3", fileLines(3, {})[22], row3("1", "new")}), frames);
    ASSERT_EQ(frames.size(), 2U);
    EXPECT_EQ(frames.at(1).timecode, "new");
    const std::string before = dump(frames);
    EXPECT_THROW(Parser().parseBody(join(fileLines(3, {row3("7", "a"), "bad"})), frames),
                 InvalidFormatException);
    EXPECT_EQ(dump(frames), before);
}

// Bad input must give InvalidFormatException or a valid result, never a crash,
// a hang or a read out of bounds.
TEST(ParserRobustness, RandomBytesAndRandomlyDamagedFiles) {
    // parse stops at a bad header; parseBody walks the body on its own.
    const auto parseAnything = [](const std::string& text) {
        std::map<unsigned int, Frame> frames;
        try {
            Parser().parseBody(text, frames);
        } catch (const InvalidFormatException&) {
        }
        Content content;
        try {
            Parser().parse(text, content);
        } catch (const InvalidFormatException&) {
            return false;
        }
        return true;
    };
    std::mt19937 generator(20240611U);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 30; ++round) {
        std::string text(static_cast<std::size_t>(round) * 997U, '\0');
        for (char& character : text) {
            character = static_cast<char>(byte(generator));
        }
        parseAnything(text);
    }

    // Small changes with the characters that mean something to the parser.
    const std::string valid = fixtureText("valid_version3.vlcf");
    const std::string alphabet = ";,:=.-+e\n\r0123456789 nanHEADER_frame#";
    std::uniform_int_distribution<std::size_t> symbol(0, alphabet.size() - 1);
    int parsedCount = 0;
    for (int round = 0; round < 500; ++round) {
        std::string text = valid;
        for (int change = 0; change < 1 + round % 5; ++change) {
            const std::size_t at =
                std::uniform_int_distribution<std::size_t>(0, text.size())(generator);
            const int kind = byte(generator) % 3;
            text.erase(at, kind == 0 ? 0 : 1);
            if (kind != 1) {
                text.insert(at, 1, alphabet[symbol(generator)]);
            }
        }
        parsedCount += parseAnything(text) ? 1 : 0;
    }
    // Both outcomes occur, so that the damage reaches the checks.
    EXPECT_GT(parsedCount, 0);
    EXPECT_LT(parsedCount, 500);
}

TEST(ParserRobustness, ZeroBytesAreOrdinaryCharacters) {
    std::string text = fixtureText("valid_version3.vlcf");
    text.insert(text.find("Prime"), std::string(1, '\0'));
    Content content;
    Parser().parse(text, content);
    EXPECT_EQ(content.header.lens.typeName, std::string("\0Prime 35", 9));
    text += std::string("\0\0\0", 3);
    EXPECT_EQ(parseFailure(text).lineContent(), std::string("\0\0\0", 3));
}

TEST(ParserRobustness, VeryLongLinesAndHugeTexts) {
    const std::string longLine(1024U * 1024U, 'x');
    std::vector<std::string> lines =
        fileLines(3, {row3("0", "t"), longLine}, {{"lensTypeName", longLine}});
    EXPECT_TRUE(parseFailure(join(lines)).lineContent() == longLine);
    // Many further columns are ignored; a list of many items is refused.
    lines.back() = row3("1", "t") + std::string(200000, ';');
    Content content;
    Parser().parse(join(lines), content);
    EXPECT_EQ(content.header.lens.typeName.size(), longLine.size());
    EXPECT_EQ(content.frames.size(), 2U);
    lines.back() = "0;" + std::string(200000, ',') + ";1,2,3,4,5,6,7;1,2,3,4,5,6,7;;;;;;t";
    EXPECT_EQ(parseFailure(join(lines)).lineNumber(), firstRowLineNumber + 1);

    // Megabytes of lines that both halves pass over while they search for
    // their markers, then a thousand rows and empty lines, then one bad row:
    // every line has to be counted.
    std::string text;
    const std::size_t junkLines = 16U * 1024U;
    for (std::size_t line = 0; line < junkLines; ++line) {
        text += std::string(1022, 'j') + "\r\n";
    }
    std::vector<std::string> rows;
    for (int number = 0; number < 1000; ++number) {
        rows.push_back(row3(std::to_string(number), "10.00.00.00"));
        rows.push_back("");
    }
    text += join(fileLines(3, rows), "\r\n");
    EXPECT_EQ(parseFailure(text + "1000;bad row\r\n").lineNumber(),
              junkLines + firstRowLineNumber + rows.size());
    Parser().parse(text, content);
    EXPECT_EQ(content.frames.size(), 1000U);
    EXPECT_EQ(content.frames.at(999).timecode, "10:00:00:00");
}
