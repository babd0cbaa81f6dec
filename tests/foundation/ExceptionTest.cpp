#include "foundation/Exception.h"

#include <gtest/gtest.h>

TEST(Exception, DetailedDescriptionEndsBriefAndDetailInOneNewlineEach) {
    EXPECT_EQ(Exception("Failed.").detailedDescription(), "Failed.\n");
    EXPECT_EQ(Exception("Failed.", "").detailedDescription(), "Failed.\n");
    EXPECT_EQ(Exception("Failed.", "Path: \"/a/b\"").detailedDescription(),
              "Failed.\nPath: \"/a/b\"\n");
    EXPECT_EQ(Exception("B", "one\ntwo\n").detailedDescription(), "B\none\ntwo\n\n");
}
