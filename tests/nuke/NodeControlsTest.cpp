#include "NodeScript.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using NodeScript::knobValue;
using NodeScript::setKnob;

namespace {

const char* const shadingClass = "VelorLensShadingCorrection";

class NodeControlsTest : public ::testing::TestWithParam<const char*> {
protected:
    std::vector<bool> states(const std::vector<std::string>& names, bool enabled) const {
        std::vector<bool> shown;
        for (const std::string& name : names) {
            const DD::Image::Knob& knob = NodeScript::knob(*node, name);
            shown.push_back(enabled ? knob.isEnabled() : knob.isVisible());
        }
        return shown;
    }

    std::unique_ptr<Node> node = NodeScript::correctionNode(GetParam());
    std::unique_ptr<Node> read = Node::make<DDImageStandIn::StandInRead>();
};

} // namespace

TEST_P(NodeControlsTest, ControlsShowAndEnableAsTheOtherControlsSay) {
    EXPECT_EQ(node->knob("outputType")->isVisible(), std::string(GetParam()) == shadingClass)
        << "a distortion map is not offered";
    const std::vector<std::string> overscan = {"inputOverscan::amount",
                                               "inputOverscan::remainingResolution::width",
                                               "inputOverscan::remainingResolution::height"};
    const std::vector<std::string> manual = {
        "recordingFormat::imageAreaSize::width", "recordingFormat::imageAreaSize::height",
        "recordingFormat::clipResolution::width", "recordingFormat::clipResolution::height"};
    for (const bool on : {false, true, false}) {
        setKnob(*node, "inputOverscan::location", on ? 1 : 0); // Format or Bounding Box
        EXPECT_EQ(states(overscan, false), std::vector<bool>(3, on));
        setKnob(*node, "recordingFormat::manualSelection", on ? 1 : 0);
        EXPECT_EQ(states(manual, true), std::vector<bool>(4, on));
        EXPECT_FALSE(node->knob("recordingFormat::imageDiameter")->isEnabled()) << "derived only";
    }
}

TEST_P(NodeControlsTest, OverscanAmountAndRemainingResolutionFollowEachOther) {
    NodeScript::reader(*read).setFormat(4400, 2200);
    read->validate();
    node->setInput(0, read.get());
    setKnob(*node, "inputOverscan::location", 1);
    const struct {
        const char* set;
        double value;
        double width;
        double height;
        double amount;
    } steps[] = {
        {"inputOverscan::amount", 10, 4000, 2000, 10},
        {"inputOverscan::remainingResolution::width", 3960, 3960, 1980, 11.1111},
        // 1980.5 rounds up; the height set from it must not set the width again.
        {"inputOverscan::remainingResolution::width", 3961, 3961, 1981, 11.0831},
        {"inputOverscan::remainingResolution::height", 1000, 2000, 1000, 120},
        // No amount for a width of zero: the last one stays.
        {"inputOverscan::remainingResolution::width", 0, 0, 0, 120},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string(step.set) + " = " + std::to_string(step.value));
        setKnob(*node, step.set, step.value);
        EXPECT_EQ(knobValue(*node, "inputOverscan::remainingResolution::width"), step.width);
        EXPECT_EQ(knobValue(*node, "inputOverscan::remainingResolution::height"), step.height);
        EXPECT_NEAR(knobValue(*node, "inputOverscan::amount"), step.amount, 1e-3);
        EXPECT_EQ(NodeScript::lensCorrection(*node).overscanAmount(),
                  static_cast<float>(knobValue(*node, "inputOverscan::amount")));
    }
    node->setInput(0, nullptr);
    EXPECT_TRUE(node->updateUI());
    EXPECT_EQ(knobValue(*node, "inputOverscan::remainingResolution::width"), 0)
        << "no remaining resolution without image input";
}

// A missing side of the image area follows from the clip's aspect ratio for the diameter only;
// values beyond the controls' forced ranges (36 x 24 mm, 7680 x 4320 px) are clamped.
TEST_P(NodeControlsTest, ManualFormatDerivesTheDiameterFromTheClipAspectRatio) {
    setKnob(*node, "recordingFormat::manualSelection", 1);
    const struct {
        double width;
        double height;
        double clipWidth;
        double clipHeight;
        double diameter;
    } cases[] = {{24, 0, 4096, 2160, 27.13}, {24, 0, 4096, 0, 0}, {40, 30, 9000, 5000, 43.2666}};
    for (const auto& format : cases) {
        setKnob(*node, "recordingFormat::imageAreaSize::width", format.width);
        setKnob(*node, "recordingFormat::imageAreaSize::height", format.height);
        setKnob(*node, "recordingFormat::clipResolution::width", format.clipWidth);
        setKnob(*node, "recordingFormat::clipResolution::height", format.clipHeight);
        EXPECT_TRUE(node->updateUI());
        EXPECT_NEAR(knobValue(*node, "recordingFormat::imageDiameter"), format.diameter, 1e-4)
            << format.width << " x " << format.height;
        EXPECT_EQ(knobValue(*node, "recordingFormat::imageAreaSize::height"),
                  std::min(format.height, 24.0))
            << "the controls keep what was typed";
    }
    EXPECT_EQ(knobValue(*node, "recordingFormat::clipResolution::width"), 7680);
    EXPECT_FALSE(node->firstOp()->hasError());
}

INSTANTIATE_TEST_SUITE_P(BothNodes, NodeControlsTest,
                         ::testing::Values("VelorLensDistortionCorrection", shadingClass),
                         [](const ::testing::TestParamInfo<const char*>& parameter) {
                             return std::string(parameter.param).substr(9);
                         });
