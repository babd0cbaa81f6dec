#pragma once

#include "core/CoreDataSource.h"
#include "core/FrameRequest.h"

namespace Core {

// Answers the core from a request that the host fills for each frame.
class RequestDataSource : public CoreDataSource {
public:
    // The request must outlive the data source.
    explicit RequestDataSource(const FrameRequest& request);

    bool shouldPerformShadingCorrection(ShadingCorrectionParameter& parameter) const override;
    bool shouldPerformDistortionCorrection(DistortionCorrectionParameter& parameter) const override;
    bool frameMetadata(char* buffer, size_t size) const override;
    bool correctionFilePath(char* buffer, size_t size) const override;
    bool clipFileName(char* buffer, size_t size) const override;
    bool clipFilePath(char* buffer, size_t size) const override;
    bool frameData(FrameData& frameData) const override;
    bool recordingFormat(RecordingFormatDatabase::RecordingFormat& format) const override;

private:
    const FrameRequest& request_;
};

} // namespace Core
