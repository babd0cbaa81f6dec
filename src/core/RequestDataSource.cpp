#include "core/RequestDataSource.h"

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

Core::RequestDataSource::RequestDataSource(const FrameRequest& request) : request_(request) {}

bool Core::RequestDataSource::shouldPerformShadingCorrection(
    ShadingCorrectionParameter& parameter) const {
    if (request_.shading) {
        parameter = request_.shadingParameter;
    }
    return request_.shading;
}

bool Core::RequestDataSource::shouldPerformDistortionCorrection(
    DistortionCorrectionParameter& parameter) const {
    if (request_.distortion) {
        parameter = request_.distortionParameter;
    }
    return request_.distortion;
}

bool Core::RequestDataSource::frameMetadata(char* buffer, size_t size) const {
    return deliver(request_.frameMetadata, buffer, size);
}

bool Core::RequestDataSource::correctionFilePath(char* buffer, size_t size) const {
    return deliver(request_.correctionFilePath, buffer, size);
}

bool Core::RequestDataSource::clipFileName(char* buffer, size_t size) const {
    return deliver(boost::filesystem::path(request_.clipFilePath).filename().string(), buffer,
                   size);
}

bool Core::RequestDataSource::clipFilePath(char* buffer, size_t size) const {
    return deliver(request_.clipFilePath, buffer, size);
}

bool Core::RequestDataSource::frameData(FrameData& frameData) const {
    if (request_.frameDataKnown) {
        frameData = request_.frameData;
    }
    return request_.frameDataKnown;
}

bool Core::RequestDataSource::recordingFormat(
    RecordingFormatDatabase::RecordingFormat& format) const {
    if (request_.recordingFormat) {
        format = *request_.recordingFormat;
    }
    return request_.recordingFormat.has_value();
}
