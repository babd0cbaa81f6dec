#pragma once

#include "core/CoreDataSource.h"
#include "python/CorrectionRequest.h"

// Answers the core from the request that a corrector fills for each call.
class PythonDataSource : public Core::CoreDataSource {
public:
    // The request must outlive the data source.
    explicit PythonDataSource(const CorrectionRequest& request);

    bool shouldPerformShadingCorrection(Core::ShadingCorrectionParameter& parameter) const override;
    bool shouldPerformDistortionCorrection(
        Core::DistortionCorrectionParameter& parameter) const override;
    bool frameMetadata(char* buffer, size_t size) const override;
    bool correctionFilePath(char* buffer, size_t size) const override;
    bool clipFileName(char* buffer, size_t size) const override;
    bool clipFilePath(char* buffer, size_t size) const override;
    bool frameData(Core::FrameData& frameData) const override;
    bool recordingFormat(RecordingFormatDatabase::RecordingFormat& format) const override;

private:
    const CorrectionRequest& request_;
};
