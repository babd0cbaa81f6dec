#include "foundation/Exception.h"
#include "foundation/InvalidTimecodeException.h"

#include <gtest/gtest.h>

TEST(Exception, DetailedDescriptionEndsBriefAndDetailInOneNewlineEach) {
    EXPECT_EQ(Exception("Failed.").detailedDescription(), "Failed.\n");
    EXPECT_EQ(Exception("Failed.", "").detailedDescription(), "Failed.\n");
    EXPECT_EQ(Exception("Failed.", "Path: \"/a/b\"").detailedDescription(),
              "Failed.\nPath: \"/a/b\"\n");
    EXPECT_EQ(Exception("B", "one\ntwo\n").detailedDescription(), "B\none\ntwo\n\n");
}

TEST(Exception, CaughtAsBaseKeepsBothTexts) {
    try {
        throw Timecode::InvalidTimecodeException("Brief.", "01:00:00:00@25", "02:00:00:00@25");
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "Brief.");
        EXPECT_EQ(error.detailedDescription(),
                  "Brief.\nLhs Timecode: \"01:00:00:00@25\"\nRhs Timecode: \"02:00:00:00@25\"\n");
    }
}
