#pragma once

#include "core/DistortionCorrectionParameter.h"
#include "core/FrameData.h"
#include "core/ShadingCorrectionParameter.h"
#include "recording_format_database/RecordingFormat.h"

#include <optional>
#include <string>

// What the tool tells the core about the frame being corrected. The job's
// fields are set once; the frame's fields before each frame.
struct FrameRequest {
    // The job.
    bool shading = false;
    bool distortion = false;
    Core::ShadingCorrectionParameter shadingParameter;
    Core::DistortionCorrectionParameter distortionParameter;
    std::string correctionFilePath;
    std::optional<RecordingFormatDatabase::RecordingFormat> recordingFormat;

    // The frame; empty texts count as not known.
    std::string clipFilePath;
    std::string frameMetadata;
    bool frameDataKnown = false;
    Core::FrameData frameData;
};
