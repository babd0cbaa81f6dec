#pragma once

#include "DDImage/Op.h"
#include "nuke/LensCorrection.h"

#include <map>
#include <string>

// The node "VelorLensDistortionCorrection". Removes or applies the radial distortion of the lens.
class LensDistortionCorrection : public LensCorrection {
public:
    explicit LensDistortionCorrection(Node* node);

    const char* Class() const override;
    const char* node_help() const override;

    static const DD::Image::Op::Description description;
    // Where every node of this class logs the details of its failures.
    static const char* const logFilePath;

protected:
    const char* const* correctionModeEntries() const override;
    const char* const* outputTypeEntries() const override;
    bool shouldOutputTypeKnobBeHidden() const override { return true; }
    std::map<std::string, std::string> tooltipsForKnobIds() const override;
    const char* operationName() const override;
};
