// The node and the command-line tool grow the same plate to the same frame:
// the same format, data window and overscan give the same output box in both.
#include "NodeScript.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <OpenImageIO/imagebuf.h>

#include <string>
#include <vector>

namespace {

struct Plate {
    const char* name;
    int formatWidth;
    int formatHeight;
    // The data window beyond the format, in pixels, per side.
    int left;
    int right;
    int top;
    int bottom;
    // Percent of overscan inside the format; negative: the overscan is the data window.
    float formatOverscan;
};

struct Box {
    int x;
    int y;
    int width;
    int height;
};

bool operator==(const Box& a, const Box& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

std::ostream& operator<<(std::ostream& out, const Box& box) {
    return out << box.width << "x" << box.height << " at " << box.x << "," << box.y;
}

// The node's output box, its x and y measured from the format's left and top.
Box nodeBox(const NodeScript::ClipDirectory& clip, const Plate& plate) {
    const std::unique_ptr<Node> read = clip.read();
    DDImageStandIn::StandInRead& reader = NodeScript::reader(*read);
    reader.setFormat(plate.formatWidth, plate.formatHeight);
    reader.setBox(DD::Image::Box(-plate.left, -plate.bottom, plate.formatWidth + plate.right,
                                 plate.formatHeight + plate.top));
    reader.metadata().setData("input/timecode", "10:00:00:00");
    const std::unique_ptr<Node> node = NodeScript::correctionNode("VelorLensDistortionCorrection");
    node->setInput(0, read.get());
    node->setInput(1, read.get());
    if (plate.formatOverscan >= 0.0F) {
        NodeScript::setKnob(*node, "inputOverscan::location", 1);
        NodeScript::setKnob(*node, "inputOverscan::amount", plate.formatOverscan);
    }
    EXPECT_TRUE(node->validate()) << plate.name << ": " << node->errorMessage();
    const DD::Image::Box box = node->iop()->info().box();
    return {box.x(), plate.formatHeight - box.t(), box.w(), box.h()};
}

// The tool's output data window, relative to the display window.
Box toolBox(const NodeScript::ClipDirectory& clip, const Plate& plate,
            const TemporaryDirectory& scratch) {
    OIIO::ImageSpec plateLayout(plate.formatWidth + plate.left + plate.right,
                                plate.formatHeight + plate.top + plate.bottom, 4,
                                OIIO::TypeDesc::FLOAT);
    plateLayout.x = -plate.left;
    plateLayout.y = -plate.top;
    plateLayout.full_width = plate.formatWidth;
    plateLayout.full_height = plate.formatHeight;
    const OIIO::ImageBuf image(plateLayout);
    const std::string input = scratch / (std::string(plate.name) + ".exr");
    const std::string output = scratch / (std::string(plate.name) + "_out.exr");
    EXPECT_TRUE(image.write(input));
    std::vector<std::string> arguments = {"undistort",
                                          input,
                                          output,
                                          "--correction-file",
                                          (clip.root() / "day1" / "A001C003.vlcf").string(),
                                          "--clip",
                                          clip.clipPath(),
                                          "--quiet"};
    if (plate.formatOverscan >= 0.0F) {
        arguments.insert(arguments.end(), {"--overscan-location", "format", "--overscan",
                                           std::to_string(plate.formatOverscan)});
    }
    const ToolRun run = runProgram(VELOR_CLI_PATH, arguments, scratch);
    EXPECT_EQ(run.status, 0) << plate.name << ": " << run.errors;
    const OIIO::ImageBuf written(output);
    const OIIO::ImageSpec& layout = written.nativespec();
    return {layout.x, layout.y, layout.width, layout.height};
}

TEST(HostAgreement, NodeAndToolGrowTheSamePlateToTheSameFrame) {
    // Formats within a line of the clip's 4448 x 3096, with data windows and overscans.
    const std::vector<Plate> plates = {
        {"plain", 144, 100, 0, 0, 0, 0, -1.0F},
        {"left_overhang", 144, 100, 10, 0, 0, 0, -1.0F},
        {"uneven_overhangs", 144, 100, 3, 7, 1, 6, -1.0F},
        {"tall_overhang", 144, 100, 0, 0, 25, 25, -1.0F},
        {"odd_format", 287, 200, 2, 1, 0, 3, -1.0F},
        {"format_overscan", 144, 100, 0, 0, 0, 0, 10.0F},
        {"format_overscan_with_overhang", 287, 200, 5, 5, 4, 0, 7.5F},
    };
    const NodeScript::ClipDirectory clip;
    const TemporaryDirectory scratch;
    for (const Plate& plate : plates) {
        EXPECT_EQ(nodeBox(clip, plate), toolBox(clip, plate, scratch)) << plate.name;
    }
}

// The distortion node's hidden "STMap" output and the tool's stmap of the same plate hold the
// same map, value for value; the node's rows run from the bottom, the file's from the top.
TEST(HostAgreement, NodeAndToolWriteTheSameStMap) {
    const NodeScript::ClipDirectory clip;
    const TemporaryDirectory scratch;
    const std::unique_ptr<Node> read = clip.read();
    NodeScript::reader(*read).metadata().setData("input/timecode", "10:00:00:00");
    const std::unique_ptr<Node> node = NodeScript::correctionNode("VelorLensDistortionCorrection");
    node->setInput(0, read.get());
    node->setInput(1, read.get());
    NodeScript::setKnob(*node, "outputType", 1);
    const DD::Image::ImagePlane map = node->render(DD::Image::Mask_RGBA);
    ASSERT_FALSE(node->op()->hasError()) << node->errorMessage();
    const DD::Image::Box box = node->iop()->info().box();

    OIIO::ImageSpec plateLayout(144, 100, 4, OIIO::TypeDesc::FLOAT);
    const std::string input = scratch / "plate.exr";
    const std::string output = scratch / "stmap.exr";
    ASSERT_TRUE(OIIO::ImageBuf(plateLayout).write(input));
    const ToolRun run = runProgram(VELOR_CLI_PATH,
                                   {"stmap", input, output, "--correction-file",
                                    (clip.root() / "day1" / "A001C003.vlcf").string(), "--clip",
                                    clip.clipPath(), "--quiet"},
                                   scratch);
    ASSERT_EQ(run.status, 0) << run.errors;
    const OIIO::ImageBuf written(output);
    const OIIO::ImageSpec& layout = written.nativespec();
    ASSERT_EQ((Box{layout.x, layout.y, layout.width, layout.height}),
              (Box{box.x(), 100 - box.t(), box.w(), box.h()}));
    size_t different = 0;
    for (int y = box.y(); y < box.t(); ++y) {
        for (int x = box.x(); x < box.r(); ++x) {
            for (int c = 0; c < 4; ++c) {
                different += written.getchannel(x, 99 - y, 0, c) == map.at(x, y, c) ? 0 : 1;
            }
        }
    }
    EXPECT_EQ(different, 0U);
}

} // namespace
