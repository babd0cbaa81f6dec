#include "correction_data/ContainerManager.h"
#include "correction_data/DataNotAvailableException.h"
#include "correction_data/ManagedContainer.h"
#include "correction_file/CorrectionFileBasedContainerManagerDataSource.h"
#include "correction_file/NotFoundException.h"
#include "correction_file/NotReadableException.h"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <fstream>
#include <memory>
#include <string>

namespace fs = boost::filesystem;
using namespace CorrectionData;

// A clip tree deep enough that the search never climbs out of it, with a
// valid correction file for the clip in a directory beside it.
TEST(FileBasedSource, FindsTheClipsFileAndContainersThroughTheManagerShareOneParse) {
    const fs::path root = fs::temp_directory_path() / fs::unique_path("velor-source-%%%%-%%%%");
    const fs::path day = root / "a/b/c/d/e/day1";
    const std::string clip = (day / "A001C003.mov").string();
    const std::string file = (day / "lens/A001C003.vlcf").string();
    fs::create_directories(day / "lens");
    fs::copy_file(std::string(VELOR_TEST_DATA_DIR) + "/correction_file/valid_version3.vlcf", file);
    std::ofstream(clip) << "not a real clip";

    auto source = std::make_unique<CorrectionFileBasedContainerManagerDataSource>(
        CorrectionFile::LevelOfDepth{1, 5, 2});
    Content content;
    std::string foundPath;
    EXPECT_THROW(source->content((root / "missing.vlcf").string(), content),
                 CorrectionFile::NotReadableException);
    EXPECT_THROW(source->content((day / "B009C001.mov").string(), foundPath, content),
                 CorrectionFile::NotFoundException);

    auto manager = std::make_shared<ContainerManager>(std::move(source), 100);
    ManagedContainer byPath(clip, manager);
    ManagedContainer byFile("A001C003.mov", file, manager);
    ManagedContainer wrongClip("B009C001.mov", file, manager);
    Frame fromPath;
    Frame fromFile;
    byPath.frameData(Timecode::Timecode("10:00:00:01", 23.976F), fromPath);
    byFile.frameData(1U, fromFile);
    EXPECT_EQ(fromPath.number, fromFile.number);
    EXPECT_EQ(fromPath.timecode, fromFile.timecode);
    EXPECT_EQ(fromPath.timecode.find('.'), std::string::npos) << fromPath.timecode;

    // A file naming another clip is refused from the cache too.
    Header header;
    try {
        wrongClip.headerData(header);
        ADD_FAILURE() << "a file naming another clip was accepted";
    } catch (const DataNotAvailableException& error) {
        EXPECT_STREQ(error.what(), "Header of the metadata is not available. Correction file "
                                   "does not belong to the clip.");
    }
    // A deleted file is not served from the cache: it is named, and once it
    // left the cache, the clip's search finds nothing.
    fs::remove(file);
    for (const auto& [container, brief] : {std::make_pair(&byFile, "deleted or moved"),
                                           std::make_pair(&byPath, "could not be found")}) {
        try {
            container->headerData(header);
            ADD_FAILURE() << "the content of a deleted file was served";
        } catch (const DataNotAvailableException& error) {
            EXPECT_NE(std::string(error.what()).find(brief), std::string::npos) << error.what();
        }
    }
    try {
        byFile.headerData(header);
        ADD_FAILURE() << "a deleted file was read";
    } catch (const DataNotAvailableException& error) {
        EXPECT_NE(error.detailedDescription().find(file), std::string::npos);
    }
    fs::remove_all(root);
}
