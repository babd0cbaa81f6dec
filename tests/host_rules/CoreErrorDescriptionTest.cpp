#include "host_rules/CoreErrorDescription.h"
#include "core/Core.h"
#include "core/FrameRequest.h"
#include "core/RequestDataSource.h"
#include "host_rules/TextCut.h"

#include <boost/algorithm/string/replace.hpp>
#include <boost/filesystem.hpp>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace fs = boost::filesystem;

namespace {

std::string numberedLines(int count, const std::string& prefix = "line ") {
    std::string text;
    for (int number = 1; number <= count; ++number) {
        text += (number > 1 ? "\n" : "") + prefix + std::to_string(number);
    }
    return text;
}

bool isValidUtf8(const std::string& text) {
    for (std::size_t index = 0; index < text.size();) {
        const auto lead = static_cast<unsigned char>(text[index]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (index + length > text.size()) {
            return false;
        }
        for (std::size_t next = 1; next < length; ++next) {
            if ((static_cast<unsigned char>(text[index + next]) & 0xC0) != 0x80) {
                return false;
            }
        }
        index += length;
    }
    return true;
}

} // namespace

// The first lines (what failed, the clip, the file, the line) and the last
// ones stay; a marker says how much was left out.
TEST(TextCut, LongTextsKeepTheirFirstAndLastLinesWithAMarker) {
    const std::string text = numberedLines(3000);
    const std::string cut = TextCut::toLength(text, 1000);
    EXPECT_LE(cut.size(), 1000U);
    EXPECT_EQ(cut.rfind("line 1\nline 2\nline 3\n", 0), 0U) << cut;
    EXPECT_EQ(cut.substr(cut.size() - 20), "\nline 2999\nline 3000");
    std::istringstream lines(cut);
    int kept = 0;
    int omitted = -1;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("[... ", 0) == 0) {
            ASSERT_EQ(omitted, -1) << "two markers: " << cut;
            omitted = std::stoi(line.substr(5));
            EXPECT_EQ(line, "[... " + std::to_string(omitted) + " more lines ...]");
        } else {
            ++kept;
        }
    }
    EXPECT_EQ(kept + omitted, 3000) << cut;
    EXPECT_GT(kept, 50) << cut;
}

// One huge line (a row of a correction file) keeps its beginning, cut
// between characters, and the lines around it.
TEST(TextCut, AHugeLineKeepsItsBeginningAndTheLinesAroundIt) {
    const std::string huge = "Line Content: \"" + std::string(100000, 'x') + "\"";
    const std::string text = "Clip File Name: \"A001.mov\"\nLine Number: 12\n" + huge + "\nLast: 1";
    const std::string cut = TextCut::toLength(text, 16383);
    EXPECT_LE(cut.size(), 16383U);
    EXPECT_EQ(cut.rfind("Clip File Name: \"A001.mov\"\nLine Number: 12\nLine Content: \"xxx", 0),
              0U);
    EXPECT_NE(cut.find("x[...]\n"), std::string::npos);
    EXPECT_GT(cut.size(), 12000U) << "most of the room is used";
    EXPECT_EQ(cut.substr(cut.size() - 8), "\nLast: 1");

    std::string accented;
    for (int index = 0; index < 5000; ++index) {
        accented += "\xc3\xa9\xe2\x82\xac"; // é€
    }
    for (std::size_t length = 40; length < 60; ++length) {
        const std::string shortened = TextCut::toLength("A\n" + accented + "\nB", length);
        EXPECT_LE(shortened.size(), length);
        EXPECT_TRUE(isValidUtf8(shortened)) << shortened;
    }
}

// A detail longer than the hosts' buffer reaches every host, cut, instead of
// being dropped whole: here a correction file whose bad row is 100 KB long.
TEST(CoreErrorDescription, ADetailLongerThanTheBufferIsReadCut) {
    const fs::path directory = fs::temp_directory_path() / fs::unique_path("velor-cut-%%%%-%%%%");
    fs::create_directories(directory);
    std::ifstream valid(std::string(VELOR_TEST_DATA_DIR) + "/correction_file/valid_version3.vlcf");
    std::string text((std::istreambuf_iterator<char>(valid)), std::istreambuf_iterator<char>());
    boost::algorithm::replace_first(text, "\n0;", "\n0;" + std::string(100000, '7'));
    const std::string correctionFile = (directory / "A001C003.vlcf").string();
    std::ofstream(correctionFile) << text;

    Core::FrameRequest request;
    request.ask(Core::Correction::Undistort, false);
    request.correctionFilePath = correctionFile;
    request.clipFilePath = (directory / "A001C003.mov").string();
    request.frameDataKnown = true;
    request.frameData.width = 64;
    request.frameData.height = 32;
    Core::Core core(std::make_unique<Core::RequestDataSource>(request));
    unsigned int width = 0;
    unsigned int height = 0;
    ASSERT_FALSE(core.frameSize(width, height));

    std::string detailed;
    ASSERT_TRUE(CoreErrorDescription::detailed(core, detailed));
    EXPECT_LT(detailed.size(), 16384U);
    std::string brief;
    ASSERT_TRUE(CoreErrorDescription::brief(core, brief));
    EXPECT_EQ(detailed.rfind(brief + "\n", 0), 0U) << detailed.substr(0, 500);
    EXPECT_NE(detailed.find("Correction File Path: \"" + correctionFile + "\"\n"),
              std::string::npos)
        << detailed.substr(0, 500);
    EXPECT_NE(detailed.find("Line Number: 24\n"), std::string::npos) << detailed.substr(0, 900);
    EXPECT_NE(detailed.find("7777[...]"), std::string::npos);
    const std::string lines = CoreErrorDescription::detailLines(core);
    EXPECT_EQ(lines.rfind("Clip File", 0), 0U) << lines.substr(0, 500);
    fs::remove_all(directory);
}
