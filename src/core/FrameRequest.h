#pragma once

#include "core/DistortionCorrectionParameter.h"
#include "core/FrameData.h"
#include "core/ShadingCorrectionParameter.h"
#include "recording_format_database/RecordingFormat.h"

#include <optional>
#include <string>

namespace Core {

// The corrections a host that knows its frame up front offers: the image ones,
// and the maps of the distortion (an ST map) and of the shading.
enum class Correction { Undistort, Distort, RemoveShading, AddShading, StMap, ShadingMap };

// Everything a host that knows its frame up front (the command-line tool, the
// Python module) tells the core, answered by RequestDataSource. The job's
// fields are set once; the frame's fields before each frame.
struct FrameRequest {
    // The job.
    bool shading = false;
    bool distortion = false;
    ShadingCorrectionParameter shadingParameter;
    DistortionCorrectionParameter distortionParameter;
    std::string correctionFilePath;
    std::optional<RecordingFormatDatabase::RecordingFormat> recordingFormat;

    // Asks for `correction` alone. With `reverseMap` a map describes the
    // opposite correction: the ST map distorts, the shading map adds shading.
    void ask(Correction correction, bool reverseMap);

    // The frame; empty texts count as not known.
    std::string clipFilePath;
    std::string frameMetadata;
    bool frameDataKnown = false;
    FrameData frameData;
};

} // namespace Core
