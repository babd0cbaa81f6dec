#include "correction_file/ClipFilePathBasedFinder.h"
#include "correction_file/LevelOfDepth.h"
#include "correction_file/NotFoundException.h"
#include "correction_file/NotReadableException.h"
#include "correction_file/Reader.h"

#include <boost/algorithm/string/replace.hpp>
#include <boost/filesystem.hpp>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using CorrectionFile::ClipFilePathBasedFinder;
using CorrectionFile::LevelOfDepth;
using CorrectionFile::NotFoundException;
using CorrectionFile::NotReadableException;
using CorrectionFile::Reader;

namespace fs = boost::filesystem;

namespace {

const LevelOfDepth systemDepths{1, 5, 2};

void writeFile(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path());
    std::ofstream(path.string(), std::ios::binary) << content;
}

// A valid correction file whose header names the given clip.
void writeCorrectionFile(const fs::path& path, const std::string& videoFileName = "A001C003.mov",
                         const std::string& clipName = "A001C003") {
    std::string text;
    Reader().readFile(std::string(VELOR_TEST_DATA_DIR) + "/correction_file/valid_version3.vlcf",
                      text);
    boost::algorithm::replace_first(text, "clipName:=A001C003", "clipName:=" + clipName);
    boost::algorithm::replace_first(text, "videoFileName:=A001C003.mov",
                                    "videoFileName:=" + videoFileName);
    writeFile(path, text);
}

// A fresh temporary directory, removed with everything in it at the end. The
// clip lies at <temporary>/r1/r2/shoot/day1/A001/A001C003.mov, so that all
// five parents the search climbs stay inside it.
class ReaderAndFinderTest : public ::testing::Test {
protected:
    ReaderAndFinderTest() { writeFile(clipPath, "not a movie"); }
    ~ReaderAndFinderTest() override {
        boost::system::error_code ignored;
        fs::remove_all(temporary, ignored);
    }

    // The path found, or "" when NotFoundException is thrown; that has to
    // leave the output alone.
    std::string find(const LevelOfDepth& depths = systemDepths) const {
        std::string found = "(unchanged)";
        try {
            ClipFilePathBasedFinder(clipPath, depths).find(found);
        } catch (const NotFoundException&) {
            EXPECT_EQ(found, "(unchanged)");
            return "";
        }
        return found;
    }

    const fs::path temporary =
        fs::temp_directory_path() / fs::unique_path("velor-test-%%%%-%%%%-%%%%-%%%%");
    const fs::path r1 = temporary / "r1";
    const fs::path r2 = r1 / "r2";
    const fs::path shoot = r2 / "shoot";
    const fs::path day1 = shoot / "day1";
    const fs::path a001 = day1 / "A001";
    const std::string clipPath = (a001 / "A001C003.mov").string();
};

} // namespace

TEST_F(ReaderAndFinderTest, ReaderReadsEveryByteOrRefusesAndKeepsTheOutput) {
    std::string bytes;
    for (int value = 0; value < 256; ++value) {
        bytes += static_cast<char>(value);
    }
    bytes += "line\r\nnext\n\r\n";
    writeFile(temporary / "bytes.vlcf", bytes);
    writeFile(temporary / "empty.vlcf", "");
    std::string content = "a previous text";
    Reader().readFile((temporary / "empty.vlcf").string(), content);
    EXPECT_EQ(content, "");
    Reader().readFile((temporary / "bytes.vlcf").string(), content);
    EXPECT_EQ(content, bytes);

    const fs::path locked = temporary / "locked.vlcf";
    writeFile(locked, "text");
    fs::permissions(locked, fs::no_perms);
    // Procfs refuses the reader's seek to the end, also for root.
    std::vector<std::string> paths{(temporary / "no such file.vlcf").string(), "",
                                   temporary.string(), "/proc/self/status"};
    if (::access(locked.c_str(), R_OK) != 0) { // root may read it anyway
        paths.push_back(locked.string());
    }
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        try {
            Reader().readFile(path, content);
            ADD_FAILURE() << "no exception";
        } catch (const NotReadableException& exception) {
            EXPECT_STREQ(exception.what(), "Correction file could not be read.");
            EXPECT_EQ(exception.detailedDescription(),
                      "Correction file could not be read.\nFile Path: \"" + path + "\"\n");
        }
        EXPECT_EQ(content, bytes);
    }
}

TEST_F(ReaderAndFinderTest, FinderSearchOrderAndDetailOfNotFound) {
    // One searchable subdirectory per directory, so that the order does not
    // depend on the file system's listing order. Hidden directories, the
    // branch the search came up from and what lies below the depth limits are
    // left out; a symbolic link to a directory is taken but not walked into.
    fs::create_directories(a001 / "meta" / "old");
    fs::create_directories(a001 / ".hidden" / "inside");
    fs::create_directories(day1 / "B002" / "notes" / "deep");
    fs::create_directories(shoot / "day2" / "C003");
    fs::create_directories(r1 / ".git" / "objects");
    fs::create_symlink(shoot / "day2", r1 / "link");
    writeFile(temporary / "file.txt", "");
    // Correction files that do not belong to the clip are read and rejected.
    writeCorrectionFile(day1 / "B002" / "B002C001.vlcf", "B002C001.mov", "B002C001");

    std::string detail = "Correction file could not be found.\nClip File Path: \"" + clipPath +
                         "\"\nSearched Directory Paths:";
    std::vector<std::string> expected;
    for (const fs::path& directory :
         {a001, a001 / "meta", day1, day1 / "B002", day1 / "B002" / "notes", shoot, shoot / "day2",
          shoot / "day2" / "C003", r2, r1, r1 / "link", temporary}) {
        expected.push_back(directory.string());
        detail += "\n\t\"" + directory.string() + "\"";
    }
    std::string found = "(unchanged)";
    try {
        ClipFilePathBasedFinder(clipPath, systemDepths).find(found);
        FAIL() << "found " << found;
    } catch (const NotFoundException& exception) {
        EXPECT_EQ(exception.searchedDirectoryPaths(), expected);
        EXPECT_STREQ(exception.what(), "Correction file could not be found.");
        EXPECT_EQ(exception.detailedDescription(), detail + "\n");
    }
    EXPECT_EQ(found, "(unchanged)");

    // More parents than the path has: the search ends at "/" without error.
    expected = {a001.string()};
    for (fs::path parent = day1; !parent.empty(); parent = parent.parent_path()) {
        expected.push_back(parent.string());
    }
    try {
        ClipFilePathBasedFinder(clipPath, {0, 255, 0}).find(found);
        FAIL() << "found " << found;
    } catch (const NotFoundException& exception) {
        EXPECT_EQ(exception.searchedDirectoryPaths(), expected);
    }
}

TEST_F(ReaderAndFinderTest, FinderFindsFilesWithinTheDepthLimitsOnly) {
    const struct {
        const char* file; // below the temporary directory
        LevelOfDepth depths;
        bool isFound;
    } cases[] = {
        {"r1/r2/shoot/day1/A001/meta/lens.vlcf", systemDepths, true},
        {"r1/r2/shoot/day1/A001/meta/old/lens.vlcf", systemDepths, false},
        {"r1/r2/shoot/day1/A001/a/b/c/lens.vlcf", {3, 0, 0}, true},
        {"r1/r2/shoot/day1/B002/notes/lens.vlcf", systemDepths, true},
        {"r1/r2/shoot/day1/B002/notes/deep/lens.vlcf", systemDepths, false},
        {"r1/r2/shoot/day1/lens.vlcf", {1, 0, 2}, false},
        {"lens.vlcf", systemDepths, true},
        {"lens.vlcf", {1, 4, 2}, false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.file);
        const fs::path file = temporary / testCase.file;
        writeCorrectionFile(file);
        EXPECT_EQ(find(testCase.depths), testCase.isFound ? file.string() : "");
        fs::remove(file);
    }
}

TEST_F(ReaderAndFinderTest, FinderPrefersNearerDirectoriesThenNamesWithTheStem) {
    writeCorrectionFile(day1 / "A001C003.vlcf");
    writeCorrectionFile(a001 / "meta" / "A001C003.vlcf");
    EXPECT_EQ(find(), (a001 / "meta" / "A001C003.vlcf").string());
    for (const char* name : {"aaa.vlcf", "zzz.vlcf", "take_A001C003_lens.vlcf", "bbb.vlcf"}) {
        writeCorrectionFile(a001 / name);
    }
    EXPECT_EQ(find(), (a001 / "take_A001C003_lens.vlcf").string());
}

TEST_F(ReaderAndFinderTest, FinderNeedsAHeaderNamingTheClipFile) {
    const struct {
        const char* name;
        const char* videoFileName;
        const char* clipName;
        bool isFound;
    } cases[] = {
        {"x.vlcf", "other.mov", "A001C003.mov", true},
        {".hidden.vlcf", "A001C003.mov", "other", true},
        {"x.vlcf", "A001C003", "A001C003", false}, // the stem alone is not enough
        {"A001C003.VLCF", "A001C003.mov", "A001C003", false},
        {"A001C003.vlcf.bak", "A001C003.mov", "A001C003", false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        const fs::path file = a001 / testCase.name;
        writeCorrectionFile(file, testCase.videoFileName, testCase.clipName);
        EXPECT_EQ(find(), testCase.isFound ? file.string() : "");
        fs::remove(file);
    }
}

TEST_F(ReaderAndFinderTest, FinderSkipsCandidatesThatCannotBeUsedQuietly) {
    // Those with the stem in their names are tried first.
    writeFile(a001 / "A001C003.vlcf", "# VLCF Version 3\nHEADER_START\nvideoFileName:=x\n");
    writeFile(a001 / "A001C003_binary.vlcf", std::string("\0\xff\n\r", 4));
    fs::create_symlink(temporary / "missing.vlcf", a001 / "A001C003_dangling.vlcf");
    writeCorrectionFile(a001 / "A001C003_locked.vlcf");
    fs::permissions(a001 / "A001C003_locked.vlcf", fs::no_perms);
    fs::create_symlink("/proc/self/status", a001 / "A001C003_proc.vlcf");
    // The file found is a symbolic link, and only its header is looked at.
    writeCorrectionFile(temporary / "elsewhere.vlcf");
    std::ofstream(temporary.string() + "/elsewhere.vlcf", std::ios::app) << "broken row\n";
    fs::create_symlink(temporary / "elsewhere.vlcf", a001 / "x.vlcf");

    const bool lockIsEnforced = ::access((a001 / "A001C003_locked.vlcf").c_str(), R_OK) != 0;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const std::string found = find();
    EXPECT_EQ(testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(found, (a001 / (lockIsEnforced ? "x.vlcf" : "A001C003_locked.vlcf")).string());
}

TEST_F(ReaderAndFinderTest, FinderAndDirectoriesThatCannotBeListed) {
    // A missing clip directory raises the file-system error.
    std::string found = "(unchanged)";
    EXPECT_THROW(
        ClipFilePathBasedFinder((temporary / "missing" / "A001C003.mov").string(), systemDepths)
            .find(found),
        fs::filesystem_error);
    EXPECT_EQ(found, "(unchanged)");

    // Locked directories that the search leaves out are skipped ...
    const fs::path walked = day1 / "B002" / "locked";
    const std::vector<fs::path> locked{a001 / ".locked", day1 / "B002" / "notes" / "locked",
                                       walked};
    for (const fs::path& directory : locked) {
        fs::create_directories(directory / "inner");
        fs::permissions(directory, fs::no_perms);
    }
    if (::access(walked.c_str(), R_OK | X_OK) == 0) {
        GTEST_SKIP() << "permissions are not enforced for this user (root)";
    }
    fs::permissions(walked, fs::owner_all);
    EXPECT_EQ(find(), "");

    // ... one the search walks into raises the file-system error.
    fs::permissions(walked, fs::no_perms);
    try {
        ClipFilePathBasedFinder(clipPath, systemDepths).find(found);
        ADD_FAILURE() << "no exception";
    } catch (const fs::filesystem_error& error) {
        EXPECT_NE(std::string(error.what())
                      .find("filesystem::recursive_directory_iterator directory error"),
                  std::string::npos)
            << error.what();
    }
    EXPECT_EQ(found, "(unchanged)");
    for (const fs::path& directory : locked) {
        fs::permissions(directory, fs::owner_all);
    }
}
