#pragma once

#include "core/CoreDataSource.h"
#include "core/CorrectionInUse.h"
#include "core/DistortionMapping.h"
#include "recording_format_database/RecordingFormat.h"

#include <cstddef>
#include <memory>
#include <string>

class Exception;

namespace Core {

// The kinds of failure that a host may handle differently.
enum class FailureKind {
    None,
    // No correction file was found, or it has no record for the clip or frame.
    NoCorrectionData,
    // A correction file or its data that cannot be read, parsed or fitted.
    InvalidCorrectionData,
    // The OpenCL device did not render.
    NotRendered,
    // Anything else: the frame's size, the recording format, the system.
    Other,
};

// The processing core as a host sees it: sizes and renders the corrected
// frame that its data source describes. No exception leaves it: each
// operation returns false on failure, and the brief and detailed description
// of the last failure can then be read until the next operation.
class Core {
public:
    explicit Core(std::unique_ptr<CoreDataSource> dataSource);
    ~Core();

    Core(const Core&) = delete;
    Core& operator=(const Core&) = delete;
    Core(Core&&) = delete;
    Core& operator=(Core&&) = delete;

    // The output frame size for the frame the data source describes, whose
    // `frameData` gives the input's size; untouched when no correction is wanted.
    bool frameSize(unsigned int& width, unsigned int& height);
    // `input` and `output` hold `size` bytes of interleaved RGBA floats, rows
    // top to bottom, both of the size the data source's `frameData` gives
    // while `render` runs; the core reads that size as the input's. A host
    // that grows the frame therefore answers the size `frameSize` gave, and
    // puts the input picture centred in it, black around it (as the tool and
    // the node do). `input` is null for map output.
    bool render(const float* input, float* output, size_t size);
    // The recording format that the clip's correction data yields.
    bool recordingFormat(RecordingFormatDatabase::RecordingFormat& format);
    // The polynomial and geometry with which `render` would resample the
    // current frame; fails unless the data source requests distortion
    // correction. Nothing is rendered.
    bool distortionMapping(DistortionMapping& mapping);
    // The record and file that the data source's current frame selects, found
    // without fitting or rendering.
    bool correctionInUse(CorrectionInUse& correction);
    // What the last successful `frameSize`, `render` or `distortionMapping`
    // corrected with; false before the first.
    bool appliedCorrection(CorrectionInUse& correction) const;
    // Forgets the correction file found for the clip and every cached content
    // of it, so that the next operation searches and reads again.
    bool reloadCorrectionData();

    // Copy the last failure's description with its terminating zero; false
    // when there is none or it does not fit.
    bool briefErrorDescription(char* buffer, size_t size) const;
    bool detailedErrorDescription(char* buffer, size_t size) const;
    // The kind of the last failure; None when the last operation succeeded.
    FailureKind failureKind() const { return lastFailureKind; }
    // The kind of a failure that Core::Queries throws.
    static FailureKind failureKindOf(const Exception& error);

    // The host metadata key holding a camera's clip file name or timecode for
    // a manufacturer and container format; false when the pair is unknown.
    static bool metadataKeyForClipFileName(const char* cameraManufacturer,
                                           const char* containerFormat, char* buffer, size_t size);
    static bool metadataKeyForTimecode(const char* cameraManufacturer, const char* containerFormat,
                                       char* buffer, size_t size);

    class CorePrivate;

private:
    template <typename Operation>
    bool capturingErrors(Operation operation);
    void storeError(const Exception& error) noexcept;

    std::unique_ptr<CorePrivate> corePrivate;
    std::shared_ptr<std::string> briefError;
    std::shared_ptr<std::string> detailedError;
    FailureKind lastFailureKind = FailureKind::None;
};

} // namespace Core
