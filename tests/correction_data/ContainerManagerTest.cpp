#include "correction_data/ContainerManager.h"
#include "correction_data/FileMismatchException.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using CorrectionData::ContainerManager;
using CorrectionData::ContainerManagerDataSource;
using CorrectionData::Content;
using CorrectionData::FileMismatchException;

namespace {

// Serves the clip /clips/NAME.mov from /vlcf/NAME.vlcf, a file naming
// NAME.mov; names starting with "missing" fail. Counts the files read.
class FakeFileSource : public ContainerManagerDataSource {
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

class ContainerManagerTest : public ::testing::Test {
protected:
    ContainerManager makeManager(unsigned int capacity) {
        return ContainerManager(std::make_unique<FakeFileSource>(reads), capacity);
    }
    std::atomic<int> reads{0};
};

} // namespace

TEST_F(ContainerManagerTest, ReadsEachFileOnceUntilEvictedAndCachesNoFailure) {
    auto manager = makeManager(2);
    std::shared_ptr<Content> first;
    std::shared_ptr<Content> second;
    manager.shareContent("/clips/A.mov", first);
    manager.shareContent("/clips/A.mov", second);
    ASSERT_TRUE(first);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->header.clip.videoFileName, "A.mov");
    EXPECT_EQ(reads.load(), 1);

    std::shared_ptr<Content> failed;
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_THROW(manager.shareContent("/clips/missing.mov", failed), Exception);
        EXPECT_THROW(manager.shareContent("missing.mov", "/vlcf/missing.vlcf", failed), Exception);
    }
    EXPECT_FALSE(failed);

    // A B C: A is evicted and read again, C stays cached.
    manager.shareContent("/clips/B.mov", second);
    manager.shareContent("/clips/C.mov", second);
    manager.shareContent("/clips/C.mov", second);
    EXPECT_EQ(reads.load(), 3);
    manager.shareContent("/clips/A.mov", second);
    EXPECT_EQ(reads.load(), 4);
}

TEST_F(ContainerManagerTest, ExplicitFileNamingAnotherClipIsRejectedBeforeCaching) {
    auto manager = makeManager(100);
    std::shared_ptr<Content> content;
    try {
        manager.shareContent("A001.mov", "/vlcf/B002.vlcf", content);
        FAIL() << "no FileMismatchException";
    } catch (const FileMismatchException& error) {
        EXPECT_EQ(error.detailedDescription(), "Correction file does not belong to the clip.\n"
                                               "Clip File Name: \"A001.mov\"\n"
                                               "Correction File Path: \"/vlcf/B002.vlcf\"\n"
                                               "Clip File Name in Correction File: \"B002.mov\"\n");
        EXPECT_EQ(error.clipFileNameInCorrectionFile, "B002.mov");
    }
    EXPECT_FALSE(content);
    // Not cached: the matching request reads the file again. The video file
    // name and the clip name both match.
    std::shared_ptr<Content> byClipName;
    manager.shareContent("B002.mov", "/vlcf/B002.vlcf", content);
    manager.shareContent("B002", "/vlcf/B002.vlcf", byClipName);
    EXPECT_EQ(content, byClipName);
    EXPECT_EQ(reads.load(), 2);

    // Once cached, a mismatch is still rejected and the content stays cached.
    EXPECT_THROW(manager.shareContent("b002.mov", "/vlcf/B002.vlcf", content),
                 FileMismatchException);
    manager.shareContent("B002", "/vlcf/B002.vlcf", content);
    EXPECT_EQ(reads.load(), 2);
}

TEST_F(ContainerManagerTest, ConcurrentRequestsAlwaysGetTheirOwnClip) {
    auto manager = makeManager(100);
    constexpr int clipCount = 200;
    constexpr int threadCount = 8;
    std::atomic<int> wrongAnswers{0};
    std::vector<std::thread> threads;
    for (int thread = 0; thread < threadCount; ++thread) {
        threads.emplace_back([&, thread] {
            for (int round = 0; round < 3 * clipCount; ++round) {
                const int clip = (round * 7 + thread * 13) % clipCount;
                const std::string stem = "C" + std::to_string(clip);
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
