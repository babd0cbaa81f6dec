#include "cli/ImageSequence.h"
#include "ToolRun.h"
#include "cli/UsageException.h"

#include <gtest/gtest.h>

namespace {

TEST(ImageSequenceTest, HashesAndPrintfFieldsNameTheSameFiles) {
    for (const char* pattern : {"/p/plate.####.exr", "/p/plate.%04d.exr", "/p/plate.@@@@.exr"}) {
        const ImageSequence sequence(pattern);
        EXPECT_TRUE(sequence.isSequence()) << pattern;
        EXPECT_EQ(sequence.framePath(7), "/p/plate.0007.exr") << pattern;
        EXPECT_EQ(sequence.framePath(12345), "/p/plate.12345.exr") << pattern;
    }
    EXPECT_EQ(ImageSequence("/p/plate.#.exr").framePath(1001), "/p/plate.1001.exr");
    EXPECT_EQ(ImageSequence("/p/plate.%d.exr").framePath(3), "/p/plate.3.exr");
    // A path without a field is one image.
    const ImageSequence image("/p/still.1001.exr");
    EXPECT_FALSE(image.isSequence());
    EXPECT_EQ(image.framePath(5), "/p/still.1001.exr");
    EXPECT_TRUE(image.framesOnDisk().empty());
}

TEST(ImageSequenceTest, PatternsThatNameNoSequenceAreRefused) {
    for (const char* pattern : {"/p/plate.##.##.exr", "/p/plate.%04d.%04d.exr", "/p/plate.%s.exr",
                                "/p/plate.####.%d.exr"}) {
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
    EXPECT_TRUE(ImageSequence(directory / "none.####.exr").framesOnDisk().empty());
}

} // namespace
