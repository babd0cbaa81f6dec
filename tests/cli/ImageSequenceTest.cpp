#include "cli/ImageSequence.h"
#include "ToolRun.h"
#include "cli/UsageException.h"

#include <gtest/gtest.h>

namespace {

TEST(ImageSequenceTest, FieldsNameTheFramesAndPatternsThatNameNoSequenceAreRefused) {
    for (const char* pattern : {"/p/plate.####.exr", "/p/plate.%04d.exr", "/p/plate.@@@@.exr"}) {
        EXPECT_EQ(ImageSequence(pattern).framePath(7), "/p/plate.0007.exr") << pattern;
        EXPECT_EQ(ImageSequence(pattern).framePath(12345), "/p/plate.12345.exr") << pattern;
    }
    EXPECT_EQ(ImageSequence("/p/plate.%d.exr").framePath(3), "/p/plate.3.exr");
    const ImageSequence image("/p/still.1001.exr");
    EXPECT_FALSE(image.isSequence());
    EXPECT_EQ(image.framePath(5), "/p/still.1001.exr");
    for (const char* pattern : {"/p/plate.##.##.exr", "/p/plate.%s.exr", "/p/plate.####.%d.exr"}) {
        EXPECT_THROW(ImageSequence{pattern}, UsageException) << pattern;
    }
}

TEST(ImageSequenceTest, FramesOnDiskAreTheMatchingFilesInOrder) {
    TemporaryDirectory directory;
    for (const char* name : {"plate.1003.exr", "plate.1001.exr", "plate.100.exr",
                             ".plate.1002.exr.partial-1234", "other.1002.exr"}) {
        std::ofstream(directory / name) << "x";
    }
    EXPECT_EQ(ImageSequence(directory / "plate.####.exr").framesOnDisk(),
              (std::vector<int>{1001, 1003}));
}

} // namespace
