#include "python/ArrayCorrector.h"

#include "core/RequestDataSource.h"
#include "foundation/InvalidTimecodeException.h"
#include "foundation/Timecode.h"
#include "host_rules/ChannelGroups.h"
#include "host_rules/CoreErrorDescription.h"
#include "host_rules/FrameGeometry.h"
#include "host_rules/FrameSizeLimit.h"
#include "host_rules/ManualRecordingFormat.h"
#include "host_rules/ReadMetadataRules.h"
#include "host_rules/StMapValues.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

namespace {

void checkPlacement(const PixelView& pixels, const PixelPlacement& placement) {
    constexpr std::int64_t largestSide = std::numeric_limits<std::int32_t>::max();
    if (pixels.height <= 0 || pixels.width <= 0 || pixels.channels <= 0) {
        throw ArgumentFailure("The pixels need at least one row, one column and one channel.");
    }
    if (placement.formatWidth <= 0 || placement.formatHeight <= 0 ||
        placement.formatWidth > largestSide || placement.formatHeight > largestSide) {
        throw ArgumentFailure("The format needs a width and height above 0.");
    }
    // Compared without std::abs, which has no result for the most negative value.
    const auto beyond = [](std::int64_t value) {
        return value < -largestSide || value > largestSide;
    };
    if (beyond(placement.originX) || beyond(placement.originY) || pixels.width > largestSide ||
        pixels.height > largestSide) {
        throw ArgumentFailure("The pixels lie too far from the format.");
    }
    if (!placement.channelNames.empty() &&
        static_cast<std::int64_t>(placement.channelNames.size()) != pixels.channels) {
        throw ArgumentFailure("channels= needs one name for each channel of the pixels.",
                              "Names: " + std::to_string(placement.channelNames.size()) +
                                  "\nChannels: " + std::to_string(pixels.channels));
    }
    if (placement.alphaChannel < -1 || placement.alphaChannel >= pixels.channels) {
        throw ArgumentFailure("The alpha channel must be one of the pixels' channels, or -1.",
                              "Alpha Channel: " + std::to_string(placement.alphaChannel) +
                                  "\nChannels: " + std::to_string(pixels.channels));
    }
}

// The box the corrected frame covers, relative to the format's top-left corner.
struct Box {
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;

    std::size_t pixelCount() const {
        return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    }
};

Box boxOf(const FrameGeometry& geometry) {
    return {-geometry.marginX(), -geometry.marginY(), geometry.boxWidth(), geometry.boxHeight()};
}

// A channel group's pixels over the box as packed RGBA floats, black outside the pixels.
void readChannelGroup(const PixelView& pixels, const PixelPlacement& placement,
                      const ChannelGroups::Group& group, const Box& box, float* rgba) {
    std::fill(rgba, rgba + box.pixelCount() * 4, 0.0F);
    for (std::int64_t row = 0; row < box.height; ++row) {
        const std::int64_t y = box.y + row - placement.originY;
        if (y < 0 || y >= pixels.height) {
            continue;
        }
        const std::int64_t firstColumn = std::max<std::int64_t>(0, placement.originX - box.x);
        const std::int64_t endColumn =
            std::min<std::int64_t>(box.width, placement.originX + pixels.width - box.x);
        for (std::int64_t column = firstColumn; column < endColumn; ++column) {
            const std::int64_t x = box.x + column - placement.originX;
            float* out = rgba + (row * box.width + column) * 4;
            for (std::size_t place = 0; place < group.size(); ++place) {
                if (group[place] >= 0) {
                    out[place] = pixels.at(y, x, group[place]);
                }
            }
        }
    }
}

void writeChannelGroup(const float* rgba, const ChannelGroups::Group& group,
                       CorrectedImage& image) {
    const std::size_t count = static_cast<std::size_t>(image.width * image.height);
    const std::size_t channels = static_cast<std::size_t>(image.channels);
    for (std::size_t place = 0; place < group.size(); ++place) {
        if (group[place] < 0) {
            continue;
        }
        const std::size_t channel = static_cast<std::size_t>(group[place]);
        for (std::size_t pixel = 0; pixel < count; ++pixel) {
            image.pixels[pixel * channels + channel] = rgba[pixel * 4 + place];
        }
    }
}

// The channels that shading multiplies: those named as colour, or by their
// count Y, RGB and RGBA's colour.
std::vector<int> colourChannels(const PixelView& pixels, const PixelPlacement& placement) {
    std::vector<int> colour;
    if (!placement.channelNames.empty()) {
        for (std::size_t channel = 0; channel < placement.channelNames.size(); ++channel) {
            if (ChannelGroups::isColourChannel(placement.channelNames[channel])) {
                colour.push_back(static_cast<int>(channel));
            }
        }
        return colour;
    }
    if (pixels.channels != 1 && pixels.channels != 3 && pixels.channels != 4) {
        throw ArgumentFailure("Shading multiplies colour channels only; name the channels with "
                              "channels=, for example [\"R\", \"G\", \"B\", \"A\", "
                              "\"depth.Z\"].",
                              "Channels: " + std::to_string(pixels.channels));
    }
    for (int channel = 0; channel < std::min<int>(3, static_cast<int>(pixels.channels));
         ++channel) {
        colour.push_back(channel);
    }
    return colour;
}

// Every channel of the pixels over the box into the image, black outside the pixels.
void copyAllChannels(const PixelView& pixels, const PixelPlacement& placement, const Box& box,
                     CorrectedImage& image) {
    const std::size_t channels = static_cast<std::size_t>(image.channels);
    for (std::int64_t row = 0; row < box.height; ++row) {
        const std::int64_t y = box.y + row - placement.originY;
        if (y < 0 || y >= pixels.height) {
            continue;
        }
        for (std::int64_t column = 0; column < box.width; ++column) {
            const std::int64_t x = box.x + column - placement.originX;
            if (x < 0 || x >= pixels.width) {
                continue;
            }
            float* out =
                image.pixels.data() + static_cast<std::size_t>(row * box.width + column) * channels;
            for (std::size_t channel = 0; channel < channels; ++channel) {
                out[channel] = pixels.at(y, x, static_cast<std::int64_t>(channel));
            }
        }
    }
}

bool isShading(Operation operation) {
    return operation == Operation::RemoveShading || operation == Operation::AddShading;
}

CorrectedImage emptyImage(const Box& box, std::int64_t channels) {
    CorrectedImage image;
    image.width = box.width;
    image.height = box.height;
    image.channels = channels;
    image.originX = box.x;
    image.originY = box.y;
    image.pixels.assign(box.pixelCount() * static_cast<std::size_t>(channels), 0.0F);
    return image;
}

} // namespace

float PixelView::at(std::int64_t y, std::int64_t x, std::int64_t channel) const {
    float value = 0.0F;
    std::memcpy(&value, data + y * rowStride + x * pixelStride + channel * channelStride,
                sizeof value);
    return value;
}

ArrayCorrector::ArrayCorrector(const CorrectorSettings& settings)
    : settings_(settings), core_(std::make_unique<Core::RequestDataSource>(request_)) {
    request_.clipFilePath = settings.clipFilePath;
    request_.correctionFilePath = settings.correctionFilePath;
    request_.recordingFormat = settings.recordingFormat;
    request_.frameDataKnown = true;
}

CorrectedImage ArrayCorrector::correct(Operation operation, bool reverseMap,
                                       const PixelView& pixels, const PixelPlacement& placement,
                                       const FrameChoice& frame) {
    checkPlacement(pixels, placement);
    const std::vector<int> colour =
        isShading(operation) ? colourChannels(pixels, placement) : std::vector<int>();
    if (!ReadMetadataRules::timecodeFitsFrameData(frame.timecode)) {
        throw ArgumentFailure("The timecode is too long; write it HH:MM:SS:FF.",
                              "Timecode: \"" + frame.timecode + "\"");
    }
    if (!frame.timecode.empty()) {
        try {
            Timecode::Timecode(frame.timecode.c_str(), 0.0F);
        } catch (const Timecode::InvalidTimecodeException& error) {
            throw ArgumentFailure(error.what(), "Timecode: \"" + frame.timecode + "\"");
        }
    }

    const std::lock_guard<std::mutex> lock(mutex_);
    request_.ask(operation, reverseMap);

    const FrameGeometry geometry = FrameGeometry::ofDataWindow(
        0, 0, placement.formatWidth, placement.formatHeight, placement.originX, placement.originY,
        pixels.width, pixels.height);
    FrameSizeLimit::check(geometry.boxWidth(), geometry.boxHeight());

    request_.frameMetadata = frame.frameMetadata;
    request_.frameData = Core::FrameData();
    request_.frameData.frameNumber = frame.number;
    std::memcpy(request_.frameData.timecode, frame.timecode.c_str(), frame.timecode.size() + 1);
    request_.frameData.width = static_cast<std::uint32_t>(geometry.boxWidth());
    request_.frameData.height = static_cast<std::uint32_t>(geometry.boxHeight());
    request_.frameData.overscan = settings_.overscanInFormat
                                      ? geometry.overscanOfFormat(settings_.overscan)
                                      : geometry.overscanOfBoundingBox();

    unsigned int width = 0;
    unsigned int height = 0;
    if (!core_.frameSize(width, height)) {
        throwCoreError();
    }
    const FrameGeometry grown = geometry.grownTo(width, height);
    FrameSizeLimit::check(grown.boxWidth(), grown.boxHeight());
    request_.frameData.width = static_cast<std::uint32_t>(grown.boxWidth());
    request_.frameData.height = static_cast<std::uint32_t>(grown.boxHeight());
    const Box box = boxOf(grown);

    if (operation == Operation::StMap) {
        Core::DistortionMapping mapping;
        if (!core_.distortionMapping(mapping)) {
            throwCoreError();
        }
        if (mapping.width != box.width || mapping.height != box.height) {
            throw CorrectionFailure(Core::FailureKind::Other,
                                    "The distortion mapping does not fit the corrected frame.", "");
        }
        CorrectedImage map = emptyImage(box, 4);
        map.correction = appliedCorrection();
        float* rgba = map.pixels.data();
        for (std::int64_t y = 0; y < box.height; ++y) {
            for (std::int64_t x = 0; x < box.width; ++x, rgba += 4) {
                StMapValues::at(mapping, static_cast<std::uint32_t>(placement.formatWidth),
                                static_cast<std::uint32_t>(placement.formatHeight),
                                static_cast<std::uint32_t>(grown.marginX()),
                                static_cast<std::uint32_t>(grown.marginY()), x, y, rgba);
            }
        }
        return map;
    }
    if (operation == Operation::ShadingMap) {
        CorrectedImage map = emptyImage(box, 4);
        if (!core_.render(nullptr, map.pixels.data(), map.pixels.size() * sizeof(float))) {
            throwCoreError();
        }
        map.correction = appliedCorrection();
        return map;
    }

    CorrectedImage result = emptyImage(box, pixels.channels);
    std::vector<ChannelGroups::Group> groups;
    if (isShading(operation)) {
        // Shading multiplies colour; every other channel is copied as it is.
        copyAllChannels(pixels, placement, box, result);
        groups = ChannelGroups::ofColourChannels(colour);
    } else {
        groups = ChannelGroups::of(static_cast<int>(pixels.channels), placement.alphaChannel);
    }
    const std::size_t floatCount = box.pixelCount() * 4;
    std::vector<float> source(floatCount);
    std::vector<float> corrected(floatCount);
    for (const ChannelGroups::Group& group : groups) {
        readChannelGroup(pixels, placement, group, box, source.data());
        if (!core_.render(source.data(), corrected.data(), floatCount * sizeof(float))) {
            throwCoreError();
        }
        writeChannelGroup(corrected.data(), group, result);
    }
    result.correction = appliedCorrection();
    return result;
}

Core::CorrectionInUse ArrayCorrector::appliedCorrection() const {
    Core::CorrectionInUse correction;
    if (!core_.appliedCorrection(correction)) {
        throw CorrectionFailure(Core::FailureKind::Other,
                                "The image was corrected, but the correction data it used cannot "
                                "be named.",
                                "");
    }
    return correction;
}

void ArrayCorrector::throwCoreError() const {
    std::string brief;
    if (!CoreErrorDescription::brief(core_, brief)) {
        throw CorrectionFailure(core_.failureKind(),
                                "The frame could not be corrected, and the reason could not be "
                                "read.",
                                "");
    }
    const std::string detail = CoreErrorDescription::detailLines(core_);
    throw CorrectionFailure(core_.failureKind(), brief, detail);
}

RecordingFormatDatabase::RecordingFormat manualRecordingFormat(double areaWidth, double areaHeight,
                                                               std::int64_t clipWidth,
                                                               std::int64_t clipHeight) {
    const auto size = [](double value) {
        return std::isfinite(value) && value >= 0.0 && value <= 1.0e6;
    };
    if (!size(areaWidth) || !size(areaHeight)) {
        throw ArgumentFailure("image_area needs millimetres of 0 or more.");
    }
    constexpr std::int64_t largestCount = std::numeric_limits<std::int32_t>::max();
    if (clipWidth <= 0 || clipHeight <= 0 || clipWidth > largestCount ||
        clipHeight > largestCount) {
        throw ArgumentFailure("clip_resolution needs a width and height above 0.");
    }
    RecordingFormatDatabase::RecordingFormat format;
    format.sensorWidth = static_cast<float>(areaWidth);
    format.sensorHeight = static_cast<float>(areaHeight);
    format.pixelWidth = static_cast<std::uint32_t>(clipWidth);
    format.pixelHeight = static_cast<std::uint32_t>(clipHeight);
    const double diameter = ManualRecordingFormat::imageDiameter(
        format.sensorWidth, format.sensorHeight, format.pixelWidth, format.pixelHeight);
    if (diameter == 0.0) {
        throw ArgumentFailure("image_area needs a width or a height above 0 millimetres.");
    }
    format.sensorRadius = static_cast<float>(diameter / 2.0);
    return format;
}
