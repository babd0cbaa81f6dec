#include "correction_data/ManagedContainer.h"
#include "correction_data/DataNotAvailableException.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

using CorrectionData::Content;
using CorrectionData::DataNotAvailableException;
using CorrectionData::Frame;
using CorrectionData::Header;
using CorrectionData::ManagedContainer;
using CorrectionData::ManagedContainerDataSource;
using TC = Timecode::Timecode;

namespace {

// Hands out one shared content, or throws when given a failure brief; counts
// requests. Starts with frames 10, 20 and 30 of clip A001 at 25 fps.
class FakeSharedSource : public ManagedContainerDataSource {
public:
    FakeSharedSource() {
        for (const unsigned int number : {10U, 20U, 30U}) {
            content->frames[number] = frameNumbered(number, "01:00:00:00");
        }
        content->header.tc.fps = 25.0F;
        content->header.clip.name = "A001";
    }
    void shareContent(const std::string&, std::shared_ptr<Content>& out) override { serve(out); }
    void shareContent(const std::string&, const std::string&,
                      std::shared_ptr<Content>& out) override {
        serve(out);
    }

    static Frame frameNumbered(unsigned int number, const std::string& timecode = "") {
        Frame frame;
        frame.number = number;
        frame.timecode = timecode;
        frame.interpolationPoints.heights = {static_cast<float>(number)};
        return frame;
    }

    std::shared_ptr<Content> content = std::make_shared<Content>();
    std::string failureBrief;
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

std::string failureOf(const std::function<void()>& lookup) {
    try {
        lookup();
    } catch (const DataNotAvailableException& error) {
        return error.detailedDescription();
    }
    ADD_FAILURE() << "no DataNotAvailableException";
    return {};
}

} // namespace

TEST(ManagedContainer, FrameByNumberTakesLargestNotAboveFromWeaklyHeldContent) {
    const auto source = std::make_shared<FakeSharedSource>();
    ManagedContainer container("/clips/A001.mov", source);
    Frame frame;
    for (const auto& [asked, expected] :
         std::map<unsigned int, unsigned int>{{10, 10}, {19, 10}, {20, 20}, {25, 20}, {1000, 30}}) {
        container.frameData(asked, frame);
        EXPECT_EQ(frame.number, expected) << asked;
        EXPECT_EQ(frame.interpolationPoints.heights.at(0), static_cast<float>(expected));
    }
    EXPECT_EQ(source->requests, 1);
    // Once the owner lets go, the next lookup asks again.
    source->content = std::make_shared<Content>(*source->content);
    container.frameData(20U, frame);
    EXPECT_EQ(source->requests, 2);
}

TEST(ManagedContainer, TimecodeCountsFromTheFirstFrame) {
    const auto source = std::make_shared<FakeSharedSource>();
    source->content->frames.clear();
    source->content->frames[100] = FakeSharedSource::frameNumbered(100, "01:00:00:00");
    // A later frame's own timecode text is not matched.
    source->content->frames[125] = FakeSharedSource::frameNumbered(125, "05:00:00:00");
    source->content->frames[130] = FakeSharedSource::frameNumbered(130);
    ManagedContainer container("/clips/A001.mov", source);
    Frame frame;
    for (const auto& [text, rate, expected] :
         std::vector<std::tuple<const char*, float, unsigned int>>{{"01:00:01:00", 25.0F, 125},
                                                                   {"01:00:01:03", 0.0F, 125},
                                                                   {"01:00:00:00", 25.0F, 100}}) {
        container.frameData(TC(text, rate), frame);
        EXPECT_EQ(frame.number, expected) << text;
    }
}

TEST(ManagedContainer, FailuresNameTheReasonTheContainerAndTheLookup) {
    const auto source = std::make_shared<FakeSharedSource>();
    ManagedContainer byPath("/clips/A001.mov", source);
    ManagedContainer byFile("A001.mov", "/vlcf/A001.vlcf", source);
    const std::string path = "Clip File Path: \"/clips/A001.mov\"\n";
    const std::string file =
        "Clip File Name: \"A001.mov\"\nCorrection File Path: \"/vlcf/A001.vlcf\"\n";
    const std::string noFrame = "Metadata for the frame is not available.";
    Frame frame;
    Header header;
    EXPECT_EQ(failureOf([&] { byPath.frameData(9U, frame); }),
              noFrame + "\n" + path + "Frame Number: 9\n");
    EXPECT_EQ(failureOf([&] { byFile.frameData(TC("00:59:59:24", 25.0F), frame); }),
              noFrame + "\n" + file + "Timecode: \"00:59:59:24\"\n");

    // The old content is freed, so both containers ask again, and fail.
    source->content = std::make_shared<Content>();
    source->failureBrief = "Correction file could not be found.";
    EXPECT_EQ(failureOf([&] { byPath.headerData(header); }),
              "Header of the metadata is not available. Correction file could not be found.\n" +
                  path);
    EXPECT_EQ(failureOf([&] { byFile.frameData(5U, frame); }),
              noFrame + " Correction file could not be found.\n" + file + "Frame Number: 5\n");

    // Contents in which no frame can be found for a timecode.
    int index = 0;
    for (const auto& change : std::vector<std::function<void(Content&)>>{
             [](Content& content) { content.frames.clear(); },
             [](Content& content) { content.header.tc.fps = 0.0F; },
             [](Content& content) { content.frames[10].timecode = "not a timecode"; },
             // 1000 frames on would wrap past the largest number to an earlier frame.
             [](Content& content) {
                 content.frames = {
                     {4294967000U, FakeSharedSource::frameNumbered(4294967000U, "00:59:20:00")}};
             },
         }) {
        const auto changed = std::make_shared<FakeSharedSource>();
        change(*changed->content);
        ManagedContainer container("/clips/A001.mov", changed);
        EXPECT_EQ(failureOf([&] { container.frameData(TC("01:00:00:00", 25.0F), frame); }),
                  noFrame + "\n" + path + "Timecode: \"01:00:00:00\"\n")
            << "case " << index++;
    }
}

TEST(ManagedContainer, JsonGivesItsOneFrameForEveryRequestOrFailsEveryTimeWithTheText) {
    std::ifstream file(std::string(VELOR_TEST_DATA_DIR) + "/json/valid.json");
    ManagedContainer container{std::string(std::istreambuf_iterator<char>(file), {})};
    Header header;
    container.headerData(header);
    EXPECT_EQ(header.clip.width, 4448U);
    Frame byNumber;
    Frame byTimecode;
    container.frameData(5000U, byNumber);
    container.frameData(TC("12:34:56:07", 25.0F), byTimecode);
    for (const Frame* frame : {&byNumber, &byTimecode}) {
        EXPECT_EQ(frame->interpolationPoints.shading.at(6), 86.0F);
    }

    ManagedContainer broken{"{\"recordingFormat\": 1"};
    const std::string expected = "Metadata for the frame is not available.\n"
                                 "JSON String: \"{\"recordingFormat\": 1\"\n";
    Frame frame;
    EXPECT_EQ(failureOf([&] { broken.frameData(0U, frame); }), expected);
    EXPECT_EQ(failureOf([&] { broken.headerData(header); }), expected);
    EXPECT_EQ(failureOf([&] { broken.frameData(TC("01:00:00:00", 25.0F), frame); }), expected);
}
