#include "correction_data/ContainerManager.h"
#include "correction_data/FileMismatchException.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

using CorrectionData::ContainerManager;
using CorrectionData::Content;
using CorrectionData::FileMismatchException;

namespace {

// Serves the clip /clips/NAME.mov from /vlcf/NAME.vlcf, a file naming
// NAME.mov; names starting with "missing" fail. Counts the files read.
class FakeFileSource : public CorrectionData::ContainerManagerDataSource {
public:
    explicit FakeFileSource(std::atomic<int>& reads) : reads_(reads) {}

    void content(const std::string& clipFilePath, std::string& correctionFilePath,
                 Content& content) override {
        correctionFilePath = "/vlcf/" + stemOf(clipFilePath) + ".vlcf";
        this->content(correctionFilePath, content);
    }
    void content(const std::string& correctionFilePath, Content& content) override {
        const std::string stem = stemOf(correctionFilePath);
        if (stem.rfind("missing", 0) == 0) {
            throw Exception("Correction file could not be read.");
        }
        ++reads_;
        content.header.clip.videoFileName = stem + ".mov";
        content.header.clip.name = stem;
        content.frames[0].timecode = stem;
    }

private:
    static std::string stemOf(const std::string& path) {
        const std::string name = path.substr(path.rfind('/') + 1);
        return name.substr(0, name.rfind('.'));
    }

    std::atomic<int>& reads_;
};

// Reads real files of a fresh directory: the clip /clips/NAME.mov belongs to
// DIR/NAME.vlcf, whose text becomes the first frame's timecode.
class OnDiskSource : public CorrectionData::ContainerManagerDataSource {
public:
    OnDiskSource(std::string directory, std::atomic<int>& reads)
        : directory_(std::move(directory)), reads_(reads) {}

    void content(const std::string& clipFilePath, std::string& correctionFilePath,
                 Content& content) override {
        const std::string name = clipFilePath.substr(clipFilePath.rfind('/') + 1);
        correctionFilePath = directory_ + "/" + name.substr(0, name.rfind('.')) + ".vlcf";
        this->content(correctionFilePath, content);
    }
    void content(const std::string& correctionFilePath, Content& content) override {
        std::ifstream file(correctionFilePath);
        if (!file) {
            throw Exception("Correction file could not be read.");
        }
        ++reads_;
        CorrectionData::SourceFile::examine(correctionFilePath, content.source);
        content.frames[0].timecode = std::string(std::istreambuf_iterator<char>(file), {});
        content.header.clip.videoFileName = "A.mov";
    }

private:
    std::string directory_;
    std::atomic<int>& reads_;
};

} // namespace

TEST(ContainerManager, ReadsAChangedFileAgainAndNamesADeletedOne) {
    char pattern[] = "/tmp/velor-manager-XXXXXX";
    const std::string directory = mkdtemp(pattern);
    const std::string file = directory + "/A.vlcf";
    std::ofstream(file) << "first";
    std::atomic<int> reads{0};
    ContainerManager manager(std::make_unique<OnDiskSource>(directory, reads), 100);
    std::shared_ptr<Content> content;
    for (int request = 0; request < 3; ++request) {
        manager.shareContent("/clips/A.mov", content);
        manager.shareContent("A.mov", file, content);
    }
    EXPECT_EQ(reads.load(), 1) << "an unchanged file is read once for both modes";
    EXPECT_EQ(content->frames.at(0).timecode, "first");

    // Same size, rewritten in place: the modification time tells. File times
    // tick coarsely, so the test moves it on by a nanosecond itself.
    CorrectionData::SourceFile before;
    ASSERT_TRUE(CorrectionData::SourceFile::examine(file, before));
    std::ofstream(file) << "secnd";
    const timespec times[2] = {{0, UTIME_OMIT},
                               {static_cast<time_t>(before.modificationTimeNs / 1000000000),
                                static_cast<long>(before.modificationTimeNs % 1000000000 + 1)}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    manager.shareContent("/clips/A.mov", content);
    EXPECT_EQ(content->frames.at(0).timecode, "secnd");
    manager.shareContent("A.mov", file, content);
    EXPECT_EQ(content->frames.at(0).timecode, "secnd");
    EXPECT_EQ(reads.load(), 2);

    // Forgetting the clip makes it search and read again.
    manager.forgetClip("/clips/A.mov");
    manager.shareContent("/clips/A.mov", content);
    manager.shareContent("A.mov", file, content);
    EXPECT_EQ(reads.load(), 3);

    std::remove(file.c_str());
    try {
        manager.shareContent("A.mov", file, content);
        ADD_FAILURE() << "a deleted file was served";
    } catch (const Exception& error) {
        EXPECT_EQ(error.detailedDescription(),
                  "The correction file was deleted or moved after it was read. Restore it, or "
                  "reload the correction data to search for the clip's file again.\n"
                  "Correction File Path: \"" +
                      file + "\"\n");
    }
    // Nothing stale is left for the other mode either.
    EXPECT_THROW(manager.shareContent("/clips/A.mov", content), Exception);
    std::remove(directory.c_str());
}

TEST(ContainerManager, ReadsEachMatchingFileOnceUntilEvictedAndCachesNoFailure) {
    std::atomic<int> reads{0};
    ContainerManager manager(std::make_unique<FakeFileSource>(reads), 2);
    std::shared_ptr<Content> first;
    std::shared_ptr<Content> second;
    EXPECT_THROW(manager.shareContent("/clips/missing.mov", first), Exception);
    EXPECT_THROW(manager.shareContent("missing.mov", "/vlcf/missing.vlcf", first), Exception);
    try {
        manager.shareContent("A.mov", "/vlcf/B.vlcf", first);
        ADD_FAILURE() << "no FileMismatchException";
    } catch (const FileMismatchException& error) {
        EXPECT_EQ(error.detailedDescription(), "Correction file does not belong to the clip.\n"
                                               "Clip File Name: \"A.mov\"\n"
                                               "Correction File Path: \"/vlcf/B.vlcf\"\n"
                                               "Clip File Name in Correction File: \"B.mov\"\n");
    }
    EXPECT_FALSE(first);
    // Not cached: the matching request reads B again. The video file name and
    // the clip name both match; once cached, a mismatch is still rejected.
    manager.shareContent("B.mov", "/vlcf/B.vlcf", first);
    manager.shareContent("B", "/vlcf/B.vlcf", second);
    ASSERT_TRUE(first);
    EXPECT_EQ(first, second);
    EXPECT_THROW(manager.shareContent("b.mov", "/vlcf/B.vlcf", second), FileMismatchException);
    EXPECT_EQ(reads.load(), 2);

    // B C D: B is evicted and read again, D stays cached.
    manager.shareContent("/clips/C.mov", second);
    manager.shareContent("/clips/D.mov", second);
    manager.shareContent("/clips/D.mov", second);
    EXPECT_EQ(reads.load(), 4);
    manager.shareContent("/clips/B.mov", second);
    EXPECT_EQ(reads.load(), 5);
}

TEST(ContainerManager, ConcurrentRequestsAlwaysGetTheirOwnClip) {
    std::atomic<int> reads{0};
    ContainerManager manager(std::make_unique<FakeFileSource>(reads), 100);
    constexpr int clipCount = 200;
    std::atomic<int> wrongAnswers{0};
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 8; ++thread) {
        threads.emplace_back([&, thread] {
            for (int round = 0; round < 3 * clipCount; ++round) {
                const std::string stem =
                    "C" + std::to_string((round * 7 + thread * 13) % clipCount);
                std::shared_ptr<Content> content;
                if (round % 3 == 0) {
                    manager.shareContent(stem + ".mov", "/vlcf/" + stem + ".vlcf", content);
                } else {
                    manager.shareContent("/clips/" + stem + ".mov", content);
                }
                if (!content || content->header.clip.name != stem ||
                    content->frames.at(0).timecode != stem) {
                    ++wrongAnswers;
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrongAnswers.load(), 0);
    EXPECT_GE(reads.load(), clipCount);
}
