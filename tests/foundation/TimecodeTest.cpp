#include "foundation/Timecode.h"
#include "foundation/InvalidTimecodeException.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

using Timecode::InvalidTimecodeException;
using TC = Timecode::Timecode;

namespace {

std::string fields(const TC& timecode) {
    return std::to_string(timecode.hours) + ":" + std::to_string(timecode.minutes) + ":" +
           std::to_string(timecode.seconds) + ":" + std::to_string(timecode.frames);
}

} // namespace

TEST(Timecode, ParsesFourFieldsBelowTheRateAndRejectsTheRest) {
    // Without a rate there is no frame limit. An unsigned "-1" wraps to the
    // largest value: fine for hours, too large for minutes.
    for (const auto& [text, rate, expected] :
         std::vector<std::tuple<const char*, float, const char*>>{
             {"10:00:00:24", 25.0F, "10:0:0:24"},
             {"00:00:00:29", 29.97F, "0:0:0:29"},
             {"1:2:3:4", 25.0F, "1:2:3:4"},
             {"01:00:00:99", 0.0F, "1:0:0:99"},
             {"-1:00:00:00", 0.0F, "4294967295:0:0:0"}}) {
        EXPECT_EQ(fields(TC(text, rate)), expected) << text << "@" << rate;
    }
    for (const char* text : {"10:00:00:25", "10:60:00:00", "01:-1:00:00", "10:00:00", "1:2:3:4:5",
                             "01:00:00;00", "", " 01:00:00:00"}) {
        EXPECT_THROW(TC(text, 25.0F), InvalidTimecodeException) << text;
    }
    const float infinity = std::numeric_limits<float>::infinity();
    for (const float rate :
         {-0.5F, std::numeric_limits<float>::quiet_NaN(), infinity, -infinity, 1.0e20F}) {
        EXPECT_THROW(TC("00:00:00:00", rate), InvalidTimecodeException) << rate;
    }
    EXPECT_THROW(TC("10:00:00:24", 23.976F), InvalidTimecodeException);
    EXPECT_THROW(TC(nullptr, 25.0F), InvalidTimecodeException);
}

TEST(Timecode, FailuresNameTheTimecodesInvolved) {
    const std::vector<std::pair<std::function<void()>, const char*>> cases{
        {[] { TC("x", 23.976F); },
         "Timecode object could not be constructed due to invalid format.\n"
         "Timecode String: \"x\"\nFrames per Second: \"23.976\"\n"},
        {[] { TC("01:00:00:00", 0.0F) += 1U; },
         "Frames could not be added to the timecode because it has no frame rate.\n"
         "Timecode String: \"01:00:00:00\"\nFrames per Second: \"0\"\n"},
        {[] { (void)(TC("1:0:0:0", 23.976F) - TC("1:0:0:10", 23.976F)); },
         "Timecode subtraction could not be performed.\n"
         "Lhs Timecode: \"01:00:00:00@23.98\"\nRhs Timecode: \"01:00:00:10@23.98\"\n"},
        {[] { (void)(TC("01:00:00:00", 29.97F) < TC("01:00:00:00", 30.0F)); },
         "Timecode comparison could not be performed.\n"
         "Lhs Timecode: \"01:00:00:00@29.97\"\nRhs Timecode: \"01:00:00:00@30\"\n"},
    };
    for (const auto& [action, detailed] : cases) {
        try {
            action();
            ADD_FAILURE() << "no InvalidTimecodeException for " << detailed;
        } catch (const InvalidTimecodeException& error) {
            EXPECT_EQ(error.detailedDescription(), detailed);
        }
    }
    // Subtraction needs a rate on the right, and the same or none on the left.
    EXPECT_THROW((void)(TC("02:00:00:00", 25.0F) - TC("01:00:00:00", 0.0F)),
                 InvalidTimecodeException);
    EXPECT_THROW((void)(TC("02:00:00:00", 24.0F) - TC("01:00:00:00", 25.0F)),
                 InvalidTimecodeException);
}

TEST(Timecode, ArithmeticAndOrderCountFramesOfTheRateRoundedUp) {
    // No drop-frame counting: 29.97 counts 30 frames in every second.
    for (const auto& [start, rate, count, expected] :
         std::vector<std::tuple<const char*, float, unsigned int, const char*>>{
             {"23:59:59:24", 25.0F, 1, "24:0:0:0"},
             {"00:00:00:00", 23.976F, 24, "0:0:1:0"},
             {"00:09:59:29", 29.97F, 1, "0:10:0:0"}}) {
        EXPECT_EQ(fields(TC(start, rate) + count), expected) << start << " + " << count;
    }
    for (const auto& [lhs, rhs, difference] : std::vector<std::tuple<TC, TC, unsigned int>>{
             {TC("01:00:00:10", 0.0F), TC("01:00:00:00", 25.0F), 10},
             {TC("01:00:00:00", 30.0F), TC("00:59:59:29", 30.0F), 1},
             {TC("02:00:00:00", 25.0F), TC("01:00:00:00", 25.0F), 90000},
             {TC("01:00:00:00", 0.0F), TC("01:00:00:00", 25.0F), 0}}) {
        const std::string text = lhs.string(true) + " - " + rhs.string(true);
        EXPECT_EQ(lhs - rhs, difference) << text;
        EXPECT_EQ(lhs == rhs, difference == 0) << text;
        EXPECT_EQ(rhs < lhs, difference != 0) << text;
        EXPECT_FALSE(lhs < rhs) << text;
    }
    // Hours whose seconds do not fit 32 bits.
    EXPECT_TRUE(TC("00:40:00:00", 0.0F) < TC("1193047:00:00:00", 0.0F));
}

TEST(Timecode, DropFrameLabelsSkipTheFirstFramesOfEveryMinuteButEachTenth) {
    // 29.97 drops frames :00 and :01, 59.94 frames :00 to :03, at the start of
    // each minute except minutes 0, 10, 20, ...
    for (const auto& [text, rate] :
         std::vector<std::pair<const char*, float>>{{"00:01:00:00", 29.97F},
                                                    {"00:01:00:01", 29.97F},
                                                    {"10:59:00:01", 29.97F},
                                                    {"00:01:00:03", 59.94F},
                                                    {"00:01:00:00", 30.0F}}) {
        EXPECT_THROW(TC(text, rate, true), InvalidTimecodeException) << text << "@" << rate;
        EXPECT_NO_THROW(TC(text, rate, false)) << text << "@" << rate;
    }
    for (const auto& [text, rate] :
         std::vector<std::pair<const char*, float>>{{"00:01:00:02", 29.97F},
                                                    {"00:10:00:00", 29.97F},
                                                    {"00:01:01:00", 29.97F},
                                                    {"00:01:00:04", 59.94F},
                                                    {"00:01:00;02", 29.97F}}) {
        EXPECT_NO_THROW(TC(text, rate, true)) << text << "@" << rate;
    }
    // Rates without a drop-frame scheme count every frame; a semicolon is
    // still no separator there.
    EXPECT_EQ(TC("00:01:00:00", 25.0F, true) - TC("00:00:59:24", 25.0F, true), 1U);
    EXPECT_THROW(TC("00:01:00;02", 25.0F, true), InvalidTimecodeException);
}

TEST(Timecode, DropFrameArithmeticCountsOnlyTheFramesThatExist) {
    for (const auto& [lhs, rhs, rate, difference] :
         std::vector<std::tuple<const char*, const char*, float, unsigned int>>{
             {"00:01:00:02", "00:00:59:28", 29.97F, 2},
             {"00:01:00:02", "00:00:59:29", 29.97F, 1},
             {"00:10:00:00", "00:00:00:00", 29.97F, 17982},
             {"01:00:00:00", "00:00:00:00", 29.97F, 107892},
             {"00:11:00:02", "00:10:59:29", 29.97F, 1},
             {"00:01:00:04", "00:00:59:59", 59.94F, 1},
             {"01:00:00:00", "00:00:00:00", 59.94F, 215784}}) {
        EXPECT_EQ(TC(lhs, rate, true) - TC(rhs, rate, true), difference) << lhs << " - " << rhs;
    }
    for (const auto& [start, rate, count, expected] :
         std::vector<std::tuple<const char*, float, unsigned int, const char*>>{
             {"00:00:59:29", 29.97F, 1, "0:1:0:2"},
             {"00:09:59:29", 29.97F, 1, "0:10:0:0"},
             {"00:00:00:00", 29.97F, 107892, "1:0:0:0"},
             {"00:00:59:59", 59.94F, 1, "0:1:0:4"}}) {
        EXPECT_EQ(fields(TC(start, rate, true) + count), expected) << start << " + " << count;
    }
}

TEST(Timecode, ATimecodePastMidnightCountsOnFromThePreviousDay) {
    for (const auto& [lhs, rhs, rate, drop, difference] :
         std::vector<std::tuple<const char*, const char*, float, bool, unsigned int>>{
             {"00:00:00:02", "23:59:59:20", 25.0F, false, 7},
             {"00:00:00:00", "23:59:59:29", 29.97F, true, 1},
             // Eleven hours on is still the shorter way round.
             {"10:59:59:20", "23:59:59:20", 25.0F, false, 11U * 3600U * 25U}}) {
        EXPECT_EQ(TC(lhs, rate, drop) - TC(rhs, rate, drop), difference) << lhs << " - " << rhs;
    }
    // The shorter way round is backwards: the frame lies before the start.
    for (const auto& [lhs, rhs] : std::vector<std::pair<const char*, const char*>>{
             {"23:59:59:20", "00:00:00:02"}, {"12:00:00:01", "00:00:00:00"}}) {
        EXPECT_THROW((void)(TC(lhs, 25.0F) - TC(rhs, 25.0F)), InvalidTimecodeException) << lhs;
    }
    // A start late in the day with a frame in the evening counts as before.
    EXPECT_THROW((void)(TC("12:00:00:00", 25.0F) - TC("23:00:00:00", 25.0F)),
                 InvalidTimecodeException);
}
