// Makes a plate sequence as a lens with known barrel distortion and shading
// would record a test chart, and the correction file that describes the lens
// for every frame:
//
//   velor-sample-plate DIRECTORY [--width 2048] [--height 1080] [--frames 5]
//                      [--first 1001] [--name plate] [--ideal]
//
// writes DIRECTORY/NAME.####.exr (half float, with SMPTE timecodes from
// 01:00:00:00 at 24 fps) and DIRECTORY/NAME.vlcf; with --ideal also the
// undistorted, unshaded chart as DIRECTORY/ideal/NAME.####.exr.
//
// The lens is modelled independently of the correction code: a point that
// the sensor records at height h (millimetres from the centre) lies, in the
// ideal picture, at u(h) = h (1 + k (h / R)^2), with R the half diagonal of the
// sensor area; the relative illumination there is
// 100 (1 - a (h / R)^2 + 0.3 a^2 (h / R)^4) percent. k and a change from
// frame to frame, as they would while focusing. Both are polynomials of
// degree below seven, so the correction's fit through seven points
// reproduces them.

#include <OpenImageIO/imagebuf.h>
#include <OpenImageIO/imagebufalgo_util.h>
#include <OpenImageIO/strutil.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr float sensorWidth = 24.0F;
constexpr int framesPerSecond = 24;
constexpr int supersampling = 3;

struct Settings {
    std::string directory;
    int width = 2048;
    int height = 1080;
    int frames = 5;
    int first = 1001;
    std::string name = "plate";
    bool ideal = false;
};

// The lens of one frame.
struct Lens {
    float sensorRadius = 0.0F;
    float distortion = 0.0F; // k
    float shading = 0.0F;    // a

    float idealHeight(float h) const {
        const float q = h / sensorRadius;
        return h * (1.0F + distortion * q * q);
    }
    float illumination(float h) const {
        const float q2 = (h / sensorRadius) * (h / sensorRadius);
        return 100.0F * (1.0F - shading * q2 + 0.3F * shading * shading * q2 * q2);
    }
};

Lens lensOfFrame(int index, int count, float sensorRadius) {
    const float t = count > 1 ? static_cast<float>(index) / static_cast<float>(count - 1) : 0.0F;
    return {sensorRadius, 0.04F + 0.03F * t, 0.35F + 0.15F * t};
}

float smoothLine(float distance, float width) {
    return std::exp(-(distance * distance) / (width * width));
}

// The chart at a point of the ideal picture, in pixels of a width x height
// frame: colour ramps, a checkerboard, a fine and a coarse grid, two
// diagonals and a circle, all with soft edges so that they resample well.
std::array<float, 3> chart(float x, float y, float width, float height) {
    const float u = x / width;
    const float v = y / height;
    std::array<float, 3> colour{0.12F + 0.55F * u, 0.12F + 0.55F * v, 0.55F - 0.35F * u};
    // A checkerboard with edges a few pixels wide.
    const float pi = 3.14159265F;
    const float cell = height / 8.0F;
    const float checker = std::tanh(3.0F * std::sin(pi * x / cell) * std::sin(pi * y / cell));
    for (float& c : colour) {
        c *= 0.9F + 0.1F * checker;
    }
    const float lineWidth = std::max(3.0F, height / 300.0F);
    const auto gridDistance = [](float p, float spacing) {
        const float m = std::fmod(std::fabs(p), spacing);
        return std::min(m, spacing - m);
    };
    const float cx = width / 2.0F;
    const float cy = height / 2.0F;
    float line = 0.0F;
    const float fineSpacing = std::max(height / 32.0F, 16.0F);
    line = std::max(line, 0.6F * smoothLine(gridDistance(x - cx, fineSpacing), lineWidth));
    line = std::max(line, 0.6F * smoothLine(gridDistance(y - cy, fineSpacing), lineWidth));
    line = std::max(line, smoothLine(gridDistance(x - cx, height / 8.0F), 1.5F * lineWidth));
    line = std::max(line, smoothLine(gridDistance(y - cy, height / 8.0F), 1.5F * lineWidth));
    const float diagonal = std::sqrt(width * width + height * height);
    line = std::max(line, smoothLine(std::fabs((x - cx) * height - (y - cy) * width) / diagonal,
                                     1.5F * lineWidth));
    line = std::max(line, smoothLine(std::fabs((x - cx) * height + (y - cy) * width) / diagonal,
                                     1.5F * lineWidth));
    const float radius = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
    line = std::max(line, smoothLine(radius - 0.45F * height, 1.5F * lineWidth));
    for (float& c : colour) {
        c = c * (1.0F - line) + 0.95F * line;
    }
    return colour;
}

// Renders one frame; with `lens` null the ideal chart.
OIIO::ImageBuf renderFrame(const Settings& settings, const Lens* lens, unsigned int timecode) {
    // Rendered in float, written as half.
    OIIO::ImageSpec imageSpec(settings.width, settings.height, 4, OIIO::TypeFloat);
    imageSpec.channelnames = {"R", "G", "B", "A"};
    imageSpec.alpha_channel = 3;
    imageSpec.attribute("compression", "zip");
    const std::array<unsigned int, 2> smpte{timecode, 0};
    imageSpec.attribute("smpte:TimeCode", OIIO::TypeTimeCode, smpte.data());
    const std::array<int, 2> rate{framesPerSecond, 1};
    imageSpec.attribute("FramesPerSecond", OIIO::TypeRational, rate.data());
    OIIO::ImageBuf frame(imageSpec);

    const float width = static_cast<float>(settings.width);
    const float height = static_cast<float>(settings.height);
    const float cx = width / 2.0F - 0.5F;
    const float cy = height / 2.0F - 0.5F;
    const float halfDiagonal = std::sqrt(width * width + height * height) / 2.0F;
    OIIO::ImageBufAlgo::parallel_image(frame.roi(), [&](OIIO::ROI roi) {
        for (OIIO::ImageBuf::Iterator<float> pixel(frame, roi); !pixel.done(); ++pixel) {
            std::array<float, 3> sum{};
            float shadingSum = 0.0F;
            for (int sy = 0; sy < supersampling; ++sy) {
                for (int sx = 0; sx < supersampling; ++sx) {
                    const float x = static_cast<float>(pixel.x()) - 0.5F +
                                    (static_cast<float>(sx) + 0.5F) / supersampling;
                    const float y = static_cast<float>(pixel.y()) - 0.5F +
                                    (static_cast<float>(sy) + 0.5F) / supersampling;
                    float idealX = x;
                    float idealY = y;
                    float illumination = 100.0F;
                    if (lens != nullptr) {
                        const float pixels = std::hypot(x - cx, y - cy);
                        const float h = pixels / halfDiagonal * lens->sensorRadius;
                        const float scale = h > 0.0F ? lens->idealHeight(h) / h : 1.0F;
                        idealX = cx + (x - cx) * scale;
                        idealY = cy + (y - cy) * scale;
                        illumination = lens->illumination(h);
                    }
                    const auto colour = chart(idealX + 0.5F, idealY + 0.5F, width, height);
                    for (std::size_t c = 0; c < 3; ++c) {
                        sum[c] += colour[c] * illumination / 100.0F;
                    }
                    shadingSum += illumination;
                }
            }
            const float samples = supersampling * supersampling;
            for (int c = 0; c < 3; ++c) {
                pixel[c] = sum[static_cast<std::size_t>(c)] / samples;
            }
            pixel[3] = 1.0F;
        }
    });
    return frame;
}

// SMPTE timecode in binary-coded decimal, as EXR headers store it.
unsigned int smpteTimecode(int frameIndex) {
    const int frames = frameIndex % framesPerSecond;
    const int seconds = frameIndex / framesPerSecond % 60;
    const int minutes = frameIndex / framesPerSecond / 60 % 60;
    const int hours = 1 + frameIndex / framesPerSecond / 3600;
    const auto bcd = [](int value) {
        return static_cast<unsigned int>(value / 10 * 16 + value % 10);
    };
    return bcd(hours) << 24U | bcd(minutes) << 16U | bcd(seconds) << 8U | bcd(frames);
}

std::string timecodeText(int frameIndex) {
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "%02d:%02d:%02d:%02d",
                  1 + frameIndex / framesPerSecond / 3600, frameIndex / framesPerSecond / 60 % 60,
                  frameIndex / framesPerSecond % 60, frameIndex % framesPerSecond);
    return text.data();
}

std::string joined(const std::vector<float>& values) {
    std::ostringstream text;
    text.precision(7);
    for (std::size_t i = 0; i < values.size(); ++i) {
        text << (i == 0 ? "" : ",") << values[i];
    }
    return text.str();
}

void writeCorrectionFile(const Settings& settings, float sensorRadius) {
    std::ofstream file(settings.directory + "/" + settings.name + ".vlcf", std::ios::binary);
    file << "# VLCF Version 3\n"
         << "HEADER_START\n"
         << "lensManufacturer:=Velor Optics\nlensTypeName:=Sample Zoom 25-50\n"
         << "lensSerialNumber:=SAMPLE-0001\nlensMinFocalLength:=25\nlensMaxFocalLength:=50\n"
         << "cameraManufacturer:=Sample\ncameraModel:=Chart Camera\n"
         << "sensorWidth:=" << sensorWidth << "\n"
         << "clipName:=" << settings.name << "\nvideoFileName:=" << settings.name << "\n"
         << "clipDurationFrames:=" << settings.frames << "\n"
         << "clipWidth:=" << settings.width << "\nclipHeight:=" << settings.height << "\n"
         << "tcFps:=" << framesPerSecond << "\ntcDrop:=0\n"
         << "enableLensShadingCorrection:=1\nshadingGamma:=1\n"
         << "enableLensDistortionCorrection:=1\ndistortionZoom:=1\n"
         << "HEADER_END\n"
         << "frame;heights;shading;radialDistortion;focalLength;focusDistance;iris;zoom;"
            "reserved;timecode\n";
    for (int index = 0; index < settings.frames; ++index) {
        const Lens lens = lensOfFrame(index, settings.frames, sensorRadius);
        std::vector<float> heights;
        std::vector<float> shading;
        std::vector<float> distortion;
        for (int i = 0; i < 7; ++i) {
            // Up to a little beyond the corner, so that no fit extrapolates.
            const float h = sensorRadius * 1.1F * static_cast<float>(i) / 6.0F;
            heights.push_back(h);
            shading.push_back(lens.illumination(h));
            distortion.push_back(h > 0.0F ? (1.0F - lens.idealHeight(h) / h) * 1000.0F : 0.0F);
        }
        file << index << ";" << joined(heights) << ";" << joined(shading) << ";"
             << joined(distortion) << ";35;2.5;2.8;;;" << timecodeText(index) << "\n";
    }
}

bool parse(int argc, char** argv, Settings& settings) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--ideal") {
            settings.ideal = true;
        } else if (argument == "--name" && hasValue) {
            settings.name = argv[++i];
        } else if ((argument == "--width" || argument == "--height" || argument == "--frames" ||
                    argument == "--first") &&
                   hasValue && OIIO::Strutil::string_is<int>(argv[i + 1])) {
            const int value = OIIO::Strutil::from_string<int>(argv[++i]);
            (argument == "--width"    ? settings.width
             : argument == "--height" ? settings.height
             : argument == "--frames" ? settings.frames
                                      : settings.first) = value;
        } else if (settings.directory.empty() && argument[0] != '-') {
            settings.directory = argument;
        } else {
            return false;
        }
    }
    return !settings.directory.empty() && settings.width >= 8 && settings.height >= 8 &&
           settings.frames >= 1 && settings.frames <= 1000 && settings.first >= 0;
}

} // namespace

int main(int argc, char** argv) {
    Settings settings;
    if (!parse(argc, argv, settings)) {
        std::cerr << "Usage: velor-sample-plate DIRECTORY [--width 2048] [--height 1080] "
                     "[--frames 5] [--first 1001] [--name plate] [--ideal]\n";
        return 2;
    }
    const float sensorHeight =
        sensorWidth * static_cast<float>(settings.height) / static_cast<float>(settings.width);
    const float sensorRadius =
        std::sqrt(0.25F * sensorWidth * sensorWidth + 0.25F * sensorHeight * sensorHeight);
    std::error_code created;
    std::filesystem::create_directories(
        settings.ideal ? settings.directory + "/ideal" : settings.directory, created);
    if (created) {
        std::cerr << "velor-sample-plate: cannot create " << settings.directory << ": "
                  << created.message() << "\n";
        return 1;
    }
    for (int index = 0; index < settings.frames; ++index) {
        const Lens lens = lensOfFrame(index, settings.frames, sensorRadius);
        std::array<char, 32> number{};
        std::snprintf(number.data(), number.size(), ".%04d.exr", settings.first + index);
        const std::string fileName = settings.name + number.data();
        if (!renderFrame(settings, &lens, smpteTimecode(index))
                 .write(settings.directory + "/" + fileName, OIIO::TypeHalf)) {
            std::cerr << "velor-sample-plate: cannot write " << fileName << " in "
                      << settings.directory << "\n";
            return 1;
        }
        if (settings.ideal &&
            !renderFrame(settings, nullptr, smpteTimecode(index))
                 .write(settings.directory + "/ideal/" + fileName, OIIO::TypeHalf)) {
            std::cerr << "velor-sample-plate: cannot write the ideal chart in "
                      << settings.directory << "\n";
            return 1;
        }
    }
    writeCorrectionFile(settings, sensorRadius);
    std::cout << settings.directory << "/" << settings.name << ".####.exr: " << settings.frames
              << " frames of " << settings.width << "x" << settings.height << ", correction file "
              << settings.directory << "/" << settings.name << ".vlcf\n";
    return 0;
}
