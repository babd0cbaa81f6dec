#include "cli/InfoCommand.h"
#include "cli/ImageLayout.h"

#include "cli/ClipOfFrame.h"
#include "cli/FrameMetadata.h"
#include "cli/ImageFile.h"
#include "core/Core.h"
#include "core/FrameRequest.h"
#include "core/Queries.h"
#include "core/RequestDataSource.h"
#include "foundation/Exception.h"
#include "host_rules/CoreErrorDescription.h"
#include "host_rules/FrameGeometry.h"
#include "host_rules/ReadMetadataRules.h"

#include <OpenImageIO/imagebuf.h>
#include <OpenImageIO/strutil.h>

#include <boost/filesystem/operations.hpp>

#include <algorithm>
#include <cstring>
#include <iomanip>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <vector>

namespace {

std::string list(const std::vector<float>& values) {
    std::ostringstream text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        text << (i == 0 ? "" : ", ") << values[i];
    }
    return text.str();
}

void printCurve(std::ostream& out, const char* label, const Core::Queries::Curve& curve) {
    if (curve.fitted) {
        out << "    " << label << ": " << list(curve.coefficients) << "\n";
    } else {
        out << "    " << label << ": cannot be fitted (" << curve.failure << ")\n";
    }
}

void printFrame(std::ostream& out, const CorrectionData::Frame& frame) {
    const auto& points = frame.interpolationPoints;
    out << "  Interpolation points:\n"
        << "    heights [mm]:          " << list(points.heights) << "\n"
        << "    radial distortion:     " << list(points.radialDistortion) << "\n"
        << "    shading [%]:           " << list(points.shading) << "\n";
    const Core::Queries::FrameCurves curves = Core::Queries::fitCurves(frame);
    out << "  Fitted curves (coefficients a0 to a6, distances in mm):\n";
    printCurve(out, "undistorted height over height", curves.distortedOverHeight);
    printCurve(out, "height over undistorted height", curves.heightOverDistorted);
    printCurve(out, "shading [%] over height", curves.shadingOverHeight);
}

void printHeader(std::ostream& out, const CorrectionData::Header& header) {
    out << "  Lens: " << header.lens.manufacturer << " " << header.lens.typeName << ", serial "
        << header.lens.serialNumber << ", " << header.lens.minFocalLength << "-"
        << header.lens.maxFocalLength << " mm\n"
        << "  Camera: " << header.camera.manufacturer << " " << header.camera.model
        << ", sensor width " << header.camera.sensorWidth << " mm\n"
        << "  Clip: \"" << header.clip.name << "\", video file \"" << header.clip.videoFileName
        << "\", " << header.clip.width << "x" << header.clip.height << " px, "
        << header.clip.durationFrames << " frames at " << header.tc.fps << " fps"
        << (header.tc.drop ? " drop frame" : "") << "\n"
        << "  Shading correction: " << (header.shadingCorrection.enabled ? "on" : "off")
        << ", gamma " << header.shadingCorrection.gamma << "\n"
        << "  Distortion correction: " << (header.distortionCorrection.enabled ? "on" : "off")
        << ", zoom " << header.distortionCorrection.zoom << "\n";
}

// The recording format the core derives for the request.
void printRecordingFormat(std::ostream& out, const Core::FrameRequest& request) {
    Core::Core core(std::make_unique<Core::RequestDataSource>(request));
    RecordingFormatDatabase::RecordingFormat format;
    if (!core.recordingFormat(format)) {
        std::string brief;
        CoreErrorDescription::brief(core, brief);
        out << "  Recording format: not available (" << brief << ")\n";
        return;
    }
    out << "  Recording format: image area " << format.sensorWidth << "x" << format.sensorHeight
        << " mm, clip resolution " << format.pixelWidth << "x" << format.pixelHeight
        << " px, image radius " << format.sensorRadius << " mm";
    if (format.sensorRadius <= 0.0F) {
        out << " (incomplete: enter it with --image-area and --clip-resolution)";
    }
    out << "\n";
}

// The data windows undistortion and distortion give the frame, as the
// correcting commands grow them around the format.
void printOverscan(std::ostream& out, Core::FrameRequest request, const FrameGeometry& geometry,
                   int formatX, int formatY) {
    out << "Overscan the correction needs (data window, and its size in % of the format):\n";
    for (const bool reverse : {false, true}) {
        request.distortion = true;
        request.distortionParameter.reverse = reverse;
        request.distortionParameter.outputMap = false;
        request.frameData.width = geometry.boxWidth();
        request.frameData.height = geometry.boxHeight();
        request.frameData.overscan = geometry.overscanOfBoundingBox();
        Core::Core core(std::make_unique<Core::RequestDataSource>(request));
        out << (reverse ? "  distorted:   " : "  undistorted: ");
        unsigned int width = 0;
        unsigned int height = 0;
        if (!core.frameSize(width, height)) {
            std::string brief;
            CoreErrorDescription::brief(core, brief);
            out << "not available (" << brief << ")\n";
            continue;
        }
        const FrameGeometry grown = geometry.grownTo(width, height);
        const auto percent = [](std::uint32_t part, std::uint32_t whole) {
            std::ostringstream text;
            text << std::fixed << std::setprecision(1)
                 << 100.0 * static_cast<double>(part) / static_cast<double>(whole);
            return text.str();
        };
        const std::uint32_t formatWidth = grown.boxWidth() - 2 * grown.marginX();
        const std::uint32_t formatHeight = grown.boxHeight() - 2 * grown.marginY();
        out << grown.boxWidth() << "x" << grown.boxHeight() << " at "
            << formatX - static_cast<int>(grown.marginX()) << ","
            << formatY - static_cast<int>(grown.marginY()) << ", "
            << percent(grown.boxWidth(), formatWidth) << " % x "
            << percent(grown.boxHeight(), formatHeight) << " %, " << grown.marginX() << " px x "
            << grown.marginY() << " px beyond each edge\n";
    }
}

void printCorrectionFile(std::ostream& out, const std::string& path,
                         const std::optional<unsigned int>& frameNumber,
                         const std::string& timecode = "", const std::string& overscanOfClip = "") {
    const CorrectionData::Content content = Core::Queries::readCorrectionFile(path);
    out << "Correction file: " << path << "\n";
    printHeader(out, content.header);
    out << "  Frames: " << content.frames.size();
    if (!content.frames.empty()) {
        const auto& first = *content.frames.begin();
        const auto& last = *content.frames.rbegin();
        out << ", numbers " << first.first << " to " << last.first << ", timecodes "
            << first.second.timecode << " to " << last.second.timecode;
    }
    out << "\n";
    Core::FrameRequest request;
    request.correctionFilePath = path;
    request.clipFilePath = content.header.clip.videoFileName;
    printRecordingFormat(out, request);
    if (content.frames.empty()) {
        return;
    }
    auto frame = content.frames.cbegin();
    if (!frameNumber && !timecode.empty()) {
        frame = content.frames.find(Core::Queries::recordNumberOfTimecode(content, timecode));
    }
    if (frameNumber) {
        frame = content.frames.find(*frameNumber);
        if (frame == content.frames.cend()) {
            throw Exception("The correction file has no frame with that number. Choose one of "
                            "the numbers listed above.",
                            "Frame Number: " + std::to_string(*frameNumber));
        }
    }
    if (!overscanOfClip.empty() && content.header.clip.width > 0 &&
        content.header.clip.height > 0) {
        // The clip's own frames: its resolution as the format, no overscan.
        Core::FrameRequest clipRequest;
        clipRequest.clipFilePath = overscanOfClip;
        clipRequest.frameDataKnown = true;
        clipRequest.frameData.frameNumber = frame->first;
        printOverscan(out, clipRequest,
                      FrameGeometry(content.header.clip.width, content.header.clip.height, 0, 0), 0,
                      0);
    }
    out << "Frame " << frame->first << " (timecode " << frame->second.timecode << "):\n";
    printFrame(out, frame->second);
}

void printCorrectionDataOfClip(std::ostream& out, const std::string& clipPath,
                               const std::optional<unsigned int>& frameNumber,
                               const std::string& timecode = "", bool withOverscan = false) {
    std::string correctionFilePath;
    try {
        correctionFilePath = Core::Queries::findCorrectionFile(clipPath);
    } catch (const boost::filesystem::filesystem_error& error) {
        throw Exception("A directory could not be searched for the correction file. Check that "
                        "the clip's directories can be read.",
                        "Clip File Path: \"" + clipPath + "\"\nSystem Error: \"" + error.what() +
                            "\"");
    }
    printCorrectionFile(out, correctionFilePath, frameNumber, timecode,
                        withOverscan ? clipPath : "");
}

void printImage(std::ostream& out, const std::string& path, const OIIO::ImageSpec& imageSpec,
                const std::optional<unsigned int>& frameNumber) {
    out << "Image: " << path << "\n"
        << "  Format (display window): " << imageSpec.full_width << "x" << imageSpec.full_height
        << " at " << imageSpec.full_x << "," << imageSpec.full_y << "\n"
        << "  Data window: " << imageSpec.width << "x" << imageSpec.height << " at " << imageSpec.x
        << "," << imageSpec.y << "\n"
        << "  Channels: " << OIIO::Strutil::join(imageSpec.channelnames, ",") << " ("
        << imageSpec.format << ")\n";
    const FrameMetadata metadata(imageSpec, path, 1);
    Core::FrameRequest request;
    request.clipFilePath = clipOfFrame(metadata, path);
    unsigned int number = 0;
    std::string timecode;
    request.frameDataKnown =
        ReadMetadataRules::frameNumberAndTimecode(metadata, path, 1, number, timecode) &&
        ReadMetadataRules::timecodeFitsFrameData(timecode);
    if (request.frameDataKnown) {
        request.frameData.frameNumber = number;
        std::memcpy(request.frameData.timecode, timecode.c_str(), timecode.size() + 1);
    }
    const bool hasJson =
        ReadMetadataRules::jsonMetadataString(metadata, path, request.frameMetadata);
    out << "  Clip path: " << (request.clipFilePath.empty() ? "not known" : request.clipFilePath)
        << "\n"
        << "  Timecode: " << (timecode.empty() ? "none" : timecode) << "\n"
        << "  Embedded correction metadata: " << (hasJson ? "yes" : "no") << "\n";
    const FrameGeometry geometry = FrameGeometry::ofDataWindow(
        imageSpec.full_x, imageSpec.full_y, imageSpec.full_width, imageSpec.full_height,
        imageSpec.x, imageSpec.y, imageSpec.width, imageSpec.height);
    if (hasJson || !request.clipFilePath.empty()) {
        printOverscan(out, request, geometry, imageSpec.full_x, imageSpec.full_y);
    }
    if (hasJson) {
        CorrectionData::Header header;
        CorrectionData::Frame frame;
        Core::Queries::parseEmbeddedMetadata(request.frameMetadata, header, frame);
        out << "Embedded correction metadata:\n";
        printHeader(out, header);
        Core::FrameRequest jsonRequest;
        jsonRequest.frameMetadata = request.frameMetadata;
        printRecordingFormat(out, jsonRequest);
        printFrame(out, frame);
        return;
    }
    if (request.clipFilePath.empty()) {
        throw Exception("The image's metadata names no clip, so no correction file can be "
                        "searched for. Name the clip with --clip when correcting.",
                        "Input File Path: \"" + path + "\"");
    }
    printCorrectionDataOfClip(out, request.clipFilePath, frameNumber, timecode);
}

} // namespace

void InfoCommand::run(const CommandLineOptions& options, std::ostream& out) {
    const std::string& path = options.input;
    std::string extension;
    ReadMetadataRules::clipFileExtension(path, extension);
    if (extension == "vlcf") {
        printCorrectionFile(out, path, options.infoFrame);
        return;
    }
    // Absolute, so that the search has a directory to start from.
    const std::string absolute = boost::filesystem::absolute(path).string();
    // Only the header is read.
    std::string ignored;
    OIIO::ImageSpec header;
    if (openImageFile(absolute, header, ignored)) {
        printImage(out, absolute, header, options.infoFrame);
        return;
    }
    out << "Clip: " << absolute << "\n";
    printCorrectionDataOfClip(out, absolute, options.infoFrame, "", true);
}
