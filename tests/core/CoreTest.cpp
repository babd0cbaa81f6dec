#include "CoreTestSupport.h"

#include "../renderer/CpuLensModel.h"
#include "../renderer/PixelFrames.h"

#include "correction_data/Calculations.h"
#include "recording_format_database/RecordingFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

using namespace CoreTestSupport;
using PixelFrames::Frame;
using Coefficients = std::array<float, 7>;

namespace {

// 278 x 194 keeps the 4448 x 3096 aspect ratio to within a line.
constexpr std::uint32_t frameWidth = 278;
constexpr std::uint32_t frameHeight = 194;

Coefficients fit(const std::vector<float>& x, const std::vector<float>& y) {
    std::vector<float> coefficients;
    CorrectionData::Calculations::calculateCoefficients(x, y, coefficients);
    Coefficients result{};
    std::copy(coefficients.begin(), coefficients.end(), result.begin());
    return result;
}

float evaluate(const Coefficients& a, float x) {
    float sum = 0.0F;
    float power = 1.0F;
    for (const float coefficient : a) {
        sum += coefficient * power;
        power *= x;
    }
    return sum;
}

// The corrections the pipeline must produce for one frame record, computed
// here from the correction data and the recording format.
struct ExpectedCorrection {
    ExpectedCorrection(const FrameRecord& frame, float sensorRadius, float overscan = 0.0F)
        : radius((overscan / 100.0F + 1.0F) * sensorRadius) {
        std::vector<float> distorted;
        for (std::size_t i = 0; i < frame.heights.size(); ++i) {
            distorted.push_back(frame.heights[i] * (1.0F - frame.radialDistortion[i] / 1000.0F));
        }
        forward = fit(frame.heights, distorted);
        inverse = fit(distorted, frame.heights);
        shading = fit(frame.heights, frame.shading);
    }
    Frame undistorted(const Frame& input) const {
        return CpuLensModel::CpuDistortion(input, evaluate(forward, radius), inverse).render();
    }
    Frame distorted(const Frame& input) const {
        return CpuLensModel::CpuDistortion(input, radius, forward).render();
    }
    Frame shaded(const Frame& input, bool add) const {
        return CpuLensModel::cpuShading(input, radius, shading, add, 1.0F);
    }

    float radius;
    Coefficients forward{};
    Coefficients inverse{};
    Coefficients shading{};
};

const float openGateRadius =
    RecordingFormatDatabase::sensorRadiusFor(36.7F, 3096.0F / 4448.0F * 36.7F);

// Barrel distortion that grows by frame, so each frame record renders differently.
FrameRecord frameRecord(int index, float strength = 1.0F) {
    FrameRecord frame;
    for (std::size_t i = 0; i < frame.radialDistortion.size(); ++i) {
        frame.radialDistortion[i] *= strength * (1.0F + 4.0F * static_cast<float>(index));
        frame.shading[i] -= static_cast<float>(index) * static_cast<float>(i);
    }
    return frame;
}

std::vector<FrameRecord> threeFrames(float strength = 1.0F) {
    return {frameRecord(0, strength), frameRecord(1, strength), frameRecord(2, strength)};
}

// Seven-term polynomials evaluated on the device and here may round a source
// point differently by about 1e-4 of a pixel; on noise that moves a value by
// about as much. A wrong pixel or weight differs by far more.
constexpr float imageTolerance = 2e-4F;

class CoreEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        clipPath = tree.addClip("day1", "A001C003", correctionFileText("A001C003", frames));
        settings->clipFilePath = clipPath;
        settings->frameData.width = frameWidth;
        settings->frameData.height = frameHeight;
    }

    void selectFrame(std::uint32_t number) { settings->frameData.frameNumber = number; }

    Frame render(const Frame* source) {
        Frame output(frameWidth, frameHeight);
        const bool rendered = core.render(source != nullptr ? source->values.data() : nullptr,
                                          output.values.data(), output.bytes());
        EXPECT_TRUE(rendered) << briefOf(core) << "\n" << detailOf(core);
        return output;
    }

    ClipTree tree;
    std::vector<FrameRecord> frames = threeFrames();
    std::string clipPath;
    std::shared_ptr<SourceSettings> settings = std::make_shared<SourceSettings>();
    Core::Core core{std::make_unique<TestDataSource>(settings)};
    const Frame input = PixelFrames::noiseFrame(frameWidth, frameHeight, 11);
};

} // namespace

TEST(CoreFacade, FreshFacadeHasNoErrorAndKeyLookupsFollowTheBufferRule) {
    auto settings = std::make_shared<SourceSettings>();
    const Core::Core core(std::make_unique<TestDataSource>(settings));
    char buffer[64] = "untouched";
    EXPECT_FALSE(core.briefErrorDescription(buffer, sizeof buffer));
    EXPECT_FALSE(core.detailedErrorDescription(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "untouched");

    char key[256] = {};
    ASSERT_TRUE(Core::Core::metadataKeyForClipFileName("ARRI", "mxf", key, sizeof key));
    const std::string clipNameKey = key;
    EXPECT_FALSE(clipNameKey.empty());
    char exact[256] = "untouched";
    EXPECT_FALSE(Core::Core::metadataKeyForClipFileName("ARRI", "mxf", exact, clipNameKey.size()));
    EXPECT_STREQ(exact, "untouched");
    EXPECT_TRUE(
        Core::Core::metadataKeyForClipFileName("ARRI", "mxf", exact, clipNameKey.size() + 1));
    EXPECT_EQ(exact, clipNameKey);
    EXPECT_FALSE(Core::Core::metadataKeyForTimecode("Nobody", "xyz", key, sizeof key));
    EXPECT_FALSE(Core::Core::metadataKeyForTimecode(nullptr, "mxf", key, sizeof key));
    EXPECT_EQ(settings->otherQuestions.load(), 0);
}

TEST_F(CoreEndToEnd, NoCorrectionWantedAsksNothingAndTouchesNothing) {
    unsigned int width = 7;
    unsigned int height = 9;
    Frame output(frameWidth, frameHeight);
    std::fill(output.values.begin(), output.values.end(), 0.25F);
    EXPECT_TRUE(core.frameSize(width, height));
    EXPECT_TRUE(core.render(input.values.data(), output.values.data(), output.bytes()));
    EXPECT_EQ(width, 7U);
    EXPECT_EQ(height, 9U);
    EXPECT_TRUE(std::all_of(output.values.begin(), output.values.end(),
                            [](float value) { return value == 0.25F; }));
    EXPECT_EQ(settings->otherQuestions.load(), 0);
}

TEST_F(CoreEndToEnd, ErrorsAreStoredUntilTheNextOperationAndReadWhole) {
    settings->shading = true;
    settings->frameDataDelivered = false;
    Frame output(frameWidth, frameHeight);
    EXPECT_FALSE(core.render(input.values.data(), output.values.data(), output.bytes()));
    const std::string brief = "There is some frame related data missing.";
    EXPECT_EQ(briefOf(core), brief);
    EXPECT_EQ(detailOf(core), brief + "\n");

    std::vector<char> buffer(brief.size(), 'x');
    EXPECT_FALSE(core.briefErrorDescription(buffer.data(), buffer.size()));
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), std::string(brief.size(), 'x'));
    buffer.resize(brief.size() + 1);
    EXPECT_TRUE(core.briefErrorDescription(buffer.data(), buffer.size()));
    EXPECT_EQ(std::string(buffer.data()), brief);
    EXPECT_EQ(briefOf(core), brief) << "reading must not clear the error";

    settings->frameDataDelivered = true;
    unsigned int width = 0;
    unsigned int height = 0;
    EXPECT_TRUE(core.frameSize(width, height));
    EXPECT_EQ(width, frameWidth);
    EXPECT_EQ(height, frameHeight);
    EXPECT_EQ(briefOf(core), "");
    EXPECT_EQ(detailOf(core), "");
}

TEST_F(CoreEndToEnd, MissingClipDataIsNamed) {
    settings->distortion = true;
    settings->clipFilePath.reset();
    unsigned int width = 0;
    unsigned int height = 0;
    const std::string brief = "There is some clip and correction file related data missing.";

    EXPECT_FALSE(core.frameSize(width, height));
    EXPECT_EQ(detailOf(core), brief + "\n");

    settings->correctionFilePath = "/lens/A.vlcf";
    EXPECT_FALSE(core.frameSize(width, height));
    EXPECT_EQ(detailOf(core), brief + "\nCorrection File Path: \"/lens/A.vlcf\"\n");

    settings->correctionFilePath.reset();
    settings->clipFileName = "A.mov";
    EXPECT_FALSE(core.frameSize(width, height));
    EXPECT_EQ(detailOf(core), brief + "\nClip File Name: \"A.mov\"\n");
}

TEST_F(CoreEndToEnd, UndistortAndDistortMatchTheCpuComputation) {
    settings->distortion = true;
    for (const std::uint32_t number : {0U, 2U}) {
        selectFrame(number);
        const ExpectedCorrection expected(frames[number], openGateRadius);
        settings->distortionParameter.reverse = false;
        PixelFrames::expectMatch(expected.undistorted(input), render(&input), imageTolerance);
        settings->distortionParameter.reverse = true;
        PixelFrames::expectMatch(expected.distorted(input), render(&input), imageTolerance);
    }
}

TEST_F(CoreEndToEnd, OverscanWidensTheRadius) {
    settings->distortion = true;
    settings->frameData.overscan = 20.0F;
    selectFrame(1);
    const ExpectedCorrection expected(frames[1], openGateRadius, 20.0F);
    PixelFrames::expectMatch(expected.undistorted(input), render(&input), imageTolerance);
}

TEST_F(CoreEndToEnd, ShadingRemovalAndAdditionMatchTheCpuComputation) {
    settings->shading = true;
    selectFrame(2);
    const ExpectedCorrection expected(frames[2], openGateRadius);
    settings->shadingParameter.reverse = false;
    PixelFrames::expectMatch(expected.shaded(input, false), render(&input), imageTolerance);
    settings->shadingParameter.reverse = true;
    PixelFrames::expectMatch(expected.shaded(input, true), render(&input), imageTolerance);
}

TEST_F(CoreEndToEnd, ChainedCorrectionsShadeFirstThenUndistort) {
    settings->shading = true;
    settings->distortion = true;
    selectFrame(1);
    const ExpectedCorrection expected(frames[1], openGateRadius);
    const Frame shaded = expected.shaded(input, false);
    PixelFrames::expectMatch(expected.undistorted(shaded), render(&input), imageTolerance);

    unsigned int width = 0;
    unsigned int height = 0;
    EXPECT_FALSE(core.frameSize(width, height));
    EXPECT_EQ(briefOf(core), "It is not possible to calculate the frame size for both shading "
                             "and distortion correction.");
}

// The mapping is the one the renderer would resample with: undistortion through the
// inverse fit from the distorted radius, distortion through the forward fit.
TEST_F(CoreEndToEnd, DistortionMappingIsTheRenderersPolynomialAndRadius) {
    Core::DistortionMapping mapping;
    mapping.width = 7;
    EXPECT_FALSE(core.distortionMapping(mapping));
    EXPECT_EQ(mapping.width, 7U);
    EXPECT_EQ(briefOf(core), "A distortion mapping needs a distortion correction request.");

    settings->distortion = true;
    selectFrame(1);
    const ExpectedCorrection expected(frames[1], openGateRadius);
    for (const bool distort : {false, true}) {
        settings->distortionParameter.reverse = distort;
        ASSERT_TRUE(core.distortionMapping(mapping)) << briefOf(core);
        EXPECT_EQ(mapping.width, frameWidth);
        EXPECT_EQ(mapping.height, frameHeight);
        const Coefficients& a = distort ? expected.forward : expected.inverse;
        for (std::size_t i = 0; i < a.size(); ++i) {
            EXPECT_FLOAT_EQ(mapping.coefficients[i], a[i]) << "distort " << distort << " a" << i;
        }
        EXPECT_NEAR(mapping.imageRadius,
                    distort ? openGateRadius : evaluate(expected.forward, openGateRadius), 1e-4F);
    }
}

TEST_F(CoreEndToEnd, MapsNeedANullInputAndOneCorrection) {
    selectFrame(0);
    settings->shading = true;
    settings->shadingParameter.outputMap = true;
    const ExpectedCorrection expected(frames[0], openGateRadius);
    const Frame map = render(nullptr);
    Frame ones(frameWidth, frameHeight);
    std::fill(ones.values.begin(), ones.values.end(), 1.0F);
    PixelFrames::expectMatch(expected.shaded(ones, false), map, imageTolerance);

    Frame output(frameWidth, frameHeight);
    EXPECT_FALSE(core.render(input.values.data(), output.values.data(), output.bytes()));
    EXPECT_EQ(briefOf(core), "Input buffer is required to be set to nullptr whenever map "
                             "rendering is requested.");

    settings->distortion = true;
    settings->distortionParameter.outputMap = true;
    EXPECT_FALSE(core.render(nullptr, output.values.data(), output.bytes()));
    EXPECT_EQ(briefOf(core), "It is not possible to generate a single map for both shading and "
                             "distortion correction.");

    settings->shading = false;
    const Frame positions = render(nullptr);
    EXPECT_FLOAT_EQ(positions.at(139, 97, 0), 139.0F / frameWidth);
    EXPECT_FLOAT_EQ(positions.at(139, 97, 1), 97.0F / frameHeight);
}

TEST_F(CoreEndToEnd, FramesAreMatchedByTimecodeAndByRescaledNumber) {
    settings->distortion = true;
    const ExpectedCorrection second(frames[2], openGateRadius);

    // A frame's own timecode with number 0.
    std::strcpy(settings->frameData.timecode, "10:00:00:02");
    PixelFrames::expectMatch(second.undistorted(input), render(&input), imageTolerance);
    // A clip start timecode and the frame index.
    std::strcpy(settings->frameData.timecode, "10:00:00:00");
    selectFrame(2);
    PixelFrames::expectMatch(second.undistorted(input), render(&input), imageTolerance);

    // No timecode: by number, rescaled from 50 fps to the file's 25 fps (5 -> 2).
    settings->frameData.timecode[0] = '\0';
    settings->frameData.frameRate = 50.0F;
    selectFrame(5);
    PixelFrames::expectMatch(second.undistorted(input), render(&input), imageTolerance);
}

TEST_F(CoreEndToEnd, UnusableFrameRatesAndTimecodesAreReported) {
    settings->shading = true;
    unsigned int width = 0;
    unsigned int height = 0;
    for (const float rate : {std::numeric_limits<float>::quiet_NaN(),
                             std::numeric_limits<float>::infinity(), -25.0F}) {
        settings->frameData.frameRate = rate;
        EXPECT_FALSE(core.frameSize(width, height)) << rate;
        EXPECT_FALSE(briefOf(core).empty());
    }
    settings->frameData.frameRate = 0.0F;
    std::strcpy(settings->frameData.timecode, "10:00:00:99");
    EXPECT_FALSE(core.frameSize(width, height));
    EXPECT_EQ(briefOf(core), "Timecode object could not be constructed due to invalid format.");

    // Sixteen characters without a terminating zero are cut, not read past.
    std::memset(settings->frameData.timecode, '1', sizeof settings->frameData.timecode);
    EXPECT_FALSE(core.frameSize(width, height));
    EXPECT_NE(detailOf(core).find("\"111111111111111\""), std::string::npos) << detailOf(core);
}

TEST_F(CoreEndToEnd, AspectCheckAllowsOneLine) {
    settings->shading = true;
    RecordingFormatDatabase::RecordingFormat format;
    format.sensorWidth = 24.0F;
    format.sensorHeight = 12.65625F;
    format.pixelWidth = 4096;
    format.pixelHeight = 2160;
    format.sensorRadius = RecordingFormatDatabase::sensorRadiusFor(24.0F, 12.65625F);
    settings->recordingFormat = format;
    settings->frameData.width = 2048;
    unsigned int width = 0;
    unsigned int height = 0;
    for (const std::uint32_t passing : {1079U, 1080U, 1081U}) {
        settings->frameData.height = passing;
        EXPECT_TRUE(core.frameSize(width, height)) << passing << ": " << briefOf(core);
        EXPECT_EQ(height, passing);
    }
    settings->frameData.height = 1078;
    EXPECT_FALSE(core.frameSize(width, height));
    EXPECT_EQ(detailOf(core), "Aspect ratio of the current frame is not as expected. Recommended "
                              "resolution is 2048x1080 px.\n"
                              "Current Frame Resolution: 2048x1078 px\n"
                              "Recording Format Resolution: 4096x2160 px\n");
}

TEST_F(CoreEndToEnd, RecordingFormatComesFromHeaderTableOrHand) {
    RecordingFormatDatabase::RecordingFormat format;
    ASSERT_TRUE(core.recordingFormat(format));
    EXPECT_EQ(format.pixelWidth, 4448U);
    EXPECT_EQ(format.pixelHeight, 3096U);
    EXPECT_FLOAT_EQ(format.sensorHeight, 3096.0F / 4448.0F * 36.7F);
    EXPECT_FLOAT_EQ(format.sensorRadius, openGateRadius);

    // No sensor width in the header: the camera's one UHD format from the table.
    settings->clipFilePath = tree.addClip(
        "day2", "B001C001", correctionFileText("B001C001", frames, "0", "3840", "2160"));
    ASSERT_TRUE(core.recordingFormat(format)) << briefOf(core);
    EXPECT_FLOAT_EQ(format.sensorWidth, 31.68F);
    EXPECT_FLOAT_EQ(format.sensorHeight, 17.82F);
    EXPECT_EQ(format.pixelWidth, 3840U);

    // A resolution the camera does not record: nothing usable.
    settings->clipFilePath = tree.addClip(
        "day3", "C001C001", correctionFileText("C001C001", frames, "0", "1000", "500"));
    settings->shading = true;
    settings->frameData.width = 1000;
    settings->frameData.height = 500;
    unsigned int width = 0;
    unsigned int height = 0;
    EXPECT_FALSE(core.frameSize(width, height));
    EXPECT_EQ(detailOf(core), "There is no valid data available for the recording format.\n"
                              "Image Area Size: 0x0 mm\n"
                              "Clip Resolution: 1000x500 px\n"
                              "Image Radius: 0 mm\n");

    // By hand: the data source's format wins.
    RecordingFormatDatabase::RecordingFormat byHand;
    byHand.sensorWidth = 20.0F;
    byHand.sensorHeight = 10.0F;
    byHand.pixelWidth = 2000;
    byHand.pixelHeight = 1000;
    byHand.sensorRadius = RecordingFormatDatabase::sensorRadiusFor(20.0F, 10.0F);
    settings->recordingFormat = byHand;
    EXPECT_TRUE(core.frameSize(width, height)) << briefOf(core);
}

TEST_F(CoreEndToEnd, ExplicitFileModeChecksTheClip) {
    settings->distortion = true;
    settings->correctionFilePath = tree.correctionFile("day1", "A001C003").string();
    settings->clipFileName = "A001C003.mov";
    settings->clipFilePath.reset();
    selectFrame(1);
    const ExpectedCorrection expected(frames[1], openGateRadius);
    PixelFrames::expectMatch(expected.undistorted(input), render(&input), imageTolerance);

    settings->clipFileName = "Z999C999.mov";
    unsigned int width = 0;
    unsigned int height = 0;
    EXPECT_FALSE(core.frameSize(width, height));
    EXPECT_EQ(briefOf(core), "Header of the metadata is not available. Correction file does not "
                             "belong to the clip.");
    EXPECT_NE(detailOf(core).find("Clip File Name: \"Z999C999.mov\""), std::string::npos);
}

TEST_F(CoreEndToEnd, EmbeddedJsonWinsOverTheClipPath) {
    settings->distortion = true;
    // Image radius = half the diagonal of the open gate at 4448 x 3096.
    const FrameRecord frame = frameRecord(3);
    std::ostringstream json;
    json << R"({"recordingFormat": {"camera": {"manufacturer": "ARRI", "model": "ALEXA Mini LF"},)"
         << R"("clipResolution": {"width": 4448, "height": 3096}, "imageRadius": )"
         << openGateRadius << R"(}, "frameData": {"interpolationPoints": {"heights": [)";
    const auto list = [&json](const std::vector<float>& values) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            json << (i == 0 ? "" : ",") << values[i];
        }
    };
    list(frame.heights);
    json << R"(], "shading": [)";
    list(frame.shading);
    json << R"(], "radialDistortion": [)";
    list(frame.radialDistortion);
    json << "]}}}";
    settings->frameMetadata = json.str();
    selectFrame(57);

    RecordingFormatDatabase::RecordingFormat format;
    ASSERT_TRUE(core.recordingFormat(format)) << detailOf(core);
    const ExpectedCorrection expected(frame, format.sensorRadius);
    EXPECT_NEAR(format.sensorRadius, openGateRadius, 1e-4);
    PixelFrames::expectMatch(expected.undistorted(input), render(&input), imageTolerance);
}

TEST_F(CoreEndToEnd, UnlistableDirectoryIsAMessageNotACrash) {
    settings->shading = true;
    // A clip "inside" a regular file: its directory cannot be listed. The
    // search passes over it, and names it when it finds nothing.
    const fs::path file = tree.shoot() / "not-a-directory";
    std::ofstream(file.string()) << "x";
    settings->clipFilePath = (file / "Z999C999.mov").string();
    unsigned int width = 0;
    unsigned int height = 0;
    EXPECT_FALSE(core.frameSize(width, height));
    EXPECT_EQ(core.failureKind(), Core::FailureKind::NoCorrectionData);
    EXPECT_NE(detailOf(core).find("Directories that could not be searched:\n\t\"" + file.string() +
                                  "\": Not a directory"),
              std::string::npos)
        << detailOf(core);
}

TEST_F(CoreEndToEnd, FailuresNameTheirKind) {
    settings->distortion = true;
    tree.addClip("day2", "B001C001", "# VLCF Version 3\nHEADER_START\n");
    struct Case {
        const char* what;
        std::function<void()> arrange;
        Core::FailureKind kind;
    };
    const std::vector<Case> cases{
        {"no correction file", [&] { settings->clipFilePath = tree.shoot().string() + "/Z.mov"; },
         Core::FailureKind::NoCorrectionData},
        {"a file of another clip",
         [&] {
             settings->clipFilePath.reset();
             settings->correctionFilePath = tree.correctionFile("day1", "A001C003").string();
             settings->clipFileName = "Z999C999.mov";
         },
         Core::FailureKind::NoCorrectionData},
        {"a file that cannot be parsed",
         [&] {
             settings->correctionFilePath = tree.correctionFile("day2", "B001C001").string();
             settings->clipFileName = "B001C001.mov";
         },
         Core::FailureKind::InvalidCorrectionData},
        {"no frame data",
         [&] {
             settings->correctionFilePath.reset();
             settings->clipFileName.reset();
             settings->clipFilePath = clipPath;
             settings->frameDataDelivered = false;
         },
         Core::FailureKind::Other},
    };
    unsigned int width = 0;
    unsigned int height = 0;
    for (const Case& failure : cases) {
        failure.arrange();
        EXPECT_FALSE(core.frameSize(width, height)) << failure.what;
        EXPECT_EQ(core.failureKind(), failure.kind) << failure.what << ": " << briefOf(core);
    }
    settings->frameDataDelivered = true;
    EXPECT_TRUE(core.frameSize(width, height)) << briefOf(core);
    EXPECT_EQ(core.failureKind(), Core::FailureKind::None);
}

namespace {

// The correction file text with another timecode rate and drop flag, and the
// records' own timecodes given in order.
std::string withTimecodes(std::string text, const std::string& rate, bool drop,
                          const std::vector<std::string>& timecodes) {
    const auto replace = [&text](const std::string& from, const std::string& to) {
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    };
    replace("tcFps:=25\ntcDrop:=0", "tcFps:=" + rate + "\ntcDrop:=" + (drop ? "1" : "0"));
    for (std::size_t number = 0; number < timecodes.size(); ++number) {
        replace((number < 10 ? ";10.00.00.0" : ";10.00.00.") + std::to_string(number) + "\n",
                ";" + timecodes[number] + "\n");
    }
    return text;
}

std::vector<FrameRecord> recordsNumbered(std::size_t count) {
    std::vector<FrameRecord> records;
    for (std::size_t index = 0; index < count; ++index) {
        records.push_back(frameRecord(static_cast<int>(index % 3)));
    }
    return records;
}

} // namespace

TEST_F(CoreEndToEnd, RecordsFollowDropFrameTimecodesAndCountOnPastMidnight) {
    settings->distortion = true;
    const std::vector<std::string> dropFrameLabels{"00:00:59:28", "00:00:59:29", "00:01:00:02",
                                                   "00:01:00:03", "00:01:00:04", "00:01:00:05"};
    std::vector<std::string> beforeMidnight;
    for (int frame = 20; frame < 25; ++frame) {
        beforeMidnight.push_back("23:59:59:" + std::to_string(frame));
    }
    for (int frame = 0; frame < 5; ++frame) {
        beforeMidnight.push_back("00:00:00:0" + std::to_string(frame));
    }
    struct Case {
        const char* stem;
        std::string rate;
        bool drop;
        std::vector<std::string> labels;
        const char* frameTimecode;
        int record; // -1: refused
        const char* brief;
    };
    const std::vector<Case> cases{
        {"D001C001", "29.97", true, dropFrameLabels, "00:01:00:02", 2, ""},
        {"D001C001", "29.97", true, dropFrameLabels, "00:01:00;04", 4, ""},
        // Without the drop flag every label counts, as always.
        {"D001C002", "29.97", false, dropFrameLabels, "00:01:00:02", 4, ""},
        {"D001C001", "29.97", true, dropFrameLabels, "00:01:00:00", -1,
         "Timecode object could not be constructed due to invalid format."},
        {"M001C001", "25", false, beforeMidnight, "00:00:00:02", 7, ""},
        {"M001C001", "25", false, beforeMidnight, "23:59:59:10", -1,
         "Metadata for the frame is not available."},
    };
    for (const Case& c : cases) {
        settings->clipFilePath =
            tree.addClip("tc", c.stem,
                         withTimecodes(correctionFileText(c.stem, recordsNumbered(c.labels.size())),
                                       c.rate, c.drop, c.labels));
        std::strcpy(settings->frameData.timecode, c.frameTimecode);
        Core::CorrectionInUse inUse;
        const bool found = core.correctionInUse(inUse);
        unsigned int width = 0;
        unsigned int height = 0;
        EXPECT_EQ(core.frameSize(width, height), found) << c.stem << " " << c.frameTimecode;
        if (c.record < 0) {
            EXPECT_FALSE(found) << c.stem << " " << c.frameTimecode << " got " << inUse.record;
            EXPECT_EQ(briefOf(core), c.brief);
            continue;
        }
        ASSERT_TRUE(found) << c.stem << " " << c.frameTimecode << ": " << briefOf(core);
        EXPECT_EQ(inUse.record, static_cast<unsigned int>(c.record)) << c.frameTimecode;
        EXPECT_EQ(inUse.recordTimecode, c.labels[static_cast<std::size_t>(c.record)]);
        Core::CorrectionInUse applied;
        ASSERT_TRUE(core.appliedCorrection(applied));
        EXPECT_EQ(applied.record, inUse.record);
        EXPECT_EQ(applied.correctionFile, tree.correctionFile("tc", c.stem).string());
    }
}

TEST_F(CoreEndToEnd, AChangedCorrectionFileIsReadAgainAndADeletedOneIsNamed) {
    settings->distortion = true;
    const fs::path file = tree.correctionFile("day1", "A001C003");
    PixelFrames::expectMatch(ExpectedCorrection(frames[0], openGateRadius).undistorted(input),
                             render(&input), imageTolerance);
    Core::CorrectionInUse before;
    ASSERT_TRUE(core.appliedCorrection(before));
    EXPECT_EQ(before.correctionFile, file.string());
    EXPECT_EQ(before.fileSize, fs::file_size(file));

    // Rewritten in place, then replaced by a new file: each time the new
    // records are rendered, by this core and by a new one.
    const std::vector<FrameRecord> stronger = threeFrames(3.0F);
    const std::vector<FrameRecord> strongest = threeFrames(4.0F);
    std::ofstream(file.string()) << correctionFileText("A001C003", stronger) << "\n";
    PixelFrames::expectMatch(ExpectedCorrection(stronger[0], openGateRadius).undistorted(input),
                             render(&input), imageTolerance);
    const fs::path replacement = file.string() + ".new";
    std::ofstream(replacement.string()) << correctionFileText("A001C003", strongest);
    fs::rename(replacement, file);
    Core::Core fresh{std::make_unique<TestDataSource>(settings)};
    for (Core::Core* each : {&core, &fresh}) {
        Frame output(frameWidth, frameHeight);
        ASSERT_TRUE(each->render(input.values.data(), output.values.data(), output.bytes()))
            << briefOf(*each);
        PixelFrames::expectMatch(
            ExpectedCorrection(strongest[0], openGateRadius).undistorted(input), output,
            imageTolerance);
    }
    Core::CorrectionInUse after;
    ASSERT_TRUE(core.appliedCorrection(after));
    EXPECT_NE(after.inode, before.inode);

    fs::remove(file);
    Frame output(frameWidth, frameHeight);
    EXPECT_FALSE(core.render(input.values.data(), output.values.data(), output.bytes()));
    EXPECT_NE(briefOf(core).find("The correction file was deleted or moved after it was read."),
              std::string::npos)
        << briefOf(core);
    EXPECT_NE(detailOf(core).find("Correction File Path: \"" + file.string() + "\""),
              std::string::npos)
        << detailOf(core);
}

TEST_F(CoreEndToEnd, ReloadFindsAFileDeliveredCloserToTheClip) {
    settings->shading = true;
    Core::CorrectionInUse inUse;
    ASSERT_TRUE(core.correctionInUse(inUse)) << briefOf(core);
    EXPECT_EQ(inUse.correctionFile, tree.correctionFile("day1", "A001C003").string());

    const fs::path beside = tree.shoot() / "day1" / "A001C003.vlcf";
    std::ofstream(beside.string()) << correctionFileText("A001C003", threeFrames(2.0F));
    ASSERT_TRUE(core.correctionInUse(inUse));
    EXPECT_EQ(inUse.correctionFile, tree.correctionFile("day1", "A001C003").string())
        << "the found file stays until a reload";
    ASSERT_TRUE(core.reloadCorrectionData()) << briefOf(core);
    ASSERT_TRUE(core.correctionInUse(inUse));
    EXPECT_EQ(inUse.correctionFile, beside.string());
}

TEST_F(CoreEndToEnd, DataThatCannotBeFittedIsRefusedNotRenderedBlack) {
    FrameRecord repeated;
    repeated.heights = {0, 2.5F, 2.5F, 7.5F, 10, 12.5F, 15};
    settings->clipFilePath =
        tree.addClip("day3", "R001C001", correctionFileText("R001C001", {repeated}));
    for (const bool distortion : {false, true}) {
        settings->shading = !distortion;
        settings->distortion = distortion;
        Frame output(frameWidth, frameHeight);
        EXPECT_FALSE(core.render(input.values.data(), output.values.data(), output.bytes()));
        EXPECT_EQ(briefOf(core), "Calculation of the polynomial coefficients did fail.");
        EXPECT_NE(detailOf(core).find("X Vector: 0 2.5 2.5 7.5 10 12.5 15\nY Vector:"),
                  std::string::npos)
            << detailOf(core);
        EXPECT_EQ(core.failureKind(), Core::FailureKind::InvalidCorrectionData);
    }
}

TEST_F(CoreEndToEnd, EmbeddedDataIsNamedAsSuch) {
    settings->shading = true;
    std::ifstream json(std::string(VELOR_TEST_DATA_DIR) + "/json/valid.json");
    settings->frameMetadata = std::string(std::istreambuf_iterator<char>(json), {});
    Core::CorrectionInUse inUse;
    ASSERT_TRUE(core.correctionInUse(inUse)) << briefOf(core);
    EXPECT_EQ(inUse.correctionFile, "embedded");
    EXPECT_EQ(inUse.record, 0U);
    EXPECT_EQ(inUse.recordTimecode, "");
    EXPECT_EQ(inUse.inode, 0U);
}
