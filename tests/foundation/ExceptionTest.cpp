#include "foundation/Exception.h"
#include "foundation/InvalidTimecodeException.h"

#include <gtest/gtest.h>

TEST(Exception, BriefOnlyEndsInOneNewline) {
    const Exception error("Something failed.");
    EXPECT_STREQ(error.what(), "Something failed.");
    EXPECT_EQ(error.detailedDescription(), "Something failed.\n");
}

TEST(Exception, DetailFollowsBriefEachEndedByNewline) {
    const Exception error("Something failed.", "Path: \"/a/b\"");
    EXPECT_STREQ(error.what(), "Something failed.");
    EXPECT_EQ(error.detailedDescription(), "Something failed.\nPath: \"/a/b\"\n");
}

TEST(Exception, EmptyDetailBehavesLikeBriefOnly) {
    const Exception error("Something failed.", "");
    EXPECT_EQ(error.detailedDescription(), "Something failed.\n");
}

TEST(Exception, MultiLineDetailIsKeptUnchanged) {
    const Exception error("B", "one\ntwo\n");
    EXPECT_EQ(error.detailedDescription(), "B\none\ntwo\n\n");
}

TEST(Exception, DerivedCaughtAsBaseKeepsBothTexts) {
    try {
        throw Timecode::InvalidTimecodeException("Brief.", "01:00:00:00@25", "02:00:00:00@25");
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "Brief.");
        EXPECT_EQ(error.detailedDescription(),
                  "Brief.\nLhs Timecode: \"01:00:00:00@25\"\nRhs Timecode: \"02:00:00:00@25\"\n");
    }
}

TEST(Exception, CaughtAsStdExceptionGivesBrief) {
    try {
        throw Exception("Brief.", "Detail");
    } catch (const std::exception& error) {
        EXPECT_STREQ(error.what(), "Brief.");
    }
}
