#include "CorrectionFileText.h"
#include "TemporaryDirectory.h"

#include "correction_file/ClipFilePathBasedFinder.h"
#include "correction_file/Finder.h"
#include "correction_file/LevelOfDepth.h"
#include "correction_file/NotFoundException.h"
#include "correction_file/NotReadableException.h"
#include "correction_file/Reader.h"

#include <boost/filesystem.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using CorrectionFile::ClipFilePathBasedFinder;
using CorrectionFile::LevelOfDepth;
using CorrectionFile::NotFoundException;
using CorrectionFileText::validVersion3Text;

namespace fs = boost::filesystem;

namespace {

const LevelOfDepth systemDepths{1, 5, 2};

// The clip lies at <temporary>/r1/r2/shoot/day1/A001/A001C003.mov, so that all
// five parents the search climbs stay inside the temporary directory.
class ClipFilePathBasedFinderTest : public ::testing::Test {
protected:
    ClipFilePathBasedFinderTest()
        : r1(temporary.path() / "r1"), r2(r1 / "r2"), shoot(r2 / "shoot"), day1(shoot / "day1"),
          a001(day1 / "A001"), clipPath((a001 / "A001C003.mov").string()) {
        fs::create_directories(a001);
        writeFile(clipPath, "not a movie");
    }

    // A valid correction file whose header names the given clip.
    static void writeCorrectionFile(const fs::path& path,
                                    const std::string& videoFileName = "A001C003.mov",
                                    const std::string& clipName = "A001C003") {
        writeFile(path, validVersion3Text(videoFileName, clipName));
    }

    std::string find(const LevelOfDepth& depths = systemDepths) const {
        std::string found = "(unchanged)";
        ClipFilePathBasedFinder(clipPath, depths).find(found);
        return found;
    }

    std::vector<std::string> searchedDirectories(const LevelOfDepth& depths = systemDepths) const {
        std::string found = "(unchanged)";
        try {
            ClipFilePathBasedFinder(clipPath, depths).find(found);
        } catch (const NotFoundException& exception) {
            EXPECT_EQ(found, "(unchanged)");
            return exception.searchedDirectoryPaths();
        }
        ADD_FAILURE() << "found " << found;
        return {};
    }

    static std::string text(const fs::path& path) { return path.string(); }

    TemporaryDirectory temporary;
    const fs::path r1;
    const fs::path r2;
    const fs::path shoot;
    const fs::path day1;
    const fs::path a001;
    const std::string clipPath;
};

// The names in a directory in the order in which the file system lists them.
std::vector<std::string> listingOrder(const fs::path& directory) {
    std::vector<std::string> names;
    for (fs::directory_iterator it(directory), end; it != end; ++it) {
        names.push_back(it->path().filename().string());
    }
    return names;
}

} // namespace

TEST_F(ClipFilePathBasedFinderTest, FindsTheFileInTheClipDirectory) {
    writeCorrectionFile(a001 / "A001C003.vlcf");
    EXPECT_EQ(find(), text(a001 / "A001C003.vlcf"));
}

TEST_F(ClipFilePathBasedFinderTest, TheNearestDirectoryHoldingAFileWins) {
    writeCorrectionFile(a001 / "A001C003.vlcf");
    writeCorrectionFile(a001 / "meta" / "A001C003.vlcf");
    writeCorrectionFile(day1 / "A001C003.vlcf");
    EXPECT_EQ(find(), text(a001 / "A001C003.vlcf"));
    fs::remove(a001 / "A001C003.vlcf");
    EXPECT_EQ(find(), text(a001 / "meta" / "A001C003.vlcf"));
    fs::remove(a001 / "meta" / "A001C003.vlcf");
    EXPECT_EQ(find(), text(day1 / "A001C003.vlcf"));
}

TEST_F(ClipFilePathBasedFinderTest, FindsTheFileOneLevelBelowTheClipDirectory) {
    writeCorrectionFile(a001 / "meta" / "lens.vlcf");
    EXPECT_EQ(find(), text(a001 / "meta" / "lens.vlcf"));
}

TEST_F(ClipFilePathBasedFinderTest, DoesNotFindTheFileTwoLevelsBelowTheClipDirectory) {
    writeCorrectionFile(a001 / "meta" / "old" / "lens.vlcf");
    const std::vector<std::string> searched = searchedDirectories();
    EXPECT_EQ(std::count(searched.begin(), searched.end(), text(a001 / "meta" / "old")), 0);
    EXPECT_EQ(std::count(searched.begin(), searched.end(), text(a001)), 1);
}

TEST_F(ClipFilePathBasedFinderTest, FindsTheFileInTheSecondParent) {
    writeCorrectionFile(shoot / "all.vlcf");
    EXPECT_EQ(find(), text(shoot / "all.vlcf"));
}

TEST_F(ClipFilePathBasedFinderTest, FindsTheFileTwoLevelsBelowTheFirstParent) {
    writeCorrectionFile(day1 / "B002" / "notes" / "lens.vlcf");
    EXPECT_EQ(find(), text(day1 / "B002" / "notes" / "lens.vlcf"));
}

TEST_F(ClipFilePathBasedFinderTest, DoesNotFindTheFileThreeLevelsBelowAParent) {
    writeCorrectionFile(day1 / "B002" / "notes" / "deep" / "lens.vlcf");
    EXPECT_THROW(find(), NotFoundException);
}

TEST_F(ClipFilePathBasedFinderTest, FindsTheFileInTheFifthParentButNotAboveIt) {
    writeCorrectionFile(temporary.path() / "fifth.vlcf");
    EXPECT_EQ(find(), text(temporary.path() / "fifth.vlcf"));
    EXPECT_THROW(find({1, 4, 2}), NotFoundException);
}

TEST_F(ClipFilePathBasedFinderTest, HiddenDirectoriesAreNotSearched) {
    writeCorrectionFile(a001 / ".meta" / "lens.vlcf");
    writeCorrectionFile(day1 / ".cache" / "lens.vlcf");
    writeCorrectionFile(day1 / "B002" / ".x" / "lens.vlcf");
    EXPECT_THROW(find(), NotFoundException);
}

TEST_F(ClipFilePathBasedFinderTest, HiddenFilesAreCandidates) {
    writeCorrectionFile(a001 / ".hidden.vlcf");
    EXPECT_EQ(find(), text(a001 / ".hidden.vlcf"));
}

TEST_F(ClipFilePathBasedFinderTest, FileNamingAnotherClipIsSkippedEvenWithTheStemInItsName) {
    writeCorrectionFile(a001 / "A001C003.vlcf", "A001C004.mov", "A001C004");
    EXPECT_THROW(find(), NotFoundException);
    writeCorrectionFile(a001 / "x.vlcf");
    EXPECT_EQ(find(), text(a001 / "x.vlcf"));
}

TEST_F(ClipFilePathBasedFinderTest, HeaderMayNameTheClipInEitherKey) {
    writeCorrectionFile(a001 / "x.vlcf", "other.mov", "A001C003.mov");
    EXPECT_EQ(find(), text(a001 / "x.vlcf"));
    fs::remove(a001 / "x.vlcf");
    writeCorrectionFile(a001 / "y.vlcf", "A001C003.mov", "other");
    EXPECT_EQ(find(), text(a001 / "y.vlcf"));
    fs::remove(a001 / "y.vlcf");
    // The stem alone does not name the clip.
    writeCorrectionFile(a001 / "z.vlcf", "A001C003", "A001C003");
    EXPECT_THROW(find(), NotFoundException);
}

TEST_F(ClipFilePathBasedFinderTest, ExtensionMustBeLowerCaseVlcf) {
    writeCorrectionFile(a001 / "A001C003.VLCF");
    writeCorrectionFile(a001 / "A001C003.Vlcf");
    writeCorrectionFile(a001 / "A001C003.vlcf.bak");
    writeCorrectionFile(a001 / "A001C003vlcf");
    EXPECT_THROW(find(), NotFoundException);
}

TEST_F(ClipFilePathBasedFinderTest, DirectoryNamedLikeACorrectionFileIsNoCandidate) {
    fs::create_directories(a001 / "dir.vlcf");
    writeCorrectionFile(a001 / "dir.vlcf" / "inner.vlcf");
    EXPECT_EQ(find(), text(a001 / "dir.vlcf" / "inner.vlcf"));
}

TEST_F(ClipFilePathBasedFinderTest, SymbolicLinkToAFileIsACandidate) {
    writeCorrectionFile(temporary.path() / "elsewhere" / "real.vlcf");
    fs::create_symlink(temporary.path() / "elsewhere" / "real.vlcf", a001 / "link.vlcf");
    fs::create_symlink(temporary.path() / "missing.vlcf", a001 / "A001C003.vlcf");
    EXPECT_EQ(find(), text(a001 / "link.vlcf"));
}

TEST_F(ClipFilePathBasedFinderTest, FileWhoseNameContainsTheStemComesFirst) {
    writeCorrectionFile(a001 / "aaa.vlcf");
    writeCorrectionFile(a001 / "zzz.vlcf");
    writeCorrectionFile(a001 / "take_A001C003_lens.vlcf");
    writeCorrectionFile(a001 / "bbb.vlcf");
    EXPECT_EQ(find(), text(a001 / "take_A001C003_lens.vlcf"));
}

TEST_F(ClipFilePathBasedFinderTest, StemFilesInReverseListingOrderOthersInListingOrder) {
    for (const char* name : {"A001C003_a.vlcf", "A001C003_b.vlcf", "A001C003_c.vlcf"}) {
        writeCorrectionFile(a001 / name);
    }
    std::vector<std::string> stemNames;
    for (const std::string& name : listingOrder(a001)) {
        if (name.find("A001C003_") == 0) {
            stemNames.push_back(name);
        }
    }
    ASSERT_EQ(stemNames.size(), 3U);
    EXPECT_EQ(find(), text(a001 / stemNames.back()));

    for (const std::string& name : stemNames) {
        fs::remove(a001 / name);
    }
    for (const char* name : {"p.vlcf", "q.vlcf", "r.vlcf"}) {
        writeCorrectionFile(a001 / name);
    }
    std::vector<std::string> otherNames;
    for (const std::string& name : listingOrder(a001)) {
        if (fs::path(name).extension() == ".vlcf") {
            otherNames.push_back(name);
        }
    }
    ASSERT_EQ(otherNames.size(), 3U);
    EXPECT_EQ(find(), text(a001 / otherNames.front()));
}

TEST_F(ClipFilePathBasedFinderTest, CandidateWithInvalidHeaderIsSkipped) {
    writeFile(a001 / "A001C003.vlcf",
              "# VLCF Version 3\nHEADER_START\nvideoFileName:=A001C003.mov\n");
    writeFile(a001 / "A001C003_empty.vlcf", "");
    writeFile(a001 / "A001C003_binary.vlcf", std::string("\0\xff\n\r", 4));
    writeCorrectionFile(a001 / "x.vlcf");
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const std::string found = find();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(found, text(a001 / "x.vlcf"));
}

TEST_F(ClipFilePathBasedFinderTest, OnlyTheHeaderIsLookedAt) {
    std::string brokenBody = validVersion3Text();
    brokenBody += "this row is broken\n";
    writeFile(a001 / "A001C003.vlcf", brokenBody);
    EXPECT_EQ(find(), text(a001 / "A001C003.vlcf"));
}

TEST_F(ClipFilePathBasedFinderTest, CandidateThatCannotBeReadIsSkipped) {
    // A regular file that the reader cannot open: procfs refuses the seek to
    // the end, and an unreadable file does so for users other than root.
    const fs::path unreadable = "/proc/self/status";
    std::string ignored;
    try {
        CorrectionFile::Reader().readFile(unreadable.string(), ignored);
        GTEST_SKIP() << "the reader can read " << unreadable;
    } catch (const CorrectionFile::NotReadableException&) {
    }
    fs::create_symlink(unreadable, a001 / "A001C003.vlcf");
    writeCorrectionFile(a001 / "x.vlcf");
    testing::internal::CaptureStderr();
    EXPECT_EQ(find(), text(a001 / "x.vlcf"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(ClipFilePathBasedFinderTest, CandidateWithoutReadPermissionIsSkipped) {
    writeCorrectionFile(a001 / "A001C003.vlcf");
    fs::permissions(a001 / "A001C003.vlcf", fs::no_perms);
    if (::access((a001 / "A001C003.vlcf").c_str(), R_OK) == 0) {
        GTEST_SKIP() << "permissions are not enforced for this user (root)";
    }
    writeCorrectionFile(a001 / "x.vlcf");
    EXPECT_EQ(find(), text(a001 / "x.vlcf"));
}

TEST_F(ClipFilePathBasedFinderTest, SearchOrderAndDetailOfNotFound) {
    // One searchable subdirectory per directory, so that the order does not
    // depend on the file system's listing order.
    fs::create_directories(a001 / "meta" / "old");
    fs::create_directories(a001 / ".hidden" / "inside");
    fs::create_directories(day1 / "B002" / "notes" / "deep");
    fs::create_directories(shoot / "day2" / "C003");
    fs::create_directories(r1 / ".git" / "objects");
    fs::create_symlink(shoot / "day2", r1 / "link");
    writeFile(temporary.path() / "file.txt", "");
    // Correction files that do not belong to the clip are read and rejected.
    writeCorrectionFile(day1 / "B002" / "B002C001.vlcf", "B002C001.mov", "B002C001");

    const std::vector<std::string> expected{text(a001),
                                            text(a001 / "meta"),
                                            text(day1),
                                            text(day1 / "B002"),
                                            text(day1 / "B002" / "notes"),
                                            text(shoot),
                                            text(shoot / "day2"),
                                            text(shoot / "day2" / "C003"),
                                            text(r2),
                                            text(r1),
                                            text(r1 / "link"), // taken, not walked into
                                            text(temporary.path())};

    std::string found = "(unchanged)";
    try {
        ClipFilePathBasedFinder(clipPath, systemDepths).find(found);
        FAIL() << "found " << found;
    } catch (const NotFoundException& exception) {
        EXPECT_EQ(exception.searchedDirectoryPaths(), expected);
        EXPECT_EQ(exception.clipFilePath(), clipPath);
        std::string detail = "Clip File Path: \"" + clipPath + "\"\nSearched Directory Paths:";
        for (const std::string& directory : expected) {
            detail += "\n\t\"" + directory + "\"";
        }
        EXPECT_STREQ(exception.what(), "Correction file could not be found.");
        EXPECT_EQ(exception.detailedDescription(),
                  "Correction file could not be found.\n" + detail + "\n");
    }
    EXPECT_EQ(found, "(unchanged)");
}

TEST_F(ClipFilePathBasedFinderTest, SymbolicLinkToADirectoryIsSearchedButNotWalkedInto) {
    // "outside" lies too deep below the fifth parent to be reached from there.
    const fs::path outside = temporary.path() / "x" / "y" / "outside";
    fs::create_directories(outside / "sub");
    writeCorrectionFile(outside / "sub" / "lens.vlcf");
    fs::create_symlink(outside, day1 / "B002");
    EXPECT_THROW(find(), NotFoundException);

    writeCorrectionFile(outside / "lens.vlcf");
    EXPECT_EQ(find(), text(day1 / "B002" / "lens.vlcf"));
}

TEST_F(ClipFilePathBasedFinderTest, LeftOutBranchIsNotSearchedAgain) {
    fs::create_directories(a001 / "meta" / "old");
    fs::create_directories(day1 / "B002");
    const std::vector<std::string> searched = searchedDirectories();
    EXPECT_EQ(std::count(searched.begin(), searched.end(), text(a001)), 1);
    EXPECT_EQ(std::count(searched.begin(), searched.end(), text(a001 / "meta")), 1);
    EXPECT_EQ(std::count(searched.begin(), searched.end(), text(a001 / "meta" / "old")), 0);
    EXPECT_EQ(std::count(searched.begin(), searched.end(), text(day1)), 1);
    EXPECT_EQ(std::count(searched.begin(), searched.end(), text(shoot)), 1);
}

TEST_F(ClipFilePathBasedFinderTest, DepthsOfZeroSearchOnlyTheClipDirectoryAndItsParents) {
    fs::create_directories(a001 / "meta");
    fs::create_directories(day1 / "B002");
    EXPECT_EQ(searchedDirectories({0, 0, 0}), std::vector<std::string>{text(a001)});
    EXPECT_EQ(searchedDirectories({0, 2, 0}),
              (std::vector<std::string>{text(a001), text(day1), text(shoot)}));
    writeCorrectionFile(day1 / "lens.vlcf");
    EXPECT_THROW(find({1, 0, 2}), NotFoundException);
    EXPECT_EQ(find({0, 1, 0}), text(day1 / "lens.vlcf"));
}

TEST_F(ClipFilePathBasedFinderTest, DeeperLimitsReachFurther) {
    writeCorrectionFile(a001 / "a" / "b" / "c" / "lens.vlcf");
    EXPECT_THROW(find({2, 0, 0}), NotFoundException);
    EXPECT_EQ(find({3, 0, 0}), text(a001 / "a" / "b" / "c" / "lens.vlcf"));
}

TEST_F(ClipFilePathBasedFinderTest, ClimbingStopsAtTheRoot) {
    // More parents than the path has: the search ends at "/" without error.
    const std::vector<std::string> searched = searchedDirectories({0, 255, 0});
    std::vector<std::string> expected{text(a001)};
    for (fs::path parent = a001.parent_path(); !parent.empty(); parent = parent.parent_path()) {
        expected.push_back(text(parent));
    }
    EXPECT_EQ(searched, expected);
    ASSERT_FALSE(searched.empty());
    EXPECT_EQ(searched.back(), "/");
}

TEST_F(ClipFilePathBasedFinderTest, DirectoryThatCannotBeListedRaisesTheFileSystemError) {
    const std::string missingClip = (temporary.path() / "missing" / "A001C003.mov").string();
    std::string found = "(unchanged)";
    EXPECT_THROW(ClipFilePathBasedFinder(missingClip, systemDepths).find(found),
                 fs::filesystem_error);
    EXPECT_EQ(found, "(unchanged)");
}

TEST_F(ClipFilePathBasedFinderTest, SubdirectoryThatCannotBeWalkedIntoRaisesTheFileSystemError) {
    fs::create_directories(day1 / "B002" / "locked" / "inner");
    fs::permissions(day1 / "B002", fs::owner_all);
    fs::permissions(day1 / "B002" / "locked", fs::no_perms);
    if (::access((day1 / "B002" / "locked").c_str(), R_OK | X_OK) == 0) {
        fs::permissions(day1 / "B002" / "locked", fs::owner_all);
        GTEST_SKIP() << "permissions are not enforced for this user (root)";
    }
    std::string found = "(unchanged)";
    try {
        ClipFilePathBasedFinder(clipPath, systemDepths).find(found);
        ADD_FAILURE() << "no exception";
    } catch (const fs::filesystem_error& error) {
        EXPECT_NE(std::string(error.what())
                      .find("filesystem::recursive_directory_iterator directory error"),
                  std::string::npos)
            << error.what();
    }
    fs::permissions(day1 / "B002" / "locked", fs::owner_all);
    EXPECT_EQ(found, "(unchanged)");
}

TEST(ClipFilePathBasedFinder, ClipDirectlyBelowTheRoot) {
    // The root and its direct subdirectories are searched, then the climb
    // stops at once because the root has no parent.
    const std::string clipPath = "/velor-finder-test-clip-that-does-not-exist-7f3a.mov";
    std::vector<std::string> expected{"/"};
    for (fs::directory_iterator it("/"), end; it != end; ++it) {
        boost::system::error_code error;
        if (fs::is_directory(it->path(), error) &&
            it->path().filename().string().compare(0, 1, ".") != 0) {
            expected.push_back(it->path().string());
        }
    }
    try {
        std::string found;
        ClipFilePathBasedFinder(clipPath, systemDepths).find(found);
        FAIL() << "found " << found;
    } catch (const NotFoundException& exception) {
        EXPECT_EQ(exception.searchedDirectoryPaths(), expected);
    } catch (const fs::filesystem_error& error) {
        GTEST_SKIP() << "a directory below the root cannot be listed here: " << error.what();
    }
}

TEST(ClipFilePathBasedFinder, IsUsableThroughTheFinderInterface) {
    TemporaryDirectory temporary;
    writeFile(temporary.path() / "clip.vlcf", validVersion3Text("clip.mov", "clip"));
    const std::unique_ptr<CorrectionFile::Finder> finder =
        std::make_unique<ClipFilePathBasedFinder>((temporary.path() / "clip.mov").string(),
                                                  LevelOfDepth{1, 5, 2});
    std::string found;
    finder->find(found);
    EXPECT_EQ(found, (temporary.path() / "clip.vlcf").string());
}

TEST(LevelOfDepth, IsAPlainRecordOfThreeBytes) {
    const LevelOfDepth depths{1, 5, 2};
    EXPECT_EQ(depths.subdirectoryDepth, 1);
    EXPECT_EQ(depths.parentDirectoryCount, 5);
    EXPECT_EQ(depths.parentSubdirectoryDepth, 2);
    EXPECT_EQ(sizeof(LevelOfDepth), 3U);
    const LevelOfDepth fresh;
    EXPECT_EQ(fresh.subdirectoryDepth + fresh.parentDirectoryCount + fresh.parentSubdirectoryDepth,
              0);
}
