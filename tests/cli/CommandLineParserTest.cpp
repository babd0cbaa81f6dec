#include "cli/CommandLineParser.h"
#include "cli/CommandLineTool.h"
#include "cli/UsageException.h"
#include "foundation/Version.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

struct Answer {
    int status = -1;
    std::string out;
    std::string errors;
};

Answer runTool(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "velor-lens-correct");
    std::ostringstream out;
    std::ostringstream errors;
    CommandLineTool tool(out, errors, false);
    const int status = tool.run(static_cast<int>(arguments.size()), arguments.data());
    return {status, out.str(), errors.str()};
}

CommandLineOptions parsed(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "velor-lens-correct");
    return CommandLineParser::parse(static_cast<int>(arguments.size()), arguments.data());
}

std::string usageErrorOf(std::vector<const char*> arguments) {
    try {
        parsed(std::move(arguments));
    } catch (const UsageException& error) {
        return error.what();
    }
    return "";
}

TEST(CommandLineParserTest, HelpInEveryUsualSpellingPrintsTheUsageWithStatusZero) {
    const std::vector<std::vector<const char*>> spellings{
        {"help"},
        {"--help"},
        {"-h"},
        {"undistort", "--help"},
        {"info", "-h"},
        {"stmap", "plate.####.exr", "map.####.exr", "--help"},
        {"devices", "--help"},
    };
    for (const auto& arguments : spellings) {
        const Answer answer = runTool(arguments);
        EXPECT_EQ(answer.status, 0) << arguments.back() << ": " << answer.errors;
        EXPECT_EQ(answer.out, CommandLineParser::usage()) << arguments.back();
        EXPECT_EQ(answer.errors, "") << arguments.back();
    }
    EXPECT_NE(CommandLineParser::usage().find("--version"), std::string::npos);
}

TEST(CommandLineParserTest, VersionPrintsTheReleaseWithStatusZero) {
    for (const auto& arguments :
         std::vector<std::vector<const char*>>{{"--version"}, {"undistort", "--version"}}) {
        const Answer answer = runTool(arguments);
        EXPECT_EQ(answer.status, 0) << answer.errors;
        EXPECT_EQ(answer.out, std::string("velor-lens-correct ") + Version::text() + "\n");
    }
    EXPECT_FALSE(std::string(Version::text()).empty());
}

TEST(CommandLineParserTest, InfoNamesItsRecordAndKeepsTheOldSpelling) {
    EXPECT_EQ(parsed({"info", "a.vlcf", "--record", "3"}).infoFrame, 3U);
    EXPECT_EQ(parsed({"info", "a.vlcf", "--frame", "4"}).infoFrame, 4U);
    EXPECT_FALSE(parsed({"info", "a.vlcf"}).infoFrame.has_value());
    EXPECT_EQ(usageErrorOf({"undistort", "a.exr", "b.exr", "--record", "1"}),
              "--record belongs to info; undistort takes --frames.");
    EXPECT_EQ(usageErrorOf({"undistort", "a.exr", "b.exr", "--frame", "1"}),
              "--frame belongs to info; undistort takes --frames.");
    EXPECT_EQ(usageErrorOf({"info", "a.vlcf", "--record", "1", "--frame", "2"}),
              "--frame is the old name of --record; give the record once.");
    EXPECT_EQ(usageErrorOf({"info", "a.vlcf", "--record", "x"}),
              "--record needs a whole number of 0 or more, not \"x\".");
}

TEST(CommandLineParserTest, JsonBelongsToInfo) {
    EXPECT_TRUE(parsed({"info", "a.vlcf", "--json"}).json);
    EXPECT_FALSE(parsed({"info", "a.vlcf"}).json);
    EXPECT_EQ(usageErrorOf({"undistort", "a.exr", "b.exr", "--json"}),
              "--json belongs to info; undistort does not take it.");
}

} // namespace
