#include "NodeScript.h"

#include "recording_format_database/CsvStringBasedRecordingFormatDatabase.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

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
// values beyond the controls' forced ranges (70 x 70 mm, 16384 x 16384 px) are clamped.
TEST_P(NodeControlsTest, ManualFormatDerivesTheDiameterFromTheClipAspectRatio) {
    setKnob(*node, "recordingFormat::manualSelection", 1);
    const struct {
        double width;
        double height;
        double clipWidth;
        double clipHeight;
        double diameter;
    } cases[] = {{24, 0, 4096, 2160, 27.13},
                 {24, 0, 4096, 0, 0},
                 {54.12, 25.58, 6560, 3100, 59.86}, // ALEXA 65 open gate
                 {80, 30, 20000, 5000, 76.16}};
    for (const auto& format : cases) {
        setKnob(*node, "recordingFormat::imageAreaSize::width", format.width);
        setKnob(*node, "recordingFormat::imageAreaSize::height", format.height);
        setKnob(*node, "recordingFormat::clipResolution::width", format.clipWidth);
        setKnob(*node, "recordingFormat::clipResolution::height", format.clipHeight);
        EXPECT_TRUE(node->updateUI());
        EXPECT_NEAR(knobValue(*node, "recordingFormat::imageDiameter"), format.diameter, 1e-4)
            << format.width << " x " << format.height;
        EXPECT_EQ(knobValue(*node, "recordingFormat::imageAreaSize::height"),
                  std::min(format.height, 70.0))
            << "the controls keep what was typed";
    }
    EXPECT_EQ(knobValue(*node, "recordingFormat::imageAreaSize::width"), 70);
    EXPECT_EQ(knobValue(*node, "recordingFormat::clipResolution::width"), 16384);
    EXPECT_FALSE(node->firstOp()->hasError());
}

// Every format of the compiled-in table, and sensors up to 70 mm and 16384 px, can be entered and
// shown without clamping.
TEST_P(NodeControlsTest, ManualRangesHoldEveryFormatOfTheTable) {
    const auto maximum = [this](const char* name) {
        const DDImageStandIn::StandInKnob* knob = node->standInKnob(name);
        EXPECT_TRUE(knob->hasRange() && knob->flag(DD::Image::Knob::FORCE_RANGE)) << name;
        EXPECT_EQ(knob->rangeMinimum(), 0.0) << name;
        return knob->rangeMaximum();
    };
    const double width = maximum("recordingFormat::imageAreaSize::width");
    const double height = maximum("recordingFormat::imageAreaSize::height");
    const double clipWidth = maximum("recordingFormat::clipResolution::width");
    const double clipHeight = maximum("recordingFormat::clipResolution::height");
    const double diameter = maximum("recordingFormat::imageDiameter");
    EXPECT_GE(std::min(width, height), 70.0);
    EXPECT_GE(std::min(clipWidth, clipHeight), 16384.0);
    EXPECT_GE(diameter, std::hypot(70.0, 70.0));

    const auto* table =
        RecordingFormatDatabase::CsvStringBasedRecordingFormatDatabase::sharedInstance();
    std::vector<std::string> manufacturers;
    table->cameraManufacturers(manufacturers);
    size_t formats = 0;
    std::vector<std::string> clamped;
    for (const std::string& manufacturer : manufacturers) {
        std::vector<std::string> models;
        table->cameraModels(manufacturer, models);
        for (const std::string& model : models) {
            std::map<std::string, RecordingFormatDatabase::RecordingFormat> byName;
            table->recordingFormats(manufacturer, model, byName);
            for (const auto& entry : byName) {
                const RecordingFormatDatabase::RecordingFormat& format = entry.second;
                ++formats;
                if (format.sensorWidth > width || format.sensorHeight > height ||
                    format.pixelWidth > clipWidth || format.pixelHeight > clipHeight ||
                    2.0 * format.sensorRadius > diameter) {
                    clamped.push_back(manufacturer + " " + model + " " + entry.first);
                }
            }
        }
    }
    EXPECT_GT(formats, 2000U);
    EXPECT_TRUE(clamped.empty()) << clamped.size() << " formats do not fit, the first "
                                 << clamped.front();
}

INSTANTIATE_TEST_SUITE_P(BothNodes, NodeControlsTest,
                         ::testing::Values("VelorLensDistortionCorrection", shadingClass),
                         [](const ::testing::TestParamInfo<const char*>& parameter) {
                             return std::string(parameter.param).substr(9);
                         });
