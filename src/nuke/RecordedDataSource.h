#pragma once

#include "core/CoreDataSource.h"

#include <string>

// The answers of a data source, recorded at once and given back to the core
// later. The node records them while it holds no lock, since they call the
// host, and lets its core read them while it holds the core's lock.
class RecordedDataSource : public Core::CoreDataSource {
public:
    struct Text {
        bool found = false;
        std::string value;
    };
    struct Answers {
        bool shading = false;
        Core::ShadingCorrectionParameter shadingParameter{};
        bool distortion = false;
        Core::DistortionCorrectionParameter distortionParameter{};
        Text frameMetadata;
        Text correctionFilePath;
        Text clipFileName;
        Text clipFilePath;
        bool frameDataFound = false;
        Core::FrameData frameData{};
        bool recordingFormatFound = false;
        RecordingFormatDatabase::RecordingFormat recordingFormat{};
    };

    static Answers record(const Core::CoreDataSource& source);
    void replay(const Answers& answers) { answers_ = answers; }

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
    Answers answers_;
};
