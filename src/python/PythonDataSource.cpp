#include "python/PythonDataSource.h"

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

PythonDataSource::PythonDataSource(const CorrectionRequest& request) : request_(request) {}

bool PythonDataSource::shouldPerformShadingCorrection(
    Core::ShadingCorrectionParameter& parameter) const {
    if (request_.shading) {
        parameter = request_.shadingParameter;
    }
    return request_.shading;
}

bool PythonDataSource::shouldPerformDistortionCorrection(
    Core::DistortionCorrectionParameter& parameter) const {
    if (request_.distortion) {
        parameter = request_.distortionParameter;
    }
    return request_.distortion;
}

bool PythonDataSource::frameMetadata(char* /*buffer*/, size_t /*size*/) const {
    return false;
}

bool PythonDataSource::correctionFilePath(char* buffer, size_t size) const {
    return deliver(request_.correctionFilePath, buffer, size);
}

bool PythonDataSource::clipFileName(char* buffer, size_t size) const {
    return deliver(boost::filesystem::path(request_.clipFilePath).filename().string(), buffer,
                   size);
}

bool PythonDataSource::clipFilePath(char* buffer, size_t size) const {
    return deliver(request_.clipFilePath, buffer, size);
}

bool PythonDataSource::frameData(Core::FrameData& frameData) const {
    frameData = request_.frameData;
    return true;
}

bool PythonDataSource::recordingFormat(RecordingFormatDatabase::RecordingFormat& format) const {
    if (request_.recordingFormat) {
        format = *request_.recordingFormat;
    }
    return request_.recordingFormat.has_value();
}
