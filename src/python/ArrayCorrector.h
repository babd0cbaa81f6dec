#pragma once

#include "core/Core.h"
#include "core/FrameRequest.h"
#include "foundation/Exception.h"
#include "recording_format_database/RecordingFormat.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// What the module does, like the tool's commands.
using Operation = Core::Correction;

// A failure with the kind the core gave it.
class CorrectionFailure : public Exception {
public:
    CorrectionFailure(Core::FailureKind kind, const std::string& brief, const std::string& detail)
        : Exception(brief, detail), kind_(kind) {}
    Core::FailureKind kind() const { return kind_; }

private:
    Core::FailureKind kind_;
};

// An argument that the module refuses before the core sees it.
class ArgumentFailure : public Exception {
public:
    using Exception::Exception;
};

// Float pixels, rows top to bottom, with strides in bytes.
struct PixelView {
    const char* data = nullptr;
    std::int64_t height = 0;
    std::int64_t width = 0;
    std::int64_t channels = 0;
    std::int64_t rowStride = 0;
    std::int64_t pixelStride = 0;
    std::int64_t channelStride = 0;

    float at(std::int64_t y, std::int64_t x, std::int64_t channel) const;
};

// Where the pixels lie: the format and the position of the first pixel
// relative to its top-left corner (the data window, as in an EXR).
struct PixelPlacement {
    std::int64_t formatWidth = 0;
    std::int64_t formatHeight = 0;
    std::int64_t originX = 0;
    std::int64_t originY = 0;
    int alphaChannel = -1;
    // One name per channel ("R", "diffuse.G", "depth.Z"); empty: 1, 3 and 4
    // channels are Y, RGB and RGBA.
    std::vector<std::string> channelNames;
};

// The record of the correction data that a call uses: by frame number or
// timecode, or the JSON correction metadata the frame carries, which comes
// before any correction file.
struct FrameChoice {
    unsigned int number = 0;
    std::string timecode;
    std::string frameMetadata;
};

struct CorrectedImage {
    std::vector<float> pixels;
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t channels = 0;
    std::int64_t originX = 0;
    std::int64_t originY = 0;
    // The correction data the image was made with.
    Core::CorrectionInUse correction;
};

struct CorrectorSettings {
    std::string clipFilePath;
    std::string correctionFilePath;
    std::optional<RecordingFormatDatabase::RecordingFormat> recordingFormat;
    // Overscan inside the format by a percentage; otherwise the data window beyond it.
    bool overscanInFormat = false;
    float overscan = 0.0F;
};

// Corrects arrays through one processing core as the command-line tool
// corrects frames: the output grows around the format to the size the
// correction needs. One call at a time; calls from several threads wait.
class ArrayCorrector {
public:
    explicit ArrayCorrector(const CorrectorSettings& settings);

    ArrayCorrector(const ArrayCorrector&) = delete;
    ArrayCorrector& operator=(const ArrayCorrector&) = delete;

    // `reverseMap`: the map of the distortion, or the map that adds shading.
    // Throws CorrectionFailure with the core's description, or ArgumentFailure.
    CorrectedImage correct(Operation operation, bool reverseMap, const PixelView& pixels,
                           const PixelPlacement& placement, const FrameChoice& frame);

private:
    [[noreturn]] void throwCoreError() const;
    Core::CorrectionInUse appliedCorrection() const;

    CorrectorSettings settings_;
    std::mutex mutex_;
    // Declared before the core, whose data source reads it.
    Core::FrameRequest request_;
    Core::Core core_;
};

// The tool's manual recording format: image area in millimetres (one side may
// be 0) and clip resolution in pixels. Throws ArgumentFailure.
RecordingFormatDatabase::RecordingFormat manualRecordingFormat(double areaWidth, double areaHeight,
                                                               std::int64_t clipWidth,
                                                               std::int64_t clipHeight);
