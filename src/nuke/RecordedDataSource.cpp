#include "nuke/RecordedDataSource.h"

#include <cstring>
#include <vector>

namespace {

using TextOperation = bool (Core::CoreDataSource::*)(char*, size_t) const;

// A text is handed over only whole, so a longer one is asked for again with
// more room.
RecordedDataSource::Text recorded(const Core::CoreDataSource& source, TextOperation operation) {
    RecordedDataSource::Text text;
    for (const size_t size : {size_t{4096}, size_t{1} << 20}) {
        std::vector<char> buffer(size, '\0');
        if ((source.*operation)(buffer.data(), buffer.size())) {
            text.found = true;
            text.value = buffer.data();
            break;
        }
    }
    return text;
}

bool copied(const RecordedDataSource::Text& text, char* buffer, size_t size) {
    if (!text.found || buffer == nullptr || text.value.size() + 1 > size) {
        return false;
    }
    std::memcpy(buffer, text.value.c_str(), text.value.size() + 1);
    return true;
}

} // namespace

RecordedDataSource::Answers RecordedDataSource::record(const Core::CoreDataSource& source) {
    Answers answers;
    answers.shading = source.shouldPerformShadingCorrection(answers.shadingParameter);
    answers.distortion = source.shouldPerformDistortionCorrection(answers.distortionParameter);
    answers.frameMetadata = recorded(source, &Core::CoreDataSource::frameMetadata);
    answers.correctionFilePath = recorded(source, &Core::CoreDataSource::correctionFilePath);
    answers.clipFileName = recorded(source, &Core::CoreDataSource::clipFileName);
    answers.clipFilePath = recorded(source, &Core::CoreDataSource::clipFilePath);
    answers.frameDataFound = source.frameData(answers.frameData);
    answers.recordingFormatFound = source.recordingFormat(answers.recordingFormat);
    return answers;
}

bool RecordedDataSource::shouldPerformShadingCorrection(
    Core::ShadingCorrectionParameter& parameter) const {
    if (answers_.shading) {
        parameter = answers_.shadingParameter;
    }
    return answers_.shading;
}

bool RecordedDataSource::shouldPerformDistortionCorrection(
    Core::DistortionCorrectionParameter& parameter) const {
    if (answers_.distortion) {
        parameter = answers_.distortionParameter;
    }
    return answers_.distortion;
}

bool RecordedDataSource::frameMetadata(char* buffer, size_t size) const {
    return copied(answers_.frameMetadata, buffer, size);
}

bool RecordedDataSource::correctionFilePath(char* buffer, size_t size) const {
    return copied(answers_.correctionFilePath, buffer, size);
}

bool RecordedDataSource::clipFileName(char* buffer, size_t size) const {
    return copied(answers_.clipFileName, buffer, size);
}

bool RecordedDataSource::clipFilePath(char* buffer, size_t size) const {
    return copied(answers_.clipFilePath, buffer, size);
}

bool RecordedDataSource::frameData(Core::FrameData& frameData) const {
    if (answers_.frameDataFound) {
        frameData = answers_.frameData;
    }
    return answers_.frameDataFound;
}

bool RecordedDataSource::recordingFormat(RecordingFormatDatabase::RecordingFormat& format) const {
    if (answers_.recordingFormatFound) {
        format = answers_.recordingFormat;
    }
    return answers_.recordingFormatFound;
}
