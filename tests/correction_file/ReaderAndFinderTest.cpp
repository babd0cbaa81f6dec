#include "correction_file/ClipFilePathBasedFinder.h"
#include "correction_file/LevelOfDepth.h"
#include "correction_file/NotFoundException.h"
#include "correction_file/NotReadableException.h"
#include "correction_file/Reader.h"

#include "UnprivilegedRun.h"

#include <boost/algorithm/string/replace.hpp>
#include <boost/filesystem.hpp>

#include <gtest/gtest.h>

#include <algorithm>
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
    const std::vector<std::string> paths{(temporary / "no such file.vlcf").string(), "",
                                         temporary.string(), "/proc/self/status"};
    // Root may read anything: the locked file is read as an unprivileged user.
    EXPECT_EQ(runUnprivileged([&locked] {
                  std::string text = "kept";
                  try {
                      Reader().readFile(locked.string(), text);
                      return std::string("read");
                  } catch (const NotReadableException& exception) {
                      return exception.detailedDescription() + text;
                  }
              }),
              "Correction file could not be read.\nFile Path: \"" + locked.string() + "\"\nkept");
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

    // As an unprivileged user, for whom the lock holds; what the search
    // prints would be read back with its answer.
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const std::string found = runUnprivileged([this] { return find(); });
    EXPECT_EQ(testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(found, (a001 / "x.vlcf").string());
}

// A clip directory that does not exist, and directories on the search path
// that cannot be listed, are passed over and named; what lies beyond them is
// still found.
TEST_F(ReaderAndFinderTest, FinderPassesOverDirectoriesThatCannotBeListed) {
    const fs::path locked = a001 / "locked";                  // searched in stage 2
    const fs::path unrelated = day1 / "B002";                 // walked into below the first parent
    const fs::path hidden = day1 / ".private";                // left out, never listed
    const fs::path beyond = shoot / "day2" / "C004" / "deep"; // below the depth limit
    for (const fs::path& directory : {locked, unrelated, hidden, beyond}) {
        fs::create_directories(directory / "inner");
        fs::permissions(directory, fs::no_perms);
    }
    writeCorrectionFile(shoot / "A001C003.vlcf");
    const auto outcome = [this](const std::string& clip, const LevelOfDepth& depths) {
        return runUnprivileged([&] {
            std::string found;
            try {
                ClipFilePathBasedFinder(clip, depths).find(found);
                return "found " + found;
            } catch (const NotFoundException& error) {
                return "not found\n" + error.detailedDescription();
            } catch (const std::exception& error) {
                return std::string("failed ") + error.what();
            }
        });
    };
    EXPECT_EQ(outcome(clipPath, systemDepths), "found " + (shoot / "A001C003.vlcf").string());

    fs::remove(shoot / "A001C003.vlcf");
    const std::string notFound = outcome(clipPath, systemDepths);
    EXPECT_EQ(notFound.rfind("not found\n", 0), 0U) << notFound;
    const std::string expectedProblems = "\nDirectories that could not be searched:\n\t\"" +
                                         locked.string() + "\": Permission denied\n\t\"" +
                                         unrelated.string() + "\": Permission denied\n";
    EXPECT_NE(notFound.find(expectedProblems), std::string::npos) << notFound;
    // Each is still named once among the searched directories, in search order.
    EXPECT_NE(notFound.find("\n\t\"" + locked.string() + "\"\n\t\"" + day1.string() + "\"\n\t\"" +
                            unrelated.string() + "\"\n"),
              std::string::npos)
        << notFound;

    // A clip directory that is missing is named with the reason.
    const fs::path missing = temporary / "missing";
    const std::string missingClip = outcome((missing / "A001C003.mov").string(), {1, 1, 0});
    EXPECT_EQ(missingClip, "not found\nCorrection file could not be found.\nClip File Path: \"" +
                               (missing / "A001C003.mov").string() +
                               "\"\nSearched Directory Paths:\n\t\"" + missing.string() +
                               "\"\n\t\"" + temporary.string() +
                               "\"\nDirectories that could not be searched:\n\t\"" +
                               missing.string() + "\": No such file or directory\n");

    for (const fs::path& directory : {locked, unrelated, hidden, beyond}) {
        fs::permissions(directory, fs::owner_all);
    }
}

// Self-referencing symbolic links have a status that cannot be read: they are
// named and passed over, and the correction file beside them is found.
TEST_F(ReaderAndFinderTest, FinderPassesOverEntriesWhoseStatusCannotBeRead) {
    fs::create_symlink(a001 / "A001C003_loop.vlcf", a001 / "A001C003_loop.vlcf");
    fs::create_symlink(a001 / "loop", a001 / "loop");
    fs::create_symlink(day1 / "cycle", day1 / "cycle");
    writeCorrectionFile(a001 / "plate.vlcf");
    EXPECT_EQ(find(), (a001 / "plate.vlcf").string());

    fs::remove(a001 / "plate.vlcf");
    try {
        std::string found;
        ClipFilePathBasedFinder(clipPath, systemDepths).find(found);
        FAIL() << "found " << found;
    } catch (const NotFoundException& error) {
        const std::string detail = error.detailedDescription();
        const std::string loop = ": Too many levels of symbolic links";
        for (const fs::path& entry : {a001 / "A001C003_loop.vlcf", a001 / "loop", day1 / "cycle"}) {
            const std::string line = "\n\t\"" + entry.string() + "\"" + loop;
            EXPECT_NE(detail.find(line), std::string::npos) << entry << " in " << detail;
            EXPECT_EQ(detail.find(line), detail.rfind(line)) << "named twice: " << detail;
        }
        EXPECT_NE(detail.find("\nEntries that could not be read:\n\t\"" +
                              (a001 / "A001C003_loop.vlcf").string() + "\"" + loop + "\n"),
                  std::string::npos)
            << detail;
    }
}

// A clip whose fifth parent is the root: the root's subdirectories are
// searched, but never the kernel's file systems below /proc, /sys and /dev.
TEST_F(ReaderAndFinderTest, FinderNeverDescendsIntoProcSysOrDev) {
    const fs::path clip = temporary / "a" / fs::unique_path("ProcWalk-%%%%-%%%%.mov");
    writeFile(clip, "not a movie");
    std::string found = "(unchanged)";
    try {
        ClipFilePathBasedFinder(clip.string(), {0, 255, 2}).find(found);
        FAIL() << "found " << found;
    } catch (const NotFoundException& error) {
        const std::vector<std::string>& searched = error.searchedDirectoryPaths();
        EXPECT_NE(std::find(searched.begin(), searched.end(), "/"), searched.end());
        for (const std::string& directory : searched) {
            for (const char* kernel : {"/proc", "/sys", "/dev"}) {
                EXPECT_NE(directory.rfind(kernel, 0), 0U) << directory;
            }
        }
    }
    EXPECT_EQ(found, "(unchanged)");
}

// When nothing is found, the candidates that could not be read or parsed are
// named with the reason, so that a broken file beside the clip is seen. Those
// that are valid but name another clip are not.
TEST_F(ReaderAndFinderTest, NotFoundNamesTheCorrectionFilesThatCouldNotBeUsed) {
    std::string text;
    Reader().readFile(std::string(VELOR_TEST_DATA_DIR) + "/correction_file/valid_version3.vlcf",
                      text);
    boost::algorithm::replace_first(text, "sensorWidth:=36.70\n", "");
    writeFile(a001 / "A001C003.vlcf", text);
    writeCorrectionFile(a001 / "other.vlcf", "B002C001.mov", "B002C001");
    writeCorrectionFile(day1 / "locked.vlcf");
    fs::permissions(day1 / "locked.vlcf", fs::no_perms);

    const std::string detail = runUnprivileged([this] {
        std::string found;
        try {
            ClipFilePathBasedFinder(clipPath, systemDepths).find(found);
            return "found " + found;
        } catch (const NotFoundException& error) {
            return error.detailedDescription();
        }
    });
    EXPECT_NE(detail.find("\"\nCorrection files that could not be used:\n\t\"" +
                          (a001 / "A001C003.vlcf").string() +
                          "\": Correction file could not be parsed due to an invalid format. "
                          "Reason: Header entry with key \"sensorWidth\" was not found.\n\t\"" +
                          (day1 / "locked.vlcf").string() +
                          "\": Correction file could not be read.\n"),
              std::string::npos)
        << detail;
    EXPECT_EQ(detail.find("other.vlcf"), std::string::npos) << detail;
    fs::permissions(day1 / "locked.vlcf", fs::owner_all);
}
