#include "correction_data/ManagedContainer.h"
#include "correction_data/DataNotAvailableException.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

using CorrectionData::Content;
using CorrectionData::DataNotAvailableException;
using CorrectionData::Frame;
using CorrectionData::Header;
using CorrectionData::ManagedContainer;
using CorrectionData::ManagedContainerDataSource;
using TC = Timecode::Timecode;

namespace {

// Hands out one shared content, or throws when told to; counts requests.
class FakeSharedSource : public ManagedContainerDataSource {
public:
    void shareContent(const std::string& clipFilePath, std::shared_ptr<Content>& out) override {
        lastRequest = "path " + clipFilePath;
        serve(out);
    }
    void shareContent(const std::string& clipFileName, const std::string& correctionFilePath,
                      std::shared_ptr<Content>& out) override {
        lastRequest = "file " + clipFileName + " " + correctionFilePath;
        serve(out);
    }

    std::shared_ptr<Content> content = std::make_shared<Content>();
    std::string failureBrief;
    std::string lastRequest;
    int requests = 0;

private:
    void serve(std::shared_ptr<Content>& out) {
        ++requests;
        if (!failureBrief.empty()) {
            throw Exception(failureBrief, "ignored detail");
        }
        out = content;
    }
};

Frame frameNumbered(unsigned int number, const std::string& timecode = "") {
    Frame frame;
    frame.number = number;
    frame.timecode = timecode;
    frame.interpolationPoints.heights = {static_cast<float>(number)};
    return frame;
}

std::string failureOf(const std::function<void()>& lookup) {
    try {
        lookup();
    } catch (const DataNotAvailableException& error) {
        return error.detailedDescription();
    }
    ADD_FAILURE() << "no DataNotAvailableException";
    return {};
}

const char* const validJson = R"({
  "recordingFormat": {
    "camera": {"manufacturer": "ARRI", "model": "ALEXA Mini"},
    "clipResolution": {"width": 3840, "height": 2160},
    "imageRadius": 14.0
  },
  "frameData": {"interpolationPoints": {
    "heights": [0, 2, 4, 6, 8, 10, 12],
    "shading": [100, 99, 97, 94, 90, 85, 79],
    "radialDistortion": [0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6]
  }}
})";

class ManagedContainerTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const unsigned int number : {10U, 20U, 30U}) {
            source->content->frames[number] = frameNumbered(number, "01:00:00:00");
        }
        source->content->header.tc.fps = 25.0F;
        source->content->header.clip.name = "A001";
    }

    std::shared_ptr<FakeSharedSource> source = std::make_shared<FakeSharedSource>();
    ManagedContainer byPath{"/clips/A001.mov", source};
    ManagedContainer byFile{"A001.mov", "/vlcf/A001.vlcf", source};
};

} // namespace

TEST_F(ManagedContainerTest, FrameByNumberTakesLargestNotAbove) {
    Frame frame;
    for (const auto& [asked, expected] :
         std::map<unsigned int, unsigned int>{{10, 10}, {19, 10}, {20, 20}, {25, 20}, {1000, 30}}) {
        byPath.frameData(asked, frame);
        EXPECT_EQ(frame.number, expected) << asked;
        EXPECT_EQ(frame.interpolationPoints.heights.at(0), static_cast<float>(expected));
    }
    EXPECT_EQ(source->lastRequest, "path /clips/A001.mov");
    EXPECT_EQ(failureOf([&] { byPath.frameData(9U, frame); }),
              "Metadata for the frame is not available.\n"
              "Clip File Path: \"/clips/A001.mov\"\n"
              "Frame Number: 9\n");
    EXPECT_EQ(failureOf([&] { byFile.frameData(9U, frame); }),
              "Metadata for the frame is not available.\n"
              "Clip File Name: \"A001.mov\"\n"
              "Correction File Path: \"/vlcf/A001.vlcf\"\n"
              "Frame Number: 9\n");
    EXPECT_EQ(source->lastRequest, "file A001.mov /vlcf/A001.vlcf");
}

TEST_F(ManagedContainerTest, SharedContentIsHeldWeakly) {
    Frame frame;
    byPath.frameData(10U, frame);
    byPath.frameData(20U, frame);
    EXPECT_EQ(source->requests, 1);
    // Once the owner lets go, the next lookup asks again.
    source->content = std::make_shared<Content>(*source->content);
    byPath.frameData(20U, frame);
    EXPECT_EQ(source->requests, 2);
}

TEST_F(ManagedContainerTest, HeaderIsCopiedOrReportedWithIdentity) {
    Header header;
    byFile.headerData(header);
    EXPECT_EQ(header.clip.name, "A001");

    source->content = std::make_shared<Content>();
    source->failureBrief = "Correction file could not be found.";
    EXPECT_EQ(failureOf([&] { byPath.headerData(header); }),
              "Header of the metadata is not available. Correction file could not be found.\n"
              "Clip File Path: \"/clips/A001.mov\"\n");
    EXPECT_EQ(failureOf([&] { byFile.headerData(header); }),
              "Header of the metadata is not available. Correction file could not be found.\n"
              "Clip File Name: \"A001.mov\"\n"
              "Correction File Path: \"/vlcf/A001.vlcf\"\n");
    EXPECT_EQ(header.clip.name, "A001") << "failed lookup changed the output";
}

TEST_F(ManagedContainerTest, EmptyContentHasNoFrames) {
    source->content = std::make_shared<Content>();
    source->content->header.tc.fps = 25.0F;
    Frame frame;
    EXPECT_EQ(failureOf([&] { byPath.frameData(0U, frame); }),
              "Metadata for the frame is not available.\n"
              "Clip File Path: \"/clips/A001.mov\"\n"
              "Frame Number: 0\n");
    EXPECT_EQ(failureOf([&] { byPath.frameData(TC("01:00:00:00", 25.0F), frame); }),
              "Metadata for the frame is not available.\n"
              "Clip File Path: \"/clips/A001.mov\"\n"
              "Timecode: \"01:00:00:00\"\n");
}

TEST_F(ManagedContainerTest, TimecodeCountsFromTheFirstFrame) {
    source->content->frames.clear();
    source->content->frames[100] = frameNumbered(100, "01:00:00:00");
    source->content->frames[125] = frameNumbered(125, "05:00:00:00"); // own text is not matched
    source->content->frames[130] = frameNumbered(130);
    Frame frame;
    byPath.frameData(TC("01:00:01:00", 25.0F), frame);
    EXPECT_EQ(frame.number, 125U);
    byPath.frameData(TC("01:00:01:03", 0.0F), frame);
    EXPECT_EQ(frame.number, 125U);
    byPath.frameData(TC("01:00:00:00", 25.0F), frame);
    EXPECT_EQ(frame.number, 100U);
    EXPECT_EQ(failureOf([&] { byFile.frameData(TC("00:59:59:24", 25.0F), frame); }),
              "Metadata for the frame is not available.\n"
              "Clip File Name: \"A001.mov\"\n"
              "Correction File Path: \"/vlcf/A001.vlcf\"\n"
              "Timecode: \"00:59:59:24\"\n");
}

TEST_F(ManagedContainerTest, TimecodeLookupFailsWithoutUsableRateOrFirstTimecode) {
    Frame frame;
    source->content->header.tc.fps = 0.0F;
    EXPECT_FALSE(failureOf([&] { byPath.frameData(TC("01:00:00:00", 25.0F), frame); }).empty());
    source->content->header.tc.fps = 25.0F;
    source->content->frames[10].timecode = "not a timecode";
    EXPECT_FALSE(failureOf([&] { byPath.frameData(TC("01:00:00:00", 25.0F), frame); }).empty());
}

TEST_F(ManagedContainerTest, TimecodeFarBeyondTheLastFrameDoesNotWrapToAnEarlierFrame) {
    source->content->frames.clear();
    source->content->frames[4294967000U] = frameNumbered(4294967000U, "00:00:00:00");
    Frame frame;
    // 1000 frames past the first frame's number would wrap past the largest number.
    EXPECT_FALSE(failureOf([&] { byPath.frameData(TC("00:00:40:00", 25.0F), frame); }).empty());
}

TEST_F(ManagedContainerTest, DataSourceFailureReasonFollowsBrief) {
    source->failureBrief = "X";
    Frame frame;
    EXPECT_EQ(failureOf([&] { byPath.frameData(5U, frame); }),
              "Metadata for the frame is not available. X\n"
              "Clip File Path: \"/clips/A001.mov\"\n"
              "Frame Number: 5\n");
}

TEST(ManagedContainerJson, EveryRequestGetsTheOneFrame) {
    ManagedContainer container{validJson};
    Header header;
    container.headerData(header);
    EXPECT_EQ(header.camera.manufacturer, "ARRI");
    EXPECT_EQ(header.clip.width, 3840U);
    EXPECT_EQ(header.tc.fps, 0.0F);

    Frame byZero;
    Frame byLarge;
    Frame byTimecode;
    container.frameData(0U, byZero);
    container.frameData(5000U, byLarge);
    container.frameData(TC("12:34:56:07", 25.0F), byTimecode);
    for (const Frame* frame : {&byZero, &byLarge, &byTimecode}) {
        EXPECT_EQ(frame->interpolationPoints.heights.size(), 7U);
        EXPECT_EQ(frame->interpolationPoints.shading.at(6), 79.0F);
        EXPECT_EQ(frame->number, 0U);
    }
}

TEST(ManagedContainerJson, BrokenTextFailsEveryTimeWithTheText) {
    ManagedContainer container{"{\"recordingFormat\": 1"};
    Frame frame;
    Header header;
    const std::string expected = "Metadata for the frame is not available.\n"
                                 "JSON String: \"{\"recordingFormat\": 1\"\n";
    EXPECT_EQ(failureOf([&] { container.frameData(0U, frame); }), expected);
    EXPECT_EQ(failureOf([&] { container.headerData(header); }), expected);
    EXPECT_EQ(failureOf([&] { container.frameData(TC("01:00:00:00", 25.0F), frame); }), expected);
}
