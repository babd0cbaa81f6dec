#include "cli/InfoQueries.h"

#include "cli/ClipOfFrame.h"
#include "cli/FrameMetadata.h"
#include "core/Core.h"
#include "core/Queries.h"
#include "core/RequestDataSource.h"
#include "foundation/Exception.h"
#include "host_rules/CoreErrorDescription.h"
#include "host_rules/ReadMetadataRules.h"

#include <boost/filesystem/operations.hpp>

#include <cstring>
#include <memory>

namespace InfoQueries {

std::optional<RecordingFormatDatabase::RecordingFormat>
recordingFormat(const Core::FrameRequest& request, std::string& failure) {
    Core::Core core(std::make_unique<Core::RequestDataSource>(request));
    RecordingFormatDatabase::RecordingFormat format;
    if (!core.recordingFormat(format)) {
        CoreErrorDescription::brief(core, failure);
        return std::nullopt;
    }
    return format;
}

std::optional<FrameGeometry> grownFrame(Core::FrameRequest request, const FrameGeometry& geometry,
                                        bool reverse, std::string& failure) {
    request.distortion = true;
    request.distortionParameter.reverse = reverse;
    request.distortionParameter.outputMap = false;
    request.frameData.width = static_cast<std::uint32_t>(geometry.boxWidth());
    request.frameData.height = static_cast<std::uint32_t>(geometry.boxHeight());
    request.frameData.overscan = geometry.overscanOfBoundingBox();
    Core::Core core(std::make_unique<Core::RequestDataSource>(request));
    unsigned int width = 0;
    unsigned int height = 0;
    if (!core.frameSize(width, height)) {
        CoreErrorDescription::brief(core, failure);
        return std::nullopt;
    }
    return geometry.grownTo(width, height);
}

ImageFacts imageFacts(const std::string& path, const OIIO::ImageSpec& imageSpec) {
    const FrameMetadata metadata(imageSpec, path, 1);
    ImageFacts facts;
    Core::FrameRequest& request = facts.request;
    request.clipFilePath = clipOfFrame(metadata, path);
    unsigned int number = 0;
    request.frameDataKnown =
        ReadMetadataRules::frameNumberAndTimecode(metadata, path, 1, number, facts.timecode) &&
        ReadMetadataRules::timecodeFitsFrameData(facts.timecode);
    if (request.frameDataKnown) {
        request.frameData.frameNumber = number;
        std::memcpy(request.frameData.timecode, facts.timecode.c_str(), facts.timecode.size() + 1);
    }
    facts.hasJson = ReadMetadataRules::jsonMetadataString(metadata, path, request.frameMetadata);
    return facts;
}

FrameGeometry geometryOf(const OIIO::ImageSpec& imageSpec) {
    return FrameGeometry::ofDataWindow(imageSpec.full_x, imageSpec.full_y, imageSpec.full_width,
                                       imageSpec.full_height, imageSpec.x, imageSpec.y,
                                       imageSpec.width, imageSpec.height);
}

std::string correctionFileOfClip(const std::string& clipPath) {
    try {
        return Core::Queries::findCorrectionFile(clipPath);
    } catch (const boost::filesystem::filesystem_error& error) {
        throw Exception("A directory could not be searched for the correction file. Check that "
                        "the clip's directories can be read.",
                        "Clip File Path: \"" + clipPath + "\"\nSystem Error: \"" + error.what() +
                            "\"");
    }
}

std::map<unsigned int, CorrectionData::Frame>::const_iterator
shownRecord(const CorrectionData::Content& content, const std::optional<unsigned int>& number,
            const std::string& timecode) {
    auto frame = content.frames.cbegin();
    if (!number && !timecode.empty()) {
        frame = content.frames.find(Core::Queries::recordNumberOfTimecode(content, timecode));
    }
    if (number) {
        frame = content.frames.find(*number);
        if (frame == content.frames.cend()) {
            throw Exception("The correction file has no frame with that number. Choose one of "
                            "the numbers listed above.",
                            "Frame Number: " + std::to_string(*number));
        }
    }
    return frame;
}

} // namespace InfoQueries
