#include "correction_file/InvalidFormatException.h"
#include "correction_file/NotFoundException.h"
#include "correction_file/NotReadableException.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using CorrectionFile::InvalidFormatException;
using CorrectionFile::NotFoundException;
using CorrectionFile::NotReadableException;

TEST(InvalidFormatException, LineFormGivesNumberAndContent) {
    const InvalidFormatException exception(17, "clipName:=A:=B");
    EXPECT_STREQ(exception.what(), "Correction file could not be parsed due to an invalid format.");
    EXPECT_EQ(exception.detailedDescription(),
              "Correction file could not be parsed due to an invalid format.\n"
              "Line Number: 17\n"
              "Line Content: \"clipName:=A:=B\"\n");
    EXPECT_EQ(exception.lineNumber(), 17U);
    EXPECT_EQ(exception.lineContent(), "clipName:=A:=B");
}

TEST(InvalidFormatException, LineFormWritesLargeNumbersInDecimal) {
    const InvalidFormatException exception(4294967295U, "");
    EXPECT_EQ(exception.detailedDescription(),
              "Correction file could not be parsed due to an invalid format.\n"
              "Line Number: 4294967295\n"
              "Line Content: \"\"\n");
}

TEST(InvalidFormatException, ReasonFormKeepsZeroAndEmptyText) {
    const InvalidFormatException exception("Version is not supported.");
    EXPECT_STREQ(exception.what(), "Correction file could not be parsed due to an invalid format.");
    EXPECT_EQ(exception.detailedDescription(),
              "Correction file could not be parsed due to an invalid format.\n"
              "Reason: Version is not supported.\n");
    EXPECT_EQ(exception.lineNumber(), 0U);
    EXPECT_EQ(exception.lineContent(), "");
}

TEST(InvalidFormatException, IsCaughtAsException) {
    try {
        throw InvalidFormatException(3, "x");
    } catch (const Exception& exception) {
        EXPECT_STREQ(exception.what(),
                     "Correction file could not be parsed due to an invalid format.");
        return;
    }
    FAIL() << "not caught as Exception";
}

TEST(NotReadableException, GivesThePathAsWritten) {
    const NotReadableException exception("/no/such dir/clip.vlcf");
    EXPECT_STREQ(exception.what(), "Correction file could not be read.");
    EXPECT_EQ(exception.detailedDescription(),
              "Correction file could not be read.\nFile Path: \"/no/such dir/clip.vlcf\"\n");
    EXPECT_EQ(exception.filePath(), "/no/such dir/clip.vlcf");
}

TEST(NotFoundException, ListsEverySearchedDirectoryOnItsOwnLine) {
    const std::vector<std::string> searched{"/shoot/day1/A001", "/shoot/day1/A001/meta",
                                            "/shoot/day1"};
    const NotFoundException exception("/shoot/day1/A001/A001C003.mov", searched);
    EXPECT_STREQ(exception.what(), "Correction file could not be found.");
    EXPECT_EQ(exception.detailedDescription(), "Correction file could not be found.\n"
                                               "Clip File Path: \"/shoot/day1/A001/A001C003.mov\"\n"
                                               "Searched Directory Paths:\n"
                                               "\t\"/shoot/day1/A001\"\n"
                                               "\t\"/shoot/day1/A001/meta\"\n"
                                               "\t\"/shoot/day1\"\n");
    EXPECT_EQ(exception.clipFilePath(), "/shoot/day1/A001/A001C003.mov");
    EXPECT_EQ(exception.searchedDirectoryPaths(), searched);
}

TEST(NotFoundException, WithoutSearchedDirectoriesEndsAfterTheLabel) {
    const NotFoundException exception("clip.mov", {});
    EXPECT_EQ(exception.detailedDescription(), "Correction file could not be found.\n"
                                               "Clip File Path: \"clip.mov\"\n"
                                               "Searched Directory Paths:\n");
}
