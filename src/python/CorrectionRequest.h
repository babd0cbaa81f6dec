#pragma once

#include "core/DistortionCorrectionParameter.h"
#include "core/FrameData.h"
#include "core/ShadingCorrectionParameter.h"
#include "recording_format_database/RecordingFormat.h"

#include <optional>
#include <string>

// What the module tells the core about the frame being corrected: the
// corrector's fields are set once, the call's fields before each call.
struct CorrectionRequest {
    // The corrector.
    std::string clipFilePath;
    std::string correctionFilePath;
    std::optional<RecordingFormatDatabase::RecordingFormat> recordingFormat;

    // The call.
    bool shading = false;
    bool distortion = false;
    Core::ShadingCorrectionParameter shadingParameter;
    Core::DistortionCorrectionParameter distortionParameter;
    Core::FrameData frameData;
};
