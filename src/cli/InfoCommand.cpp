#include "cli/InfoCommand.h"
#include "cli/ImageLayout.h"

#include "cli/CommandLineDataSource.h"
#include "cli/FrameMetadata.h"
#include "cli/FrameRequest.h"
#include "core/Core.h"
#include "core/Inspection.h"
#include "foundation/Exception.h"
#include "host_rules/CoreErrorDescription.h"
#include "host_rules/ReadMetadataRules.h"

#include <OpenImageIO/imagebuf.h>
#include <OpenImageIO/strutil.h>

#include <memory>
#include <vector>

namespace {

std::string list(const std::vector<float>& values) {
    std::ostringstream text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        text << (i == 0 ? "" : ", ") << values[i];
    }
    return text.str();
}

void printCurve(std::ostream& out, const char* label, const Core::Inspection::Curve& curve) {
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
    const Core::Inspection::FrameCurves curves = Core::Inspection::fitCurves(frame);
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
void printRecordingFormat(std::ostream& out, const FrameRequest& request) {
    Core::Core core(std::make_unique<CommandLineDataSource>(request));
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

void printCorrectionFile(std::ostream& out, const std::string& path,
                         const std::optional<unsigned int>& frameNumber) {
    const CorrectionData::Content content = Core::Inspection::readCorrectionFile(path);
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
    FrameRequest request;
    request.correctionFilePath = path;
    request.clipFilePath = content.header.clip.videoFileName;
    printRecordingFormat(out, request);
    if (content.frames.empty()) {
        return;
    }
    auto frame = content.frames.begin();
    if (frameNumber) {
        frame = content.frames.find(*frameNumber);
        if (frame == content.frames.end()) {
            throw Exception("The correction file has no frame with that number. Choose one of "
                            "the numbers listed above.",
                            "Frame Number: " + std::to_string(*frameNumber));
        }
    }
    out << "Frame " << frame->first << " (timecode " << frame->second.timecode << "):\n";
    printFrame(out, frame->second);
}

void printCorrectionDataOfClip(std::ostream& out, const std::string& clipPath,
                               const std::optional<unsigned int>& frameNumber) {
    printCorrectionFile(out, Core::Inspection::findCorrectionFile(clipPath), frameNumber);
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
    std::string clipPath;
    const bool hasClip = ReadMetadataRules::clipFilePath(metadata, path, clipPath);
    unsigned int number = 0;
    std::string timecode;
    const bool hasFrame =
        ReadMetadataRules::frameNumberAndTimecode(metadata, path, 1, number, timecode);
    std::string json;
    const bool hasJson = ReadMetadataRules::jsonMetadataString(metadata, path, json);
    out << "  Clip path: " << (hasClip ? clipPath : "not known") << "\n"
        << "  Timecode: " << (hasFrame && !timecode.empty() ? timecode : "none") << "\n"
        << "  Embedded correction metadata: " << (hasJson ? "yes" : "no") << "\n";
    if (hasJson) {
        CorrectionData::Header header;
        CorrectionData::Frame frame;
        Core::Inspection::parseEmbeddedMetadata(json, header, frame);
        out << "Embedded correction metadata:\n";
        printHeader(out, header);
        FrameRequest request;
        request.frameMetadata = json;
        printRecordingFormat(out, request);
        printFrame(out, frame);
        return;
    }
    if (!hasClip) {
        throw Exception("The image's metadata names no clip, so no correction file can be "
                        "searched for. Name the clip with --clip when correcting.",
                        "Input File Path: \"" + path + "\"");
    }
    printCorrectionDataOfClip(out, clipPath, frameNumber);
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
    // Only the header is read.
    OIIO::ImageBuf image;
    if (image.init_spec(path, 0, 0)) {
        printImage(out, path, imageLayout(image), options.infoFrame);
        return;
    }
    image.geterror();
    OIIO::geterror();
    out << "Clip: " << path << "\n";
    printCorrectionDataOfClip(out, path, options.infoFrame);
}
