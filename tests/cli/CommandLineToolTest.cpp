#include "ToolRun.h"
#include "cli/ImageLayout.h"
#include "foundation/Version.h"

#include <gtest/gtest.h>

#include <OpenImageIO/imagebufalgo.h>

#include <boost/algorithm/string/join.hpp>
#include <boost/algorithm/string/replace.hpp>
#include <boost/property_tree/json_parser.hpp>

#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <set>
#include <thread>
#include <tuple>

namespace fs = boost::filesystem;

namespace {

class CommandLineToolTest : public ::testing::Test {
protected:
    // A 320 x 170 sample plate of two frames from 1001, its correction file
    // and the undistorted chart in ideal/.
    void SetUp() override {
        const ToolRun sample = runProgram(VELOR_SAMPLE_PLATE_PATH,
                                          {shot(""), "--name", name_, "--width", "320", "--height",
                                           "170", "--frames", "2", "--ideal"},
                                          scratch_);
        ASSERT_EQ(sample.status, 0) << sample.errors;
    }

    // Five directories deep, so that the search for a correction file, which
    // climbs five parents, stays inside the test's directory.
    std::string shot(const std::string& file) const { return sample_ / ("1/2/3/4/shot/" + file); }
    std::string frame(const char* number) const {
        return shot(name_ + "." + std::string(number) + ".exr");
    }
    std::string plate() const { return shot(name_ + ".####.exr"); }
    std::string correctionFile() const { return shot(name_ + ".vlcf"); }
    std::string output(const std::string& name) const { return sample_ / ("out/" + name); }
    ToolRun run(const std::vector<std::string>& arguments) const {
        return runProgram(VELOR_CLI_PATH, arguments, scratch_);
    }

    const std::string name_ = "A001C001";
    TemporaryDirectory sample_;
    TemporaryDirectory scratch_;
};

// Peak signal-to-noise ratio of the colour channels over a box of the format,
// with 1 as the peak.
double psnr(const OIIO::ImageBuf& a, const OIIO::ImageBuf& b, const OIIO::ROI& box) {
    double sum = 0.0;
    std::size_t count = 0;
    for (int y = box.ybegin; y < box.yend; ++y) {
        for (int x = box.xbegin; x < box.xend; ++x) {
            for (int c = 0; c < 3; ++c) {
                const double d = a.getchannel(x, y, 0, c) - b.getchannel(x, y, 0, c);
                sum += d * d;
                ++count;
            }
        }
    }
    return 10.0 * std::log10(1.0 / (sum / static_cast<double>(count)));
}

// Nuke's STMap lookup: the source pixel grid sampled bilinearly at (s W, t H)
// measured from the lower-left corner, nothing outside the source.
float sampleAt(const OIIO::ImageBuf& source, float s, float t, int channel) {
    const OIIO::ImageSpec& layout = imageLayout(source);
    const float x = s * static_cast<float>(layout.full_width) - 0.5F;
    const float y = (1.0F - t) * static_cast<float>(layout.full_height) - 0.5F;
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const float fx = x - static_cast<float>(x0);
    const float fy = y - static_cast<float>(y0);
    const auto pixel = [&](int px, int py) {
        if (px < 0 || py < 0 || px >= layout.full_width || py >= layout.full_height) {
            return 0.0F;
        }
        return source.getchannel(px, py, 0, channel);
    };
    return (1 - fx) * (1 - fy) * pixel(x0, y0) + fx * (1 - fy) * pixel(x0 + 1, y0) +
           (1 - fx) * fy * pixel(x0, y0 + 1) + fx * fy * pixel(x0 + 1, y0 + 1);
}

TEST_F(CommandLineToolTest, DistortThenUndistortGivesBackTheChartInTheInterior) {
    ASSERT_EQ(run({"distort", shot("ideal/" + name_ + ".####.exr"), output("distorted.####.exr"),
                   "--quiet"})
                  .status,
              0);
    const ToolRun undistorted = run({"undistort", output("distorted.####.exr"),
                                     output("back.####.exr"), "--clip", shot(name_), "--quiet"});
    ASSERT_EQ(undistorted.status, 0) << undistorted.errors;
    for (const std::string number : {"1001", "1002"}) {
        const OIIO::ImageBuf chart = readImage(shot("ideal/" + name_ + "." + number + ".exr"));
        // The central 60 % of the format: beyond it the distorted frame has
        // no picture to give back.
        const OIIO::ROI interior(64, 256, 34, 136, 0, 1, 0, 3);
        EXPECT_GT(psnr(chart, readImage(output("back." + number + ".exr")), interior), 40.0);
        EXPECT_LT(psnr(chart, readImage(output("distorted." + number + ".exr")), interior), 35.0);
    }
}

// Undistortion keeps the format and grows the data window around it; the ST
// map, applied to the plate as a compositing node would, gives the same frame.
TEST_F(CommandLineToolTest, UndistortionGrowsTheDataWindowAndMatchesTheStMap) {
    const ToolRun undistorted = run({"undistort", plate(), output("u.%04d.exr"), "--quiet"});
    ASSERT_EQ(undistorted.status, 0) << undistorted.errors;
    ASSERT_EQ(run({"stmap", plate(), output("map.####.exr"), "--quiet"}).status, 0);
    ASSERT_EQ(run({"stmap", plate(), output("d.####.exr"), "--distort", "--quiet"}).status, 0);
    const OIIO::ImageBuf expected = readImage(output("u.1001.exr"));
    const OIIO::ImageSpec& layout = expected.nativespec();
    EXPECT_EQ(layout.roi_full(), OIIO::ROI(0, 320, 0, 170, 0, 1, 0, 4));
    // Barrel distortion pushes picture outwards, the same on every side,
    // keeping the aspect ratio of the format within a pixel.
    EXPECT_GT(layout.width, 320);
    EXPECT_EQ(layout.x, -(layout.width - 320) / 2);
    EXPECT_EQ(layout.y, -(layout.height - 170) / 2);
    EXPECT_NEAR(static_cast<double>(layout.width) / layout.height, 320.0 / 170.0, 0.02);
    EXPECT_EQ(layout.format, OIIO::TypeHalf);
    EXPECT_GT(expected.getchannel(-1, -1, 0, 3), 0.5F);

    const OIIO::ImageBuf source = readImage(frame("1001"));
    const OIIO::ImageBuf map = readImage(output("map.1001.exr"));
    ASSERT_EQ(map.roi(), expected.roi());
    float worst = 0.0F;
    for (OIIO::ImageBuf::ConstIterator<float> m(map); !m.done(); ++m) {
        for (int c = 0; c < 4; ++c) {
            worst = std::max(worst, std::fabs(sampleAt(source, m[0], m[1], c) -
                                              expected.getchannel(m.x(), m.y(), 0, c)));
        }
    }
    EXPECT_LT(worst, 2e-3F);
    // The distortion map keeps the format and looks beyond its corner.
    const OIIO::ImageBuf distortion = readImage(output("d.1001.exr"));
    EXPECT_EQ(imageLayout(distortion).width, 320);
    EXPECT_LT(distortion.getchannel(0, 0, 0, 0), 0.0F);
}

TEST_F(CommandLineToolTest, ShadingRemovalKeepsTheMetadataAndMatchesTheShadingMap) {
    for (const char* command : {"remove-shading", "shading-map"}) {
        const ToolRun corrected = run({command, plate(), output(command + std::string(".####.exr")),
                                       "--frames", "1001", "--float", "--quiet"});
        ASSERT_EQ(corrected.status, 0) << command << ": " << corrected.errors;
    }
    EXPECT_FALSE(fs::exists(output("remove-shading.1002.exr")));
    const OIIO::ImageBuf original = readImage(frame("1001"));
    const OIIO::ImageBuf flat = readImage(output("remove-shading.1001.exr"));
    const OIIO::ImageSpec& layout = imageLayout(flat);
    const OIIO::ParamValue* timecode = layout.find_attribute("smpte:TimeCode");
    ASSERT_NE(timecode, nullptr);
    EXPECT_EQ(timecode->get_string(), "01:00:00:00");
    EXPECT_EQ(layout.get_string_attribute("FramesPerSecond"),
              imageLayout(original).get_string_attribute("FramesPerSecond"));
    EXPECT_EQ(layout.get_string_attribute("compression"), "zip");
    EXPECT_EQ(layout.format, OIIO::TypeFloat);
    // Shading removal brightens the corners by the map's factor and keeps the centre.
    const OIIO::ImageBuf map = readImage(output("shading-map.1001.exr"));
    EXPECT_GT(map.getchannel(0, 0, 0, 0), 1.2F);
    EXPECT_NEAR(map.getchannel(160, 85, 0, 0), 1.0F, 1e-2);
    for (const auto& [x, y] : {std::pair<int, int>{0, 0}, {160, 85}, {40, 169}}) {
        EXPECT_NEAR(original.getchannel(x, y, 0, 2) * map.getchannel(x, y, 0, 0),
                    flat.getchannel(x, y, 0, 2), 2e-3);
    }
}

bool bitForBit(const OIIO::ImageBuf& a, const OIIO::ImageBuf& b) {
    const auto result = OIIO::ImageBufAlgo::compare(a, b, 0.0F, 0.0F);
    return a.nchannels() == b.nchannels() && a.roi() == b.roi() && result.nfail == 0 &&
           result.maxerror == 0.0;
}

OIIO::ImageBuf selectChannels(const OIIO::ImageBuf& image, const std::vector<std::string>& names) {
    std::vector<int> order;
    for (const std::string& name : names) {
        order.push_back(imageLayout(image).channelindex(name));
    }
    return OIIO::ImageBufAlgo::channels(image, static_cast<int>(order.size()), order);
}

// Shading multiplies the red, green, blue and luminance channels of every layer,
// by their names, and copies every other channel bit for bit: alpha, depth and
// motion are data. A missing alpha stays missing.
TEST_F(CommandLineToolTest, ShadingMultipliesColourChannelsOfEveryLayerAndCopiesData) {
    const OIIO::ImageBuf original = readImage(frame("1001"));
    // depth.Z and motion.u/v hold copies of red, green and blue, so that a
    // multiplied data channel would show.
    ASSERT_TRUE(OIIO::ImageBufAlgo::channels(original, 10, {0, 1, 2, 3, 0, 1, 2, 0, 1, 2}, {},
                                             {"R", "G", "B", "A", "diffuse.R", "diffuse.G",
                                              "diffuse.B", "depth.Z", "motion.u", "motion.v"})
                    .write(shot("layers.1001.exr")));
    ASSERT_TRUE(selectChannels(original, {"R", "G", "B"}).write(shot("rgb.1001.exr")));
    ASSERT_TRUE(
        OIIO::ImageBufAlgo::channels(original, 1, {0}, {}, {"Y"}).write(shot("luma.1001.exr")));
    for (const std::string& input :
         {shot("layers.####.exr"), shot("rgb.####.exr"), shot("luma.####.exr"), plate()}) {
        const ToolRun corrected =
            run({"remove-shading", input, output(fs::path(input).filename().string()), "--clip",
                 shot(name_), "--frames", "1001", "--float", "--quiet"});
        ASSERT_EQ(corrected.status, 0) << input << ": " << corrected.errors;
    }
    const OIIO::ImageBuf flat = readImage(output(name_ + ".1001.exr"));
    const OIIO::ImageBuf layers = readImage(output("layers.1001.exr"));
    const OIIO::ImageBuf source = readImage(shot("layers.1001.exr"));
    const OIIO::ImageBuf colour = selectChannels(flat, {"R", "G", "B"});
    EXPECT_TRUE(bitForBit(readImage(output("rgb.1001.exr")), colour));
    EXPECT_TRUE(bitForBit(selectChannels(layers, {"R", "G", "B", "A"}), flat));
    EXPECT_TRUE(bitForBit(selectChannels(layers, {"diffuse.R", "diffuse.G", "diffuse.B"}), colour));
    EXPECT_TRUE(bitForBit(selectChannels(readImage(output("luma.1001.exr")), {"Y"}),
                          selectChannels(flat, {"R"})));
    const std::vector<std::string> data{"A", "depth.Z", "motion.u", "motion.v"};
    EXPECT_TRUE(bitForBit(selectChannels(layers, data), selectChannels(source, data)));
    EXPECT_GT(flat.getchannel(0, 0, 0, 0), original.getchannel(0, 0, 0, 0) * 1.2F);
}

// Every output names the correction data it was made with, replacing what the
// input's header said; frames without a timecode count from --first-frame, so
// a chunk corrected where earlier frames are missing gets the records of a full
// run.
TEST_F(CommandLineToolTest, EveryOutputNamesTheRecordItUsedCountedFromTheFirstFrame) {
    // Frames without timecodes, with stale claims of an earlier correction.
    for (const char* number : {"1001", "1002"}) {
        OIIO::ImageBuf image = readImage(frame(number));
        image.specmod().erase_attribute("smpte:TimeCode");
        image.specmod().attribute("velor:record", 99);
        image.specmod().attribute("velor:recordTimecode", "23:59:59:23");
        image.specmod().attribute("velor:correctionFile", "/stale.vlcf");
        ASSERT_TRUE(image.write(shot("untimed." + std::string(number) + ".exr")));
    }
    const auto correct = [&](const std::string& command, const std::string& out,
                             std::vector<std::string> extra) {
        std::vector<std::string> arguments{
            command, shot("untimed.####.exr"), output(out), "--clip", shot(name_), "--frames",
            "1002"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return run(arguments);
    };
    const ToolRun full = correct("undistort", "full.####.exr", {});
    ASSERT_EQ(full.status, 0) << full.errors;
    EXPECT_NE(full.errors.find("frame 1002"), std::string::npos) << full.errors;
    EXPECT_NE(full.errors.find("record 1 (01:00:00:01) of " + correctionFile()), std::string::npos)
        << full.errors;
    const ToolRun map = correct("stmap", "map.####.exr", {});
    ASSERT_EQ(map.status, 0) << map.errors;

    fs::remove(shot("untimed.1001.exr"));
    const ToolRun chunk = correct("undistort", "chunk.####.exr", {});
    const ToolRun counted = correct("undistort", "counted.####.exr", {"--first-frame", "1001"});
    ASSERT_EQ(chunk.status, 0) << chunk.errors;
    ASSERT_EQ(counted.status, 0) << counted.errors;

    const auto header = [&](const std::string& name) {
        return imageLayout(readImage(output(name)));
    };
    for (const auto& [name, operation, record] : {std::make_tuple("full.1002.exr", "undistort", 1),
                                                  {"map.1002.exr", "stmap", 1},
                                                  {"chunk.1002.exr", "undistort", 0},
                                                  {"counted.1002.exr", "undistort", 1}}) {
        const OIIO::ImageSpec written = header(name);
        EXPECT_EQ(written.get_string_attribute("velor:correctionFile"), correctionFile()) << name;
        EXPECT_EQ(written.get_int_attribute("velor:record", -1), record) << name;
        EXPECT_EQ(written.get_string_attribute("velor:recordTimecode"),
                  record == 1 ? "01:00:00:01" : "01:00:00:00")
            << name;
        EXPECT_EQ(written.get_string_attribute("velor:operation"), operation) << name;
        EXPECT_EQ(written.get_string_attribute("velor:version"), Version::text()) << name;
    }
    EXPECT_TRUE(
        bitForBit(readImage(output("full.1002.exr")), readImage(output("counted.1002.exr"))));
    EXPECT_FALSE(
        bitForBit(readImage(output("full.1002.exr")), readImage(output("chunk.1002.exr"))));

    const ToolRun late = correct("undistort", "late.####.exr", {"--first-frame", "1003"});
    EXPECT_EQ(late.status, 2) << late.errors;
    EXPECT_NE(late.errors.find("--first-frame"), std::string::npos) << late.errors;

    // Embedded data is named as such, and a record timecode it does not have
    // is not carried over from the input.
    OIIO::ImageBuf embedded = readImage(frame("1001"));
    embedded.specmod().attribute("velor:recordTimecode", "23:59:59:23");
    embedded.specmod().attribute(
        "com.velor.LensCorrection",
        R"({"recordingFormat": {"camera": {"manufacturer": "Sample", "model": "Chart Camera"},)"
        R"( "clipResolution": {"width": 320, "height": 170}, "imageRadius": 13.59},)"
        R"( "frameData": {"interpolationPoints": {"heights": [0, 2.5, 5, 7.5, 10, 12.5, 15],)"
        R"( "shading": [100, 99, 96, 91, 84, 76, 67],)"
        R"( "radialDistortion": [0, -1, -5, -12, -21, -33, -48]}}})");
    ASSERT_TRUE(embedded.write(shot("embedded.1001.exr")));
    const ToolRun json =
        run({"remove-shading", shot("embedded.####.exr"), output("json.####.exr"), "--quiet"});
    ASSERT_EQ(json.status, 0) << json.errors;
    const OIIO::ImageSpec written = header("json.1001.exr");
    EXPECT_EQ(written.get_string_attribute("velor:correctionFile"), "embedded");
    EXPECT_EQ(written.get_int_attribute("velor:record", -1), 0);
    EXPECT_EQ(written.find_attribute("velor:recordTimecode"), nullptr);
    EXPECT_EQ(written.get_string_attribute("velor:operation"), "remove-shading");
}

// Interpolation points that cannot be fitted never give a picture: equal
// heights among the points fail every command, with the points named.
TEST_F(CommandLineToolTest, DataThatCannotBeFittedFailsEveryCommand) {
    std::string text = fileText(correctionFile());
    boost::algorithm::replace_all(text, ";0,2.49118,4.982359,", ";0,2.49118,2.49118,");
    std::ofstream(correctionFile(), std::ios::trunc) << text;
    for (const char* command :
         {"undistort", "distort", "remove-shading", "add-shading", "stmap", "shading-map"}) {
        const ToolRun failed =
            run({command, plate(), output(std::string(command) + ".####.exr"), "--quiet"});
        EXPECT_EQ(failed.status, 1) << command << ": " << failed.errors;
        EXPECT_NE(failed.errors.find("Calculation of the polynomial coefficients did fail."),
                  std::string::npos)
            << command << ": " << failed.errors;
        EXPECT_NE(failed.errors.find("X Vector: 0 2.49118 2.49118"), std::string::npos)
            << failed.errors;
        EXPECT_FALSE(fs::exists(output(std::string(command) + ".1001.exr"))) << command;
    }
}

TEST_F(CommandLineToolTest, InfoDescribesTheCorrectionFileAndTheImage) {
    const ToolRun file = run({"info", correctionFile(), "--frame", "1"});
    EXPECT_NE(file.out.find("Record 1 (timecode 01:00:00:01)"), std::string::npos) << file.errors;
    const ToolRun image = run({"info", frame("1002")});
    EXPECT_NE(image.out.find("Clip path: " + shot(name_)), std::string::npos) << image.errors;
}

// Every member path of a JSON document, array elements as "[]".
void memberPaths(const boost::property_tree::ptree& tree, const std::string& prefix,
                 std::set<std::string>& paths) {
    for (const auto& child : tree) {
        const std::string path = prefix + (child.first.empty() ? "[]" : child.first);
        paths.insert(path);
        memberPaths(child.second, path + ".", paths);
    }
}

boost::property_tree::ptree parsedJson(const std::string& text) {
    boost::property_tree::ptree tree;
    std::istringstream in(text);
    boost::property_tree::read_json(in, tree);
    return tree;
}

// The JSON example of docs/cli.md.
std::string documentedInfoJson() {
    const std::string doc = fileText(VELOR_DOCS_DIR "/cli.md");
    const std::size_t start = doc.find("```json\n{\n  \"formatVersion\"");
    const std::size_t end = doc.find("```\n", start + 8);
    return start == std::string::npos ? "" : doc.substr(start + 8, end - start - 8);
}

// info --json: the layout docs/cli.md documents, with the values the
// correcting commands and the correction file give.
TEST_F(CommandLineToolTest, InfoJsonKeepsTheDocumentedLayout) {
    const ToolRun image = run({"info", frame("1002"), "--json"});
    ASSERT_EQ(image.status, 0) << image.errors;
    const auto tree = parsedJson(image.out);
    std::set<std::string> documented;
    memberPaths(parsedJson(documentedInfoJson()), "", documented);
    std::set<std::string> written;
    memberPaths(tree, "", written);
    EXPECT_EQ(boost::algorithm::join(written, " "), boost::algorithm::join(documented, " "));

    EXPECT_EQ(tree.get<int>("formatVersion"), 1);
    EXPECT_EQ(tree.get<std::string>("kind"), "image");
    EXPECT_EQ(tree.get<std::string>("image.clipPath"), shot(name_));
    EXPECT_EQ(tree.get<std::string>("image.timecode"), "01:00:00:01");
    EXPECT_EQ(tree.get<std::string>("correctionData.path"), correctionFile());
    EXPECT_EQ(tree.get<std::string>("correctionData.header.clipName"), name_);
    EXPECT_EQ(tree.get_child("correctionData.records").size(), 2U);
    EXPECT_EQ(tree.get<int>("correctionData.selectedRecord.number"), 1);
    EXPECT_EQ(tree.get_child("correctionData.selectedRecord.curves.shadingOverHeight.coefficients")
                  .size(),
              7U);

    // The grown window is the data window undistort writes.
    ASSERT_EQ(
        run({"undistort", plate(), output("u.####.exr"), "--frames", "1002", "--quiet"}).status, 0);
    const OIIO::ImageBuf undistortedImage = readImage(output("u.1002.exr"));
    const OIIO::ImageSpec& undistorted = imageLayout(undistortedImage);
    EXPECT_EQ(tree.get<int>("grownWindows.undistorted.x"), undistorted.x);
    EXPECT_EQ(tree.get<int>("grownWindows.undistorted.y"), undistorted.y);
    EXPECT_EQ(tree.get<int>("grownWindows.undistorted.width"), undistorted.width);
    EXPECT_EQ(tree.get<int>("grownWindows.undistorted.height"), undistorted.height);

    const ToolRun file = run({"info", correctionFile(), "--json", "--record", "1"});
    ASSERT_EQ(file.status, 0) << file.errors;
    const auto fileTree = parsedJson(file.out);
    EXPECT_EQ(fileTree.get<std::string>("kind"), "correctionFile");
    EXPECT_EQ(fileTree.get<int>("correctionData.selectedRecord.number"), 1);
    EXPECT_EQ(fileTree.get<std::string>("correctionData.records..timecode"), "01:00:00:00");
    EXPECT_FALSE(fileTree.get_child_optional("image"));
    EXPECT_FLOAT_EQ(fileTree.get<float>("correctionData.recordingFormat.imageAreaWidth"), 24.0F);

    // The clip's frames at the file's resolution, with the image's record.
    const ToolRun clip = run({"info", shot(name_), "--json", "--record", "1"});
    ASSERT_EQ(clip.status, 0) << clip.errors;
    const auto clipTree = parsedJson(clip.out);
    EXPECT_EQ(clipTree.get<std::string>("kind"), "clip");
    EXPECT_EQ(clipTree.get<int>("grownWindows.undistorted.marginX"),
              tree.get<int>("grownWindows.undistorted.marginX"));

    // Embedded metadata comes before the file, as when correcting.
    OIIO::ImageBuf embedded = readImage(frame("1001"));
    embedded.specmod().attribute("com.velor.LensCorrection",
                                 fileText(VELOR_TEST_DATA_DIR "/json/valid.json"));
    ASSERT_TRUE(embedded.write(shot("embedded.1001.exr")));
    const auto embeddedTree = parsedJson(run({"info", shot("embedded.1001.exr"), "--json"}).out);
    EXPECT_EQ(embeddedTree.get<std::string>("correctionData.source"), "embedded");
    EXPECT_EQ(embeddedTree.get<std::string>("correctionData.header.cameraModel"), "ALEXA Mini LF");

    // A failure writes no half document.
    const ToolRun missing = run({"info", correctionFile(), "--json", "--record", "7"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.errors.find("no frame with that number"), std::string::npos);
}

// Each bad input gets its message and exit status: 2 for bad usage, which writes
// nothing, 1 for failed frames. Only whole frames are left behind. The cases
// run in order: the last ones change the sample.
TEST_F(CommandLineToolTest, BadInputFailsWithItsMessageAndStatus) {
    struct Case {
        std::vector<std::string> arguments; // OUT/ is the case's own output directory
        int status;
        std::vector<std::string> messages;
        const char* written = ""; // the names left in OUT, in order
        std::function<void(const std::string& out)> prepare = {};
        const char* notMentioned = "";
    };
    const std::string x = "OUT/x.####.exr";
    const std::vector<Case> cases{
        {{"undistort", shot(name_ + ".##.#.exr"), x}, 2, {"cannot name a sequence"}},
        {{"undistort", plate(), "OUT/x.exr"}, 2, {"the output needs a frame-number field"}},
        {{"undistort", plate(), x, "--frames", "1001 1002"}, 2, {"not \"1001 1002\"", "Grammar:"}},
        {{"undistort", plate(), x, "--frames", "1001.5"}, 2, {"Unexpected Text: \".5\""}},
        {{"undistort", plate(), x, "--frames", "1e3"}, 2, {"Grammar:"}},
        {{"undistort", plate(), x, "--frames", "1002-1001"}, 2, {"Grammar:"}},
        {{"stmap", plate(), "OUT/x.####.png"}, 2, {"Write it as EXR (.exr) or TIFF"}},
        {{"shading-map", plate(), "OUT/x.####.jpg"}, 2, {"Write it as EXR (.exr) or TIFF"}},
        {{"undistort", plate(), plate()}, 2, {"The output would replace the input."}},
        {{"unbend", plate(), x}, 2, {"Unknown command \"unbend\""}},
        {{"undistort", plate(), x, "--no-such"}, 2, {"Invalid option \"--no-such\""}},
        {{"undistort", shot("none.####.exr"), x}, 1, {"No frames of the input sequence"}},
        {{"undistort", plate(), x, "--frames", "1001-1003"},
         1,
         {"frame 1003", "The input file does not exist."},
         "x.1001.exr x.1002.exr"},
        {{"undistort", shot("broken.####.exr"), x, "--clip", shot(name_)},
         1,
         {"frame 1002", "could not be read as an image", "1 of 2 frames written"},
         "x.1001.exr",
         [&](const std::string&) {
             fs::copy_file(frame("1001"), shot("broken.1001.exr"));
             std::ofstream(shot("broken.1002.exr")) << "not an image";
         }},
        // A directory in place of the output file: the rename fails.
        {{"undistort", plate(), x, "--keep-going"},
         1,
         {"frame 1001", "The output file could not be written."},
         "x.1001.exr x.1002.exr",
         [](const std::string& out) { fs::create_directories(out + "/x.1001.exr/inside"); }},
        // The file's records start ten seconds after the plate's timecodes; the
        // run stops at the first failed frame.
        {{"undistort", plate(), x},
         1,
         {"frame 1001", "Timecode: \"01:00:00:00"},
         "",
         [&](const std::string&) {
             std::string text = fileText(correctionFile());
             boost::algorithm::replace_all(text, ";01:00:00:", ";01:00:10:");
             std::ofstream(correctionFile(), std::ios::trunc) << text;
         },
         "frame 1002"},
        // A broken record: the frame's error names the file found and the line.
        {{"undistort", plate(), x},
         1,
         {"Correction File Path: \"" + correctionFile() + "\"", "Line Number: "},
         "",
         [&](const std::string&) {
             std::string text = fileText(correctionFile());
             boost::algorithm::replace_first(text, "\n0;", "\n0;x");
             std::ofstream(correctionFile(), std::ios::trunc) << text;
         }},
        {{"undistort", plate(), x, "--keep-going"},
         1,
         {"frame 1001", "frame 1002", "Clip File Path: \"" + shot(name_) + "\""},
         "",
         [&](const std::string&) { fs::remove(correctionFile()); }},
    };
    for (std::size_t index = 0; index < cases.size(); ++index) {
        const Case& c = cases[index];
        const std::string out = output(std::to_string(index));
        if (c.prepare) {
            c.prepare(out);
        }
        std::vector<std::string> arguments;
        for (const std::string& argument : c.arguments) {
            const bool inOut = argument.rfind("OUT/", 0) == 0;
            arguments.push_back(inOut ? out + argument.substr(3) : argument);
        }
        const ToolRun bad = run(arguments);
        const std::string what = "case " + std::to_string(index) + ": " + bad.errors;
        EXPECT_EQ(bad.status, c.status) << what;
        if (c.status == 2) {
            EXPECT_EQ(bad.errors.rfind("velor-lens-correct: ", 0), 0U) << what;
        }
        for (const std::string& message : c.messages) {
            EXPECT_NE(bad.errors.find(message), std::string::npos) << message << " in " << what;
        }
        if (*c.notMentioned != '\0') {
            EXPECT_EQ(bad.errors.find(c.notMentioned), std::string::npos) << what;
        }
        std::set<std::string> names;
        for (auto entry = fs::exists(out) ? fs::directory_iterator(out) : fs::directory_iterator();
             entry != fs::directory_iterator(); ++entry) {
            names.insert(entry->path().filename().string());
        }
        EXPECT_EQ(boost::algorithm::join(names, " "), c.written) << what;
    }
}

// A map is data: a lossy plate gives the same map as a lossless one, always
// 32-bit float with a lossless compression.
TEST_F(CommandLineToolTest, MapsAreLosslessFloatWhateverThePlate) {
    OIIO::ImageBuf lossy = readImage(frame("1001"));
    lossy.specmod().attribute("compression", "dwaa");
    ASSERT_TRUE(lossy.write(shot("lossy.1001.exr")));
    for (const char* command : {"stmap", "shading-map"}) {
        for (const char* input : {"lossy", "A001C001"}) {
            const ToolRun map = run({command, shot(input + std::string(".####.exr")),
                                     output(command + std::string(input) + ".####.exr"), "--clip",
                                     shot(name_), "--quiet"});
            ASSERT_EQ(map.status, 0) << map.errors;
        }
        const OIIO::ImageBuf fromLossy = readImage(output(command + std::string("lossy.1001.exr")));
        const OIIO::ImageBuf fromPlate = readImage(output(command + name_ + ".1001.exr"));
        EXPECT_EQ(imageLayout(fromLossy).format, OIIO::TypeFloat) << command;
        EXPECT_EQ(imageLayout(fromLossy).get_string_attribute("compression"), "zip") << command;
        EXPECT_EQ(OIIO::ImageBufAlgo::compare(fromLossy, fromPlate, 0.0F, 0.0F).maxerror, 0.0)
            << command;
    }
}

// EXR keeps the format and the grown data window; formats that cannot hold
// both get the whole grown frame as their picture, from 0,0.
TEST_F(CommandLineToolTest, OutputWindowsFollowOneRulePerFormat) {
    for (const char* extension : {"exr", "dpx", "tif", "png"}) {
        const ToolRun undistorted =
            run({"undistort", plate(), output(std::string("u.####.") + extension), "--frames",
                 "1001", "--quiet"});
        ASSERT_EQ(undistorted.status, 0) << extension << ": " << undistorted.errors;
    }
    const OIIO::ImageBuf exr = readImage(output("u.1001.exr"));
    const OIIO::ROI grown = exr.roi();
    EXPECT_EQ(exr.roi_full(), OIIO::ROI(0, 320, 0, 170, 0, 1, 0, 4));
    ASSERT_LT(grown.xbegin, 0);
    for (const char* extension : {"dpx", "tif", "png"}) {
        const OIIO::ImageBuf other = readImage(output(std::string("u.1001.") + extension));
        const OIIO::ROI whole(0, grown.width(), 0, grown.height(), 0, 1, 0, 4);
        EXPECT_EQ(other.roi(), whole) << extension;
        EXPECT_EQ(other.roi_full(), whole) << extension;
        // The same picture, moved to the origin.
        for (const auto& [x, y] : {std::pair<int, int>{0, 0}, {40, 30}, {grown.width() - 1, 70}}) {
            EXPECT_NEAR(other.getchannel(x, y, 0, 1),
                        exr.getchannel(x + grown.xbegin, y + grown.ybegin, 0, 1), 1e-2)
                << extension << " at " << x << "," << y;
        }
    }
}

// Any character a name can hold, in the directory and the file name; a TIFF
// sequence finds its clip's correction file by the sequence's base name; bare
// names are found in the current directory.
TEST_F(CommandLineToolTest, SequencesWithAnyNameFindTheirClip) {
    const std::string odd = sample_ / "1/2/3/4/a+b$c^d (x)[y]{z}*?.|";
    fs::create_directories(odd);
    for (const char* number : {"1001", "1002"}) {
        fs::copy_file(frame(number), odd + "/" + "p+$^" + name_ + "." + number + ".exr");
        ASSERT_TRUE(readImage(frame(number)).write(shot(name_ + "." + number + ".tif")));
    }
    const ToolRun special = run({"undistort", odd + "/p+$^" + name_ + ".####.exr",
                                 output("s+$^.####.exr"), "--clip", shot(name_), "--quiet"});
    EXPECT_EQ(special.status, 0) << special.errors;
    EXPECT_TRUE(fs::exists(output("s+$^.1002.exr")));
    const ToolRun tiff =
        run({"undistort", shot(name_ + ".####.tif"), output("t.####.tif"), "--quiet"});
    EXPECT_EQ(tiff.status, 0) << tiff.errors;

    const fs::path before = fs::current_path();
    fs::current_path(shot(""));
    const ToolRun info = run({"info", name_ + ".1002.exr"});
    const ToolRun clip = run({"undistort", name_ + ".####.exr", output("c.####.exr"), "--clip",
                              name_, "--frames", "1002", "--quiet"});
    fs::current_path(before);
    EXPECT_EQ(info.status, 0) << info.errors;
    EXPECT_EQ(clip.status, 0) << clip.errors;
    // The record the frame's timecode selects, and the data window undistortion gives it.
    EXPECT_NE(info.out.find("Record 1 (timecode 01:00:00:01)"), std::string::npos) << info.out;
    const OIIO::ImageBuf image = readImage(output("c.1002.exr"));
    const OIIO::ImageSpec& undistorted = imageLayout(image);
    const std::string window = std::to_string(undistorted.width) + "x" +
                               std::to_string(undistorted.height) + " at " +
                               std::to_string(undistorted.x) + "," + std::to_string(undistorted.y);
    EXPECT_NE(info.out.find("undistorted: " + window + ", "), std::string::npos) << info.out;
}

// A re-queued chunk leaves frames already written alone; away from a terminal
// every frame gets one plain line.
TEST_F(CommandLineToolTest, SkipExistingMakesARetryIdempotent) {
    const ToolRun first = run({"undistort", plate(), output("f.####.exr")});
    ASSERT_EQ(first.status, 0) << first.errors;
    EXPECT_NE(first.errors.find("frame 1002 (" + frame("1002") + ") written to " +
                                output("f.1002.exr") + " in "),
              std::string::npos)
        << first.errors;
    std::ofstream(output("f.1001.exr"), std::ios::trunc) << "left alone";
    fs::remove(output("f.1002.exr"));
    const ToolRun retry = run({"undistort", plate(), output("f.####.exr"), "--skip-existing"});
    EXPECT_EQ(retry.status, 0) << retry.errors;
    EXPECT_NE(retry.errors.find("1 skipped"), std::string::npos) << retry.errors;
    EXPECT_EQ(fileText(output("f.1001.exr")), "left alone");
    EXPECT_GT(imageLayout(readImage(output("f.1002.exr"))).width, 320);
}

// Waits up to half a minute for `done`, polling.
bool waitFor(const std::function<bool()>& done) {
    for (int tick = 0; tick < 30000; ++tick) {
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

// Once a frame is written, a first interrupt lets the frames in flight
// finish; a second one while a frame is written ends the tool at once and
// leaves no temporary file behind.
TEST_F(CommandLineToolTest, ASecondInterruptLeavesNoTemporaryFile) {
    // Large float frames, so that a frame is being written when the signals come.
    const std::string big = sample_ / "big";
    ASSERT_EQ(runProgram(VELOR_SAMPLE_PLATE_PATH,
                         {big, "--width", "2048", "--height", "1080", "--frames", "4"}, scratch_)
                  .status,
              0);
    const std::string out = sample_ / "interrupted";
    const std::string errors = scratch_ / "interrupted.txt";
    const pid_t child =
        startTool({"undistort", big + "/plate.####.exr", out + "/p.####.exr", "--float"}, errors);
    ASSERT_GE(child, 0);
    const auto temporaries = [&] {
        std::vector<std::string> names;
        for (auto entry = fs::exists(out) ? fs::directory_iterator(out) : fs::directory_iterator();
             entry != fs::directory_iterator(); ++entry) {
            const std::string name = entry->path().filename().string();
            if (name.find(".partial-") != std::string::npos) {
                names.push_back(name);
            }
        }
        return names;
    };
    EXPECT_TRUE(waitFor([&] {
        return fileText(errors).find(" written to ") != std::string::npos && !temporaries().empty();
    }));
    kill(child, SIGINT);
    EXPECT_TRUE(
        waitFor([&] { return fileText(errors).find("interrupt again") != std::string::npos; }));
    kill(child, SIGINT);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(temporaries().empty()) << boost::algorithm::join(temporaries(), " ");
}

// The demo's contact sheet: frames of different sizes in tiles of one size,
// each with its label in a dark band above the picture.
TEST_F(CommandLineToolTest, TheContactSheetLabelsTilesOfOneSize) {
    ASSERT_EQ(
        run({"undistort", plate(), output("u.####.exr"), "--frames", "1001", "--quiet"}).status, 0);
    const std::string sheet = output("sheet.png");
    const ToolRun drawn =
        runProgram("bash",
                   {VELOR_CONTACT_SHEET_PATH, sheet, "2", "recorded 1001", frame("1001"),
                    "corrected 1001", output("u.1001.exr"), "recorded 1002", frame("1002")},
                   scratch_);
    ASSERT_EQ(drawn.status, 0) << drawn.errors;
    const OIIO::ImageBuf image = readImage(sheet);
    // Two rows of two 640 x 360 tiles, 8 pixels apart.
    ASSERT_EQ(image.roi(), OIIO::ROI(0, 1288, 0, 728, 0, 1, 0, 3));
    for (const auto& [x, y] : {std::pair<int, int>{0, 0}, {648, 0}, {0, 368}}) {
        const OIIO::ROI band(x, x + 300, y, y + 30, 0, 1, 0, 3);
        const OIIO::ROI picture(x + 200, x + 440, y + 100, y + 300, 0, 1, 0, 3);
        EXPECT_GT(OIIO::ImageBufAlgo::computePixelStats(image, band).max[0], 0.9F) << x << "," << y;
        EXPECT_EQ(image.getchannel(x + 639, y + 2, 0, 0), 0.0F) << x << "," << y;
        EXPECT_GT(OIIO::ImageBufAlgo::computePixelStats(image, picture).avg[1], 0.3F)
            << x << "," << y;
    }
    // The fourth place stays empty.
    EXPECT_EQ(
        OIIO::ImageBufAlgo::computePixelStats(image, OIIO::ROI(648, 1288, 368, 728, 0, 1, 0, 3))
            .max[0],
        0.0F);
}

} // namespace
