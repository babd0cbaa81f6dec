#include "NodeScript.h"

#include "nuke/DataSourceHelper.h"
#include "nuke/LensDistortionDataSource.h"
#include "nuke/LensShadingDataSource.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <utility>

using NodeScript::correctionNode;
using NodeScript::lensCorrection;
using NodeScript::setKnob;

namespace {

using Text = bool (Core::CoreDataSource::*)(char*, size_t) const;

std::string delivered(Text operation, const Core::CoreDataSource& source, size_t size = 4096) {
    std::string buffer(size, '#');
    if (!(source.*operation)(&buffer[0], size)) {
        return buffer == std::string(size, '#') ? "false" : "false, buffer written";
    }
    return buffer.c_str();
}

// The host's script interpreter while the object lives.
class ScriptInterpreterForTest {
public:
    explicit ScriptInterpreterForTest(Node::ScriptInterpreter interpreter) {
        Node::setScriptInterpreter(std::move(interpreter));
    }
    ~ScriptInterpreterForTest() { Node::setScriptInterpreter(nullptr); }
    ScriptInterpreterForTest(const ScriptInterpreterForTest&) = delete;
    ScriptInterpreterForTest& operator=(const ScriptInterpreterForTest&) = delete;
};

class DataSourceTest : public ::testing::Test {
protected:
    NodeScript::ClipDirectory clip;
    std::unique_ptr<Node> read = clip.read();
    std::unique_ptr<Node> node = correctionNode("VelorLensDistortionCorrection");
    LensDistortionDataSource source{&lensCorrection(*node)};
};

} // namespace

TEST_F(DataSourceTest, EachNodeAsksForItsOwnCorrectionAsItsControlsSay) {
    Core::DistortionCorrectionParameter distortion;
    Core::ShadingCorrectionParameter shading;
    EXPECT_FALSE(source.shouldPerformShadingCorrection(shading));
    setKnob(*node, "correctionMode", 1);
    ASSERT_TRUE(source.shouldPerformDistortionCorrection(distortion));
    EXPECT_TRUE(distortion.reverse);
    EXPECT_FALSE(distortion.outputMap);

    const std::unique_ptr<Node> shadingNode = correctionNode("VelorLensShadingCorrection");
    const LensShadingDataSource shadingSource(&lensCorrection(*shadingNode));
    EXPECT_FALSE(shadingSource.shouldPerformDistortionCorrection(distortion));
    setKnob(*shadingNode, "outputType", 1);
    ASSERT_TRUE(shadingSource.shouldPerformShadingCorrection(shading));
    EXPECT_TRUE(shading.outputMap);
    EXPECT_FALSE(shading.reverse);
}

TEST_F(DataSourceTest, HandsOverTextsOnlyWhole) {
    const Text path = &Core::CoreDataSource::correctionFilePath;
    EXPECT_EQ(delivered(path, source), "false");
    node->knob("correctionFile::path")->set_text("/lens/A001C003.vlcf");
    const size_t fits = std::string("/lens/A001C003.vlcf").size() + 1;
    EXPECT_EQ(delivered(path, source, fits), "/lens/A001C003.vlcf");
    EXPECT_EQ(delivered(path, source, fits - 1), "false");
}

TEST_F(DataSourceTest, NamesTheClipAndItsEmbeddedJsonFromTheReadAboveThePlateInput) {
    EXPECT_EQ(delivered(&Core::CoreDataSource::clipFilePath, source), "false");
    node->setInput(1, read.get());
    EXPECT_EQ(delivered(&Core::CoreDataSource::clipFilePath, source), clip.clipPath());
    EXPECT_EQ(delivered(&Core::CoreDataSource::clipFileName, source), "A001C003.mov");
    EXPECT_EQ(delivered(&Core::CoreDataSource::frameMetadata, source), "false");

    DDImageStandIn::StandInRead& exr = NodeScript::reader(*read);
    exr.filename((clip.root() / "seq" / "shot_v1.1001.exr").string().c_str());
    exr.metadata().setData("exr/com.velor.LensCorrection", "{\"clip\": 1}");
    EXPECT_EQ(delivered(&Core::CoreDataSource::frameMetadata, source), "{\"clip\": 1}");
    EXPECT_EQ(delivered(&Core::CoreDataSource::clipFilePath, source),
              (clip.root() / "seq" / "shot_v1").string());
}

// The clip path comes from the host's own expansion of the Read's full-resolution file name:
// views, environment variables and the frame as the Read expands them, also in proxy mode,
// where the Read reads the proxy file.
TEST_F(DataSourceTest, TheClipIsTheReadsOwnExpansionOfItsFullResolutionFile) {
    node->setInput(1, read.get());
    read->setName("Read1");
    DDImageStandIn::StandInRead& exr = NodeScript::reader(*read);
    // The host's Python, as far as the node asks it: the Read's "file" knob evaluated.
    const std::regex evaluation(R"(setFrame\((-?\d+)\).*setView\((\d+)\).*toNode\('Read1'\))"
                                R"(\['file'\]\.getEvaluatedValue)");
    const ScriptInterpreterForTest python(
        [&exr, &evaluation](const std::string& command, bool isPython, std::string& result) {
            std::smatch match;
            if (!isPython || !std::regex_search(command, match, evaluation)) {
                return false;
            }
            result = exr.evaluatedFile(std::stoi(match[1]), std::stoi(match[2]));
            return true;
        });
    const auto clipPath = [this] { return delivered(&Core::CoreDataSource::clipFilePath, source); };

    exr.setViews({"left", "right"}, 1);
    exr.setFiles((clip.root() / "seq" / "shot_%V.%04d.exr").string(), "", 1001, false);
    EXPECT_EQ(clipPath(), (clip.root() / "seq" / "shot_right").string());

    setenv("VELOR_TEST_PLATES", (clip.root() / "plates").string().c_str(), 1);
    exr.setFiles("${VELOR_TEST_PLATES}/shot_v2.####.exr",
                 (clip.root() / "proxy" / "shot_half.####.exr").string(), 1002, true);
    EXPECT_EQ(std::string(exr.filename()), (clip.root() / "proxy" / "shot_half.1002.exr").string());
    EXPECT_EQ(clipPath(), (clip.root() / "plates" / "shot_v2").string())
        << "proxy mode does not change the clip";

    exr.setFiles((clip.root() / "seq" / "shot_%v.%04d.exr").string(),
                 (clip.root() / "proxy" / "shot_%V_half.####.exr").string(), 1003, true);
    EXPECT_EQ(clipPath(), (clip.root() / "seq" / "shot_r").string());

    // Without the host's evaluation the proxy file is never taken for the clip.
    Node::setScriptInterpreter(nullptr);
    EXPECT_EQ(clipPath(), "false");
}

TEST_F(DataSourceTest, FindsTheReadThroughOtherOperatorsAndThePlugInsOwnNodes) {
    std::unique_ptr<Node> otherRead = clip.read();
    std::unique_ptr<Node> grade = Node::make<DDImageStandIn::PassThroughIop>(std::string("Grade"));
    std::unique_ptr<Node> shading = correctionNode("VelorLensShadingCorrection");
    // Read -> Grade -> distortion "plate" -> shading "plate"; other Read -> distortion "src".
    grade->setInput(0, read.get());
    node->setInput(0, otherRead.get());
    node->setInput(1, grade.get());
    shading->setInput(1, node.get());
    EXPECT_EQ(DataSourceHelper::readNode(&lensCorrection(*node)), read->op());
    EXPECT_EQ(DataSourceHelper::readNode(&lensCorrection(*shading)), read->op());

    // Other operators are followed by their first input, which leads nowhere here.
    grade->setInput(0, nullptr);
    EXPECT_EQ(DataSourceHelper::readNode(&lensCorrection(*shading)), nullptr);
}

TEST_F(DataSourceTest, DescribesTheFrameByTimecodeOrNotAtAll) {
    node->setInput(1, read.get());
    Core::FrameData frame;
    ASSERT_TRUE(source.frameData(frame));
    EXPECT_STREQ(frame.timecode, "10:00:00:01");
    EXPECT_EQ(frame.frameNumber, 0U) << "the timecode names the frame";

    NodeScript::reader(*read).metadata().setData("input/timecode", "10:00:00:01:0000");
    Core::FrameData unchanged;
    unchanged.frameNumber = 77;
    EXPECT_FALSE(source.frameData(unchanged)) << "a timecode of 16 characters does not fit";
    EXPECT_EQ(unchanged.frameNumber, 77U);

    NodeScript::reader(*read).metadata().erase("input/timecode");
    EXPECT_FALSE(source.frameData(unchanged)) << "ARRI QuickTime without its timecode";
}

// A frame of an EXR sequence of an unknown camera is counted from the first frame of the file's
// own range: "input/frame" is the number of the file read, whatever frame of the script shows
// it through the Read's frame offset or "start at".
TEST_F(DataSourceTest, AFileFrameGetsTheSameRecordWhateverTheReadsFrameOffset) {
    node->setInput(1, read.get());
    DDImageStandIn::StandInRead& exr = NodeScript::reader(*read);
    exr.filename((clip.root() / "seq" / "shot_v1.1002.exr").string().c_str());
    exr.metadata().erase("quicktime/arri/camera/CameraClipName");
    exr.metadata().erase("input/timecode");
    exr.metadata().setData("input/frame", 1002);
    // No offset, 100 frames later, and "start at 1".
    for (const int offset : {0, 100, -1000}) {
        exr.setFrameRange(1001, 1003, offset);
        read->validate();
        Core::FrameData frame;
        ASSERT_TRUE(source.frameData(frame)) << "offset " << offset;
        EXPECT_EQ(frame.frameNumber, 1U) << "offset " << offset;
    }
}

TEST_F(DataSourceTest, RecordingFormatComesFromTheControlsWhenSelectedByHand) {
    RecordingFormatDatabase::RecordingFormat format;
    EXPECT_FALSE(source.recordingFormat(format));
    setKnob(*node, "recordingFormat::manualSelection", 1);
    setKnob(*node, "recordingFormat::imageAreaSize::width", 24);
    setKnob(*node, "recordingFormat::imageAreaSize::height", 12.5);
    setKnob(*node, "recordingFormat::clipResolution::width", 4096);
    setKnob(*node, "recordingFormat::clipResolution::height", 2160);
    node->updateUI();
    ASSERT_TRUE(source.recordingFormat(format));
    EXPECT_EQ(format.sensorHeight, 12.5F);
    EXPECT_EQ(format.pixelWidth, 4096U);
    EXPECT_FLOAT_EQ(format.sensorRadius, 27.06F / 2.0F);
}

// A script rendered in a terminal (nuke -x) never calls the UI callbacks: the diameter used for
// the render follows from the values the script set, not from what the panel last showed.
TEST_F(DataSourceTest, ManualFormatSetByAScriptWithoutPanelUsesItsOwnDiameter) {
    const Node::TerminalMode terminal;
    setKnob(*node, "recordingFormat::manualSelection", 1);
    setKnob(*node, "recordingFormat::imageAreaSize::width", 24.89);
    setKnob(*node, "recordingFormat::imageAreaSize::height", 18.66);
    setKnob(*node, "recordingFormat::clipResolution::width", 4448);
    setKnob(*node, "recordingFormat::clipResolution::height", 3096);
    RecordingFormatDatabase::RecordingFormat format;
    ASSERT_TRUE(source.recordingFormat(format));
    EXPECT_FLOAT_EQ(format.sensorRadius, 31.11F / 2.0F);
    EXPECT_EQ(NodeScript::knobValue(*node, "recordingFormat::imageDiameter"), 0)
        << "no panel: the control is not refreshed";

    // Only the width given: the height follows from the clip's aspect ratio.
    setKnob(*node, "recordingFormat::imageAreaSize::height", 0);
    ASSERT_TRUE(source.recordingFormat(format));
    EXPECT_FLOAT_EQ(format.sensorRadius, 30.33F / 2.0F);
}
