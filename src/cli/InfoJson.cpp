#include "cli/InfoJson.h"

#include "cli/ImageFile.h"
#include "cli/InfoQueries.h"
#include "cli/JsonWriter.h"
#include "core/Queries.h"
#include "foundation/Exception.h"
#include "foundation/Version.h"
#include "host_rules/ReadMetadataRules.h"

#include <boost/filesystem/operations.hpp>

#include <sstream>

namespace {

// The version of the document's layout: raised only when a member changes its
// meaning or goes; new members may appear without it.
constexpr int formatVersion = 1;

void writeError(JsonWriter& json, const std::string& failure) {
    json.beginObject();
    json.key("error").value(failure);
    json.endObject();
}

void writeHeader(JsonWriter& json, const CorrectionData::Header& header) {
    json.beginObject();
    json.key("lensManufacturer").value(header.lens.manufacturer);
    json.key("lensTypeName").value(header.lens.typeName);
    json.key("lensSerialNumber").value(header.lens.serialNumber);
    json.key("lensMinFocalLength").value(static_cast<int>(header.lens.minFocalLength));
    json.key("lensMaxFocalLength").value(static_cast<int>(header.lens.maxFocalLength));
    json.key("cameraManufacturer").value(header.camera.manufacturer);
    json.key("cameraModel").value(header.camera.model);
    json.key("sensorWidth").value(header.camera.sensorWidth);
    json.key("clipName").value(header.clip.name);
    json.key("videoFileName").value(header.clip.videoFileName);
    json.key("clipDurationFrames").value(header.clip.durationFrames);
    json.key("clipWidth").value(header.clip.width);
    json.key("clipHeight").value(header.clip.height);
    json.key("tcFps").value(header.tc.fps);
    json.key("tcDrop").value(header.tc.drop);
    json.key("enableLensShadingCorrection").value(header.shadingCorrection.enabled);
    json.key("shadingGamma").value(header.shadingCorrection.gamma);
    json.key("enableLensDistortionCorrection").value(header.distortionCorrection.enabled);
    json.key("distortionZoom").value(header.distortionCorrection.zoom);
    json.endObject();
}

void writeRecordingFormat(JsonWriter& json, const Core::FrameRequest& request) {
    std::string failure;
    const auto format = InfoQueries::recordingFormat(request, failure);
    if (!format) {
        writeError(json, failure);
        return;
    }
    json.beginObject();
    json.key("imageAreaWidth").value(format->sensorWidth);
    json.key("imageAreaHeight").value(format->sensorHeight);
    json.key("clipWidth").value(format->pixelWidth);
    json.key("clipHeight").value(format->pixelHeight);
    json.key("imageRadius").value(format->sensorRadius);
    json.endObject();
}

void writeRecord(JsonWriter& json, unsigned int number, const CorrectionData::Frame& frame) {
    const auto& points = frame.interpolationPoints;
    json.beginObject();
    json.key("number").value(number);
    json.key("timecode").value(frame.timecode);
    json.key("heights").values(points.heights);
    json.key("radialDistortion").values(points.radialDistortion);
    json.key("shading").values(points.shading);
    json.endObject();
}

void writeCurve(JsonWriter& json, const Core::Queries::Curve& curve) {
    if (!curve.fitted) {
        writeError(json, curve.failure);
        return;
    }
    json.beginObject();
    json.key("coefficients").values(curve.coefficients);
    json.endObject();
}

void writeSelectedRecord(JsonWriter& json, unsigned int number,
                         const CorrectionData::Frame& frame) {
    const Core::Queries::FrameCurves curves = Core::Queries::fitCurves(frame);
    json.beginObject();
    json.key("number").value(number);
    json.key("curves").beginObject();
    writeCurve(json.key("undistortedHeightOverHeight"), curves.distortedOverHeight);
    writeCurve(json.key("heightOverUndistortedHeight"), curves.heightOverDistorted);
    writeCurve(json.key("shadingOverHeight"), curves.shadingOverHeight);
    json.endObject();
    json.endObject();
}

void writeGrownWindows(JsonWriter& json, const Core::FrameRequest& request,
                       const FrameGeometry& geometry, int formatX, int formatY) {
    json.beginObject();
    for (const bool reverse : {false, true}) {
        json.key(reverse ? "distorted" : "undistorted");
        std::string failure;
        const auto grown = InfoQueries::grownFrame(request, geometry, reverse, failure);
        if (!grown) {
            writeError(json, failure);
            continue;
        }
        json.beginObject();
        json.key("x").value(formatX - grown->marginX());
        json.key("y").value(formatY - grown->marginY());
        json.key("width").value(grown->boxWidth());
        json.key("height").value(grown->boxHeight());
        json.key("marginX").value(grown->marginX());
        json.key("marginY").value(grown->marginY());
        json.endObject();
    }
    json.endObject();
}

// The correction data of a file: its header, recording format, records and
// the record shown, with the clip's grown windows before it for a clip.
void writeCorrectionFile(JsonWriter& json, const std::string& path,
                         const std::optional<unsigned int>& number, const std::string& timecode,
                         const std::string& clipPath) {
    const CorrectionData::Content content = Core::Queries::readCorrectionFile(path);
    const auto shown = content.frames.empty() ? content.frames.cend()
                                              : InfoQueries::shownRecord(content, number, timecode);
    if (!clipPath.empty()) {
        // The clip's own frames: its resolution as the format, no overscan.
        json.key("grownWindows");
        if (content.header.clip.width == 0 || content.header.clip.height == 0 ||
            shown == content.frames.cend()) {
            writeError(json, "The correction file gives no clip resolution or no record.");
        } else {
            Core::FrameRequest clipRequest;
            clipRequest.clipFilePath = clipPath;
            clipRequest.frameDataKnown = true;
            clipRequest.frameData.frameNumber = shown->first;
            writeGrownWindows(
                json, clipRequest,
                FrameGeometry(content.header.clip.width, content.header.clip.height, 0, 0), 0, 0);
        }
    }
    json.key("correctionData").beginObject();
    json.key("source").value("file");
    json.key("path").value(path);
    json.key("header");
    writeHeader(json, content.header);
    Core::FrameRequest request;
    request.correctionFilePath = path;
    request.clipFilePath = content.header.clip.videoFileName;
    json.key("recordingFormat");
    writeRecordingFormat(json, request);
    json.key("records").beginArray(false);
    for (const auto& entry : content.frames) {
        writeRecord(json, entry.first, entry.second);
    }
    json.endArray();
    json.key("selectedRecord");
    if (shown == content.frames.cend()) {
        json.null();
    } else {
        writeSelectedRecord(json, shown->first, shown->second);
    }
    json.endObject();
}

void writeEmbedded(JsonWriter& json, const std::string& metadata) {
    CorrectionData::Header header;
    CorrectionData::Frame frame;
    Core::Queries::parseEmbeddedMetadata(metadata, header, frame);
    json.key("correctionData").beginObject();
    json.key("source").value("embedded");
    json.key("path").null();
    json.key("header");
    writeHeader(json, header);
    Core::FrameRequest request;
    request.frameMetadata = metadata;
    json.key("recordingFormat");
    writeRecordingFormat(json, request);
    json.key("records").beginArray(false);
    writeRecord(json, frame.number, frame);
    json.endArray();
    json.key("selectedRecord");
    writeSelectedRecord(json, frame.number, frame);
    json.endObject();
}

void writeWindow(JsonWriter& json, int x, int y, int width, int height) {
    json.beginObject();
    json.key("x").value(x);
    json.key("y").value(y);
    json.key("width").value(width);
    json.key("height").value(height);
    json.endObject();
}

void writeImage(JsonWriter& json, const std::string& path, const OIIO::ImageSpec& imageSpec,
                const std::optional<unsigned int>& number) {
    const InfoQueries::ImageFacts facts = InfoQueries::imageFacts(path, imageSpec);
    const Core::FrameRequest& request = facts.request;
    json.key("image").beginObject();
    json.key("displayWindow");
    writeWindow(json, imageSpec.full_x, imageSpec.full_y, imageSpec.full_width,
                imageSpec.full_height);
    json.key("dataWindow");
    writeWindow(json, imageSpec.x, imageSpec.y, imageSpec.width, imageSpec.height);
    json.key("channels").values(imageSpec.channelnames);
    json.key("pixelType").value(imageSpec.format.c_str());
    json.key("clipPath");
    if (request.clipFilePath.empty()) {
        json.null();
    } else {
        json.value(request.clipFilePath);
    }
    json.key("timecode");
    if (facts.timecode.empty()) {
        json.null();
    } else {
        json.value(facts.timecode);
    }
    json.key("embeddedMetadata").value(facts.hasJson);
    json.endObject();
    if (!facts.hasJson && request.clipFilePath.empty()) {
        throw Exception("The image's metadata names no clip, so no correction file can be "
                        "searched for. Name the clip with --clip when correcting.",
                        "Input File Path: \"" + path + "\"");
    }
    json.key("grownWindows");
    writeGrownWindows(json, request, InfoQueries::geometryOf(imageSpec), imageSpec.full_x,
                      imageSpec.full_y);
    if (facts.hasJson) {
        writeEmbedded(json, request.frameMetadata);
        return;
    }
    writeCorrectionFile(json, InfoQueries::correctionFileOfClip(request.clipFilePath), number,
                        facts.timecode, "");
}

} // namespace

void InfoJson::write(const CommandLineOptions& options, std::ostream& out) {
    // Built whole before it is written, so that a failure writes nothing.
    std::ostringstream text;
    JsonWriter json(text);
    json.beginObject();
    json.key("formatVersion").value(formatVersion);
    json.key("toolVersion").value(Version::text());
    const std::string& path = options.input;
    std::string extension;
    ReadMetadataRules::clipFileExtension(path, extension);
    if (extension == "vlcf") {
        json.key("kind").value("correctionFile");
        json.key("path").value(path);
        writeCorrectionFile(json, path, options.infoFrame, "", "");
    } else {
        const std::string absolute = boost::filesystem::absolute(path).string();
        std::string ignored;
        OIIO::ImageSpec header;
        if (openImageFile(absolute, header, ignored)) {
            json.key("kind").value("image");
            json.key("path").value(absolute);
            writeImage(json, absolute, header, options.infoFrame);
        } else {
            json.key("kind").value("clip");
            json.key("path").value(absolute);
            writeCorrectionFile(json, InfoQueries::correctionFileOfClip(absolute),
                                options.infoFrame, "", absolute);
        }
    }
    json.endObject();
    out << text.str();
}
