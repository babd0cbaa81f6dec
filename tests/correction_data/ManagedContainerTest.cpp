#include "correction_data/ManagedContainer.h"
#include "correction_data/DataNotAvailableException.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

using CorrectionData::Content;
using CorrectionData::Frame;
using CorrectionData::Header;
using CorrectionData::ManagedContainer;
using TC = Timecode::Timecode;

namespace {

Frame frameNumbered(unsigned int number, const std::string& timecode = "01:00:00:00") {
    Frame frame;
    frame.number = number;
    frame.timecode = timecode;
    return frame;
}

// Hands out one shared content, frames 10, 20 and 30 at 25 fps to begin with,
// or throws when given a failure brief; counts requests.
class FakeSharedSource : public CorrectionData::ManagedContainerDataSource {
public:
    FakeSharedSource() {
        content->frames = {
            {10, frameNumbered(10)}, {20, frameNumbered(20)}, {30, frameNumbered(30)}};
        content->header.tc.fps = 25.0F;
    }
    void shareContent(const std::string&, std::shared_ptr<Content>& out) override { serve(out); }
    void shareContent(const std::string&, const std::string&,
                      std::shared_ptr<Content>& out) override {
        serve(out);
    }
    void forgetClip(const std::string& clipFilePath) override { forgotten = clipFilePath; }
    void forgetCorrectionFile(const std::string& path) override { forgotten = path; }

    std::string forgotten;
    std::shared_ptr<Content> content = std::make_shared<Content>();
    std::string failureBrief;
    std::string failureDetail = "Cause: \"the source's detail\"";
    int requests = 0;

private:
    void serve(std::shared_ptr<Content>& out) {
        ++requests;
        if (!failureBrief.empty()) {
            throw Exception(failureBrief, failureDetail);
        }
        out = content;
    }
};

std::string failureOf(const std::function<void()>& lookup) {
    try {
        lookup();
    } catch (const CorrectionData::DataNotAvailableException& error) {
        return error.detailedDescription();
    }
    ADD_FAILURE() << "no DataNotAvailableException";
    return {};
}

} // namespace

TEST(ManagedContainer, FramesByNumberAndTimecodeComeFromWeaklyHeldContent) {
    const auto source = std::make_shared<FakeSharedSource>();
    // A later frame's own timecode text is not matched: timecodes count from the first frame.
    source->content->frames[25] = frameNumbered(25, "05:00:00:00");
    ManagedContainer container("/clips/A001.mov", source);
    Frame frame;
    for (const auto& [asked, expected] :
         {std::pair<unsigned int, unsigned int>{10, 10}, {19, 10}, {20, 20}, {1000, 30}}) {
        container.frameData(asked, frame);
        EXPECT_EQ(frame.number, expected) << asked;
    }
    for (const auto& [text, rate, expected] :
         std::vector<std::tuple<const char*, float, unsigned int>>{
             {"01:00:00:15", 25.0F, 25}, {"01:00:00:18", 0.0F, 25}, {"01:00:00:00", 25.0F, 10}}) {
        container.frameData(TC(text, rate), frame);
        EXPECT_EQ(frame.number, expected) << text;
    }
    EXPECT_EQ(source->requests, 1);
    // Once the owner lets go, the next lookup asks again.
    source->content = std::make_shared<Content>(*source->content);
    container.frameData(20U, frame);
    EXPECT_EQ(source->requests, 2);
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

    // The old content is freed, so the container asks again, and fails; the
    // cause's detail follows the container's lines.
    source->content = std::make_shared<Content>();
    source->failureBrief = "Correction file could not be found.";
    EXPECT_EQ(failureOf([&] { byPath.headerData(header); }),
              "Header of the metadata is not available. Correction file could not be found.\n" +
                  path + "Cause: \"the source's detail\"\n");

    // No frame for a timecode without a rate, nor where counting on from the
    // first frame would wrap past the largest number to an earlier frame.
    source->failureBrief.clear();
    for (const unsigned int first : {10U, 4294967000U}) {
        source->content->frames = {{first, frameNumbered(first, "00:59:20:00")}};
        EXPECT_EQ(failureOf([&] { byPath.frameData(TC("01:00:00:00", 25.0F), frame); }),
                  noFrame + "\n" + path + "Timecode: \"01:00:00:00\"\n")
            << first;
        source->content->header.tc.fps = 25.0F;
    }
}

TEST(ManagedContainer, JsonGivesItsOneFrameForEveryRequestOrFailsWithTheText) {
    std::ifstream file(std::string(VELOR_TEST_DATA_DIR) + "/json/valid.json");
    ManagedContainer container{std::string(std::istreambuf_iterator<char>(file), {})};
    Frame frame;
    container.frameData(TC("12:34:56:07", 25.0F), frame);
    EXPECT_EQ(frame.interpolationPoints.shading.at(6), 86.0F);

    // The parser's reason and position follow the text.
    ManagedContainer broken{"{\"recordingFormat\":\n 1"};
    Header header;
    const std::string failure = failureOf([&] { broken.headerData(header); });
    EXPECT_EQ(failure.rfind("Metadata for the frame is not available. JSON metadata string has an "
                            "invalid format.\nJSON String: \"{\"recordingFormat\":\n 1\"\n"
                            "Line Number: 2\nReason: \"",
                            0),
              0U)
        << failure;
}

// A cause that names the clip or the file again adds only its other lines.
TEST(ManagedContainer, NoDetailLineRepeatsTheContainersOwn) {
    const auto source = std::make_shared<FakeSharedSource>();
    source->content.reset();
    ManagedContainer byPath("/clips/A001.mov", source);
    ManagedContainer byFile("A001.mov", "/vlcf/A001.vlcf", source);
    source->failureBrief = "Correction file could not be found.";
    source->failureDetail = "Clip File Path: \"/clips/A001.mov\"\nSearched Directory Paths:\n"
                            "\t\"/clips\"";
    Frame frame;
    EXPECT_EQ(failureOf([&] { byPath.frameData(7U, frame); }),
              "Metadata for the frame is not available. Correction file could not be found.\n"
              "Clip File Path: \"/clips/A001.mov\"\nFrame Number: 7\n"
              "Searched Directory Paths:\n\t\"/clips\"\n");
    source->failureBrief = "Correction file does not belong to the clip.";
    source->failureDetail = "Clip File Name: \"A001.mov\"\nCorrection File Path: "
                            "\"/vlcf/A001.vlcf\"\nVideo File Name: \"B002.mov\"";
    EXPECT_EQ(failureOf([&] { byFile.frameData(7U, frame); }),
              "Metadata for the frame is not available. Correction file does not belong to the "
              "clip.\nClip File Name: \"A001.mov\"\nCorrection File Path: \"/vlcf/A001.vlcf\"\n"
              "Frame Number: 7\nVideo File Name: \"B002.mov\"\n");
}
