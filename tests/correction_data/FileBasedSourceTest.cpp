#include "correction_data/ContainerManager.h"
#include "correction_data/CorrectionFileBasedContainerManagerDataSource.h"
#include "correction_data/DataNotAvailableException.h"
#include "correction_data/ManagedContainer.h"
#include "correction_file/NotFoundException.h"
#include "correction_file/NotReadableException.h"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <fstream>
#include <memory>
#include <string>

namespace fs = boost::filesystem;
using CorrectionData::Content;
using CorrectionData::CorrectionFileBasedContainerManagerDataSource;

namespace {

// A clip tree in a fresh temporary directory, deep enough that the search
// never climbs out of it:
//   root/a/b/c/d/e/day1/A001C003.mov
//   root/a/b/c/d/e/day1/lens/A001C003.vlcf (a valid file naming A001C003.mov)
class FileBasedSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / fs::unique_path("velor-source-%%%%-%%%%-%%%%");
        shoot_ = root_ / "a" / "b" / "c" / "d" / "e";
        fs::create_directories(shoot_ / "day1" / "lens");
        fs::copy_file(std::string(VELOR_TEST_DATA_DIR) + "/correction_file/valid_version3.vlcf",
                      correctionFile());
        std::ofstream(clipPath()) << "not a real clip";
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string clipPath() const { return (shoot_ / "day1" / "A001C003.mov").string(); }
    std::string correctionFile() const {
        return (shoot_ / "day1" / "lens" / "A001C003.vlcf").string();
    }

    fs::path root_;
    fs::path shoot_;
};

} // namespace

TEST_F(FileBasedSourceTest, ContainersThroughTheManagerShareOneParse) {
    auto manager = std::make_shared<CorrectionData::ContainerManager>(
        std::make_unique<CorrectionFileBasedContainerManagerDataSource>(
            CorrectionFile::LevelOfDepth{1, 5, 2}),
        100);
    CorrectionData::ManagedContainer byPath(clipPath(), manager);
    CorrectionData::ManagedContainer byFile("A001C003.mov", correctionFile(), manager);
    CorrectionData::ManagedContainer wrongClip("B009C001.mov", correctionFile(), manager);

    CorrectionData::Frame fromPath;
    CorrectionData::Frame fromFile;
    byPath.frameData(Timecode::Timecode("10:00:00:01", 23.976F), fromPath);
    byFile.frameData(1U, fromFile);
    EXPECT_EQ(fromPath.number, fromFile.number);
    EXPECT_EQ(fromPath.timecode, fromFile.timecode);
    EXPECT_EQ(fromPath.timecode.find('.'), std::string::npos) << fromPath.timecode;

    // Deleting the file does not matter while the content stays cached.
    fs::remove(correctionFile());
    CorrectionData::Header header;
    byFile.headerData(header);
    EXPECT_EQ(header.clip.videoFileName, "A001C003.mov");

    try {
        wrongClip.headerData(header);
        FAIL() << "a file naming another clip was accepted";
    } catch (const CorrectionData::DataNotAvailableException& error) {
        EXPECT_STREQ(error.what(), "Header of the metadata is not available. Correction file "
                                   "does not belong to the clip.");
    }
}

TEST_F(FileBasedSourceTest, AMissingFileIsNotReadableAndAClipWithoutOneHasNone) {
    CorrectionFileBasedContainerManagerDataSource source{CorrectionFile::LevelOfDepth{1, 5, 2}};
    Content content;
    std::string foundPath;
    EXPECT_THROW(source.content((root_ / "missing.vlcf").string(), content),
                 CorrectionFile::NotReadableException);
    EXPECT_THROW(source.content((shoot_ / "day1" / "B009C001.mov").string(), foundPath, content),
                 CorrectionFile::NotFoundException);
    source.content(clipPath(), foundPath, content);
    EXPECT_EQ(foundPath, correctionFile());
}
