#include "cli/InfoCommand.h"
#include "cli/ImageLayout.h"

#include "cli/ImageFile.h"
#include "cli/InfoJson.h"
#include "cli/InfoQueries.h"
#include "core/FrameRequest.h"
#include "core/Queries.h"
#include "foundation/Exception.h"
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
    std::string failure;
    const auto format = InfoQueries::recordingFormat(request, failure);
    if (!format) {
        out << "  Recording format: not available (" << failure << ")\n";
        return;
    }
    out << "  Recording format: image area " << format->sensorWidth << "x" << format->sensorHeight
        << " mm, clip resolution " << format->pixelWidth << "x" << format->pixelHeight
        << " px, image radius " << format->sensorRadius << " mm";
    if (format->sensorRadius <= 0.0F) {
        out << " (incomplete: enter it with --image-area and --clip-resolution)";
    }
    out << "\n";
}

// The data windows undistortion and distortion give the frame, as the
// correcting commands grow them around the format.
void printOverscan(std::ostream& out, const Core::FrameRequest& request,
                   const FrameGeometry& geometry, int formatX, int formatY) {
    out << "Overscan the correction needs (data window, and its size in % of the format):\n";
    for (const bool reverse : {false, true}) {
        out << (reverse ? "  distorted:   " : "  undistorted: ");
        std::string failure;
        const auto grown = InfoQueries::grownFrame(request, geometry, reverse, failure);
        if (!grown) {
            out << "not available (" << failure << ")\n";
            continue;
        }
        const auto percent = [](std::int64_t part, std::int64_t whole) {
            std::ostringstream text;
            text << std::fixed << std::setprecision(1)
                 << 100.0 * static_cast<double>(part) / static_cast<double>(whole);
            return text.str();
        };
        const std::int64_t formatWidth = grown->boxWidth() - 2 * grown->marginX();
        const std::int64_t formatHeight = grown->boxHeight() - 2 * grown->marginY();
        out << grown->boxWidth() << "x" << grown->boxHeight() << " at "
            << formatX - grown->marginX() << "," << formatY - grown->marginY() << ", "
            << percent(grown->boxWidth(), formatWidth) << " % x "
            << percent(grown->boxHeight(), formatHeight) << " %, " << grown->marginX() << " px x "
            << grown->marginY() << " px beyond each edge\n";
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
    const auto frame = InfoQueries::shownRecord(content, frameNumber, timecode);
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
    out << "Record " << frame->first << " (timecode " << frame->second.timecode << "):\n";
    printFrame(out, frame->second);
}

void printCorrectionDataOfClip(std::ostream& out, const std::string& clipPath,
                               const std::optional<unsigned int>& frameNumber,
                               const std::string& timecode = "", bool withOverscan = false) {
    printCorrectionFile(out, InfoQueries::correctionFileOfClip(clipPath), frameNumber, timecode,
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
    const InfoQueries::ImageFacts facts = InfoQueries::imageFacts(path, imageSpec);
    const Core::FrameRequest& request = facts.request;
    out << "  Clip path: " << (request.clipFilePath.empty() ? "not known" : request.clipFilePath)
        << "\n"
        << "  Timecode: " << (facts.timecode.empty() ? "none" : facts.timecode) << "\n"
        << "  Embedded correction metadata: " << (facts.hasJson ? "yes" : "no") << "\n";
    if (facts.hasJson || !request.clipFilePath.empty()) {
        printOverscan(out, request, InfoQueries::geometryOf(imageSpec), imageSpec.full_x,
                      imageSpec.full_y);
    }
    if (facts.hasJson) {
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
    printCorrectionDataOfClip(out, request.clipFilePath, frameNumber, facts.timecode);
}

} // namespace

void InfoCommand::run(const CommandLineOptions& options, std::ostream& out) {
    if (options.json) {
        InfoJson::write(options, out);
        return;
    }
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
