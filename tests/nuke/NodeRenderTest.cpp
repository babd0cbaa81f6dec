#include "DDImageStandIn/MemoryAccount.h"
#include "NodeScript.h"

#include "core/Core.h"
#include "foundation/Version.h"
#include "nuke/LensDistortionCorrection.h"
#include "nuke/LensDistortionDataSource.h"
#include "nuke/LensShadingDataSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

using NodeScript::correctionNode;
using NodeScript::lensCorrection;
using NodeScript::setKnob;

// PoCL compiles the kernels with clang on the thread that first renders, here the main one;
// at exit LeakSanitizer misreads that thread's dynamic TLS and crashes (no leak is involved).
// Not following __tls_get_addr avoids that; the rest of the leak check stays as it is.
extern "C" const char* __asan_default_options() {
    return "intercept_tls_get_addr=0";
}

namespace {

float inputPixel(int x, int y, int c) {
    return 0.1F + 0.004F * static_cast<float>(x) + 0.003F * static_cast<float>(y) +
           0.05F * static_cast<float>(c);
}

// The node's data source for a frame of the input's size: what the core saw while the node was
// validating, before the box grew.
class InputSizedDataSource : public LensDistortionDataSource {
public:
    using LensDistortionDataSource::LensDistortionDataSource;
    bool frameData(Core::FrameData& frameData) const override {
        const bool found = LensDistortionDataSource::frameData(frameData);
        frameData.width = 144;
        frameData.height = 100;
        return found;
    }
};

// What a log file gains while the object lives.
class LogGrowth {
public:
    explicit LogGrowth(std::string path) : path_(std::move(path)), size_(contents().size()) {}
    std::string appended() const { return contents().substr(std::min(size_, contents().size())); }

private:
    std::string contents() const {
        std::ostringstream text;
        text << std::ifstream(path_, std::ios::binary).rdbuf();
        return text.str();
    }
    std::string path_;
    size_t size_;
};

// A Read whose metadata the host fails to deliver.
class UnreadableRead : public DDImageStandIn::StandInRead {
public:
    using StandInRead::StandInRead;
    const DD::Image::MetaData::Bundle& _fetchMetaData(const char* /*keyname*/) override {
        throw std::runtime_error("metadata unreadable");
    }
};

// The core's own correction of four input channels (numbers less one, -1: black) placed in the
// slots 0 to 3 of a frame over the box.
std::vector<float> correctedByTheCore(std::unique_ptr<Core::CoreDataSource> source,
                                      const DD::Image::Box& box, const std::vector<int>& channels,
                                      bool map = false) {
    std::vector<float> input(static_cast<size_t>(box.w()) * box.h() * 4, 0.0F);
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 144; ++x) {
            for (size_t s = 0; s < channels.size(); ++s) {
                input[(static_cast<size_t>(y - box.y()) * box.w() + (x - box.x())) * 4 + s] =
                    channels[s] < 0 ? 0.0F : inputPixel(x, y, channels[s]);
            }
        }
    }
    std::vector<float> output(input.size());
    Core::Core core(std::move(source));
    if (!core.render(map ? nullptr : input.data(), output.data(), input.size() * sizeof(float))) {
        throw std::runtime_error("the core did not render the reference");
    }
    return output;
}

// Gives the second record of a correction file a stronger distortion; the file's size changes.
void replaceTheSecondRecord(const boost::filesystem::path& file) {
    std::ostringstream text;
    text << std::ifstream(file.string()).rdbuf();
    std::string content = text.str();
    const std::string record = "0,-0.1,-0.35,-0.8,-1.2,-1.75,-2.3;35;2.5;2.8;;;10.00.00.01";
    const size_t at = content.find(record);
    if (at == std::string::npos) {
        throw std::runtime_error("no second record in " + file.string());
    }
    content.replace(at, record.size(), "0,-0.2,-0.7,-1.6,-2.4,-3.5,-4.6;35;2.5;2.8;;;10.00.00.01");
    std::ofstream(file.string(), std::ios::trunc) << content;
}

size_t differingFloats(const DD::Image::ImagePlane& a, const DD::Image::ImagePlane& b) {
    if (a.usage() != b.usage()) {
        return a.usage() + b.usage();
    }
    size_t different = 0;
    for (size_t i = 0; i < a.usage() / sizeof(float); ++i) {
        different += a.readable()[i] == b.readable()[i] ? 0 : 1;
    }
    return different;
}

class NodeRenderTest : public ::testing::Test {
protected:
    void SetUp() override { NodeScript::reader(*read).setPixels(inputPixel); }

    std::unique_ptr<Node> connected(const char* className) const {
        std::unique_ptr<Node> node = correctionNode(className);
        node->setInput(0, read.get());
        node->setInput(1, read.get());
        return node;
    }

    NodeScript::ClipDirectory clip;
    std::unique_ptr<Node> read = clip.read();
};

} // namespace

// The box grows on both sides to the frame the core corrects to and is rendered through the
// core exactly as the core renders that frame by itself.
TEST_F(NodeRenderTest, RendersTheGrownFrameThroughTheCore) {
    const std::unique_ptr<Node> node = connected("VelorLensDistortionCorrection");
    ASSERT_TRUE(node->validate()) << node->errorMessage();
    Core::Core sized(std::make_unique<InputSizedDataSource>(&lensCorrection(*node)));
    unsigned width = 0;
    unsigned height = 0;
    ASSERT_TRUE(sized.frameSize(width, height));
    ASSERT_GT(width, 144U) << "undistorting this lens widens the frame";
    const int dx = static_cast<int>(std::round((width - 144) / 2.0));
    const int dy = static_cast<int>(std::round((std::max(height, 100U) - 100) / 2.0));
    const DD::Image::Box box = node->iop()->info().box();
    ASSERT_EQ(box, DD::Image::Box(-dx, -dy, 144 + dx, 100 + dy));
    EXPECT_EQ(node->iop()->format().width(), 144) << "the format stays the input's";

    const DD::Image::ImagePlane plane = node->render(DD::Image::Mask_RGBA);
    ASSERT_FALSE(node->op()->hasError()) << node->errorMessage();
    EXPECT_EQ(NodeScript::reader(*read).requestedBox(), box) << "the input is asked for the box";
    // The input over the box, packed RGBA, black outside the input's format.
    std::vector<float> input(static_cast<size_t>(box.w()) * box.h() * 4, 0.0F);
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 144; ++x) {
            for (int c = 0; c < 4; ++c) {
                input[(static_cast<size_t>(y + dy) * box.w() + (x + dx)) * 4 + c] =
                    inputPixel(x, y, c);
            }
        }
    }
    std::vector<float> expected(input.size());
    Core::Core reference(std::make_unique<LensDistortionDataSource>(&lensCorrection(*node)));
    ASSERT_TRUE(reference.render(input.data(), expected.data(), input.size() * sizeof(float)));
    ASSERT_EQ(plane.usage(), expected.size() * sizeof(float));
    size_t changed = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(plane.readable()[i], expected[i]) << "at float " << i;
        changed += std::fabs(expected[i] - input[i]) > 1e-4F ? 1 : 0;
    }
    EXPECT_GT(changed, expected.size() / 10) << "the picture was corrected";
}

// A map does not depend on the picture; alpha is no colour and passes through.
TEST_F(NodeRenderTest, RendersTheShadingMapThroughTheCore) {
    const std::unique_ptr<Node> node = connected("VelorLensShadingCorrection");
    setKnob(*node, "outputType", 1);
    ASSERT_TRUE(node->validate()) << node->errorMessage();
    EXPECT_EQ(node->iop()->info().box(), DD::Image::Box(0, 0, 144, 100));
    std::vector<float> expected(144 * 100 * 4);
    Core::Core reference(std::make_unique<LensShadingDataSource>(&lensCorrection(*node)));
    ASSERT_TRUE(reference.render(nullptr, expected.data(), expected.size() * sizeof(float)));
    NodeScript::reader(*read).setPixels([](int, int, int) { return 5.0F; });
    const DD::Image::ImagePlane map = node->render(DD::Image::Mask_RGBA);
    ASSERT_FALSE(node->op()->hasError()) << node->errorMessage();
    ASSERT_EQ(map.usage(), expected.size() * sizeof(float));
    for (size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(map.readable()[i], i % 4 == 3 ? 5.0F : expected[i]) << "at float " << i;
    }
}

TEST_F(NodeRenderTest, FrameDataCarriesTheOverscanAndAnOverhangingBoxTheAspectRatio) {
    const std::unique_ptr<Node> node = connected("VelorLensShadingCorrection");
    ASSERT_TRUE(node->validate()) << node->errorMessage();
    const LensShadingDataSource source(&lensCorrection(*node));
    Core::FrameData frame;
    setKnob(*node, "inputOverscan::location", 1);
    setKnob(*node, "inputOverscan::amount", 10);
    ASSERT_TRUE(source.frameData(frame));
    EXPECT_EQ(frame.width, 144U);
    // Without overscan the frame would be round(144 / 1.1) x round(100 / 1.1) = 131 x 91.
    const double withOverscan = std::hypot(72 - 0.5, 50 - 0.5);
    const double without = std::hypot(65.5 - 0.5, 45.5 - 0.5);
    EXPECT_NEAR(frame.overscan, (withOverscan - without) / without * 100, 1e-3);

    NodeScript::reader(*read).setFormat(1920, 1080);
    NodeScript::reader(*read).setBox(DD::Image::Box(-100, 0, 1920, 1080));
    const std::unique_ptr<Node> wide = connected("VelorLensDistortionCorrection");
    wide->validate();
    EXPECT_EQ(lensCorrection(*wide).frameWidthWithOriginalAspectRatio(), 2120);
    EXPECT_EQ(lensCorrection(*wide).frameHeightWithOriginalAspectRatio(), 1194)
        << "1193 rounded to an even growth on both sides";

    // A format whose area starts away from 0,0, with pixels twice as wide as high: its size is
    // that of its area (1000 x 720), and a box that does not overhang it means no overscan.
    const DD::Image::Format aperture(1100, 800, 50, 40, 1050, 760, 2.0);
    NodeScript::reader(*read).setFormat(aperture);
    const std::unique_ptr<Node> offset = connected("VelorLensShadingCorrection");
    offset->validate();
    EXPECT_EQ(offset->iop()->format().pixel_aspect(), 2.0);
    EXPECT_EQ(lensCorrection(*offset).frameWidthWithOriginalAspectRatio(), 1000);
    const LensShadingDataSource offsetSource(&lensCorrection(*offset));
    ASSERT_TRUE(offsetSource.frameData(frame));
    EXPECT_EQ(frame.overscan, 0.0F);
}

TEST_F(NodeRenderTest, CoreFailuresShowAsTheNodesErrorAndGoToTheClassLog) {
    NodeScript::reader(*read).setFormat(1920, 1080); // not the clip's aspect ratio
    const std::unique_ptr<Node> node = connected("VelorLensDistortionCorrection");
    const LogGrowth log(LensDistortionCorrection::logFilePath);
    EXPECT_FALSE(node->validate());
    EXPECT_EQ(node->errorMessage(),
              "Aspect ratio of the current frame is not as expected. Recommended resolution is "
              "1920x1337 px.");
    EXPECT_NE(log.appended().find("Current Frame Resolution: 1920x1080 px\n"
                                  "Recording Format Resolution: 4448x3096 px"),
              std::string::npos);
}

TEST_F(NodeRenderTest, AFailedRenderLeavesTheInputInThePlane) {
    const std::unique_ptr<Node> node = connected("VelorLensShadingCorrection");
    ASSERT_TRUE(node->validate()) << node->errorMessage();
    // A frame before the first of the correction file, after validation.
    NodeScript::reader(*read).metadata().setData("input/timecode", "09:59:59:00");
    const DD::Image::ImagePlane plane = node->render(DD::Image::Mask_RGBA);
    EXPECT_TRUE(node->op()->hasError());
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(plane.at(10, 20, c), inputPixel(10, 20, c));
    }
}

// A large-format sensor (36.7 x 25.54 mm) is shown as it is, not clamped to 36 x 24 mm.
TEST_F(NodeRenderTest, RecordingFormatControlsShowWhatTheCorrectionDataYields) {
    const char* const names[] = {"recordingFormat::imageAreaSize::height",
                                 "recordingFormat::clipResolution::width",
                                 "recordingFormat::imageDiameter"};
    const double expected[] = {25.54, 4448, 44.71};
    const std::unique_ptr<Node> node = connected("VelorLensDistortionCorrection");
    EXPECT_TRUE(node->updateUI());
    EXPECT_FALSE(node->firstOp()->hasError()) << "the UI callbacks' operator";
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(NodeScript::knobValue(*node, names[i]), expected[i], 1e-4) << names[i];
    }
    NodeScript::reader(*read).metadata().setData("quicktime/arri/camera/CameraClipName",
                                                 "B002C007.mov");
    EXPECT_TRUE(node->updateUI());
    EXPECT_TRUE(node->firstOp()->hasError()) << "no correction file for that clip";
    for (const char* name : names) {
        EXPECT_EQ(NodeScript::knobValue(*node, name), 0) << name;
    }
}

TEST_F(NodeRenderTest, NoExceptionLeavesTheNode) {
    std::unique_ptr<Node> unreadable = Node::make<UnreadableRead>();
    NodeScript::reader(*unreadable).setFormat(144, 100);
    NodeScript::reader(*unreadable).filename(clip.clipPath().c_str());
    const std::unique_ptr<Node> node = correctionNode("VelorLensDistortionCorrection");
    node->setInput(0, read.get());
    node->setInput(1, unreadable.get());
    bool valid = true;
    EXPECT_NO_THROW(valid = node->validate());
    EXPECT_FALSE(valid);
    EXPECT_FALSE(node->errorMessage().empty());

    node->setInput(1, read.get());
    ASSERT_TRUE(node->validate()) << node->errorMessage();
    NodeScript::reader(*read).setPixels(
        [](int, int, int) -> float { throw std::runtime_error("disk gone"); });
    const LogGrowth log(LensDistortionCorrection::logFilePath);
    EXPECT_NO_THROW(node->render(DD::Image::Mask_RGBA));
    EXPECT_EQ(node->errorMessage(), "An unexpected issue did occur while correcting the frame. "
                                    "Please try again, and contact the developer if it persists.");
    EXPECT_NE(log.appended().find("Reason: \"disk gone\""), std::string::npos);
}

// The host keeps a rendered plane by the node's hash: an unchanged node is not rendered again,
// and a correction file replaced beside the clip gives a new hash and a new picture.
TEST_F(NodeRenderTest, AnUnchangedNodeRendersOnceAndAReplacedFileAgain) {
    const std::unique_ptr<Node> node = connected("VelorLensDistortionCorrection");
    const DD::Image::ImagePlane first = node->render(DD::Image::Mask_RGBA);
    ASSERT_FALSE(node->op()->hasError()) << node->errorMessage();
    const DD::Image::Hash hash = node->hash();
    EXPECT_EQ(node->hash(), hash) << "the same data, the same hash";
    node->render(DD::Image::Mask_RGBA);
    EXPECT_EQ(node->renderCount(), 1U) << "rendered again though nothing changed";

    replaceTheSecondRecord(clip.root() / "day1" / "A001C003.vlcf");
    EXPECT_NE(node->hash(), hash);
    const DD::Image::ImagePlane second = node->render(DD::Image::Mask_RGBA);
    ASSERT_FALSE(node->op()->hasError()) << node->errorMessage();
    EXPECT_EQ(node->renderCount(), 2U);
    EXPECT_NE(differingFloats(first, second), 0U) << "the new file's record was not used";

    // Another frame of the script is another picture, even where the Read delivers the same.
    DD::Image::OutputContext later = node->op()->outputContext();
    later.setFrame(later.frame() + 1);
    const DD::Image::Hash before = node->hash();
    node->op()->setOutputContext(later);
    EXPECT_NE(node->hash(), before);
}

// "Reload", as a Read's, forgets the file found for the clip, so that a file delivered closer to
// the clip is found; without it the node keeps the file it found.
TEST_F(NodeRenderTest, ReloadFindsAFileDeliveredCloserToTheClip) {
    const boost::filesystem::path beside = clip.root() / "day1" / "A001C003.vlcf";
    const boost::filesystem::path above = clip.root() / "A001C003.vlcf";
    boost::filesystem::rename(beside, above);
    const std::unique_ptr<Node> node = connected("VelorLensDistortionCorrection");
    const DD::Image::ImagePlane first = node->render(DD::Image::Mask_RGBA);
    ASSERT_FALSE(node->op()->hasError()) << node->errorMessage();

    boost::filesystem::copy_file(above, beside);
    replaceTheSecondRecord(beside);
    const DD::Image::ImagePlane kept = node->render(DD::Image::Mask_RGBA);
    EXPECT_EQ(differingFloats(first, kept), 0U) << "the found file is kept until a reload";

    node->pressButton("reload");
    const DD::Image::ImagePlane reloaded = node->render(DD::Image::Mask_RGBA);
    ASSERT_FALSE(node->op()->hasError()) << node->errorMessage();
    EXPECT_NE(differingFloats(first, reloaded), 0U) << "the file beside the clip was not found";
    const DDImageStandIn::StandInKnob* button = node->standInKnob("reload");
    EXPECT_EQ(button->label(), "Reload");
}

// The output's metadata names the correction data the frame was corrected with, so that a Write
// stores it; the input's metadata passes on.
TEST_F(NodeRenderTest, TheOutputMetadataNamesTheCorrectionData) {
    const std::unique_ptr<Node> node = connected("VelorLensDistortionCorrection");
    ASSERT_TRUE(node->validate()) << node->errorMessage();
    Core::Core reference(std::make_unique<LensDistortionDataSource>(&lensCorrection(*node)));
    Core::CorrectionInUse used;
    ASSERT_TRUE(reference.correctionInUse(used));
    const DD::Image::MetaData::Bundle& metadata = node->op()->fetchMetaData(nullptr);
    EXPECT_EQ(metadata.getString("exr/velor:correctionFile"),
              (clip.root() / "day1" / "A001C003.vlcf").string());
    EXPECT_EQ(metadata.getDouble("exr/velor:record"), static_cast<double>(used.record));
    EXPECT_EQ(metadata.getString("exr/velor:recordTimecode"), used.recordTimecode);
    EXPECT_FALSE(used.recordTimecode.empty());
    EXPECT_EQ(metadata.getString("exr/velor:operation"), "undistort");
    EXPECT_EQ(metadata.getString("exr/velor:version"), Version::text());
    EXPECT_EQ(metadata.getString("input/timecode"), "10:00:00:01");

    const std::unique_ptr<Node> map = connected("VelorLensShadingCorrection");
    setKnob(*map, "outputType", 1);
    ASSERT_TRUE(map->validate()) << map->errorMessage();
    EXPECT_EQ(map->op()->fetchMetaData(nullptr).getString("exr/velor:operation"), "shading-map");
}

// A CG render's layers, fetched as the host's workers fetch them (one layer a plane, over a part of
// the output box) while the main thread validates the node again and refreshes its controls, and
// the Read's metadata is delivered through the main thread: distortion warps every channel alike,
// shading changes the colour channels only, and every value of every plane is written.
TEST_F(NodeRenderTest, ACgFrameKeepsItsLayersAlignedWhileTheMainThreadWorks) {
    using namespace DD::Image;
    const Channel depth = getChannel("depth.Z");
    const Channel u = getChannel("motion.u");
    const Channel v = getChannel("motion.v");
    const Channel diffuse[] = {getChannel("diffuse.red"), getChannel("diffuse.green"),
                               getChannel("diffuse.blue")};
    const std::vector<ChannelSet> layers = {ChannelSet(Mask_RGBA), ChannelSet(Chan_Alpha),
                                            ChannelSet(depth), ChannelSet(u) + ChannelSet(v),
                                            ChannelSet(diffuse, 3)};
    ChannelSet all;
    for (const ChannelSet& layer : layers) {
        all += layer;
    }
    NodeScript::reader(*read).setChannels(all);
    NodeScript::reader(*read).setMetadataFromMainThread(true);
    const auto number = [](Channel c) { return static_cast<int>(c) - 1; };

    for (const char* className : {"VelorLensDistortionCorrection", "VelorLensShadingCorrection"}) {
        SCOPED_TRACE(className);
        const bool shading = std::string(className) == "VelorLensShadingCorrection";
        const std::unique_ptr<Node> node = connected(className);
        ASSERT_TRUE(node->validate()) << node->errorMessage();
        const Box box = node->iop()->info().box();
        const auto source = [&node, shading]() -> std::unique_ptr<Core::CoreDataSource> {
            if (shading) {
                return std::make_unique<LensShadingDataSource>(&lensCorrection(*node));
            }
            return std::make_unique<LensDistortionDataSource>(&lensCorrection(*node));
        };
        // What the core makes of each channel, by channel number less one.
        std::map<int, std::vector<float>> frames;
        std::map<int, int> slotOf;
        const std::vector<std::vector<Channel>> groups = {
            {Chan_Red, Chan_Green, Chan_Blue, Chan_Alpha},
            {diffuse[0], diffuse[1], diffuse[2], depth},
            {u, v}};
        for (const std::vector<Channel>& group : groups) {
            std::vector<int> numbers;
            for (Channel c : group) {
                numbers.push_back(number(c));
            }
            const std::vector<float> frame = correctedByTheCore(source(), box, numbers);
            for (size_t s = 0; s < group.size(); ++s) {
                frames[numbers[s]] = frame;
                slotOf[numbers[s]] = static_cast<int>(s);
            }
        }

        const Box part(box.x() + 3, box.y() + 2, box.r() - 5, box.t() - 4);
        const std::vector<ImagePlane> planes =
            node->renderConcurrently(layers, part, !shading, [&node, &layers] {
                // Every worker is inside a host call that needs this thread.
                EXPECT_TRUE(Node::waitForTasksFromWorkers(layers.size()));
                EXPECT_TRUE(node->validate()) << node->errorMessage();
                EXPECT_TRUE(node->updateUI());
            });
        EXPECT_FALSE(node->op()->hasError()) << node->errorMessage();

        size_t wrong = 0;
        for (const ImagePlane& plane : planes) {
            int index = 0;
            const ChannelSet channels = plane.channels();
            foreach (channel, channels) {
                const int c = number(channel);
                const std::string name = getName(channel);
                const bool colour = name.find("red") != std::string::npos ||
                                    name.find("green") != std::string::npos ||
                                    name.find("blue") != std::string::npos;
                for (int y = part.y(); y < part.t(); ++y) {
                    for (int x = part.x(); x < part.r(); ++x) {
                        const bool inInput = x >= 0 && x < 144 && y >= 0 && y < 100;
                        float expected = inInput ? inputPixel(x, y, c) : 0.0F;
                        if (!shading || colour) {
                            const size_t pixel =
                                static_cast<size_t>(y - box.y()) * box.w() + (x - box.x());
                            expected = frames[c][pixel * 4 + slotOf[c]];
                        }
                        const float actual = plane.at(x, y, index);
                        wrong += actual == expected ? 0 : 1;
                        if (actual != expected && wrong < 5) {
                            ADD_FAILURE() << name << " at " << x << ", " << y << ": " << actual
                                          << " instead of " << expected;
                        }
                    }
                }
                ++index;
            }
        }
        EXPECT_EQ(wrong, 0U);
    }
}

// The distortion node's hidden "STMap" output, set from a script, is the ST map of the
// undistortion in the convention of Nuke's STMap node: sampling the input where the map points
// gives the undistorted picture. The input is linear in x and y, so bilinear sampling is exact.
TEST_F(NodeRenderTest, TheStMapOutputPointsWhereTheUndistortionSamples) {
    const std::unique_ptr<Node> image = connected("VelorLensDistortionCorrection");
    const DD::Image::ImagePlane undistorted = image->render(DD::Image::Mask_RGBA);
    ASSERT_FALSE(image->op()->hasError()) << image->errorMessage();
    const std::unique_ptr<Node> node = connected("VelorLensDistortionCorrection");
    setKnob(*node, "outputType", 1);
    const DD::Image::ImagePlane map = node->render(DD::Image::Mask_RGBA);
    ASSERT_FALSE(node->op()->hasError()) << node->errorMessage();
    const DD::Image::Box box = node->iop()->info().box();
    ASSERT_EQ(box, image->iop()->info().box());

    size_t compared = 0;
    double worst = 0.0;
    for (int y = box.y(); y < box.t(); ++y) {
        for (int x = box.x(); x < box.r(); ++x) {
            EXPECT_EQ(map.at(x, y, 2), 0.0F);
            EXPECT_EQ(map.at(x, y, 3), 1.0F);
            // Pixel centres lie at half-integers of s x width and t x height.
            const double sourceX = map.at(x, y, 0) * 144.0 - 0.5;
            const double sourceY = map.at(x, y, 1) * 100.0 - 0.5;
            if (sourceX < 1 || sourceX > 142 || sourceY < 1 || sourceY > 98) {
                continue;
            }
            ++compared;
            for (int c = 0; c < 4; ++c) {
                const double expected = 0.1 + 0.004 * sourceX + 0.003 * sourceY + 0.05 * c;
                worst = std::max(worst, std::fabs(undistorted.at(x, y, c) - expected));
            }
        }
    }
    EXPECT_GT(compared, 144U * 100U / 2);
    EXPECT_LT(worst, 2e-4) << "the map and the undistortion sample different points";
}

// The host asks for any subset of a layer's channels and, with renderFullPlanes, hands the node
// the whole layer: asking for red alone gives the red of the full correction.
TEST_F(NodeRenderTest, AnySubsetOfALayersChannelsRenders) {
    for (const char* className : {"VelorLensDistortionCorrection", "VelorLensShadingCorrection"}) {
        SCOPED_TRACE(className);
        const std::unique_ptr<Node> whole = connected(className);
        const DD::Image::ImagePlane rgba = whole->render(DD::Image::Mask_RGBA);
        ASSERT_FALSE(whole->op()->hasError()) << whole->errorMessage();
        for (const DD::Image::ChannelSet& subset :
             {DD::Image::ChannelSet(DD::Image::Chan_Red),
              DD::Image::ChannelSet(DD::Image::Chan_Green) + DD::Image::Chan_Alpha}) {
            const std::unique_ptr<Node> node = connected(className);
            const DD::Image::ImagePlane plane = node->render(subset);
            ASSERT_FALSE(node->op()->hasError()) << node->errorMessage();
            const DD::Image::Box box = node->iop()->info().box();
            size_t different = 0;
            int index = 0;
            foreach (channel, subset) {
                for (int y = box.y(); y < box.t(); ++y) {
                    for (int x = box.x(); x < box.r(); ++x) {
                        different +=
                            plane.at(x, y, index) == rgba.at(x, y, static_cast<int>(channel) - 1)
                                ? 0
                                : 1;
                    }
                }
                ++index;
            }
            EXPECT_EQ(different, 0U);
        }
    }
}

// Eight layers of a frame rendered at once by the host's workers take at most two frames of
// buffers besides the planes fetched from the input, and take them from the host's allocator,
// whose memory limit sees them; all of it is given back.
TEST_F(NodeRenderTest, LayersRenderWithinTwoFramesOfTheHostsMemory) {
    using namespace DD::Image;
    std::vector<ChannelSet> layers = {ChannelSet(Mask_RGBA), ChannelSet(getChannel("depth.Z"))};
    for (const char* layer : {"diffuse", "specular", "emission", "indirect", "sss", "coat"}) {
        const std::string name(layer);
        const Channel colour[] = {getChannel((name + ".red").c_str()),
                                  getChannel((name + ".green").c_str()),
                                  getChannel((name + ".blue").c_str())};
        layers.emplace_back(colour, 3);
    }
    ChannelSet all;
    for (const ChannelSet& layer : layers) {
        all += layer;
    }
    NodeScript::reader(*read).setChannels(all);
    const std::unique_ptr<Node> node = connected("VelorLensDistortionCorrection");
    ASSERT_TRUE(node->validate()) << node->errorMessage();
    const Box box = node->iop()->info().box();
    const size_t frameBytes = static_cast<size_t>(box.w()) * box.h() * 4 * sizeof(float);

    // The first render builds the OpenCL programs; here on the main thread, since PoCL's
    // compiler leaves a worker thread that AddressSanitizer cannot take down at its end.
    node->render(Mask_RGBA);
    ASSERT_FALSE(node->op()->hasError()) << node->errorMessage();

    const size_t before = DDImageStandIn::memoryInUse();
    DDImageStandIn::resetPeakMemoryInUse();
    const std::vector<ImagePlane> planes = node->renderConcurrently(layers, box, true, [] {});
    EXPECT_FALSE(node->op()->hasError()) << node->errorMessage();
    EXPECT_EQ(planes.size(), 8U);
    const size_t peak = DDImageStandIn::peakMemoryInUse() - before;
    EXPECT_GE(peak, frameBytes) << "the frame buffers are not taken from the host's allocator";
    EXPECT_LE(peak, 2 * frameBytes) << "more than two frames of buffers at once";
    EXPECT_EQ(DDImageStandIn::memoryInUse(), before) << "buffers not given back";
}
