#include "nuke/LensDistortionCorrection.h"

#include "nuke/LensDistortionDataSource.h"

#include <memory>

namespace {

const char* const correctionModes[] = {"Undistort", "Distort", nullptr};
const char* const outputTypes[] = {"Image", "STMap", nullptr};

// The host's factory; when construction throws, the new-expression releases
// the memory and the exception reaches the host.
DD::Image::Op* LensDistortionCorrectionCreate(Node* node) {
    // The host owns the node.
    return new LensDistortionCorrection(node); // NOLINT(cppcoreguidelines-owning-memory)
}

} // namespace

const char* const LensDistortionCorrection::logFilePath =
    "/tmp/com.velor.LensCorrection.Distortion.Nuke.log";

// Registration happens when the host loads the plug-in.
// NOLINTBEGIN(cert-err58-cpp)
const DD::Image::Op::Description
    LensDistortionCorrection::description("VelorLensDistortionCorrection",
                                          LensDistortionCorrectionCreate);
// NOLINTEND(cert-err58-cpp)

LensDistortionCorrection::LensDistortionCorrection(Node* node)
    : LensCorrection(node, std::make_unique<LensDistortionDataSource>(this), logFilePath) {}

const char* LensDistortionCorrection::Class() const {
    return description.name;
}

const char* LensDistortionCorrection::node_help() const {
    return "VELOR Lens Distortion Correction v0.18.1";
}

const char* const* LensDistortionCorrection::correctionModeEntries() const {
    return correctionModes;
}

const char* const* LensDistortionCorrection::outputTypeEntries() const {
    return outputTypes;
}

std::map<std::string, std::string> LensDistortionCorrection::tooltipsForKnobIds() const {
    return {{"correctionMode",
             "Select the correction mode to either distort or undistort the footage."},
            {"outputType",
             "Select the output type to render either the corrected image or a displacement map."}};
}

const char* LensDistortionCorrection::operationName() const {
    if (outputType() == 1) {
        return "stmap";
    }
    return correctionMode() == 1 ? "distort" : "undistort";
}
