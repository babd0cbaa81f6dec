#pragma once

#include "correction_data/Content.h"

#include <string>
#include <vector>

namespace Core {

// Correction data and OpenCL devices as a host shows them, without a frame to
// correct: the same search, reader, parsers and fits that frames go through.
// Failures throw Exception with the texts the core reports for frames.
namespace Queries {

// The correction file that the search around a clip finds.
std::string findCorrectionFile(const std::string& clipFilePath);

// A correction file read and parsed whole.
CorrectionData::Content readCorrectionFile(const std::string& path);

// Correction metadata embedded as JSON in a frame's metadata.
void parseEmbeddedMetadata(const std::string& json, CorrectionData::Header& header,
                           CorrectionData::Frame& frame);

// The number of the record a frame with this timecode uses, as frames look
// their records up. Throws when the timecode selects none.
unsigned int recordNumberOfTimecode(const CorrectionData::Content& content,
                                    const std::string& timecode);

// One fitted polynomial, coefficients a0 first, or why it could not be fitted.
struct Curve {
    bool fitted = false;
    std::vector<float> coefficients;
    std::string failure;
};

// The curves the renderers use for a frame's interpolation points.
struct FrameCurves {
    Curve distortedOverHeight;
    Curve heightOverDistorted;
    Curve shadingOverHeight;
};
FrameCurves fitCurves(const CorrectionData::Frame& frame);

struct Device {
    std::string name;
    std::string type; // "GPU", "CPU", "accelerator", "other" or "unknown"
    std::string version;
    bool chosen = false; // the device the renderers use
};

struct Platform {
    std::string name;
    std::string version;
    std::vector<Device> devices;
};

// Every OpenCL platform with its devices.
std::vector<Platform> openCLPlatforms();

} // namespace Queries
} // namespace Core
