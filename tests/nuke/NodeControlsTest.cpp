#include "NodeScript.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using NodeScript::correctionNode;
using NodeScript::knobValue;
using NodeScript::setKnob;

namespace {

const char* const distortionClass = "VelorLensDistortionCorrection";
const char* const shadingClass = "VelorLensShadingCorrection";

const std::vector<std::string> manualFormatKnobs = {
    "recordingFormat::imageAreaSize::width", "recordingFormat::imageAreaSize::height",
    "recordingFormat::clipResolution::width", "recordingFormat::clipResolution::height"};
const std::vector<std::string> overscanKnobs = {"inputOverscan::amount",
                                                "inputOverscan::remainingResolution::width",
                                                "inputOverscan::remainingResolution::height"};

class NodeControlsTest : public ::testing::TestWithParam<const char*> {
protected:
    // Whether each of the knobs is visible (or enabled).
    std::vector<bool> shown(const std::vector<std::string>& names, bool enabled = false) const {
        std::vector<bool> states;
        for (const std::string& name : names) {
            states.push_back(enabled ? node->knob(name)->isEnabled()
                                     : node->knob(name)->isVisible());
        }
        return states;
    }

    std::unique_ptr<Node> node = correctionNode(GetParam());
    std::unique_ptr<Node> read = Node::make<DDImageStandIn::StandInRead>();
};

const std::vector<bool> none(3, false);
const std::vector<bool> all(3, true);

} // namespace

TEST_P(NodeControlsTest, ControlsShowAndEnableAsTheOtherControlsSay) {
    EXPECT_EQ(node->knob("outputType")->isVisible(), std::string(GetParam()) == shadingClass)
        << "a distortion map is not offered";
    EXPECT_EQ(shown(overscanKnobs), none);
    setKnob(*node, "inputOverscan::location", 1); // Format
    EXPECT_EQ(shown(overscanKnobs), all);
    setKnob(*node, "inputOverscan::location", 0); // Bounding Box
    EXPECT_EQ(shown(overscanKnobs), none);

    EXPECT_EQ(shown(manualFormatKnobs, true), std::vector<bool>(4, false));
    setKnob(*node, "recordingFormat::manualSelection", 1);
    EXPECT_EQ(shown(manualFormatKnobs, true), std::vector<bool>(4, true));
    EXPECT_FALSE(node->knob("recordingFormat::imageDiameter")->isEnabled()) << "derived only";
    setKnob(*node, "recordingFormat::manualSelection", 0);
    EXPECT_EQ(shown(manualFormatKnobs, true), std::vector<bool>(4, false));
}

TEST_P(NodeControlsTest, OverscanAmountAndRemainingResolutionFollowEachOther) {
    NodeScript::reader(*read).setFormat(4400, 2200);
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
    EXPECT_EQ(knobValue(*node, "inputOverscan::remainingResolution::height"), 0);
}

// A missing side of the image area follows from the clip's aspect ratio for the diameter only.
TEST_P(NodeControlsTest, ManualFormatDerivesTheDiameterFromTheClipAspectRatio) {
    setKnob(*node, "recordingFormat::manualSelection", 1);
    // The last two exceed the diameter's forced range, the last also the others' (36 x 24 mm,
    // 7680 x 4320 px).
    const struct {
        double width;
        double height;
        double clipWidth;
        double clipHeight;
        double diameter;
    } cases[] = {
        {24, 0, 4096, 2160, 27.13}, {0, 12.65625, 4096, 2160, 27.13}, {24, 0, 4096, 0, 0},
        {36, 24, 4096, 0, 43.2666}, {40, 30, 9000, 5000, 43.2666},
    };
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
    EXPECT_FALSE(node->op()->hasError());
}

INSTANTIATE_TEST_SUITE_P(BothNodes, NodeControlsTest,
                         ::testing::Values(distortionClass, shadingClass),
                         [](const ::testing::TestParamInfo<const char*>& parameter) {
                             return std::string(parameter.param).substr(9);
                         });

TEST(NodeClassesTest, OnlyTheTwoCorrectionsAreRegistered) {
    for (const char* className : {distortionClass, shadingClass}) {
        EXPECT_STREQ(correctionNode(className)->op()->Class(), className);
    }
    EXPECT_EQ(Node::create("VelorLensCorrection"), nullptr);
}
