#include "foundation/Timecode.h"
#include "foundation/InvalidTimecodeException.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using Timecode::InvalidTimecodeException;
using TC = Timecode::Timecode;

namespace {

// Runs the action, expects it to throw InvalidTimecodeException and returns its detailed
// description.
template <typename Action>
std::string failureOf(Action action) {
    try {
        action();
    } catch (const InvalidTimecodeException& error) {
        return error.detailedDescription();
    }
    ADD_FAILURE() << "no InvalidTimecodeException was thrown";
    return {};
}

void expectFields(const TC& timecode, unsigned h, unsigned m, unsigned s, unsigned f) {
    EXPECT_EQ(timecode.hours, h);
    EXPECT_EQ(timecode.minutes, m);
    EXPECT_EQ(timecode.seconds, s);
    EXPECT_EQ(timecode.frames, f);
}

} // namespace

TEST(TimecodeParsing, AcceptsValidTexts) {
    expectFields(TC("10:00:00:00", 25.0F), 10, 0, 0, 0);
    expectFields(TC("10:00:00:00", 0.0F), 10, 0, 0, 0);
    expectFields(TC("10:00:00:24", 25.0F), 10, 0, 0, 24);
    expectFields(TC("10:00:00:23", 23.976F), 10, 0, 0, 23);
    expectFields(TC("99:59:59:00", 25.0F), 99, 59, 59, 0);
    expectFields(TC("1:2:3:4", 25.0F), 1, 2, 3, 4);
    expectFields(TC("01:00:00:99", 0.0F), 1, 0, 0, 99);
    EXPECT_EQ(TC("10:00:00:00", 25.0F).fps, 25.0F);
}

TEST(TimecodeParsing, SignHandlingFollowsLexicalCast) {
    expectFields(TC("+1:00:00:00", 25.0F), 1, 0, 0, 0);
    // An unsigned "-1" wraps to the largest value: fine for hours, too large for minutes.
    EXPECT_EQ(TC("-1:00:00:00", 0.0F).hours, 4294967295U);
    EXPECT_THROW(TC("01:-1:00:00", 25.0F), InvalidTimecodeException);
}

TEST(TimecodeParsing, RejectsMalformedTexts) {
    for (const char* text : {"10:00:00:25", "10:60:00:00", "10:00:60:00", "10:00:00", "1:2:3:4:5",
                             "01:00:00;00", "01;00;00;00", "", "01::00:00", "01:0a:00:00",
                             " 01:00:00:00", "01:00:00:00 ", "01:00:00:00:"}) {
        EXPECT_THROW(TC(text, 25.0F), InvalidTimecodeException) << text;
    }
    EXPECT_THROW(TC("10:00:00:24", 23.976F), InvalidTimecodeException);
    EXPECT_THROW(TC(nullptr, 25.0F), InvalidTimecodeException);
}

TEST(TimecodeParsing, RejectsUnusableRates) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    for (const float rate : {-25.0F, -0.5F, nan, infinity, -infinity, 1.0e20F}) {
        EXPECT_THROW(TC("00:00:00:00", rate), InvalidTimecodeException) << rate;
    }
}

TEST(TimecodeParsing, FailureNamesTextAndRate) {
    EXPECT_EQ(failureOf([] { TC("10:00:00:25", 25.0F); }),
              "Timecode object could not be constructed due to invalid format.\n"
              "Timecode String: \"10:00:00:25\"\n"
              "Frames per Second: \"25\"\n");
    EXPECT_EQ(failureOf([] { TC("x", 23.976F); }),
              "Timecode object could not be constructed due to invalid format.\n"
              "Timecode String: \"x\"\n"
              "Frames per Second: \"23.976\"\n");
}

TEST(TimecodeText, PadsFieldsAndFormatsRate) {
    EXPECT_EQ(TC("1:2:3:4", 25.0F).string(false), "01:02:03:04");
    EXPECT_EQ(TC("100:00:00:00", 25.0F).string(false), "100:00:00:00");
    EXPECT_EQ(TC("01:00:00:00", 25.0F).string(true), "01:00:00:00@25");
    EXPECT_EQ(TC("01:00:00:00", 0.0F).string(true), "01:00:00:00@0");
    EXPECT_EQ(TC("01:00:00:00", 23.976F).string(true), "01:00:00:00@23.98");
    EXPECT_EQ(TC("01:00:00:00", 29.97F).string(true), "01:00:00:00@29.97");
    EXPECT_EQ(TC("01:00:00:00", 29.97F).string(false), "01:00:00:00");
}

TEST(TimecodeAddition, CarriesIntoSecondsMinutesAndHours) {
    expectFields(TC("00:00:59:24", 25.0F) + 1U, 0, 1, 0, 0);
    expectFields(TC("23:59:59:24", 25.0F) + 1U, 24, 0, 0, 0);
    expectFields(TC("00:00:00:00", 25.0F) + 90000U, 1, 0, 0, 0);
    expectFields(TC("00:00:00:00", 23.976F) + 24U, 0, 0, 1, 0);
    expectFields(TC("00:00:00:00", 29.97F) + 29U, 0, 0, 0, 29);
}

TEST(TimecodeAddition, PlusLeavesOriginalAndKeepsRate) {
    const TC start("01:00:00:00", 25.0F);
    const TC moved = start + 10U;
    expectFields(start, 1, 0, 0, 0);
    expectFields(moved, 1, 0, 0, 10);
    EXPECT_EQ(moved.fps, 25.0F);

    TC inPlace("01:00:00:00", 25.0F);
    inPlace += 25U;
    expectFields(inPlace, 1, 0, 1, 0);
}

TEST(TimecodeAddition, WithoutRateThrowsInsteadOfDividingByZero) {
    TC noRate("01:00:00:00", 0.0F);
    EXPECT_EQ(failureOf([&] { noRate += 1U; }),
              "Frames could not be added to the timecode because it has no frame rate.\n"
              "Timecode String: \"01:00:00:00\"\n"
              "Frames per Second: \"0\"\n");
    expectFields(noRate, 1, 0, 0, 0);
    EXPECT_THROW(noRate + 0U, InvalidTimecodeException);
}

TEST(TimecodeSubtraction, CountsFramesForward) {
    EXPECT_EQ(TC("01:00:00:10", 25.0F) - TC("01:00:00:00", 25.0F), 10U);
    EXPECT_EQ(TC("01:00:00:10", 0.0F) - TC("01:00:00:00", 25.0F), 10U);
    EXPECT_EQ(TC("01:00:01:00", 23.976F) - TC("01:00:00:00", 23.976F), 24U);
    EXPECT_EQ(TC("01:00:00:00", 25.0F) - TC("01:00:00:00", 25.0F), 0U);
    EXPECT_EQ(TC("02:00:00:00", 25.0F) - TC("01:00:00:00", 25.0F), 90000U);
}

TEST(TimecodeSubtraction, FailsForNegativeResultOrMismatchedRates) {
    const std::string reversed =
        failureOf([] { (void)(TC("01:00:00:00", 25.0F) - TC("01:00:00:10", 25.0F)); });
    EXPECT_EQ(reversed, "Timecode subtraction could not be performed.\n"
                        "Lhs Timecode: \"01:00:00:00@25\"\n"
                        "Rhs Timecode: \"01:00:00:10@25\"\n");
    EXPECT_THROW((void)(TC("02:00:00:00", 25.0F) - TC("01:00:00:00", 0.0F)),
                 InvalidTimecodeException);
    EXPECT_THROW((void)(TC("02:00:00:00", 0.0F) - TC("01:00:00:00", 0.0F)),
                 InvalidTimecodeException);
    EXPECT_THROW((void)(TC("02:00:00:00", 24.0F) - TC("01:00:00:00", 25.0F)),
                 InvalidTimecodeException);
}

TEST(TimecodeComparison, ComparesTimeFieldsOnly) {
    EXPECT_TRUE(TC("01:00:00:00", 25.0F) == TC("01:00:00:00", 0.0F));
    EXPECT_TRUE(TC("01:00:00:00", 0.0F) == TC("01:00:00:00", 0.0F));
    EXPECT_FALSE(TC("01:00:00:01", 25.0F) == TC("01:00:00:00", 25.0F));
    EXPECT_TRUE(TC("01:00:00:01", 25.0F) < TC("01:00:00:02", 25.0F));
    EXPECT_TRUE(TC("00:59:59:24", 25.0F) < TC("01:00:00:00", 25.0F));
    EXPECT_FALSE(TC("01:00:00:00", 25.0F) < TC("01:00:00:00", 25.0F));
    EXPECT_FALSE(TC("01:00:01:00", 0.0F) < TC("01:00:00:24", 25.0F));
}

TEST(TimecodeComparison, DifferentRatesAreNotComparable) {
    const std::string expected = "Timecode comparison could not be performed.\n"
                                 "Lhs Timecode: \"01:00:00:00@25\"\n"
                                 "Rhs Timecode: \"01:00:00:00@24\"\n";
    EXPECT_EQ(failureOf([] { (void)(TC("01:00:00:00", 25.0F) == TC("01:00:00:00", 24.0F)); }),
              expected);
    EXPECT_EQ(failureOf([] { (void)(TC("01:00:00:00", 25.0F) < TC("01:00:00:00", 24.0F)); }),
              expected);
}
