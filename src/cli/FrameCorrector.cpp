#include "cli/FrameCorrector.h"
#include "cli/AllocatedImage.h"
#include "cli/ImageLayout.h"

#include "cli/ClipOfFrame.h"
#include "cli/CommandLineParser.h"
#include "cli/FrameMetadata.h"
#include "cli/StMap.h"
#include "core/FrameRequest.h"
#include "core/RequestDataSource.h"
#include "foundation/Exception.h"
#include "foundation/Version.h"
#include "host_rules/ChannelGroups.h"
#include "host_rules/CoreErrorDescription.h"
#include "host_rules/FrameSizeLimit.h"
#include "host_rules/ReadMetadataRules.h"

#include <OpenImageIO/imagebufalgo.h>

#include <boost/filesystem/operations.hpp>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// The output box: the format enlarged by the margins, in the input's coordinates.
OIIO::ROI outputBox(const OIIO::ImageSpec& input, const FrameGeometry& geometry) {
    const int x = input.full_x - static_cast<int>(geometry.marginX());
    const int y = input.full_y - static_cast<int>(geometry.marginY());
    return {x, x + static_cast<int>(geometry.boxWidth()),
            y, y + static_cast<int>(geometry.boxHeight()),
            0, 1,
            0, 4};
}

// The input's header with the output box as data window and the format
// unchanged.
OIIO::ImageSpec outputSpec(const OIIO::ImageSpec& input, const OIIO::ROI& box) {
    OIIO::ImageSpec imageSpec = input;
    imageSpec.x = box.xbegin;
    imageSpec.y = box.ybegin;
    imageSpec.width = box.width();
    imageSpec.height = box.height();
    imageSpec.tile_width = imageSpec.tile_height = imageSpec.tile_depth = 0;
    return imageSpec;
}

OIIO::ImageSpec mapSpec(const OIIO::ImageSpec& input, const OIIO::ROI& box) {
    OIIO::ImageSpec imageSpec = outputSpec(input, box);
    imageSpec.set_format(OIIO::TypeFloat);
    imageSpec.nchannels = 4;
    imageSpec.channelnames = {"R", "G", "B", "A"};
    imageSpec.alpha_channel = 3;
    imageSpec.z_channel = -1;
    // A map is data: never the input's compression, which may be lossy.
    imageSpec.attribute("compression", "zip");
    imageSpec.erase_attribute("openexr:dwaCompressionLevel");
    imageSpec.erase_attribute("CompressionQuality");
    return imageSpec;
}

// Copying pixels fails only when memory runs out for a temporary image;
// a frame must not go on with pixels that were never copied.
void requireDone(bool done, const OIIO::ImageBuf& image) {
    if (!done) {
        const std::string reason = image.geterror();
        throw Exception("The frame's pixels could not be copied; there may not be enough memory.",
                        "Reason: \"" + reason + "\"");
    }
}

// A channel group's pixels over `box` as packed RGBA floats, black outside the data window.
// Four consecutive channels are read straight from the frame; other groups are gathered
// first.
void readChannelGroup(const OIIO::ImageBuf& image, const std::array<int, 4>& group,
                      const OIIO::ROI& box, float* rgba) {
    const int first = ChannelGroups::firstOfConsecutiveChannels(group);
    if (first >= 0) {
        OIIO::ROI channels = box;
        channels.chbegin = first;
        channels.chend = first + 4;
        requireDone(image.get_pixels(channels, OIIO::TypeFloat, rgba), image);
        return;
    }
    const OIIO::ImageBuf gathered =
        OIIO::ImageBufAlgo::channels(image, 4, group, {0.0F, 0.0F, 0.0F, 0.0F});
    requireDone(gathered.get_pixels(box, OIIO::TypeFloat, rgba), gathered);
}

// Packed RGBA floats over `box` into the group's channels of `result`.
void writeChannelGroup(const float* rgba, const std::array<int, 4>& group, const OIIO::ROI& box,
                       OIIO::ImageBuf& result) {
    const OIIO::stride_t pixelStride = 4 * sizeof(float);
    const int first = ChannelGroups::firstOfConsecutiveChannels(group);
    if (first >= 0) {
        OIIO::ROI channels = box;
        channels.chbegin = first;
        channels.chend = first + 4;
        requireDone(result.set_pixels(channels, OIIO::TypeFloat, rgba), result);
        return;
    }
    for (std::size_t place = 0; place < group.size(); ++place) {
        const int channel = group[place];
        if (channel < 0) {
            continue;
        }
        OIIO::ROI slot = box;
        slot.chbegin = channel;
        slot.chend = channel + 1;
        requireDone(result.set_pixels(slot, OIIO::TypeFloat, rgba + place, pixelStride,
                                      pixelStride * box.width()),
                    result);
    }
}

// Every channel of `image` over `box` into `result`, black outside the data window.
void copyAllChannels(const OIIO::ImageBuf& image, const OIIO::ROI& box, OIIO::ImageBuf& result) {
    OIIO::ROI channels = box;
    channels.chbegin = 0;
    channels.chend = image.nchannels();
    std::vector<float> values(box.npixels() * static_cast<std::size_t>(image.nchannels()));
    image.get_pixels(channels, OIIO::TypeFloat, values.data());
    result.set_pixels(channels, OIIO::TypeFloat, values.data());
}

bool isShading(Command command) {
    return command == Command::RemoveShading || command == Command::AddShading;
}

Core::Correction correctionOf(Command command) {
    switch (command) {
    case Command::Undistort:
        return Core::Correction::Undistort;
    case Command::Distort:
        return Core::Correction::Distort;
    case Command::RemoveShading:
        return Core::Correction::RemoveShading;
    case Command::AddShading:
        return Core::Correction::AddShading;
    case Command::StMap:
        return Core::Correction::StMap;
    case Command::ShadingMap:
        return Core::Correction::ShadingMap;
    default:
        throw Exception("The command does not correct frames.");
    }
}

} // namespace

FrameCorrector::FrameCorrector(const CommandLineOptions& options, int firstFrame)
    : options_(options), firstFrame_(firstFrame),
      core_(std::make_unique<Core::RequestDataSource>(request_)) {
    request_.ask(correctionOf(options.command), options.reverseMap);
    request_.correctionFilePath = options.correctionFile;
    request_.recordingFormat = options.recordingFormat;
}

OIIO::ImageBuf FrameCorrector::correct(const LoadedFrame& frame) {
    const OIIO::ImageSpec& imageSpec = imageLayout(frame.image);
    const FrameGeometry geometry = FrameGeometry::ofDataWindow(
        imageSpec.full_x, imageSpec.full_y, imageSpec.full_width, imageSpec.full_height,
        imageSpec.x, imageSpec.y, imageSpec.width, imageSpec.height);
    const OIIO::ROI box = outputBox(imageSpec, geometry);
    FrameSizeLimit::check(box.width(), box.height());
    describeFrame(frame, geometry);

    unsigned int width = 0;
    unsigned int height = 0;
    if (!core_.frameSize(width, height) || !core_.appliedCorrection(lastCorrection_)) {
        throwCoreError();
    }
    const FrameGeometry grown = geometry.grownTo(width, height);
    const OIIO::ROI grownBox = outputBox(imageSpec, grown);
    FrameSizeLimit::check(grownBox.width(), grownBox.height());
    request_.frameData.width = static_cast<std::uint32_t>(grown.boxWidth());
    request_.frameData.height = static_cast<std::uint32_t>(grown.boxHeight());

    OIIO::ImageBuf result;
    if (options_.command == Command::StMap) {
        result = distortionMap(frame, grown);
    } else if (options_.command == Command::ShadingMap) {
        result = shadingMap(frame, grown);
    } else {
        result = correctedImage(frame, grown);
    }
    checkTheDataStayedTheSame();
    return result;
}

void FrameCorrector::checkTheDataStayedTheSame() const {
    Core::CorrectionInUse used;
    const bool same = core_.appliedCorrection(used) &&
                      used.correctionFile == lastCorrection_.correctionFile &&
                      used.record == lastCorrection_.record &&
                      used.modificationTimeNs == lastCorrection_.modificationTimeNs &&
                      used.fileSize == lastCorrection_.fileSize &&
                      used.inode == lastCorrection_.inode && used.device == lastCorrection_.device;
    if (!same) {
        throw Exception("The correction file changed while the frame was corrected. Correct the "
                        "frame again.",
                        "Correction File Path: \"" + lastCorrection_.correctionFile + "\"");
    }
}

OIIO::ImageSpec FrameCorrector::namingTheCorrectionData(OIIO::ImageSpec header) const {
    for (const char* name : {"velor:correctionFile", "velor:record", "velor:recordTimecode",
                             "velor:operation", "velor:version"}) {
        header.erase_attribute(name);
    }
    header.attribute("velor:correctionFile", lastCorrection_.correctionFile);
    header.attribute("velor:record", static_cast<int>(lastCorrection_.record));
    if (!lastCorrection_.recordTimecode.empty()) {
        header.attribute("velor:recordTimecode", lastCorrection_.recordTimecode);
    }
    header.attribute("velor:operation", CommandLineParser::nameOf(options_.command));
    header.attribute("velor:version", Version::text());
    return header;
}

std::string FrameCorrector::lastCorrectionDescription() const {
    if (lastCorrection_.correctionFile == "embedded") {
        return "embedded correction data";
    }
    std::string description = "record " + std::to_string(lastCorrection_.record);
    if (!lastCorrection_.recordTimecode.empty()) {
        description += " (" + lastCorrection_.recordTimecode + ")";
    }
    return description + " of " + lastCorrection_.correctionFile;
}

void FrameCorrector::describeFrame(const LoadedFrame& frame, const FrameGeometry& geometry) {
    const FrameMetadata metadata(imageLayout(frame.image), frame.path, frame.number);
    request_.clipFilePath.clear();
    if (!options_.clip.empty()) {
        // Absolute, so that the search has a directory to start from.
        request_.clipFilePath = boost::filesystem::absolute(options_.clip).string();
    } else {
        request_.clipFilePath = clipOfFrame(metadata, frame.path);
    }
    request_.frameMetadata.clear();
    ReadMetadataRules::jsonMetadataString(metadata, frame.path, request_.frameMetadata);

    unsigned int number = 0;
    std::string timecode;
    request_.frameDataKnown = ReadMetadataRules::frameNumberAndTimecode(
                                  metadata, frame.path, firstFrame_, number, timecode) &&
                              ReadMetadataRules::timecodeFitsFrameData(timecode);
    request_.frameData = Core::FrameData();
    if (request_.frameDataKnown) {
        request_.frameData.frameNumber = number;
        std::memcpy(request_.frameData.timecode, timecode.c_str(), timecode.size() + 1);
    }
    request_.frameData.width = static_cast<std::uint32_t>(geometry.boxWidth());
    request_.frameData.height = static_cast<std::uint32_t>(geometry.boxHeight());
    request_.frameData.overscan = options_.overscanLocation == OverscanLocation::Format
                                      ? geometry.overscanOfFormat(options_.overscan)
                                      : geometry.overscanOfBoundingBox();
}

OIIO::ImageBuf FrameCorrector::correctedImage(const LoadedFrame& frame,
                                              const FrameGeometry& grown) {
    const OIIO::ImageSpec& input = imageLayout(frame.image);
    const OIIO::ROI box = outputBox(input, grown);
    // The layout carries the file's own pixel types, which the output keeps.
    OIIO::ImageSpec imageSpec = namingTheCorrectionData(outputSpec(input, box));
    if (options_.floatOutput) {
        imageSpec.set_format(OIIO::TypeFloat);
    }
    OIIO::ImageBuf result = allocatedImage(imageSpec);

    std::vector<ChannelGroups::Group> groups;
    if (isShading(options_.command)) {
        // Shading multiplies colour; every other channel is copied as it is.
        std::vector<int> colour;
        for (int channel = 0; channel < input.nchannels; ++channel) {
            if (ChannelGroups::isColourChannel(input.channel_name(channel))) {
                colour.push_back(channel);
            }
        }
        copyAllChannels(frame.image, box, result);
        groups = ChannelGroups::ofColourChannels(colour);
    } else {
        groups = ChannelGroups::of(input.nchannels, input.alpha_channel);
    }
    const std::size_t floatCount = box.npixels() * 4;
    std::vector<float> source(floatCount);
    std::vector<float> corrected(floatCount);
    for (const ChannelGroups::Group& group : groups) {
        readChannelGroup(frame.image, group, box, source.data());
        if (!core_.render(source.data(), corrected.data(), floatCount * sizeof(float))) {
            throwCoreError();
        }
        writeChannelGroup(corrected.data(), group, box, result);
    }
    return result;
}

OIIO::ImageBuf FrameCorrector::distortionMap(const LoadedFrame& frame, const FrameGeometry& grown) {
    const OIIO::ImageSpec& input = imageLayout(frame.image);
    Core::DistortionMapping mapping;
    if (!core_.distortionMapping(mapping)) {
        throwCoreError();
    }
    OIIO::ImageBuf map =
        allocatedImage(namingTheCorrectionData(mapSpec(input, outputBox(input, grown))));
    StMap::render(mapping, static_cast<std::uint32_t>(input.full_width),
                  static_cast<std::uint32_t>(input.full_height),
                  static_cast<std::uint32_t>(grown.marginX()),
                  static_cast<std::uint32_t>(grown.marginY()), map);
    return map;
}

OIIO::ImageBuf FrameCorrector::shadingMap(const LoadedFrame& frame, const FrameGeometry& grown) {
    const OIIO::ImageSpec& input = imageLayout(frame.image);
    const OIIO::ROI box = outputBox(input, grown);
    std::vector<float> factors(box.npixels() * 4);
    if (!core_.render(nullptr, factors.data(), factors.size() * sizeof(float))) {
        throwCoreError();
    }
    OIIO::ImageBuf map = allocatedImage(namingTheCorrectionData(mapSpec(input, box)));
    requireDone(map.set_pixels(box, OIIO::TypeFloat, factors.data()), map);
    return map;
}

void FrameCorrector::throwCoreError() const {
    std::string brief;
    if (!CoreErrorDescription::brief(core_, brief)) {
        throw Exception("The frame could not be corrected, and the reason could not be read.");
    }
    const std::string detail = CoreErrorDescription::detailLines(core_);
    throw Exception(brief, detail);
}
