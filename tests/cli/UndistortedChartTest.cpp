// Undistortion against a chart drawn from the correction file's definition of
// distortion alone: a point that the sensor records at height h (millimetres
// from the centre) with radial distortion d (per mille) belongs, in the
// undistorted picture, at height h (1 - d / 1000). Dots recorded at the file's
// own heights must come out at those heights, on their rays.
#include "../core/CoreTestSupport.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <OpenImageIO/imagebuf.h>

#include <cmath>
#include <vector>

namespace {

constexpr int plateWidth = 600; // the 4448 x 3096 aspect ratio to within a line
constexpr int plateHeight = 418;
constexpr float dotSigma = 1.2F;

// Half the image area's diagonal of the correction file's recording format
// (ALEXA Mini LF open gate, 36.7 mm wide), and its image in pixels: the
// plate's half diagonal.
const double sensorRadius = std::hypot(36.7, 3096.0 / 4448.0 * 36.7) / 2.0;
const double pixelsPerMillimetre = std::hypot(plateWidth, plateHeight) / 2.0 / sensorRadius;
const double centreX = plateWidth / 2.0 - 0.5;
const double centreY = plateHeight / 2.0 - 0.5;

struct Dot {
    double heightMm;
    double undistortedHeightMm;
    double angle;
};

OIIO::ImageBuf chart(const std::vector<Dot>& dots) {
    OIIO::ImageBuf plate(OIIO::ImageSpec(plateWidth, plateHeight, 4, OIIO::TypeDesc::FLOAT));
    for (int y = 0; y < plateHeight; ++y) {
        for (int x = 0; x < plateWidth; ++x) {
            float value = 0.0F;
            for (const Dot& dot : dots) {
                const double r = dot.heightMm * pixelsPerMillimetre;
                const double dx = x - (centreX + r * std::cos(dot.angle));
                const double dy = y - (centreY + r * std::sin(dot.angle));
                value += static_cast<float>(
                    std::exp(-(dx * dx + dy * dy) / (2.0 * dotSigma * dotSigma)));
            }
            const float pixel[4] = {value, value, value, 1.0F};
            plate.setpixel(x, y, pixel);
        }
    }
    return plate;
}

// The centroid of the red channel within `radius` pixels of (x, y), in the
// coordinates of the format.
std::pair<double, double> centroid(const OIIO::ImageBuf& image, double x, double y, int radius) {
    double sum = 0.0;
    double sumX = 0.0;
    double sumY = 0.0;
    for (int py = static_cast<int>(y) - radius; py <= static_cast<int>(y) + radius; ++py) {
        for (int px = static_cast<int>(x) - radius; px <= static_cast<int>(x) + radius; ++px) {
            const double value = image.getchannel(px, py, 0, 0);
            sum += value;
            sumX += value * px;
            sumY += value * py;
        }
    }
    return {sumX / sum, sumY / sum};
}

TEST(UndistortedChart, DotsLandWhereTheFilesDefinitionOfDistortionPutsThem) {
    CoreTestSupport::FrameRecord lens;
    lens.radialDistortion = {0, -3, -12, -27, -48, -75, -100}; // strong barrel distortion
    std::vector<Dot> dots;
    const double diagonal = std::atan2(plateHeight, plateWidth);
    for (const double angle : {diagonal, M_PI - diagonal, M_PI + diagonal, -diagonal}) {
        for (std::size_t i = 1; i + 1 < lens.heights.size(); ++i) {
            const double h = lens.heights[i];
            dots.push_back({h, h * (1.0 - lens.radialDistortion[i] / 1000.0), angle});
        }
    }

    const TemporaryDirectory scratch;
    const std::string file = scratch / "A001C003.vlcf";
    std::ofstream(file) << CoreTestSupport::correctionFileText("A001C003", {lens, lens, lens});
    ASSERT_TRUE(chart(dots).write(scratch / "chart.exr"));
    const ToolRun run =
        runProgram(VELOR_CLI_PATH,
                   {"undistort", scratch / "chart.exr", scratch / "out.exr", "--correction-file",
                    file, "--clip", scratch / "A001C003.mov", "--quiet"},
                   scratch);
    ASSERT_EQ(run.status, 0) << run.errors;

    const OIIO::ImageBuf undistorted = readImage(scratch / "out.exr");
    ASSERT_LT(undistorted.xbegin(), 0) << "barrel distortion removed grows the frame";
    // The grown frame is a whole number of pixels, which scales the picture by
    // up to about one pixel in the frame's width: a third of a pixel at the
    // outermost dot. A wrong rule moves the outer dots by many pixels.
    constexpr double tolerance = 0.5;
    for (const Dot& dot : dots) {
        const double r = dot.undistortedHeightMm * pixelsPerMillimetre;
        const double x = centreX + r * std::cos(dot.angle);
        const double y = centreY + r * std::sin(dot.angle);
        const auto found = centroid(undistorted, x, y, 5);
        EXPECT_NEAR(found.first, x, tolerance) << "dot at " << dot.heightMm << " mm";
        EXPECT_NEAR(found.second, y, tolerance) << "dot at " << dot.heightMm << " mm";
    }
}

} // namespace
