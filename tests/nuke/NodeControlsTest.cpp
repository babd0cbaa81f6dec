#include "NodeScript.h"

#include "DDImage/Knobs.h"
#include "core/DistortionCorrectionParameter.h"
#include "core/ShadingCorrectionParameter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using DD::Image::Knob;
using DDImageStandIn::StandInKnob;
using NodeScript::correctionNode;
using NodeScript::knobValue;
using NodeScript::setKnob;

namespace {

const char* const distortionClass = "VelorLensDistortionCorrection";
const char* const shadingClass = "VelorLensShadingCorrection";

struct ExpectedKnob {
    int type;
    const char* name;
    const char* label;
    Knob::FlagMask flags;
};

// The controls in declaration order, with the flags they are made with.
const std::vector<ExpectedKnob> commonKnobs = {
    {DD::Image::ENUMERATION_KNOB, "correctionMode", "Correction Mode", 0},
    {DD::Image::ENUMERATION_KNOB, "outputType", "Output Type", 0},
    {DD::Image::TEXT_KNOB, "", "", 0},
    {DD::Image::ENUMERATION_KNOB, "inputOverscan::location", "Input Overscan Location", 0x100},
    {DD::Image::FLOAT_KNOB, "inputOverscan::amount", "Overscan Amount [%]", 0x40100},
    {DD::Image::INT_KNOB, "inputOverscan::remainingResolution::width",
     "Resolution w/o Overscan [px]", 0x40100},
    {DD::Image::TEXT_KNOB, "", "", 0},
    {DD::Image::INT_KNOB, "inputOverscan::remainingResolution::height", "", 0x40100},
    {DD::Image::TEXT_KNOB, "", "", 0},
    {DD::Image::TAB_KNOB, "correctionFile", "Correction File", 0},
    {DD::Image::FILE_KNOB, "correctionFile::path", "Manually Selected File", 0},
    {DD::Image::TAB_KNOB, "", "", 0},
    {DD::Image::TAB_KNOB, "recordingFormat", "Recording Format", 0},
    {DD::Image::BOOL_KNOB, "recordingFormat::manualSelection", "Manual Selection", 0x1100},
    {DD::Image::TAB_KNOB, "recordingFormat::imageAreaSize", "Image Area Size", 0},
    {DD::Image::FLOAT_KNOB, "recordingFormat::imageAreaSize::width", "Width [mm]", 0x110},
    {DD::Image::FLOAT_KNOB, "recordingFormat::imageAreaSize::height", "Height [mm]", 0x110},
    {DD::Image::TAB_KNOB, "", "", 0},
    {DD::Image::TAB_KNOB, "recordingFormat::clipResolution", "Clip Resolution", 0},
    {DD::Image::INT_KNOB, "recordingFormat::clipResolution::width", "Width [px]", 0x110},
    {DD::Image::INT_KNOB, "recordingFormat::clipResolution::height", "Height [px]", 0x110},
    {DD::Image::TAB_KNOB, "", "", 0},
    {DD::Image::FLOAT_KNOB, "recordingFormat::imageDiameter", "Image Diameter [mm]", 0x190},
    {DD::Image::TAB_KNOB, "", "", 0},
};

const std::vector<std::string> manualFormatKnobs = {
    "recordingFormat::imageAreaSize::width", "recordingFormat::imageAreaSize::height",
    "recordingFormat::clipResolution::width", "recordingFormat::clipResolution::height"};
const std::vector<std::string> overscanKnobs = {"inputOverscan::amount",
                                                "inputOverscan::remainingResolution::width",
                                                "inputOverscan::remainingResolution::height"};

std::string tooltipOf(const Node& node, const std::string& name) {
    return node.knob(name)->tooltip();
}

class NodeControlsTest : public ::testing::TestWithParam<const char*> {
protected:
    std::unique_ptr<Node> node = correctionNode(GetParam());
};

} // namespace

TEST_P(NodeControlsTest, DeclaresTheControlsInOrderWithTheirFlags) {
    ASSERT_EQ(node->knobs().size(), commonKnobs.size());
    for (size_t i = 0; i < commonKnobs.size(); ++i) {
        const ExpectedKnob& expected = commonKnobs[i];
        const StandInKnob& knob = *node->knobs()[i];
        SCOPED_TRACE(std::string("knob ") + std::to_string(i) + " " + expected.name);
        EXPECT_EQ(knob.type(), expected.type);
        EXPECT_EQ(knob.name(), expected.name);
        EXPECT_EQ(knob.label(), expected.label);
        Knob::FlagMask flags = expected.flags;
        if (knob.name() == "outputType" && std::string(GetParam()) == distortionClass) {
            flags |= Knob::HIDDEN;
        }
        bool disabledWithoutManualSelection = false;
        for (const std::string& name : manualFormatKnobs) {
            disabledWithoutManualSelection |= knob.name() == name;
        }
        if (disabledWithoutManualSelection) {
            flags |= Knob::DISABLED | Knob::NO_HANDLES;
        }
        EXPECT_EQ(knob.flags(), flags);
    }
}

TEST_P(NodeControlsTest, NumericControlsHaveTheirRanges) {
    const std::vector<std::tuple<std::string, double, double>> ranges = {
        {"inputOverscan::amount", 0, 20},
        {"inputOverscan::remainingResolution::width", 0, 0},
        {"inputOverscan::remainingResolution::height", 0, 0},
        {"recordingFormat::imageAreaSize::width", 0, 36},
        {"recordingFormat::imageAreaSize::height", 0, 24},
        {"recordingFormat::clipResolution::width", 0, 7680},
        {"recordingFormat::clipResolution::height", 0, 4320},
        {"recordingFormat::imageDiameter", 0, 43.26661682128906}};
    for (const auto& range : ranges) {
        const StandInKnob& knob = *node->standInKnob(std::get<0>(range));
        SCOPED_TRACE(knob.name());
        EXPECT_TRUE(knob.hasRange());
        EXPECT_EQ(knob.rangeMinimum(), std::get<1>(range));
        EXPECT_EQ(knob.rangeMaximum(), std::get<2>(range));
    }
    setKnob(*node, "recordingFormat::clipResolution::width", 9000);
    EXPECT_EQ(knobValue(*node, "recordingFormat::clipResolution::width"), 7680)
        << "forced ranges hold";
}

TEST_P(NodeControlsTest, StartsAtZeroWithTheOverscanLocationBoundingBox) {
    for (const auto& knob : node->knobs()) {
        EXPECT_EQ(knob->get_value(), 0.0) << knob->name();
        EXPECT_EQ(knob->text(), "") << knob->name();
    }
    EXPECT_EQ(node->standInKnob("inputOverscan::location")->entries(),
              (std::vector<std::string>{"Bounding Box", "Format"}));
    for (const std::string& name : overscanKnobs) {
        EXPECT_FALSE(node->knob(name)->isVisible()) << name;
    }
}

TEST_P(NodeControlsTest, CommonControlsExplainThemselves) {
    EXPECT_EQ(tooltipOf(*node, "inputOverscan::location"),
              "Select the location of the overscan which is present in the input "
              "image.\n\nChoose <b>Bounding Box</b> if the overscan area is represented by the "
              "BBox of the input image.\n\nChoose <b>Format</b> if the overscan area is present "
              "in the format of the input image.");
    EXPECT_EQ(tooltipOf(*node, "inputOverscan::amount"),
              "Set the amount of the overscan.\n\nBoth the width and height of the remaining "
              "resolution will be automatically updated.\n\n<b>Please note</b> that the "
              "remaining resolution will be calculated as follows:\n  Remaining_Width = "
              "Format_Width / (1 + Overscan_Amount / 100)\n  Remaining_Height = Format_Height / "
              "(1 + Overscan_Amount / 100)");
    EXPECT_EQ(tooltipOf(*node, "inputOverscan::remainingResolution::width"),
              "Set the width of the remaining resolution without overscan.\n\nThe corresponding "
              "height will be automatically updated to retain the aspect ratio of the recording "
              "format.");
    EXPECT_EQ(tooltipOf(*node, "inputOverscan::remainingResolution::height"),
              "Set the height of the remaining resolution without overscan.\n\nThe corresponding "
              "width will be automatically updated to retain the aspect ratio of the recording "
              "format.");
    EXPECT_EQ(
        tooltipOf(*node, "correctionFile::path"),
        "Select the path of the VELOR lens correction file manually if the plug-in is not able "
        "to find it automatically by itself.\n\n<b>General Information</b>\nIn order to get "
        "access to the metadata stored in the VELOR lens correction file with the extension "
        "<b>vlcf</b>, the plug-in needs to know the location of the file. The plug-in is capable "
        "of finding the location of the file automatically by itself, but only if it is stored "
        "at one of the expected locations. If the file is stored at another location, the user "
        "needs to manually select the correction file to provide its location to the "
        "plug-in.\n\nFor the plug-in to automatically find the location, the correction file is "
        "expected to be at one of the following locations:\n\n1. File is located directly in the "
        "same directory as the video file.\n2. File is located in one of the subdirectories "
        "contained in the same directory as the video file. Please note that the subdirectory "
        "depth for this case is limited to one.\n3. File is located directly in one of the "
        "parent directories. Please note that the number of parent directories is limited to "
        "five.\n4. File is located in one of the subdirectories contained in one of the parent "
        "directories. Please note that the subdirectory depth for this case is limited to two.");
    EXPECT_EQ(tooltipOf(*node, "recordingFormat::manualSelection"),
              "The plug-in provides information about the sub-area of the sensor covered by the "
              "recording format, along with its size and resolution. This information is stored "
              "in the VELOR lens correction file and usually only displayed to the user.\n\nIf "
              "the recording format information is missing, however, you will be asked to "
              "provide the information by yourself. To do that, please set the checkmark for "
              "manual selection of the format and fill in the required data.");
    EXPECT_EQ(tooltipOf(*node, "recordingFormat::imageAreaSize::width"),
              "This is the physical width of the sub-area of the sensor covered by the recording "
              "format.");
    EXPECT_EQ(tooltipOf(*node, "recordingFormat::imageAreaSize::height"),
              "This is the physical height of the sub-area of the sensor covered by the "
              "recording format.");
    EXPECT_EQ(tooltipOf(*node, "recordingFormat::clipResolution::width"),
              "This is the width of the clip resolution captured in the recording format.");
    EXPECT_EQ(tooltipOf(*node, "recordingFormat::clipResolution::height"),
              "This is the height of the clip resolution captured in the recording format.");
    EXPECT_EQ(tooltipOf(*node, "recordingFormat::imageDiameter"),
              "This is the physical diameter of the sub-area of the sensor covered by the "
              "recording format.");
}

TEST_P(NodeControlsTest, HasTwoLabelledInputsAndRendersWholePackedPlanes) {
    const LensCorrection& lens = NodeScript::lensCorrection(*node);
    ASSERT_EQ(lens.inputs(), 2);
    char buffer[32] = {};
    EXPECT_STREQ(lens.input_label(0, buffer), "src");
    EXPECT_STREQ(lens.input_label(1, buffer), "plate");
    EXPECT_EQ(lens.input_label(2, buffer), nullptr);
    EXPECT_FALSE(lens.isImageInputConnected());
    EXPECT_FALSE(lens.isMetadataInputConnected());
    EXPECT_TRUE(lens.renderFullPlanes());
    EXPECT_EQ(lens.packedPreference(), DD::Image::PlanarI::ePackedPreferencePacked);
}

TEST_P(NodeControlsTest, OverscanLocationFormatShowsTheOverscanControls) {
    setKnob(*node, "inputOverscan::location", 1);
    for (const std::string& name : overscanKnobs) {
        EXPECT_TRUE(node->knob(name)->isVisible()) << name;
    }
    setKnob(*node, "inputOverscan::location", 0);
    for (const std::string& name : overscanKnobs) {
        EXPECT_FALSE(node->knob(name)->isVisible()) << name;
    }
}

TEST_P(NodeControlsTest, ManualSelectionEnablesTheFormatControlsButNeverTheDiameter) {
    setKnob(*node, "recordingFormat::manualSelection", 1);
    for (const std::string& name : manualFormatKnobs) {
        EXPECT_TRUE(node->knob(name)->isEnabled()) << name;
    }
    EXPECT_FALSE(node->knob("recordingFormat::imageDiameter")->isEnabled());
    setKnob(*node, "recordingFormat::manualSelection", 0);
    for (const std::string& name : manualFormatKnobs) {
        EXPECT_FALSE(node->knob(name)->isEnabled()) << name;
    }
}

TEST_P(NodeControlsTest, OverscanAmountAndRemainingResolutionFollowEachOther) {
    std::unique_ptr<Node> read = Node::make<DDImageStandIn::StandInRead>();
    NodeScript::reader(*read).setFormat(4400, 2200);
    node->setInput(0, read.get());
    setKnob(*node, "inputOverscan::location", 1);

    setKnob(*node, "inputOverscan::amount", 10);
    EXPECT_EQ(knobValue(*node, "inputOverscan::remainingResolution::width"), 4000);
    EXPECT_EQ(knobValue(*node, "inputOverscan::remainingResolution::height"), 2000);

    setKnob(*node, "inputOverscan::remainingResolution::width", 3960);
    EXPECT_EQ(knobValue(*node, "inputOverscan::remainingResolution::height"), 1980);
    EXPECT_NEAR(knobValue(*node, "inputOverscan::amount"), 11.1111, 1e-3);

    setKnob(*node, "inputOverscan::remainingResolution::height", 1000);
    EXPECT_EQ(knobValue(*node, "inputOverscan::remainingResolution::width"), 2000);
    EXPECT_NEAR(knobValue(*node, "inputOverscan::amount"), 120.0, 1e-3);

    setKnob(*node, "inputOverscan::remainingResolution::width", 0);
    EXPECT_EQ(knobValue(*node, "inputOverscan::remainingResolution::height"), 0);
    EXPECT_NEAR(knobValue(*node, "inputOverscan::amount"), 120.0, 1e-3)
        << "no amount for a width of zero";

    EXPECT_EQ(NodeScript::lensCorrection(*node).overscanAmount(),
              static_cast<float>(knobValue(*node, "inputOverscan::amount")))
        << "knob values reach the node";
}

TEST_P(NodeControlsTest, RemainingResolutionIsZeroWithoutImageInput) {
    std::unique_ptr<Node> read = Node::make<DDImageStandIn::StandInRead>();
    NodeScript::reader(*read).setFormat(4400, 2200);
    node->setInput(0, read.get());
    setKnob(*node, "inputOverscan::location", 1);
    setKnob(*node, "inputOverscan::amount", 10);
    ASSERT_EQ(knobValue(*node, "inputOverscan::remainingResolution::width"), 4000);

    node->setInput(0, nullptr);
    EXPECT_TRUE(node->updateUI());
    EXPECT_EQ(knobValue(*node, "inputOverscan::remainingResolution::width"), 0);
    EXPECT_EQ(knobValue(*node, "inputOverscan::remainingResolution::height"), 0);
}

TEST_P(NodeControlsTest, ManualFormatDerivesTheDiameterFromTheClipAspectRatio) {
    setKnob(*node, "recordingFormat::manualSelection", 1);
    setKnob(*node, "recordingFormat::imageAreaSize::width", 24);
    setKnob(*node, "recordingFormat::clipResolution::width", 4096);
    setKnob(*node, "recordingFormat::clipResolution::height", 2160);
    EXPECT_TRUE(node->updateUI());
    EXPECT_NEAR(knobValue(*node, "recordingFormat::imageDiameter"), 27.13, 1e-9);
    EXPECT_EQ(knobValue(*node, "recordingFormat::imageAreaSize::height"), 0)
        << "the derived height serves the diameter only";

    setKnob(*node, "recordingFormat::imageAreaSize::width", 0);
    setKnob(*node, "recordingFormat::imageAreaSize::height", 12.65625);
    node->updateUI();
    EXPECT_NEAR(knobValue(*node, "recordingFormat::imageDiameter"), 27.13, 1e-9);

    setKnob(*node, "recordingFormat::clipResolution::height", 0);
    node->updateUI();
    EXPECT_EQ(knobValue(*node, "recordingFormat::imageDiameter"), 0);

    setKnob(*node, "recordingFormat::imageAreaSize::width", 36);
    setKnob(*node, "recordingFormat::imageAreaSize::height", 24);
    node->updateUI();
    EXPECT_NEAR(knobValue(*node, "recordingFormat::imageDiameter"), 43.27, 0.01);
    EXPECT_FALSE(node->op()->hasError());
}

INSTANTIATE_TEST_SUITE_P(BothNodes, NodeControlsTest,
                         ::testing::Values(distortionClass, shadingClass),
                         [](const ::testing::TestParamInfo<const char*>& parameter) {
                             return std::string(parameter.param).substr(9);
                         });

TEST(NodeClassesTest, RegisterTheirNamesHelpAndChoices) {
    const std::unique_ptr<Node> distortion = correctionNode(distortionClass);
    EXPECT_STREQ(distortion->op()->Class(), distortionClass);
    EXPECT_STREQ(distortion->op()->node_help(), "VELOR Lens Distortion Correction v0.18.1");
    EXPECT_EQ(distortion->standInKnob("correctionMode")->entries(),
              (std::vector<std::string>{"Undistort", "Distort"}));
    EXPECT_EQ(distortion->standInKnob("outputType")->entries(),
              (std::vector<std::string>{"Image", "STMap"}));
    EXPECT_FALSE(distortion->knob("outputType")->isVisible());
    EXPECT_EQ(tooltipOf(*distortion, "correctionMode"),
              "Select the correction mode to either distort or undistort the footage.");
    EXPECT_EQ(tooltipOf(*distortion, "outputType"),
              "Select the output type to render either the corrected image or a displacement "
              "map.");

    const std::unique_ptr<Node> shading = correctionNode(shadingClass);
    EXPECT_STREQ(shading->op()->Class(), shadingClass);
    EXPECT_STREQ(shading->op()->node_help(), "VELOR Lens Shading Correction v0.18.1");
    EXPECT_EQ(shading->standInKnob("correctionMode")->entries(),
              (std::vector<std::string>{"Remove Shading", "Add Shading"}));
    EXPECT_EQ(shading->standInKnob("outputType")->entries(),
              (std::vector<std::string>{"Image", "Map"}));
    EXPECT_TRUE(shading->knob("outputType")->isVisible());
    EXPECT_EQ(tooltipOf(*shading, "correctionMode"),
              "Select the correction mode to either add or remove shading from the footage.");
    EXPECT_EQ(tooltipOf(*shading, "outputType"),
              "Select the output type to render either the corrected image or a multiply map.");

    EXPECT_EQ(Node::create("VelorLensCorrection"), nullptr);
}
