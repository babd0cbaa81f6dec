#include "nuke/LensShadingCorrection.h"

#include "nuke/LensShadingDataSource.h"

#include <memory>

namespace {

const char* const correctionModes[] = {"Remove Shading", "Add Shading", nullptr};
const char* const outputTypes[] = {"Image", "Map", nullptr};

// The host's factory; when construction throws, the new-expression releases
// the memory and the exception reaches the host.
DD::Image::Op* LensShadingCorrectionCreate(Node* node) {
    // The host owns the node.
    return new LensShadingCorrection(node); // NOLINT(cppcoreguidelines-owning-memory)
}

} // namespace

const char* const LensShadingCorrection::logFilePath =
    "/tmp/com.velor.LensCorrection.Shading.Nuke.log";

// Registration happens when the host loads the plug-in.
// NOLINTBEGIN(cert-err58-cpp)
const DD::Image::Op::Description LensShadingCorrection::description("VelorLensShadingCorrection",
                                                                    LensShadingCorrectionCreate);
// NOLINTEND(cert-err58-cpp)

LensShadingCorrection::LensShadingCorrection(Node* node)
    : LensCorrection(node, std::make_unique<LensShadingDataSource>(this), logFilePath) {}

const char* LensShadingCorrection::Class() const {
    return description.name;
}

const char* LensShadingCorrection::node_help() const {
    return "VELOR Lens Shading Correction v0.18.1";
}

const char* const* LensShadingCorrection::correctionModeEntries() const {
    return correctionModes;
}

const char* const* LensShadingCorrection::outputTypeEntries() const {
    return outputTypes;
}

std::map<std::string, std::string> LensShadingCorrection::tooltipsForKnobIds() const {
    return {{"correctionMode",
             "Select the correction mode to either add or remove shading from the footage."},
            {"outputType",
             "Select the output type to render either the corrected image or a multiply map."}};
}

const char* LensShadingCorrection::operationName() const {
    if (outputType() == 1) {
        return "shading-map";
    }
    return correctionMode() == 1 ? "add-shading" : "remove-shading";
}
