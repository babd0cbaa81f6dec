#pragma once

#include "core/DistortionCorrectionParameter.h"
#include "core/FrameData.h"
#include "core/ShadingCorrectionParameter.h"
#include "recording_format_database/RecordingFormat.h"

#include <cstddef>

namespace Core {

// What the core asks its host about the clip, the frame and the wanted
// correction. Text operations deliver a text only whole: when it exists and
// its length plus one fits `size`, it is copied with its terminating zero and
// the result is true; otherwise the result is false and the buffer untouched.
class CoreDataSource {
public:
    virtual ~CoreDataSource() {}

    virtual bool shouldPerformShadingCorrection(ShadingCorrectionParameter& parameter) const = 0;
    virtual bool
    shouldPerformDistortionCorrection(DistortionCorrectionParameter& parameter) const = 0;
    // JSON correction metadata embedded in the clip.
    virtual bool frameMetadata(char* buffer, size_t size) const = 0;
    // A correction file chosen by hand.
    virtual bool correctionFilePath(char* buffer, size_t size) const = 0;
    // The clip's file name without directory.
    virtual bool clipFileName(char* buffer, size_t size) const = 0;
    // The clip's full path, near which its correction file is searched.
    virtual bool clipFilePath(char* buffer, size_t size) const = 0;
    virtual bool frameData(FrameData& frameData) const = 0;
    // A recording format chosen by hand; false to use the one of the correction data.
    virtual bool recordingFormat(RecordingFormatDatabase::RecordingFormat& format) const = 0;

protected:
    CoreDataSource() = default;
    CoreDataSource(const CoreDataSource&) = default;
    CoreDataSource& operator=(const CoreDataSource&) = default;
};

} // namespace Core
