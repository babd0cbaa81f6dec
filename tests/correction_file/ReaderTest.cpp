#include "TemporaryDirectory.h"

#include "correction_file/NotReadableException.h"
#include "correction_file/Reader.h"

#include <boost/filesystem.hpp>

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

using CorrectionFile::NotReadableException;
using CorrectionFile::Reader;

namespace fs = boost::filesystem;

TEST(Reader, ReadsTheWholeFileByteForByte) {
    TemporaryDirectory directory;
    std::string bytes;
    for (int value = 0; value < 256; ++value) {
        bytes += static_cast<char>(value);
    }
    bytes += "line\r\nnext\n\r\n";
    writeFile(directory.path() / "bytes.vlcf", bytes);
    std::string content;
    Reader().readFile((directory.path() / "bytes.vlcf").string(), content);
    EXPECT_EQ(content, bytes);
}

TEST(Reader, KeepsCarriageReturns) {
    std::string content;
    Reader().readFile(
        std::string(VELOR_TEST_DATA_DIR) + "/correction_file/valid_version3_crlf.vlcf", content);
    EXPECT_EQ(content.rfind("# VLCF Version 3\r\nHEADER_START\r\n", 0), 0U);
    EXPECT_EQ(content.substr(content.size() - 2), "\r\n");
}

TEST(Reader, EmptyFileGivesEmptyString) {
    TemporaryDirectory directory;
    writeFile(directory.path() / "empty.vlcf", "");
    std::string content = "previous";
    Reader().readFile((directory.path() / "empty.vlcf").string(), content);
    EXPECT_EQ(content, "");
}

TEST(Reader, SecondCallReplaces) {
    TemporaryDirectory directory;
    writeFile(directory.path() / "a.vlcf", "first file");
    writeFile(directory.path() / "b.vlcf", "second");
    const Reader reader;
    std::string content;
    reader.readFile((directory.path() / "a.vlcf").string(), content);
    reader.readFile((directory.path() / "b.vlcf").string(), content);
    EXPECT_EQ(content, "second");
}

TEST(Reader, MissingFileThrowsAndKeepsTheOutput) {
    TemporaryDirectory directory;
    const std::string path = (directory.path() / "no such file.vlcf").string();
    std::string content = "previous";
    try {
        Reader().readFile(path, content);
        FAIL() << "no exception";
    } catch (const NotReadableException& exception) {
        EXPECT_STREQ(exception.what(), "Correction file could not be read.");
        EXPECT_EQ(exception.detailedDescription(),
                  "Correction file could not be read.\nFile Path: \"" + path + "\"\n");
        EXPECT_EQ(exception.filePath(), path);
    }
    EXPECT_EQ(content, "previous");
}

TEST(Reader, PathIsReportedExactlyAsGiven) {
    std::string content;
    try {
        Reader().readFile("relative/../odd//path.vlcf", content);
        FAIL() << "no exception";
    } catch (const NotReadableException& exception) {
        EXPECT_EQ(exception.filePath(), "relative/../odd//path.vlcf");
    }
    EXPECT_THROW(Reader().readFile("", content), NotReadableException);
}

TEST(Reader, DirectoryIsNotReadable) {
    TemporaryDirectory directory;
    std::string content = "previous";
    EXPECT_THROW(Reader().readFile(directory.path().string(), content), NotReadableException);
    EXPECT_EQ(content, "previous");
}

TEST(Reader, FileWithoutReadPermissionIsNotReadable) {
    TemporaryDirectory directory;
    const fs::path path = directory.path() / "locked.vlcf";
    writeFile(path, "text");
    fs::permissions(path, fs::no_perms);
    if (::access(path.c_str(), R_OK) == 0) {
        GTEST_SKIP() << "permissions are not enforced for this user (root)";
    }
    std::string content;
    EXPECT_THROW(Reader().readFile(path.string(), content), NotReadableException);
}
