#pragma once

#include "cli/FrameRequest.h"
#include "core/CoreDataSource.h"

// Answers the core from the request that the tool fills for each frame.
class CommandLineDataSource : public Core::CoreDataSource {
public:
    // The request must outlive the data source.
    explicit CommandLineDataSource(const FrameRequest& request);

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
    const FrameRequest& request_;
};
