#include "cli/CommandLineDataSource.h"

#include <boost/filesystem/path.hpp>

#include <cstring>
#include <string>

namespace {

// A text only whole, with its terminating zero; an empty text is not delivered.
bool deliver(const std::string& text, char* buffer, size_t size) {
    if (text.empty() || buffer == nullptr || text.size() + 1 > size) {
        return false;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

} // namespace

CommandLineDataSource::CommandLineDataSource(const FrameRequest& request) : request_(request) {}

bool CommandLineDataSource::shouldPerformShadingCorrection(
    Core::ShadingCorrectionParameter& parameter) const {
    if (request_.shading) {
        parameter = request_.shadingParameter;
    }
    return request_.shading;
}

bool CommandLineDataSource::shouldPerformDistortionCorrection(
    Core::DistortionCorrectionParameter& parameter) const {
    if (request_.distortion) {
        parameter = request_.distortionParameter;
    }
    return request_.distortion;
}

bool CommandLineDataSource::frameMetadata(char* buffer, size_t size) const {
    return deliver(request_.frameMetadata, buffer, size);
}

bool CommandLineDataSource::correctionFilePath(char* buffer, size_t size) const {
    return deliver(request_.correctionFilePath, buffer, size);
}

bool CommandLineDataSource::clipFileName(char* buffer, size_t size) const {
    return deliver(boost::filesystem::path(request_.clipFilePath).filename().string(), buffer,
                   size);
}

bool CommandLineDataSource::clipFilePath(char* buffer, size_t size) const {
    return deliver(request_.clipFilePath, buffer, size);
}

bool CommandLineDataSource::frameData(Core::FrameData& frameData) const {
    if (request_.frameDataKnown) {
        frameData = request_.frameData;
    }
    return request_.frameDataKnown;
}

bool CommandLineDataSource::recordingFormat(
    RecordingFormatDatabase::RecordingFormat& format) const {
    if (request_.recordingFormat) {
        format = *request_.recordingFormat;
    }
    return request_.recordingFormat.has_value();
}
