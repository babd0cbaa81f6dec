#include "core/Logger.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <boost/filesystem.hpp>

#include <chrono>
#include <ctime>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = boost::filesystem;

namespace {

class LoggerTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory_ = fs::temp_directory_path() / fs::unique_path("velor-logger-%%%%-%%%%-%%%%");
        fs::create_directories(directory_);
    }
    void TearDown() override { fs::remove_all(directory_); }

    std::string logPath() const { return (directory_ / "test.log").string(); }

    std::string contents() const {
        std::ifstream file(logPath(), std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    std::vector<std::string> lines() const {
        std::vector<std::string> result;
        std::istringstream text(contents());
        for (std::string line; std::getline(text, line);) {
            result.push_back(line);
        }
        return result;
    }

    fs::path directory_;
};

const std::regex stampedLine(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{6}: (.*))");
constexpr std::size_t stampLength = 28; // "2020-03-03 14:05:09.000042: "

} // namespace

TEST_F(LoggerTest, AppendsStampedLinesInCallOrderAndKeepsEarlierContent) {
    {
        const Core::Logger creating(logPath());
        EXPECT_FALSE(fs::exists(logPath()));
        creating.log("created");
        EXPECT_TRUE(fs::exists(logPath()));
    }
    {
        std::ofstream earlier(logPath());
        earlier << "earlier content\n";
    }
    const Core::Logger logger(logPath());
    logger.log("first");
    logger.log("second");

    const auto written = lines();
    ASSERT_EQ(written.size(), 3U);
    EXPECT_EQ(written[0], "earlier content");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(written[1], match, stampedLine)) << written[1];
    EXPECT_EQ(match[1], "first");
    ASSERT_TRUE(std::regex_match(written[2], match, stampedLine)) << written[2];
    EXPECT_EQ(match[1], "second");
    EXPECT_EQ(contents().back(), '\n');
}

TEST_F(LoggerTest, StampMatchesLocalClock) {
    const Core::Logger logger(logPath());
    // std::time reads a coarse clock that can lag the stamp's by a few
    // milliseconds across a second's turn; the precise clock brackets it.
    const auto now = [] {
        return std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    };
    const std::time_t before = now();
    logger.log("now");
    const std::time_t after = now();

    std::set<std::string> acceptable;
    for (std::time_t second = before; second <= after; ++second) {
        std::tm local{};
        localtime_r(&second, &local);
        char stamp[32] = {};
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
        acceptable.insert(stamp);
    }
    const std::string line = lines().at(0);
    EXPECT_EQ(acceptable.count(line.substr(0, 19)), 1U) << line;
    EXPECT_EQ(line[19], '.');
}

TEST_F(LoggerTest, PathsThatAreNoRegularFileNeitherBlockNorFail) {
    // A pipe without a reader would block a plain open for writing forever.
    const std::string pipe = (directory_ / "pipe.log").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_NO_THROW(Core::Logger(pipe).log("lost"));
    EXPECT_NO_THROW(Core::Logger(directory_.string()).log("lost"));
    EXPECT_NO_THROW(Core::Logger((directory_ / "missing" / "test.log").string()).log("lost"));
    EXPECT_FALSE(fs::exists(directory_ / "missing"));
    const Core::Logger logger(logPath());
    logger.log("kept");
    EXPECT_EQ(lines().size(), 1U);
}

TEST_F(LoggerTest, LinesFromManyThreadsArriveWhole) {
    const Core::Logger logger(logPath());
    constexpr int threadCount = 8;
    constexpr int linesPerThread = 100;
    std::vector<std::thread> threads;
    for (int thread = 0; thread < threadCount; ++thread) {
        threads.emplace_back([&logger, thread] {
            for (int index = 0; index < linesPerThread; ++index) {
                // Some lines larger than a stream buffer, to catch split writes.
                const std::size_t length = index % 10 == 0 ? 20000 : 40;
                const std::string payload(length, static_cast<char>('a' + thread));
                logger.log(std::to_string(thread) + "/" + std::to_string(index) + "/" + payload);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }

    const auto written = lines();
    ASSERT_EQ(written.size(), static_cast<std::size_t>(threadCount * linesPerThread));
    std::set<std::string> seen;
    for (const auto& line : written) {
        // The stamp is checked on its own: std::regex recurses per character.
        ASSERT_GT(line.size(), stampLength);
        ASSERT_TRUE(std::regex_match(line.substr(0, stampLength) + "x", stampedLine))
            << line.substr(0, 80);
        std::istringstream message(line.substr(stampLength));
        std::string thread;
        std::string index;
        std::string payload;
        ASSERT_TRUE(std::getline(message, thread, '/') && std::getline(message, index, '/') &&
                    std::getline(message, payload))
            << line.substr(0, 80);
        const std::size_t expectedLength = std::stoi(index) % 10 == 0 ? 20000 : 40;
        EXPECT_EQ(payload, std::string(expectedLength, static_cast<char>('a' + std::stoi(thread))))
            << line.substr(0, 80);
        seen.insert(thread + "/" + index);
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(threadCount * linesPerThread));
}
