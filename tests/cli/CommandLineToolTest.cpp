#include "ToolRun.h"
#include "cli/ImageLayout.h"

#include <gtest/gtest.h>

#include <OpenImageIO/imagebufalgo.h>

#include <boost/algorithm/string/replace.hpp>

#include <cmath>

namespace fs = boost::filesystem;

namespace {

class CommandLineToolTest : public ::testing::Test {
protected:
    void SetUp() override { generateSample(shot(""), name_, 2); }

    // Five directories deep, so that the search for a correction file, which
    // climbs five parents, stays inside the test's directory.
    std::string shot(const std::string& file) const { return sample_ / ("1/2/3/4/shot/" + file); }
    std::string frame(const char* number) const {
        return shot(name_ + "." + std::string(number) + ".exr");
    }
    std::string plate() const { return shot(name_ + ".####.exr"); }
    std::string ideal() const { return shot("ideal/" + name_ + ".####.exr"); }
    std::string correctionFile() const { return shot(name_ + ".vlcf"); }
    std::string output(const std::string& name) const { return sample_ / ("out/" + name); }
    ToolRun run(const std::vector<std::string>& arguments) const {
        return runTool(arguments, scratch_);
    }

    const std::string name_ = uniqueClipName();
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

TEST_F(CommandLineToolTest, DistortThenUndistortGivesBackTheChartInTheInterior) {
    ASSERT_EQ(run({"distort", ideal(), output("distorted.####.exr"), "--quiet"}).status, 0);
    const ToolRun undistorted = run({"undistort", output("distorted.####.exr"),
                                     output("back.####.exr"), "--clip", shot(name_), "--quiet"});
    ASSERT_EQ(undistorted.status, 0) << undistorted.errors;
    for (const char* number : {"1001", "1002"}) {
        const std::string frame = number;
        const OIIO::ImageBuf chart = readImage(shot("ideal/" + name_ + "." + frame + ".exr"));
        const OIIO::ImageBuf back = readImage(output("back." + frame + ".exr"));
        // The central 60 % of the format: beyond it the distorted frame has
        // no picture to give back.
        const OIIO::ROI interior(64, 256, 34, 136, 0, 1, 0, 3);
        EXPECT_GT(psnr(chart, back, interior), 40.0) << "frame " << frame;
        // The undistorted chart is not simply the distorted one.
        const OIIO::ImageBuf distorted = readImage(output("distorted." + frame + ".exr"));
        EXPECT_LT(psnr(chart, distorted, interior), 35.0) << "frame " << frame;
    }
}

TEST_F(CommandLineToolTest, UndistortionGrowsTheDataWindowAroundTheUnchangedFormat) {
    const ToolRun undistorted =
        run({"undistort", plate(), output("undistorted.%04d.exr"), "--quiet"});
    ASSERT_EQ(undistorted.status, 0) << undistorted.errors;
    EXPECT_EQ(undistorted.errors, "");
    const OIIO::ImageBuf image = readImage(output("undistorted.1002.exr"));
    const OIIO::ImageSpec& imageSpec = image.nativespec();
    EXPECT_EQ(imageSpec.full_x, 0);
    EXPECT_EQ(imageSpec.full_y, 0);
    EXPECT_EQ(imageSpec.full_width, 320);
    EXPECT_EQ(imageSpec.full_height, 170);
    // Barrel distortion pushes picture outwards, the same on every side.
    EXPECT_GT(imageSpec.width, 320);
    EXPECT_GT(imageSpec.height, 170);
    EXPECT_EQ(imageSpec.x, -(imageSpec.width - 320) / 2);
    EXPECT_EQ(imageSpec.y, -(imageSpec.height - 170) / 2);
    EXPECT_EQ(imageSpec.width % 2, 0);
    // The aspect ratio of the format is kept within a pixel.
    EXPECT_NEAR(static_cast<double>(imageSpec.width) / imageSpec.height, 320.0 / 170.0, 0.02);
    EXPECT_EQ(imageSpec.format, OIIO::TypeHalf);
    // Outside the format, the stretched corners hold picture.
    EXPECT_GT(image.getchannel(-1, -1, 0, 3), 0.5F);
    EXPECT_GT(image.getchannel(320, 170, 0, 3), 0.5F);

    ASSERT_EQ(run({"undistort", plate(), output("float.####.exr"), "--float", "--quiet"}).status,
              0);
    EXPECT_EQ(readImage(output("float.1001.exr")).nativespec().format, OIIO::TypeFloat);
}

TEST_F(CommandLineToolTest, TheInputsMetadataIsCarriedOver) {
    const OIIO::ImageBuf original = readImage(frame("1001"));
    const ToolRun corrected =
        run({"remove-shading", plate(), output("flat.####.exr"), "--frames", "1001", "--quiet"});
    ASSERT_EQ(corrected.status, 0) << corrected.errors;
    EXPECT_FALSE(fs::exists(output("flat.1002.exr")));
    const OIIO::ImageBuf flat = readImage(output("flat.1001.exr"));
    const OIIO::ParamValue* timecode = imageLayout(flat).find_attribute("smpte:TimeCode");
    ASSERT_NE(timecode, nullptr);
    EXPECT_EQ(timecode->get_string(), "01:00:00:00");
    EXPECT_EQ(imageLayout(flat).get_string_attribute("FramesPerSecond"),
              imageLayout(original).get_string_attribute("FramesPerSecond"));
    EXPECT_EQ(imageLayout(flat).get_string_attribute("compression"), "zip");
    // Shading removal brightens the corners and keeps the centre.
    EXPECT_GT(flat.getchannel(0, 0, 0, 0), original.getchannel(0, 0, 0, 0) * 1.2F);
    EXPECT_NEAR(flat.getchannel(160, 85, 0, 1), original.getchannel(160, 85, 0, 1), 1e-2);
    EXPECT_EQ(imageLayout(flat).full_width, imageLayout(flat).width);
}

TEST_F(CommandLineToolTest, TheShadingMapMultipliesTheShadingAway) {
    ASSERT_EQ(run({"shading-map", plate(), output("map.####.exr"), "--quiet"}).status, 0);
    ASSERT_EQ(
        run({"remove-shading", plate(), output("flat.####.exr"), "--float", "--quiet"}).status, 0);
    const OIIO::ImageBuf map = readImage(output("map.1002.exr"));
    const OIIO::ImageBuf original = readImage(frame("1002"));
    const OIIO::ImageBuf flat = readImage(output("flat.1002.exr"));
    EXPECT_EQ(map.nativespec().format, OIIO::TypeFloat);
    for (const auto& point : {std::pair<int, int>{0, 0}, {160, 85}, {319, 100}, {40, 169}}) {
        const float factor = map.getchannel(point.first, point.second, 0, 0);
        EXPECT_GE(factor, 1.0F);
        EXPECT_NEAR(original.getchannel(point.first, point.second, 0, 2) * factor,
                    flat.getchannel(point.first, point.second, 0, 2), 2e-3);
        EXPECT_EQ(map.getchannel(point.first, point.second, 0, 3), 1.0F);
    }
}

// Layouts other than RGBA are corrected channel for channel: a channel beyond RGBA like
// a colour, a missing alpha stays missing. RGBA itself is read and written in one piece.
TEST_F(CommandLineToolTest, LayoutsOtherThanRgbaAreCorrectedChannelForChannel) {
    const OIIO::ImageBuf original = readImage(frame("1001"));
    const auto writeLayout = [&original](const std::string& path, const std::vector<int>& order,
                                         const std::vector<std::string>& names) {
        const OIIO::ImageBuf image = OIIO::ImageBufAlgo::channels(
            original, static_cast<int>(order.size()), order, {}, names);
        ASSERT_TRUE(image.write(path, OIIO::TypeFloat)) << image.geterror();
    };
    writeLayout(shot("rgbaz.1001.exr"), {0, 1, 2, 3, 0}, {"R", "G", "B", "A", "Z"});
    writeLayout(shot("rgb.1001.exr"), {0, 1, 2}, {"R", "G", "B"});
    for (const std::string layout : {"rgbaz", "rgb"}) {
        const ToolRun corrected =
            run({"remove-shading", shot(layout + ".####.exr"), output(layout + ".####.exr"),
                 "--clip", shot(name_), "--float", "--quiet"});
        ASSERT_EQ(corrected.status, 0) << layout << ": " << corrected.errors;
    }
    ASSERT_EQ(run({"remove-shading", plate(), output("flat.####.exr"), "--frames", "1001",
                   "--float", "--quiet"})
                  .status,
              0);

    const OIIO::ImageBuf flat = readImage(output("flat.1001.exr"));
    const OIIO::ImageBuf rgbaz = readImage(output("rgbaz.1001.exr"));
    const OIIO::ImageBuf rgb = readImage(output("rgb.1001.exr"));
    ASSERT_EQ(imageLayout(rgbaz).nchannels, 5);
    ASSERT_EQ(imageLayout(rgb).nchannels, 3);
    const int z = imageLayout(rgbaz).channelindex("Z");
    ASSERT_GE(z, 0);
    int differing = 0;
    for (int y = 0; y < 170; y += 3) {
        for (int x = 0; x < 320; x += 3) {
            for (const char* name : {"R", "G", "B", "A"}) {
                const float expected =
                    flat.getchannel(x, y, 0, imageLayout(flat).channelindex(name));
                differing +=
                    rgbaz.getchannel(x, y, 0, imageLayout(rgbaz).channelindex(name)) != expected;
                if (std::string(name) != "A") {
                    differing +=
                        rgb.getchannel(x, y, 0, imageLayout(rgb).channelindex(name)) != expected;
                }
            }
            // Z holds the red input, so it is corrected to the red output.
            differing += rgbaz.getchannel(x, y, 0, z) !=
                         flat.getchannel(x, y, 0, imageLayout(flat).channelindex("R"));
        }
    }
    EXPECT_EQ(differing, 0);
    // The correction did change the picture.
    EXPECT_GT(flat.getchannel(0, 0, 0, 0), original.getchannel(0, 0, 0, 0) * 1.2F);
}

TEST_F(CommandLineToolTest, InfoDescribesTheCorrectionFileAndTheImage) {
    const ToolRun file = run({"info", correctionFile(), "--frame", "1"});
    ASSERT_EQ(file.status, 0) << file.errors;
    EXPECT_NE(file.out.find("Frames: 2, numbers 0 to 1"), std::string::npos) << file.out;
    EXPECT_NE(file.out.find("clip resolution 320x170 px"), std::string::npos) << file.out;
    EXPECT_NE(file.out.find("Frame 1 (timecode 01:00:00:01)"), std::string::npos) << file.out;
    const ToolRun image = run({"info", frame("1002")});
    ASSERT_EQ(image.status, 0) << image.errors;
    EXPECT_NE(image.out.find("Clip path: " + shot(name_)), std::string::npos) << image.out;
    EXPECT_NE(image.out.find("Timecode: 01:00:00:01"), std::string::npos) << image.out;
}

// Bad input: each gets its message and exit status, and no output file.

TEST_F(CommandLineToolTest, AMissingInputFails) {
    const ToolRun single = run({"undistort", shot("none.exr"), output("x.exr")});
    EXPECT_EQ(single.status, 1);
    EXPECT_NE(single.errors.find("The input file does not exist."), std::string::npos)
        << single.errors;
    const ToolRun sequence = run({"undistort", shot("none.####.exr"), output("x.####.exr")});
    EXPECT_EQ(sequence.status, 1);
    EXPECT_NE(sequence.errors.find("No frames of the input sequence were found."),
              std::string::npos)
        << sequence.errors;
    const ToolRun frame =
        run({"undistort", plate(), output("x.####.exr"), "--frames", "1001-1003"});
    EXPECT_EQ(frame.status, 1);
    EXPECT_NE(frame.errors.find("frame 1003"), std::string::npos) << frame.errors;
    EXPECT_NE(frame.errors.find("The input file does not exist."), std::string::npos);
    EXPECT_TRUE(fs::exists(output("x.1002.exr")));
}

TEST_F(CommandLineToolTest, BadUsageExitsWithTwo) {
    const std::vector<std::vector<std::string>> cases{
        {"undistort", shot(name_ + ".##.#.exr"), output("x.####.exr")},
        {"undistort", shot(name_ + ".%s.exr"), output("x.####.exr")},
        {"undistort", plate(), output("x.exr")},
        {"undistort", plate(), output("x.####.exr"), "--frames", "ten"},
        {"undistort", plate(), output("x.####.exr"), "--overscan", "5"},
        {"undistort", plate(), output("x.####.exr"), "--image-area", "24x0"},
        {"undistort", plate(), output("x.####.exr"), "--distort"},
        {"undistort", plate(), plate()},
        {"unbend", plate(), output("x.####.exr")},
        {"undistort", plate()},
        {"undistort", plate(), output("x.####.exr"), "--no-such-option"},
    };
    for (const auto& arguments : cases) {
        const ToolRun bad = run(arguments);
        EXPECT_EQ(bad.status, 2) << arguments[1] << " " << bad.errors;
        EXPECT_EQ(bad.errors.rfind("velor-lens-correct: ", 0), 0U) << bad.errors;
    }
    EXPECT_FALSE(fs::exists(sample_ / "out"));
    const ToolRun pattern = run({"undistort", shot(name_ + ".##.#.exr"), output("x.####.exr")});
    EXPECT_NE(pattern.errors.find("cannot name a sequence"), std::string::npos) << pattern.errors;
}

TEST_F(CommandLineToolTest, AnUnreadableImageFailsNamingTheFrame) {
    std::ofstream(frame("1002"), std::ios::trunc) << "not an image";
    const ToolRun broken = run({"undistort", plate(), output("x.####.exr")});
    EXPECT_EQ(broken.status, 1);
    EXPECT_NE(broken.errors.find("frame 1002"), std::string::npos) << broken.errors;
    EXPECT_NE(broken.errors.find("could not be read as an image"), std::string::npos);
    EXPECT_NE(broken.errors.find("1 of 2 frames written"), std::string::npos) << broken.errors;
}

TEST_F(CommandLineToolTest, NoCorrectionDataFails) {
    fs::remove(correctionFile());
    const ToolRun missing = run({"undistort", plate(), output("x.####.exr"), "--keep-going"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.errors.find("frame 1001"), std::string::npos) << missing.errors;
    EXPECT_NE(missing.errors.find("frame 1002"), std::string::npos) << missing.errors;
    EXPECT_NE(missing.errors.find("Clip File Path: \"" + shot(name_) + "\""), std::string::npos)
        << missing.errors;
    EXPECT_FALSE(fs::exists(output("x.1001.exr")));
}

TEST_F(CommandLineToolTest, AFrameOutsideTheCorrectionFileFails) {
    // The file's records start ten seconds after the plate's timecodes.
    std::string text = fileText(correctionFile());
    boost::algorithm::replace_all(text, ";01:00:00:", ";01:00:10:");
    std::ofstream(correctionFile(), std::ios::trunc) << text;
    const ToolRun outside = run({"undistort", plate(), output("x.####.exr")});
    EXPECT_EQ(outside.status, 1);
    EXPECT_NE(outside.errors.find("frame 1001"), std::string::npos) << outside.errors;
    EXPECT_NE(outside.errors.find("Timecode: \"01:00:00:00"), std::string::npos) << outside.errors;
    // It stops at the first failed frame.
    EXPECT_EQ(outside.errors.find("frame 1002"), std::string::npos) << outside.errors;
}

TEST_F(CommandLineToolTest, AnOutputDirectoryThatCannotBeWrittenFailsAndLeavesNothing) {
    // Below a regular file no directory can exist, whoever runs the test.
    std::ofstream(sample_ / "file") << "x";
    const ToolRun blocked = run({"undistort", plate(), sample_ / "file/out/x.####.exr"});
    EXPECT_EQ(blocked.status, 1);
    EXPECT_NE(blocked.errors.find("The output directory could not be created."), std::string::npos)
        << blocked.errors;
    EXPECT_NE(blocked.errors.find("frame 1001"), std::string::npos);
    // A directory in place of the output file: the rename fails, no partial file stays.
    fs::create_directories(output("taken.1001.exr/inside"));
    const ToolRun taken = run({"undistort", plate(), output("taken.####.exr"), "--keep-going"});
    EXPECT_EQ(taken.status, 1);
    EXPECT_NE(taken.errors.find("The output file could not be written."), std::string::npos)
        << taken.errors;
    EXPECT_TRUE(fs::exists(output("taken.1002.exr")));
    for (const auto& entry : fs::directory_iterator(sample_ / "out")) {
        EXPECT_EQ(entry.path().filename().string().find(".partial-"), std::string::npos)
            << entry.path();
    }
}

} // namespace
