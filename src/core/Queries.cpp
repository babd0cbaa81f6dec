#include "core/Queries.h"

#include "correction_data/Calculations.h"
#include "correction_data/JsonParser.h"
#include "correction_data/RecordLookup.h"
#include "correction_file/ClipFilePathBasedFinder.h"
#include "correction_file/LevelOfDepth.h"
#include "correction_file/Parser.h"
#include "correction_file/Reader.h"
#include "foundation/Exception.h"
#include "foundation/Timecode.h"
#include "renderer/OpenCLKernelHelper.h"

#include <CL/cl.h>

#include <iterator>

namespace {

Core::Queries::Curve fitted(const std::vector<float>& x, const std::vector<float>& y) {
    Core::Queries::Curve curve;
    try {
        CorrectionData::Calculations::calculateCoefficients(x, y, curve.coefficients);
        curve.fitted = true;
    } catch (const Exception& error) {
        curve.failure = error.what();
    }
    return curve;
}

const char* typeName(cl_device_id device) {
    cl_device_type type = 0;
    if (clGetDeviceInfo(device, CL_DEVICE_TYPE, sizeof type, &type, nullptr) != CL_SUCCESS) {
        return "unknown";
    }
    if ((type & CL_DEVICE_TYPE_GPU) != 0) {
        return "GPU";
    }
    if ((type & CL_DEVICE_TYPE_CPU) != 0) {
        return "CPU";
    }
    if ((type & CL_DEVICE_TYPE_ACCELERATOR) != 0) {
        return "accelerator";
    }
    return "other";
}

} // namespace

std::string Core::Queries::findCorrectionFile(const std::string& clipFilePath) {
    std::string path;
    CorrectionFile::ClipFilePathBasedFinder(clipFilePath, CorrectionFile::clipSearchDepth)
        .find(path);
    return path;
}

CorrectionData::Content Core::Queries::readCorrectionFile(const std::string& path) {
    std::string text;
    CorrectionFile::Reader().readFile(path, text);
    CorrectionData::Content content;
    CorrectionFile::Parser().parse(text, content);
    return content;
}

void Core::Queries::parseEmbeddedMetadata(const std::string& json, CorrectionData::Header& header,
                                          CorrectionData::Frame& frame) {
    CorrectionData::JsonParser::parse(json, header, frame);
}

unsigned int Core::Queries::recordNumberOfTimecode(const CorrectionData::Content& content,
                                                   const std::string& timecode) {
    const auto fail = [&timecode] {
        return Exception("The correction file has no record for the frame's timecode.",
                         "Timecode: \"" + timecode + "\"");
    };
    unsigned int frameNumber = 0;
    try {
        if (!CorrectionData::RecordLookup::frameNumberOfTimecode(
                content,
                Timecode::Timecode(timecode.c_str(), content.header.tc.fps, content.header.tc.drop),
                frameNumber)) {
            throw fail();
        }
    } catch (const Exception&) {
        throw fail();
    }
    const auto after = content.frames.upper_bound(frameNumber);
    if (after == content.frames.begin()) {
        throw fail();
    }
    return std::prev(after)->first;
}

Core::Queries::FrameCurves Core::Queries::fitCurves(const CorrectionData::Frame& frame) {
    const auto& points = frame.interpolationPoints;
    FrameCurves curves;
    // The distorted heights are the values of the first curve and the
    // positions of the second; a failure to build them fails both.
    try {
        const std::vector<float> distorted =
            CorrectionData::Calculations::distortedHeights(points.heights, points.radialDistortion);
        curves.distortedOverHeight = fitted(points.heights, distorted);
        curves.heightOverDistorted = fitted(distorted, points.heights);
    } catch (const Exception& error) {
        curves.distortedOverHeight = Curve{false, {}, error.what()};
        curves.heightOverDistorted = curves.distortedOverHeight;
    }
    curves.shadingOverHeight = fitted(points.heights, points.shading);
    return curves;
}

std::vector<Core::Queries::Platform> Core::Queries::openCLPlatforms() {
    using Renderer::OpenCLKernelHelper;
    const cl_device_id chosen = OpenCLKernelHelper::idOfMostPowerfulDevice();
    std::vector<Platform> platforms;
    for (const cl_platform_id id : OpenCLKernelHelper::allPlatformIds()) {
        Platform platform;
        platform.name = OpenCLKernelHelper::queryPlatformInfo(id, CL_PLATFORM_NAME);
        platform.version = OpenCLKernelHelper::queryPlatformInfo(id, CL_PLATFORM_VERSION);
        for (const cl_device_id device : OpenCLKernelHelper::allDeviceIdsForPlatform(id)) {
            platform.devices.push_back(
                {OpenCLKernelHelper::queryDeviceInfo(device, CL_DEVICE_NAME), typeName(device),
                 OpenCLKernelHelper::queryDeviceInfo(device, CL_DEVICE_VERSION), device == chosen});
        }
        platforms.push_back(std::move(platform));
    }
    return platforms;
}
