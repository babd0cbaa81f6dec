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

TEST(Timecode, ParsesFourFieldsBelowTheRate) {
    // Without a rate there is no frame limit. An unsigned "-1" wraps to the
    // largest value: fine for hours, too large for minutes.
    for (const auto& [text, rate, expected] :
         std::vector<std::tuple<const char*, float, const char*>>{
             {"10:00:00:24", 25.0F, "10:0:0:24"},
             {"10:00:00:23", 23.976F, "10:0:0:23"},
             {"00:00:00:29", 29.97F, "0:0:0:29"},
             {"99:59:59:00", 25.0F, "99:59:59:0"},
             {"1:2:3:4", 25.0F, "1:2:3:4"},
             {"01:00:00:99", 0.0F, "1:0:0:99"},
             {"+1:00:00:00", 25.0F, "1:0:0:0"},
             {"-1:00:00:00", 0.0F, "4294967295:0:0:0"}}) {
        EXPECT_EQ(fields(TC(text, rate)), expected) << text << "@" << rate;
    }
}

TEST(Timecode, RejectsMalformedTextsAndUnusableRates) {
    for (const char* text : {"10:00:00:25", "10:60:00:00", "10:00:60:00", "01:-1:00:00", "10:00:00",
                             "1:2:3:4:5", "01:00:00:00:", "01:00:00;00", "01;00;00;00", "",
                             "01::00:00", "01:0a:00:00", " 01:00:00:00", "01:00:00:00 "}) {
        EXPECT_THROW(TC(text, 25.0F), InvalidTimecodeException) << text;
    }
    const float infinity = std::numeric_limits<float>::infinity();
    for (const float rate :
         {-25.0F, -0.5F, std::numeric_limits<float>::quiet_NaN(), infinity, -infinity, 1.0e20F}) {
        EXPECT_THROW(TC("00:00:00:00", rate), InvalidTimecodeException) << rate;
    }
    EXPECT_THROW(TC("10:00:00:24", 23.976F), InvalidTimecodeException);
    EXPECT_THROW(TC("00:00:00:30", 29.97F), InvalidTimecodeException);
    EXPECT_THROW(TC(nullptr, 25.0F), InvalidTimecodeException);
}

TEST(Timecode, FailuresNameTheTimecodesInvolved) {
    struct Case {
        const char* what;
        std::function<void()> action;
        const char* detailed;
    };
    const std::vector<Case> cases{
        {"frame beyond the rate", [] { TC("10:00:00:25", 25.0F); },
         "Timecode object could not be constructed due to invalid format.\n"
         "Timecode String: \"10:00:00:25\"\nFrames per Second: \"25\"\n"},
        {"not a timecode", [] { TC("x", 23.976F); },
         "Timecode object could not be constructed due to invalid format.\n"
         "Timecode String: \"x\"\nFrames per Second: \"23.976\"\n"},
        {"adding without a rate", [] { TC("01:00:00:00", 0.0F) += 1U; },
         "Frames could not be added to the timecode because it has no frame rate.\n"
         "Timecode String: \"01:00:00:00\"\nFrames per Second: \"0\"\n"},
        {"negative difference", [] { (void)(TC("1:0:0:0", 23.976F) - TC("1:0:0:10", 23.976F)); },
         "Timecode subtraction could not be performed.\n"
         "Lhs Timecode: \"01:00:00:00@23.98\"\nRhs Timecode: \"01:00:00:10@23.98\"\n"},
        {"order of other rates",
         [] { (void)(TC("01:00:00:00", 29.97F) < TC("01:00:00:00", 30.0F)); },
         "Timecode comparison could not be performed.\n"
         "Lhs Timecode: \"01:00:00:00@29.97\"\nRhs Timecode: \"01:00:00:00@30\"\n"},
    };
    for (const Case& c : cases) {
        try {
            c.action();
            ADD_FAILURE() << c.what << ": no InvalidTimecodeException";
        } catch (const InvalidTimecodeException& error) {
            EXPECT_EQ(error.detailedDescription(), c.detailed) << c.what;
        }
    }
    // Subtraction needs a rate on the right, and the same or none on the left.
    EXPECT_THROW((void)(TC("02:00:00:00", 25.0F) - TC("01:00:00:00", 0.0F)),
                 InvalidTimecodeException);
    EXPECT_THROW((void)(TC("02:00:00:00", 0.0F) - TC("01:00:00:00", 0.0F)),
                 InvalidTimecodeException);
    EXPECT_THROW((void)(TC("02:00:00:00", 24.0F) - TC("01:00:00:00", 25.0F)),
                 InvalidTimecodeException);
    EXPECT_THROW((void)(TC("01:00:00:00", 25.0F) == TC("01:00:00:00", 24.0F)),
                 InvalidTimecodeException);
}

TEST(Timecode, AdditionCarriesWithTheRateRoundedUp) {
    // No drop-frame counting: 29.97 counts 30 frames in every second.
    for (const auto& [start, rate, count, expected] :
         std::vector<std::tuple<const char*, float, unsigned int, const char*>>{
             {"00:00:59:24", 25.0F, 1, "0:1:0:0"},
             {"23:59:59:24", 25.0F, 1, "24:0:0:0"},
             {"00:00:00:00", 25.0F, 90000, "1:0:0:0"},
             {"00:00:00:00", 23.976F, 24, "0:0:1:0"},
             {"00:00:59:29", 29.97F, 1, "0:1:0:0"},
             {"00:09:59:29", 29.97F, 1, "0:10:0:0"}}) {
        const TC moved = TC(start, rate) + count;
        EXPECT_EQ(fields(moved), expected) << start << " + " << count;
        EXPECT_EQ(moved.fps, rate);
    }
    // Without a rate nothing moves, not even by zero frames.
    TC noRate("01:00:00:00", 0.0F);
    EXPECT_THROW(noRate += 0U, InvalidTimecodeException);
    EXPECT_EQ(fields(noRate), "1:0:0:0");
}

TEST(Timecode, SubtractionAndOrderCountFramesOfTheKnownRate) {
    for (const auto& [lhs, rhs, difference] : std::vector<std::tuple<TC, TC, unsigned int>>{
             {TC("01:00:00:10", 25.0F), TC("01:00:00:00", 25.0F), 10},
             {TC("01:00:00:10", 0.0F), TC("01:00:00:00", 25.0F), 10},
             {TC("01:00:01:00", 23.976F), TC("01:00:00:00", 23.976F), 24},
             {TC("01:00:00:00", 30.0F), TC("00:59:59:29", 30.0F), 1},
             {TC("02:00:00:00", 25.0F), TC("01:00:00:00", 25.0F), 90000},
             {TC("01:00:00:00", 25.0F), TC("01:00:00:00", 25.0F), 0}}) {
        const std::string text = lhs.string(true) + " - " + rhs.string(true);
        EXPECT_EQ(lhs - rhs, difference) << text;
        EXPECT_EQ(lhs == rhs, difference == 0) << text;
        EXPECT_EQ(rhs == lhs, difference == 0) << text;
        EXPECT_FALSE(lhs < rhs) << text;
        EXPECT_EQ(rhs < lhs, difference != 0) << text;
    }
    // Only the time fields are compared, a missing rate matching any.
    EXPECT_TRUE(TC("01:00:00:00", 25.0F) == TC("01:00:00:00", 0.0F));
    EXPECT_TRUE(TC("01:00:00:00", 0.0F) == TC("01:00:00:00", 0.0F));
    EXPECT_FALSE(TC("01:00:01:00", 0.0F) < TC("01:00:00:24", 25.0F));
    // Hours whose seconds do not fit 32 bits.
    EXPECT_TRUE(TC("00:40:00:00", 0.0F) < TC("1193047:00:00:00", 0.0F));
}
